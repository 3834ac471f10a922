#ifndef STATISTICS_TEMPERATURECHARTWIDGET_H
#define STATISTICS_TEMPERATURECHARTWIDGET_H

#include "statistics/RangeWindow.h"

class Edit;
class QCheckBox;
class mCustomPlot;

// The window of the temperature curves of the temperature-alarm regions: one curve per camera,
// detect stage and region, live (today's series, extended every second) or for a picked time
// range that the result store reads back. It also exports result rows and sets the interval of
// the timed recording. Built once by the main window's chart command and shown non-modally.
//
// Its mode is the store's chart mode: 0 real time, 1 paused, 2 range. A range read's answer is
// drawn only while the plot is still in range mode.
class TemperatureChartWidget : public RangeWindow
{
    Q_OBJECT

public:
    // cameras and stages: the cameras and detect stages in use, offered by the combos.
    TemperatureChartWidget(int cameras, int stages, TemperatureChartData *store,
                           QWidget *parent = nullptr);

    // The plot in real time; the caller has set the store's chart mode to 0.
    void StartRealTime();

    mCustomPlot *chartPlot = nullptr;
    QCheckBox *recordCheck = nullptr;
    Edit *minutesEdit = nullptr;

public slots:
    void comboxChange(int);
    // A read of temperature series ended.
    void finishSearch(quint64 read);

    // Button handlers: 确认, 导出数据, the minutes field losing the focus, the close button.
    void Search();
    void ExportToFolder();
    void ApplyRecordMinutes();
    void CloseWindow() override;

protected:
    void showEvent(QShowEvent *event) override;
};

// The one chart window, built by the main window's chart command on first use; null before.
extern TemperatureChartWidget *temperatureChartWidget;

#endif
