#ifndef PLATFORM_CAMSIM_SIMDEVICE_H
#define PLATFORM_CAMSIM_SIMDEVICE_H

#include "platform/camsim/SimPixels.h"

#include <QByteArray>
#include <QMap>
#include <QVector>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace camsim {

// What a test says about a simulated device when it registers it.
struct DeviceSetup
{
    // The identity the SDK reports (serial number or user name).
    QByteArray identity;
    QByteArray vendor;
    // Empty: the layer makes one up (colour models end in "C", mono ones in "M").
    QByteArray model;
    int width = 1920;
    int height = 1080;
    bool colour = false;
    // Attached over USB rather than the network (for layers that tell the links apart).
    bool usb = false;
    // The free-run clock; 0: frames only when a test asks for them.
    int framePeriodMs = 40;
    // Writes the frame number (modulo 256) into the first pixel, so a test can tell frames apart.
    bool stampFrameNumber = false;
};

// A device setting the SDK reaches by name.
struct Parameter
{
    enum Kind { Integer, Float, Enumeration, Boolean, Command, Text };
    Kind kind = Integer;
    double value = 0;
    double minimum = 0;
    double maximum = 0;
    double defaultValue = 0;
    // Allowed values of an enumeration (any within the range when empty).
    QVector<double> allowed;
    QByteArray text;
};

// One frame that the stream thread asks its layer to deliver.
struct FrameRequest
{
    quint64 number = 0;
    int width = 0;
    int height = 0;
};

// A simulated camera: identity, sensor, parameters, connection, and a stream thread that
// delivers frames through its layer's callback. Thread-safe; the stream thread is started by
// the layer's grab call and stopped and joined by its stop call.
//
// A device is opened by one handle at a time (a claim). Unplugging it ends every claim: the
// layer's handles turn stale and stay so after the device returns, as with a real link that
// dropped; the driver opens it again.
class Device
{
public:
    enum class SetResult { Ok, Unknown, WrongKind, OutOfRange };
    using FrameSink = std::function<void(const FrameRequest &)>;
    using LossListener = std::function<void()>;

    explicit Device(const DeviceSetup &setup);
    ~Device();
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    const DeviceSetup &setup() const { return deviceSetup; }

    // Parameters. define() also makes the value the default that loadDefaults() restores.
    void define(const QByteArray &name, Parameter::Kind kind, double value, double minimum, double maximum,
                const QVector<double> &allowed = {});
    void defineText(const QByteArray &name, const QByteArray &text);
    bool has(const QByteArray &name) const;
    SetResult set(const QByteArray &name, Parameter::Kind kind, double value);
    SetResult setText(const QByteArray &name, const QByteArray &text);
    bool get(const QByteArray &name, Parameter::Kind kind, Parameter *parameter) const;
    void loadDefaults();
    // For tests: the value (0 when unknown), a new range (the value is kept) and a count of
    // commands the SDK carried out.
    double value(const QByteArray &name) const;
    QByteArray text(const QByteArray &name) const;
    void setRange(const QByteArray &name, double minimum, double maximum);
    void runCommand(const QByteArray &name);
    int commandCount(const QByteArray &name) const;

    // What the sensor sees: one colour, or an R, G, B picture (repeated when a frame is larger).
    void setColour(uchar r, uchar g, uchar b);
    void setScene(const QByteArray &rgb, int width, int height);
    // The frame as the sensor delivers it in the given layout; a colour layout of a mono
    // sensor shows grey.
    QByteArray render(PixelLayout layout, const FrameRequest &frame) const;
    // The size of the frames delivered from now on (a layer that crops or bins sets it).
    void setFrameSize(int width, int height);
    // The next count frames come with another size (a sensor mode the driver did not ask for).
    void deliverWrongSize(int width, int height, int count);

    // Connection. A missing device is not enumerated, cannot be opened, and delivers nothing.
    bool present() const;
    void unplug();
    void plugIn();
    // Opens the device for one handle: false when absent or taken. The claim number identifies
    // the handle's connection in the calls below.
    bool claim(quint64 *claimNumber);
    void release(quint64 claimNumber);
    // True while the claim holds and the device is present.
    bool connected(quint64 claimNumber) const;
    // Told once when the claim ends by unplugging (on the unplugging thread).
    void setLossListener(quint64 claimNumber, LossListener listener);

    // The stream thread, owned by one claim: starting it for a new claim ends a stream that a
    // stale handle left running; stopping it for another claim does nothing.
    bool startStream(quint64 claimNumber, FrameSink sink);
    void stopStream(quint64 claimNumber);
    bool streaming(quint64 claimNumber) const;

    // Frames on demand: in free run deliverFrames queues n frames, with the hardware trigger on
    // every pulse of the input queues one. Both refuse (false) while the device does not stream
    // or is in the other mode.
    void setHardwareTrigger(bool on);
    bool hardwareTrigger() const;
    void setFramePeriod(int milliseconds);
    bool deliverFrames(int count);
    bool pulseTriggerInput();
    // Frames handed to the layer's sink since the device was registered; waits until at least
    // count were, false after timeoutMs.
    quint64 delivered() const;
    bool waitDelivered(quint64 count, int timeoutMs) const;

private:
    void streamLoop(quint64 claimNumber, FrameSink sink);
    void joinStream(std::unique_lock<std::mutex> &lock);
    bool connectedLocked(quint64 claimNumber) const;

    const DeviceSetup deviceSetup;
    mutable std::mutex mutex;
    mutable std::condition_variable wakeUp;
    QMap<QByteArray, Parameter> parameters;
    QMap<QByteArray, int> commands;
    uchar colour[3] = {128, 128, 128};
    QByteArray scene;
    int sceneWidth = 0;
    int sceneHeight = 0;
    int frameWidth;
    int frameHeight;
    int wrongWidth = 0;
    int wrongHeight = 0;
    int wrongCount = 0;

    bool isPresent = true;
    bool claimed = false;
    quint64 claimCounter = 0;
    quint64 currentClaim = 0;
    LossListener lossListener;

    std::thread streamThread;
    quint64 streamClaim = 0;
    bool stopRequested = false;
    bool triggerMode = false;
    int framePeriodMs;
    int pendingFrames = 0;
    quint64 produced = 0;
    quint64 deliveredCount = 0;
};

} // namespace camsim

#endif
