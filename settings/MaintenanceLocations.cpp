#include "settings/MaintenanceLocations.h"

#include <QFileInfo>
#include <QSettings>

namespace {

MaintenanceLocations fromFile()
{
    MaintenanceLocations locations;
    const QString file = QStringLiteral("maintenance.ini");
    if (!QFileInfo::exists(file))
        return locations;
    QSettings ini(file, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("maintenance"));
    locations.installFolder = ini.value(QStringLiteral("installFolder"), locations.installFolder).toString();
    locations.backupFolder = ini.value(QStringLiteral("backupFolder"), locations.backupFolder).toString();
    locations.usbFolder = ini.value(QStringLiteral("usbFolder"), locations.usbFolder).toString();
    locations.updateServer = ini.value(QStringLiteral("updateServer"), locations.updateServer).toString();
    qInfo("maintenance locations from %s: program %s, backups %s, stick %s, server %s",
          qPrintable(file), qPrintable(locations.installFolder), qPrintable(locations.backupFolder),
          qPrintable(locations.usbFolder), qPrintable(locations.updateServer));
    return locations;
}

MaintenanceLocations &current()
{
    static MaintenanceLocations locations = fromFile();
    return locations;
}

} // namespace

const MaintenanceLocations &maintenanceLocations()
{
    return current();
}

void setMaintenanceLocations(const MaintenanceLocations &locations)
{
    current() = locations;
}
