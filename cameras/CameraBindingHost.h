#ifndef CAMERAS_CAMERABINDINGHOST_H
#define CAMERAS_CAMERABINDINGHOST_H

#include <QByteArray>
#include <QString>

// What the camera slot binding needs of the main window. The main window implements it and
// installs itself in cameraBindingHost; tests implement it with a plain struct. Operation-record
// rows go through StationHost::InsertRecord.
class CameraBindingHost
{
public:
    virtual ~CameraBindingHost() = default;

    // Shows text in a two-button notice box; true when the operator chose OK.
    virtual bool confirmNotice(const QString &text) = 0;
    // The identity that camera `camera`'s view keeps (its driver's serial, at most 63 bytes).
    virtual QByteArray cameraIdentity(int camera) const = 0;
    // Closes the parameter database and the operation-record database; the machine reboots
    // right after.
    virtual void closeDatabasesForReboot() = 0;
};

extern CameraBindingHost *cameraBindingHost;

#endif
