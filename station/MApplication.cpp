#include "station/MApplication.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/PlatformHelpers.h"
#include "core/StationHost.h"
#include "core/SystemParameters.h"

#include <QDateTime>
#include <QDebug>
#include <QEvent>

MApplication *application = nullptr;
qint64 MApplication::lastTouchLog = 0;

namespace {

constexpr qint64 TouchLogIntervalMs = 1000;

} // namespace

MApplication::MApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool MApplication::notify(QObject *receiver, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (now - lastTouchLog > TouchLogIntervalMs) {
            qInfo() << "MApplication::notify touch once!"
                    << (receiver ? receiver->objectName() : QString()) << event;
            lastTouchLog = now;
        }
        if (currentParams && stationHost) {
            const int logoutSeconds = (*currentParams)[Param::LogoutSeconds];
            if (logoutSeconds > 0)
                stationHost->restartLogoutTimer(logoutSeconds * 1000);
            const int backlightSeconds = (*currentParams)[Param::BacklightSeconds];
            if (backlightSeconds > 0)
                stationHost->restartScreenOffTimer(backlightSeconds * 1000);
            if (stationHost->screenOff()) {
                // The touch that wakes a dark screen does nothing else.
                setBacklight(true);
                return true;
            }
        }
    }
    return QApplication::notify(receiver, event);
}
