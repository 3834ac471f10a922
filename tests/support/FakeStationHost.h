#ifndef TESTS_SUPPORT_FAKESTATIONHOST_H
#define TESTS_SUPPORT_FAKESTATIONHOST_H

#include "core/StationHost.h"

#include <QStringList>
#include <QVector>

// A plain StationHost for tests: remembers what the lower layers asked of the main window.
// Installs itself as stationHost for its lifetime.
struct FakeStationHost : StationHost
{
    QStringList records;
    int level = 0;
    int side = 1;
    int detect = 0;
    bool dark = false;
    int screenOffTimerMs = -1;
    int logoutTimerMs = -1;
    QVector<int> measurementValues;
    int panelTitleUpdates = 0;
    QWidget *widget = nullptr;

    FakeStationHost() : previous(stationHost) { stationHost = this; }
    ~FakeStationHost() override { stationHost = previous; }

    void InsertRecord(const QString &text) override { records << text; }
    int userLevel() const override { return level; }
    void setUserLevel(int l) override { level = l; }
    int currentSide() const override { return side; }
    void setCurrentSide(int s) override { side = s; }
    int currentDetect() const override { return detect; }
    bool screenOff() const override { return dark; }
    void setScreenOff(bool off) override { dark = off; }
    void restartScreenOffTimer(int ms) override { screenOffTimerMs = ms; }
    void restartLogoutTimer(int ms) override { logoutTimerMs = ms; }
    void appendMeasurementValue(int value) override { measurementValues << value; }
    void updateVisiblePanelTitles() override { ++panelTitleUpdates; }
    QWidget *hostWidget() override { return widget; }

private:
    StationHost *previous;
};

#endif
