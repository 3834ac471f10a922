#include "platform/hcnetsdk/SimulatedNetwork.h"

#include "platform/hcnetsdk/StreamPackets.h"

#include <algorithm>
#include <cstring>

namespace hcnetsim {

namespace {

thread_local uint32_t threadLastError = NET_DVR_NOERROR;

// The size of the record a command exchanges; 0 for a command no device knows.
uint32_t recordSize(uint32_t command)
{
    switch (command) {
    case NET_DVR_GET_DEVICECFG: return NetDvrRecord<NET_DVR_GET_DEVICECFG>::size;
    case NET_DVR_GET_RECORD_3368: return NetDvrRecord<NET_DVR_GET_RECORD_3368>::size;
    case NET_DVR_SET_RECORD_3369: return NetDvrRecord<NET_DVR_SET_RECORD_3369>::size;
    case NET_DVR_GET_RECORD_3305: return NetDvrRecord<NET_DVR_GET_RECORD_3305>::size;
    case NET_DVR_SET_RECORD_3306: return NetDvrRecord<NET_DVR_SET_RECORD_3306>::size;
    case NET_DVR_GET_RECORD_3EA: return NetDvrRecord<NET_DVR_GET_RECORD_3EA>::size;
    case NET_DVR_SET_RECORD_3EB: return NetDvrRecord<NET_DVR_SET_RECORD_3EB>::size;
    case NET_DVR_SET_RECORD_6766: return NetDvrRecord<NET_DVR_SET_RECORD_6766>::size;
    case NET_DVR_GET_STREAM_RECORD: return NetDvrRecord<NET_DVR_GET_STREAM_RECORD>::size;
    case NET_DVR_GET_THERMOMETRY_BASICPARAM: return NetDvrRecord<NET_DVR_GET_THERMOMETRY_BASICPARAM>::size;
    case NET_DVR_SET_THERMOMETRY_BASICPARAM: return NetDvrRecord<NET_DVR_SET_THERMOMETRY_BASICPARAM>::size;
    case NET_DVR_GET_THERMOMETRY_PRESETINFO: return NetDvrRecord<NET_DVR_GET_THERMOMETRY_PRESETINFO>::size;
    case NET_DVR_SET_THERMOMETRY_PRESETINFO: return NetDvrRecord<NET_DVR_SET_THERMOMETRY_PRESETINFO>::size;
    default: return 0;
    }
}

// A write lands where the matching read finds it.
uint32_t storedUnder(uint32_t command)
{
    switch (command) {
    case NET_DVR_SET_RECORD_3369: return NET_DVR_GET_RECORD_3368;
    case NET_DVR_SET_RECORD_3306: return NET_DVR_GET_RECORD_3305;
    case NET_DVR_SET_RECORD_3EB: return NET_DVR_GET_RECORD_3EA;
    case NET_DVR_SET_THERMOMETRY_BASICPARAM: return NET_DVR_GET_THERMOMETRY_BASICPARAM;
    case NET_DVR_SET_THERMOMETRY_PRESETINFO: return NET_DVR_GET_THERMOMETRY_PRESETINFO;
    default: return command;
    }
}

bool fail(uint32_t code)
{
    threadLastError = code;
    return false;
}

std::string bounded(const char *text, size_t capacity)
{
    return std::string(text, strnlen(text, capacity));
}

} // namespace

void setLastError(uint32_t code)
{
    threadLastError = code;
}

uint32_t lastError()
{
    return threadLastError;
}

SimulatedNetwork &SimulatedNetwork::instance()
{
    static SimulatedNetwork network;
    return network;
}

SimulatedNetwork::~SimulatedNetwork()
{
    stopReports();
    std::vector<std::unique_ptr<Play>> running;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto &play : plays)
            running.push_back(std::move(play.second));
        plays.clear();
    }
    stopPlays(std::move(running));
}

bool SimulatedNetwork::init()
{
    std::lock_guard<std::mutex> lock(mutex);
    initialized = true;
    return true;
}

bool SimulatedNetwork::cleanup()
{
    std::vector<std::unique_ptr<Play>> running;
    {
        std::lock_guard<std::recursive_mutex> delivery(deliveryMutex);
        std::lock_guard<std::mutex> lock(mutex);
        if (!initialized)
            return fail(NET_DVR_NOINIT);
        initialized = false;
        for (auto &play : plays)
            running.push_back(std::move(play.second));
        plays.clear();
        logins.clear();
        remoteConfigs.clear();
        exceptionCallback = nullptr;
        exceptionUser = nullptr;
        connectTimeMs = DefaultConnectTimeMs;
    }
    stopPlays(std::move(running));
    return true;
}

bool SimulatedNetwork::localAddresses(char addresses[NET_DVR_MAX_LOCAL_ADDRESSES][NET_DVR_LOCAL_ADDRESS_BYTES],
                                      uint32_t *count)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!initialized)
        return fail(NET_DVR_NOINIT);
    if (!addresses || !count)
        return fail(NET_DVR_PARAMETER_ERROR);
    if (localFailing)
        return fail(NET_DVR_NETWORK_FAIL_CONNECT);
    const size_t n = std::min(local.size(), size_t(NET_DVR_MAX_LOCAL_ADDRESSES));
    for (size_t i = 0; i < n; ++i) {
        std::memset(addresses[i], 0, NET_DVR_LOCAL_ADDRESS_BYTES);
        std::memcpy(addresses[i], local[i].data(), std::min(local[i].size(), size_t(NET_DVR_LOCAL_ADDRESS_BYTES - 1)));
    }
    *count = uint32_t(n);
    return true;
}

bool SimulatedNetwork::setConnectTime(uint32_t waitMs)
{
    std::lock_guard<std::mutex> lock(mutex);
    connectTimeMs = waitMs;
    return true;
}

bool SimulatedNetwork::setReconnect(uint32_t, bool)
{
    // The simulated link never drops on its own; a test raises the reports instead.
    return true;
}

int32_t SimulatedNetwork::login(const NET_DVR_USER_LOGIN_INFO &info, NET_DVR_DEVICEINFO_V40 *deviceInfo)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!initialized)
        return fail(NET_DVR_NOINIT), -1;
    LoginAttempt attempt;
    attempt.address = bounded(info.sDeviceAddress, sizeof info.sDeviceAddress);
    attempt.port = info.wPort;
    attempt.connectTimeMs = connectTimeMs;
    attempts.push_back(attempt);
    const auto found = devices.find(attempt.address);
    if (found == devices.end() || !found->second.reachable || found->second.device.port != info.wPort)
        return fail(NET_DVR_NETWORK_FAIL_CONNECT), -1;
    const Device &device = found->second.device;
    if (bounded(info.sUserName, sizeof info.sUserName) != device.user
        || bounded(info.sPassword, sizeof info.sPassword) != device.password)
        return fail(NET_DVR_PASSWORD_ERROR), -1;
    const int32_t id = nextHandle++;
    logins[id] = attempt.address;
    attempts.back().succeeded = true;
    if (deviceInfo) {
        std::memset(deviceInfo, 0, sizeof *deviceInfo);
        std::memcpy(deviceInfo->sSerialNumber, device.serial.data(),
                    std::min(device.serial.size(), sizeof deviceInfo->sSerialNumber));
    }
    return id;
}

bool SimulatedNetwork::logout(int32_t userId)
{
    std::vector<std::unique_ptr<Play>> running;
    {
        std::lock_guard<std::recursive_mutex> delivery(deliveryMutex);
        std::lock_guard<std::mutex> lock(mutex);
        if (!logins.erase(userId))
            return fail(NET_DVR_USER_ERROR);
        for (auto it = plays.begin(); it != plays.end();) {
            if (it->second->userId == userId) {
                it->second->stop = true;
                running.push_back(std::move(it->second));
                it = plays.erase(it);
            } else {
                ++it;
            }
        }
        for (auto it = remoteConfigs.begin(); it != remoteConfigs.end();)
            it = it->second.userId == userId ? remoteConfigs.erase(it) : std::next(it);
    }
    streamChanged.notify_all();
    stopPlays(std::move(running));
    return true;
}

SimulatedNetwork::DeviceState *SimulatedNetwork::deviceOf(int32_t userId)
{
    const auto login = logins.find(userId);
    if (login == logins.end())
        return nullptr;
    const auto device = devices.find(login->second);
    return device == devices.end() ? nullptr : &device->second;
}

bool SimulatedNetwork::checkChannel(int32_t userId, int32_t channel)
{
    std::lock_guard<std::mutex> lock(mutex);
    const DeviceState *device = deviceOf(userId);
    if (!device)
        return fail(NET_DVR_USER_ERROR);
    if (channel < 1 || channel > device->device.channelCount)
        return fail(NET_DVR_CHANNEL_ERROR);
    return true;
}

std::vector<uint8_t> SimulatedNetwork::defaultRecord(const DeviceState &device, uint32_t command) const
{
    const uint32_t size = recordSize(command);
    std::vector<uint8_t> bytes(size, 0);
    std::memcpy(bytes.data(), &size, sizeof size);
    if (command == NET_DVR_GET_DEVICECFG) {
        bytes[offsetof(NET_DVR_DEVICE_RECORD, byChanNum)] = uint8_t(device.device.channelCount);
    } else if (command == NET_DVR_GET_STREAM_RECORD) {
        bytes[offsetof(NET_DVR_STREAM_RECORD, byResolution)] = device.device.resolutionCode;
        const uint32_t extended = device.device.extendedResolution;
        std::memcpy(bytes.data() + offsetof(NET_DVR_STREAM_RECORD, dwResolution), &extended, sizeof extended);
    }
    return bytes;
}

SimulatedNetwork::DeviceState *SimulatedNetwork::recordDevice(int32_t userId, uint32_t command, bool writing,
                                                             int32_t channel, const void *buffer, uint32_t size)
{
    if (!initialized)
        return fail(NET_DVR_NOINIT), nullptr;
    DeviceState *device = deviceOf(userId);
    if (!device)
        return fail(NET_DVR_USER_ERROR), nullptr;
    // Reads and writes come in pairs of commands; 6766 is written only.
    const bool written = storedUnder(command) != command || command == NET_DVR_SET_RECORD_6766;
    const uint32_t expected = recordSize(command);
    if (expected == 0 || written != writing)
        return fail(NET_DVR_COMMAND_ERROR), nullptr;
    if (!buffer || size != expected)
        return fail(NET_DVR_PARAMETER_ERROR), nullptr;
    if (channel < 1 || channel > device->device.channelCount)
        return fail(NET_DVR_CHANNEL_ERROR), nullptr;
    if (!device->reachable)
        return fail(NET_DVR_NETWORK_FAIL_CONNECT), nullptr;
    if (device->failing.count(command))
        return fail(NET_DVR_DEVICE_REFUSED), nullptr;
    return device;
}

bool SimulatedNetwork::getRecord(int32_t userId, uint32_t command, int32_t channel, void *out, uint32_t outSize)
{
    std::lock_guard<std::mutex> lock(mutex);
    const DeviceState *device = recordDevice(userId, command, false, channel, out, outSize);
    if (!device)
        return false;
    const auto stored = device->records.find({command, channel});
    const std::vector<uint8_t> bytes = stored == device->records.end() ? defaultRecord(*device, command) : stored->second;
    // A record a test stored in another size is what a confused device would send.
    if (bytes.size() != outSize)
        return fail(NET_DVR_PARAMETER_ERROR);
    std::memcpy(out, bytes.data(), outSize);
    return true;
}

bool SimulatedNetwork::setRecord(int32_t userId, uint32_t command, int32_t channel, const void *condition,
                                 uint32_t conditionSize, const void *in, uint32_t inSize)
{
    std::lock_guard<std::mutex> lock(mutex);
    DeviceState *device = recordDevice(userId, command, true, channel, in, inSize);
    if (!device)
        return false;
    const auto *bytes = static_cast<const uint8_t *>(in);
    device->records[{storedUnder(command), channel}] = std::vector<uint8_t>(bytes, bytes + inSize);
    SetCall call;
    call.address = logins[userId];
    call.command = command;
    call.channel = channel;
    if (condition && conditionSize > 0) {
        const auto *c = static_cast<const uint8_t *>(condition);
        call.condition.assign(c, c + conditionSize);
    }
    call.input.assign(bytes, bytes + inSize);
    writes.push_back(std::move(call));
    return true;
}

int32_t SimulatedNetwork::startRemoteConfig(int32_t userId, uint32_t command, int32_t channel, uint8_t ruleId,
                                            fRemoteConfigCallback callback, void *user)
{
    int32_t handle = -1;
    {
        std::lock_guard<std::mutex> lock(mutex);
        const DeviceState *device = deviceOf(userId);
        if (!device)
            return fail(NET_DVR_USER_ERROR), -1;
        if (command != NET_DVR_GET_REALTIME_THERMOMETRY)
            return fail(NET_DVR_COMMAND_ERROR), -1;
        if (!callback)
            return fail(NET_DVR_PARAMETER_ERROR), -1;
        if (channel < 1 || channel > device->device.channelCount)
            return fail(NET_DVR_CHANNEL_ERROR), -1;
        if (device->failing.count(command))
            return fail(NET_DVR_DEVICE_REFUSED), -1;
        handle = nextHandle++;
        remoteConfigs[handle] = RemoteConfig{userId, command, channel, ruleId, callback, user};
    }
    // The device confirms the subscription before its first report.
    queueReport([this, handle] {
        RemoteConfig config;
        {
            std::lock_guard<std::mutex> lock(mutex);
            const auto found = remoteConfigs.find(handle);
            if (found == remoteConfigs.end())
                return;
            config = found->second;
        }
        uint32_t status = NET_SDK_CALLBACK_STATUS_SUCCESS;
        config.callback(NET_SDK_CALLBACK_TYPE_STATUS, &status, sizeof status, config.user);
    });
    return handle;
}

bool SimulatedNetwork::stopRemoteConfig(int32_t handle)
{
    std::lock_guard<std::recursive_mutex> delivery(deliveryMutex);
    std::lock_guard<std::mutex> lock(mutex);
    return remoteConfigs.erase(handle) ? true : fail(NET_DVR_HANDLE_ERROR);
}

bool SimulatedNetwork::setExceptionCallback(fExceptionCallBack callback, void *user)
{
    std::lock_guard<std::recursive_mutex> delivery(deliveryMutex);
    std::lock_guard<std::mutex> lock(mutex);
    exceptionCallback = callback;
    exceptionUser = user;
    return true;
}

int32_t SimulatedNetwork::realPlay(int32_t userId, int32_t channel, fRealDataCallBack_V30 callback, void *user)
{
    std::lock_guard<std::mutex> lock(mutex);
    const DeviceState *device = deviceOf(userId);
    if (!device)
        return fail(NET_DVR_USER_ERROR), -1;
    if (!callback)
        return fail(NET_DVR_PARAMETER_ERROR), -1;
    if (channel < 1 || channel > device->device.channelCount)
        return fail(NET_DVR_CHANNEL_ERROR), -1;
    auto play = std::make_unique<Play>();
    play->handle = nextHandle++;
    play->userId = userId;
    play->address = logins[userId];
    play->channel = channel;
    play->callback = callback;
    play->user = user;
    Play *running = play.get();
    play->thread = std::thread([this, running] { runPlay(running); });
    const int32_t handle = play->handle;
    plays[handle] = std::move(play);
    return handle;
}

bool SimulatedNetwork::stopRealPlay(int32_t handle)
{
    std::vector<std::unique_ptr<Play>> running;
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto found = plays.find(handle);
        if (found == plays.end())
            return fail(NET_DVR_HANDLE_ERROR);
        found->second->stop = true;
        running.push_back(std::move(found->second));
        plays.erase(found);
    }
    streamChanged.notify_all();
    stopPlays(std::move(running));
    return true;
}

void SimulatedNetwork::stopPlays(std::vector<std::unique_ptr<Play>> running)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto &play : running)
            play->stop = true;
    }
    streamChanged.notify_all();
    for (auto &play : running) {
        if (play->thread.joinable())
            play->thread.join();
    }
}

void SimulatedNetwork::runPlay(Play *play)
{
    // The stream starts with its system header, as a real one does; the player is opened with it.
    std::vector<uint8_t> header = streamHeader();
    play->callback(play->handle, NET_DVR_SYSHEAD, header.data(), uint32_t(header.size()), play->user);
    std::unique_lock<std::mutex> lock(mutex);
    Clock::time_point repeatAt = Clock::now();
    Picture picture;
    while (nextPicture(play, lock, repeatAt, picture)) {
        lock.unlock();
        std::vector<uint8_t> packet = encodePicture(picture.width, picture.height, picture.bytes);
        play->callback(play->handle, NET_DVR_STREAMDATA, packet.data(), uint32_t(packet.size()), play->user);
        lock.lock();
    }
}

bool SimulatedNetwork::nextPicture(Play *play, std::unique_lock<std::mutex> &lock, Clock::time_point &repeatAt,
                                   Picture &picture)
{
    for (;;) {
        if (play->stop)
            return false;
        const auto device = devices.find(play->address);
        Channel *channel = device == devices.end() ? nullptr : &device->second.channels[play->channel];
        if (channel && !channel->queue.empty()) {
            picture = std::move(channel->queue.front());
            channel->queue.pop_front();
            channel->last = picture;
            channel->hasLast = true;
            repeatAt = Clock::now() + std::chrono::milliseconds(channel->repeatMs);
            return true;
        }
        if (channel && channel->repeatMs > 0 && channel->hasLast) {
            if (Clock::now() >= repeatAt) {
                picture = channel->last;
                repeatAt = Clock::now() + std::chrono::milliseconds(channel->repeatMs);
                return true;
            }
            streamChanged.wait_until(lock, repeatAt);
        } else {
            streamChanged.wait(lock);
        }
    }
}

void SimulatedNetwork::queueReport(std::function<void()> report)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!reportThread.joinable())
            reportThread = std::thread([this] { runReports(); });
        reports.push_back(std::move(report));
    }
    reportsChanged.notify_all();
}

void SimulatedNetwork::runReports()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        reportsChanged.wait(lock, [this] { return reportsStopping || !reports.empty(); });
        if (reportsStopping)
            return;
        std::function<void()> report = std::move(reports.front());
        reports.pop_front();
        reportInFlight = true;
        lock.unlock();
        {
            std::lock_guard<std::recursive_mutex> delivery(deliveryMutex);
            report();
        }
        lock.lock();
        reportInFlight = false;
        reportsChanged.notify_all();
    }
}

void SimulatedNetwork::stopReports()
{
    std::thread ending;
    {
        std::lock_guard<std::mutex> lock(mutex);
        reportsStopping = true;
        ending = std::move(reportThread);
    }
    reportsChanged.notify_all();
    if (ending.joinable())
        ending.join();
    std::lock_guard<std::mutex> lock(mutex);
    reports.clear();
    reportsStopping = false;
    reportInFlight = false;
}

void SimulatedNetwork::reset()
{
    stopReports();
    std::vector<std::unique_ptr<Play>> running;
    {
        std::lock_guard<std::recursive_mutex> delivery(deliveryMutex);
        std::lock_guard<std::mutex> lock(mutex);
        for (auto &play : plays)
            running.push_back(std::move(play.second));
        plays.clear();
        initialized = false;
        local.clear();
        localFailing = false;
        connectTimeMs = DefaultConnectTimeMs;
        devices.clear();
        logins.clear();
        remoteConfigs.clear();
        exceptionCallback = nullptr;
        exceptionUser = nullptr;
        writes.clear();
        attempts.clear();
    }
    stopPlays(std::move(running));
    resetPlayer();
}

void SimulatedNetwork::setLocalAddresses(const std::vector<std::string> &addresses, bool failing)
{
    std::lock_guard<std::mutex> lock(mutex);
    local = addresses;
    localFailing = failing;
}

void SimulatedNetwork::failLocalAddressQuery(bool failing)
{
    std::lock_guard<std::mutex> lock(mutex);
    localFailing = failing;
}

void SimulatedNetwork::addDevice(const std::string &address, const Device &device)
{
    std::lock_guard<std::mutex> lock(mutex);
    DeviceState &state = devices[address];
    state = DeviceState();
    state.device = device;
    state.device.serial.resize(std::min(device.serial.size(), size_t(NET_DVR_SERIAL_BYTES)));
}

void SimulatedNetwork::setReachable(const std::string &address, bool reachable)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = devices.find(address);
    if (found != devices.end())
        found->second.reachable = reachable;
}

void SimulatedNetwork::storeRecord(const std::string &address, uint32_t command, int32_t channel,
                                   const std::vector<uint8_t> &bytes)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = devices.find(address);
    if (found != devices.end())
        found->second.records[{storedUnder(command), channel}] = bytes;
}

void SimulatedNetwork::failCommand(const std::string &address, uint32_t command, bool failing)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = devices.find(address);
    if (found == devices.end())
        return;
    if (failing)
        found->second.failing.insert(command);
    else
        found->second.failing.erase(command);
}

std::vector<SetCall> SimulatedNetwork::setCalls()
{
    std::lock_guard<std::mutex> lock(mutex);
    return writes;
}

std::vector<LoginAttempt> SimulatedNetwork::loginAttempts()
{
    std::lock_guard<std::mutex> lock(mutex);
    return attempts;
}

void SimulatedNetwork::sendPicture(const std::string &address, int32_t channel, int32_t width, int32_t height,
                                   const std::vector<uint8_t> &yv12)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto found = devices.find(address);
        if (found == devices.end())
            return;
        found->second.channels[channel].queue.push_back(Picture{width, height, yv12});
    }
    streamChanged.notify_all();
}

void SimulatedNetwork::repeatPictures(const std::string &address, int32_t channel, int periodMs)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto found = devices.find(address);
        if (found == devices.end())
            return;
        found->second.channels[channel].repeatMs = std::max(periodMs, 0);
    }
    streamChanged.notify_all();
}

void SimulatedNetwork::raiseException(const std::string &address, uint32_t code)
{
    queueReport([this, address, code] {
        fExceptionCallBack callback = nullptr;
        void *user = nullptr;
        std::vector<int32_t> targets;
        {
            std::lock_guard<std::mutex> lock(mutex);
            callback = exceptionCallback;
            user = exceptionUser;
            for (const auto &login : logins) {
                if (login.second == address)
                    targets.push_back(login.first);
            }
        }
        if (!callback)
            return;
        for (int32_t id : targets)
            callback(code, id, 0, user);
    });
}

void SimulatedNetwork::reportThermometry(const std::string &address, int32_t channel,
                                         const NET_DVR_THERMOMETRY_UPLOAD &report)
{
    queueReport([this, address, channel, report] {
        std::vector<RemoteConfig> targets;
        {
            std::lock_guard<std::mutex> lock(mutex);
            for (const auto &config : remoteConfigs) {
                const RemoteConfig &c = config.second;
                const auto login = logins.find(c.userId);
                if (login != logins.end() && login->second == address && c.channel == channel
                    && (c.ruleId == 0 || c.ruleId == report.byRuleID))
                    targets.push_back(c);
            }
        }
        for (const RemoteConfig &target : targets) {
            NET_DVR_THERMOMETRY_UPLOAD copy = report;
            target.callback(NET_SDK_CALLBACK_TYPE_DATA, &copy, sizeof copy, target.user);
        }
    });
}

bool SimulatedNetwork::waitForReports(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex);
    return reportsChanged.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                   [this] { return reports.empty() && !reportInFlight; });
}

int SimulatedNetwork::livePlays()
{
    std::lock_guard<std::mutex> lock(mutex);
    return int(plays.size());
}

int SimulatedNetwork::activeLogins()
{
    std::lock_guard<std::mutex> lock(mutex);
    return int(logins.size());
}

} // namespace hcnetsim
