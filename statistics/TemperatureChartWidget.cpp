#include "statistics/TemperatureChartWidget.h"

#include "core/Clock.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/TemperatureChartData.h"
#include "core/dataThread.h"
#include "statistics/PlotFilter.h"
#include "statistics/ResultExport.h"
#include "statistics/WindowParts.h"
#include "statistics/mCustomPlot.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/Edit.h"
#include "uikit/FromTimeToTime.h"
#include "uikit/tipbox.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

TemperatureChartWidget *temperatureChartWidget = nullptr;

namespace {

constexpr int WindowWidth = 1850;
constexpr int WindowHeight = 950;
constexpr int MaxRecordMinutes = 100;

} // namespace

TemperatureChartWidget::TemperatureChartWidget(int cameras, int stages,
                                               TemperatureChartData *store, QWidget *parent)
    : RangeWindow(store, parent)
{
    setFixedSize(WindowWidth, WindowHeight);
    setStyleSheet(QStringLiteral("QWidget{background-color: #1E1E1E;}QLabel{color: white;"
                                 "font-size: 20px;}"));
    centreOnMainWindow(this);
    const QFont windowFont(QStringLiteral("SimHei"), 15);

    QPushButton *closeButton = nullptr;
    QWidget *titleBar = buildTitleBar(this, WindowWidth, QStringLiteral(":/TemperatureChart.png"),
                                      tr("温度波形图"), &closeButton);

    auto *toolBar = new QWidget(this);
    toolBar->setFixedSize(WindowWidth, 80);
    BuildFilters(toolBar, 120, windowFont, cameras, stages, tr("确认"));
    searchButton->setFont(windowFont);
    recordCheck = new QCheckBox(toolBar);
    recordCheck->setFixedHeight(40);
    recordCheck->setStyleSheet(QStringLiteral(
        "QCheckBox::indicator::unchecked {width: 35px;height: 35px;image: url(:/Unchecked.png);}"
        "QCheckBox::indicator::checked {width: 35px;height: 35px;image: url(:/Checked.png);}"
        "QCheckBox::enabled::checked {color: #ffffff;}QCheckBox::enabled::unchecked {color: "
        "#999999;}"));
    minutesEdit = new Edit(9, toolBar);
    minutesEdit->setFixedHeight(40);
    minutesEdit->setAlignment(Qt::AlignCenter);
    minutesEdit->intValidator()->setRange(0, MaxRecordMinutes);
    // Digits from the keypad bypass the validator; the entry is clamped when editing ends.
    minutesEdit->setRange(0, MaxRecordMinutes);
    minutesEdit->setStyleSheet(QStringLiteral("QLineEdit{   background:white;   font-size:30px;}"));
    if (currentParams)
        minutesEdit->setIntValue((*currentParams)[Param::RecordMinutes]);
    auto *exportButton = new ColorButton(tr("导出数据"), toolBar, 0);
    exportButton->setFixedSize(200, 50);

    auto *tools = new QHBoxLayout(toolBar);
    tools->setContentsMargins(20, 0, 20, 0);
    LayOutFilters(tools, 0);
    tools->addStretch();
    tools->addWidget(new QLabel(tr("定时记录"), toolBar));
    tools->addWidget(recordCheck);
    tools->addWidget(minutesEdit);
    tools->addWidget(new QLabel(tr("分钟"), toolBar));
    tools->addWidget(exportButton);

    chartPlot = new mCustomPlot(store, this);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 20);
    column->setSpacing(0);
    column->addWidget(titleBar);
    column->addWidget(toolBar);
    column->addWidget(chartPlot, 0, Qt::AlignHCenter);

    loadingBox->setText(tr("数据加载中"));

    for (ComboBox *combo : {cameraCombo, detectCombo, regionCombo})
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &TemperatureChartWidget::comboxChange);
    if (dataThread *reader = store->reader())
        connect(reader, &dataThread::readTempFinished, this,
                &TemperatureChartWidget::finishSearch, Qt::QueuedConnection);
    connect(searchButton, &QPushButton::clicked, this, &TemperatureChartWidget::Search);
    connect(exportButton, &QPushButton::clicked, this, &TemperatureChartWidget::ExportToFolder);
    connect(minutesEdit, &Edit::focusOut, this, &TemperatureChartWidget::ApplyRecordMinutes);
    connect(closeButton, &QPushButton::clicked, this, &TemperatureChartWidget::CloseWindow);
}

void TemperatureChartWidget::StartRealTime()
{
    chartPlot->SetRealTimeButton(tr("实时"), true);
    chartPlot->ResetWindow();
    chartPlot->ClearGraphs();
    chartPlot->RestoreRange();
    chartPlot->RebuildGraphs();
    chartPlot->UpdateLegend();
    chartPlot->RestoreRange();
    chartPlot->StartRefresh();
}

void TemperatureChartWidget::comboxChange(int)
{
    // In range mode the combos wait for the next search.
    if (store->chartMode() == 2)
        return;
    PlotFilter filter;
    filter.camera = filterIndex(cameraCombo);
    filter.detect = filterIndex(detectCombo);
    filter.region = filterIndex(regionCombo);
    chartPlot->SetFilter(filter);
    chartPlot->ApplyFilter();
}

void TemperatureChartWidget::finishSearch(quint64 read)
{
    if (!TakeAnswer(read))
        return;
    qInfo("finishSearch");
    qInfo("main_thread %p", static_cast<void *>(QThread::currentThread()));
    loadingBox->close();
    // The operator went back to real time or paused meanwhile: the plot shows what was chosen
    // then and stays as it is.
    if (store->chartMode() != 2)
        return;
    chartPlot->ClearGraphs();
    chartPlot->RebuildGraphs();
    chartPlot->RestoreRange();
    chartPlot->UpdateLegend();
}

void TemperatureChartWidget::Search()
{
    ResultQuery query;
    if (!SearchQuery(&query))
        return;
    loadingBox->show();
    chartPlot->StopRefresh();
    store->setChartMode(2);
    chartPlot->SetRealTimeButton(tr("暂停"), false);
    store->SetQuery(query);
    if (!StartRead())
        loadingBox->close();
    chartPlot->ClearGraphs();
    PlotFilter filter;
    filter.camera = query.camera;
    filter.detect = query.detect;
    filter.region = query.region;
    filter.start = query.from;
    filter.end = query.to;
    chartPlot->SetFilter(filter);
}

void TemperatureChartWidget::ExportToFolder()
{
    exporter->Run(FilterQuery(), recordCheck->isChecked() ? 2 : 1);
}

void TemperatureChartWidget::ApplyRecordMinutes()
{
    if (!currentParams)
        return;
    SystemParameters &live = *currentParams;
    if (minutesEdit->text().isEmpty()) {
        minutesEdit->setIntValue(live[Param::RecordMinutes]);
        return;
    }
    const int minutes = qBound(0, minutesEdit->intValue(), MaxRecordMinutes);
    live[Param::RecordMinutes] = minutes;
    if (!live.SaveAll(ParameterManager::instance()->paramQuery()))
        qWarning("the timed-recording minutes could not be saved; %d applies until the next "
                 "start",
                 minutes);
    store->SetRecordInterval(minutes);
    qInfo("set regularTime");
}

void TemperatureChartWidget::CloseWindow()
{
    for (ComboBox *combo : {cameraCombo, detectCombo, regionCombo})
        combo->setCurrentIndex(0);
    chartPlot->StopRefresh();
    CloseRangeParts();
    QDialog::reject();
}

void TemperatureChartWidget::showEvent(QShowEvent *event)
{
    // Every showing offers the last 24 hours.
    const QDateTime now = wallClock()->now();
    rangePicker->setFromTime(now.addDays(-1));
    rangePicker->setToTime(now);
    RangeWindow::showEvent(event);
}
