#include "cameras/CameraDiscovery.h"
#include "cameras/CameraInterface.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "tests/cameras/BenchCamera.h"
#include "tests/cameras/SdkDevices.h"
#include "tests/support/TempWorkDir.h"

#include <QDir>
#include <QImage>
#include <QtTest>

#include <cstring>

namespace {

void setSlots(const QStringList &serials)
{
    std::memset(cameraSlotSerials, 0, sizeof cameraSlotSerials);
    for (int slot = 0; slot < serials.size() && slot < CameraSlotCount; ++slot)
        qstrncpy(cameraSlotSerials[slot], serials.at(slot).toLatin1().constData(), CameraSerialBytes);
}

QVector<int> foundIndices()
{
    QVector<int> indices;
    for (const CameraInfo &device : foundCameras)
        indices << device.index;
    return indices;
}

QStringList numberedNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("SER-%1-000%1").arg(i);
    return names;
}

} // namespace

class CameraDiscoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void bindsDevicesToSlots_data();
    void bindsDevicesToSlots();
    void familiesOutsideTheMaskAreNotAsked();
    void bindsDevicesOfEveryFamily();
    void createsCamerasFromTheFront_data();
    void createsCamerasFromTheFront();
    void storedFramesReachTheConsumer();

private:
    std::unique_ptr<BenchFamily> family;
    SystemParameters params;
};

void CameraDiscoveryTest::init()
{
    family = std::make_unique<BenchFamily>();
    cameraFamilyMask = BenchCamera::MaskBit;
    setSlots({});
    params = SystemParameters();
    currentParams = &params;
}

void CameraDiscoveryTest::cleanup()
{
    currentParams = nullptr;
    clearSdkDevices();
    cameraPrototypes.clear();
    foundCameras.clear();
    family.reset();
}

void CameraDiscoveryTest::bindsDevicesToSlots_data()
{
    QTest::addColumn<QStringList>("slotSerials");
    QTest::addColumn<QStringList>("devices");
    QTest::addColumn<QVector<int>>("order");

    const QString a = QStringLiteral("SER-A-0001"), b = QStringLiteral("SER-B-0002"),
                  c = QStringLiteral("SER-C-0003"), d = QStringLiteral("SER-D-0004");
    QTest::newRow("no stored identities") << QStringList() << QStringList{a, b, c} << QVector<int>{0, 1, 2};
    QTest::newRow("reordered devices") << QStringList{c, a} << QStringList{a, b, c, d}
                                       << QVector<int>{2, 0, 1, 3};
    QTest::newRow("unmatched slot is skipped") << QStringList{QStringLiteral("SER-Z-9999"), b}
                                               << QStringList{a, b, c} << QVector<int>{1, 0, 2};
    QTest::newRow("two devices with one identity") << QStringList{a} << QStringList{a, b, a}
                                                   << QVector<int>{2, 0, 1};
    QTest::newRow("one identity in two slots") << QStringList{b, b} << QStringList{a, b} << QVector<int>{1, 0};
    const QStringList nine = numberedNames(9);
    QTest::newRow("nine devices") << QStringList{nine.at(8), nine.at(4)} << nine
                                  << QVector<int>{8, 4, 0, 1, 2, 3, 5, 6, 7};
    // Free slots must not claim devices that report no identity (or "0").
    QTest::newRow("free slots bind nothing") << QStringList{QString(), QStringLiteral("0"), b}
                                             << QStringList{a, QString(), QStringLiteral("0"), b}
                                             << QVector<int>{3, 0, 1, 2};
}

void CameraDiscoveryTest::bindsDevicesToSlots()
{
    QFETCH(QStringList, slotSerials);
    QFETCH(QStringList, devices);
    QFETCH(QVector<int>, order);

    setSlots(slotSerials);
    family->bench.names = devices;
    discoverCameras();
    QCOMPARE(foundIndices(), order);
    QVERIFY(cameraPrototypes.count(QString::fromLatin1(BenchCamera::Iid)));
}

void CameraDiscoveryTest::familiesOutsideTheMaskAreNotAsked()
{
    family->bench.names = numberedNames(2);
    cameraFamilyMask = 0x31C;
    discoverCameras();
    QVERIFY(foundCameras.isEmpty());
    QVERIFY(!cameraPrototypes.count(QString::fromLatin1(BenchCamera::Iid)));
    // The simulated family is never enumerated by discovery; it only stands in.
    QVERIFY(!cameraPrototypes.count(QString::fromLatin1(SimulateCameraIid)));
    // The machine-vision families find no device (none is registered) and keep their prototypes.
    for (const char *iid : {HikCameraIid, MindCameraIid, Do3thinkCameraIid})
        QVERIFY2(cameraPrototypes.count(QString::fromLatin1(iid)), iid);
}

// Devices of the three machine-vision families go to the slots their serials are stored in;
// the others follow in family order (Hik, Mind, Do3think), each in its SDK's order.
void CameraDiscoveryTest::bindsDevicesOfEveryFamily()
{
    const QByteArray hik1 = "HIK-00000001", hik2 = "HIK-00000002", mind = "MIND-0000001",
                     do3think = "DO3-00000001";
    addSdkDevice(SdkFamily::Do3think, sdkDeviceSetup(do3think, 64, 48, false));
    addSdkDevice(SdkFamily::Mind, sdkDeviceSetup(mind, 64, 48, true));
    addSdkDevice(SdkFamily::Hik, sdkDeviceSetup(hik1, 64, 48, false));
    addSdkDevice(SdkFamily::Hik, sdkDeviceSetup(hik2, 64, 48, true));
    family->bench.names = numberedNames(1);
    cameraFamilyMask = 0x31C;
    setSlots({QString::fromLatin1(do3think), QStringLiteral("0"), QString::fromLatin1(hik2)});
    params[Param::ColourOutput + 1] = 1;

    discoverCameras();
    QStringList found;
    for (const CameraInfo &device : foundCameras)
        found << QString::fromLatin1(device.nameBytes());
    QCOMPARE(found, (QStringList{QString::fromLatin1(do3think), QString::fromLatin1(hik2), QString::fromLatin1(hik1),
                                 QString::fromLatin1(mind)}));

    const std::vector<std::unique_ptr<CameraInterface>> inUse = createCameras();
    QCOMPARE(cameraCount, 4);
    QCOMPARE(simulatedCameras, 0);
    const QStringList iids{QString::fromLatin1(Do3thinkCameraIid), QString::fromLatin1(HikCameraIid),
                           QString::fromLatin1(HikCameraIid), QString::fromLatin1(MindCameraIid)};
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(inUse[size_t(k)]->iid(), iids.at(k));
        QCOMPARE(inUse[size_t(k)]->serial(), found.at(k));
        QCOMPARE(inUse[size_t(k)]->cameraType(), VisibleLightCameraType);
        // Camera 2's colour setting, on a colour sensor.
        QCOMPARE(inUse[size_t(k)]->isColorOutput(), k == 1);
    }
}

void CameraDiscoveryTest::createsCamerasFromTheFront_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<QSet<int>>("failing");
    QTest::addColumn<QVector<int>>("colourSettings");   // parameters 183 onwards
    QTest::addColumn<QVector<int>>("attempts");         // devices asked to open, in order
    QTest::addColumn<QVector<bool>>("attemptColours");
    QTest::addColumn<QVector<int>>("cameras");          // devices in use; empty: simulated

    QTest::newRow("nine devices, one fails")
        << 9 << QSet<int>{3} << QVector<int>() << QVector<int>{0, 1, 2, 3, 4, 5, 6, 7}
        << QVector<bool>(8, false) << QVector<int>{0, 1, 2, 4, 5, 6, 7};
    QTest::newRow("colour belongs to the camera number")
        << 3 << QSet<int>{1} << QVector<int>{0, 1, 0} << QVector<int>{0, 1, 2}
        << QVector<bool>{false, true, true} << QVector<int>{0, 2};
    QTest::newRow("none opens") << 2 << QSet<int>{0, 1} << QVector<int>{1, 1} << QVector<int>{0, 1}
                                << QVector<bool>{true, true} << QVector<int>();
    QTest::newRow("none found") << 0 << QSet<int>() << QVector<int>() << QVector<int>() << QVector<bool>()
                                << QVector<int>();
}

void CameraDiscoveryTest::createsCamerasFromTheFront()
{
    QFETCH(int, devices);
    QFETCH(QSet<int>, failing);
    QFETCH(QVector<int>, colourSettings);
    QFETCH(QVector<int>, attempts);
    QFETCH(QVector<bool>, attemptColours);
    QFETCH(QVector<int>, cameras);

    family->bench.names = numberedNames(devices);
    family->bench.failing = failing;
    for (int i = 0; i < colourSettings.size(); ++i)
        params[Param::ColourOutput + i] = colourSettings.at(i);
    discoverCameras();
    const std::vector<std::unique_ptr<CameraInterface>> inUse = createCameras();

    QCOMPARE(family->bench.openedDevices, attempts);
    QCOMPARE(family->bench.openedColours, attemptColours);
    QCOMPARE(cameraCount, int(inUse.size()));
    QCOMPARE(unopenedCameras, failing.size());
    if (!cameras.isEmpty()) {
        QCOMPARE(simulatedCameras, 0);
        QCOMPARE(int(inUse.size()), cameras.size());
        for (int k = 0; k < cameras.size(); ++k) {
            QCOMPARE(inUse[size_t(k)]->cameraInfo().index, cameras.at(k));
            QCOMPARE(inUse[size_t(k)]->isColorOutput(), params[Param::ColourOutput + k] != 0);
        }
        return;
    }

    // Nothing opened: two simulated cameras stand in, in grey.
    QCOMPARE(simulatedCameras, 1);
    QCOMPARE(cameraCount, 2);
    QCOMPARE(foundCameras.size(), 2);
    for (int k = 0; k < 2; ++k) {
        QCOMPARE(inUse[size_t(k)]->iid(), QString::fromLatin1(SimulateCameraIid));
        QCOMPARE(inUse[size_t(k)]->cameraType(), SimulatedCameraType);
        QCOMPARE(inUse[size_t(k)]->cameraInfo().index, k);
        QVERIFY(!inUse[size_t(k)]->isColorOutput());
    }
    QVERIFY(cameraPrototypes.count(QString::fromLatin1(SimulateCameraIid)));
}

// The station's start-up on a machine without cameras: the frames that the build stored for
// the simulated cameras reach the camera views through the camera interface.
void CameraDiscoveryTest::storedFramesReachTheConsumer()
{
    const QString runtime = qEnvironmentVariable("MM_BINARY_DIR") + QStringLiteral("/runtime");
    TempWorkDir dir;
    QVERIFY(dir.isValid());
    for (const QString &folder : {QStringLiteral("cammer15"), QStringLiteral("cammer25")}) {
        QVERIFY(QDir().mkpath(folder));
        for (const QString &file : {QStringLiteral("template0.bmp"), QStringLiteral("template1.bmp")}) {
            const QString stored = runtime + QLatin1Char('/') + folder + QLatin1Char('/') + file;
            QVERIFY2(QFile::copy(stored, folder + QLatin1Char('/') + file), qPrintable(stored));
        }
    }

    discoverCameras();
    const std::vector<std::unique_ptr<CameraInterface>> inUse = createCameras();
    QCOMPARE(int(inUse.size()), 2);
    for (int k = 0; k < 2; ++k) {
        CameraInterface &camera = *inUse[size_t(k)];
        int width = 0, height = 0;
        camera.getSize(&width, &height);
        QByteArray frame(width * height * (camera.isColorOutput() ? 4 : 1), '\x7F');
        QVERIFY(camera.startGrab());

        QVector<QByteArray> shown;
        for (int trigger = 0; trigger < 2; ++trigger) {
            camera.nextSimulatedFrame();
            camera.getImage(reinterpret_cast<uchar *>(frame.data()), frame.size());
            shown << frame;
            const QImage stored = QImage(QStringLiteral("cammer%1/template%2.bmp").arg(k * 10 + 15).arg(trigger))
                                      .convertToFormat(QImage::Format_Grayscale8);
            QCOMPARE(stored.size(), QSize(width, height));
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(stored.constBits()), int(stored.sizeInBytes())),
                     frame);
        }
        QVERIFY2(shown.at(0) != shown.at(1), "the good and the bad frame are the same");
    }
}

QTEST_GUILESS_MAIN(CameraDiscoveryTest)
#include "tst_CameraDiscovery.moc"
