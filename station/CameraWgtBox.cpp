#include "station/CameraWgtBox.h"

#include "cameras/CameraDiscovery.h"
#include "station/CameraWgt_DataWidget.h"
#include "station/MoJuWizard.h"
#include "uikit/StyleHelpers.h"

#include <QLayout>
#include <QSplitter>

#include <cmath>

namespace {

QList<int> repeated(int count, int value)
{
    QList<int> sizes;
    for (int i = 0; i < count; ++i)
        sizes.append(value);
    return sizes;
}

} // namespace

CameraWgtBox::CameraWgtBox(const QList<CameraInterface *> &cameraList, QWidget *parent)
    : QMainWindow(parent)
    , cameras(cameraList)
    , outer(new QSplitter(Qt::Vertical, this))
{
    move(0, 0);
    outer->setHandleWidth(0);
    for (int i = 0; i < cameras.size(); ++i) {
        auto *panel = new CameraWgt_DataWidget(this, i);
        connect(panel, &CameraWgt_DataWidget::sigChangeCameraLayout, this,
                &CameraWgtBox::slotChangeCameraLayout);
        panels.append(panel);
    }
    setCentralWidget(outer);
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->setSpacing(3);
    setDarkStyleSheet(this);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
    show();
}

int CameraWgtBox::panelsPerRow(int enabledPanels)
{
    if (enabledPanels <= 3)
        return enabledPanels;
    const double root = std::sqrt(double(enabledPanels));
    return enabledPanels <= 6 ? int(std::floor(root)) : int(std::ceil(root));
}

int CameraWgtBox::layoutModeFor(int enabledPanels)
{
    return enabledPanels == 1 || enabledPanels >= 4 ? 1 : 0;
}

void CameraWgtBox::rebuildGrid()
{
    for (CameraWgt_DataWidget *panel : qAsConst(panels)) {
        panel->setParent(this);
        panel->hide();
    }
    // The rows hold no panel any more.
    while (outer->count() > 0)
        delete outer->widget(0);

    QList<CameraWgt_DataWidget *> enabled;
    for (CameraWgt_DataWidget *panel : qAsConst(panels)) {
        if (panel->enabled)
            enabled.append(panel);
    }
    const int perRow = panelsPerRow(enabled.size());
    const int mode = layoutModeFor(enabled.size());
    QSplitter *row = nullptr;
    for (int k = 0; k < enabled.size(); ++k) {
        if (k % perRow == 0) {
            row = new QSplitter(Qt::Horizontal, this);
            row->setHandleWidth(0);
            outer->addWidget(row);
        }
        CameraWgt_DataWidget *panel = enabled.at(k);
        panel->setLayoutMode(mode);
        panel->show();
        row->addWidget(panel);
    }
}

void CameraWgtBox::equalizeSizes()
{
    for (CameraWgt_DataWidget *panel : qAsConst(panels)) {
        if (panel->enabled)
            panel->show();
    }
    const int rows = outer->count();
    if (rows == 0)
        return;
    const auto *firstRow = qobject_cast<QSplitter *>(outer->widget(0));
    const int columns = firstRow ? firstRow->count() : 0;
    if (columns == 0)
        return;
    const int columnWidth = width() / columns;
    const int rowHeight = height() / rows;
    for (int r = 0; r < rows; ++r) {
        if (auto *row = qobject_cast<QSplitter *>(outer->widget(r)))
            row->setSizes(repeated(row->count(), columnWidth));
    }
    outer->setSizes(repeated(rows, rowHeight));
    update();
}

CammerWidget *CameraWgtBox::cammerWidget(int n) const
{
    const CameraWgt_DataWidget *p = panel(n);
    return p ? p->cammerWidget() : nullptr;
}

CameraWgt_DataWidget *CameraWgtBox::panel(int n) const
{
    return n >= 0 && n < panels.size() ? panels.at(n) : nullptr;
}

bool CameraWgtBox::isPanelEnabled(int n) const
{
    if (n == -1)
        return true;
    const CameraWgt_DataWidget *p = panel(n);
    return p && p->enabled;
}

void CameraWgtBox::slotChangeCameraLayout(int index)
{
    for (CameraWgt_DataWidget *panel : qAsConst(panels)) {
        if (panel->enabled)
            panel->applyLayoutIndex(index);
    }
    if (mainWindow)
        mainWindow->currentCamera = index == -1 ? cameraCount : index;
    update();
}
