// The three machine-vision drivers on their simulated SDKs: settings reaching the device,
// frames in the layout the views expect, frames the drivers must drop, and a device that goes
// away and comes back.

#include "cameras/CameraInterface.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "tests/cameras/SdkDevices.h"

#include <QtTest>

namespace {

constexpr int Width = 64;
constexpr int Height = 48;
constexpr int Wait = 20000;

// Delivers count frames from a streaming device and waits until the driver had them.
bool deliver(camsim::Device &device, int count)
{
    const quint64 target = device.delivered() + quint64(count);
    return device.deliverFrames(count) && device.waitDelivered(target, Wait);
}

QByteArray pulled(CameraInterface &camera, bool *fresh = nullptr)
{
    int width = 0, height = 0;
    camera.getSize(&width, &height);
    QByteArray frame(width * height * (camera.isColorOutput() ? 4 : 1), '\x55');
    const bool isNew = camera.getImage(reinterpret_cast<uchar *>(frame.data()), frame.size());
    if (fresh)
        *fresh = isNew;
    return frame;
}

QByteArray repeated(const QByteArray &pixel, int count)
{
    QByteArray bytes;
    bytes.reserve(pixel.size() * count);
    for (int i = 0; i < count; ++i)
        bytes += pixel;
    return bytes;
}

enum class Setting { Gain, Sharpness, Contrast, Gamma, FrameRate };

void apply(CameraInterface &camera, Setting setting, int level)
{
    switch (setting) {
    case Setting::Gain:
        return camera.setGain(level);
    case Setting::Sharpness:
        return camera.setSharpness(level);
    case Setting::Contrast:
        return camera.setContrast(level);
    case Setting::Gamma:
        return camera.setGamma(level);
    case Setting::FrameRate:
        return camera.setFrameRate(level);
    }
}

} // namespace

Q_DECLARE_METATYPE(Setting)

class MachineVisionCamerasTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void levelsReachTheDevice_data();
    void levelsReachTheDevice();
    void restoreDefaultsWritesLevels_data();
    void restoreDefaultsWritesLevels();
    void framesInTheViewLayout_data();
    void framesInTheViewLayout();
    void wrongSizeFramesAreDropped_data();
    void wrongSizeFramesAreDropped();
    void do3thinkKeepsOneFrameOfEveryLevelPlusOne();
    void identitiesFillingTheirFields_data();
    void identitiesFillingTheirFields();
    void mindOpensOnlyAKnownIdentity();
    void lostDeviceComesBack_data();
    void lostDeviceComesBack();
    void hardwareTriggerDeliversOneFramePerPulse_data();
    void hardwareTriggerDeliversOneFramePerPulse();
};

void MachineVisionCamerasTest::cleanup()
{
    clearSdkDevices();
}

void MachineVisionCamerasTest::levelsReachTheDevice_data()
{
    QTest::addColumn<SdkFamily>("family");
    QTest::addColumn<Setting>("setting");
    QTest::addColumn<QByteArray>("parameter");
    QTest::addColumn<bool>("colour");
    QTest::addColumn<QPointF>("range");   // (min, max); a null point keeps the device's
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("expected");

    const QPointF keep;
    QTest::newRow("hik gain 0..16 at 32") << SdkFamily::Hik << Setting::Gain << QByteArray("Gain") << false
                                          << QPointF(0, 16) << 32 << 8.0;
    QTest::newRow("mind gain 0..16 at 32") << SdkFamily::Mind << Setting::Gain << QByteArray("AnalogGain") << false
                                           << QPointF(0, 16) << 32 << 8.0;
    QTest::newRow("do3think gain as it is") << SdkFamily::Do3think << Setting::Gain << QByteArray("AnalogGain")
                                            << false << keep << 32 << 32.0;
    QTest::newRow("hik frame rate -1 is full") << SdkFamily::Hik << Setting::FrameRate
                                               << QByteArray("AcquisitionFrameRate") << false << keep << -1 << 60.0;
    QTest::newRow("hik frame rate 9 is an eighth") << SdkFamily::Hik << Setting::FrameRate
                                                   << QByteArray("AcquisitionFrameRate") << false << keep << 9 << 7.5;
    QTest::newRow("mind frame rate -1") << SdkFamily::Mind << Setting::FrameRate << QByteArray("FrameSpeed") << false
                                        << keep << -1 << 0.0;
    QTest::newRow("mind frame rate 9") << SdkFamily::Mind << Setting::FrameRate << QByteArray("FrameSpeed") << false
                                       << keep << 9 << 5.0;
    QTest::newRow("mind colour frame rate 2") << SdkFamily::Mind << Setting::FrameRate << QByteArray("FrameSpeed")
                                              << true << keep << 2 << 3.0;
    QTest::newRow("hik sharpness truncated") << SdkFamily::Hik << Setting::Sharpness << QByteArray("Sharpness")
                                             << false << QPointF(0, 30) << 55 << 16.0;
    QTest::newRow("mind gamma in integer steps") << SdkFamily::Mind << Setting::Gamma << QByteArray("Gamma") << false
                                                 << QPointF(0, 1000) << 125 << 500.0;
    QTest::newRow("mind contrast range narrower than the levels")
        << SdkFamily::Mind << Setting::Contrast << QByteArray("Contrast") << false << QPointF(10, 60) << 100 << 35.0;
    QTest::newRow("hik zero-width gain") << SdkFamily::Hik << Setting::Gain << QByteArray("Gain") << false
                                         << QPointF(4, 4) << 32 << 4.0;
    QTest::newRow("mind zero-width sharpness") << SdkFamily::Mind << Setting::Sharpness << QByteArray("Sharpness")
                                               << false << QPointF(7, 7) << 50 << 7.0;
}

void MachineVisionCamerasTest::levelsReachTheDevice()
{
    QFETCH(SdkFamily, family);
    QFETCH(Setting, setting);
    QFETCH(QByteArray, parameter);
    QFETCH(bool, colour);
    QFETCH(QPointF, range);
    QFETCH(int, level);
    QFETCH(double, expected);

    const std::shared_ptr<camsim::Device> device =
        addSdkDevice(family, sdkDeviceSetup("LEVELS-000001", Width, Height, colour));
    if (!range.isNull())
        device->setRange(parameter, range.x(), range.y());
    const std::unique_ptr<CameraInterface> camera = openSdkCamera(family, "LEVELS-000001", colour);
    QVERIFY(camera);
    apply(*camera, setting, level);
    QCOMPARE(device->value(parameter), expected);
}

void MachineVisionCamerasTest::restoreDefaultsWritesLevels_data()
{
    QTest::addColumn<SdkFamily>("family");
    QTest::addColumn<QByteArray>("parameter");
    QTest::addColumn<QPointF>("range");          // a null point keeps the device's
    // exposure ms, gain, sharpness, contrast, gamma of camera 2; -7: not written
    QTest::addColumn<QVector<int>>("levels");

    const QPointF keep;
    // Defaults: exposure 5 ms, gain 0 of 0..17, sharpness 0, gamma 1 of 0..4.
    QTest::newRow("hik") << SdkFamily::Hik << QByteArray() << keep << QVector<int>{5, 0, 0, -7, 62};
    QTest::newRow("hik zero-width gain and gamma") << SdkFamily::Hik << QByteArray("Gain+Gamma") << QPointF(0, 0)
                                                   << QVector<int>{5, 0, 0, -7, 0};
    // Defaults: 10 ms, gain 16 of 16..160, sharpness 0, contrast 100 of 0..200, gamma 100 of
    // 0..1000 (steps of 4).
    QTest::newRow("mind") << SdkFamily::Mind << QByteArray() << keep << QVector<int>{10, 0, 0, 100, 25};
    QTest::newRow("mind zero-width gamma") << SdkFamily::Mind << QByteArray("Gamma") << QPointF(100, 100)
                                           << QVector<int>{10, 0, 0, 100, 0};
    QTest::newRow("mind gamma narrower than the levels") << SdkFamily::Mind << QByteArray("Gamma")
                                                         << QPointF(0, 125) << QVector<int>{10, 0, 0, 100, 200};
    QTest::newRow("do3think") << SdkFamily::Do3think << QByteArray() << keep << QVector<int>{10, 1, 0, 0, 100};
}

void MachineVisionCamerasTest::restoreDefaultsWritesLevels()
{
    QFETCH(SdkFamily, family);
    QFETCH(QByteArray, parameter);
    QFETCH(QPointF, range);
    QFETCH(QVector<int>, levels);

    const std::shared_ptr<camsim::Device> device =
        addSdkDevice(family, sdkDeviceSetup("DEFAULTS-0001", Width, Height, false));
    for (const QByteArray &name : parameter.split('+')) {
        if (!name.isEmpty())
            device->setRange(name, range.x(), range.y());
    }
    const std::unique_ptr<CameraInterface> camera = openSdkCamera(family, "DEFAULTS-0001", false);
    QVERIFY(camera);
    QVERIFY(camera->startGrab());
    // Settings away from the defaults, which the restore must bring back.
    camera->setExposure(40);
    camera->setSharpness(80);

    SystemParameters params;
    const int c = 2;
    for (int i : {c, 8 + c, 16 + c, 24 + c, 32 + c})
        params[i] = -7;
    camera->restoreDefaults(&params, c);
    QCOMPARE((QVector<int>{params[c], params[Param::Gain + c], params[Param::Sharpness + c], params[Param::Contrast + c], params[Param::Gamma + c]}), levels);
    // Grabbing goes on after the restore.
    QVERIFY(deliver(*device, 1));
    bool fresh = false;
    pulled(*camera, &fresh);
    QVERIFY(fresh);
}

void MachineVisionCamerasTest::framesInTheViewLayout_data()
{
    QTest::addColumn<SdkFamily>("family");
    QTest::addColumn<bool>("colourSensor");
    QTest::addColumn<bool>("colourOutput");
    QTest::addColumn<bool>("colourAfterOpen");
    QTest::addColumn<QByteArray>("frame");

    const int pixels = Width * Height;
    // The sensor sees R, G, B = 10, 20, 30: colour frames are B, G, R, 0; grey is 18.
    const QByteArray colour = repeated(QByteArray("\x1e\x14\x0a\x00", 4), pixels);
    const QByteArray grey = QByteArray(pixels, '\x12');
    for (SdkFamily family : {SdkFamily::Hik, SdkFamily::Mind, SdkFamily::Do3think}) {
        const QByteArray name = familyIid(family);
        QTest::newRow(name + " colour") << family << true << true << true << colour;
        QTest::newRow(name + " colour sensor, grey output") << family << true << false << false << grey;
    }
    // A mono sensor asked for colour: Hik keeps 4-byte frames with only the first pixel-count
    // bytes delivered; the others switch colour output off.
    QTest::newRow("hik mono sensor, colour asked") << SdkFamily::Hik << false << true << true
                                                   << grey + QByteArray(pixels * 3, '\0');
    QTest::newRow("mind mono sensor, colour asked") << SdkFamily::Mind << false << true << false << grey;
    QTest::newRow("do3think mono sensor, colour asked") << SdkFamily::Do3think << false << true << false << grey;
}

void MachineVisionCamerasTest::framesInTheViewLayout()
{
    QFETCH(SdkFamily, family);
    QFETCH(bool, colourSensor);
    QFETCH(bool, colourOutput);
    QFETCH(bool, colourAfterOpen);
    QFETCH(QByteArray, frame);

    const std::shared_ptr<camsim::Device> device =
        addSdkDevice(family, sdkDeviceSetup("LAYOUT-00001", Width, Height, colourSensor));
    device->setColour(10, 20, 30);
    const std::unique_ptr<CameraInterface> camera = openSdkCamera(family, "LAYOUT-00001", colourOutput);
    QVERIFY(camera);
    QCOMPARE(camera->isColorOutput(), colourAfterOpen);
    int width = 0, height = 0;
    camera->getSize(&width, &height);
    QCOMPARE(QSize(width, height), QSize(Width, Height));

    bool fresh = true;
    pulled(*camera, &fresh);
    QVERIFY2(!fresh, "a frame before the first one");
    QVERIFY(camera->startGrab());
    QVERIFY(deliver(*device, 1));
    QCOMPARE(pulled(*camera, &fresh), frame);
    QVERIFY(fresh);
    pulled(*camera, &fresh);
    QVERIFY(!fresh);
}

void MachineVisionCamerasTest::wrongSizeFramesAreDropped_data()
{
    QTest::addColumn<SdkFamily>("family");
    QTest::addColumn<bool>("colour");
    QTest::addColumn<QSize>("wrongSize");

    for (SdkFamily family : {SdkFamily::Hik, SdkFamily::Mind, SdkFamily::Do3think}) {
        const QByteArray name = familyIid(family);
        QTest::newRow(name + " colour, larger") << family << true << QSize(Width * 2, Height + 2);
        QTest::newRow(name + " colour, smaller") << family << true << QSize(Width / 2, Height);
        QTest::newRow(name + " grey, larger") << family << false << QSize(Width + 16, Height * 2);
        QTest::newRow(name + " grey, narrower") << family << false << QSize(Width - 2, Height);
    }
}

// A frame of another size than the device reported at open would be cut into wrong rows or
// overrun the driver's buffers: it is dropped, and the frames after it come through.
void MachineVisionCamerasTest::wrongSizeFramesAreDropped()
{
    QFETCH(SdkFamily, family);
    QFETCH(bool, colour);
    QFETCH(QSize, wrongSize);

    const std::shared_ptr<camsim::Device> device = addSdkDevice(family, sdkDeviceSetup("SIZES-000001", Width, Height, colour));
    device->setColour(10, 20, 30);
    const std::unique_ptr<CameraInterface> camera = openSdkCamera(family, "SIZES-000001", colour);
    QVERIFY(camera);
    QVERIFY(camera->startGrab());
    int frames = -1;
    camera->frameCountDelta(&frames);

    device->deliverWrongSize(wrongSize.width(), wrongSize.height(), 2);
    QVERIFY(deliver(*device, 2));
    bool fresh = true;
    pulled(*camera, &fresh);
    QVERIFY(!fresh);
    QVERIFY(!camera->frameCountDelta(&frames));
    QCOMPARE(frames, 0);

    QVERIFY(deliver(*device, 1));
    const QByteArray frame = pulled(*camera, &fresh);
    QVERIFY(fresh);
    QCOMPARE(frame, colour ? repeated(QByteArray("\x1e\x14\x0a\x00", 4), Width * Height)
                           : QByteArray(Width * Height, '\x12'));
    QVERIFY(camera->frameCountDelta(&frames));
    QCOMPARE(frames, 1);
}

void MachineVisionCamerasTest::do3thinkKeepsOneFrameOfEveryLevelPlusOne()
{
    camsim::DeviceSetup setup = sdkDeviceSetup("SKIP-0000001", Width, Height, false);
    setup.stampFrameNumber = true;
    const std::shared_ptr<camsim::Device> device = addSdkDevice(SdkFamily::Do3think, setup);
    const std::unique_ptr<CameraInterface> camera = openSdkCamera(SdkFamily::Do3think, "SKIP-0000001", false);
    QVERIFY(camera);
    camera->setFrameRate(2);
    QVERIFY(camera->startGrab());

    QVector<int> kept;
    for (int frame = 1; frame <= 9; ++frame) {
        QVERIFY(deliver(*device, 1));
        bool fresh = false;
        const QByteArray image = pulled(*camera, &fresh);
        if (fresh)
            kept << quint8(image.at(0));
    }
    QCOMPARE(kept, (QVector<int>{3, 6, 9}));
}

void MachineVisionCamerasTest::identitiesFillingTheirFields_data()
{
    QTest::addColumn<SdkFamily>("family");
    QTest::addColumn<QByteArray>("identity");
    QTest::addColumn<QByteArray>("recorded");

    // Full fields carry no terminating NUL; records keep at most 63 characters.
    const QByteArray long64 = QByteArray("DO3-").leftJustified(64, 'x');
    QTest::newRow("hik 16-byte serial") << SdkFamily::Hik << QByteArray("GE-0123456789ABC") << QByteArray("GE-0123456789ABC");
    QTest::newRow("mind 32-byte serial") << SdkFamily::Mind << QByteArray("MIND-").leftJustified(32, '7')
                                         << QByteArray("MIND-").leftJustified(32, '7');
    QTest::newRow("do3think 64-byte identity") << SdkFamily::Do3think << long64 << long64.left(63);
}

void MachineVisionCamerasTest::identitiesFillingTheirFields()
{
    QFETCH(SdkFamily, family);
    QFETCH(QByteArray, identity);
    QFETCH(QByteArray, recorded);

    addSdkDevice(family, sdkDeviceSetup(identity, Width, Height, false));
    addSdkDevice(family, sdkDeviceSetup("SECOND-00002", Width, Height, false));
    std::unique_ptr<CameraInterface> prototype = makeCameraPrototype(QString::fromLatin1(familyIid(family)));
    const QList<CameraInfo> records = prototype->enumerate();
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(0).nameBytes(), recorded);
    QCOMPARE(records.at(1).nameBytes(), QByteArray("SECOND-00002"));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(records.at(i).index, i);
        QCOMPARE(records.at(i).iid, QString::fromLatin1(familyIid(family)));
    }
    const std::unique_ptr<CameraInterface> camera = openSdkCamera(family, recorded, false);
    QVERIFY(camera);
    QCOMPARE(camera->serial(), QString::fromLatin1(recorded));
}

void MachineVisionCamerasTest::mindOpensOnlyAKnownIdentity()
{
    addSdkDevice(SdkFamily::Mind, sdkDeviceSetup("MIND-0000001", Width, Height, false));
    std::unique_ptr<CameraInterface> prototype = makeCameraPrototype(QString::fromLatin1(MindCameraIid));
    QCOMPARE(prototype->enumerate().size(), 1);
    CameraInfo unknown;
    unknown.index = 0;
    unknown.iid = QString::fromLatin1(MindCameraIid);
    unknown.setName("MIND-0000999");
    QVERIFY(!prototype->create(unknown)->open());
    unknown.setName("MIND-0000001");
    QVERIFY(prototype->create(unknown)->open());
}

void MachineVisionCamerasTest::lostDeviceComesBack_data()
{
    QTest::addColumn<SdkFamily>("family");
    for (SdkFamily family : {SdkFamily::Hik, SdkFamily::Mind, SdkFamily::Do3think})
        QTest::newRow(familyIid(family)) << family;
}

// The camera view's watchdog: the loss notice clears the link, release gives the device up,
// reconnect fails while it is gone and brings it back, streaming, once it returns.
void MachineVisionCamerasTest::lostDeviceComesBack()
{
    QFETCH(SdkFamily, family);
    const std::shared_ptr<camsim::Device> device = addSdkDevice(family, sdkDeviceSetup("LOST-0000001", Width, Height, true));
    const std::unique_ptr<CameraInterface> camera = openSdkCamera(family, "LOST-0000001", true);
    QVERIFY(camera);
    QVERIFY(camera->startGrab());
    QVERIFY(deliver(*device, 3));
    int frames = 0;
    QVERIFY(camera->frameCountDelta(&frames));
    QCOMPARE(frames, 3);
    QVERIFY(camera->isConnected());

    device->unplug();
    QVERIFY(!camera->isConnected());
    QVERIFY(!device->deliverFrames(1) || !device->waitDelivered(device->delivered() + 1, 200));
    QVERIFY(!camera->frameCountDelta(&frames));
    camera->release();
    QVERIFY(!camera->reconnect());
    QVERIFY(!camera->isConnected());

    device->plugIn();
    QVERIFY(camera->reconnect());
    QVERIFY(camera->isConnected());
    QVERIFY(camera->isColorOutput());
    device->setColour(10, 20, 30);
    QVERIFY(deliver(*device, 1));
    bool fresh = false;
    QCOMPARE(pulled(*camera, &fresh), repeated(QByteArray("\x1e\x14\x0a\x00", 4), Width * Height));
    QVERIFY(fresh);
}

void MachineVisionCamerasTest::hardwareTriggerDeliversOneFramePerPulse_data()
{
    lostDeviceComesBack_data();
}

void MachineVisionCamerasTest::hardwareTriggerDeliversOneFramePerPulse()
{
    QFETCH(SdkFamily, family);
    const std::shared_ptr<camsim::Device> device = addSdkDevice(family, sdkDeviceSetup("TRIGGER-0001", Width, Height, false));
    const std::unique_ptr<CameraInterface> camera = openSdkCamera(family, "TRIGGER-0001", false);
    QVERIFY(camera);
    QVERIFY(camera->startGrab());
    QVERIFY(!device->pulseTriggerInput());

    camera->setTriggerMode(true);
    QVERIFY(device->hardwareTrigger());
    QVERIFY(!device->deliverFrames(1));
    for (int pulse = 1; pulse <= 2; ++pulse) {
        const quint64 target = device->delivered() + 1;
        QVERIFY(device->pulseTriggerInput());
        QVERIFY(device->waitDelivered(target, Wait));
        int frames = 0;
        QVERIFY(camera->frameCountDelta(&frames));
        QCOMPARE(frames, 1);
    }
    camera->setTriggerMode(false);
    QVERIFY(!device->hardwareTrigger());
    QVERIFY(deliver(*device, 1));
}

QTEST_GUILESS_MAIN(MachineVisionCamerasTest)
#include "tst_MachineVisionCameras.moc"
