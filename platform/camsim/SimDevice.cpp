#include "platform/camsim/SimDevice.h"

#include <chrono>
#include <cstring>

namespace camsim {

Device::Device(const DeviceSetup &setup)
    : deviceSetup(setup), frameWidth(setup.width), frameHeight(setup.height), framePeriodMs(setup.framePeriodMs)
{
}

Device::~Device()
{
    std::unique_lock<std::mutex> lock(mutex);
    joinStream(lock);
}

void Device::define(const QByteArray &name, Parameter::Kind kind, double value, double minimum, double maximum,
                    const QVector<double> &allowed)
{
    std::lock_guard<std::mutex> lock(mutex);
    Parameter &parameter = parameters[name];
    parameter.kind = kind;
    parameter.value = value;
    parameter.defaultValue = value;
    parameter.minimum = minimum;
    parameter.maximum = maximum;
    parameter.allowed = allowed;
}

void Device::defineText(const QByteArray &name, const QByteArray &text)
{
    std::lock_guard<std::mutex> lock(mutex);
    Parameter &parameter = parameters[name];
    parameter.kind = Parameter::Text;
    parameter.text = text;
}

bool Device::has(const QByteArray &name) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return parameters.contains(name);
}

Device::SetResult Device::set(const QByteArray &name, Parameter::Kind kind, double value)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = parameters.find(name);
    if (found == parameters.end())
        return SetResult::Unknown;
    Parameter &parameter = *found;
    if (parameter.kind != kind)
        return SetResult::WrongKind;
    if (!(value >= parameter.minimum && value <= parameter.maximum)
        || (!parameter.allowed.isEmpty() && !parameter.allowed.contains(value)))
        return SetResult::OutOfRange;
    parameter.value = value;
    return SetResult::Ok;
}

Device::SetResult Device::setText(const QByteArray &name, const QByteArray &text)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = parameters.find(name);
    if (found == parameters.end())
        return SetResult::Unknown;
    if (found->kind != Parameter::Text)
        return SetResult::WrongKind;
    found->text = text;
    return SetResult::Ok;
}

bool Device::get(const QByteArray &name, Parameter::Kind kind, Parameter *parameter) const
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = parameters.constFind(name);
    if (found == parameters.constEnd() || found->kind != kind)
        return false;
    if (parameter)
        *parameter = *found;
    return true;
}

void Device::loadDefaults()
{
    std::lock_guard<std::mutex> lock(mutex);
    for (Parameter &parameter : parameters)
        parameter.value = parameter.defaultValue;
}

double Device::value(const QByteArray &name) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return parameters.value(name).value;
}

QByteArray Device::text(const QByteArray &name) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return parameters.value(name).text;
}

void Device::setRange(const QByteArray &name, double minimum, double maximum)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = parameters.find(name);
    if (found == parameters.end())
        return;
    found->minimum = minimum;
    found->maximum = maximum;
}

void Device::runCommand(const QByteArray &name)
{
    std::lock_guard<std::mutex> lock(mutex);
    ++commands[name];
}

int Device::commandCount(const QByteArray &name) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return commands.value(name);
}

void Device::setColour(uchar r, uchar g, uchar b)
{
    std::lock_guard<std::mutex> lock(mutex);
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
    scene.clear();
}

void Device::setScene(const QByteArray &rgb, int width, int height)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (width < 1 || height < 1 || rgb.size() < frameBytes(PixelLayout::Rgb8, width, height))
        return;
    scene = rgb;
    sceneWidth = width;
    sceneHeight = height;
}

QByteArray Device::render(PixelLayout layout, const FrameRequest &frame) const
{
    const int bytes = frameBytes(layout, frame.width, frame.height);
    if (bytes == 0)
        return QByteArray();
    QByteArray out(bytes, Qt::Uninitialized);
    uchar *dst = reinterpret_cast<uchar *>(out.data());
    std::lock_guard<std::mutex> lock(mutex);
    const uchar *picture = reinterpret_cast<const uchar *>(scene.constData());
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            uchar rgb[3];
            if (scene.isEmpty())
                std::memcpy(rgb, colour, 3);
            else
                std::memcpy(rgb, picture + 3 * ((y % sceneHeight) * sceneWidth + x % sceneWidth), 3);
            if (deviceSetup.stampFrameNumber && x == 0 && y == 0)
                rgb[0] = rgb[1] = rgb[2] = uchar(frame.number & 0xFF);
            if (!deviceSetup.colour)
                rgb[0] = rgb[1] = rgb[2] = greyOf(rgb[0], rgb[1], rgb[2]);
            const int i = y * frame.width + x;
            switch (layout) {
            case PixelLayout::Mono8:
                dst[i] = greyOf(rgb[0], rgb[1], rgb[2]);
                break;
            case PixelLayout::Rgb8:
                std::memcpy(dst + 3 * i, rgb, 3);
                break;
            case PixelLayout::BayerRg8:
                dst[i] = (y & 1) == 0 ? ((x & 1) == 0 ? rgb[0] : rgb[1]) : ((x & 1) == 0 ? rgb[1] : rgb[2]);
                break;
            }
        }
    }
    return out;
}

void Device::setFrameSize(int width, int height)
{
    std::lock_guard<std::mutex> lock(mutex);
    frameWidth = width;
    frameHeight = height;
}

void Device::deliverWrongSize(int width, int height, int count)
{
    std::lock_guard<std::mutex> lock(mutex);
    wrongWidth = width;
    wrongHeight = height;
    wrongCount = count;
}

bool Device::present() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return isPresent;
}

void Device::unplug()
{
    LossListener listener;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!isPresent)
            return;
        isPresent = false;
        claimed = false;
        listener = std::move(lossListener);
        lossListener = nullptr;
    }
    if (listener)
        listener();
}

void Device::plugIn()
{
    std::lock_guard<std::mutex> lock(mutex);
    isPresent = true;
}

bool Device::claim(quint64 *claimNumber)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!isPresent || claimed)
        return false;
    claimed = true;
    currentClaim = ++claimCounter;
    lossListener = nullptr;
    if (claimNumber)
        *claimNumber = currentClaim;
    return true;
}

void Device::release(quint64 claimNumber)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (streamClaim == claimNumber)
        joinStream(lock);
    if (!claimed || currentClaim != claimNumber)
        return;
    claimed = false;
    lossListener = nullptr;
}

bool Device::connectedLocked(quint64 claimNumber) const
{
    return isPresent && claimed && currentClaim == claimNumber;
}

bool Device::connected(quint64 claimNumber) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return connectedLocked(claimNumber);
}

void Device::setLossListener(quint64 claimNumber, LossListener listener)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (connectedLocked(claimNumber))
        lossListener = std::move(listener);
}

bool Device::startStream(quint64 claimNumber, FrameSink sink)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!connectedLocked(claimNumber) || !sink)
        return false;
    if (streamThread.joinable()) {
        if (streamClaim == claimNumber)
            return true;
        joinStream(lock);
    }
    stopRequested = false;
    pendingFrames = 0;
    streamClaim = claimNumber;
    streamThread = std::thread(&Device::streamLoop, this, claimNumber, std::move(sink));
    return true;
}

void Device::stopStream(quint64 claimNumber)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (streamClaim == claimNumber)
        joinStream(lock);
}

// Never called from the stream thread itself (a sink that stops its own stream).
void Device::joinStream(std::unique_lock<std::mutex> &lock)
{
    if (!streamThread.joinable())
        return;
    std::thread stream = std::move(streamThread);
    stopRequested = true;
    lock.unlock();
    wakeUp.notify_all();
    stream.join();
    lock.lock();
    stopRequested = false;
    streamClaim = 0;
    pendingFrames = 0;
}

bool Device::streaming(quint64 claimNumber) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return streamThread.joinable() && streamClaim == claimNumber;
}

void Device::setHardwareTrigger(bool on)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (triggerMode != on)
        pendingFrames = 0;
    triggerMode = on;
    wakeUp.notify_all();
}

bool Device::hardwareTrigger() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return triggerMode;
}

void Device::setFramePeriod(int milliseconds)
{
    std::lock_guard<std::mutex> lock(mutex);
    framePeriodMs = qMax(0, milliseconds);
    wakeUp.notify_all();
}

bool Device::deliverFrames(int count)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!streamThread.joinable() || triggerMode || count < 1)
        return false;
    pendingFrames += count;
    wakeUp.notify_all();
    return true;
}

bool Device::pulseTriggerInput()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!streamThread.joinable() || !triggerMode)
        return false;
    ++pendingFrames;
    wakeUp.notify_all();
    return true;
}

quint64 Device::delivered() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return deliveredCount;
}

bool Device::waitDelivered(quint64 count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex);
    return wakeUp.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return deliveredCount >= count; });
}

void Device::streamLoop(quint64 claimNumber, FrameSink sink)
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock<std::mutex> lock(mutex);
    Clock::time_point tick = Clock::now() + std::chrono::milliseconds(framePeriodMs);
    while (!stopRequested) {
        const bool freeRunClock = !triggerMode && framePeriodMs > 0;
        bool take = false;
        if (pendingFrames > 0) {
            --pendingFrames;
            take = true;
        } else if (freeRunClock && Clock::now() >= tick) {
            take = true;
            tick = Clock::now() + std::chrono::milliseconds(framePeriodMs);
        }
        if (!take) {
            if (freeRunClock)
                wakeUp.wait_until(lock, tick);
            else
                wakeUp.wait(lock);
            continue;
        }
        // A device that left delivers nothing; the thread waits for its stop.
        if (!connectedLocked(claimNumber))
            continue;
        FrameRequest frame{++produced, frameWidth, frameHeight};
        if (wrongCount > 0) {
            --wrongCount;
            frame.width = wrongWidth;
            frame.height = wrongHeight;
        }
        lock.unlock();
        sink(frame);
        lock.lock();
        ++deliveredCount;
        wakeUp.notify_all();
    }
}

} // namespace camsim
