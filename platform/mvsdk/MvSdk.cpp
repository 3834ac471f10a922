#include "platform/mvsdk/MvSdk.h"

#include "platform/camsim/SimLink.h"
#include "platform/mvsdk/MvSimulation.h"

#include <cstring>
#include <vector>

using camsim::Parameter;

namespace {

struct MvHandle
{
    QByteArray identity;
    camsim::Link link;
    camsim::CallbackSlot<MvImageCallback> image;
    camsim::CallbackSlot<MvExceptionCallback> exception;
};

camsim::HandleTable<MvHandle> &handles()
{
    static camsim::HandleTable<MvHandle> table;
    return table;
}

MvHandle *findHandle(void *handle)
{
    return handles().find(int(reinterpret_cast<quintptr>(handle)));
}

// The handle's device when it is open and connected; else null with the error in *error.
camsim::Device *openDevice(void *handle, int *error)
{
    const MvHandle *h = findHandle(handle);
    if (!h) {
        *error = MV_E_HANDLE;
        return nullptr;
    }
    if (!h->link.isOpen()) {
        *error = MV_E_CALLORDER;
        return nullptr;
    }
    if (!h->link.connected()) {
        *error = MV_E_NOT_CONNECTED;
        return nullptr;
    }
    *error = MV_OK;
    return h->link.target();
}

int setResult(camsim::Device::SetResult result)
{
    switch (result) {
    case camsim::Device::SetResult::Ok:
        return MV_OK;
    case camsim::Device::SetResult::WrongKind:
        return MV_E_SUPPORT;
    case camsim::Device::SetResult::Unknown:
    case camsim::Device::SetResult::OutOfRange:
        break;
    }
    return MV_E_PARAMETER;
}

void copyText(unsigned char *field, size_t size, const QByteArray &text)
{
    // Full fields carry no NUL, as on the wire.
    std::memset(field, 0, size);
    std::memcpy(field, text.constData(), qMin(size, size_t(text.size())));
}

QByteArray fieldText(const unsigned char *field, size_t size)
{
    const char *text = reinterpret_cast<const char *>(field);
    return QByteArray(text, int(qstrnlen(text, uint(size))));
}

bool layoutOf(MvGvspPixelType type, camsim::PixelLayout *layout)
{
    switch (type) {
    case PixelType_Gvsp_Mono8:
        *layout = camsim::PixelLayout::Mono8;
        return true;
    case PixelType_Gvsp_BayerRG8:
        *layout = camsim::PixelLayout::BayerRg8;
        return true;
    case PixelType_Gvsp_RGB8_Packed:
        *layout = camsim::PixelLayout::Rgb8;
        return true;
    case PixelType_Gvsp_Undefined:
        break;
    }
    return false;
}

// The hardware trigger input drives the frames with trigger mode on and line 0 as the source.
void followTrigger(camsim::Device *device)
{
    device->setHardwareTrigger(device->value("TriggerMode") == 1 && device->value("TriggerSource") == 0);
}

void deliverFrame(MvHandle *h, const camsim::FrameRequest &request)
{
    camsim::Device *device = h->link.target();
    const auto type = MvGvspPixelType(quint32(device->value("PixelFormat")));
    camsim::PixelLayout layout = camsim::PixelLayout::Mono8;
    if (!layoutOf(type, &layout))
        return;
    QByteArray frame = device->render(layout, request);
    MV_FRAME_OUT_INFO_EX info{};
    info.nWidth = static_cast<unsigned short>(request.width);
    info.nHeight = static_cast<unsigned short>(request.height);
    info.enPixelType = type;
    info.nFrameNum = static_cast<unsigned int>(request.number);
    info.nFrameLen = static_cast<unsigned int>(frame.size());
    h->image.invoke([&](MvImageCallback callback, void *user) {
        callback(reinterpret_cast<unsigned char *>(frame.data()), &info, user);
    });
}

} // namespace

int MV_CC_EnumDevices(unsigned int transportLayers, MV_CC_DEVICE_INFO_LIST *deviceList)
{
    if (!deviceList)
        return MV_E_PARAMETER;
    // The entries live until the next enumeration, as the list's contract says.
    static std::vector<MV_CC_DEVICE_INFO> entries;
    entries.clear();
    entries.reserve(MV_MAX_DEVICE_NUM);
    for (const std::shared_ptr<camsim::Device> &device : mvsdk::simulatedDevices().present()) {
        const camsim::DeviceSetup &setup = device->setup();
        const unsigned int layer = setup.usb ? MV_USB_DEVICE : MV_GIGE_DEVICE;
        if (!(transportLayers & layer) || entries.size() >= size_t(MV_MAX_DEVICE_NUM))
            continue;
        MV_CC_DEVICE_INFO entry{};
        entry.nTLayerType = layer;
        if (setup.usb) {
            MV_USB3_DEVICE_INFO &usb = entry.SpecialInfo.stUsb3VInfo;
            copyText(usb.chVendorName, sizeof usb.chVendorName, setup.vendor);
            copyText(usb.chModelName, sizeof usb.chModelName, setup.model);
            copyText(usb.chSerialNumber, sizeof usb.chSerialNumber, setup.identity);
            copyText(usb.chUserDefinedName, sizeof usb.chUserDefinedName, "line camera");
        } else {
            MV_GIGE_DEVICE_INFO &gige = entry.SpecialInfo.stGigEInfo;
            gige.nCurrentIp = 0xC0A80100u + unsigned(entries.size()) + 10u;
            copyText(gige.chManufacturerName, sizeof gige.chManufacturerName, setup.vendor);
            copyText(gige.chModelName, sizeof gige.chModelName, setup.model);
            copyText(gige.chSerialNumber, sizeof gige.chSerialNumber, setup.identity);
            copyText(gige.chUserDefinedName, sizeof gige.chUserDefinedName, "line camera");
        }
        entries.push_back(entry);
    }
    std::memset(deviceList, 0, sizeof *deviceList);
    deviceList->nDeviceNum = unsigned(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        deviceList->pDeviceInfo[i] = &entries[i];
    return MV_OK;
}

int MV_CC_CreateHandle(void **handle, const MV_CC_DEVICE_INFO *deviceInfo)
{
    if (!handle || !deviceInfo)
        return MV_E_PARAMETER;
    auto h = std::make_unique<MvHandle>();
    if (deviceInfo->nTLayerType == MV_USB_DEVICE) {
        const MV_USB3_DEVICE_INFO &usb = deviceInfo->SpecialInfo.stUsb3VInfo;
        h->identity = fieldText(usb.chSerialNumber, sizeof usb.chSerialNumber);
    } else if (deviceInfo->nTLayerType == MV_GIGE_DEVICE) {
        const MV_GIGE_DEVICE_INFO &gige = deviceInfo->SpecialInfo.stGigEInfo;
        h->identity = fieldText(gige.chSerialNumber, sizeof gige.chSerialNumber);
    } else {
        return MV_E_PARAMETER;
    }
    *handle = reinterpret_cast<void *>(quintptr(handles().add(std::move(h))));
    return MV_OK;
}

int MV_CC_DestroyHandle(void *handle)
{
    const std::unique_ptr<MvHandle> h = handles().take(int(reinterpret_cast<quintptr>(handle)));
    return h ? MV_OK : MV_E_HANDLE;
}

int MV_CC_OpenDevice(void *handle, unsigned int accessMode, unsigned short switchoverKey)
{
    Q_UNUSED(switchoverKey)
    MvHandle *h = findHandle(handle);
    if (!h)
        return MV_E_HANDLE;
    if (accessMode != MV_ACCESS_Exclusive)
        return MV_E_PARAMETER;
    if (h->link.isOpen())
        return MV_E_CALLORDER;
    // Identities compare as the enumeration records hold them (a 16-byte field for GigE).
    std::shared_ptr<camsim::Device> device;
    for (const std::shared_ptr<camsim::Device> &candidate : mvsdk::simulatedDevices().present()) {
        const QByteArray &identity = candidate->setup().identity;
        if (identity.left(candidate->setup().usb ? 64 : 16) == h->identity) {
            device = candidate;
            break;
        }
    }
    if (!device)
        return MV_E_NODEVICE;
    if (!h->link.open(device))
        return MV_E_ACCESS_DENIED;
    h->link.onLoss([h] {
        h->exception.invoke([](MvExceptionCallback callback, void *user) { callback(MV_EXCEPTION_DEV_DISCONNECT, user); });
    });
    return MV_OK;
}

int MV_CC_CloseDevice(void *handle)
{
    MvHandle *h = findHandle(handle);
    if (!h)
        return MV_E_HANDLE;
    if (!h->link.isOpen())
        return MV_E_CALLORDER;
    h->link.close();
    return MV_OK;
}

int MV_CC_StartGrabbing(void *handle)
{
    int error = MV_OK;
    if (!openDevice(handle, &error))
        return error;
    MvHandle *h = findHandle(handle);
    return h->link.startStream([h](const camsim::FrameRequest &frame) { deliverFrame(h, frame); })
        ? MV_OK
        : MV_E_NOT_CONNECTED;
}

int MV_CC_StopGrabbing(void *handle)
{
    MvHandle *h = findHandle(handle);
    if (!h)
        return MV_E_HANDLE;
    if (!h->link.streaming())
        return MV_E_CALLORDER;
    h->link.stopStream();
    return MV_OK;
}

int MV_CC_RegisterImageCallBack(void *handle, MvImageCallback callback, void *user)
{
    MvHandle *h = findHandle(handle);
    if (!h)
        return MV_E_HANDLE;
    h->image.set(callback, user);
    return MV_OK;
}

int MV_CC_RegisterExceptionCallBack(void *handle, MvExceptionCallback callback, void *user)
{
    MvHandle *h = findHandle(handle);
    if (!h)
        return MV_E_HANDLE;
    h->exception.set(callback, user);
    return MV_OK;
}

int MV_CC_GetIntValue(void *handle, const char *key, MVCC_INTVALUE *value)
{
    int error = MV_OK;
    camsim::Device *device = openDevice(handle, &error);
    if (!device)
        return error;
    Parameter parameter;
    if (!key || !value || !device->get(key, Parameter::Integer, &parameter))
        return MV_E_PARAMETER;
    value->nCurValue = unsigned(parameter.value);
    value->nMin = unsigned(parameter.minimum);
    value->nMax = unsigned(parameter.maximum);
    value->nInc = 1;
    return MV_OK;
}

int MV_CC_SetIntValue(void *handle, const char *key, unsigned int value)
{
    int error = MV_OK;
    camsim::Device *device = openDevice(handle, &error);
    if (!device)
        return error;
    return key ? setResult(device->set(key, Parameter::Integer, value)) : MV_E_PARAMETER;
}

int MV_CC_GetFloatValue(void *handle, const char *key, MVCC_FLOATVALUE *value)
{
    int error = MV_OK;
    camsim::Device *device = openDevice(handle, &error);
    if (!device)
        return error;
    Parameter parameter;
    if (!key || !value || !device->get(key, Parameter::Float, &parameter))
        return MV_E_PARAMETER;
    value->fCurValue = float(parameter.value);
    value->fMin = float(parameter.minimum);
    value->fMax = float(parameter.maximum);
    return MV_OK;
}

int MV_CC_SetFloatValue(void *handle, const char *key, float value)
{
    int error = MV_OK;
    camsim::Device *device = openDevice(handle, &error);
    if (!device)
        return error;
    return key ? setResult(device->set(key, Parameter::Float, double(value))) : MV_E_PARAMETER;
}

int MV_CC_SetEnumValue(void *handle, const char *key, unsigned int value)
{
    int error = MV_OK;
    camsim::Device *device = openDevice(handle, &error);
    if (!device)
        return error;
    if (!key)
        return MV_E_PARAMETER;
    const int result = setResult(device->set(key, Parameter::Enumeration, value));
    followTrigger(device);
    return result;
}

int MV_CC_SetBoolValue(void *handle, const char *key, bool value)
{
    int error = MV_OK;
    camsim::Device *device = openDevice(handle, &error);
    if (!device)
        return error;
    return key ? setResult(device->set(key, Parameter::Boolean, value ? 1 : 0)) : MV_E_PARAMETER;
}

int MV_CC_SetCommandValue(void *handle, const char *key)
{
    int error = MV_OK;
    camsim::Device *device = openDevice(handle, &error);
    if (!device)
        return error;
    if (!key || !device->get(key, Parameter::Command, nullptr))
        return MV_E_PARAMETER;
    device->runCommand(key);
    if (qstrcmp(key, "UserSetLoad") == 0) {
        device->loadDefaults();
        followTrigger(device);
    }
    return MV_OK;
}

int MV_CC_GetStringValue(void *handle, const char *key, MVCC_STRINGVALUE *value)
{
    int error = MV_OK;
    camsim::Device *device = openDevice(handle, &error);
    if (!device)
        return error;
    Parameter parameter;
    if (!key || !value || !device->get(key, Parameter::Text, &parameter))
        return MV_E_PARAMETER;
    std::memset(value->chCurValue, 0, sizeof value->chCurValue);
    qstrncpy(value->chCurValue, parameter.text.constData(), sizeof value->chCurValue);
    value->nMaxLength = int64_t(sizeof value->chCurValue);
    return MV_OK;
}

int MV_CC_GetGain(void *handle, MVCC_FLOATVALUE *value)
{
    return MV_CC_GetFloatValue(handle, "Gain", value);
}

int MV_CC_GetSharpness(void *handle, MVCC_INTVALUE *value)
{
    return MV_CC_GetIntValue(handle, "Sharpness", value);
}

int MV_CC_GetGamma(void *handle, MVCC_FLOATVALUE *value)
{
    return MV_CC_GetFloatValue(handle, "Gamma", value);
}

int MV_CC_ConvertPixelType(void *handle, MV_CC_PIXEL_CONVERT_PARAM *param)
{
    if (!findHandle(handle))
        return MV_E_HANDLE;
    if (!param || !param->pSrcData || !param->pDstBuffer)
        return MV_E_PARAMETER;
    camsim::PixelLayout from;
    camsim::PixelLayout to;
    if (!layoutOf(param->enSrcPixelType, &from) || !layoutOf(param->enDstPixelType, &to))
        return MV_E_SUPPORT;
    const int width = param->nWidth;
    const int height = param->nHeight;
    if (param->nDstBufferSize < unsigned(camsim::frameBytes(to, width, height)))
        return MV_E_NOENOUGH_BUF;
    if (!camsim::convertPixels(from, param->pSrcData, int(param->nSrcDataLen), to, param->pDstBuffer,
                               int(param->nDstBufferSize), width, height))
        return MV_E_PARAMETER;
    param->nDstLen = unsigned(camsim::frameBytes(to, width, height));
    return MV_OK;
}
