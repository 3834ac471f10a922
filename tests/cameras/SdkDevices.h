#ifndef TESTS_CAMERAS_SDKDEVICES_H
#define TESTS_CAMERAS_SDKDEVICES_H

#include "cameras/CameraFamily.h"
#include "cameras/CameraInterface.h"
#include "platform/dvpsdk/DvpSimulation.h"
#include "platform/mindsdk/MindSimulation.h"
#include "platform/mvsdk/MvSimulation.h"

#include <QByteArray>
#include <QMetaType>

#include <memory>

// The three machine-vision families and their simulated SDKs, as a test picks them in a table.
enum class SdkFamily { Hik, Mind, Do3think };
Q_DECLARE_METATYPE(SdkFamily)

inline const char *familyIid(SdkFamily family)
{
    switch (family) {
    case SdkFamily::Hik:
        return HikCameraIid;
    case SdkFamily::Mind:
        return MindCameraIid;
    case SdkFamily::Do3think:
        break;
    }
    return Do3thinkCameraIid;
}

// A device in the family's simulated SDK; it delivers frames only when asked unless a period
// is given.
inline std::shared_ptr<camsim::Device> addSdkDevice(SdkFamily family, camsim::DeviceSetup setup)
{
    switch (family) {
    case SdkFamily::Hik:
        return mvsdk::addSimulatedDevice(setup);
    case SdkFamily::Mind:
        return mindsdk::addSimulatedDevice(setup);
    case SdkFamily::Do3think:
        break;
    }
    return dvpsdk::addSimulatedDevice(setup);
}

inline camsim::DeviceSetup sdkDeviceSetup(const QByteArray &identity, int width, int height, bool colour)
{
    camsim::DeviceSetup setup;
    setup.identity = identity;
    setup.width = width;
    setup.height = height;
    setup.colour = colour;
    setup.framePeriodMs = 0;
    return setup;
}

// Unplugs and forgets every simulated device of the three SDKs.
inline void clearSdkDevices()
{
    mvsdk::simulatedDevices().clear();
    mindsdk::simulatedDevices().clear();
    dvpsdk::simulatedDevices().clear();
}

// A device object of the family for the enumerated device with this identity, created, given
// its colour output and opened as discovery does; null when none is found or it does not open.
inline std::unique_ptr<CameraInterface> openSdkCamera(SdkFamily family, const QByteArray &identity, bool colour)
{
    std::unique_ptr<CameraInterface> prototype = makeCameraPrototype(QString::fromLatin1(familyIid(family)));
    if (!prototype)
        return nullptr;
    for (const CameraInfo &record : prototype->enumerate()) {
        if (record.nameBytes() != identity)
            continue;
        std::unique_ptr<CameraInterface> camera = prototype->create(record);
        camera->setColorOutput(colour);
        return camera->open() ? std::move(camera) : nullptr;
    }
    return nullptr;
}

#endif
