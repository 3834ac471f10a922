#include "uikit/MultipleBtnGroup.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

MultipleBtnGroup::MultipleBtnGroup(int cameraCount, QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    auto *group = new QButtonGroup(this);
    group->setObjectName(QStringLiteral("btnGroup"));

    for (int i = 0; i < cameraCount; ++i) {
        auto *button = new QPushButton(tr("相机%1").arg(i + 1), this);
        button->setFixedSize(80, 40);
        button->setObjectName(QStringLiteral("button%1").arg(i));
        group->addButton(button, i);
        row->addWidget(button);
    }
    if (cameraCount > 1) {
        auto *all = new QPushButton(tr("所有相机"), this);
        all->setFixedSize(80, 40);
        group->addButton(all, -1);
        row->addWidget(all);
    }
    row->setSpacing(2);
    row->setSizeConstraint(QLayout::SetFixedSize);
    setStyleSheet(QStringLiteral("QPushButton::disabled{background-color:#444444;}"));
}
