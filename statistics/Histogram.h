#ifndef STATISTICS_HISTOGRAM_H
#define STATISTICS_HISTOGRAM_H

#include <QList>
#include <QStringList>
#include <QWidget>

// The bars of the statistics window: for every time bucket a green bar with its OK cycles and
// a red bar with its NG cycles, the bucket's start and end below them and a legend. The
// buckets are split over two rows, the first half above, so a day of 24 hours shows as two
// rows of 12. Nothing fills the background; the parent's shows through.
class Histogram : public QWidget
{
    Q_OBJECT

public:
    Histogram(QWidget *parent, const QStringList &startLabels, const QStringList &endLabels,
              const QList<int> &okValues, const QList<int> &ngValues);

    // Replaces both value lists, schedules a repaint and emits finishDraw().
    void SetData(const QList<int> &okValues, const QList<int> &ngValues);
    // Replaces the bucket labels ("MM-dd hh:mm:ss" starts and ends of the result store's axis).
    void UpdateLabels(const QStringList &startLabels, const QStringList &endLabels);
    void UpdateMaximum();

    int bars() const { return barCount; }
    int maximum() const { return maxValue; }

signals:
    // The new values are in; the repaint may still be pending.
    void finishDraw();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void UpdateBarCount();

    QList<int> okValues;
    QList<int> ngValues;
    QStringList startLabels;
    QStringList endLabels;
    int barCount = 0;
    int maxValue = 0;
};

#endif
