#ifndef CAMERAS_SIMULATECAMERA_H
#define CAMERAS_SIMULATECAMERA_H

#include "cameras/CameraInterface.h"
#include "cameras/FrameHandoff.h"

class QImage;

// Stands in for real cameras when discovery finds none: opening shows the first and each manual
// trigger loads the next of two stored images, "cammer<N>/template0.bmp" and
// "cammer<N>/template1.bmp" in the working directory with N = device index × 10 + 15 (the folder of detect stage 5 of the camera with
// that number). It never talks to hardware and runs no thread of its own.
class SimulateCamera : public CameraInterface
{
    Q_OBJECT

public:
    static constexpr int Width = 1920;
    static constexpr int Height = 1080;

    SimulateCamera();

    bool open() override;
    void close() override {}
    bool startGrab() override { return true; }
    void stopGrab() override {}
    void release() override {}
    bool reconnect() override { return false; }
    QJsonObject autoAdjust(bool) override { return {}; }
    void setExposure(int) override {}
    void setGain(int) override {}
    void setSharpness(int) override {}
    void setContrast(int) override {}
    void setGamma(int) override {}
    void setWideDynamicRange(bool) override {}
    void oneShotWhiteBalance() override {}
    void setAutoExposure(bool) override {}
    void setColorOutput(bool on) override;
    void setDisplayWidget(QWidget *) override {}
    void setMirror(bool, bool) override {}
    void setFrameRate(int) override {}
    void setConfig(const QVariant &, int) override {}
    void query(const QVariant &, QVariant *, int) override {}
    // Always true and frames untouched, so the frame-rate watchdog never takes a simulated
    // camera for lost.
    bool frameCountDelta(int *) override { return true; }
    void setTriggerMode(bool) override {}
    void nextSimulatedFrame() override;

    bool isColorOutput() const override { return colorOutput; }
    void getSize(int *width, int *height) const override;
    QString iid() const override { return QString::fromLatin1(SimulateCameraIid); }
    QString serial() const override { return identity; }
    // Copies the current stored image on every call; a stored image is never a new frame.
    bool getImage(uchar *destination, int destinationSize) override;
    void restoreDefaults(SystemParameters *, int) override {}

    // Two simulated devices, index 0 and 1.
    QList<CameraInfo> enumerate() override;
    int deviceCount() override { return 2; }
    std::unique_ptr<CameraInterface> create(const CameraInfo &info) override;

    CAMERA_TYPE cameraType() const override { return SimulatedCameraType; }
    bool isConnected() override { return true; }

    // The stored image that the next trigger loads, relative to the working directory.
    QString nextFramePath() const;

private:
    int bytesPerPixel() const { return colorOutput ? 4 : 1; }
    void loadStoredImage(const QString &path);
    void copyImage(const QImage &image);

    FrameHandoff frames;
    bool colorOutput = false;
    int deviceIndex = 0;
    QString identity;
    int imageCounter = 0;
};

#endif
