#include "platform/hcnetsdk/PlayM4.h"

#include "platform/hcnetsdk/SimulatedNetwork.h"
#include "platform/hcnetsdk/StreamPackets.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int32_t MaxPorts = 500;

struct Port
{
    bool streamOpen = false;
    bool playing = false;
    int32_t mode = STREAME_REALTIME;
    uint32_t bufferSize = 0;
    uint32_t displayBuffers = 0;
    DisplayCallBackEx callback = nullptr;
    void *user = nullptr;
    uint32_t lastError = PLAYM4_NOERROR;
    std::deque<std::vector<uint8_t>> input;
    size_t queuedBytes = 0;
    bool stop = false;
    int32_t stamp = 0;
    std::thread decoder;
};

// The ports with their decoding threads. A decoding thread hands pictures to the display
// callback without holding the lock, so the callback may take locks of its own while a stop
// waits for the thread.
class Player
{
public:
    ~Player() { resetAll(); }

    int getPort(int32_t *port)
    {
        if (!port)
            return 0;
        std::lock_guard<std::mutex> lock(mutex);
        for (int32_t n = 0; n < MaxPorts; ++n) {
            if (!ports.count(n)) {
                ports[n] = std::make_unique<Port>();
                *port = n;
                return 1;
            }
        }
        return 0;
    }

    int freePort(int32_t port)
    {
        halt(port);
        std::lock_guard<std::mutex> lock(mutex);
        return ports.erase(port) ? 1 : 0;
    }

    int setMode(int32_t port, int32_t mode)
    {
        return onPort(port, [mode](Port *p) {
            if (p->streamOpen)
                return failed(p, PLAYM4_ORDER_ERROR);
            p->mode = mode;
            return 1;
        });
    }

    int openStream(int32_t port, const uint8_t *header, uint32_t headerSize, uint32_t bufferSize)
    {
        return onPort(port, [=](Port *p) {
            if (p->streamOpen)
                return failed(p, PLAYM4_ORDER_ERROR);
            if (!hcnetsim::isStreamHeader(header, headerSize) || bufferSize == 0)
                return failed(p, PLAYM4_PARA_OVER);
            p->streamOpen = true;
            p->bufferSize = bufferSize;
            return 1;
        });
    }

    int closeStream(int32_t port)
    {
        halt(port);
        return onPort(port, [](Port *p) {
            if (!p->streamOpen)
                return failed(p, PLAYM4_ORDER_ERROR);
            p->streamOpen = false;
            p->input.clear();
            p->queuedBytes = 0;
            return 1;
        });
    }

    int setCallback(int32_t port, DisplayCallBackEx callback, void *user)
    {
        return onPort(port, [=](Port *p) {
            p->callback = callback;
            p->user = user;
            return 1;
        });
    }

    int setDisplayBuffers(int32_t port, uint32_t pictures)
    {
        return onPort(port, [pictures](Port *p) {
            p->displayBuffers = pictures;
            return 1;
        });
    }

    int play(int32_t port)
    {
        return onPort(port, [this, port](Port *p) {
            if (!p->streamOpen || p->playing)
                return failed(p, PLAYM4_ORDER_ERROR);
            p->playing = true;
            p->stop = false;
            p->decoder = std::thread([this, port, p] { decode(port, p); });
            return 1;
        });
    }

    int stop(int32_t port)
    {
        if (!onPort(port, [](Port *p) { return p->playing ? 1 : failed(p, PLAYM4_ORDER_ERROR); }))
            return 0;
        halt(port);
        return 1;
    }

    // Ends the port's decoding thread, if any, and waits for it.
    void halt(int32_t port)
    {
        std::thread ending;
        {
            std::lock_guard<std::mutex> lock(mutex);
            Port *p = find(port);
            if (!p || !p->playing)
                return;
            p->playing = false;
            p->stop = true;
            ending = std::move(p->decoder);
        }
        changed.notify_all();
        if (ending.joinable())
            ending.join();
    }

    int inputData(int32_t port, const uint8_t *data, uint32_t size)
    {
        const int queued = onPort(port, [=](Port *p) {
            if (!p->streamOpen)
                return failed(p, PLAYM4_ORDER_ERROR);
            if (!data || size == 0)
                return failed(p, PLAYM4_PARA_OVER);
            if (p->queuedBytes + size > p->bufferSize)
                return failed(p, PLAYM4_BUF_OVER);
            p->input.emplace_back(data, data + size);
            p->queuedBytes += size;
            return 1;
        });
        changed.notify_all();
        return queued;
    }

    uint32_t lastError(int32_t port)
    {
        std::lock_guard<std::mutex> lock(mutex);
        Port *p = find(port);
        return p ? p->lastError : PLAYM4_NO_PORT;
    }

    int openPorts()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return int(ports.size());
    }

    void resetAll()
    {
        std::vector<int32_t> numbers;
        {
            std::lock_guard<std::mutex> lock(mutex);
            for (const auto &port : ports)
                numbers.push_back(port.first);
        }
        for (int32_t port : numbers)
            freePort(port);
    }

private:
    // Runs f on the port under the lock; 0 when there is no such port.
    template <typename F>
    int onPort(int32_t port, F f)
    {
        std::lock_guard<std::mutex> lock(mutex);
        Port *p = find(port);
        return p ? f(p) : 0;
    }

    Port *find(int32_t port)
    {
        const auto found = ports.find(port);
        return found == ports.end() ? nullptr : found->second.get();
    }

    static int failed(Port *port, uint32_t code)
    {
        port->lastError = code;
        return 0;
    }

    void decode(int32_t port, Port *p)
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [p] { return p->stop || !p->input.empty(); });
            if (p->stop)
                return;
            std::vector<uint8_t> packet = std::move(p->input.front());
            p->input.pop_front();
            p->queuedBytes -= packet.size();
            const DisplayCallBackEx callback = p->callback;
            void *user = p->user;
            const int32_t stamp = p->stamp++;
            lock.unlock();
            hcnetsim::DecodedPicture picture;
            // Data that is not a whole picture is skipped, as a decoder skips damaged data.
            if (callback && hcnetsim::decodePicture(packet.data(), packet.size(), picture)) {
                DISPLAY_INFO info{port, reinterpret_cast<char *>(const_cast<uint8_t *>(picture.bytes)),
                                  int32_t(picture.length), picture.width, picture.height, stamp, T_YV12, user};
                callback(&info);
            }
            lock.lock();
        }
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::map<int32_t, std::unique_ptr<Port>> ports;
};

Player &player()
{
    static Player instance;
    return instance;
}

} // namespace

namespace hcnetsim {

void resetPlayer()
{
    player().resetAll();
}

int playerOpenPorts()
{
    return player().openPorts();
}

} // namespace hcnetsim

int PlayM4_GetPort(int32_t *port)
{
    return player().getPort(port);
}

int PlayM4_FreePort(int32_t port)
{
    return player().freePort(port);
}

int PlayM4_SetStreamOpenMode(int32_t port, int32_t mode)
{
    return player().setMode(port, mode);
}

int PlayM4_OpenStream(int32_t port, const uint8_t *header, uint32_t headerSize, uint32_t bufferSize)
{
    return player().openStream(port, header, headerSize, bufferSize);
}

int PlayM4_CloseStream(int32_t port)
{
    return player().closeStream(port);
}

int PlayM4_SetDisplayCallBackEx(int32_t port, DisplayCallBackEx callback, void *user)
{
    return player().setCallback(port, callback, user);
}

int PlayM4_SetDisplayBuf(int32_t port, uint32_t pictures)
{
    return player().setDisplayBuffers(port, pictures);
}

int PlayM4_Play(int32_t port, void *)
{
    return player().play(port);
}

int PlayM4_Stop(int32_t port)
{
    return player().stop(port);
}

int PlayM4_InputData(int32_t port, const uint8_t *data, uint32_t size)
{
    return player().inputData(port, data, size);
}

uint32_t PlayM4_GetLastError(int32_t port)
{
    return player().lastError(port);
}
