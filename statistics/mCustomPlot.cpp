#include "statistics/mCustomPlot.h"

#include "core/TemperatureChartData.h"
#include "uikit/ColorButton.h"
#include "uikit/customButton.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTimer>
#include <QVector>
#include <qcustomplot.h>

#include <cmath>

namespace {

// The real-time window: the last 890 s and the next 10 s.
constexpr int PastSeconds = 890;
constexpr int AheadSeconds = 10;
constexpr int RefreshMs = 1000;

const QColor axisGrey(112, 112, 112);
const QColor highlight(255, 215, 0);

struct KeyParts
{
    int camera = -1;
    int detect = -1;
    int region = -1;
};

// "C:%1_D:%2_F:%3": three fields split at "_", each number after its ":".
KeyParts parseKey(const QString &key)
{
    KeyParts parts;
    const QStringList fields = key.split(QLatin1Char('_'));
    if (fields.size() != 3)
        return parts;
    int *targets[3] = {&parts.camera, &parts.detect, &parts.region};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int value = fields.at(i).section(QLatin1Char(':'), 1).toInt(&ok);
        *targets[i] = ok ? value : -1;
    }
    return parts;
}

QPen axisPen()
{
    return QPen(axisGrey, 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

void styleAxis(QCPAxis *axis)
{
    axis->setBasePen(axisPen());
    axis->setTickPen(axisPen());
    axis->setTickLabelColor(Qt::white);
    axis->setLabelColor(Qt::white);
    axis->setSubTicks(false);
}

// The points of a series as the two vectors a graph takes.
void splitPoints(const QVector<QPointF> &points, QVector<double> *keys, QVector<double> *values)
{
    keys->resize(points.size());
    values->resize(points.size());
    for (int i = 0; i < points.size(); ++i) {
        (*keys)[i] = points.at(i).x();
        (*values)[i] = points.at(i).y();
    }
}

} // namespace

mCustomPlot::mCustomPlot(TemperatureChartData *store, QWidget *parent)
    : QWidget(parent), store(store)
{
    setFixedSize(1764, 804);
    setObjectName(QStringLiteral("wgt"));
    setStyleSheet(QStringLiteral("QWidget#wgt{border: 2px solid #707070;}"));

    customPlot = new QCustomPlot(this);
    customPlot->setGeometry(2, 2, 1760, 800);
    customPlot->setBackground(QBrush(QColor(38, 46, 52)));

    styleAxis(customPlot->xAxis);
    styleAxis(customPlot->yAxis);
    customPlot->xAxis->grid()->setVisible(false);
    QSharedPointer<QCPAxisTickerDateTime> timeTicker(new QCPAxisTickerDateTime);
    timeTicker->setDateTimeFormat(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    timeTicker->setTickStepStrategy(QCPAxisTicker::tssMeetTickCount);
    customPlot->xAxis->setTicker(timeTicker);
    customPlot->yAxis->setLabel(tr("温度°C"));

    // The legend in a narrow first column of the layout, left of the axis rect.
    QCPLegend *legend = customPlot->legend;
    legend->setVisible(true);
    legend->setBrush(Qt::NoBrush);
    legend->setBorderPen(Qt::NoPen);
    legend->setTextColor(Qt::white);
    legend->setSelectableParts(QCPLegend::spItems);
    customPlot->axisRect()->insetLayout()->take(legend);
    customPlot->plotLayout()->insertColumn(0);
    customPlot->plotLayout()->addElement(0, 0, legend);
    customPlot->plotLayout()->setColumnStretchFactor(0, 0.001);
    legend->setMargins(QMargins(10, 15, 10, 300));

    customPlot->axisRect()->setAutoMargins(QCP::msNone);
    customPlot->axisRect()->setMargins(QMargins(60, 30, 20, 30));
    customPlot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom | QCP::iSelectPlottables
                                | QCP::iSelectLegend);
    customPlot->selectionRect()->setPen(
        QPen(Qt::black, 1, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    customPlot->selectionRect()->setBrush(QColor(0, 0, 100, 50));
    customPlot->setSelectionRectMode(QCP::srmNone);

    tracer = new QCPItemTracer(customPlot);
    tracer->setPen(QPen(highlight));
    tracer->setBrush(highlight);
    tracer->setStyle(QCPItemTracer::tsCircle);
    tracer->setSize(5);
    tracerLabel = new QCPItemText(customPlot);
    tracerLabel->setLayer(QStringLiteral("overlay"));
    tracerLabel->setFont(QFont(QStringLiteral("SimHei"), 10));
    tracerLabel->setColor(Qt::white);
    tracerLabel->setPadding(QMargins(5, 5, 5, 5));
    tracerLabel->setBrush(QColor(112, 112, 112, 112));
    tracerLabel->setPositionAlignment(Qt::AlignBottom);
    tracerLabel->position->setParentAnchor(tracer->position);
    // Nothing is picked before the label is switched on.
    HideTracer();

    realTimeButton = new customButton(customPlot);
    realTimeButton->setGeometry(10, 600, 100, 40);
    SetRealTimeButton(tr("实时"), true);
    auto *restoreButton = new ColorButton(tr("还原"), customPlot);
    restoreButton->setGeometry(120, 600, 100, 40);
    zoomButton = new customButton(customPlot);
    zoomButton->setGeometry(10, 650, 100, 40);
    zoomButton->setText(tr("区域移动"));
    zoomButton->setChecked(true);
    // The label starts switched off and says so.
    labelButton = new customButton(customPlot);
    labelButton->setGeometry(120, 650, 100, 40);
    labelButton->setText(tr("隐藏标签"));
    labelButton->setChecked(false);

    refreshTimer = new QTimer(this);
    connect(realTimeButton, &QPushButton::clicked, this, &mCustomPlot::ToggleRealTime);
    connect(restoreButton, &QPushButton::clicked, this, &mCustomPlot::RestoreRange);
    connect(zoomButton, &QPushButton::clicked, this, &mCustomPlot::ToggleZoomMode);
    connect(labelButton, &QPushButton::clicked, this, &mCustomPlot::ToggleLabel);
    connect(refreshTimer, &QTimer::timeout, this, &mCustomPlot::realTimeDataSlot);
    connect(customPlot, &QCustomPlot::selectionChangedByUser, this, &mCustomPlot::selectedShow);

    ResetWindow();
    RestoreRange();
}

mCustomPlot::~mCustomPlot()
{
    StopRefresh();
}

QColor mCustomPlot::PlotColor(int index)
{
    static const QColor fixed[] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},     {255, 255, 0},
                                   {255, 0, 255}, {0, 255, 255}, {255, 69, 0},    {128, 0, 128},
                                   {165, 42, 42}, {255, 128, 193}};
    if (index >= 0 && index < int(sizeof fixed / sizeof fixed[0]))
        return fixed[index];
    QRandomGenerator *random = QRandomGenerator::global();
    const int r = random->bounded(255);
    const int g = random->bounded(255);
    const int b = random->bounded(255);
    return QColor(r, g, b);
}

QString mCustomPlot::GraphName(const QString &key)
{
    const KeyParts parts = parseKey(key);
    return tr("相机:%1_%2_区域:%3")
        .arg(parts.camera + 1)
        .arg(parts.detect == 0 ? tr("成品检测") : tr("模腔检测"))
        .arg(parts.region + 1);
}

void mCustomPlot::SetFilter(const PlotFilter &filter)
{
    cameraFilter = filter.camera;
    detectFilter = filter.detect;
    regionFilter = filter.region;
    rangeStart = filter.start;
    rangeEnd = filter.end;
}

void mCustomPlot::ApplyFilter()
{
    shownGraphs.clear();
    HideTracer();
    customPlot->replot(QCustomPlot::rpRefreshHint);
    for (auto it = keyToGraph.cbegin(); it != keyToGraph.cend(); ++it) {
        QCPGraph *graph = customPlot->graph(it.value());
        if (!graph)
            continue;
        const KeyParts parts = parseKey(it.key());
        const bool hidden = (cameraFilter != -1 && cameraFilter != parts.camera)
                            || (detectFilter != -1 && detectFilter != parts.detect)
                            || (regionFilter != -1 && regionFilter != parts.region);
        graph->setVisible(!hidden);
        if (!hidden)
            shownGraphs.append(it.value());
    }
    customPlot->replot(QCustomPlot::rpRefreshHint);
}

void mCustomPlot::AddGraph(const QString &key)
{
    QCPGraph *graph = customPlot->addGraph(customPlot->xAxis, customPlot->yAxis);
    graph->setPen(QPen(PlotColor(graphCount)));
    graph->setName(GraphName(key));
    graph->setLineStyle(QCPGraph::lsLine);
    keyToGraph.insert(key, graphCount);
    ++graphCount;
}

void mCustomPlot::RebuildGraphs()
{
    // In real time the copy holds every point so far: the live points go with it.
    const SeriesMap series = store->TakeSeries();
    graphCount = 0;
    QVector<double> keys;
    QVector<double> values;
    for (auto it = series.cbegin(); it != series.cend(); ++it) {
        if (it.value().isEmpty())
            continue;
        splitPoints(it.value(), &keys, &values);
        shownGraphs.append(graphCount);
        AddGraph(it.key());
        AddPoints(graphCount - 1, keys, values, true);
    }
    if (keyToGraph.isEmpty()) {
        customPlot->addGraph(customPlot->xAxis, customPlot->yAxis)
            ->setName(tr("相机:0_没有检测_区域:0"));
        hasSeries = false;
    } else {
        hasSeries = true;
    }
    customPlot->replot(QCustomPlot::rpRefreshHint);
}

void mCustomPlot::ClearGraphs()
{
    tracer->setGraph(nullptr);
    customPlot->clearGraphs();
    keyToGraph.clear();
    shownGraphs.clear();
    valueSpans.clear();
}

void mCustomPlot::AddPoints(int index, const QVector<double> &keys, const QVector<double> &values,
                            bool replace)
{
    QCPGraph *graph = customPlot->graph(index);
    if (!graph)
        return;
    if (replace)
        graph->setData(keys, values, true);
    else
        graph->addData(keys, values, true);
    if (valueSpans.size() <= index)
        valueSpans.resize(index + 1);
    ValueSpan &span = valueSpans[index];
    if (replace)
        span = ValueSpan();
    for (const double value : values) {
        if (std::isnan(value))
            continue;
        if (!span.any) {
            span.low = span.high = value;
            span.any = true;
        } else {
            span.low = qMin(span.low, value);
            span.high = qMax(span.high, value);
        }
    }
}

void mCustomPlot::FitValueAxis()
{
    QCPRange range;
    bool any = false;
    const int graphs = qMin(customPlot->graphCount(), valueSpans.size());
    for (int i = 0; i < graphs; ++i) {
        const ValueSpan &span = valueSpans.at(i);
        if (!span.any || !customPlot->graph(i)->realVisibility())
            continue;
        if (!any) {
            range = QCPRange(span.low, span.high);
            any = true;
        } else {
            range.expand(QCPRange(span.low, span.high));
        }
    }
    if (!any)
        return;
    if (!QCPRange::validRange(range)) {
        // One value only: keep the axis' size around it.
        const double centre = (range.lower + range.upper) * 0.5;
        const double half = customPlot->yAxis->range().size() / 2.0;
        range = QCPRange(centre - half, centre + half);
    }
    customPlot->yAxis->setRange(range);
}

void mCustomPlot::realTimeDataSlot()
{
    ResetWindow();
    customPlot->xAxis->setRange(double(rangeStart.toSecsSinceEpoch()),
                                double(rangeEnd.toSecsSinceEpoch()));
    FitValueAxis();
    AppendLivePoints();
    customPlot->legend->setVisible(!keyToGraph.isEmpty());
    // One replot: a second one would draw every curve again into the same picture, and with
    // hundreds of curves that is most of the tick.
    customPlot->replot(QCustomPlot::rpRefreshHint);
}

void mCustomPlot::AppendLivePoints()
{
    const SeriesMap points = store->TakeLivePoints();
    if (!points.isEmpty() && !hasSeries) {
        // The placeholder goes with the first real point.
        customPlot->clearGraphs();
        hasSeries = true;
    }
    QVector<double> keys;
    QVector<double> values;
    for (auto it = points.cbegin(); it != points.cend(); ++it) {
        if (it.value().isEmpty())
            continue;
        splitPoints(it.value(), &keys, &values);
        const int index = keyToGraph.value(it.key(), -1);
        if (index >= 0) {
            AddPoints(index, keys, values, false);
            continue;
        }
        // A new series is drawn at once; the next filter change decides about it.
        AddGraph(it.key());
        AddPoints(graphCount - 1, keys, values, true);
    }
}

void mCustomPlot::RestoreRange()
{
    FitValueAxis();
    if (!rangeStart.isNull() || !rangeEnd.isNull())
        customPlot->xAxis->setRange(double(rangeStart.toSecsSinceEpoch()),
                                    double(rangeEnd.toSecsSinceEpoch()));
    customPlot->replot(QCustomPlot::rpRefreshHint);
}

void mCustomPlot::UpdateLegend()
{
    customPlot->legend->setVisible(!keyToGraph.isEmpty());
    customPlot->replot(QCustomPlot::rpRefreshHint);
}

void mCustomPlot::ResetWindow()
{
    const QDateTime now = QDateTime::currentDateTime();
    rangeStart = now.addSecs(-PastSeconds);
    rangeEnd = now.addSecs(AheadSeconds);
}

void mCustomPlot::StartRefresh()
{
    store->setLiveCollecting(true);
    refreshTimer->start(RefreshMs);
}

void mCustomPlot::StopRefresh()
{
    refreshTimer->stop();
    store->setLiveCollecting(false);
}

bool mCustomPlot::isRefreshing() const
{
    return refreshTimer->isActive();
}

void mCustomPlot::SetRealTimeButton(const QString &text, bool checked)
{
    realTimeButton->setText(text);
    realTimeButton->setChecked(checked);
}

void mCustomPlot::ToggleRealTime()
{
    if (store->chartMode() != 0) {
        store->setChartMode(0);
        SetRealTimeButton(tr("实时"), true);
        ClearGraphs();
        RebuildGraphs();
        customPlot->legend->setVisible(!keyToGraph.isEmpty());
        customPlot->replot(QCustomPlot::rpRefreshHint);
        ResetWindow();
        RestoreRange();
        StartRefresh();
    } else {
        store->setChartMode(1);
        SetRealTimeButton(tr("暂停"), false);
        StopRefresh();
    }
}

void mCustomPlot::ToggleZoomMode()
{
    zoomMode = !zoomMode;
    customPlot->setSelectionRectMode(zoomMode ? QCP::srmZoom : QCP::srmNone);
    zoomButton->setText(zoomMode ? tr("区域放大") : tr("区域移动"));
    zoomButton->setChecked(!zoomMode);
}

void mCustomPlot::ToggleLabel()
{
    labelOn = !labelOn;
    if (labelOn) {
        tracer->setVisible(true);
        tracerLabel->setVisible(true);
        connect(customPlot, &QCustomPlot::mousePress, this, &mCustomPlot::mouseMove1,
                Qt::UniqueConnection);
        labelButton->setText(tr("显示标签"));
    } else {
        HideTracer();
        disconnect(customPlot, &QCustomPlot::mousePress, this, &mCustomPlot::mouseMove1);
        labelButton->setText(tr("隐藏标签"));
    }
    labelButton->setChecked(labelOn);
    customPlot->replot(QCustomPlot::rpRefreshHint);
}

void mCustomPlot::mouseMove1(QMouseEvent *e)
{
    QCPGraph *graph = customPlot->graph(selectedGraph);
    if (!graph || !shownGraphs.contains(selectedGraph)) {
        HideTracer();
        customPlot->replot(QCustomPlot::rpRefreshHint);
        return;
    }
    tracer->setVisible(true);
    tracerLabel->setVisible(true);
    const double x = customPlot->xAxis->pixelToCoord(e->pos().x());
    tracer->setGraph(graph);
    tracer->setGraphKey(x);
    tracer->setInterpolating(true);
    tracer->updatePosition();
    const double key = tracer->position->key();
    tracerLabel->setText(
        tr("日期:%1\n温度:%2")
            .arg(QDateTime::fromSecsSinceEpoch(qint64(key)).toString(
                     QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                 QString::number(tracer->position->value(), 'g', 6)));
    customPlot->replot(QCustomPlot::rpRefreshHint);
}

void mCustomPlot::selectedShow()
{
    for (int i = 0; i < customPlot->graphCount(); ++i) {
        QCPGraph *graph = customPlot->graph(i);
        QCPPlottableLegendItem *item = customPlot->legend->itemWithPlottable(graph);
        if (!(item && item->selected()) && !graph->selected())
            continue;
        selectedGraph = i;
        graph->selectionDecorator()->setPen(
            QPen(highlight, 3, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        graph->setSelection(QCPDataSelection(graph->data()->dataRange()));
        if (item) {
            item->setSelectedTextColor(highlight);
            item->setSelected(true);
        }
    }
}

void mCustomPlot::HideTracer()
{
    tracer->setVisible(false);
    tracerLabel->setVisible(false);
}

void mCustomPlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(53, 61, 69));
    painter.drawRect(rect());
}
