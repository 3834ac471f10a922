#include "cameras/CameraSerials.h"

#include "cameras/CameraBindingHost.h"
#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/StationHost.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/UiTexts.h"
#include "platform/system/SystemActions.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cstring>

CameraBindingHost *cameraBindingHost = nullptr;

namespace {

constexpr int NoCameraTextEntry = 134;
constexpr int CameraCountChangedTextEntry = 360;
// A camera view keeps at most this many bytes of its camera's identity.
constexpr int ViewIdentityBytes = 63;
constexpr char FreeSlot[] = "0";

void setSlot(int slot, const QByteArray &serial)
{
    const int length = qMin(int(qstrnlen(serial.constData(), uint(serial.size()))),
                            qMin(ViewIdentityBytes, CameraSerialBytes - 1));
    std::memcpy(cameraSlotSerials[slot], serial.constData(), size_t(length));
    std::memset(cameraSlotSerials[slot] + length, 0, size_t(CameraSerialBytes - length));
}

QString slotText(int slot)
{
    return QString::fromLatin1(cameraSlotSerials[slot],
                               int(qstrnlen(cameraSlotSerials[slot], CameraSerialBytes)));
}

bool failed(QSqlDatabase &db, const char *what, const QSqlError &error)
{
    qWarning("camera serials not saved: %s: %s", what, qUtf8Printable(error.text()));
    db.rollback();
    return false;
}

// Writes all eight serial rows in one transaction; a row that is missing is added.
bool writeSerialRows()
{
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("dbT"), false);
    if (!db.isOpen()) {
        qWarning("camera serials not saved: the serial database is not open");
        return false;
    }
    if (!db.transaction())
        return failed(db, "transaction", db.lastError());

    QSqlQuery update(db);
    QSqlQuery insert(db);
    if (!update.prepare(QStringLiteral("update sysparam set value = :value where name = :name")))
        return failed(db, "prepare", update.lastError());
    if (!insert.prepare(QStringLiteral("insert into sysparam (name, value) values (:name, :value)")))
        return failed(db, "prepare", insert.lastError());

    for (int slot = 0; slot < CameraSlotCount; ++slot) {
        const QString name = QStringLiteral("serialNB%1").arg(slot);
        update.bindValue(QStringLiteral(":value"), slotText(slot));
        update.bindValue(QStringLiteral(":name"), name);
        if (!update.exec())
            return failed(db, "update", update.lastError());
        if (update.numRowsAffected() > 0)
            continue;
        insert.bindValue(QStringLiteral(":name"), name);
        insert.bindValue(QStringLiteral(":value"), slotText(slot));
        if (!insert.exec())
            return failed(db, "insert", insert.lastError());
    }
    if (!db.commit())
        return failed(db, "commit", db.lastError());
    return true;
}

} // namespace

bool saveCameraSerials(int clear)
{
    if (!clear && !cameraBindingHost) {
        qWarning("camera serials not saved: no camera views to take the identities from");
        return false;
    }
    const int cameras = camerasInUse();
    bool complete = true;

    for (int slot = 0; slot < CameraSlotCount; ++slot)
        setSlot(slot, FreeSlot);
    if (!clear) {
        for (int camera = 0; camera < cameras; ++camera) {
            const int slot = cameraSlotOfCamera[camera];
            if (slot < 0 || slot >= CameraSlotCount) {
                qWarning("camera %d has no valid slot (%d); its identity is not saved", camera + 1, slot);
                complete = false;
                continue;
            }
            setSlot(slot, cameraBindingHost->cameraIdentity(camera));
        }
    }

    if (!writeSerialRows())
        return false;
    for (int slot = 0; slot < cameras && stationHost; ++slot)
        stationHost->InsertRecord(QStringLiteral("Save SN %1: %2").arg(slot + 1).arg(slotText(slot)));
    return complete;
}

void confirmCameraBinding()
{
    if (!cameraBindingHost) {
        qWarning("camera binding not confirmed: no main window to ask");
        return;
    }
    if (simulatedCameras) {
        if (cameraBindingHost->confirmNotice(uiText(NoCameraTextEntry)))
            saveCameraSerials(1);
        return;
    }

    const int stored = currentParams ? (*currentParams)[Param::StoredSerialCount] : 0;
    if (stored <= 0 || stored == foundCameras.size())
        return;
    if (!cameraBindingHost->confirmNotice(uiText(CameraCountChangedTextEntry)))
        return;
    // Rebooting without the cleared binding would only bring the same question back.
    if (!saveCameraSerials(1)) {
        qCritical("camera serials could not be cleared; the machine is not rebooted");
        return;
    }
    // The databases are closed and the reboot syncs the disks itself: nothing to wait for.
    cameraBindingHost->closeDatabasesForReboot();
    systemActions()->reboot();
}
