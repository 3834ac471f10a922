#ifndef CAMERAS_CAMERAFOTRIC_H
#define CAMERAS_CAMERAFOTRIC_H

#include "cameras/CameraInterface.h"
#include "cameras/FrameHandoff.h"
#include "cameras/ThermalPalette.h"
#include "inspection/CammerSingleton.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class FotricDevice;
struct streamsdk_frame;

// The driver of stream thermal cameras: control and measurement through the camera's REST
// interface, frames from its raw stream of 16-bit samples, shown through a 256-colour palette
// stretched over each frame's own range of values. The operator's temperature rectangles of
// detect stages 0 and 1 become the camera's measurement objects, and the detection engine's
// temperature queries ask the camera for their current temperatures.
//
// Threads: the stream library delivers raw frames on its own thread, where they are converted
// into the frame under the FrameHandoff's lock; every interface operation runs on the GUI
// thread, and REST requests block it while they last.
class CameraFotric : public CameraInterface
{
    Q_OBJECT

public:
    static constexpr int DefaultWidth = 1920;
    static constexpr int DefaultHeight = 1080;
    // The addresses enumeration probes: %1 becomes 1 to 4.
    static QString probeHostPattern;
    static constexpr int ProbedHosts = 4;

    CameraFotric();
    ~CameraFotric() override;

    bool open() override;
    void close() override;
    bool startGrab() override;
    void stopGrab() override;
    void release() override {}
    bool reconnect() override;
    QJsonObject autoAdjust(bool start) override;
    void setExposure(int value) override;
    void setGain(int value) override;
    void setSharpness(int value) override;
    void setContrast(int) override {}
    void setGamma(int value) override;
    void setWideDynamicRange(bool) override {}
    void oneShotWhiteBalance() override {}
    void setAutoExposure(bool) override {}
    void setColorOutput(bool on) override { colorOutput = on; }
    void setDisplayWidget(QWidget *) override {}
    void setMirror(bool, bool) override {}
    void setFrameRate(int) override {}
    void setConfig(const QVariant &config, int kind) override;
    void query(const QVariant &request, QVariant *reply, int kind) override;
    bool frameCountDelta(int *frames) override { return output.frameCountDelta(frames); }
    void setTriggerMode(bool) override {}
    void nextSimulatedFrame() override {}
    void setCameraNumber(int number) override { cameraNumber = number; }

    bool isColorOutput() const override { return colorOutput; }
    void getSize(int *width, int *height) const override;
    QString iid() const override { return QString::fromLatin1(FotricCameraIid); }
    QString serial() const override { return QString::fromLocal8Bit(host); }
    bool getImage(uchar *destination, int destinationSize) override;
    void restoreDefaults(SystemParameters *, int) override {}

    QList<CameraInfo> enumerate() override;
    int deviceCount() override { return 1; }
    std::unique_ptr<CameraInterface> create(const CameraInfo &info) override;

    CAMERA_TYPE cameraType() const override { return ThermalCameraType; }
    bool isConnected() override;

    // Maps width x height samples onto palette colours, each pixel written as the bytes blue,
    // green, red, 0; the frame's smallest value takes entry 0 and its largest entry 255.
    static void paletteMap(const uint16_t *samples, int width, int height, const ThermalPalette &palette,
                           uchar *pixels);

private:
    static void frameArrived(int status, const streamsdk_frame *frame, void *context);
    void convertFrame(const streamsdk_frame &frame);

    // CameraFotricMeasurement.cpp
    bool cameraSetting(int base, int &value) const;
    void updateInstrument(const char *member, double value, bool integral);

    QByteArray host;
    int cameraNumber = -1;
    int width = DefaultWidth;
    int height = DefaultHeight;
    bool colorOutput = false;
    // Whether the frame was allocated for colour output; the conversion follows the frame.
    bool frameIsColour = false;
    // isConnected calls since the last successful reconnect (GUI thread only).
    int missedChecks = 0;

    FrameHandoff output;
    // The stream thread's scratch: the palette frame before it becomes grey, then the median.
    std::vector<uint32_t> work;
    ThermalPalette palette{};
    std::atomic<bool> droppedFrameLogged{false};

    // Per region slot (stage * 50 + region), what the last upload decided: the temperature
    // kind (1 average, 2 maximum, any other minimum) and whether the camera measures it.
    qint32 ruleMode[CammerSingleton::RegionSlotCount] = {};
    bool measured[CammerSingleton::RegionSlotCount] = {};

    // Last, so that it goes first: its stream must stop before the frame it writes into.
    std::unique_ptr<FotricDevice> device;
};

#endif
