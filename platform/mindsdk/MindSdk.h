#ifndef PLATFORM_MINDSDK_MINDSDK_H
#define PLATFORM_MINDSDK_MINDSDK_H

// The machine-vision camera SDK that MindCamera drives: up to a dozen devices described by
// 260-byte records, an integer handle per device, an image processor that turns the raw frames
// the frame callback receives into the chosen output format, and a connection callback. This
// is our own layer over simulated devices (see MindSimulation.h); every function returns
// CAMERA_STATUS_SUCCESS (0) or a negative error.

#include <cstdint>

using CameraHandle = int;
using CameraSdkStatus = int;

constexpr CameraSdkStatus CAMERA_STATUS_SUCCESS = 0;
constexpr CameraSdkStatus CAMERA_STATUS_FAILED = -1;
constexpr CameraSdkStatus CAMERA_STATUS_INVALID_HANDLE = -2;
constexpr CameraSdkStatus CAMERA_STATUS_INVALID_PARAMETER = -3;
constexpr CameraSdkStatus CAMERA_STATUS_NO_DEVICE_FOUND = -4;
constexpr CameraSdkStatus CAMERA_STATUS_ACCESS_DENY = -5;
constexpr CameraSdkStatus CAMERA_STATUS_DEVICE_LOST = -6;
constexpr CameraSdkStatus CAMERA_STATUS_NOT_SUPPORTED = -7;

// Raw and output formats (GenICam codes).
constexpr unsigned int CAMERA_MEDIA_TYPE_MONO8 = 0x01080001;
constexpr unsigned int CAMERA_MEDIA_TYPE_BAYRG8 = 0x01080009;
constexpr unsigned int CAMERA_MEDIA_TYPE_RGB8 = 0x02180014;

// Media type indices: the sensor's colour mosaic, or grey straight from the sensor.
constexpr int CAMERA_MEDIA_COLOUR = 0;
constexpr int CAMERA_MEDIA_MONO = 1;

// Resolution index of a custom region.
constexpr int CAMERA_RESOLUTION_CUSTOM = 255;
// Parameter team that holds the factory settings.
constexpr int PARAMETER_TEAM_DEFAULT = 255;

// Trigger modes.
constexpr int CAMERA_TRIGGER_CONTINUOUS = 0;
constexpr int CAMERA_TRIGGER_SOFTWARE = 1;
constexpr int CAMERA_TRIGGER_HARDWARE = 2;

// Mirror directions.
constexpr int CAMERA_MIRROR_HORIZONTAL = 0;
constexpr int CAMERA_MIRROR_VERTICAL = 1;

// Connection states that the connection callback reports.
constexpr unsigned int CAMERA_CONNECTION_LOST = 0;
constexpr unsigned int CAMERA_CONNECTION_RESTORED = 1;

// One device. Text fields are fixed-size and need not end in a NUL when full.
struct tSdkCameraDevInfo
{
    char acProductSeries[32];
    char acProductName[32];
    char acFriendlyName[32];
    char acLinkName[32];
    char acDriverVersion[32];
    char acSensorType[32];
    char acPortType[32];
    char acSn[32];
    unsigned int uInstance;
};
static_assert(sizeof(tSdkCameraDevInfo) == 260, "device records are 260 bytes");

struct tSdkRange
{
    int iMin;
    int iMax;
};

struct tSdkResolutionRange
{
    int iWidthMin;
    int iWidthMax;
    int iHeightMin;
    int iHeightMax;
};

struct tSdkCameraCapbility
{
    tSdkResolutionRange sResolutionRange;
    tSdkRange sSharpnessRange;
    tSdkRange sContrastRange;
    tSdkRange sGammaRange;
    tSdkRange sAnalogGainRange;
    int iFrameSpeedMax;
    int bMonoSensor;
};

struct tSdkImageResolution
{
    int iIndex;
    int iHOffsetFOV;
    int iVOffsetFOV;
    int iWidth;
    int iHeight;
};

struct tSdkFrameHead
{
    unsigned int uiMediaType;
    unsigned int uBytes;
    int iWidth;
    int iHeight;
    unsigned int uiFrameNumber;
};

// Called on the SDK's thread for every raw frame while playing.
using CAMERA_SNAP_PROC = void (*)(CameraHandle camera, unsigned char *rawBuffer, tSdkFrameHead *frameHead,
                                  void *context);
// Called when the link to the device changes (CAMERA_CONNECTION_LOST or _RESTORED).
using CAMERA_CONNECTION_STATUS_CALLBACK = void (*)(CameraHandle camera, unsigned int status, unsigned int param,
                                                   void *context);

CameraSdkStatus CameraSetSysOption(const char *option, const char *value);
// *count: in, the records the list has room for; out, the records filled.
CameraSdkStatus CameraEnumerateDevice(tSdkCameraDevInfo *list, int *count);
CameraSdkStatus CameraInit(const tSdkCameraDevInfo *device, int parameterMode, int team, CameraHandle *camera);
CameraSdkStatus CameraUnInit(CameraHandle camera);
CameraSdkStatus CameraGetCapability(CameraHandle camera, tSdkCameraCapbility *capability);
CameraSdkStatus CameraGetImageResolution(CameraHandle camera, tSdkImageResolution *resolution);
CameraSdkStatus CameraSetImageResolution(CameraHandle camera, const tSdkImageResolution *resolution);
CameraSdkStatus CameraSetMediaType(CameraHandle camera, int index);
CameraSdkStatus CameraSetIspOutFormat(CameraHandle camera, unsigned int format);
CameraSdkStatus CameraSetMonochrome(CameraHandle camera, int enable);
CameraSdkStatus CameraSetConnectionStatusCallback(CameraHandle camera, CAMERA_CONNECTION_STATUS_CALLBACK callback,
                                                  void *context);
CameraSdkStatus CameraSetCallbackFunction(CameraHandle camera, CAMERA_SNAP_PROC callback, void *context,
                                          CAMERA_SNAP_PROC *oldCallback);
// Text commands, e.g. "set_awdr_enable(true)"; result may be null.
CameraSdkStatus CameraCommonCall(CameraHandle camera, const char *command, char *result, unsigned int resultSize);
CameraSdkStatus CameraPlay(CameraHandle camera);
CameraSdkStatus CameraStop(CameraHandle camera);
// Turns a raw frame into the output format chosen by CameraSetIspOutFormat and updates the
// head's media type and byte count. The output buffer must hold the head's width × height
// pixels of that format.
CameraSdkStatus CameraImageProcess(CameraHandle camera, const unsigned char *raw, unsigned char *out,
                                   tSdkFrameHead *frameHead);

CameraSdkStatus CameraSetExposureTime(CameraHandle camera, double microseconds);
CameraSdkStatus CameraGetExposureTime(CameraHandle camera, double *microseconds);
CameraSdkStatus CameraGetAeAnalogGainRange(CameraHandle camera, int *minimum, int *maximum);
CameraSdkStatus CameraSetAnalogGain(CameraHandle camera, int gain);
CameraSdkStatus CameraGetAnalogGain(CameraHandle camera, int *gain);
CameraSdkStatus CameraSetSharpness(CameraHandle camera, int sharpness);
CameraSdkStatus CameraGetSharpness(CameraHandle camera, int *sharpness);
CameraSdkStatus CameraSetContrast(CameraHandle camera, int contrast);
CameraSdkStatus CameraGetContrast(CameraHandle camera, int *contrast);
CameraSdkStatus CameraSetGamma(CameraHandle camera, int gamma);
CameraSdkStatus CameraGetGamma(CameraHandle camera, int *gamma);
CameraSdkStatus CameraSetAeState(CameraHandle camera, int automatic);
CameraSdkStatus CameraSetAeTarget(CameraHandle camera, int target);
CameraSdkStatus CameraSetAeExposureRange(CameraHandle camera, double minimum, double maximum);
CameraSdkStatus CameraSetAntiFlick(CameraHandle camera, int enable);
CameraSdkStatus CameraSetOnceWB(CameraHandle camera);
CameraSdkStatus CameraSetWbMode(CameraHandle camera, int automatic);
CameraSdkStatus CameraSetMirror(CameraHandle camera, int direction, int enable);
CameraSdkStatus CameraSetFrameSpeed(CameraHandle camera, int speed);
CameraSdkStatus CameraSetTriggerMode(CameraHandle camera, int mode);
CameraSdkStatus CameraLoadParameter(CameraHandle camera, int team);

#endif
