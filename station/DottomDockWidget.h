#ifndef STATION_DOTTOMDOCKWIDGET_H
#define STATION_DOTTOMDOCKWIDGET_H

#include <QWidget>

class DottomDock_Describe;
class IOStatusWidget_2;

// The strip along the bottom of the main window: the I/O lamps on the left, the date, time and
// last cycle time on the right, clear of the side menu's column.
class DottomDockWidget : public QWidget
{
    Q_OBJECT

public:
    explicit DottomDockWidget(QWidget *parent = nullptr);

    IOStatusWidget_2 *ioRow() const { return lamps; }
    DottomDock_Describe *describe() const { return describeBox; }

private:
    IOStatusWidget_2 *lamps;
    DottomDock_Describe *describeBox;
};

#endif
