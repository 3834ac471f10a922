#include "cameras/HikCamera.h"

#include "cameras/LevelMapping.h"
#include "core/Globals.h"
#include "core/SystemParameters.h"

#include <climits>

namespace {

constexpr unsigned int EnumeratedLayers = MV_GIGE_DEVICE | MV_USB_DEVICE;
// Identities this short are no serial number: such a device object takes the first free device.
constexpr int SerialMinimumLength = 9;
constexpr int MaximumSide = 65535;

// The process-wide list of the family's devices, filled by enumerate().
std::vector<MV_CC_DEVICE_INFO> &familyDevices()
{
    static std::vector<MV_CC_DEVICE_INFO> devices;
    return devices;
}

// SDK text fields are fixed-size and not terminated when full.
template <size_t N>
QByteArray fieldText(const unsigned char (&field)[N])
{
    const char *text = reinterpret_cast<const char *>(field);
    return QByteArray(text, int(qstrnlen(text, uint(N))));
}

QByteArray manufacturerOf(const MV_CC_DEVICE_INFO &device)
{
    if (device.nTLayerType == MV_USB_DEVICE)
        return fieldText(device.SpecialInfo.stUsb3VInfo.chVendorName);
    return fieldText(device.SpecialInfo.stGigEInfo.chManufacturerName);
}

// The serial number as a camera record keeps it (at most 63 characters).
QByteArray identityOf(const MV_CC_DEVICE_INFO &device)
{
    CameraInfo record;
    if (device.nTLayerType == MV_USB_DEVICE)
        record.setName(fieldText(device.SpecialInfo.stUsb3VInfo.chSerialNumber));
    else
        record.setName(fieldText(device.SpecialInfo.stGigEInfo.chSerialNumber));
    return record.nameBytes();
}

bool belongsToFamily(const MV_CC_DEVICE_INFO &device)
{
    const QByteArray manufacturer = manufacturerOf(device);
    return manufacturer.contains("Hik") || manufacturer.contains("GEV");
}

// The family's devices in the SDK's list of this moment.
QList<const MV_CC_DEVICE_INFO *> enumerateFamily(MV_CC_DEVICE_INFO_LIST *list)
{
    QList<const MV_CC_DEVICE_INFO *> found;
    *list = {};
    if (MV_CC_EnumDevices(EnumeratedLayers, list) != MV_OK)
        return found;
    const unsigned int count = qMin(list->nDeviceNum, unsigned(MV_MAX_DEVICE_NUM));
    for (unsigned int i = 0; i < count; ++i) {
        if (list->pDeviceInfo[i] && belongsToFamily(*list->pDeviceInfo[i]))
            found << list->pDeviceInfo[i];
    }
    return found;
}

} // namespace

HikCamera::HikCamera() = default;

HikCamera::~HikCamera()
{
    closeHandle();
}

QList<CameraInfo> HikCamera::enumerate()
{
    familyDevices().clear();
    QList<CameraInfo> records;
    MV_CC_DEVICE_INFO_LIST list;
    for (const MV_CC_DEVICE_INFO *device : enumerateFamily(&list)) {
        CameraInfo record;
        record.index = int(familyDevices().size());
        record.iid = iid();
        record.setName(identityOf(*device));
        familyDevices().push_back(*device);
        records << record;
    }
    return records;
}

std::unique_ptr<CameraInterface> HikCamera::create(const CameraInfo &record)
{
    auto camera = std::make_unique<HikCamera>();
    camera->bindRecord(record);
    if (camera->identity.size() >= SerialMinimumLength) {
        for (const MV_CC_DEVICE_INFO &candidate : familyDevices()) {
            if (identityOf(candidate) == record.nameBytes()) {
                camera->device = candidate;
                break;
            }
        }
    }
    return camera;
}

bool HikCamera::openDevice(const MV_CC_DEVICE_INFO &candidate)
{
    if (MV_CC_CreateHandle(&handle, &candidate) != MV_OK) {
        handle = nullptr;
        return false;
    }
    const int result = MV_CC_OpenDevice(handle, MV_ACCESS_Exclusive, 0);
    if (result == MV_OK)
        return true;
    qInfo("camera open error : %s",
          qUtf8Printable(QStringLiteral("%1").arg(quint32(result), 8, 16, QLatin1Char('0'))));
    MV_CC_DestroyHandle(handle);
    handle = nullptr;
    return false;
}

bool HikCamera::open()
{
    // A second open must not leave the first handle streaming into this object.
    closeHandle();
    if (device) {
        if (!openDevice(*device))
            return false;
    } else {
        for (const MV_CC_DEVICE_INFO &candidate : familyDevices()) {
            if (openDevice(candidate)) {
                device = candidate;
                identity = QString::fromLatin1(identityOf(candidate));
                break;
            }
        }
        if (!handle)
            return false;
    }
    MV_CC_RegisterImageCallBack(handle, &HikCamera::imageCallback, this);
    MV_CC_RegisterExceptionCallBack(handle, &HikCamera::exceptionCallback, this);

    MVCC_STRINGVALUE model{};
    if (MV_CC_GetStringValue(handle, "DeviceModelName", &model) == MV_OK)
        colourCapable = !QByteArray(model.chCurValue, int(qstrnlen(model.chCurValue, sizeof model.chCurValue))).endsWith('M');
    else
        colourCapable = true;
    if (!readSize()) {
        qInfo("camera %s reports no usable frame size", qUtf8Printable(identity));
        closeHandle();
        return false;
    }

    // The device starts from its default user set.
    MV_CC_SetEnumValue(handle, "UserSetSelector", 0);
    MV_CC_SetCommandValue(handle, "UserSetLoad");
    MV_CC_SetBoolValue(handle, "SharpnessEnable", true);
    MV_CC_SetBoolValue(handle, "GammaEnable", true);
    MV_CC_SetIntValue(handle, "GevHeartbeatTimeout", 1000);
    // A colour sensor asked for grey sends grey: its mosaic copied as it is would be judged
    // as a grey picture.
    if (colourCapable && !colorOutput)
        MV_CC_SetEnumValue(handle, "PixelFormat", PixelType_Gvsp_Mono8);

    allocateFrames();
    rgb24.assign(colourCapable && colorOutput ? size_t(pixelCount()) * 3 : 0, 0);
    return true;
}

bool HikCamera::readSize()
{
    MVCC_INTVALUE w{};
    MVCC_INTVALUE h{};
    if (MV_CC_GetIntValue(handle, "Width", &w) != MV_OK || MV_CC_GetIntValue(handle, "Height", &h) != MV_OK)
        return true;   // the preset size stands
    if (w.nCurValue < 1 || w.nCurValue > MaximumSide || h.nCurValue < 1 || h.nCurValue > MaximumSide)
        return false;
    width = int(w.nCurValue);
    height = int(h.nCurValue);
    return true;
}

void HikCamera::closeHandle()
{
    if (!handle)
        return;
    // Closing ends the SDK's frame thread before the handle goes.
    MV_CC_CloseDevice(handle);
    MV_CC_DestroyHandle(handle);
    handle = nullptr;
}

void HikCamera::close()
{
    closeHandle();
}

bool HikCamera::startGrab()
{
    return handle && MV_CC_StartGrabbing(handle) == MV_OK;
}

void HikCamera::stopGrab()
{
    if (handle)
        MV_CC_StopGrabbing(handle);
}

void HikCamera::release()
{
    stopGrab();
    close();
}

bool HikCamera::reconnect()
{
    online = false;
    MV_CC_DEVICE_INFO_LIST list;
    const QByteArray wanted = identity.toLatin1();
    const MV_CC_DEVICE_INFO *found = nullptr;
    for (const MV_CC_DEVICE_INFO *candidate : enumerateFamily(&list)) {
        if (identityOf(*candidate) == wanted) {
            found = candidate;
            break;
        }
    }
    if (!found)
        return false;
    device = *found;
    const bool opened = open();
    const bool grabbing = startGrab();
    online = opened && grabbing;
    return online;
}

void HikCamera::imageCallback(unsigned char *data, MV_FRAME_OUT_INFO_EX *frameInfo, void *user)
{
    if (!data || !frameInfo || !user)
        return;
    static_cast<HikCamera *>(user)->takeFrame(data, *frameInfo);
}

void HikCamera::takeFrame(const uchar *data, const MV_FRAME_OUT_INFO_EX &frameInfo)
{
    const int n = int(qMin<qint64>(frameInfo.nFrameLen, pixelCount()));
    if (n <= 0)
        return;
    // A frame of another size than open() read would be cut into wrong rows.
    if (!isFrameSize(frameInfo.nWidth, frameInfo.nHeight))
        return;
    if (!colorOutput || !colourCapable) {
        publishGrey(data, n);
        return;
    }
    if (rgb24.size() < size_t(pixelCount()) * 3)
        return;
    MV_CC_PIXEL_CONVERT_PARAM convert{};
    convert.nWidth = frameInfo.nWidth;
    convert.nHeight = frameInfo.nHeight;
    convert.enSrcPixelType = frameInfo.enPixelType;
    convert.pSrcData = data;
    convert.nSrcDataLen = frameInfo.nFrameLen;
    convert.enDstPixelType = PixelType_Gvsp_RGB8_Packed;
    convert.pDstBuffer = rgb24.data();
    convert.nDstBufferSize = unsigned(rgb24.size());
    if (MV_CC_ConvertPixelType(handle, &convert) == MV_OK)
        publishRgb24(rgb24.data());
}

void HikCamera::exceptionCallback(unsigned int messageType, void *user)
{
    if (messageType != MV_EXCEPTION_DEV_DISCONNECT || !user)
        return;
    auto *camera = static_cast<HikCamera *>(user);
    camera->online = false;
    qInfo("camera %s disconnect", qUtf8Printable(camera->serial()));
}

void HikCamera::setExposure(int milliseconds)
{
    if (handle)
        MV_CC_SetFloatValue(handle, "ExposureTime", float(milliseconds * 1000.0));
}

void HikCamera::setGain(int level)
{
    if (!handle)
        return;
    MVCC_FLOATVALUE range{};
    const bool known = MV_CC_GetGain(handle, &range) == MV_OK;
    MV_CC_SetEnumValue(handle, "GainAuto", 0);
    if (known)
        MV_CC_SetFloatValue(handle, "Gain", float(LevelMapping::toDevice(range.fMin, range.fMax, 64, level)));
}

void HikCamera::setSharpness(int level)
{
    MVCC_INTVALUE range{};
    if (!handle || MV_CC_GetSharpness(handle, &range) != MV_OK)
        return;
    const double value = LevelMapping::toDevice(range.nMin, range.nMax, 100, level);
    MV_CC_SetIntValue(handle, "Sharpness", unsigned(qBound(0.0, value, double(UINT_MAX))));
}

void HikCamera::setGamma(int level)
{
    MVCC_FLOATVALUE range{};
    if (!handle || MV_CC_GetGamma(handle, &range) != MV_OK)
        return;
    MV_CC_SetFloatValue(handle, "Gamma", float(LevelMapping::toDevice(range.fMin, range.fMax, 250, level)));
}

void HikCamera::setFrameRate(int level)
{
    MVCC_FLOATVALUE rate{};
    if (!handle || MV_CC_GetFloatValue(handle, "AcquisitionFrameRate", &rate) != MV_OK)
        return;
    MV_CC_SetFloatValue(handle, "AcquisitionFrameRate", frameRateFactor(level) * rate.fMax);
}

void HikCamera::setTriggerMode(bool hardware)
{
    if (!handle)
        return;
    MV_CC_SetEnumValue(handle, "TriggerMode", hardware ? 1 : 0);
    // Line 0 is the hardware trigger input.
    if (hardware)
        MV_CC_SetEnumValue(handle, "TriggerSource", 0);
}

void HikCamera::restoreDefaults(SystemParameters *parameters, int camera)
{
    if (!parameters || camera < 0 || camera >= CameraSlotCount)
        return;
    stopGrab();
    if (handle) {
        MV_CC_SetEnumValue(handle, "UserSetSelector", 0);
        MV_CC_SetCommandValue(handle, "UserSetLoad");
        MV_CC_SetEnumValue(handle, "PixelFormat",
                           colourCapable && colorOutput ? PixelType_Gvsp_BayerRG8 : PixelType_Gvsp_Mono8);
    }
    startGrab();
    if (!handle)
        return;
    // Only what the device reported is written back.
    SystemParameters &p = *parameters;
    MVCC_FLOATVALUE value{};
    if (MV_CC_GetFloatValue(handle, "ExposureTime", &value) == MV_OK)
        p[camera] = int(qBound(0.0, double(value.fCurValue) / 1000, double(INT_MAX)));
    if (MV_CC_GetGain(handle, &value) == MV_OK)
        p[8 + camera] = LevelMapping::toLevel(value.fCurValue, value.fMin, value.fMax, 64);
    MVCC_INTVALUE sharpness{};
    if (MV_CC_GetSharpness(handle, &sharpness) == MV_OK)
        p[16 + camera] = LevelMapping::toLevel(sharpness.nCurValue, sharpness.nMin, sharpness.nMax, 100);
    if (MV_CC_GetGamma(handle, &value) == MV_OK)
        p[32 + camera] = LevelMapping::toLevel(value.fCurValue, value.fMin, value.fMax, 250);
}
