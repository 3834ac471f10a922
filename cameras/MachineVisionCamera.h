#ifndef CAMERAS_MACHINEVISIONCAMERA_H
#define CAMERAS_MACHINEVISIONCAMERA_H

#include "cameras/CameraInterface.h"
#include "cameras/FrameHandoff.h"

#include <atomic>

// What the drivers of industrial area-scan cameras share: the frame size read at open, the
// colour output and the device's colour capability, the frame hand-off that the SDK's frame
// callback fills and getImage() pulls from, and the online flag that the SDK's disconnect
// notice clears. Each driver adds its SDK: enumeration, open, settings and the callbacks.
//
// The SDK thread touches only the hand-off and the online flag; size, colour output and
// buffers change in open(), while no stream runs.
class MachineVisionCamera : public CameraInterface
{
    Q_OBJECT

public:
    static constexpr int PresetWidth = 1920;
    static constexpr int PresetHeight = 1080;

    // Operations these drivers have no use for.
    QJsonObject autoAdjust(bool) override { return {}; }
    void setAutoExposure(bool) override {}
    void setDisplayWidget(QWidget *) override {}
    void setConfig(const QVariant &, int) override {}
    void query(const QVariant &, QVariant *, int) override {}
    void nextSimulatedFrame() override {}

    // Stored for the next open(), which sizes the frames by it.
    void setColorOutput(bool on) override { colorOutput = on; }
    bool isColorOutput() const override { return colorOutput; }
    void getSize(int *width, int *height) const override;
    QString serial() const override { return identity; }
    bool getImage(uchar *destination, int destinationSize) override;
    bool frameCountDelta(int *frames) override { return handoff.frameCountDelta(frames); }
    CAMERA_TYPE cameraType() const override { return VisibleLightCameraType; }
    bool isConnected() override { return online.load(std::memory_order_relaxed); }

protected:
    MachineVisionCamera();

    // A device object of a family: the record, its identity and its index.
    void bindRecord(const CameraInfo &record);
    int pixelCount() const { return width * height; }
    // 4 bytes per pixel with colour output, else 1.
    int frameLength() const { return pixelCount() * (colorOutput ? 4 : 1); }
    // Sizes the hand-off for the current size and colour mode (a pending frame is dropped).
    void allocateFrames();
    bool isFrameSize(int frameWidth, int frameHeight) const
    {
        return frameWidth == width && frameHeight == height;
    }

    // Frame callback side. publishGrey copies up to a pixel count of bytes; publishRgb24
    // converts width × height R, G, B pixels straight into the hand-off, and only when the
    // hand-off holds exactly the 4-byte frame the conversion writes.
    void publishGrey(const uchar *data, int length);
    bool publishRgb24(const uchar *rgb);

    // The settings pages' frame-rate level as a factor of the full rate (levels beyond the
    // table count as its ends).
    static float frameRateFactor(int level);

    FrameHandoff handoff;
    int width = PresetWidth;
    int height = PresetHeight;
    bool colorOutput = false;
    bool colourCapable = false;
    std::atomic<bool> online{true};
    QString identity;
    int deviceIndex = -1;
};

#endif
