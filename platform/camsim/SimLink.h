#ifndef PLATFORM_CAMSIM_SIMLINK_H
#define PLATFORM_CAMSIM_SIMLINK_H

#include "platform/camsim/SimDevice.h"

#include <map>
#include <memory>
#include <mutex>

namespace camsim {

// One SDK handle's hold on a device: the claim made by the open call, the stream it runs, and
// the loss notice it hands on. Used on the thread that calls the SDK; the sink runs on the
// device's stream thread.
class Link
{
public:
    Link() = default;
    ~Link() { close(); }
    Link(const Link &) = delete;
    Link &operator=(const Link &) = delete;

    // Claims the device; false when it is absent or open elsewhere.
    bool open(const std::shared_ptr<Device> &device);
    // Stops the stream (joined) and gives the device up.
    void close();
    bool isOpen() const { return device != nullptr; }
    // Open and the link still holds.
    bool connected() const { return device && device->connected(claimNumber); }
    Device *target() const { return device.get(); }

    bool startStream(Device::FrameSink sink);
    void stopStream();
    bool streaming() const { return device && device->streaming(claimNumber); }
    void onLoss(Device::LossListener listener);

private:
    std::shared_ptr<Device> device;
    quint64 claimNumber = 0;
};

// A callback and its context as an SDK handle keeps them: set on the calling thread, taken by
// the stream thread or an unplugging one.
template <typename Function>
class CallbackSlot
{
public:
    void set(Function callback, void *context, int event = 0)
    {
        std::lock_guard<std::mutex> lock(mutex);
        function = callback;
        userContext = context;
        registeredEvent = event;
    }
    Function previous() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return function;
    }
    // call(callback, context) with what was set, taken under the lock and called outside it;
    // nothing when no callback is set.
    template <typename Call>
    void invoke(Call &&call) const
    {
        Function callback;
        void *context;
        {
            std::lock_guard<std::mutex> lock(mutex);
            callback = function;
            context = userContext;
        }
        if (callback)
            call(callback, context);
    }
    int event() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return registeredEvent;
    }

private:
    mutable std::mutex mutex;
    Function function = nullptr;
    void *userContext = nullptr;
    int registeredEvent = 0;
};

// The handles an SDK gave out, by number (from 1). A handle is destroyed on the calling thread
// only after its stream has stopped, so the stream thread may keep using the one it serves.
template <typename Handle>
class HandleTable
{
public:
    int add(std::unique_ptr<Handle> handle)
    {
        std::lock_guard<std::mutex> lock(mutex);
        const int number = ++lastNumber;
        handles[number] = std::move(handle);
        return number;
    }
    Handle *find(int number) const
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto found = handles.find(number);
        return found == handles.end() ? nullptr : found->second.get();
    }
    std::unique_ptr<Handle> take(int number)
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto found = handles.find(number);
        if (found == handles.end())
            return nullptr;
        std::unique_ptr<Handle> handle = std::move(found->second);
        handles.erase(found);
        return handle;
    }

private:
    mutable std::mutex mutex;
    std::map<int, std::unique_ptr<Handle>> handles;
    int lastNumber = 0;
};

} // namespace camsim

#endif
