// The openers of the statistics window and the temperature chart window.
#include "station/MoJuWizard.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/TemperatureChartData.h"
#include "statistics/StatisticsWidget.h"
#include "statistics/TemperatureChartWidget.h"
#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QCoreApplication>

namespace {

void warn(const QString &text)
{
    Warnbox box;
    box.setText(text);
    box.exec();
}

// Today's results are read back at start-up; until then the figures would be incomplete.
bool resultsLoaded(TemperatureChartData *store)
{
    if (store->isReadFinished())
        return true;
    tipbox box(tipbox::OkButton);
    box.setText(QCoreApplication::translate("MoJuWizard", "数据还未加载完成.."));
    box.exec();
    return false;
}

} // namespace

void MoJuWizard::SlotShowStatisticsWidget()
{
    if ((*currentParams)[Param::Statistics] == 0) {
        warn(tr("生产统计未启用\n请前往高级参数设置"));
        return;
    }
    TemperatureChartData *store = TemperatureChartData::instance();
    if (!resultsLoaded(store))
        return;
    if (!statisticsWindow) {
        statisticsWindow = std::make_unique<StatisticsWidget>(camerasInUse(), stagesInUse(), store);
        statisticsWidget = statisticsWindow.get();
    }
    statisticsWindow->ShowToday();
    statisticsWindow->exec();
}

void MoJuWizard::SlotTemperatureChart()
{
    if ((*currentParams)[Param::TemperatureChart] == 0) {
        warn(tr("温度波形图未启用\n请前往高级参数设置"));
        return;
    }
    TemperatureChartData *store = TemperatureChartData::instance();
    if (!resultsLoaded(store))
        return;
    store->setChartMode(0);
    if (!chartWindow) {
        chartWindow = std::make_unique<TemperatureChartWidget>(camerasInUse(), stagesInUse(),
                                                               store);
        temperatureChartWidget = chartWindow.get();
    }
    chartWindow->StartRealTime();
    chartWindow->show();
    chartWindow->raise();
}
