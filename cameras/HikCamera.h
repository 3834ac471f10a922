#ifndef CAMERAS_HIKCAMERA_H
#define CAMERAS_HIKCAMERA_H

#include "cameras/MachineVisionCamera.h"
#include "platform/mvsdk/MvSdk.h"

#include <optional>
#include <vector>

// Area-scan cameras over the MV_CC_ SDK, GigE and USB. Devices are bound by their serial
// number; a device object whose identity is shorter than 9 characters takes the first device
// of the family that opens. A model name ending in "M" marks a mono sensor, whose frames stay
// grey even with colour output on (only the first pixel count bytes of each frame are new).
class HikCamera : public MachineVisionCamera
{
    Q_OBJECT

public:
    HikCamera();
    // Stops the SDK's thread and gives the device up: no callback may reach a dead object.
    ~HikCamera() override;

    bool open() override;
    void close() override;
    bool startGrab() override;
    void stopGrab() override;
    void release() override;
    bool reconnect() override;

    void setExposure(int milliseconds) override;
    void setGain(int level) override;
    void setSharpness(int level) override;
    void setContrast(int) override {}
    void setGamma(int level) override;
    void setWideDynamicRange(bool) override {}
    void oneShotWhiteBalance() override {}
    void setMirror(bool, bool) override {}
    void setFrameRate(int level) override;
    void setTriggerMode(bool hardware) override;
    void restoreDefaults(SystemParameters *parameters, int camera) override;

    QString iid() const override { return QString::fromLatin1(HikCameraIid); }
    QList<CameraInfo> enumerate() override;
    int deviceCount() override { return 12; }
    std::unique_ptr<CameraInterface> create(const CameraInfo &info) override;

private:
    static void imageCallback(unsigned char *data, MV_FRAME_OUT_INFO_EX *frameInfo, void *user);
    static void exceptionCallback(unsigned int messageType, void *user);
    void takeFrame(const uchar *data, const MV_FRAME_OUT_INFO_EX &frameInfo);
    bool openDevice(const MV_CC_DEVICE_INFO &candidate);
    bool readSize();
    void closeHandle();

    void *handle = nullptr;
    // A copy of the bound device's record: the SDK's own list changes with every enumeration.
    std::optional<MV_CC_DEVICE_INFO> device;
    // The colour conversion's R, G, B frame; written only by the frame callback.
    std::vector<uchar> rgb24;
};

#endif
