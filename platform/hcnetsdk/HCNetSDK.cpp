#include "platform/hcnetsdk/HCNetSDK.h"

#include "platform/hcnetsdk/SimulatedNetwork.h"

#include <cstring>

using hcnetsim::SimulatedNetwork;

namespace {

SimulatedNetwork &network()
{
    return SimulatedNetwork::instance();
}

int failed(uint32_t code)
{
    hcnetsim::setLastError(code);
    return 0;
}

uint32_t word(const void *bytes, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, static_cast<const uint8_t *>(bytes) + offset, sizeof value);
    return value;
}

// The channel a standard configuration's condition names: the bare 32-bit channel, or a
// thermometry condition that carries its own size.
bool conditionChannel(const NET_DVR_STD_CONFIG &config, int32_t &channel)
{
    if (!config.lpCondBuffer)
        return false;
    if (config.dwCondSize == sizeof(uint32_t)) {
        channel = int32_t(word(config.lpCondBuffer, 0));
        return true;
    }
    if (config.dwCondSize == sizeof(NET_DVR_THERMOMETRY_COND)
        && word(config.lpCondBuffer, 0) == sizeof(NET_DVR_THERMOMETRY_COND)) {
        channel = int32_t(word(config.lpCondBuffer, offsetof(NET_DVR_THERMOMETRY_COND, dwChannel)));
        return true;
    }
    return false;
}

} // namespace

int NET_DVR_Init()
{
    return network().init() ? 1 : 0;
}

int NET_DVR_Cleanup()
{
    return network().cleanup() ? 1 : 0;
}

uint32_t NET_DVR_GetLastError()
{
    return hcnetsim::lastError();
}

int NET_DVR_GetLocalIP(char addresses[NET_DVR_MAX_LOCAL_ADDRESSES][NET_DVR_LOCAL_ADDRESS_BYTES], uint32_t *count,
                       int *bind)
{
    if (!network().localAddresses(addresses, count))
        return 0;
    if (bind)
        *bind = 0;
    return 1;
}

int NET_DVR_SetValidIP(uint32_t index, int)
{
    return index < NET_DVR_MAX_LOCAL_ADDRESSES ? 1 : failed(NET_DVR_PARAMETER_ERROR);
}

int NET_DVR_SetConnectTime(uint32_t waitMs, uint32_t)
{
    return network().setConnectTime(waitMs) ? 1 : 0;
}

int NET_DVR_SetReconnect(uint32_t intervalMs, int enable)
{
    return network().setReconnect(intervalMs, enable != 0) ? 1 : 0;
}

int NET_DVR_SetLogToFile(int, const char *, int)
{
    // The simulated SDK keeps no log of its own.
    return 1;
}

int NET_DVR_SetLogPrint(int)
{
    return 1;
}

int32_t NET_DVR_Login_V40(const NET_DVR_USER_LOGIN_INFO *login, NET_DVR_DEVICEINFO_V40 *device)
{
    if (!login)
        return failed(NET_DVR_PARAMETER_ERROR), -1;
    return network().login(*login, device);
}

int NET_DVR_Logout(int32_t userId)
{
    return network().logout(userId) ? 1 : 0;
}

int NET_DVR_GetDVRConfig(int32_t userId, uint32_t command, int32_t channel, void *out, uint32_t outSize,
                         uint32_t *returned)
{
    if (!network().getRecord(userId, command, channel, out, outSize))
        return 0;
    if (returned)
        *returned = outSize;
    return 1;
}

int NET_DVR_SetDVRConfig(int32_t userId, uint32_t command, int32_t channel, const void *in, uint32_t inSize)
{
    return network().setRecord(userId, command, channel, nullptr, 0, in, inSize) ? 1 : 0;
}

int NET_DVR_GetSTDConfig(int32_t userId, uint32_t command, NET_DVR_STD_CONFIG *config)
{
    int32_t channel = 0;
    if (!config || !conditionChannel(*config, channel))
        return failed(NET_DVR_PARAMETER_ERROR);
    return network().getRecord(userId, command, channel, config->lpOutBuffer, config->dwOutSize) ? 1 : 0;
}

int NET_DVR_SetSTDConfig(int32_t userId, uint32_t command, NET_DVR_STD_CONFIG *config)
{
    int32_t channel = 0;
    if (!config || !conditionChannel(*config, channel))
        return failed(NET_DVR_PARAMETER_ERROR);
    return network().setRecord(userId, command, channel, config->lpCondBuffer, config->dwCondSize,
                               config->lpInBuffer, config->dwInSize)
               ? 1
               : 0;
}

int NET_DVR_GetDeviceConfig(int32_t userId, uint32_t command, uint32_t count, const void *condition,
                            uint32_t conditionSize, void *statusList, void *out, uint32_t outSize)
{
    // One stream record per call is all a device answers here.
    if (command != NET_DVR_GET_STREAM_RECORD || count != 1 || !condition
        || conditionSize != sizeof(NET_DVR_STREAM_RECORD_COND)
        || word(condition, 0) != sizeof(NET_DVR_STREAM_RECORD_COND))
        return failed(NET_DVR_PARAMETER_ERROR);
    const size_t channelAt = offsetof(NET_DVR_STREAM_RECORD_COND, struStreamInfo) + offsetof(NET_DVR_STREAM_INFO, dwChannel);
    const int32_t channel = int32_t(word(condition, channelAt));
    if (!network().getRecord(userId, command, channel, out, outSize))
        return 0;
    if (statusList) {
        const uint32_t status = 0;
        std::memcpy(statusList, &status, sizeof status);
    }
    return 1;
}

int32_t NET_DVR_StartRemoteConfig(int32_t userId, uint32_t command, const void *condition, uint32_t conditionSize,
                                  fRemoteConfigCallback callback, void *user)
{
    if (!condition || conditionSize != sizeof(NET_DVR_REALTIME_THERMOMETRY_COND)
        || word(condition, 0) != sizeof(NET_DVR_REALTIME_THERMOMETRY_COND))
        return failed(NET_DVR_PARAMETER_ERROR), -1;
    NET_DVR_REALTIME_THERMOMETRY_COND cond;
    std::memcpy(&cond, condition, sizeof cond);
    return network().startRemoteConfig(userId, command, int32_t(cond.dwChan), cond.byRuleID, callback, user);
}

int NET_DVR_StopRemoteConfig(int32_t handle)
{
    return network().stopRemoteConfig(handle) ? 1 : 0;
}

int NET_DVR_SetExceptionCallBack_V30(uint32_t, void *, fExceptionCallBack callback, void *user)
{
    return network().setExceptionCallback(callback, user) ? 1 : 0;
}

int32_t NET_DVR_RealPlay_V40(int32_t userId, const NET_DVR_PREVIEWINFO *preview, fRealDataCallBack_V30 callback,
                             void *user)
{
    if (!preview)
        return failed(NET_DVR_PARAMETER_ERROR), -1;
    return network().realPlay(userId, preview->lChannel, callback, user);
}

int NET_DVR_StopRealPlay(int32_t realHandle)
{
    return network().stopRealPlay(realHandle) ? 1 : 0;
}

int NET_DVR_FocusOnePush(int32_t userId, int32_t channel)
{
    return network().checkChannel(userId, channel) ? 1 : 0;
}
