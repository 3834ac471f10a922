#ifndef PLATFORM_DVPSDK_DVPSDK_H
#define PLATFORM_DVPSDK_DVPSDK_H

// The machine-vision camera SDK that Do3thinkCamera drives: a refreshed device list of
// 1216-byte records, devices opened by their friendly name, a stream callback that delivers
// frames in the target format, an event callback, and settings by function. This is our own
// layer over simulated devices (see DvpSimulation.h); every function returns DVP_STATUS_OK (1)
// or an error of 0 or below.

#include <cstdint>

using dvpUint32 = std::uint32_t;
using dvpInt32 = std::int32_t;
using dvpHandle = dvpUint32;
using dvpStatus = int;

constexpr dvpStatus DVP_STATUS_OK = 1;
constexpr dvpStatus DVP_STATUS_FAILED = 0;
constexpr dvpStatus DVP_STATUS_INVALID_HANDLE = -1;
constexpr dvpStatus DVP_STATUS_PARAMETER_INVALID = -2;
constexpr dvpStatus DVP_STATUS_OUT_OF_RANGE = -3;
constexpr dvpStatus DVP_STATUS_NOT_FOUND = -4;
constexpr dvpStatus DVP_STATUS_BUSY = -5;
constexpr dvpStatus DVP_STATUS_DISCONNECTED = -6;
constexpr dvpStatus DVP_STATUS_NOT_SUPPORTED = -7;

constexpr int DVP_OPEN_NORMAL = 1;

// Target formats of the delivered frames.
constexpr dvpInt32 FORMAT_RGB24 = 10;   // R, G, B
constexpr dvpInt32 FORMAT_MONO8 = 30;

enum dvpStreamState : dvpInt32 { STATE_STOPED = 0, STATE_PAUSED = 1, STATE_STARTED = 2 };

// Events and stream events a callback can be registered for.
constexpr dvpInt32 EVENT_DISCONNECTED = 7;
constexpr dvpInt32 STREAM_EVENT_PROCESSED = 2;

constexpr dvpInt32 AE_OP_OFF = 0;
constexpr dvpInt32 TRIGGER_SOURCE_SOFTWARE = 0;
constexpr dvpInt32 TRIGGER_SOURCE_LINE1 = 1;

// One device. Text fields are fixed-size and need not end in a NUL when full.
struct dvpCameraInfo
{
    char Vendor[64];
    char Manufacturer[64];
    char Model[64];
    char Family[64];
    char LinkName[64];
    char SensorInfo[64];
    char HardwareVersion[64];
    char FirmwareVersion[64];
    char KernelVersion[64];
    char DscamVersion[64];
    char FriendlyName[64];     // the name dvpOpenByName takes
    char PortInfo[64];
    char OriginalSerialNumber[64];
    char Reserved1[64];
    char Reserved2[64];
    char Reserved3[64];
    char Reserved4[64];
    char UserID[64];           // the identity the user gave the device
    char Reserved5[64];
};
static_assert(sizeof(dvpCameraInfo) == 1216, "camera records are 1216 bytes");

struct dvpSensorInfo
{
    char szName[64];
    dvpUint32 provider;
    dvpUint32 colorSensor;     // not 0: a colour sensor
    dvpUint32 pixelBits;
    dvpUint32 reserved[5];
};

struct dvpRegion
{
    dvpInt32 X;
    dvpInt32 Y;
    dvpInt32 W;
    dvpInt32 H;
};

struct dvpFrame
{
    dvpInt32 format;
    dvpInt32 iWidth;
    dvpInt32 iHeight;
    dvpUint32 uBytes;
    std::uint64_t uFrameID;
};

// Called on the SDK's thread for every frame while started.
using dvpStreamCallback = dvpInt32 (*)(dvpHandle handle, dvpInt32 event, void *context, dvpFrame *frame,
                                       void *buffer);
// Called on the registered event, e.g. EVENT_DISCONNECTED.
using dvpEventCallback = dvpInt32 (*)(dvpHandle handle, dvpInt32 event, void *context, dvpInt32 param);

dvpStatus dvpRefresh(dvpUint32 *count);
dvpStatus dvpEnum(dvpUint32 index, dvpCameraInfo *info);
dvpStatus dvpOpenByName(const char *friendlyName, dvpInt32 mode, dvpHandle *handle);
dvpStatus dvpClose(dvpHandle handle);
dvpStatus dvpIsValid(dvpHandle handle, bool *valid);
dvpStatus dvpGetSensorInfo(dvpHandle handle, dvpSensorInfo *info);
dvpStatus dvpGetStreamState(dvpHandle handle, dvpStreamState *state);
dvpStatus dvpStart(dvpHandle handle);
dvpStatus dvpStop(dvpHandle handle);
dvpStatus dvpRegisterStreamCallback(dvpHandle handle, dvpStreamCallback callback, dvpInt32 event, void *context);
dvpStatus dvpRegisterEventCallback(dvpHandle handle, dvpEventCallback callback, dvpInt32 event, void *context);

dvpStatus dvpSetGammaState(dvpHandle handle, bool on);
dvpStatus dvpSetContrastState(dvpHandle handle, bool on);
dvpStatus dvpSetSharpnessState(dvpHandle handle, bool on);
dvpStatus dvpSetTargetFormat(dvpHandle handle, dvpInt32 format);
dvpStatus dvpSetConfigString(dvpHandle handle, const char *name, const char *value);
dvpStatus dvpSetAeOperation(dvpHandle handle, dvpInt32 operation);
dvpStatus dvpGetRoi(dvpHandle handle, dvpRegion *region);
dvpStatus dvpSetRoi(dvpHandle handle, dvpRegion region);
dvpStatus dvpSetLinkTimeout(dvpHandle handle, dvpUint32 milliseconds);
dvpStatus dvpLoadDefault(dvpHandle handle);

dvpStatus dvpSetExposure(dvpHandle handle, double microseconds);
dvpStatus dvpGetExposure(dvpHandle handle, double *microseconds);
dvpStatus dvpSetAnalogGain(dvpHandle handle, float gain);
dvpStatus dvpGetAnalogGain(dvpHandle handle, float *gain);
dvpStatus dvpSetSharpness(dvpHandle handle, dvpInt32 sharpness);
dvpStatus dvpGetSharpness(dvpHandle handle, dvpInt32 *sharpness);
dvpStatus dvpSetContrast(dvpHandle handle, dvpInt32 contrast);
dvpStatus dvpGetContrast(dvpHandle handle, dvpInt32 *contrast);
dvpStatus dvpSetGamma(dvpHandle handle, dvpInt32 gamma);
dvpStatus dvpGetGamma(dvpHandle handle, dvpInt32 *gamma);
dvpStatus dvpSetTriggerState(dvpHandle handle, bool on);
dvpStatus dvpSetTriggerSource(dvpHandle handle, dvpInt32 source);

#endif
