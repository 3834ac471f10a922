#include "platform/mindsdk/MindSdk.h"

#include "platform/camsim/SimLink.h"
#include "platform/mindsdk/MindSimulation.h"

#include <QMap>

#include <cstring>

using camsim::Parameter;

namespace {

struct MindHandle
{
    CameraHandle number = 0;
    camsim::Link link;
    camsim::CallbackSlot<CAMERA_SNAP_PROC> frame;
    camsim::CallbackSlot<CAMERA_CONNECTION_STATUS_CALLBACK> connection;
};

camsim::HandleTable<MindHandle> &handles()
{
    static camsim::HandleTable<MindHandle> table;
    return table;
}

std::mutex optionMutex;
QMap<QByteArray, QByteArray> &systemOptions()
{
    static QMap<QByteArray, QByteArray> options;
    return options;
}

// The handle's device while it is initialised and connected; else null with the error.
camsim::Device *liveDevice(CameraHandle camera, CameraSdkStatus *status)
{
    const MindHandle *h = handles().find(camera);
    if (!h) {
        *status = CAMERA_STATUS_INVALID_HANDLE;
        return nullptr;
    }
    if (!h->link.connected()) {
        *status = CAMERA_STATUS_DEVICE_LOST;
        return nullptr;
    }
    *status = CAMERA_STATUS_SUCCESS;
    return h->link.target();
}

CameraSdkStatus setValue(CameraHandle camera, const QByteArray &name, Parameter::Kind kind, double value)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (!device)
        return status;
    return device->set(name, kind, value) == camsim::Device::SetResult::Ok ? CAMERA_STATUS_SUCCESS
                                                                          : CAMERA_STATUS_INVALID_PARAMETER;
}

template <typename T>
CameraSdkStatus getValue(CameraHandle camera, const QByteArray &name, Parameter::Kind kind, T *value)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (!device)
        return status;
    Parameter parameter;
    if (!value || !device->get(name, kind, &parameter))
        return CAMERA_STATUS_INVALID_PARAMETER;
    *value = T(parameter.value);
    return CAMERA_STATUS_SUCCESS;
}

tSdkRange rangeOf(const camsim::Device &device, const QByteArray &name)
{
    Parameter parameter;
    device.get(name, Parameter::Integer, &parameter);
    return {int(parameter.minimum), int(parameter.maximum)};
}

void copyText(char *field, size_t size, const QByteArray &text)
{
    // Full fields carry no NUL.
    std::memset(field, 0, size);
    std::memcpy(field, text.constData(), qMin(size, size_t(text.size())));
}

bool layoutOf(unsigned int mediaType, camsim::PixelLayout *layout)
{
    switch (mediaType) {
    case CAMERA_MEDIA_TYPE_MONO8:
        *layout = camsim::PixelLayout::Mono8;
        return true;
    case CAMERA_MEDIA_TYPE_BAYRG8:
        *layout = camsim::PixelLayout::BayerRg8;
        return true;
    case CAMERA_MEDIA_TYPE_RGB8:
        *layout = camsim::PixelLayout::Rgb8;
        return true;
    default:
        return false;
    }
}

void deliverFrame(MindHandle *h, const camsim::FrameRequest &request)
{
    camsim::Device *device = h->link.target();
    // A colour sensor sends its mosaic unless told to send grey.
    const bool mosaic = device->setup().colour && device->value("MediaType") == CAMERA_MEDIA_COLOUR;
    QByteArray raw = device->render(mosaic ? camsim::PixelLayout::BayerRg8 : camsim::PixelLayout::Mono8, request);
    tSdkFrameHead head{};
    head.uiMediaType = mosaic ? CAMERA_MEDIA_TYPE_BAYRG8 : CAMERA_MEDIA_TYPE_MONO8;
    head.uBytes = unsigned(raw.size());
    head.iWidth = request.width;
    head.iHeight = request.height;
    head.uiFrameNumber = unsigned(request.number);
    h->frame.invoke([&](CAMERA_SNAP_PROC callback, void *context) {
        callback(h->number, reinterpret_cast<unsigned char *>(raw.data()), &head, context);
    });
}

} // namespace

namespace mindsdk {

QByteArray systemOption(const QByteArray &option)
{
    std::lock_guard<std::mutex> lock(optionMutex);
    return systemOptions().value(option);
}

} // namespace mindsdk

CameraSdkStatus CameraSetSysOption(const char *option, const char *value)
{
    if (!option || !value)
        return CAMERA_STATUS_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(optionMutex);
    systemOptions()[option] = value;
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraEnumerateDevice(tSdkCameraDevInfo *list, int *count)
{
    if (!list || !count || *count < 0)
        return CAMERA_STATUS_INVALID_PARAMETER;
    const QList<std::shared_ptr<camsim::Device>> devices = mindsdk::simulatedDevices().present();
    const int filled = qMin(*count, int(devices.size()));
    for (int i = 0; i < filled; ++i) {
        const camsim::DeviceSetup &setup = devices.at(i)->setup();
        tSdkCameraDevInfo &record = list[i];
        std::memset(&record, 0, sizeof record);
        copyText(record.acProductSeries, sizeof record.acProductSeries, "SIM");
        copyText(record.acProductName, sizeof record.acProductName, setup.model);
        copyText(record.acFriendlyName, sizeof record.acFriendlyName, setup.model + '#' + QByteArray::number(i));
        copyText(record.acPortType, sizeof record.acPortType, setup.usb ? "USB3" : "NET");
        copyText(record.acSn, sizeof record.acSn, setup.identity);
        record.uInstance = unsigned(i);
    }
    *count = filled;
    return filled > 0 ? CAMERA_STATUS_SUCCESS : CAMERA_STATUS_NO_DEVICE_FOUND;
}

CameraSdkStatus CameraInit(const tSdkCameraDevInfo *device, int parameterMode, int team, CameraHandle *camera)
{
    Q_UNUSED(parameterMode)
    Q_UNUSED(team)
    if (!device || !camera)
        return CAMERA_STATUS_INVALID_PARAMETER;
    const QByteArray serial(device->acSn, int(qstrnlen(device->acSn, sizeof device->acSn)));
    std::shared_ptr<camsim::Device> target;
    for (const std::shared_ptr<camsim::Device> &candidate : mindsdk::simulatedDevices().present()) {
        if (!serial.isEmpty() && candidate->setup().identity.left(int(sizeof device->acSn)) == serial) {
            target = candidate;
            break;
        }
    }
    if (!target)
        return CAMERA_STATUS_NO_DEVICE_FOUND;
    auto h = std::make_unique<MindHandle>();
    if (!h->link.open(target))
        return CAMERA_STATUS_ACCESS_DENY;
    MindHandle *opened = h.get();
    opened->number = handles().add(std::move(h));
    opened->link.onLoss([opened] {
        opened->connection.invoke([opened](CAMERA_CONNECTION_STATUS_CALLBACK callback, void *context) {
            callback(opened->number, CAMERA_CONNECTION_LOST, 0, context);
        });
    });
    *camera = opened->number;
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraUnInit(CameraHandle camera)
{
    const std::unique_ptr<MindHandle> h = handles().take(camera);
    return h ? CAMERA_STATUS_SUCCESS : CAMERA_STATUS_INVALID_HANDLE;
}

CameraSdkStatus CameraGetCapability(CameraHandle camera, tSdkCameraCapbility *capability)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (!device)
        return status;
    if (!capability)
        return CAMERA_STATUS_INVALID_PARAMETER;
    std::memset(capability, 0, sizeof *capability);
    capability->sResolutionRange = {1, device->setup().width, 1, device->setup().height};
    capability->sSharpnessRange = rangeOf(*device, "Sharpness");
    capability->sContrastRange = rangeOf(*device, "Contrast");
    capability->sGammaRange = rangeOf(*device, "Gamma");
    capability->sAnalogGainRange = rangeOf(*device, "AnalogGain");
    capability->iFrameSpeedMax = rangeOf(*device, "FrameSpeed").iMax;
    capability->bMonoSensor = device->setup().colour ? 0 : 1;
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraGetImageResolution(CameraHandle camera, tSdkImageResolution *resolution)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (!device)
        return status;
    if (!resolution)
        return CAMERA_STATUS_INVALID_PARAMETER;
    std::memset(resolution, 0, sizeof *resolution);
    resolution->iIndex = CAMERA_RESOLUTION_CUSTOM;
    resolution->iWidth = int(device->value("Width"));
    resolution->iHeight = int(device->value("Height"));
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraSetImageResolution(CameraHandle camera, const tSdkImageResolution *resolution)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (!device)
        return status;
    if (!resolution || resolution->iIndex != CAMERA_RESOLUTION_CUSTOM || resolution->iHOffsetFOV != 0
        || resolution->iVOffsetFOV != 0)
        return CAMERA_STATUS_NOT_SUPPORTED;
    if (device->set("Width", Parameter::Integer, resolution->iWidth) != camsim::Device::SetResult::Ok
        || device->set("Height", Parameter::Integer, resolution->iHeight) != camsim::Device::SetResult::Ok)
        return CAMERA_STATUS_INVALID_PARAMETER;
    device->setFrameSize(resolution->iWidth, resolution->iHeight);
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraSetMediaType(CameraHandle camera, int index)
{
    return setValue(camera, "MediaType", Parameter::Integer, index);
}

CameraSdkStatus CameraSetIspOutFormat(CameraHandle camera, unsigned int format)
{
    return setValue(camera, "IspOutFormat", Parameter::Enumeration, format);
}

CameraSdkStatus CameraSetMonochrome(CameraHandle camera, int enable)
{
    return setValue(camera, "Monochrome", Parameter::Boolean, enable ? 1 : 0);
}

CameraSdkStatus CameraSetConnectionStatusCallback(CameraHandle camera, CAMERA_CONNECTION_STATUS_CALLBACK callback,
                                                  void *context)
{
    MindHandle *h = handles().find(camera);
    if (!h)
        return CAMERA_STATUS_INVALID_HANDLE;
    h->connection.set(callback, context);
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraSetCallbackFunction(CameraHandle camera, CAMERA_SNAP_PROC callback, void *context,
                                          CAMERA_SNAP_PROC *oldCallback)
{
    MindHandle *h = handles().find(camera);
    if (!h)
        return CAMERA_STATUS_INVALID_HANDLE;
    if (oldCallback)
        *oldCallback = h->frame.previous();
    h->frame.set(callback, context);
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraCommonCall(CameraHandle camera, const char *command, char *result, unsigned int resultSize)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (!device)
        return status;
    if (result && resultSize > 0)
        result[0] = '\0';
    // "set_<name>(<value>)" with a boolean or integer value.
    const QByteArray text = command ? QByteArray(command) : QByteArray();
    const int open = text.indexOf('(');
    if (!text.startsWith("set_") || open < 0 || !text.endsWith(')'))
        return CAMERA_STATUS_NOT_SUPPORTED;
    const QByteArray name = text.mid(4, open - 4);
    const QByteArray argument = text.mid(open + 1, text.size() - open - 2).trimmed();
    Parameter parameter;
    bool number = false;
    if (device->get(name, Parameter::Boolean, &parameter)) {
        if (argument != "true" && argument != "false")
            return CAMERA_STATUS_INVALID_PARAMETER;
        device->set(name, Parameter::Boolean, argument == "true" ? 1 : 0);
        return CAMERA_STATUS_SUCCESS;
    }
    const int value = argument.toInt(&number);
    if (!number || device->set(name, Parameter::Integer, value) != camsim::Device::SetResult::Ok)
        return CAMERA_STATUS_INVALID_PARAMETER;
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraPlay(CameraHandle camera)
{
    CameraSdkStatus status;
    if (!liveDevice(camera, &status))
        return status;
    MindHandle *h = handles().find(camera);
    return h->link.startStream([h](const camsim::FrameRequest &frame) { deliverFrame(h, frame); })
        ? CAMERA_STATUS_SUCCESS
        : CAMERA_STATUS_DEVICE_LOST;
}

CameraSdkStatus CameraStop(CameraHandle camera)
{
    MindHandle *h = handles().find(camera);
    if (!h)
        return CAMERA_STATUS_INVALID_HANDLE;
    h->link.stopStream();
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraImageProcess(CameraHandle camera, const unsigned char *raw, unsigned char *out,
                                   tSdkFrameHead *frameHead)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (!device)
        return status;
    if (!raw || !out || !frameHead)
        return CAMERA_STATUS_INVALID_PARAMETER;
    const auto format = unsigned(device->value("IspOutFormat"));
    camsim::PixelLayout from;
    camsim::PixelLayout to;
    if (!layoutOf(frameHead->uiMediaType, &from) || !layoutOf(format, &to))
        return CAMERA_STATUS_NOT_SUPPORTED;
    // The output buffer is the caller's promise, as the head's size in the output format.
    const int outBytes = camsim::frameBytes(to, frameHead->iWidth, frameHead->iHeight);
    if (!camsim::convertPixels(from, raw, int(frameHead->uBytes), to, out, outBytes, frameHead->iWidth,
                               frameHead->iHeight))
        return CAMERA_STATUS_INVALID_PARAMETER;
    frameHead->uiMediaType = format;
    frameHead->uBytes = unsigned(outBytes);
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraSetExposureTime(CameraHandle camera, double microseconds)
{
    return setValue(camera, "ExposureTime", Parameter::Float, microseconds);
}

CameraSdkStatus CameraGetExposureTime(CameraHandle camera, double *microseconds)
{
    return getValue(camera, "ExposureTime", Parameter::Float, microseconds);
}

CameraSdkStatus CameraGetAeAnalogGainRange(CameraHandle camera, int *minimum, int *maximum)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (!device)
        return status;
    if (!minimum || !maximum)
        return CAMERA_STATUS_INVALID_PARAMETER;
    const tSdkRange range = rangeOf(*device, "AnalogGain");
    *minimum = range.iMin;
    *maximum = range.iMax;
    return CAMERA_STATUS_SUCCESS;
}

CameraSdkStatus CameraSetAnalogGain(CameraHandle camera, int gain)
{
    return setValue(camera, "AnalogGain", Parameter::Integer, gain);
}

CameraSdkStatus CameraGetAnalogGain(CameraHandle camera, int *gain)
{
    return getValue(camera, "AnalogGain", Parameter::Integer, gain);
}

CameraSdkStatus CameraSetSharpness(CameraHandle camera, int sharpness)
{
    return setValue(camera, "Sharpness", Parameter::Integer, sharpness);
}

CameraSdkStatus CameraGetSharpness(CameraHandle camera, int *sharpness)
{
    return getValue(camera, "Sharpness", Parameter::Integer, sharpness);
}

CameraSdkStatus CameraSetContrast(CameraHandle camera, int contrast)
{
    return setValue(camera, "Contrast", Parameter::Integer, contrast);
}

CameraSdkStatus CameraGetContrast(CameraHandle camera, int *contrast)
{
    return getValue(camera, "Contrast", Parameter::Integer, contrast);
}

CameraSdkStatus CameraSetGamma(CameraHandle camera, int gamma)
{
    return setValue(camera, "Gamma", Parameter::Integer, gamma);
}

CameraSdkStatus CameraGetGamma(CameraHandle camera, int *gamma)
{
    return getValue(camera, "Gamma", Parameter::Integer, gamma);
}

CameraSdkStatus CameraSetAeState(CameraHandle camera, int automatic)
{
    return setValue(camera, "AeState", Parameter::Boolean, automatic ? 1 : 0);
}

CameraSdkStatus CameraSetAeTarget(CameraHandle camera, int target)
{
    return setValue(camera, "AeTarget", Parameter::Integer, target);
}

CameraSdkStatus CameraSetAeExposureRange(CameraHandle camera, double minimum, double maximum)
{
    if (minimum > maximum)
        return CAMERA_STATUS_INVALID_PARAMETER;
    const CameraSdkStatus status = setValue(camera, "AeExposureMin", Parameter::Float, minimum);
    return status == CAMERA_STATUS_SUCCESS ? setValue(camera, "AeExposureMax", Parameter::Float, maximum) : status;
}

CameraSdkStatus CameraSetAntiFlick(CameraHandle camera, int enable)
{
    return setValue(camera, "AntiFlick", Parameter::Boolean, enable ? 1 : 0);
}

CameraSdkStatus CameraSetOnceWB(CameraHandle camera)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (device)
        device->runCommand("OnceWB");
    return status;
}

CameraSdkStatus CameraSetWbMode(CameraHandle camera, int automatic)
{
    return setValue(camera, "WbMode", Parameter::Boolean, automatic ? 1 : 0);
}

CameraSdkStatus CameraSetMirror(CameraHandle camera, int direction, int enable)
{
    if (direction != CAMERA_MIRROR_HORIZONTAL && direction != CAMERA_MIRROR_VERTICAL)
        return CAMERA_STATUS_INVALID_PARAMETER;
    return setValue(camera, direction == CAMERA_MIRROR_HORIZONTAL ? "MirrorH" : "MirrorV", Parameter::Boolean,
                    enable ? 1 : 0);
}

CameraSdkStatus CameraSetFrameSpeed(CameraHandle camera, int speed)
{
    return setValue(camera, "FrameSpeed", Parameter::Integer, speed);
}

CameraSdkStatus CameraSetTriggerMode(CameraHandle camera, int mode)
{
    const CameraSdkStatus status = setValue(camera, "TriggerMode", Parameter::Integer, mode);
    if (status == CAMERA_STATUS_SUCCESS)
        handles().find(camera)->link.target()->setHardwareTrigger(mode == CAMERA_TRIGGER_HARDWARE);
    return status;
}

CameraSdkStatus CameraLoadParameter(CameraHandle camera, int team)
{
    CameraSdkStatus status;
    camsim::Device *device = liveDevice(camera, &status);
    if (!device)
        return status;
    if (team != PARAMETER_TEAM_DEFAULT)
        return CAMERA_STATUS_NOT_SUPPORTED;
    device->loadDefaults();
    device->setHardwareTrigger(device->value("TriggerMode") == CAMERA_TRIGGER_HARDWARE);
    device->setFrameSize(int(device->value("Width")), int(device->value("Height")));
    return CAMERA_STATUS_SUCCESS;
}
