#ifndef STATISTICS_STATISTICSWIDGET_H
#define STATISTICS_STATISTICSWIDGET_H

#include "statistics/RangeWindow.h"

#include <QDateTime>

class CameraStatisticsWidget;
class QStackedWidget;

// The production statistics window: how many mould cycles were OK and how many NG, today or
// in a chosen time range, as totals with the NG rate and as bars per time bucket, filtered by
// camera, detect stage and region. The figures are the result store's round counts over its
// result rows. Frameless and modal over the main window; built once, then reused.
//
// Two states: today (the combos filter at once) and range (after a search; the combos wait for
// the next search).
class StatisticsWidget : public RangeWindow
{
    Q_OBJECT

public:
    // cameras and stages: the cameras and detect stages in use, offered by the combos.
    StatisticsWidget(int cameras, int stages, TemperatureChartData *store,
                     QWidget *parent = nullptr);

    // Resets the filters and shows today's figures; the opener calls it before every exec().
    void ShowToday();

    QStackedWidget *pStackedWidget = nullptr;
    CameraStatisticsWidget *infoPanel = nullptr;

public slots:
    void changeLeftInfo();
    void comboxChange(int);
    // A range read of result rows ended.
    void finishSearch(quint64 read);

    // Button handlers: 确定, 导出数据 and the close button.
    void Search();
    void ExportToFolder();
    void CloseWindow() override;

private:
    void ShowCounts(bool newLabels);

    // Today's range as ShowToday set it; the combos count over it in the today state.
    QDateTime todayFrom;
    QDateTime todayTo;
};

// The one statistics window, built by the main window's opener on first use; null before.
extern StatisticsWidget *statisticsWidget;

#endif
