#include "platform/streamsdk/StreamSdk.h"
#include "platform/streamsdk/StreamSimulation.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
using Key = std::pair<std::string, int>;

struct Item
{
    int status = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint16_t> samples;
};

struct Source
{
    std::deque<Item> queue;
    Item last;
    bool hasLast = false;
    int repeatMs = 0;
    uint64_t sequence = 0;
};

// One lock for the whole simulation; the callbacks run outside it.
std::mutex simulationMutex;
std::condition_variable changed;
std::map<Key, Source> sources;
std::vector<streamsim::StartCall> starts;
int delivered = 0;
int live = 0;

} // namespace

struct streamsdk_stream
{
    Key key;
    streamsdk_frame_callback callback = nullptr;
    void *context = nullptr;
    bool stopping = false;
    std::thread thread;

    void deliver();
};

void streamsdk_stream::deliver()
{
    std::unique_lock<std::mutex> lock(simulationMutex);
    Clock::time_point lastSent = Clock::now();
    while (!stopping) {
        const auto found = sources.find(key);
        if (found == sources.end()) {
            changed.wait(lock);
            continue;
        }
        Source &source = found->second;
        Item item;
        if (!source.queue.empty()) {
            item = std::move(source.queue.front());
            source.queue.pop_front();
        } else if (source.repeatMs > 0 && source.hasLast) {
            const Clock::time_point due = lastSent + std::chrono::milliseconds(source.repeatMs);
            if (Clock::now() < due) {
                changed.wait_until(lock, due);
                continue;
            }
            item = source.last;
        } else {
            changed.wait(lock);
            continue;
        }
        const uint64_t sequence = ++source.sequence;
        lock.unlock();
        if (item.status != 0) {
            callback(item.status, nullptr, context);
        } else {
            const streamsdk_frame frame{item.samples.data(), uint32_t(item.samples.size()), item.width, item.height,
                                        sequence};
            callback(0, &frame, context);
        }
        lock.lock();
        if (item.status == 0)
            ++delivered;
        lastSent = Clock::now();
    }
}

int streamsdk_create_stream(const char *host, int port, streamsdk_stream **handle)
{
    if (!host || !handle)
        return STREAMSDK_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(simulationMutex);
    const Key key(host, port);
    if (sources.find(key) == sources.end())
        return STREAMSDK_NO_SOURCE;
    auto *stream = new streamsdk_stream;
    stream->key = key;
    ++live;
    *handle = stream;
    return STREAMSDK_OK;
}

int streamsdk_start_stream(streamsdk_stream *handle, const char *path, int max_packet_size,
                           streamsdk_frame_callback callback, void *context)
{
    if (!handle || !path || !callback || max_packet_size <= 0)
        return STREAMSDK_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(simulationMutex);
    if (handle->thread.joinable())
        return STREAMSDK_ALREADY_STARTED;
    if (sources.find(handle->key) == sources.end())
        return STREAMSDK_NO_SOURCE;
    handle->callback = callback;
    handle->context = context;
    handle->stopping = false;
    starts.push_back({handle->key.first, handle->key.second, path, max_packet_size});
    handle->thread = std::thread(&streamsdk_stream::deliver, handle);
    return STREAMSDK_OK;
}

int streamsdk_stop_stream(streamsdk_stream *handle)
{
    if (!handle)
        return STREAMSDK_BAD_ARGUMENT;
    {
        std::lock_guard<std::mutex> lock(simulationMutex);
        handle->stopping = true;
    }
    changed.notify_all();
    if (handle->thread.joinable())
        handle->thread.join();
    return STREAMSDK_OK;
}

void streamsdk_destroy_stream(streamsdk_stream *handle)
{
    if (!handle)
        return;
    streamsdk_stop_stream(handle);
    {
        std::lock_guard<std::mutex> lock(simulationMutex);
        --live;
    }
    delete handle;
}

namespace streamsim {

void reset()
{
    {
        std::lock_guard<std::mutex> lock(simulationMutex);
        sources.clear();
        starts.clear();
        delivered = 0;
    }
    changed.notify_all();
}

void addSource(const std::string &host, int port)
{
    {
        std::lock_guard<std::mutex> lock(simulationMutex);
        sources[Key(host, port)];
    }
    changed.notify_all();
}

void removeSource(const std::string &host, int port)
{
    {
        std::lock_guard<std::mutex> lock(simulationMutex);
        sources.erase(Key(host, port));
    }
    changed.notify_all();
}

namespace {

void queue(const std::string &host, int port, Item item)
{
    {
        std::lock_guard<std::mutex> lock(simulationMutex);
        const auto found = sources.find(Key(host, port));
        if (found == sources.end())
            return;
        if (item.status == 0) {
            found->second.last = item;
            found->second.hasLast = true;
        }
        found->second.queue.push_back(std::move(item));
    }
    changed.notify_all();
}

} // namespace

void sendFrame(const std::string &host, int port, uint32_t width, uint32_t height, std::vector<uint16_t> samples)
{
    Item item;
    item.width = width;
    item.height = height;
    item.samples = std::move(samples);
    queue(host, port, std::move(item));
}

void sendStatus(const std::string &host, int port, int status)
{
    Item item;
    item.status = status;
    queue(host, port, std::move(item));
}

void repeatFrames(const std::string &host, int port, int periodMs)
{
    {
        std::lock_guard<std::mutex> lock(simulationMutex);
        const auto found = sources.find(Key(host, port));
        if (found != sources.end())
            found->second.repeatMs = periodMs;
    }
    changed.notify_all();
}

std::vector<StartCall> startCalls()
{
    std::lock_guard<std::mutex> lock(simulationMutex);
    return starts;
}

int deliveredFrames()
{
    std::lock_guard<std::mutex> lock(simulationMutex);
    return delivered;
}

int liveStreams()
{
    std::lock_guard<std::mutex> lock(simulationMutex);
    return live;
}

} // namespace streamsim
