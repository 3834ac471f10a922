#include "cameras/MindCamera.h"

#include "cameras/LevelMapping.h"
#include "core/Globals.h"
#include "core/SystemParameters.h"

#include <climits>
#include <cstring>

namespace {

constexpr int AutoExposureIndex = 209;
constexpr int FrameRateIndex = 139;
constexpr int AutoExposureTarget = 120;
constexpr double AutoExposureLongestUs = 100000;

// The process-wide list of the family's devices, filled by enumerate().
std::vector<tSdkCameraDevInfo> &familyDevices()
{
    static std::vector<tSdkCameraDevInfo> devices;
    return devices;
}

// The serial number as a camera record keeps it; the 32-byte field is not terminated when full.
QByteArray identityOf(const tSdkCameraDevInfo &device)
{
    CameraInfo record;
    record.setName(QByteArray(device.acSn, int(qstrnlen(device.acSn, sizeof device.acSn))));
    return record.nameBytes();
}

std::vector<tSdkCameraDevInfo> enumerateDevices()
{
    std::vector<tSdkCameraDevInfo> devices(MindCamera::MaximumDevices);
    int count = MindCamera::MaximumDevices;
    if (CameraEnumerateDevice(devices.data(), &count) != CAMERA_STATUS_SUCCESS)
        count = 0;
    devices.resize(size_t(qBound(0, count, int(MindCamera::MaximumDevices))));
    return devices;
}

} // namespace

MindCamera::MindCamera() = default;

MindCamera::~MindCamera()
{
    closeHandle();
}

QList<CameraInfo> MindCamera::enumerate()
{
    CameraSetSysOption("IpCheck", "repair");
    familyDevices() = enumerateDevices();
    QList<CameraInfo> records;
    for (size_t i = 0; i < familyDevices().size(); ++i) {
        CameraInfo record;
        record.index = int(i);
        record.iid = iid();
        record.setName(identityOf(familyDevices()[i]));
        records << record;
    }
    return records;
}

int MindCamera::deviceCount()
{
    return int(enumerateDevices().size());
}

std::unique_ptr<CameraInterface> MindCamera::create(const CameraInfo &record)
{
    auto camera = std::make_unique<MindCamera>();
    camera->bindRecord(record);
    // An identity no device has leaves an all-zero record, which no device opens with.
    for (const tSdkCameraDevInfo &candidate : familyDevices()) {
        if (identityOf(candidate) == record.nameBytes()) {
            camera->deviceRecord = candidate;
            break;
        }
    }
    return camera;
}

bool MindCamera::open()
{
    // A second open must not leave the first handle streaming into this object.
    closeHandle();
    CameraHandle opened = 0;
    if (CameraInit(&deviceRecord, -1, -1, &opened) != CAMERA_STATUS_SUCCESS)
        return false;
    handle = opened;
    capability = {};
    CameraGetCapability(handle, &capability);
    colourCapable = !capability.bMonoSensor;
    // A mono sensor delivers grey whatever was asked; colour frames of it would be grey bytes
    // read as R, G, B.
    colorOutput = colorOutput && colourCapable;
    configureImage();
    CameraSetConnectionStatusCallback(handle, &MindCamera::connectionCallback, this);
    CameraSetCallbackFunction(handle, &MindCamera::frameCallback, this, nullptr);
    CameraCommonCall(handle, "set_online_detect_interval(500)", nullptr, 0);
    CameraSetAeState(handle, 0);
    CameraCommonCall(handle, "set_awdr_enable(false)", nullptr, 0);
    allocateFrames();
    scratch.assign(size_t(pixelCount()) * 4, 0);
    return true;
}

void MindCamera::configureImage()
{
    tSdkImageResolution resolution{};
    CameraGetImageResolution(handle, &resolution);
    resolution.iIndex = CAMERA_RESOLUTION_CUSTOM;
    resolution.iHOffsetFOV = 0;
    resolution.iVOffsetFOV = 0;
    resolution.iWidth = capability.sResolutionRange.iWidthMax;
    resolution.iHeight = capability.sResolutionRange.iHeightMax;
    CameraSetImageResolution(handle, &resolution);
    if (resolution.iWidth > 0 && resolution.iHeight > 0) {
        width = resolution.iWidth;
        height = resolution.iHeight;
    }
    if (!colourCapable) {
        CameraSetIspOutFormat(handle, CAMERA_MEDIA_TYPE_MONO8);
        CameraSetMonochrome(handle, 0);
    } else if (colorOutput) {
        CameraSetMediaType(handle, CAMERA_MEDIA_COLOUR);
        CameraSetIspOutFormat(handle, CAMERA_MEDIA_TYPE_RGB8);
    } else {
        CameraSetMediaType(handle, CAMERA_MEDIA_MONO);
        CameraSetIspOutFormat(handle, CAMERA_MEDIA_TYPE_MONO8);
    }
}

void MindCamera::closeHandle()
{
    if (handle > 0) {
        CameraSetCallbackFunction(handle, nullptr, nullptr, nullptr);
        // Uninitialising ends the SDK's frame thread.
        CameraUnInit(handle);
    }
    handle = 0;
}

void MindCamera::close()
{
    closeHandle();
}

bool MindCamera::startGrab()
{
    if (handle < 1)
        return false;
    CameraPlay(handle);
    return true;
}

void MindCamera::stopGrab()
{
    if (handle > 0)
        CameraStop(handle);
}

void MindCamera::release()
{
    stopGrab();
    close();
}

bool MindCamera::reconnect()
{
    online = false;
    const QByteArray wanted = identity.toLatin1();
    bool found = false;
    for (const tSdkCameraDevInfo &candidate : enumerateDevices()) {
        if (identityOf(candidate) == wanted) {
            deviceRecord = candidate;
            found = true;
            break;
        }
    }
    if (!found)
        return false;
    const bool opened = open();
    const bool grabbing = startGrab();
    online = opened && grabbing;
    return online;
}

void MindCamera::frameCallback(CameraHandle camera, unsigned char *raw, tSdkFrameHead *head, void *context)
{
    Q_UNUSED(camera)
    if (!raw || !head || !context)
        return;
    static_cast<MindCamera *>(context)->takeFrame(raw, head);
}

void MindCamera::takeFrame(const uchar *raw, tSdkFrameHead *head)
{
    // The image processor writes a frame of the head's size into the scratch buffer, which
    // holds only the size read at open.
    if (!isFrameSize(head->iWidth, head->iHeight))
        return;
    if (CameraImageProcess(handle, raw, scratch.data(), head) != CAMERA_STATUS_SUCCESS)
        return;
    if (colorOutput) {
        if (head->uiMediaType == CAMERA_MEDIA_TYPE_RGB8 && head->uBytes >= unsigned(pixelCount()) * 3)
            publishRgb24(scratch.data());
    } else if (head->uiMediaType == CAMERA_MEDIA_TYPE_MONO8 && head->uBytes >= unsigned(pixelCount())) {
        publishGrey(scratch.data(), pixelCount());
    }
}

void MindCamera::connectionCallback(CameraHandle camera, unsigned int status, unsigned int param, void *context)
{
    Q_UNUSED(camera)
    Q_UNUSED(param)
    if (!context || (status != CAMERA_CONNECTION_LOST && status != CAMERA_CONNECTION_RESTORED))
        return;
    static_cast<MindCamera *>(context)->online = status == CAMERA_CONNECTION_RESTORED;
}

QJsonObject MindCamera::autoAdjust(bool start)
{
    if (handle < 1)
        return {};
    if (start) {
        CameraSetAeState(handle, 1);
        CameraSetAeTarget(handle, AutoExposureTarget);
        CameraSetAeExposureRange(handle, 0, AutoExposureLongestUs);
        CameraSetAntiFlick(handle, 1);
        return {};
    }
    CameraSetAeState(handle, 0);
    QJsonObject settled;
    double exposure = 0;
    if (CameraGetExposureTime(handle, &exposure) == CAMERA_STATUS_SUCCESS)
        settled.insert(QStringLiteral("ExposureTime"), exposure);
    const int gain = gainLevel();
    if (gain >= 0)
        settled.insert(QStringLiteral("Gain"), gain);
    return settled;
}

int MindCamera::gainLevel() const
{
    int minimum = 0;
    int maximum = 0;
    int gain = 0;
    if (CameraGetAeAnalogGainRange(handle, &minimum, &maximum) != CAMERA_STATUS_SUCCESS
        || CameraGetAnalogGain(handle, &gain) != CAMERA_STATUS_SUCCESS)
        return -1;
    return qMax(0, LevelMapping::toLevel(gain, minimum, maximum, 64));
}

void MindCamera::setExposure(int milliseconds)
{
    if (handle > 0)
        CameraSetExposureTime(handle, milliseconds * 1000.0);
}

void MindCamera::setGain(int level)
{
    int minimum = 0;
    int maximum = 0;
    if (handle < 1 || CameraGetAeAnalogGainRange(handle, &minimum, &maximum) != CAMERA_STATUS_SUCCESS)
        return;
    const double gain = LevelMapping::toDevice(minimum, maximum, 64, level);
    CameraSetAnalogGain(handle, int(qBound(double(INT_MIN), gain, double(INT_MAX))));
}

void MindCamera::setSharpness(int level)
{
    if (handle > 0)
        CameraSetSharpness(handle, LevelMapping::toDeviceStepped(capability.sSharpnessRange.iMin,
                                                                 capability.sSharpnessRange.iMax, 100, level));
}

void MindCamera::setContrast(int level)
{
    if (handle > 0)
        CameraSetContrast(handle, LevelMapping::toDeviceStepped(capability.sContrastRange.iMin,
                                                                capability.sContrastRange.iMax, 200, level));
}

void MindCamera::setGamma(int level)
{
    if (handle > 0)
        CameraSetGamma(handle, LevelMapping::toDeviceStepped(capability.sGammaRange.iMin,
                                                             capability.sGammaRange.iMax, 250, level));
}

void MindCamera::setWideDynamicRange(bool on)
{
    if (handle > 0)
        CameraCommonCall(handle, on ? "set_awdr_enable(true)" : "set_awdr_enable(false)", nullptr, 0);
}

void MindCamera::oneShotWhiteBalance()
{
    if (handle > 0)
        CameraSetOnceWB(handle);
}

void MindCamera::setMirror(bool horizontal, bool vertical)
{
    if (handle < 1)
        return;
    CameraSetMirror(handle, CAMERA_MIRROR_HORIZONTAL, horizontal ? 1 : 0);
    CameraSetMirror(handle, CAMERA_MIRROR_VERTICAL, vertical ? 1 : 0);
}

void MindCamera::setFrameRate(int level)
{
    // Levels beyond the settings' range count as its ends, as for the other drivers.
    const int speed = qBound(0, level, int(frameRateFactors.size()) - 1);
    if (handle > 0)
        CameraSetFrameSpeed(handle, colorOutput ? speed + 1 : speed);
}

void MindCamera::setTriggerMode(bool hardware)
{
    if (handle > 0)
        CameraSetTriggerMode(handle, hardware ? CAMERA_TRIGGER_HARDWARE : CAMERA_TRIGGER_CONTINUOUS);
}

void MindCamera::restoreDefaults(SystemParameters *parameters, int camera)
{
    if (!parameters || camera < 0 || camera >= CameraSlotCount || handle < 1)
        return;
    SystemParameters &p = *parameters;
    stopGrab();
    CameraLoadParameter(handle, PARAMETER_TEAM_DEFAULT);
    if (colourCapable)
        CameraSetWbMode(handle, 0);
    configureImage();
    CameraSetAeState(handle, p[AutoExposureIndex] != 0 ? 1 : 0);
    CameraSetMirror(handle, CAMERA_MIRROR_HORIZONTAL, 0);
    CameraSetMirror(handle, CAMERA_MIRROR_VERTICAL, 0);
    CameraSetFrameSpeed(handle, 0);

    // Only what the device reported is written back.
    double exposure = 0;
    if (CameraGetExposureTime(handle, &exposure) == CAMERA_STATUS_SUCCESS)
        p[camera] = int(qBound(0.0, exposure / 1000, double(INT_MAX)));
    const int gain = gainLevel();
    if (gain >= 0)
        p[8 + camera] = gain;
    int value = 0;
    if (CameraGetSharpness(handle, &value) == CAMERA_STATUS_SUCCESS)
        p[16 + camera] = LevelMapping::toLevelStepped(value, capability.sSharpnessRange.iMin,
                                                      capability.sSharpnessRange.iMax, 100);
    if (CameraGetContrast(handle, &value) == CAMERA_STATUS_SUCCESS)
        p[24 + camera] = LevelMapping::toLevelStepped(value, capability.sContrastRange.iMin,
                                                      capability.sContrastRange.iMax, 200);
    if (CameraGetGamma(handle, &value) == CAMERA_STATUS_SUCCESS)
        p[32 + camera] = LevelMapping::toLevelStepped(value, capability.sGammaRange.iMin,
                                                      capability.sGammaRange.iMax, 250);
    setFrameRate(p[FrameRateIndex]);
    startGrab();
}
