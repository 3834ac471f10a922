#ifndef STATION_DOTTOMDOCK_DESCRIBE_H
#define STATION_DOTTOMDOCK_DESCRIBE_H

#include <QString>
#include <QWidget>

class DottomDock_Describe_part1;

// The bottom bar's container of the time panel, at least 500 wide.
class DottomDock_Describe : public QWidget
{
    Q_OBJECT

public:
    explicit DottomDock_Describe(QWidget *parent = nullptr);

    DottomDock_Describe_part1 *timePanel() const { return part1; }

private:
    DottomDock_Describe_part1 *part1;
};

// The time panel "DottomDock_Describe_part1": the current date and time and the time between
// the last two cycle starts. It holds nothing itself; the repaint task repaints it every 100 ms
// and it paints from the clock and the main window's cycleTime.
class DottomDock_Describe_part1 : public QWidget
{
    Q_OBJECT

public:
    explicit DottomDock_Describe_part1(QWidget *parent = nullptr);

    // "yyyy-MM-dd hh:mm:ss" of now, and the cycle time from tenths of a second ("周期 3.5秒").
    static QString clockText();
    static QString cycleText(int cycleTenths);

protected:
    void paintEvent(QPaintEvent *event) override;
};

#endif
