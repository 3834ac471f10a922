#ifndef CAMERAS_MINDCAMERA_H
#define CAMERAS_MINDCAMERA_H

#include "cameras/MachineVisionCamera.h"
#include "platform/mindsdk/MindSdk.h"

#include <vector>

// Area-scan cameras over the Camera* SDK. Devices are bound by the serial number of their
// 260-byte record and opened at their largest resolution; the SDK's image processor turns each
// raw frame into grey or R, G, B before it is handed off. Colour output is kept only on a
// colour sensor.
class MindCamera : public MachineVisionCamera
{
    Q_OBJECT

public:
    static constexpr int MaximumDevices = 12;

    MindCamera();
    // Stops the SDK's thread and gives the device up: no callback may reach a dead object.
    ~MindCamera() override;

    bool open() override;
    void close() override;
    bool startGrab() override;
    void stopGrab() override;
    void release() override;
    bool reconnect() override;
    QJsonObject autoAdjust(bool start) override;

    void setExposure(int milliseconds) override;
    void setGain(int level) override;
    void setSharpness(int level) override;
    void setContrast(int level) override;
    void setGamma(int level) override;
    void setWideDynamicRange(bool on) override;
    void oneShotWhiteBalance() override;
    void setMirror(bool horizontal, bool vertical) override;
    void setFrameRate(int level) override;
    void setTriggerMode(bool hardware) override;
    void restoreDefaults(SystemParameters *parameters, int camera) override;

    QString iid() const override { return QString::fromLatin1(MindCameraIid); }
    QList<CameraInfo> enumerate() override;
    int deviceCount() override;
    std::unique_ptr<CameraInterface> create(const CameraInfo &info) override;

private:
    static void frameCallback(CameraHandle camera, unsigned char *raw, tSdkFrameHead *head, void *context);
    static void connectionCallback(CameraHandle camera, unsigned int status, unsigned int param, void *context);
    void takeFrame(const uchar *raw, tSdkFrameHead *head);
    // The largest resolution, the output format for the colour mode and grey on a mono sensor.
    void configureImage();
    void closeHandle();
    // The analog gain as a level 0..64 of the device's range; -1 when unreadable.
    int gainLevel() const;

    CameraHandle handle = 0;
    tSdkCameraDevInfo deviceRecord{};
    tSdkCameraCapbility capability{};
    // The image processor's output (up to 4 bytes a pixel); written only by the frame callback.
    std::vector<uchar> scratch;
};

#endif
