#ifndef PLATFORM_HCNETSDK_SIMULATEDNETWORK_H
#define PLATFORM_HCNETSDK_SIMULATEDNETWORK_H

// The state behind the simulated network SDK: registered devices, logins, plays with their
// sending threads, remote configurations and the report thread. Internal to the layer; the SDK
// functions and the test interface both work on the one instance.
//
// Locks: deliveryMutex is held while a report is handed to its callback, so whoever ends a
// login, a remote configuration or the exception callback waits for a report in flight and
// none follows; it is always taken before mutex. Callbacks of the play threads run without
// either lock.

#include "platform/hcnetsdk/HCNetSDK.h"
#include "platform/hcnetsdk/HCNetSimulator.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace hcnetsim {

void setLastError(uint32_t code);
uint32_t lastError();
// Ends every player port and its decoding thread (PlayM4.cpp).
void resetPlayer();
int playerOpenPorts();

class SimulatedNetwork
{
public:
    static SimulatedNetwork &instance();
    ~SimulatedNetwork();

    // SDK side; each sets the thread's last error on failure.
    bool init();
    bool cleanup();
    bool localAddresses(char addresses[NET_DVR_MAX_LOCAL_ADDRESSES][NET_DVR_LOCAL_ADDRESS_BYTES], uint32_t *count);
    bool setConnectTime(uint32_t waitMs);
    bool setReconnect(uint32_t intervalMs, bool enable);
    int32_t login(const NET_DVR_USER_LOGIN_INFO &login, NET_DVR_DEVICEINFO_V40 *device);
    bool logout(int32_t userId);
    bool getRecord(int32_t userId, uint32_t command, int32_t channel, void *out, uint32_t outSize);
    bool setRecord(int32_t userId, uint32_t command, int32_t channel, const void *condition, uint32_t conditionSize,
                   const void *in, uint32_t inSize);
    int32_t startRemoteConfig(int32_t userId, uint32_t command, int32_t channel, uint8_t ruleId,
                              fRemoteConfigCallback callback, void *user);
    bool stopRemoteConfig(int32_t handle);
    bool setExceptionCallback(fExceptionCallBack callback, void *user);
    int32_t realPlay(int32_t userId, int32_t channel, fRealDataCallBack_V30 callback, void *user);
    bool stopRealPlay(int32_t handle);
    bool checkChannel(int32_t userId, int32_t channel);

    // Test side.
    void reset();
    void setLocalAddresses(const std::vector<std::string> &addresses, bool failing);
    void failLocalAddressQuery(bool failing);
    void addDevice(const std::string &address, const Device &device);
    void setReachable(const std::string &address, bool reachable);
    void storeRecord(const std::string &address, uint32_t command, int32_t channel, const std::vector<uint8_t> &bytes);
    void failCommand(const std::string &address, uint32_t command, bool failing);
    std::vector<SetCall> setCalls();
    std::vector<LoginAttempt> loginAttempts();
    void sendPicture(const std::string &address, int32_t channel, int32_t width, int32_t height,
                     const std::vector<uint8_t> &yv12);
    void repeatPictures(const std::string &address, int32_t channel, int periodMs);
    void raiseException(const std::string &address, uint32_t code);
    void reportThermometry(const std::string &address, int32_t channel, const NET_DVR_THERMOMETRY_UPLOAD &report);
    bool waitForReports(int timeoutMs);
    int livePlays();
    int activeLogins();

private:
    using Clock = std::chrono::steady_clock;

    struct Picture
    {
        int32_t width = 0;
        int32_t height = 0;
        std::vector<uint8_t> bytes;
    };
    struct Channel
    {
        std::deque<Picture> queue;
        Picture last;
        bool hasLast = false;
        int repeatMs = 0;
    };
    struct DeviceState
    {
        Device device;
        bool reachable = true;
        std::map<std::pair<uint32_t, int32_t>, std::vector<uint8_t>> records;
        std::set<uint32_t> failing;
        std::map<int32_t, Channel> channels;
    };
    struct Play
    {
        int32_t handle = -1;
        int32_t userId = -1;
        std::string address;
        int32_t channel = 0;
        fRealDataCallBack_V30 callback = nullptr;
        void *user = nullptr;
        bool stop = false;
        std::thread thread;
    };
    struct RemoteConfig
    {
        int32_t userId = -1;
        uint32_t command = 0;
        int32_t channel = 0;
        uint8_t ruleId = 0;
        fRemoteConfigCallback callback = nullptr;
        void *user = nullptr;
    };

    SimulatedNetwork() = default;

    DeviceState *deviceOf(int32_t userId);
    // The device a record command of userId goes to, after every check a device makes (the
    // thread's last error tells which failed); null when one failed.
    DeviceState *recordDevice(int32_t userId, uint32_t command, bool writing, int32_t channel, const void *buffer,
                              uint32_t size);
    std::vector<uint8_t> defaultRecord(const DeviceState &device, uint32_t command) const;
    void runPlay(Play *play);
    bool nextPicture(Play *play, std::unique_lock<std::mutex> &lock, Clock::time_point &repeatAt, Picture &picture);
    void stopPlays(std::vector<std::unique_ptr<Play>> plays);
    void queueReport(std::function<void()> report);
    void runReports();
    void stopReports();

    std::recursive_mutex deliveryMutex;
    std::mutex mutex;
    std::condition_variable streamChanged;
    std::condition_variable reportsChanged;

    bool initialized = false;
    std::vector<std::string> local;
    bool localFailing = false;
    uint32_t connectTimeMs = DefaultConnectTimeMs;
    std::map<std::string, DeviceState> devices;
    std::map<int32_t, std::string> logins;
    int32_t nextHandle = 0;
    std::map<int32_t, std::unique_ptr<Play>> plays;
    std::map<int32_t, RemoteConfig> remoteConfigs;
    fExceptionCallBack exceptionCallback = nullptr;
    void *exceptionUser = nullptr;
    std::vector<SetCall> writes;
    std::vector<LoginAttempt> attempts;

    std::thread reportThread;
    std::deque<std::function<void()>> reports;
    bool reportsStopping = false;
    bool reportInFlight = false;
};

} // namespace hcnetsim

#endif
