#ifndef SETTINGS_MAINTENANCELOCATIONS_H
#define SETTINGS_MAINTENANCELOCATIONS_H

#include <QString>

// Where the maintenance operations find and put things. The defaults are the panel's; a file
// "maintenance.ini" in the working directory may override any of them (group [maintenance],
// keys installFolder, backupFolder, usbFolder, updateServer), and tests set them directly.
struct MaintenanceLocations
{
    // The program folder: exported to the stick, backed up before a downloaded update, and
    // where a factory reset or a download leaves the update package.
    QString installFolder = QStringLiteral("/root/bin-AOI");
    // Where the backups of the program folder ("bin-AOI-<time>.tar.gz") are kept.
    QString backupFolder = QStringLiteral("/root");
    // Where the USB stick is mounted.
    QString usbFolder = QStringLiteral("/mnt");
    // The update server's package listing.
    QString updateServer = QStringLiteral("http://192.168.1.200:10440/monitor/");
};

// The locations in use: the overrides of "maintenance.ini" read once on first use, or those
// set last.
const MaintenanceLocations &maintenanceLocations();
void setMaintenanceLocations(const MaintenanceLocations &locations);

#endif
