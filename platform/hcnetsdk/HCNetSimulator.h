#ifndef PLATFORM_HCNETSDK_HCNETSIMULATOR_H
#define PLATFORM_HCNETSDK_HCNETSIMULATOR_H

// The simulated side of the network SDK: what a test registers (local addresses, devices per
// address, the records a device holds, pictures and reports it sends) and what it can read back
// (every login attempt and every record written). Safe to call from any thread.

#include "platform/hcnetsdk/HCNetSDK.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hcnetsim {

struct Device
{
    // Up to 48 bytes; a serial of exactly 48 bytes is reported without a terminating NUL.
    std::string serial;
    int channelCount = 1;
    // The stream's resolution code: the one-byte code, and the extended code that wins when it
    // is 255 or more.
    uint8_t resolutionCode = 76;
    uint32_t extendedResolution = 0;
    std::string user = "admin";
    std::string password = "mnop4826";
    uint16_t port = 8000;
};

struct LoginAttempt
{
    std::string address;
    uint16_t port = 0;
    // The connect time-out in force when the login was tried.
    uint32_t connectTimeMs = 0;
    bool succeeded = false;
};

// One record written to a device.
struct SetCall
{
    std::string address;
    uint32_t command = 0;
    int32_t channel = 0;
    std::vector<uint8_t> condition;
    std::vector<uint8_t> input;
};

// The connect time-out before NET_DVR_SetConnectTime is called.
constexpr uint32_t DefaultConnectTimeMs = 5000;

// Forgets devices, addresses, records and logins, ends every play, port and report, and waits
// for their threads. Tests call it between cases.
void reset();

// The local addresses NET_DVR_GetLocalIP reports (at most 16 are kept); failing: the query
// fails.
void setLocalAddresses(const std::vector<std::string> &addresses);
void failLocalAddressQuery(bool failing);

// A device that answers logins at address. Its records start zeroed with their first word set
// to their size.
void addDevice(const std::string &address, const Device &device);
// A device that no longer answers: logins fail; what is running goes on.
void setReachable(const std::string &address, bool reachable);
// Replaces what a Get of command on channel returns (any size; a Get of another size than the
// command's record fails).
void setRecord(const std::string &address, uint32_t command, int32_t channel, const std::vector<uint8_t> &bytes);
// Every Get and Set of command on that device fails with NET_DVR_DEVICE_REFUSED.
void failCommand(const std::string &address, uint32_t command, bool failing);

// Every record written since the last reset, in order.
std::vector<SetCall> setCalls();
std::vector<LoginAttempt> loginAttempts();

// A picture the device sends on channel: to the live play of that channel, or to the next one.
// yv12 holds width x height x 3 / 2 bytes (any length is sent as given).
void sendPicture(const std::string &address, int32_t channel, int32_t width, int32_t height,
                 const std::vector<uint8_t> &yv12);
// With a period above 0 the device sends its last picture again every periodMs while nothing
// else is queued.
void repeatPictures(const std::string &address, int32_t channel, int periodMs);

// A connection report to every login of the device at address, through the exception callback.
void raiseException(const std::string &address, uint32_t code);
// A temperature report to every real-time thermometry stream of that device and channel.
void reportThermometry(const std::string &address, int32_t channel, const NET_DVR_THERMOMETRY_UPLOAD &report);
// Waits until every queued report has been handed to its callback; false on time-out.
bool waitForReports(int timeoutMs);

// Live counts, for tests that check what a driver left running.
int livePlays();
int openPorts();
int activeLogins();

} // namespace hcnetsim

#endif
