#ifndef STATISTICS_CAMERASTATISTICSWIDGET_H
#define STATISTICS_CAMERASTATISTICSWIDGET_H

#include <QWidget>

class Histogram;
class QLabel;
class TemperatureChartData;

// The page of the statistics window: the totals of the counted cycles on the left ("totalCount",
// "totalNGCount", "totalNGRate") and the histogram of the time buckets beside them.
class CameraStatisticsWidget : public QWidget
{
    Q_OBJECT

public:
    // Built with the store's current bucket labels and counts.
    CameraStatisticsWidget(TemperatureChartData *store, QWidget *parent = nullptr);

    // The totals of the store's last count.
    void ShowTotals(int cycles, int ngCycles, double ngRatePercent);

    Histogram *histogram = nullptr;

private:
    QLabel *totalCount = nullptr;
    QLabel *totalNGCount = nullptr;
    QLabel *totalNGRate = nullptr;
};

// The NG rate as the window shows it: 4 significant digits and "%".
QString ngRateText(double percent);
// TemperatureChartData::GetHourlyCounts holds the OK counts followed by the NG counts.
void splitHourlyCounts(const QList<int> &counts, QList<int> *ok, QList<int> *ng);

#endif
