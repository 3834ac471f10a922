#include "cameras/Do3thinkCamera.h"

#include "core/Globals.h"
#include "core/SystemParameters.h"

#include <climits>
#include <cstring>
#include <vector>

namespace {

constexpr int WideDynamicRangeIndex = 210;
constexpr dvpUint32 LinkTimeoutMs = 500;

// The process-wide list of the family's device records, filled by enumerate().
std::vector<dvpCameraInfo> &familyDevices()
{
    static std::vector<dvpCameraInfo> devices;
    return devices;
}

// The record's 64-byte texts are not terminated when full.
QByteArray fieldText(const char (&field)[64])
{
    return QByteArray(field, int(qstrnlen(field, sizeof field)));
}

} // namespace

Do3thinkCamera::Do3thinkCamera() = default;

Do3thinkCamera::~Do3thinkCamera()
{
    closeHandle();
}

QList<CameraInfo> Do3thinkCamera::enumerate()
{
    // Records are numbered by their place in this list, so it starts empty at every
    // enumeration; otherwise a later enumeration's numbers would point at earlier records.
    familyDevices().clear();
    dvpUint32 count = 0;
    if (dvpRefresh(&count) != DVP_STATUS_OK) {
        qInfo("Do3thinkCamera find camera fail");
        return {};
    }
    QList<CameraInfo> records;
    const dvpUint32 described = qMin(count, dvpUint32(MaximumDevices));
    for (dvpUint32 i = 0; i < described; ++i) {
        dvpCameraInfo device{};
        if (dvpEnum(i, &device) != DVP_STATUS_OK) {
            qInfo("Do3thinkCamera Enumerate fail!");
            continue;
        }
        CameraInfo record;
        record.index = int(familyDevices().size());
        record.iid = iid();
        record.setName(fieldText(device.UserID));
        familyDevices().push_back(device);
        records << record;
    }
    return records;
}

int Do3thinkCamera::deviceCount()
{
    dvpUint32 count = 0;
    if (dvpRefresh(&count) != DVP_STATUS_OK)
        return 0;
    return int(qMin(count, dvpUint32(INT_MAX)));
}

std::unique_ptr<CameraInterface> Do3thinkCamera::create(const CameraInfo &record)
{
    auto camera = std::make_unique<Do3thinkCamera>();
    camera->bindRecord(record);
    if (record.index >= 0 && size_t(record.index) < familyDevices().size())
        camera->deviceRecord = familyDevices()[size_t(record.index)];
    return camera;
}

bool Do3thinkCamera::open()
{
    // A second open must not leave the first handle streaming into this object.
    closeHandle();
    const QByteArray name = fieldText(deviceRecord.FriendlyName);
    dvpHandle opened = 0;
    if (name.isEmpty() || dvpOpenByName(name.constData(), DVP_OPEN_NORMAL, &opened) != DVP_STATUS_OK)
        return false;
    handle = opened;
    handleOpen = true;
    dvpSensorInfo sensor{};
    if (dvpGetSensorInfo(handle, &sensor) == DVP_STATUS_OK)
        colourCapable = sensor.colorSensor != 0;
    // A mono sensor delivers grey whatever was asked; colour frames would stay unfilled.
    colorOutput = colorOutput && colourCapable;
    configureImage();
    dvpSetConfigString(handle, "HdrEnable", "false");
    dvpSetAeOperation(handle, AE_OP_OFF);
    region = {};
    if (dvpGetRoi(handle, &region) == DVP_STATUS_OK && region.W > 0 && region.H > 0) {
        width = region.W;
        height = region.H;
    }
    dvpSetLinkTimeout(handle, LinkTimeoutMs);
    dvpRegisterEventCallback(handle, &Do3thinkCamera::eventCallback, EVENT_DISCONNECTED, this);
    dvpRegisterStreamCallback(handle, &Do3thinkCamera::streamCallback, STREAM_EVENT_PROCESSED, this);
    online = true;
    allocateFrames();
    return true;
}

void Do3thinkCamera::configureImage()
{
    dvpSetGammaState(handle, true);
    dvpSetContrastState(handle, true);
    dvpSetSharpnessState(handle, true);
    dvpSetTargetFormat(handle, colorOutput ? FORMAT_RGB24 : FORMAT_MONO8);
}

void Do3thinkCamera::closeHandle()
{
    if (!handleOpen)
        return;
    // Closing ends the SDK's frame thread before the handle goes.
    dvpClose(handle);
    handle = 0;
    handleOpen = false;
}

void Do3thinkCamera::close()
{
    closeHandle();
}

bool Do3thinkCamera::startGrab()
{
    bool valid = false;
    dvpStreamState state = STATE_STOPED;
    if (!handleOpen || dvpIsValid(handle, &valid) != DVP_STATUS_OK || !valid
        || dvpGetStreamState(handle, &state) != DVP_STATUS_OK)
        return false;
    if (state == STATE_STOPED)
        dvpStart(handle);
    return true;
}

void Do3thinkCamera::stopGrab()
{
    bool valid = false;
    dvpStreamState state = STATE_STOPED;
    if (handleOpen && dvpIsValid(handle, &valid) == DVP_STATUS_OK && valid
        && dvpGetStreamState(handle, &state) == DVP_STATUS_OK && state == STATE_STARTED)
        dvpStop(handle);
}

void Do3thinkCamera::release()
{
    stopGrab();
    close();
}

bool Do3thinkCamera::reconnect()
{
    online = false;
    const bool opened = open();
    const bool grabbing = startGrab();
    online = opened && grabbing;
    return online;
}

dvpInt32 Do3thinkCamera::streamCallback(dvpHandle handle, dvpInt32 event, void *context, dvpFrame *frame,
                                        void *buffer)
{
    Q_UNUSED(handle)
    Q_UNUSED(event)
    if (context && frame && buffer)
        static_cast<Do3thinkCamera *>(context)->takeFrame(*frame, static_cast<const uchar *>(buffer));
    return 0;
}

void Do3thinkCamera::takeFrame(const dvpFrame &frame, const uchar *data)
{
    // One frame of every skip level + 1 is kept.
    if (++skipCounter <= frameSkipLevel.load(std::memory_order_relaxed))
        return;
    skipCounter = 0;
    if (!isFrameSize(frame.iWidth, frame.iHeight))
        return;
    // Only the format asked for at open carries a whole frame of the expected bytes.
    if (colorOutput) {
        if (frame.format == FORMAT_RGB24 && frame.uBytes >= unsigned(pixelCount()) * 3)
            publishRgb24(data);
    } else if (frame.format == FORMAT_MONO8 && frame.uBytes >= unsigned(pixelCount())) {
        publishGrey(data, pixelCount());
    }
}

dvpInt32 Do3thinkCamera::eventCallback(dvpHandle handle, dvpInt32 event, void *context, dvpInt32 param)
{
    Q_UNUSED(handle)
    Q_UNUSED(event)
    Q_UNUSED(param)
    if (context)
        static_cast<Do3thinkCamera *>(context)->online = false;
    return 0;
}

void Do3thinkCamera::setExposure(int milliseconds)
{
    if (handleOpen)
        dvpSetExposure(handle, milliseconds * 1000.0);
}

void Do3thinkCamera::setGain(int level)
{
    if (handleOpen)
        dvpSetAnalogGain(handle, float(level));
}

void Do3thinkCamera::setSharpness(int level)
{
    if (handleOpen)
        dvpSetSharpness(handle, level);
}

void Do3thinkCamera::setContrast(int level)
{
    if (handleOpen)
        dvpSetContrast(handle, level);
}

void Do3thinkCamera::setGamma(int level)
{
    if (handleOpen)
        dvpSetGamma(handle, level);
}

void Do3thinkCamera::setWideDynamicRange(bool on)
{
    if (handleOpen)
        dvpSetConfigString(handle, "HdrEnable", on ? "true" : "false");
}

void Do3thinkCamera::setFrameRate(int level)
{
    frameSkipLevel = level;
}

void Do3thinkCamera::setTriggerMode(bool hardware)
{
    if (!handleOpen)
        return;
    dvpSetTriggerState(handle, hardware);
    dvpSetTriggerSource(handle, TRIGGER_SOURCE_LINE1);
}

void Do3thinkCamera::restoreDefaults(SystemParameters *parameters, int camera)
{
    if (!parameters || camera < 0 || camera >= CameraSlotCount || !handleOpen)
        return;
    SystemParameters &p = *parameters;
    stopGrab();
    dvpLoadDefault(handle);
    configureImage();
    dvpSetAeOperation(handle, AE_OP_OFF);
    dvpSetRoi(handle, region);
    setWideDynamicRange(p[WideDynamicRangeIndex] != 0);

    // Only what the device reported is written back.
    double exposure = 0;
    if (dvpGetExposure(handle, &exposure) == DVP_STATUS_OK)
        p[camera] = int(qBound(0.0, exposure / 1000, double(INT_MAX)));
    float gain = 0;
    if (dvpGetAnalogGain(handle, &gain) == DVP_STATUS_OK)
        p[8 + camera] = int(qBound(double(INT_MIN), double(gain), double(INT_MAX)));
    dvpInt32 value = 0;
    if (dvpGetSharpness(handle, &value) == DVP_STATUS_OK)
        p[16 + camera] = value;
    if (dvpGetGamma(handle, &value) == DVP_STATUS_OK)
        p[32 + camera] = value;
    if (dvpGetContrast(handle, &value) == DVP_STATUS_OK)
        p[24 + camera] = value;
    startGrab();
}
