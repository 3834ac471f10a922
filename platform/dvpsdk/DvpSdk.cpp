#include "platform/dvpsdk/DvpSdk.h"

#include "platform/camsim/SimLink.h"
#include "platform/dvpsdk/DvpSimulation.h"

#include <cstring>

using camsim::Parameter;

namespace {

struct DvpHandle
{
    dvpHandle number = 0;
    camsim::Link link;
    camsim::CallbackSlot<dvpStreamCallback> stream;
    camsim::CallbackSlot<dvpEventCallback> event;
};

camsim::HandleTable<DvpHandle> &handles()
{
    static camsim::HandleTable<DvpHandle> table;
    return table;
}

// The devices the last dvpRefresh found, in the order dvpEnum describes them.
std::mutex refreshMutex;
QList<std::shared_ptr<camsim::Device>> &refreshed()
{
    static QList<std::shared_ptr<camsim::Device>> devices;
    return devices;
}

DvpHandle *findHandle(dvpHandle handle)
{
    return handles().find(int(handle));
}

camsim::Device *liveDevice(dvpHandle handle, dvpStatus *status)
{
    const DvpHandle *h = findHandle(handle);
    if (!h) {
        *status = DVP_STATUS_INVALID_HANDLE;
        return nullptr;
    }
    if (!h->link.connected()) {
        *status = DVP_STATUS_DISCONNECTED;
        return nullptr;
    }
    *status = DVP_STATUS_OK;
    return h->link.target();
}

dvpStatus setValue(dvpHandle handle, const QByteArray &name, Parameter::Kind kind, double value)
{
    dvpStatus status;
    camsim::Device *device = liveDevice(handle, &status);
    if (!device)
        return status;
    switch (device->set(name, kind, value)) {
    case camsim::Device::SetResult::Ok:
        return DVP_STATUS_OK;
    case camsim::Device::SetResult::OutOfRange:
        return DVP_STATUS_OUT_OF_RANGE;
    case camsim::Device::SetResult::Unknown:
    case camsim::Device::SetResult::WrongKind:
        break;
    }
    return DVP_STATUS_NOT_SUPPORTED;
}

template <typename T>
dvpStatus getValue(dvpHandle handle, const QByteArray &name, Parameter::Kind kind, T *value)
{
    dvpStatus status;
    camsim::Device *device = liveDevice(handle, &status);
    if (!device)
        return status;
    Parameter parameter;
    if (!value || !device->get(name, kind, &parameter))
        return DVP_STATUS_PARAMETER_INVALID;
    *value = T(parameter.value);
    return DVP_STATUS_OK;
}

void copyText(char *field, size_t size, const QByteArray &text)
{
    // Full fields carry no NUL.
    std::memset(field, 0, size);
    std::memcpy(field, text.constData(), qMin(size, size_t(text.size())));
}

// The trigger input drives the frames with the trigger on and line 1 as the source.
void followTrigger(camsim::Device *device)
{
    device->setHardwareTrigger(device->value("TriggerState") != 0
                               && device->value("TriggerSource") == TRIGGER_SOURCE_LINE1);
}

void deliverFrame(DvpHandle *h, const camsim::FrameRequest &request)
{
    camsim::Device *device = h->link.target();
    const auto format = dvpInt32(device->value("TargetFormat"));
    QByteArray data =
        device->render(format == FORMAT_RGB24 ? camsim::PixelLayout::Rgb8 : camsim::PixelLayout::Mono8, request);
    dvpFrame frame{};
    frame.format = format;
    frame.iWidth = request.width;
    frame.iHeight = request.height;
    frame.uBytes = dvpUint32(data.size());
    frame.uFrameID = request.number;
    if (h->stream.event() != STREAM_EVENT_PROCESSED)
        return;
    h->stream.invoke([&](dvpStreamCallback callback, void *context) {
        callback(h->number, STREAM_EVENT_PROCESSED, context, &frame, data.data());
    });
}

} // namespace

dvpStatus dvpRefresh(dvpUint32 *count)
{
    if (!count)
        return DVP_STATUS_PARAMETER_INVALID;
    std::lock_guard<std::mutex> lock(refreshMutex);
    refreshed() = dvpsdk::simulatedDevices().present();
    *count = dvpUint32(refreshed().size());
    return DVP_STATUS_OK;
}

dvpStatus dvpEnum(dvpUint32 index, dvpCameraInfo *info)
{
    if (!info)
        return DVP_STATUS_PARAMETER_INVALID;
    std::shared_ptr<camsim::Device> device;
    {
        std::lock_guard<std::mutex> lock(refreshMutex);
        if (index >= dvpUint32(refreshed().size()))
            return DVP_STATUS_OUT_OF_RANGE;
        device = refreshed().at(int(index));
    }
    const camsim::DeviceSetup &setup = device->setup();
    std::memset(info, 0, sizeof *info);
    copyText(info->Vendor, sizeof info->Vendor, setup.vendor);
    copyText(info->Manufacturer, sizeof info->Manufacturer, setup.vendor);
    copyText(info->Model, sizeof info->Model, setup.model);
    copyText(info->LinkName, sizeof info->LinkName, setup.usb ? "USB3" : "GigE");
    copyText(info->FriendlyName, sizeof info->FriendlyName, device->text("FriendlyName"));
    copyText(info->UserID, sizeof info->UserID, setup.identity);
    return DVP_STATUS_OK;
}

dvpStatus dvpOpenByName(const char *friendlyName, dvpInt32 mode, dvpHandle *handle)
{
    if (!friendlyName || !handle || mode != DVP_OPEN_NORMAL)
        return DVP_STATUS_PARAMETER_INVALID;
    std::shared_ptr<camsim::Device> target;
    for (const std::shared_ptr<camsim::Device> &candidate : dvpsdk::simulatedDevices().present()) {
        if (candidate->text("FriendlyName") == friendlyName) {
            target = candidate;
            break;
        }
    }
    if (!target)
        return DVP_STATUS_NOT_FOUND;
    auto h = std::make_unique<DvpHandle>();
    if (!h->link.open(target))
        return DVP_STATUS_BUSY;
    DvpHandle *opened = h.get();
    opened->number = dvpHandle(handles().add(std::move(h)));
    opened->link.onLoss([opened] {
        if (opened->event.event() != EVENT_DISCONNECTED)
            return;
        opened->event.invoke([opened](dvpEventCallback callback, void *context) {
            callback(opened->number, EVENT_DISCONNECTED, context, 0);
        });
    });
    *handle = opened->number;
    return DVP_STATUS_OK;
}

dvpStatus dvpClose(dvpHandle handle)
{
    const std::unique_ptr<DvpHandle> h = handles().take(int(handle));
    return h ? DVP_STATUS_OK : DVP_STATUS_INVALID_HANDLE;
}

dvpStatus dvpIsValid(dvpHandle handle, bool *valid)
{
    if (!valid)
        return DVP_STATUS_PARAMETER_INVALID;
    const DvpHandle *h = findHandle(handle);
    *valid = h && h->link.connected();
    return h ? DVP_STATUS_OK : DVP_STATUS_INVALID_HANDLE;
}

dvpStatus dvpGetSensorInfo(dvpHandle handle, dvpSensorInfo *info)
{
    dvpStatus status;
    camsim::Device *device = liveDevice(handle, &status);
    if (!device)
        return status;
    if (!info)
        return DVP_STATUS_PARAMETER_INVALID;
    std::memset(info, 0, sizeof *info);
    copyText(info->szName, sizeof info->szName, device->setup().model);
    info->colorSensor = device->setup().colour ? 1 : 0;
    info->pixelBits = 8;
    return DVP_STATUS_OK;
}

dvpStatus dvpGetStreamState(dvpHandle handle, dvpStreamState *state)
{
    dvpStatus status;
    if (!liveDevice(handle, &status))
        return status;
    if (!state)
        return DVP_STATUS_PARAMETER_INVALID;
    *state = findHandle(handle)->link.streaming() ? STATE_STARTED : STATE_STOPED;
    return DVP_STATUS_OK;
}

dvpStatus dvpStart(dvpHandle handle)
{
    dvpStatus status;
    if (!liveDevice(handle, &status))
        return status;
    DvpHandle *h = findHandle(handle);
    return h->link.startStream([h](const camsim::FrameRequest &frame) { deliverFrame(h, frame); })
        ? DVP_STATUS_OK
        : DVP_STATUS_DISCONNECTED;
}

dvpStatus dvpStop(dvpHandle handle)
{
    DvpHandle *h = findHandle(handle);
    if (!h)
        return DVP_STATUS_INVALID_HANDLE;
    h->link.stopStream();
    return DVP_STATUS_OK;
}

dvpStatus dvpRegisterStreamCallback(dvpHandle handle, dvpStreamCallback callback, dvpInt32 event, void *context)
{
    DvpHandle *h = findHandle(handle);
    if (!h)
        return DVP_STATUS_INVALID_HANDLE;
    h->stream.set(callback, context, event);
    return DVP_STATUS_OK;
}

dvpStatus dvpRegisterEventCallback(dvpHandle handle, dvpEventCallback callback, dvpInt32 event, void *context)
{
    DvpHandle *h = findHandle(handle);
    if (!h)
        return DVP_STATUS_INVALID_HANDLE;
    h->event.set(callback, context, event);
    return DVP_STATUS_OK;
}

dvpStatus dvpSetGammaState(dvpHandle handle, bool on)
{
    return setValue(handle, "GammaState", Parameter::Boolean, on ? 1 : 0);
}

dvpStatus dvpSetContrastState(dvpHandle handle, bool on)
{
    return setValue(handle, "ContrastState", Parameter::Boolean, on ? 1 : 0);
}

dvpStatus dvpSetSharpnessState(dvpHandle handle, bool on)
{
    return setValue(handle, "SharpnessState", Parameter::Boolean, on ? 1 : 0);
}

dvpStatus dvpSetTargetFormat(dvpHandle handle, dvpInt32 format)
{
    return setValue(handle, "TargetFormat", Parameter::Enumeration, format);
}

dvpStatus dvpSetConfigString(dvpHandle handle, const char *name, const char *value)
{
    dvpStatus status;
    camsim::Device *device = liveDevice(handle, &status);
    if (!device)
        return status;
    if (!name || !value)
        return DVP_STATUS_PARAMETER_INVALID;
    return device->setText(name, value) == camsim::Device::SetResult::Ok ? DVP_STATUS_OK : DVP_STATUS_NOT_SUPPORTED;
}

dvpStatus dvpSetAeOperation(dvpHandle handle, dvpInt32 operation)
{
    return setValue(handle, "AeOperation", Parameter::Enumeration, operation);
}

dvpStatus dvpGetRoi(dvpHandle handle, dvpRegion *region)
{
    dvpStatus status;
    camsim::Device *device = liveDevice(handle, &status);
    if (!device)
        return status;
    if (!region)
        return DVP_STATUS_PARAMETER_INVALID;
    *region = {0, 0, dvpInt32(device->value("RoiW")), dvpInt32(device->value("RoiH"))};
    return DVP_STATUS_OK;
}

dvpStatus dvpSetRoi(dvpHandle handle, dvpRegion region)
{
    dvpStatus status;
    camsim::Device *device = liveDevice(handle, &status);
    if (!device)
        return status;
    if (region.X != 0 || region.Y != 0)
        return DVP_STATUS_NOT_SUPPORTED;
    if (device->set("RoiW", Parameter::Integer, region.W) != camsim::Device::SetResult::Ok
        || device->set("RoiH", Parameter::Integer, region.H) != camsim::Device::SetResult::Ok)
        return DVP_STATUS_OUT_OF_RANGE;
    device->setFrameSize(region.W, region.H);
    return DVP_STATUS_OK;
}

dvpStatus dvpSetLinkTimeout(dvpHandle handle, dvpUint32 milliseconds)
{
    return setValue(handle, "LinkTimeout", Parameter::Integer, milliseconds);
}

dvpStatus dvpLoadDefault(dvpHandle handle)
{
    dvpStatus status;
    camsim::Device *device = liveDevice(handle, &status);
    if (!device)
        return status;
    device->loadDefaults();
    followTrigger(device);
    device->setFrameSize(int(device->value("RoiW")), int(device->value("RoiH")));
    return DVP_STATUS_OK;
}

dvpStatus dvpSetExposure(dvpHandle handle, double microseconds)
{
    return setValue(handle, "Exposure", Parameter::Float, microseconds);
}

dvpStatus dvpGetExposure(dvpHandle handle, double *microseconds)
{
    return getValue(handle, "Exposure", Parameter::Float, microseconds);
}

dvpStatus dvpSetAnalogGain(dvpHandle handle, float gain)
{
    return setValue(handle, "AnalogGain", Parameter::Float, double(gain));
}

dvpStatus dvpGetAnalogGain(dvpHandle handle, float *gain)
{
    return getValue(handle, "AnalogGain", Parameter::Float, gain);
}

dvpStatus dvpSetSharpness(dvpHandle handle, dvpInt32 sharpness)
{
    return setValue(handle, "Sharpness", Parameter::Integer, sharpness);
}

dvpStatus dvpGetSharpness(dvpHandle handle, dvpInt32 *sharpness)
{
    return getValue(handle, "Sharpness", Parameter::Integer, sharpness);
}

dvpStatus dvpSetContrast(dvpHandle handle, dvpInt32 contrast)
{
    return setValue(handle, "Contrast", Parameter::Integer, contrast);
}

dvpStatus dvpGetContrast(dvpHandle handle, dvpInt32 *contrast)
{
    return getValue(handle, "Contrast", Parameter::Integer, contrast);
}

dvpStatus dvpSetGamma(dvpHandle handle, dvpInt32 gamma)
{
    return setValue(handle, "Gamma", Parameter::Integer, gamma);
}

dvpStatus dvpGetGamma(dvpHandle handle, dvpInt32 *gamma)
{
    return getValue(handle, "Gamma", Parameter::Integer, gamma);
}

dvpStatus dvpSetTriggerState(dvpHandle handle, bool on)
{
    const dvpStatus status = setValue(handle, "TriggerState", Parameter::Boolean, on ? 1 : 0);
    if (status == DVP_STATUS_OK)
        followTrigger(findHandle(handle)->link.target());
    return status;
}

dvpStatus dvpSetTriggerSource(dvpHandle handle, dvpInt32 source)
{
    const dvpStatus status = setValue(handle, "TriggerSource", Parameter::Enumeration, source);
    if (status == DVP_STATUS_OK)
        followTrigger(findHandle(handle)->link.target());
    return status;
}
