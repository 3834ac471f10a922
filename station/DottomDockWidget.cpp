#include "station/DottomDockWidget.h"

#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "station/DottomDock_Describe.h"
#include "station/IOStatusWidget_2.h"
#include "uikit/StyleHelpers.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

// Keeps the time panel clear of the side menu's column.
constexpr int MenuColumnWidth = 165;

} // namespace

DottomDockWidget::DottomDockWidget(QWidget *parent)
    : QWidget(parent)
    , lamps(new IOStatusWidget_2(this))
    , describeBox(new DottomDock_Describe(this))
{
    auto *row = new QHBoxLayout(this);
    row->setSpacing(1);
    row->setContentsMargins(0, 0, 0, 0);

    lamps->setObjectName(QStringLiteral("IOStatusWidget_2"));
    lamps->show();
    row->addWidget(lamps);
    // Queued: the refresh never runs inside the link's own publishing.
    if (controlPort)
        connect(controlPort, &ControlPort::sigIOChange, lamps, &IOStatusWidget_2::refreshLamps,
                Qt::QueuedConnection);
    row->addStretch();
    row->addWidget(describeBox, 0, Qt::AlignCenter);
    auto *spacer = new QLabel(this);
    spacer->setFixedWidth(MenuColumnWidth);
    row->addWidget(spacer);

    setDarkStyleSheet(this, QStringLiteral("QWidget{background-color:#353D45;outline:0px;border:none;}"));
    setAttribute(Qt::WA_StyledBackground);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
    show();
}
