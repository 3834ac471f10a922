#include "station/DottomDock_Describe.h"

#include "core/Clock.h"
#include "station/MoJuWizard.h"

#include <QHBoxLayout>
#include <QPainter>

namespace {

constexpr int PanelHeight = 60;
constexpr int ClockWidth = 300;
constexpr int CycleWidth = 200;

} // namespace

DottomDock_Describe::DottomDock_Describe(QWidget *parent)
    : QWidget(parent)
    , part1(new DottomDock_Describe_part1(this))
{
    setMinimumWidth(ClockWidth + CycleWidth);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(part1);
}

DottomDock_Describe_part1::DottomDock_Describe_part1(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DottomDock_Describe_part1"));
    setFixedHeight(PanelHeight);
}

QString DottomDock_Describe_part1::clockText()
{
    return wallClock()->now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString DottomDock_Describe_part1::cycleText(int cycleTenths)
{
    return tr("周期%1秒").arg(double(cycleTenths) / 10, 4, 'f', 1);
}

void DottomDock_Describe_part1::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setFont(QFont(QStringLiteral("SimHei"), 20));
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, ClockWidth, height()), Qt::AlignCenter, clockText());
    painter.drawText(QRect(ClockWidth, 0, CycleWidth, height()), Qt::AlignCenter,
                     cycleText(mainWindow ? mainWindow->cycleTime : 0));
}
