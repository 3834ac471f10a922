#ifndef TESTS_CAMERAS_BENCHCAMERA_H
#define TESTS_CAMERAS_BENCHCAMERA_H

#include "cameras/CameraFamily.h"
#include "cameras/SimulateCamera.h"

#include <QSet>
#include <QStringList>
#include <QVector>

// A camera family for tests: it enumerates the devices named in its bench, and each device
// opens unless the bench says it fails. Registered under BenchCamera::Iid for its lifetime.
struct DeviceBench
{
    QStringList names;
    QSet<int> failing;
    // Every open attempt: device index and the colour output it was asked for.
    QVector<int> openedDevices;
    QVector<bool> openedColours;
};

class BenchCamera : public SimulateCamera
{
public:
    static constexpr char Iid[] = "benchcamera_IID";
    static constexpr quint32 MaskBit = 0x1000;

    explicit BenchCamera(DeviceBench *bench) : bench(bench) {}

    QList<CameraInfo> enumerate() override
    {
        QList<CameraInfo> devices;
        for (int i = 0; i < bench->names.size(); ++i) {
            CameraInfo device;
            device.index = i;
            device.iid = iid();
            device.setName(bench->names.at(i).toLatin1());
            devices << device;
        }
        return devices;
    }
    std::unique_ptr<CameraInterface> create(const CameraInfo &device) override
    {
        auto camera = std::make_unique<BenchCamera>(bench);
        camera->info = device;
        return camera;
    }
    void setColorOutput(bool on) override
    {
        colour = on;
        SimulateCamera::setColorOutput(on);
    }
    bool open() override
    {
        bench->openedDevices << info.index;
        bench->openedColours << colour;
        return !bench->failing.contains(info.index) && SimulateCamera::open();
    }
    QString iid() const override { return QString::fromLatin1(Iid); }
    QString serial() const override { return QString::fromLatin1(info.nameBytes()); }
    CAMERA_TYPE cameraType() const override { return VisibleLightCameraType; }

private:
    DeviceBench *bench;
    bool colour = false;
};

// Registers the bench family for its lifetime.
struct BenchFamily
{
    DeviceBench bench;

    BenchFamily()
    {
        registerCameraFamily({QString::fromLatin1(BenchCamera::Iid), BenchCamera::MaskBit,
                              [this] { return std::unique_ptr<CameraInterface>(std::make_unique<BenchCamera>(&bench)); }});
    }
    ~BenchFamily() { unregisterCameraFamily(QString::fromLatin1(BenchCamera::Iid)); }
};

#endif
