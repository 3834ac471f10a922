#ifndef STATISTICS_MCUSTOMPLOT_H
#define STATISTICS_MCUSTOMPLOT_H

#include "statistics/PlotFilter.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QVector>
#include <QWidget>

class ColorButton;
class QCPItemText;
class QCPItemTracer;
class QCustomPlot;
class QMouseEvent;
class QTimer;
class TemperatureChartData;
class customButton;

// The temperature curves of the chart window: one graph per camera, detect stage and
// temperature region of the result store's series (key "C:%1_D:%2_F:%3"), on a time axis in
// seconds since the epoch shown as local time. In real time the newest 15 minutes are shown
// and the points added since the last tick are appended once a second; the combos of the
// window show or hide graphs. Four buttons on the plot: real time / pause, restore the range,
// drag / zoom and the point label.
class mCustomPlot : public QWidget
{
    Q_OBJECT

public:
    explicit mCustomPlot(TemperatureChartData *store, QWidget *parent = nullptr);
    ~mCustomPlot() override;

    void SetFilter(const PlotFilter &filter);
    // Shows the graphs that pass the filter and hides the others.
    void ApplyFilter();
    // Draws the series of the store's chart mode anew (expects a plot without graphs).
    void RebuildGraphs();
    void ClearGraphs();
    // The x range back to the remembered one (when there is one) and the y axis fitted.
    void RestoreRange();
    void UpdateLegend();
    // The remembered x range becomes the last 890 s and the next 10 s.
    void ResetWindow();
    void StartRefresh();
    void StopRefresh();
    void SetRealTimeButton(const QString &text, bool checked);

    // The i-th graph's colour: ten fixed colours, then random ones.
    static QColor PlotColor(int index);
    // "相机:%1_%2_区域:%3" of a series key.
    static QString GraphName(const QString &key);

    QCustomPlot *plot() const { return customPlot; }
    bool isRefreshing() const;
    int graphIndex(const QString &key) const { return keyToGraph.value(key, -1); }
    QList<int> visibleGraphs() const { return shownGraphs; }
    customButton *realTimeSwitch() const { return realTimeButton; }

public slots:
    void mouseMove1(QMouseEvent *e);
    void realTimeDataSlot();
    void selectedShow();

    // Button handlers.
    void ToggleRealTime();
    void ToggleZoomMode();
    void ToggleLabel();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void AppendLivePoints();
    void AddGraph(const QString &key);
    // The graph's new points: drawn, and its value span widened.
    void AddPoints(int index, const QVector<double> &keys, const QVector<double> &values,
                   bool replace);
    // The y axis over the visible graphs, as QCPAxis::rescale(true) sets it.
    void FitValueAxis();
    void HideTracer();

    // Lowest and highest value of each graph, kept as points arrive: fitting the y axis once a
    // second must not walk the whole day of every series.
    struct ValueSpan
    {
        double low = 0;
        double high = 0;
        bool any = false;
    };

    TemperatureChartData *store;
    QCustomPlot *customPlot = nullptr;
    QCPItemTracer *tracer = nullptr;
    QCPItemText *tracerLabel = nullptr;
    customButton *realTimeButton = nullptr;
    customButton *zoomButton = nullptr;
    customButton *labelButton = nullptr;
    QTimer *refreshTimer = nullptr;
    int cameraFilter = -1;
    int detectFilter = -1;
    int regionFilter = -1;
    QDateTime rangeStart;
    QDateTime rangeEnd;
    QMap<QString, int> keyToGraph;
    QList<int> shownGraphs;
    QVector<ValueSpan> valueSpans;
    int graphCount = 0;
    bool hasSeries = false;
    bool zoomMode = false;
    bool labelOn = false;
    int selectedGraph = 0;
};

#endif
