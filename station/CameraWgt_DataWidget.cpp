#include "station/CameraWgt_DataWidget.h"

#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget_Title.h"
#include "station/CammerWidget.h"
#include "uikit/StyleHelpers.h"

#include <QHBoxLayout>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int TitleHeight = 60;

} // namespace

CameraWgt_DataWidget::CameraWgt_DataWidget(QWidget *parent, int index)
    : QWidget(parent)
    , cameraIndex(index)
    , box(qobject_cast<CameraWgtBox *>(parent))
{
    if (!box)
        return;
    camera = box->cameras.value(cameraIndex);

    panelLayout = new QVBoxLayout(this);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    panelLayout->setSpacing(1);
    titleStack = new QStackedWidget(this);
    titleStack->setFixedHeight(TitleHeight);
    // Empty until the title bars join; an empty stack takes no room.
    titleStack->setVisible(titleStack->count() > 0);
    panelLayout->addWidget(titleStack);
    view = new CammerWidget(this, cameraIndex, camera);
    connect(view, &CammerWidget::click, this, &CameraWgt_DataWidget::sigChangeCameraLayout);
    setDarkStyleSheet(this);
    setLayoutMode(0);
}

void CameraWgt_DataWidget::setLayoutMode(int mode)
{
    layoutMode = mode;
    if (!panelLayout)
        return;
    // Item 0, the title stack, stays; the view's sub-layout is made anew.
    while (panelLayout->count() > 1) {
        QLayoutItem *item = panelLayout->takeAt(panelLayout->count() - 1);
        if (QLayout *sub = item->layout()) {
            while (QLayoutItem *child = sub->takeAt(0))
                delete child;
        }
        delete item;
    }
    QBoxLayout *sub = nullptr;
    if (mode == 1) {
        sub = new QHBoxLayout;
        sub->addWidget(view, 2);
    } else {
        sub = new QVBoxLayout;
        sub->addWidget(view, 0);
    }
    panelLayout->addLayout(sub);
    update();
}

void CameraWgt_DataWidget::applyLayoutIndex(int index)
{
    if (!enabled)
        return;
    setVisible(index == -1 || index == cameraIndex);
    if (CameraWgt_DataWidget_Title *title = currentTitle())
        title->setSingleView(index != -1);
}

CameraWgt_DataWidget_Title *CameraWgt_DataWidget::currentTitle() const
{
    return titleStack ? qobject_cast<CameraWgt_DataWidget_Title *>(titleStack->currentWidget())
                      : nullptr;
}
