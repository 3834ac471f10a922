#ifndef CORE_STATIONHOST_H
#define CORE_STATIONHOST_H

#include <QString>

class QWidget;

// What the lower layers need of the operator station's main window. The main window
// implements it; tests implement it with a plain struct. Lower layers reach it only through
// the process-wide stationHost pointer, which is null until the main window exists.
class StationHost
{
public:
    virtual ~StationHost() = default;

    // Appends one row (time, login level text, text) to the operation record.
    virtual void InsertRecord(const QString &text) = 0;

    // Login level: 0 not logged in, 1 primary user, 2 advanced user.
    virtual int userLevel() const = 0;
    virtual void setUserLevel(int level) = 0;

    // In machine modes 1 and 2: 1 selects detect stages 0 and 1, 0 selects stages 2 and 3.
    virtual int currentSide() const = 0;
    virtual void setCurrentSide(int side) = 0;

    // The detect stage whose capture runs.
    virtual int currentDetect() const = 0;

    // Screen backlight state and the screen-off and logout timers.
    virtual bool screenOff() const = 0;
    virtual void setScreenOff(bool off) = 0;
    virtual void restartScreenOffTimer(int milliseconds) = 0;
    virtual void restartLogoutTimer(int milliseconds) = 0;

    // The detection engine appends each temperature it reads during a capture.
    virtual void appendMeasurementValue(int value) = 0;

    // Repaint task: asks the title bar of every visible camera panel to repaint its status.
    virtual void updateVisiblePanelTitles() = 0;

    // The main window as a widget (for searches below it and as a dialog parent).
    virtual QWidget *hostWidget() = 0;
};

extern StationHost *stationHost;

#endif
