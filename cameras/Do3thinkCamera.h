#ifndef CAMERAS_DO3THINKCAMERA_H
#define CAMERAS_DO3THINKCAMERA_H

#include "cameras/MachineVisionCamera.h"
#include "platform/dvpsdk/DvpSdk.h"

#include <atomic>

// Area-scan cameras over the dvp SDK. A device object holds its device's 1216-byte record and
// opens the device by its friendly name; the identity bound to the camera slots is the user
// identity of the record. The SDK delivers frames already grey or R, G, B; slower frame rates
// are made by keeping one frame of every level + 1. Colour output is kept only on a colour
// sensor.
class Do3thinkCamera : public MachineVisionCamera
{
    Q_OBJECT

public:
    static constexpr int MaximumDevices = 16;

    Do3thinkCamera();
    // Stops the SDK's thread and gives the device up: no callback may reach a dead object.
    ~Do3thinkCamera() override;

    bool open() override;
    void close() override;
    bool startGrab() override;
    void stopGrab() override;
    void release() override;
    bool reconnect() override;

    void setExposure(int milliseconds) override;
    void setGain(int level) override;
    void setSharpness(int level) override;
    void setContrast(int level) override;
    void setGamma(int level) override;
    void setWideDynamicRange(bool on) override;
    void oneShotWhiteBalance() override {}
    void setMirror(bool, bool) override {}
    void setFrameRate(int level) override;
    void setTriggerMode(bool hardware) override;
    void restoreDefaults(SystemParameters *parameters, int camera) override;

    QString iid() const override { return QString::fromLatin1(Do3thinkCameraIid); }
    QList<CameraInfo> enumerate() override;
    int deviceCount() override;
    std::unique_ptr<CameraInterface> create(const CameraInfo &info) override;

private:
    static dvpInt32 streamCallback(dvpHandle handle, dvpInt32 event, void *context, dvpFrame *frame, void *buffer);
    static dvpInt32 eventCallback(dvpHandle handle, dvpInt32 event, void *context, dvpInt32 param);
    void takeFrame(const dvpFrame &frame, const uchar *data);
    // The processing states and the target format for the colour mode.
    void configureImage();
    void closeHandle();

    dvpHandle handle = 0;
    bool handleOpen = false;
    dvpCameraInfo deviceRecord{};
    dvpRegion region{};
    // Read by the frame callback; set between stop and start of grabbing.
    std::atomic<int> frameSkipLevel{0};
    int skipCounter = 0;
};

#endif
