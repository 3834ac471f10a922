#ifndef CAMERAS_HIKIRSDK_H
#define CAMERAS_HIKIRSDK_H

// Calls of the network SDK that the network thermal camera driver makes in several places.

#include "platform/hcnetsdk/HCNetSDK.h"

#include <QByteArray>
#include <QtGlobal>

#include <type_traits>
#include <vector>

namespace hikir {

// Logs in to address with the cameras' factory account; the handle, or below 0 on failure.
int32_t login(const QByteArray &address, NET_DVR_DEVICEINFO_V40 *device);

// The buffers of a standard configuration call; status, when given, takes the device's status
// text.
inline NET_DVR_STD_CONFIG stdConfig(void *condition, uint32_t conditionSize, void *in, uint32_t inSize, void *out,
                                    uint32_t outSize, std::vector<uchar> *status = nullptr)
{
    NET_DVR_STD_CONFIG config{};
    config.lpCondBuffer = condition;
    config.dwCondSize = conditionSize;
    config.lpInBuffer = in;
    config.dwInSize = inSize;
    config.lpOutBuffer = out;
    config.dwOutSize = outSize;
    if (status) {
        config.lpStatusBuffer = status->data();
        config.dwStatusSize = uint32_t(status->size());
    }
    return config;
}

// Reads the record of command get on channel, lets modify change it and writes it back with
// command set. The record is written with its own size, never with a size the device put into
// it, and not at all when it could not be read: a zeroed record would overwrite the device's
// settings. Failures are logged; the result says whether the record was written.
template <uint32_t Get, uint32_t Set, typename Modify>
bool rewriteDvrRecord(int32_t userId, int32_t channel, Modify modify)
{
    using Record = typename NetDvrRecord<Get>::type;
    static_assert(std::is_same<Record, typename NetDvrRecord<Set>::type>::value, "one record read and written");
    Record record{};
    uint32_t returned = 0;
    if (!NET_DVR_GetDVRConfig(userId, Get, channel, &record, sizeof record, &returned)) {
        qInfo("NET_DVR_GetDVRConfig %u failed, error code: %u; not written back", Get, NET_DVR_GetLastError());
        return false;
    }
    modify(record);
    if (!NET_DVR_SetDVRConfig(userId, Set, channel, &record, sizeof record)) {
        qInfo("NET_DVR_SetDVRConfig %u failed, error code: %u", Set, NET_DVR_GetLastError());
        return false;
    }
    return true;
}

} // namespace hikir

#endif
