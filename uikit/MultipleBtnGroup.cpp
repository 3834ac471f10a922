#include "uikit/MultipleBtnGroup.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

namespace {

// 80 x 40, wider where a language's text needs it ("All cameras"). The dark style sheet gives
// every push button a width of 80 px, which a size hint of its own overrides.
class CameraButton : public QPushButton
{
public:
    CameraButton(const QString &text, QWidget *parent)
        : QPushButton(text, parent)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        // Sized at once: the title marks a button by enlarging its present size.
        resize(sizeHint());
    }

    QSize sizeHint() const override
    {
        return QSize(qMax(80, fontMetrics().horizontalAdvance(text()) + 12), 40);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

} // namespace

MultipleBtnGroup::MultipleBtnGroup(int cameraCount, QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    auto *group = new QButtonGroup(this);
    group->setObjectName(QStringLiteral("btnGroup"));

    for (int i = 0; i < cameraCount; ++i) {
        auto *button = new CameraButton(tr("相机%1").arg(i + 1), this);
        button->setObjectName(QStringLiteral("button%1").arg(i));
        group->addButton(button, i);
        row->addWidget(button);
    }
    if (cameraCount > 1) {
        auto *all = new CameraButton(tr("所有相机"), this);
        group->addButton(all, -1);
        row->addWidget(all);
    }
    row->setSpacing(2);
    row->setSizeConstraint(QLayout::SetFixedSize);
    setStyleSheet(QStringLiteral("QPushButton::disabled{background-color:#444444;}"));
}
