#include "statistics/StatisticsWidget.h"

#include "core/Clock.h"
#include "core/TemperatureChartData.h"
#include "core/dataThread.h"
#include "statistics/CameraStatisticsWidget.h"
#include "statistics/Histogram.h"
#include "statistics/ResultExport.h"
#include "statistics/WindowParts.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/FromTimeToTime.h"
#include "uikit/tipbox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

StatisticsWidget *statisticsWidget = nullptr;

namespace {

constexpr int WindowWidth = 1800;
constexpr int WindowHeight = 950;

} // namespace

StatisticsWidget::StatisticsWidget(int cameras, int stages, TemperatureChartData *store,
                                   QWidget *parent)
    : RangeWindow(store, parent)
{
    setFixedSize(WindowWidth, WindowHeight);
    setObjectName(QStringLiteral("statisticswidget"));
    setStyleSheet(QStringLiteral(
        "QWidget#statisticswidget{background-color: #1E1E1E;}QStackedWidget#pStackedWidget{"
        "background-color: #262E34;border: 1px solid #707070;}QLabel{color: white;font-size: "
        "20px;}"));
    centreOnMainWindow(this);

    QPushButton *closeButton = nullptr;
    QWidget *titleBar = buildTitleBar(this, WindowWidth, QStringLiteral(":/Statistics.png"),
                                      tr("生产统计"), &closeButton);

    auto *filterBar = new QWidget(this);
    filterBar->setFixedSize(WindowWidth, 80);
    BuildFilters(filterBar, 180, QFont(QStringLiteral("SimHei"), 15), cameras, stages,
                 tr("确定"));
    auto *exportButton = new ColorButton(tr("导出数据"), filterBar);
    exportButton->setFixedSize(200, 50);
    auto *filters = new QHBoxLayout(filterBar);
    filters->setContentsMargins(20, 0, 20, 0);
    LayOutFilters(filters, 30);
    filters->addStretch();
    filters->addWidget(exportButton);
    filters->addSpacing(10);

    pStackedWidget = new QStackedWidget(this);
    pStackedWidget->setObjectName(QStringLiteral("pStackedWidget"));
    pStackedWidget->setFixedSize(1760, 800);
    infoPanel = new CameraStatisticsWidget(store, pStackedWidget);
    pStackedWidget->addWidget(infoPanel);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 20);
    column->setSpacing(0);
    column->addWidget(titleBar);
    column->addWidget(filterBar);
    column->addWidget(pStackedWidget, 0, Qt::AlignHCenter);
    column->addStretch();

    // Given as it stands, not through the translator.
    loadingBox->setText(QStringLiteral("数据加载中"));

    for (ComboBox *combo : {cameraCombo, detectCombo, regionCombo})
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &StatisticsWidget::comboxChange);
    if (dataThread *reader = store->reader())
        connect(reader, &dataThread::readResFinished, this, &StatisticsWidget::finishSearch,
                Qt::QueuedConnection);
    connect(infoPanel->histogram, &Histogram::finishDraw, loadingBox.get(), &QWidget::close);
    connect(searchButton, &QPushButton::clicked, this, &StatisticsWidget::Search);
    connect(exportButton, &QPushButton::clicked, this, &StatisticsWidget::ExportToFolder);
    connect(closeButton, &QPushButton::clicked, this, &StatisticsWidget::CloseWindow);
}

void StatisticsWidget::ShowToday()
{
    const QDate today = wallClock()->now().date();
    todayFrom = QDateTime(today, QTime(0, 0));
    todayTo = QDateTime(today, QTime(23, 59, 59, 999));
    // A read of an earlier opening that has not ended yet is no longer shown.
    ForgetPendingRead();
    loadingBox->close();
    {
        // One count below does for all three.
        const QSignalBlocker camera(cameraCombo);
        const QSignalBlocker detect(detectCombo);
        const QSignalBlocker region(regionCombo);
        cameraCombo->setCurrentIndex(0);
        detectCombo->setCurrentIndex(0);
        regionCombo->setCurrentIndex(0);
    }
    rangePicker->clearAll();
    store->setResultMode(0);

    ResultQuery day;
    day.from = todayFrom;
    day.to = todayTo;
    store->SetQuery(day);
    store->ResetDayAxis();
    store->ComputeHourlyCounts();
    changeLeftInfo();
    ShowCounts(true);
    UpdateSearchButton();
}

void StatisticsWidget::changeLeftInfo()
{
    infoPanel->ShowTotals(store->totalCycles(), store->ngCycles(), store->ngRate());
}

void StatisticsWidget::comboxChange(int)
{
    // After a search the combos wait for the next one.
    if (store->resultMode() == 1)
        return;
    ResultQuery query = FilterQuery();
    // Counted over today, whatever range the store was last given (an export hands it the
    // picker's).
    query.from = todayFrom;
    query.to = todayTo;
    store->SetQuery(query);
    store->ComputeHourlyCounts();
    changeLeftInfo();
    ShowCounts(false);
}

void StatisticsWidget::finishSearch(quint64 read)
{
    if (!TakeAnswer(read))
        return;
    changeLeftInfo();
    ShowCounts(true);
}

void StatisticsWidget::Search()
{
    ResultQuery query;
    if (!SearchQuery(&query))
        return;
    const int previousMode = store->resultMode();
    store->setResultMode(1);
    store->SetQuery(query);
    if (!StartRead()) {
        store->setResultMode(previousMode);
        return;
    }
    loadingBox->show();
}

void StatisticsWidget::ExportToFolder()
{
    exporter->Run(FilterQuery(), 1);
}

void StatisticsWidget::CloseWindow()
{
    CloseRangeParts();
    store->setResultMode(0);
    QDialog::reject();
}

void StatisticsWidget::ShowCounts(bool newLabels)
{
    if (newLabels) {
        const QList<QStringList> labels = store->axisLabels();
        infoPanel->histogram->UpdateLabels(labels.value(0), labels.value(1));
    }
    QList<int> ok;
    QList<int> ng;
    splitHourlyCounts(store->GetHourlyCounts(), &ok, &ng);
    infoPanel->histogram->SetData(ok, ng);
}
