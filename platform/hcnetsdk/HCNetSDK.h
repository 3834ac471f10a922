#ifndef PLATFORM_HCNETSDK_HCNETSDK_H
#define PLATFORM_HCNETSDK_HCNETSDK_H

// Our stand-in for the network SDK of the network thermal cameras: the functions the driver
// calls and the records it exchanges, backed by simulated devices that a test registers
// (platform/hcnetsdk/HCNetSimulator.h). With no device registered no login succeeds, as on a
// machine without such cameras.
//
// Records hold only the fields the driver reads or writes; the rest of each record is
// reserved bytes, so every record has the size the device exchanges. Sizes and the offsets the
// driver relies on are checked below at compile time.

#include <cstddef>
#include <cstdint>

// Error codes of NET_DVR_GetLastError.
enum : uint32_t {
    NET_DVR_NOERROR = 0,
    NET_DVR_PASSWORD_ERROR = 1,
    NET_DVR_NOINIT = 3,
    NET_DVR_CHANNEL_ERROR = 4,
    NET_DVR_NETWORK_FAIL_CONNECT = 7,
    NET_DVR_COMMAND_ERROR = 12,
    NET_DVR_PARAMETER_ERROR = 17,
    NET_DVR_USER_ERROR = 47,
    NET_DVR_HANDLE_ERROR = 48,
    NET_DVR_DEVICE_REFUSED = 29,
};

// Configuration commands.
enum : uint32_t {
    NET_DVR_GET_DEVICECFG = 100,
    NET_DVR_GET_STREAM_RECORD = 3216,
    NET_DVR_GET_RECORD_3305 = 3305,
    NET_DVR_SET_RECORD_3306 = 3306,
    NET_DVR_GET_RECORD_3368 = 3368,
    NET_DVR_SET_RECORD_3369 = 3369,
    NET_DVR_GET_THERMOMETRY_BASICPARAM = 3621,
    NET_DVR_SET_THERMOMETRY_BASICPARAM = 3622,
    NET_DVR_GET_THERMOMETRY_PRESETINFO = 3624,
    NET_DVR_SET_THERMOMETRY_PRESETINFO = 3625,
    NET_DVR_GET_REALTIME_THERMOMETRY = 3629,
    NET_DVR_SET_RECORD_6766 = 6766,
    NET_DVR_GET_RECORD_3EA = 0x3EA,
    NET_DVR_SET_RECORD_3EB = 0x3EB,
};

// Connection reports of the exception callback.
enum : uint32_t {
    EXCEPTION_INTERACTION = 0x8000,
    EXCEPTION_PREVIEW_RECONNECT = 0x8005,
    PREVIEW_RECONNECT_SUCCESS = 0x8015,
    INTERACTION_RESTORED = 0x8017,
    USER_RELOGIN = 0x8040,
    USER_RELOGIN_SUCCESS = 0x8041,
};

// Data types of the real-play data callback.
enum : uint32_t {
    NET_DVR_SYSHEAD = 1,
    NET_DVR_STREAMDATA = 2,
};

// Callback types and statuses of a remote configuration.
enum : uint32_t {
    NET_SDK_CALLBACK_TYPE_STATUS = 0,
    NET_SDK_CALLBACK_TYPE_PROGRESS = 1,
    NET_SDK_CALLBACK_TYPE_DATA = 2,
    NET_SDK_CALLBACK_STATUS_SUCCESS = 1000,
    NET_SDK_CALLBACK_STATUS_PROCESSING = 1001,
    NET_SDK_CALLBACK_STATUS_FAILED = 1002,
};

constexpr int NET_DVR_MAX_LOCAL_ADDRESSES = 16;
constexpr int NET_DVR_LOCAL_ADDRESS_BYTES = 16;
constexpr int NET_DVR_SERIAL_BYTES = 48;
constexpr int NET_DVR_MAX_PRESET_RULES = 40;
constexpr int NET_DVR_MAX_REGION_POINTS = 10;

struct NET_DVR_USER_LOGIN_INFO
{
    char sDeviceAddress[129];
    uint8_t byReserved0;
    uint16_t wPort;
    char sUserName[64];
    char sPassword[64];
    uint8_t byReserved[252];
};

struct NET_DVR_DEVICEINFO_V40
{
    // Not terminated when the serial fills all 48 bytes.
    uint8_t sSerialNumber[NET_DVR_SERIAL_BYTES];
    uint8_t byReserved[296];
};

// Command 100.
struct NET_DVR_DEVICE_RECORD
{
    uint32_t dwSize;
    uint8_t byReserved1[120];
    uint8_t byChanNum;
    uint8_t byReserved2[7];
};

// Commands 3368 and 3369.
struct NET_DVR_RECORD_3368
{
    uint32_t dwSize;
    uint8_t byReserved1[24];
    uint8_t byFlag;
    uint8_t byReserved2[463];
};

// Commands 3305 and 3306.
struct NET_DVR_RECORD_3305
{
    uint32_t dwSize;
    uint16_t wMode;
    uint8_t byReserved[70];
};

// Commands 0x3EA and 0x3EB.
struct NET_DVR_RECORD_3EA
{
    uint32_t dwSize;
    uint8_t byReserved1[100];
    uint32_t dwValue104;
    uint8_t byReserved2[7568];
    uint32_t dwValue7676;
    uint8_t byReserved3[72];
};

// Command 6766 (input).
struct NET_DVR_RECORD_6766
{
    uint32_t dwSize;
    uint8_t byEnable;
    uint8_t byReserved[63];
};

struct NET_DVR_STREAM_INFO
{
    uint32_t dwSize;
    uint8_t byReserved1[32];
    uint32_t dwChannel;
    uint8_t byReserved2[32];
};

// Condition of command 3216.
struct NET_DVR_STREAM_RECORD_COND
{
    uint32_t dwSize;
    NET_DVR_STREAM_INFO struStreamInfo;
    uint32_t dwStreamType;
    uint8_t byReserved[32];
};

// Reply of command 3216: the resolution code is dwResolution when that is 255 or more, else
// byResolution.
struct NET_DVR_STREAM_RECORD
{
    uint32_t dwSize;
    uint8_t byReserved1[5];
    uint8_t byResolution;
    uint8_t byReserved2[26];
    uint32_t dwResolution;
    uint8_t byReserved3[76];
};

struct NET_DVR_PREVIEWINFO
{
    int32_t lChannel;
    uint32_t dwStreamType;
    uint32_t dwLinkMode;
    void *hPlayWnd;
    int32_t bBlocked;
    uint8_t byReserved[220];
};

// A get or set of a standard configuration.
struct NET_DVR_STD_CONFIG
{
    void *lpCondBuffer;
    uint32_t dwCondSize;
    void *lpInBuffer;
    uint32_t dwInSize;
    void *lpOutBuffer;
    uint32_t dwOutSize;
    void *lpStatusBuffer;
    uint32_t dwStatusSize;
};

struct NET_VCA_POINT
{
    float fX;
    float fY;
};

struct NET_VCA_POLYGON
{
    uint32_t dwPointNum;
    NET_VCA_POINT struPos[NET_DVR_MAX_REGION_POINTS];
};

// Commands 3621 and 3622.
struct NET_DVR_THERMOMETRY_BASICPARAM
{
    uint32_t dwSize;
    uint8_t byEnabled;
    uint8_t byStreamOverlay;
    uint8_t byThermometryRange;
    uint8_t byThermometryUnit;
    uint8_t byShowTempStripEnable;
    uint8_t byDistanceUnit;
    uint8_t byReflectiveEnabled;
    uint8_t byemissivityMode;
    float fEmissivity;
    int32_t iEnviroTemperature;
    float fReflectiveTemperature;
    uint16_t wDistance;
    uint8_t byDisplayMaxTemperatureEnabled;
    uint8_t byDisplayMinTemperatureEnabled;
    uint8_t byDisplayAverageTemperatureEnabled;
    uint8_t byThermometryInfoDisplayposition;
    uint8_t byReserved[106];
};

// Condition of commands 3624 and 3625.
struct NET_DVR_THERMOMETRY_COND
{
    uint32_t dwSize;
    uint32_t dwChannel;
    uint16_t wPresetNo;
    uint8_t byReserved[62];
};

struct NET_DVR_THERMOMETRY_PRESETINFO_PARAM
{
    uint8_t byEnabled;
    uint8_t byRuleID;
    uint16_t wDistance;
    float fEmissivity;
    uint8_t byDistanceUnit;
    uint8_t byReflectiveEnabled;
    uint8_t byemissivityMode;
    // 0 point, 1 box, 2 line.
    uint8_t byRuleCalibType;
    float fReflectiveTemperature;
    char szRuleName[32];
    NET_VCA_POINT struPoint;
    NET_VCA_POLYGON struRegion;
    uint8_t byReserved[64];
};

// Commands 3624 and 3625.
struct NET_DVR_THERMOMETRY_PRESETINFO
{
    uint32_t dwSize;
    uint16_t wPresetNo;
    uint8_t byReserved[2];
    NET_DVR_THERMOMETRY_PRESETINFO_PARAM struPresetInfo[NET_DVR_MAX_PRESET_RULES];
};

// Condition of command 3629.
struct NET_DVR_REALTIME_THERMOMETRY_COND
{
    uint32_t dwSize;
    uint32_t dwChan;
    // 0: every rule.
    uint8_t byRuleID;
    uint8_t byReserved[63];
};

struct NET_DVR_POINT_THERM_CFG
{
    float fTemperature;
    NET_VCA_POINT struPoint;
};

struct NET_DVR_LINEPOLYGON_THERM_CFG
{
    float fMaxTemperature;
    float fMinTemperature;
    float fAverageTemperature;
    float fTemperatureDiff;
};

// One real-time temperature report of command 3629.
struct NET_DVR_THERMOMETRY_UPLOAD
{
    uint32_t dwSize;
    uint32_t dwRelativeTime;
    // Packed: year - 2000 << 26, month << 22, day << 17, hour << 12, minute << 6, second.
    uint32_t dwAbsTime;
    uint8_t byRuleID;
    uint8_t byRuleCalibType;
    uint16_t wPresetNo;
    uint8_t byThermometryUnit;
    uint8_t byDataType;
    uint8_t byReserved1[2];
    NET_DVR_POINT_THERM_CFG struPointThermCfg;
    NET_DVR_LINEPOLYGON_THERM_CFG struLinePolygonThermCfg;
    NET_VCA_POINT struHighestPoint;
    NET_VCA_POINT struLowestPoint;
    uint8_t byReserved[64];
};

// The record each configuration command reads or writes, with the size the device exchanges.
template <uint32_t Command>
struct NetDvrRecord;
#define HCNET_RECORD(command, record, bytes)                                                  \
    template <>                                                                               \
    struct NetDvrRecord<command>                                                              \
    {                                                                                         \
        using type = record;                                                                  \
        static constexpr uint32_t size = bytes;                                               \
    };                                                                                        \
    static_assert(sizeof(record) == (bytes), #record " must be " #bytes " bytes")
HCNET_RECORD(NET_DVR_GET_DEVICECFG, NET_DVR_DEVICE_RECORD, 132);
HCNET_RECORD(NET_DVR_GET_RECORD_3368, NET_DVR_RECORD_3368, 492);
HCNET_RECORD(NET_DVR_SET_RECORD_3369, NET_DVR_RECORD_3368, 492);
HCNET_RECORD(NET_DVR_GET_RECORD_3305, NET_DVR_RECORD_3305, 76);
HCNET_RECORD(NET_DVR_SET_RECORD_3306, NET_DVR_RECORD_3305, 76);
HCNET_RECORD(NET_DVR_GET_RECORD_3EA, NET_DVR_RECORD_3EA, 7752);
HCNET_RECORD(NET_DVR_SET_RECORD_3EB, NET_DVR_RECORD_3EA, 7752);
HCNET_RECORD(NET_DVR_SET_RECORD_6766, NET_DVR_RECORD_6766, 68);
HCNET_RECORD(NET_DVR_GET_STREAM_RECORD, NET_DVR_STREAM_RECORD, 116);
HCNET_RECORD(NET_DVR_GET_THERMOMETRY_BASICPARAM, NET_DVR_THERMOMETRY_BASICPARAM, 136);
HCNET_RECORD(NET_DVR_SET_THERMOMETRY_BASICPARAM, NET_DVR_THERMOMETRY_BASICPARAM, 136);
HCNET_RECORD(NET_DVR_GET_THERMOMETRY_PRESETINFO, NET_DVR_THERMOMETRY_PRESETINFO, 8168);
HCNET_RECORD(NET_DVR_SET_THERMOMETRY_PRESETINFO, NET_DVR_THERMOMETRY_PRESETINFO, 8168);
#undef HCNET_RECORD

static_assert(sizeof(NET_DVR_DEVICEINFO_V40) == 344, "device info");
static_assert(sizeof(NET_DVR_STREAM_RECORD_COND) == 112 && sizeof(NET_DVR_STREAM_INFO) == 72, "stream condition");
static_assert(sizeof(NET_DVR_THERMOMETRY_COND) == 72, "thermometry condition");
static_assert(sizeof(NET_DVR_REALTIME_THERMOMETRY_COND) == 72, "real-time thermometry condition");
static_assert(sizeof(NET_DVR_THERMOMETRY_PRESETINFO_PARAM) == 204, "preset rule");
static_assert(offsetof(NET_DVR_DEVICE_RECORD, byChanNum) == 124, "channel count at 124");
static_assert(offsetof(NET_DVR_RECORD_3368, byFlag) == 28, "flag at 28");
static_assert(offsetof(NET_DVR_RECORD_3305, wMode) == 4, "mode at 4");
static_assert(offsetof(NET_DVR_RECORD_3EA, dwValue104) == 104 && offsetof(NET_DVR_RECORD_3EA, dwValue7676) == 7676,
              "values at 104 and 7676");
static_assert(offsetof(NET_DVR_RECORD_6766, byEnable) == 4, "enable at 4");
static_assert(offsetof(NET_DVR_STREAM_RECORD, byResolution) == 9 && offsetof(NET_DVR_STREAM_RECORD, dwResolution) == 36,
              "resolution at 9 and 36");
static_assert(offsetof(NET_DVR_STREAM_INFO, dwChannel) == 36, "stream channel at 36");

using fRealDataCallBack_V30 = void (*)(int32_t lRealHandle, uint32_t dwDataType, uint8_t *pBuffer,
                                       uint32_t dwBufSize, void *pUser);
using fExceptionCallBack = void (*)(uint32_t dwType, int32_t lUserID, int32_t lHandle, void *pUser);
using fRemoteConfigCallback = void (*)(uint32_t dwType, void *lpBuffer, uint32_t dwBufLen, void *pUserData);

// Functions return non-zero (or a handle >= 0) on success; NET_DVR_GetLastError tells why a
// call of this thread failed.
int NET_DVR_Init();
int NET_DVR_Cleanup();
uint32_t NET_DVR_GetLastError();
int NET_DVR_GetLocalIP(char addresses[NET_DVR_MAX_LOCAL_ADDRESSES][NET_DVR_LOCAL_ADDRESS_BYTES], uint32_t *count,
                       int *bind);
int NET_DVR_SetValidIP(uint32_t index, int bind);
int NET_DVR_SetConnectTime(uint32_t waitMs, uint32_t tries);
int NET_DVR_SetReconnect(uint32_t intervalMs, int enable);
int NET_DVR_SetLogToFile(int level, const char *folder, int autoDelete);
int NET_DVR_SetLogPrint(int print);

int32_t NET_DVR_Login_V40(const NET_DVR_USER_LOGIN_INFO *login, NET_DVR_DEVICEINFO_V40 *device);
int NET_DVR_Logout(int32_t userId);

int NET_DVR_GetDVRConfig(int32_t userId, uint32_t command, int32_t channel, void *out, uint32_t outSize,
                         uint32_t *returned);
int NET_DVR_SetDVRConfig(int32_t userId, uint32_t command, int32_t channel, const void *in, uint32_t inSize);
int NET_DVR_GetSTDConfig(int32_t userId, uint32_t command, NET_DVR_STD_CONFIG *config);
int NET_DVR_SetSTDConfig(int32_t userId, uint32_t command, NET_DVR_STD_CONFIG *config);
int NET_DVR_GetDeviceConfig(int32_t userId, uint32_t command, uint32_t count, const void *condition,
                            uint32_t conditionSize, void *statusList, void *out, uint32_t outSize);

int32_t NET_DVR_StartRemoteConfig(int32_t userId, uint32_t command, const void *condition, uint32_t conditionSize,
                                  fRemoteConfigCallback callback, void *user);
int NET_DVR_StopRemoteConfig(int32_t handle);
int NET_DVR_SetExceptionCallBack_V30(uint32_t reserved, void *window, fExceptionCallBack callback, void *user);

int32_t NET_DVR_RealPlay_V40(int32_t userId, const NET_DVR_PREVIEWINFO *preview, fRealDataCallBack_V30 callback,
                             void *user);
int NET_DVR_StopRealPlay(int32_t realHandle);
int NET_DVR_FocusOnePush(int32_t userId, int32_t channel);

#endif
