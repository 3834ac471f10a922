// The network thermal camera driver on the simulated network SDK: discovery, opening, the
// stream through the player into frames, connection reports, and the write-backs of records.

#include "cameras/HKHotCameraThread.h"
#include "cameras/HikIRCamera.h"
#include "cameras/Yuv420Conversion.h"
#include "core/Globals.h"
#include "core/SystemParameters.h"
#include "tests/cameras/ThermalDevices.h"

#include <QtTest>

#include <memory>

namespace {

constexpr int Timeout = 10000;

std::vector<uchar> converted(const std::vector<uint8_t> &yv12, bool colour)
{
    std::vector<uchar> frame(size_t(thermal::Width * thermal::Height * (colour ? 4 : 1)));
    if (colour)
        yuv420ToBgra(yv12.data(), frame.data(), thermal::Width, thermal::Height);
    else
        yuv420ToGray(yv12.data(), frame.data(), thermal::Width, thermal::Height);
    return frame;
}

} // namespace

class HikIRCameraTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void enumerationProbesEveryInterface();
    void enumerationFindsNothing_data();
    void enumerationFindsNothing();
    void openChoosesTheChannel_data();
    void openChoosesTheChannel();
    void sizeFromTheResolutionCode_data();
    void sizeFromTheResolutionCode();
    void framesEndToEnd_data();
    void framesEndToEnd();
    void stopAndStartAgain();
    void picturesOfAnotherSizeAreDropped_data();
    void picturesOfAnotherSizeAreDropped();
    void connectionReportsReachTheirOwnCamera();
    void writeBacksUseTheRecordsOwnSize();

private:
    std::vector<std::string> locals;
};

void HikIRCameraTest::init()
{
    hcnetsim::reset();
    locals.clear();
}

void HikIRCameraTest::cleanup()
{
    hcnetsim::reset();
}

// Each local interface is probed at the cameras' factory address on its own subnet, with the
// short connect time-out already in force; a two-channel device gives two cameras with the same
// identity, and a serial that fills its 48 bytes is read without running past them.
void HikIRCameraTest::enumerationProbesEveryInterface()
{
    const std::string fullSerial(48, 'S');
    thermal::addCamera(locals, 5, fullSerial, 2);
    thermal::addCamera(locals, 7, "DS-2TD2617B");
    locals.push_back("not an address");
    hcnetsim::setLocalAddresses(locals);

    HikIRCamera prototype;
    const QList<CameraInfo> found = prototype.enumerate();
    QCOMPARE(found.size(), 3);
    const QStringList kinds{"IRCamera", "RGBCamera", "IRCamera"};
    const QList<QByteArray> names{QByteArray::fromStdString(fullSerial), QByteArray::fromStdString(fullSerial),
                                  "DS-2TD2617B"};
    const QList<QByteArray> texts{"192.168.5.64", "192.168.5.64", "192.168.7.64"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(found.at(i).iid, QStringLiteral("hikircamera_IID"));
        QCOMPARE(found.at(i).kind, kinds.at(i));
        QCOMPARE(found.at(i).nameBytes(), names.at(i));
        QCOMPARE(found.at(i).textBytes(), texts.at(i));
        QCOMPARE(found.at(i).channel, i);
        QCOMPARE(found.at(i).index, -1);
    }

    const std::vector<hcnetsim::LoginAttempt> attempts = hcnetsim::loginAttempts();
    QCOMPARE(attempts.size(), size_t(2));
    for (const hcnetsim::LoginAttempt &attempt : attempts) {
        QCOMPARE(attempt.port, uint16_t(8000));
        QCOMPARE(attempt.connectTimeMs, 3000u);
        QVERIFY(attempt.succeeded);
    }
    // Probing leaves nobody logged in.
    QCOMPARE(hcnetsim::activeLogins(), 0);
}

void HikIRCameraTest::enumerationFindsNothing_data()
{
    QTest::addColumn<int>("situation");
    QTest::newRow("no local address") << 0;
    QTest::newRow("the address query fails") << 1;
    QTest::newRow("no camera behind the interface") << 2;
    QTest::newRow("the camera refuses the factory password") << 3;
}

void HikIRCameraTest::enumerationFindsNothing()
{
    QFETCH(int, situation);
    if (situation == 1) {
        thermal::addCamera(locals, 5, "SERIAL");
        hcnetsim::failLocalAddressQuery(true);
    } else if (situation == 2) {
        locals.push_back(thermal::localAddress(5));
        hcnetsim::setLocalAddresses(locals);
    } else if (situation == 3) {
        hcnetsim::Device device;
        device.serial = "SERIAL";
        device.password = "changed";
        hcnetsim::addDevice(thermal::cameraAddress(5), device);
        hcnetsim::setLocalAddresses({thermal::localAddress(5)});
    }
    HikIRCamera prototype;
    QVERIFY(prototype.enumerate().isEmpty());
    QCOMPARE(hcnetsim::activeLogins(), 0);
}

void HikIRCameraTest::openChoosesTheChannel_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("type");
    QTest::newRow("one channel") << 1 << 0 << 1 << 2;
    QTest::newRow("two channels, thermal") << 2 << 0 << 2 << 2;
    QTest::newRow("two channels, visible light") << 2 << 1 << 1 << 1;
}

// The thermal channel gets the thermometry defaults; the visible-light channel none.
void HikIRCameraTest::openChoosesTheChannel()
{
    QFETCH(int, channels);
    QFETCH(int, k);
    QFETCH(int, channel);
    QFETCH(int, type);
    thermal::addCamera(locals, 5, "SERIAL", channels);
    std::unique_ptr<CameraInterface> camera = thermal::openCamera(k);
    QVERIFY(camera);
    auto *ir = static_cast<HikIRCamera *>(camera.get());
    QCOMPARE(ir->channelNumber(), channel);
    QCOMPARE(int(camera->cameraType()), type);
    QCOMPARE(camera->serial(), QStringLiteral("SERIAL"));
    QVERIFY(camera->isConnected());
    const std::vector<hcnetsim::SetCall> enables = thermal::writesOf(NET_DVR_SET_RECORD_6766);
    QCOMPARE(enables.size(), size_t(type == ThermalCameraType ? 1 : 0));
    for (const hcnetsim::SetCall &call : enables) {
        QCOMPARE(call.channel, channel);
        NET_DVR_RECORD_6766 record;
        QVERIFY(thermal::decode(call, record));
        QCOMPARE(int(record.byEnable), 1);
    }
}

void HikIRCameraTest::sizeFromTheResolutionCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<uint>("extended");
    QTest::addColumn<QSize>("size");
    QTest::newRow("76") << 76 << 0u << QSize(640, 512);
    QTest::newRow("98") << 98 << 0u << QSize(2688, 1520);
    QTest::newRow("1") << 1 << 0u << QSize(352, 288);
    QTest::newRow("extended code wins over 76") << 76 << 300u << QSize(1920, 1080);
    QTest::newRow("extended below 255 is not used") << 76 << 254u << QSize(640, 512);
    QTest::newRow("unknown code keeps the default") << 200 << 0u << QSize(1920, 1080);
}

void HikIRCameraTest::sizeFromTheResolutionCode()
{
    QFETCH(int, code);
    QFETCH(uint, extended);
    QFETCH(QSize, size);
    thermal::addCamera(locals, 5, "SERIAL", 1, uint8_t(code), extended);
    std::unique_ptr<CameraInterface> camera = thermal::openCamera(0);
    QVERIFY(camera);
    int w = 0;
    int h = 0;
    camera->getSize(&w, &h);
    QCOMPARE(QSize(w, h), size);
}

void HikIRCameraTest::framesEndToEnd_data()
{
    QTest::addColumn<bool>("colour");
    QTest::newRow("grey") << false;
    QTest::newRow("colour") << true;
}

// A picture goes from the device's stream through the player and the conversion thread into
// one new frame; the next pull has nothing new until the next picture.
void HikIRCameraTest::framesEndToEnd()
{
    QFETCH(bool, colour);
    thermal::addCamera(locals, 5, "SERIAL");
    std::unique_ptr<CameraInterface> camera = thermal::openCamera(0, colour);
    QVERIFY(camera);
    QCOMPARE(camera->isColorOutput(), colour);
    std::vector<uchar> frame(size_t(thermal::Width * thermal::Height * (colour ? 4 : 1)), 0xEE);
    const int bytes = int(frame.size());
    QVERIFY(camera->startGrab());
    QVERIFY(camera->startGrab());
    QCOMPARE(hcnetsim::livePlays(), 1);
    QVERIFY(!camera->getImage(frame.data(), bytes));

    const std::vector<uint8_t> first = thermal::picture(thermal::Width, thermal::Height, 1);
    hcnetsim::sendPicture(thermal::cameraAddress(5), 1, thermal::Width, thermal::Height, first);
    QVERIFY(QTest::qWaitFor([&] { return camera->getImage(frame.data(), bytes); }, Timeout));
    QVERIFY(frame == converted(first, colour));
    int frames = 0;
    QVERIFY(camera->frameCountDelta(&frames));
    QCOMPARE(frames, 1);
    QVERIFY(!camera->getImage(frame.data(), bytes));
    // Nothing new over four passes of the conversion thread.
    const auto *converting = dynamic_cast<HikIRCamera *>(camera.get());
    QVERIFY(converting);
    const quint64 passes = converting->conversionPassCount();
    QVERIFY(QTest::qWaitFor([&] { return converting->conversionPassCount() >= passes + 4; }, Timeout));
    QVERIFY(!camera->getImage(frame.data(), bytes));
    QVERIFY(!camera->frameCountDelta(&frames));
    QCOMPARE(frames, 0);

    const std::vector<uint8_t> second = thermal::picture(thermal::Width, thermal::Height, 2);
    hcnetsim::sendPicture(thermal::cameraAddress(5), 1, thermal::Width, thermal::Height, second);
    QVERIFY(QTest::qWaitFor([&] { return camera->getImage(frame.data(), bytes); }, Timeout));
    QVERIFY(frame == converted(second, colour));
}

// stopGrab ends the stream, the player port and the conversion thread; startGrab plays again
// on a new port.
void HikIRCameraTest::stopAndStartAgain()
{
    thermal::addCamera(locals, 5, "SERIAL");
    std::unique_ptr<CameraInterface> camera = thermal::openCamera(0);
    QVERIFY(camera);
    std::vector<uchar> frame(size_t(thermal::Width * thermal::Height));
    const int bytes = int(frame.size());
    const std::vector<uint8_t> picture = thermal::picture(thermal::Width, thermal::Height, 3);
    for (int round = 0; round < 2; ++round) {
        QVERIFY(camera->startGrab());
        hcnetsim::sendPicture(thermal::cameraAddress(5), 1, thermal::Width, thermal::Height, picture);
        QVERIFY(QTest::qWaitFor([&] { return camera->getImage(frame.data(), bytes); }, Timeout));
        QVERIFY(QTest::qWaitFor([] { return hcnetsim::openPorts() == 1; }, Timeout));
        camera->stopGrab();
        camera->stopGrab();
        QCOMPARE(hcnetsim::livePlays(), 0);
        QCOMPARE(hcnetsim::openPorts(), 0);
        QVERIFY(camera->isConnected());
    }
    // Stopped: a picture the device sends waits for the next play, and is converted then.
    hcnetsim::sendPicture(thermal::cameraAddress(5), 1, thermal::Width, thermal::Height, picture);
    QVERIFY(!camera->getImage(frame.data(), bytes));
    QVERIFY(camera->startGrab());
    QVERIFY(QTest::qWaitFor([&] { return camera->getImage(frame.data(), bytes); }, Timeout));
    camera->stopGrab();

    camera->close();
    QVERIFY(!camera->isConnected());
    QCOMPARE(hcnetsim::activeLogins(), 0);
    QVERIFY(!camera->startGrab());
}

void HikIRCameraTest::picturesOfAnotherSizeAreDropped_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("length");
    QTest::newRow("larger than the camera's size") << 800 << 600 << 800 * 600 * 3 / 2;
    QTest::newRow("smaller than the camera's size") << 320 << 256 << 320 * 256 * 3 / 2;
    QTest::newRow("right size, too few bytes") << thermal::Width << thermal::Height << thermal::Width * thermal::Height;
}

// Only pictures of the size read at open become frames; the others are dropped whole, and the
// good picture after them arrives as the one new frame.
void HikIRCameraTest::picturesOfAnotherSizeAreDropped()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, length);
    thermal::addCamera(locals, 5, "SERIAL");
    std::unique_ptr<CameraInterface> camera = thermal::openCamera(0);
    QVERIFY(camera);
    QVERIFY(camera->startGrab());
    std::vector<uint8_t> wrong(size_t(length), 0xFF);
    hcnetsim::sendPicture(thermal::cameraAddress(5), 1, width, height, wrong);
    const std::vector<uint8_t> good = thermal::picture(thermal::Width, thermal::Height, 4);
    hcnetsim::sendPicture(thermal::cameraAddress(5), 1, thermal::Width, thermal::Height, good);

    std::vector<uchar> frame(size_t(thermal::Width * thermal::Height));
    QVERIFY(QTest::qWaitFor([&] { return camera->getImage(frame.data(), int(frame.size())); }, Timeout));
    QVERIFY(frame == converted(good, false));
    int frames = 0;
    camera->frameCountDelta(&frames);
    QCOMPARE(frames, 1);
}

// Connection reports move the online flag of the camera whose login they name, whichever camera
// opened last; a report for a camera that was destroyed reaches nobody.
void HikIRCameraTest::connectionReportsReachTheirOwnCamera()
{
    thermal::addCamera(locals, 5, "FIRST");
    thermal::addCamera(locals, 7, "SECOND");
    std::unique_ptr<CameraInterface> first = thermal::openCamera(0);
    std::unique_ptr<CameraInterface> second = thermal::openCamera(1);
    QVERIFY(first && second);

    const std::string address = thermal::cameraAddress(5);
    struct Step
    {
        uint32_t code;
        bool firstOnline;
    };
    const Step steps[] = {
        {EXCEPTION_PREVIEW_RECONNECT, false},
        {EXCEPTION_PREVIEW_RECONNECT, false},
        {EXCEPTION_INTERACTION, false},
        {PREVIEW_RECONNECT_SUCCESS, true},
        {USER_RELOGIN, true},
    };
    for (const Step &step : steps) {
        hcnetsim::raiseException(address, step.code);
        QVERIFY(hcnetsim::waitForReports(Timeout));
        QCOMPARE(first->isConnected(), step.firstOnline);
        QCOMPARE(first->reconnect(), step.firstOnline);
        QVERIFY(second->isConnected());
    }

    first.reset();
    hcnetsim::raiseException(address, EXCEPTION_PREVIEW_RECONNECT);
    hcnetsim::raiseException(thermal::cameraAddress(7), EXCEPTION_PREVIEW_RECONNECT);
    QVERIFY(hcnetsim::waitForReports(Timeout));
    QVERIFY(!second->isConnected());
}

// A record read back and written again goes with the driver's own record size, even when the
// device put another size into its first word, and is not written at all when it could not be
// read.
void HikIRCameraTest::writeBacksUseTheRecordsOwnSize()
{
    thermal::addCamera(locals, 5, "SERIAL");
    NET_DVR_RECORD_3368 record{};
    record.dwSize = 10000;
    record.byFlag = 7;
    record.byReserved2[0] = 42;
    hcnetsim::setRecord(thermal::cameraAddress(5), NET_DVR_GET_RECORD_3368, 1, thermal::bytesOf(record));
    NET_DVR_RECORD_3EA values{};
    values.dwSize = sizeof values;
    values.dwValue104 = 5;
    values.dwValue7676 = 6;
    values.byReserved1[0] = 9;
    hcnetsim::setRecord(thermal::cameraAddress(5), NET_DVR_GET_RECORD_3EA, 1, thermal::bytesOf(values));
    hcnetsim::failCommand(thermal::cameraAddress(5), NET_DVR_GET_RECORD_3305, true);
    hcnetsim::failCommand(thermal::cameraAddress(5), NET_DVR_GET_THERMOMETRY_BASICPARAM, true);
    std::unique_ptr<CameraInterface> camera = thermal::openCamera(0);
    QVERIFY(camera);

    const std::vector<hcnetsim::SetCall> written = thermal::writesOf(NET_DVR_SET_RECORD_3369);
    QCOMPARE(written.size(), size_t(1));
    NET_DVR_RECORD_3368 back;
    QVERIFY(thermal::decode(written.front(), back));
    QCOMPARE(int(back.byFlag), 0);
    QCOMPARE(int(back.byReserved2[0]), 42);
    QCOMPARE(back.dwSize, 10000u);

    // The reads that failed wrote nothing back, the others did.
    QVERIFY(thermal::writesOf(NET_DVR_SET_RECORD_3306).empty());
    QVERIFY(thermal::writesOf(NET_DVR_SET_THERMOMETRY_BASICPARAM).empty());
    const std::vector<hcnetsim::SetCall> cleared = thermal::writesOf(NET_DVR_SET_RECORD_3EB);
    QCOMPARE(cleared.size(), size_t(1));
    QVERIFY(thermal::decode(cleared.front(), values));
    QCOMPARE(values.dwValue104, 0u);
    QCOMPARE(values.dwValue7676, 0u);
    QCOMPARE(int(values.byReserved1[0]), 9);
}

QTEST_GUILESS_MAIN(HikIRCameraTest)
#include "tst_HikIRCamera.moc"
