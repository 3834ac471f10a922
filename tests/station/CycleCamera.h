#ifndef TESTS_STATION_CYCLECAMERA_H
#define TESTS_STATION_CYCLECAMERA_H

#include "cameras/CameraFamily.h"
#include "cameras/CameraInterface.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QVector>

#include <cstring>
#include <functional>
#include <memory>

// What a test decides for one camera of the station: the frame it shows, whether it streams
// (every pull a new frame, as a real camera at full rate), and whether its link is up.
struct CycleCameraControl
{
    QByteArray frame;
    // When set, asked for the frame at every pull (the station's state decides the frame).
    std::function<QByteArray()> source;
    bool streaming = true;
    // When above 0, a streaming camera has a new frame only this often (a real camera slower
    // than the run pass); 0: a new frame at every pull.
    int framePeriodMs = 0;
    QElapsedTimer sinceFrame;
    bool linkUp = true;
    int pulls = 0;
    // Reports itself as a simulated camera, whose manual trigger shows the next of these.
    bool simulated = false;
    QVector<QByteArray> storedFrames;
    int stepped = 0;
    // The last exposure and mirror settings the station sent; -1 before any.
    int exposure = -1;
    int mirrorHorizontal = -1;
    int mirrorVertical = -1;
};

// A real (not simulated) grey camera driven by its CycleCameraControl. Everything runs on the
// GUI thread, as the station calls it.
class CycleCamera : public CameraInterface
{
public:
    static constexpr char Iid[] = "cycletestcamera_IID";

    CycleCamera(int width, int height, int index, QVector<CycleCameraControl> *controls)
        : width(width), height(height), index(index), controls(controls)
    {
    }

    bool open() override { return true; }
    void close() override {}
    bool startGrab() override { return true; }
    void stopGrab() override {}
    void release() override {}
    bool reconnect() override { return control().linkUp; }
    QJsonObject autoAdjust(bool) override { return {}; }
    void setExposure(int value) override { control().exposure = value; }
    void setGain(int) override {}
    void setSharpness(int) override {}
    void setContrast(int) override {}
    void setGamma(int) override {}
    void setWideDynamicRange(bool) override {}
    void oneShotWhiteBalance() override {}
    void setAutoExposure(bool) override {}
    void setColorOutput(bool) override {}
    void setDisplayWidget(QWidget *) override {}
    void setMirror(bool horizontal, bool vertical) override
    {
        control().mirrorHorizontal = horizontal;
        control().mirrorVertical = vertical;
    }
    void setFrameRate(int) override {}
    void setConfig(const QVariant &, int) override {}
    void query(const QVariant &, QVariant *, int) override {}
    bool frameCountDelta(int *frames) override
    {
        const bool flowing = control().linkUp && control().streaming;
        if (frames)
            *frames = flowing ? 10 : 0;
        return flowing;
    }
    void setTriggerMode(bool) override {}
    void nextSimulatedFrame() override
    {
        CycleCameraControl &c = control();
        if (!c.storedFrames.isEmpty())
            c.frame = c.storedFrames.at(c.stepped % c.storedFrames.size());
        ++c.stepped;
    }
    bool isColorOutput() const override { return false; }
    void getSize(int *w, int *h) const override
    {
        *w = width;
        *h = height;
    }
    QString iid() const override { return QString::fromLatin1(Iid); }
    QString serial() const override { return QStringLiteral("CYCLE-CAMERA-%1").arg(index); }
    bool getImage(uchar *destination, int destinationSize) override
    {
        CycleCameraControl &c = control();
        ++c.pulls;
        if (!c.linkUp)
            return false;
        if (c.framePeriodMs > 0 && c.sinceFrame.isValid() && c.sinceFrame.elapsed() < c.framePeriodMs)
            return false;
        if (c.framePeriodMs > 0)
            c.sinceFrame.start();
        const QByteArray frame = c.source ? c.source() : c.frame;
        std::memcpy(destination, frame.constData(), size_t(qMin(destinationSize, int(frame.size()))));
        return c.streaming;
    }
    void restoreDefaults(SystemParameters *, int) override {}
    QList<CameraInfo> enumerate() override
    {
        QList<CameraInfo> devices;
        for (int i = 0; i < controls->size(); ++i) {
            CameraInfo device;
            device.index = i;
            device.iid = iid();
            device.setName(QStringLiteral("CYCLE-CAMERA-%1").arg(i).toLatin1());
            devices << device;
        }
        return devices;
    }
    int deviceCount() override { return controls->size(); }
    std::unique_ptr<CameraInterface> create(const CameraInfo &info) override
    {
        return std::make_unique<CycleCamera>(width, height, info.index, controls);
    }
    CAMERA_TYPE cameraType() const override
    {
        return control().simulated ? SimulatedCameraType : VisibleLightCameraType;
    }
    bool isConnected() override { return control().linkUp; }

private:
    CycleCameraControl &control() const { return (*controls)[index]; }

    int width;
    int height;
    int index;
    QVector<CycleCameraControl> *controls;
};

// Registers the family for its lifetime under a bit the station's discovery asks for, so the
// station finds these cameras the way it finds a vendor's.
struct CycleCameraFamily
{
    static constexpr quint32 MaskBit = 0x04;

    CycleCameraFamily(int width, int height, int cameras) : controls(cameras)
    {
        registerCameraFamily({QString::fromLatin1(CycleCamera::Iid), MaskBit, [this, width, height] {
                                  return std::unique_ptr<CameraInterface>(
                                      std::make_unique<CycleCamera>(width, height, 0, &controls));
                              }});
    }
    ~CycleCameraFamily() { unregisterCameraFamily(QString::fromLatin1(CycleCamera::Iid)); }
    CycleCameraFamily(const CycleCameraFamily &) = delete;
    CycleCameraFamily &operator=(const CycleCameraFamily &) = delete;

    QVector<CycleCameraControl> controls;
};

#endif
