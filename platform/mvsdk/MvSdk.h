#ifndef PLATFORM_MVSDK_MVSDK_H
#define PLATFORM_MVSDK_MVSDK_H

// The machine-vision camera SDK that HikCamera drives: device enumeration over GigE and USB,
// a handle per device, parameters by name, a frame callback and an exception callback on the
// SDK's thread, and pixel conversion. This is our own layer over simulated devices (see
// MvSimulation.h); every function returns MV_OK or an MV_E_ code.

#include <cstdint>

constexpr int MV_OK = 0;
constexpr int MV_E_HANDLE = int(0x80000000);        // no such handle
constexpr int MV_E_SUPPORT = int(0x80000001);       // not supported in this state
constexpr int MV_E_CALLORDER = int(0x80000003);     // the device is not open
constexpr int MV_E_PARAMETER = int(0x80000004);     // an argument is missing or out of range
constexpr int MV_E_NODEVICE = int(0x80000005);      // the device is not there
constexpr int MV_E_NOENOUGH_BUF = int(0x80000006);  // a destination is too small
constexpr int MV_E_ACCESS_DENIED = int(0x80000007); // opened by another handle
constexpr int MV_E_NOT_CONNECTED = int(0x80000008); // the link to an open device dropped

// Transport layers, combinable as a mask for MV_CC_EnumDevices.
constexpr unsigned int MV_GIGE_DEVICE = 0x1;
constexpr unsigned int MV_USB_DEVICE = 0x4;

constexpr unsigned int MV_ACCESS_Exclusive = 1;
constexpr unsigned int MV_EXCEPTION_DEV_DISCONNECT = 0x00008001;
constexpr int MV_MAX_DEVICE_NUM = 256;

// Pixel formats (GenICam codes).
enum MvGvspPixelType : std::uint32_t {
    PixelType_Gvsp_Undefined = 0,
    PixelType_Gvsp_Mono8 = 0x01080001,
    PixelType_Gvsp_BayerRG8 = 0x01080009,
    PixelType_Gvsp_RGB8_Packed = 0x02180014
};

// Text fields are fixed-size and need not end in a NUL when full.
struct MV_GIGE_DEVICE_INFO
{
    unsigned int nCurrentIp;
    unsigned char chManufacturerName[32];
    unsigned char chModelName[32];
    unsigned char chSerialNumber[16];
    unsigned char chUserDefinedName[16];
};

struct MV_USB3_DEVICE_INFO
{
    unsigned char chVendorName[64];
    unsigned char chModelName[64];
    unsigned char chSerialNumber[64];
    unsigned char chUserDefinedName[64];
};

struct MV_CC_DEVICE_INFO
{
    unsigned int nTLayerType;
    union {
        MV_GIGE_DEVICE_INFO stGigEInfo;
        MV_USB3_DEVICE_INFO stUsb3VInfo;
    } SpecialInfo;
};

// Filled by MV_CC_EnumDevices; the entries stay valid until the next enumeration.
struct MV_CC_DEVICE_INFO_LIST
{
    unsigned int nDeviceNum;
    MV_CC_DEVICE_INFO *pDeviceInfo[MV_MAX_DEVICE_NUM];
};

struct MV_FRAME_OUT_INFO_EX
{
    unsigned short nWidth;
    unsigned short nHeight;
    MvGvspPixelType enPixelType;
    unsigned int nFrameNum;
    unsigned int nFrameLen;
};

struct MVCC_INTVALUE
{
    unsigned int nCurValue;
    unsigned int nMax;
    unsigned int nMin;
    unsigned int nInc;
};

struct MVCC_FLOATVALUE
{
    float fCurValue;
    float fMax;
    float fMin;
};

struct MVCC_STRINGVALUE
{
    char chCurValue[256];
    int64_t nMaxLength;
};

struct MV_CC_PIXEL_CONVERT_PARAM
{
    unsigned short nWidth;
    unsigned short nHeight;
    MvGvspPixelType enSrcPixelType;
    const unsigned char *pSrcData;
    unsigned int nSrcDataLen;
    MvGvspPixelType enDstPixelType;
    unsigned char *pDstBuffer;
    unsigned int nDstLen;         // written: the bytes converted
    unsigned int nDstBufferSize;
};

// Called on the SDK's thread for every frame while grabbing.
using MvImageCallback = void (*)(unsigned char *data, MV_FRAME_OUT_INFO_EX *frameInfo, void *user);
// Called when the device fails, e.g. with MV_EXCEPTION_DEV_DISCONNECT.
using MvExceptionCallback = void (*)(unsigned int messageType, void *user);

int MV_CC_EnumDevices(unsigned int transportLayers, MV_CC_DEVICE_INFO_LIST *deviceList);
int MV_CC_CreateHandle(void **handle, const MV_CC_DEVICE_INFO *deviceInfo);
int MV_CC_DestroyHandle(void *handle);
int MV_CC_OpenDevice(void *handle, unsigned int accessMode, unsigned short switchoverKey);
int MV_CC_CloseDevice(void *handle);
int MV_CC_StartGrabbing(void *handle);
int MV_CC_StopGrabbing(void *handle);
int MV_CC_RegisterImageCallBack(void *handle, MvImageCallback callback, void *user);
int MV_CC_RegisterExceptionCallBack(void *handle, MvExceptionCallback callback, void *user);

int MV_CC_GetIntValue(void *handle, const char *key, MVCC_INTVALUE *value);
int MV_CC_SetIntValue(void *handle, const char *key, unsigned int value);
int MV_CC_GetFloatValue(void *handle, const char *key, MVCC_FLOATVALUE *value);
int MV_CC_SetFloatValue(void *handle, const char *key, float value);
int MV_CC_SetEnumValue(void *handle, const char *key, unsigned int value);
int MV_CC_SetBoolValue(void *handle, const char *key, bool value);
int MV_CC_SetCommandValue(void *handle, const char *key);
int MV_CC_GetStringValue(void *handle, const char *key, MVCC_STRINGVALUE *value);
// The ranges and values of gain, sharpness and gamma.
int MV_CC_GetGain(void *handle, MVCC_FLOATVALUE *value);
int MV_CC_GetSharpness(void *handle, MVCC_INTVALUE *value);
int MV_CC_GetGamma(void *handle, MVCC_FLOATVALUE *value);

int MV_CC_ConvertPixelType(void *handle, MV_CC_PIXEL_CONVERT_PARAM *param);

#endif
