#include "cameras/CameraDiscovery.h"

#include "cameras/CameraFamily.h"
#include "cameras/CameraInterface.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"

quint32 cameraFamilyMask = 0;
std::map<QString, std::unique_ptr<CameraInterface>> cameraPrototypes;
QList<CameraInfo> foundCameras;
int simulatedCameras = 0;
int unopenedCameras = 0;
int cameraCount = 0;

int camerasInUse()
{
    return qBound(0, cameraCount, CameraSlotCount);
}

bool cameraInUse(int camera)
{
    return camera >= 0 && camera < camerasInUse();
}

bool cameraSlot(int camera)
{
    return camera >= 0 && camera < CameraSlotCount;
}
int cameraSlotOfCamera[CameraSlotCount] = {0, 1, 2, 3, 4, 5, 6, 7};

namespace {

QByteArray slotSerial(int slot)
{
    const char *serial = cameraSlotSerials[slot];
    return QByteArray(serial, int(qstrnlen(serial, CameraSerialBytes)));
}

// Moves the devices whose identity matches a slot to the front, slot 7 first, so that slot 0
// ends up in front. Several devices matching one slot end up in reverse order.
void bindToSlots(QList<CameraInfo> &devices)
{
    for (int slot = CameraSlotCount - 1; slot >= 0; --slot) {
        const QByteArray serial = slotSerial(slot);
        // A free slot must not claim a device that reports no identity.
        if (serial.isEmpty() || serial == "0")
            continue;
        for (int i = 0; i < devices.size(); ++i) {
            if (devices.at(i).nameBytes() == serial)
                devices.move(i, 0);
        }
    }
}

} // namespace

void discoverCameras()
{
    cameraPrototypes.clear();
    foundCameras.clear();
    for (const CameraFamily &family : registeredCameraFamilies()) {
        if (!(cameraFamilyMask & family.maskBit))
            continue;
        std::unique_ptr<CameraInterface> prototype = family.makePrototype();
        if (!prototype)
            continue;
        const QList<CameraInfo> devices = prototype->enumerate();
        qInfo("camera family %s: %d device(s)", qUtf8Printable(family.iid), int(devices.size()));
        foundCameras << devices;
        // Kept also when it found nothing.
        cameraPrototypes[family.iid] = std::move(prototype);
    }
    if (!foundCameras.isEmpty())
        bindToSlots(foundCameras);
}

std::unique_ptr<CameraInterface> createCamera(const CameraInfo &info, bool colour, int number)
{
    const auto prototype = cameraPrototypes.find(info.iid);
    if (prototype == cameraPrototypes.end() || !prototype->second)
        return nullptr;
    std::unique_ptr<CameraInterface> camera = prototype->second->create(info);
    if (!camera)
        return nullptr;
    camera->setCameraNumber(number);
    camera->setColorOutput(colour);
    if (!camera->open()) {
        qInfo("camera %s (%s) did not open", info.nameBytes().constData(), qUtf8Printable(info.iid));
        return nullptr;
    }
    return camera;
}

std::vector<std::unique_ptr<CameraInterface>> createCameras()
{
    std::vector<std::unique_ptr<CameraInterface>> cameras;
    simulatedCameras = 0;
    unopenedCameras = 0;
    const int tried = qMin(int(foundCameras.size()), CameraSlotCount);
    for (int i = 0; i < tried; ++i) {
        const int number = int(cameras.size());
        const bool colour = currentParams && (*currentParams)[Param::ColourOutput + number] != 0;
        if (std::unique_ptr<CameraInterface> camera = createCamera(foundCameras.at(i), colour, number))
            cameras.push_back(std::move(camera));
        else
            ++unopenedCameras;
    }

    if (cameras.empty()) {
        const QString iid = QString::fromLatin1(SimulateCameraIid);
        std::unique_ptr<CameraInterface> prototype = makeCameraPrototype(iid);
        if (prototype) {
            foundCameras = prototype->enumerate();
            cameraPrototypes[iid] = std::move(prototype);
            simulatedCameras = 1;
            const int simulated = qMin(int(foundCameras.size()), CameraSlotCount);
            for (int i = 0; i < simulated; ++i) {
                if (std::unique_ptr<CameraInterface> camera = createCamera(foundCameras.at(i), false, int(cameras.size())))
                    cameras.push_back(std::move(camera));
            }
        }
        qInfo("no camera opened; %d simulated camera(s) stand in", int(cameras.size()));
    }

    if (unopenedCameras > 0)
        qWarning("%d of the cameras found did not open; the station runs without them", unopenedCameras);
    cameraCount = int(cameras.size());
    return cameras;
}
