#include "uikit/MultipleBtnGroup.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

namespace {

// 80 x 40, wider where a language's text needs it ("All cameras").
void sizeCameraButton(QPushButton *button)
{
    button->setFixedHeight(40);
    button->setMinimumWidth(80);
    button->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    // Sized at once: the title marks a button by enlarging its present size.
    button->resize(qMax(80, button->sizeHint().width()), 40);
}

} // namespace

MultipleBtnGroup::MultipleBtnGroup(int cameraCount, QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    auto *group = new QButtonGroup(this);
    group->setObjectName(QStringLiteral("btnGroup"));

    for (int i = 0; i < cameraCount; ++i) {
        auto *button = new QPushButton(tr("相机%1").arg(i + 1), this);
        sizeCameraButton(button);
        button->setObjectName(QStringLiteral("button%1").arg(i));
        group->addButton(button, i);
        row->addWidget(button);
    }
    if (cameraCount > 1) {
        auto *all = new QPushButton(tr("所有相机"), this);
        sizeCameraButton(all);
        group->addButton(all, -1);
        row->addWidget(all);
    }
    row->setSpacing(2);
    row->setSizeConstraint(QLayout::SetFixedSize);
    setStyleSheet(QStringLiteral("QPushButton::disabled{background-color:#444444;}"));
}
