#ifndef TESTS_STATION_TESTCAMERA_H
#define TESTS_STATION_TESTCAMERA_H

#include "cameras/CameraFamily.h"
#include "cameras/CameraInterface.h"

#include <QByteArray>
#include <QStringList>

#include <cstring>

#include <memory>

// A camera driver for the station's tests: a small frame of a chosen size, a link that the
// test pulls and puts back, and every setting the view sends written down in order
// ("exposure 12", "startGrab", ...).
class TestCamera : public CameraInterface
{
public:
    static constexpr char Iid[] = "stationtestcamera_IID";
    static constexpr quint32 MaskBit = 0x2000;

    TestCamera(int width = 64, int height = 48, bool colour = false, const QString &serial = QStringLiteral("TC-0001"))
        : width(width), height(height), colour(colour), identity(serial)
    {
        frame = QByteArray(width * height * (colour ? 4 : 1), '\x40');
    }

    QStringList calls;
    bool linkUp = true;          // what isConnected reports
    bool canReconnect = false;   // what reconnect reports
    int framesPerSecond = 0;     // what frameCountDelta reports
    QByteArray frame;

    bool open() override { return true; }
    void close() override { calls << QStringLiteral("close"); }
    bool startGrab() override { calls << QStringLiteral("startGrab"); return true; }
    void stopGrab() override { calls << QStringLiteral("stopGrab"); }
    void release() override { calls << QStringLiteral("release"); }
    bool reconnect() override
    {
        calls << QStringLiteral("reconnect");
        if (canReconnect)
            linkUp = true;
        return canReconnect;
    }
    QJsonObject autoAdjust(bool) override { return {}; }
    void setExposure(int v) override { note("exposure", v); }
    void setGain(int v) override { note("gain", v); }
    void setSharpness(int v) override { note("sharpness", v); }
    void setContrast(int v) override { note("contrast", v); }
    void setGamma(int v) override { note("gamma", v); }
    void setWideDynamicRange(bool on) override { note("wdr", on); }
    void oneShotWhiteBalance() override { calls << QStringLiteral("whiteBalance"); }
    void setAutoExposure(bool on) override { note("autoExposure", on); }
    void setColorOutput(bool on) override
    {
        colour = on;
        frame = QByteArray(width * height * (colour ? 4 : 1), '\x40');
    }
    void setDisplayWidget(QWidget *) override {}
    void setMirror(bool h, bool v) override { calls << QStringLiteral("mirror %1 %2").arg(h).arg(v); }
    void setFrameRate(int level) override { note("frameRate", level); }
    void setConfig(const QVariant &, int) override {}
    void query(const QVariant &, QVariant *, int) override {}
    bool frameCountDelta(int *frames) override
    {
        if (frames)
            *frames = framesPerSecond;
        return framesPerSecond != 0;
    }
    void setTriggerMode(bool hardware) override { note("trigger", hardware); }
    void nextSimulatedFrame() override {}
    bool isColorOutput() const override { return colour; }
    void getSize(int *w, int *h) const override
    {
        *w = width;
        *h = height;
    }
    QString iid() const override { return QString::fromLatin1(Iid); }
    QString serial() const override { return identity; }
    bool getImage(uchar *destination, int destinationSize) override
    {
        std::memcpy(destination, frame.constData(), size_t(qMin(destinationSize, int(frame.size()))));
        return true;
    }
    void restoreDefaults(SystemParameters *, int) override {}
    QList<CameraInfo> enumerate() override
    {
        CameraInfo device;
        device.index = 0;
        device.iid = iid();
        device.setName(identity.toLatin1());
        return {device};
    }
    int deviceCount() override { return 1; }
    std::unique_ptr<CameraInterface> create(const CameraInfo &info) override
    {
        return std::make_unique<TestCamera>(width, height, colour, QString::fromLatin1(info.nameBytes()));
    }
    CAMERA_TYPE cameraType() const override { return VisibleLightCameraType; }
    bool isConnected() override { return linkUp; }

private:
    void note(const char *what, int value) { calls << QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(value); }

    int width;
    int height;
    bool colour;
    QString identity;
};

// Registers the test camera family for its lifetime, so discovery and creation reach it the
// way they reach a vendor's cameras.
struct TestCameraFamily
{
    // One device of the given frame size.
    TestCameraFamily(int width, int height)
    {
        registerCameraFamily({QString::fromLatin1(TestCamera::Iid), TestCamera::MaskBit, [width, height] {
                                  return std::unique_ptr<CameraInterface>(std::make_unique<TestCamera>(width, height));
                              }});
    }
    ~TestCameraFamily() { unregisterCameraFamily(QString::fromLatin1(TestCamera::Iid)); }
};

#endif
