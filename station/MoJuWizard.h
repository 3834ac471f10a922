#ifndef STATION_MOJUWIZARD_H
#define STATION_MOJUWIZARD_H

#include "core/StationHost.h"

#include <QVector>
#include <QWidget>

class QTimer;

// The operator station's full-screen main window. For now it is an empty dark window that
// keeps what the lower layers ask of it (login level, side, screen state and the logout and
// screen-off timers); the camera panels, menus and the run controller come with the station.
class MoJuWizard : public QWidget, public StationHost
{
    Q_OBJECT

public:
    explicit MoJuWizard(QWidget *parent = nullptr);

    void InsertRecord(const QString &text) override;
    int userLevel() const override;
    void setUserLevel(int level) override;
    int currentSide() const override;
    void setCurrentSide(int side) override;
    int currentDetect() const override;
    bool screenOff() const override;
    void setScreenOff(bool off) override;
    void restartScreenOffTimer(int milliseconds) override;
    void restartLogoutTimer(int milliseconds) override;
    void appendMeasurementValue(int value) override;
    void updateVisiblePanelTitles() override;
    QWidget *hostWidget() override;

    QVector<int> measurementValues;

public slots:
    void TimerLogout();
    void TimerLCD();

private:
    int level = 0;
    int side = 1;
    int detect = 0;
    bool dark = false;
    QTimer *logoutTimer;
    QTimer *backlightTimer;
};

// The one main window; set by main() once the constructor has returned.
extern MoJuWizard *mainWindow;

#endif
