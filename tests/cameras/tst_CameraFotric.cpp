// The stream thermal camera driver against a camera served on loopback and a raw stream on the
// simulated stream library: discovery of the answering host, opening, the palette frames, the
// measurement objects, the temperature queries, the instrument settings, and every way the
// camera's answers can go wrong.

#include "cameras/CameraFotric.h"
#include "cameras/FotricDevice.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "inspection/Circle.h"
#include "inspection/ClustomRect.h"
#include "inspection/DetectAlgorithm.h"
#include "inspection/FrameConversions.h"
#include "platform/restc/Restc.h"
#include "tests/cameras/StreamThermalDevices.h"
#include "tests/cameras/ThermalDevices.h"

#include <QElapsedTimer>
#include <QtTest>

#include <json/reader.h>

using namespace streamthermal;

namespace {

constexpr int Number = 2;
constexpr int Timeout = 10000;

ClustomRect *rectangle(int left, int top, int right, int bottom)
{
    auto *shape = new ClustomRect;
    shape->setCoords(left, top, right, bottom);
    return shape;
}

// A temperature region `region` of `stage` with emissivity 0.95, offset -3, reflected
// temperature 30 and the given kind; the stages before it are created empty.
void addTemperatureRegion(CammerSingleton &config, int stage, int region, ROIInterface *shape, int kind = 2)
{
    while (config.shapes.size() <= stage)
        config.shapes.append(QList<ROIInterface *>());
    QList<ROIInterface *> &list = config.shapes[stage];
    while (list.size() < region) {
        list.append(rectangle(1, 1, 5, 5));
        config.shapeType[CammerSingleton::slot(stage, list.size() - 1)] = RectangleShape;
    }
    list.append(shape);
    config.roiCount[stage] = list.size();
    const int slot = CammerSingleton::slot(stage, region);
    config.toolType[slot] = TemperatureTool;
    config.shapeType[slot] = shape->typeId();
    config.param1[slot] = thermal::packed(95, -3);
    config.param2[slot] = thermal::packed(40, kind);
    config.param3[slot] = thermal::packed(80, 30);
}

Json::Value parsed(const std::string &text)
{
    Json::Value value;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    reader->parse(text.data(), text.data() + text.size(), &value, &errors);
    return value;
}

QVariant queried(CameraInterface &camera, int stage, int region)
{
    QJsonObject request;
    request.insert(QStringLiteral("detect"), stage);
    request.insert(QStringLiteral("funcNO"), region);
    QVariant reply;
    camera.query(QVariant(request), &reply, 0);
    return reply.toJsonObject().value(QStringLiteral("value")).toVariant();
}

bool waitForFrame(CameraInterface &camera, std::vector<uchar> &frame)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < Timeout) {
        if (camera.getImage(frame.data(), int(frame.size())))
            return true;
        QTest::qWait(5);
    }
    return false;
}

// The devices' request time-out for one test; the default again afterwards.
struct RequestTimeout
{
    explicit RequestTimeout(int ms) { FotricDevice::requestTimeoutMs = ms; }
    ~RequestTimeout() { FotricDevice::requestTimeoutMs = RESTC_DEFAULT_TIMEOUT_MS; }
};

} // namespace

class CameraFotricTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void oneOfFourHostsAnswering();
    void openNeedsBootIdAndSize_data();
    void openNeedsBootIdAndSize();
    void silentCameraFailsAfterTheTimeout();
    void paletteStretchesEachFrame_data();
    void paletteStretchesEachFrame();
    void greyFramesMatchTheOpenCvReference();
    void colourFramesArePaletteColours();
    void framesOfAnotherSizeAreDropped();
    void streamStartsAgainAfterStop();
    void connectionFollowsPendingFrames();
    void measurementObjectsOnTheWire();
    void queryKinds_data();
    void queryKinds();
    void settersKeepTheOtherMembers_data();
    void settersKeepTheOtherMembers();
    void failedReadWritesNothing_data();
    void failedReadWritesNothing();
    void faultSwitchesNeverEndTheProgram_data();
    void faultSwitchesNeverEndTheProgram();
    void oneConnectionPerRequest();

private:
    SystemParameters settings;
};

void CameraFotricTest::init()
{
    streamsim::reset();
    settings = SystemParameters();
    currentParams = &settings;
}

void CameraFotricTest::cleanup()
{
    currentParams = nullptr;
    streamsim::reset();
}

// Only the third of the four probed hosts answers: one record, named by its address.
void CameraFotricTest::oneOfFourHostsAnswering()
{
    {
        Camera camera(3);
        QVERIFY(camera.rest.listening());
        const QList<CameraInfo> found = CameraFotric().enumerate();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().index, 0);
        QCOMPARE(found.first().channel, -1);
        QCOMPARE(found.first().iid, QStringLiteral("fotriccamera_IID"));
        QCOMPARE(found.first().nameBytes(), QByteArray("127.0.3.1"));
        QCOMPARE(found.first().textBytes(), QByteArray("127.0.3.1"));
        QVERIFY(found.first().kind.isEmpty());
        QCOMPARE(int(camera.rest.requestsTo("GET", "/admin/boot-id").size()), 1);

        std::unique_ptr<CameraInterface> opened = CameraFotric().create(found.first());
        QCOMPARE(opened->serial(), QStringLiteral("127.0.3.1"));
        QCOMPARE(int(opened->cameraType()), int(ThermalCameraType));
    }
    // The camera has gone: nothing answers at any of the four.
    QVERIFY(CameraFotric().enumerate().isEmpty());
}

void CameraFotricTest::openNeedsBootIdAndSize_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("opens");
    QTest::newRow("answering") << QByteArray() << 200 << QByteArray() << true;
    QTest::newRow("boot id 404") << QByteArray("/admin/boot-id") << 404 << QByteArray() << false;
    QTest::newRow("size 404") << QByteArray("/sensor/dimension") << 404 << QByteArray() << false;
    QTest::newRow("size as texts") << QByteArray("/sensor/dimension") << 200 << QByteArray(R"({"w":"64","h":"48"})")
                                   << false;
    QTest::newRow("size not an object") << QByteArray("/sensor/dimension") << 200 << QByteArray("[64,48]") << false;
    QTest::newRow("size zero") << QByteArray("/sensor/dimension") << 200 << QByteArray(R"({"w":0,"h":48})") << false;
    QTest::newRow("size malformed") << QByteArray("/sensor/dimension") << 200 << QByteArray(R"({"w":64,)") << false;
}

// A camera that does not answer its boot identity, or whose frame size is unknown, is not
// used; an opened one takes its size from the camera and sets automatic calibration.
void CameraFotricTest::openNeedsBootIdAndSize()
{
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, opens);
    Camera camera(1, 80, 60);
    if (!path.isEmpty()) {
        // Enumeration sees the camera; what follows is what open finds.
        CameraFotric prototype;
        const QList<CameraInfo> found = prototype.enumerate();
        QCOMPARE(found.size(), 1);
        camera.rest.setReply("GET", path.toStdString(), status, body.toStdString());
        std::unique_ptr<CameraInterface> device = prototype.create(found.first());
        QVERIFY(!device->open());
        QVERIFY(camera.rest.requestsTo("PUT", "/sensor/cali-mode").empty());
        return;
    }
    std::unique_ptr<CameraInterface> device = openCamera();
    QCOMPARE(bool(device), opens);
    int width = 0;
    int height = 0;
    device->getSize(&width, &height);
    QCOMPARE(width, 80);
    QCOMPARE(height, 60);
    const auto modes = camera.rest.requestsTo("PUT", "/sensor/cali-mode");
    QCOMPARE(int(modes.size()), 1);
    QCOMPARE(modes.front().body, std::string(R"("auto")"));
}

void CameraFotricTest::silentCameraFailsAfterTheTimeout()
{
    Camera camera(1);
    CameraFotric prototype;
    const QList<CameraInfo> found = prototype.enumerate();
    QCOMPARE(found.size(), 1);
    camera.rest.setFault(FakeThermalCamera::Fault::NeverAnswer);
    std::unique_ptr<CameraInterface> device = prototype.create(found.first());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!device->open());
    QVERIFY(clock.elapsed() >= FotricDevice::QuickTimeoutMs);
}

void CameraFotricTest::paletteStretchesEachFrame_data()
{
    QTest::addColumn<QVector<int>>("samples");
    QTest::addColumn<QVector<int>>("entries");
    QTest::newRow("all equal") << QVector<int>{1234, 1234, 1234} << QVector<int>{0, 0, 0};
    QTest::newRow("1000 to 2000") << QVector<int>{1000, 1500, 2000} << QVector<int>{0, 127, 255};
    QTest::newRow("full range") << QVector<int>{65535, 0, 1} << QVector<int>{255, 0, 0};
}

void CameraFotricTest::paletteStretchesEachFrame()
{
    QFETCH(QVector<int>, samples);
    QFETCH(QVector<int>, entries);
    std::vector<uint16_t> raw(samples.begin(), samples.end());
    std::vector<uchar> pixels(raw.size() * 4, 0xEE);
    CameraFotric::paletteMap(raw.data(), int(raw.size()), 1, thermalPalette, pixels.data());
    for (int i = 0; i < entries.size(); ++i) {
        const PaletteEntry &c = thermalPalette[size_t(entries[i])];
        QCOMPARE(pixels[size_t(i * 4)], c.blue);
        QCOMPARE(pixels[size_t(i * 4 + 1)], c.green);
        QCOMPARE(pixels[size_t(i * 4 + 2)], c.red);
        QCOMPARE(pixels[size_t(i * 4 + 3)], uchar(0));
    }
    // The palette's fixed rows.
    QCOMPARE(int(thermalPalette[0].blue), 20);
    QCOMPARE(int(thermalPalette[128].red), 220);
    QCOMPARE(int(thermalPalette[128].green), 114);
    QCOMPARE(int(thermalPalette[255].green), 230);
    QCOMPARE(int(thermalPalette[255].blue), 220);
}

void CameraFotricTest::greyFramesMatchTheOpenCvReference()
{
    Camera camera;
    std::unique_ptr<CameraInterface> device = openCamera();
    QVERIFY(device);
    QVERIFY(device->startGrab());
    std::vector<uint16_t> samples = ramp();
    // Some salt, so that the median has something to remove.
    for (size_t i = 0; i < samples.size(); i += 97)
        samples[i] = 5000;
    camera.sendFrame(samples);
    std::vector<uchar> frame(size_t(Width * Height));
    QVERIFY(waitForFrame(*device, frame));
    QCOMPARE(frame, greyReference(samples, Width, Height));
    int frames = 0;
    QVERIFY(device->frameCountDelta(&frames));
    QCOMPARE(frames, 1);
    device->close();
}

void CameraFotricTest::colourFramesArePaletteColours()
{
    Camera camera;
    std::unique_ptr<CameraInterface> device = openCamera(true);
    QVERIFY(device);
    QVERIFY(device->isColorOutput());
    device->startGrab();
    const std::vector<uint16_t> samples = ramp();
    camera.sendFrame(samples);
    std::vector<uchar> frame(size_t(Width * Height * 4));
    QVERIFY(waitForFrame(*device, frame));
    std::vector<uchar> expected(frame.size());
    CameraFotric::paletteMap(samples.data(), Width, Height, thermalPalette, expected.data());
    QCOMPARE(frame, expected);
    // The first sample is the coldest, the last the hottest.
    QCOMPARE(frame[2], thermalPalette[0].red);
    QCOMPARE(frame[frame.size() - 4], thermalPalette[255].blue);
}

// A frame whose size is not the camera's is never read past its end: it is dropped, and the
// next whole frame shows.
void CameraFotricTest::framesOfAnotherSizeAreDropped()
{
    Camera camera;
    std::unique_ptr<CameraInterface> device = openCamera();
    QVERIFY(device);
    device->startGrab();
    camera.sendFrame(ramp(Width + 1, Height), Width + 1, Height);
    camera.sendFrame(ramp(Width, Height / 2), Width, Height);
    camera.sendFrame(std::vector<uint16_t>(), Width, Height);
    streamsim::sendStatus(camera.host, FotricDevice::streamPort, STREAMSDK_STATUS_LOST);
    camera.sendFrame(ramp());
    std::vector<uchar> frame(size_t(Width * Height));
    QVERIFY(waitForFrame(*device, frame));
    int frames = 0;
    device->frameCountDelta(&frames);
    QCOMPARE(frames, 1);
}

void CameraFotricTest::streamStartsAgainAfterStop()
{
    Camera camera;
    camera.rest.setMaxPacketSize(1234);
    std::unique_ptr<CameraInterface> device = openCamera();
    QVERIFY(device);
    QVERIFY(device->startGrab());
    QVERIFY(device->startGrab());
    QCOMPARE(streamsim::liveStreams(), 1);
    device->stopGrab();
    QCOMPARE(streamsim::liveStreams(), 0);
    QVERIFY(device->startGrab());
    QCOMPARE(streamsim::liveStreams(), 1);
    const std::vector<streamsim::StartCall> starts = streamsim::startCalls();
    QCOMPARE(int(starts.size()), 2);
    QCOMPARE(starts.back().host, camera.host);
    QCOMPARE(starts.back().path, std::string("/video/raw"));
    QCOMPARE(starts.back().maxPacketSize, 1234);
    camera.sendFrame(ramp());
    std::vector<uchar> frame(size_t(Width * Height));
    QVERIFY(waitForFrame(*device, frame));
    device->close();
    QCOMPARE(streamsim::liveStreams(), 0);

    // No stream description: no stream, and grabbing still reports true.
    QVERIFY(device->open());
    camera.rest.setReply("GET", "/stream/video/raw", 200, R"({"max-packet-size":"large"})");
    QVERIFY(device->startGrab());
    QCOMPARE(streamsim::liveStreams(), 0);
}

// The watchdog's view: a pending frame answers twice, the third check finds the camera lost
// and drops the frame; the camera is back when a frame is pending again.
void CameraFotricTest::connectionFollowsPendingFrames()
{
    Camera camera;
    std::unique_ptr<CameraInterface> device = openCamera();
    QVERIFY(device);
    device->startGrab();
    QVERIFY(!device->reconnect());
    camera.sendFrame(ramp());
    QTRY_VERIFY_WITH_TIMEOUT(device->reconnect(), Timeout);
    QVERIFY(device->isConnected());
    QVERIFY(device->isConnected());
    QVERIFY(!device->isConnected());
    std::vector<uchar> frame(size_t(Width * Height));
    QVERIFY(!device->getImage(frame.data(), int(frame.size())));
    QVERIFY(!device->reconnect());
    camera.sendFrame(ramp());
    QTRY_VERIFY_WITH_TIMEOUT(device->reconnect(), Timeout);
    QVERIFY(device->isConnected());
}

// The exact bodies of a point and a region object; a circle and a region of a later stage get
// none. The distance goes in metres, as to the instrument configuration.
void CameraFotricTest::measurementObjectsOnTheWire()
{
    Camera camera;
    settings[Param::Gamma + Number] = 150;
    std::unique_ptr<CameraInterface> device = openCamera(false, Number);
    QVERIFY(device);
    CammerSingleton config(Number);
    auto *circle = new Circle;
    circle->setCoords(10, 10, 29, 29);
    addTemperatureRegion(config, 0, 0, circle);
    addTemperatureRegion(config, 0, 1, rectangle(10, 20, 109, 79));
    addTemperatureRegion(config, 1, 3, rectangle(10, 20, 109, 79));
    addTemperatureRegion(config, 2, 0, rectangle(10, 20, 109, 79));
    device->setConfig(QVariant::fromValue(&config), 0);

    QCOMPARE(camera.rest.object("points/P1"),
             std::string(R"({"alarm-t":100,"api-visible":true,"distance":1.5,"emissivity":0.95,"label":"P1",)"
                         R"("mb-slot":0,"offset":-3,"osd-visible":true,"pos":{"x":59,"y":49},"reflect-t":30})"));
    QCOMPARE(camera.rest.object("regions/R3"),
             std::string(R"({"alarm-t":100,"api-visible":true,"avg":true,"distance":1.5,"emissivity":0.95,)"
                         R"("label":"R3","layer":0,"max":true,"mb-slot":0,"min":true,"offset":-3,)"
                         R"("osd-visible":true,"polygon":[{"x":10.0,"y":20.0},{"x":10.0,"y":79.0},)"
                         R"({"x":109.0,"y":79.0},{"x":109.0,"y":20.0}],"reflect-t":30})"));
    int objects = 0;
    for (const FakeThermalCamera::Request &r : camera.rest.requests())
        objects += r.path.rfind("/isp/instrument/objects/", 0) == 0 ? 1 : 0;
    QCOMPARE(objects, 2);

    // The distance of the camera's own setting, not of camera 0.
    QVERIFY(device->open());
    device->setCameraNumber(0);
    device->setConfig(QVariant::fromValue(&config), 0);
    QCOMPARE(parsed(camera.rest.object("points/P1"))["distance"].asDouble(), 0.0);
    // Not a configuration: nothing is sent.
    camera.rest.clearRecords();
    device->setConfig(QVariant(5), 0);
    device->setConfig(QVariant::fromValue(&config), 1);
    QVERIFY(camera.rest.requests().empty());
}

void CameraFotricTest::queryKinds_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("region");
    QTest::addColumn<QByteArray>("replyPath");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QVariant>("value");
    const QVariant none;
    QTest::newRow("point") << 0 << 0 << QByteArray() << QByteArray() << QVariant(41.5);
    QTest::newRow("region average") << 1 << 0 << QByteArray() << QByteArray() << QVariant(50.0);
    QTest::newRow("region maximum") << 1 << 1 << QByteArray() << QByteArray() << QVariant(60.0);
    QTest::newRow("region minimum") << 1 << 2 << QByteArray() << QByteArray() << QVariant(40.0);
    QTest::newRow("not a temperature object") << 1 << 7 << QByteArray() << QByteArray() << none;
    QTest::newRow("later stage") << 2 << 0 << QByteArray() << QByteArray() << none;
    QTest::newRow("point 404") << 0 << 0 << QByteArray("points/P0") << QByteArray("404") << none;
    QTest::newRow("temperature as text") << 0 << 0 << QByteArray("points/P0") << QByteArray(R"({"t":"41.5"})") << none;
    QTest::newRow("temperature as boolean") << 0 << 0 << QByteArray("points/P0") << QByteArray(R"({"t":true})") << none;
    QTest::newRow("reply not an object") << 0 << 0 << QByteArray("points/P0") << QByteArray("[41.5]") << none;
    QTest::newRow("maximum not an object") << 1 << 1 << QByteArray("regions/R1") << QByteArray(R"({"max":60})") << none;
    QTest::newRow("malformed") << 1 << 1 << QByteArray("regions/R1") << QByteArray(R"({"max":{"t":)") << none;
    QTest::newRow("reply too long") << 1 << 1 << QByteArray("regions/R1")
                                    << QByteArray(R"({"max":{"t":60},"pad":")") + QByteArray(1100, 'p') + "\"}" << none;
}

// Each temperature kind reads its member of the camera's answer; anything else is an answer
// without a value, never a temperature of 0.
void CameraFotricTest::queryKinds()
{
    QFETCH(int, stage);
    QFETCH(int, region);
    QFETCH(QByteArray, replyPath);
    QFETCH(QByteArray, reply);
    QFETCH(QVariant, value);
    Camera camera;
    std::unique_ptr<CameraInterface> device = openCamera(false, Number);
    QVERIFY(device);
    CammerSingleton config(Number);
    addTemperatureRegion(config, 0, 0, rectangle(10, 10, 49, 49));
    for (int j = 0; j < 3; ++j)
        addTemperatureRegion(config, 1, j, rectangle(10, 10, 49, 49), j + 1);
    addTemperatureRegion(config, 2, 0, rectangle(10, 10, 49, 49));
    device->setConfig(QVariant::fromValue(&config), 0);
    camera.rest.setPointTemperature("P0", 41.5);
    for (const char *label : {"R0", "R1", "R2", "R7"})
        camera.rest.setRegionTemperatures(label, 50, 60, 40);
    if (!replyPath.isEmpty()) {
        const std::string path = "/isp/instrument/objects/" + replyPath.toStdString() + "?value";
        if (reply == "404")
            camera.rest.setReply("GET", path, 404, std::string());
        else
            camera.rest.setReply("GET", path, 200, reply.toStdString());
    }
    QCOMPARE(queried(*device, stage, region), value);
}

void CameraFotricTest::settersKeepTheOtherMembers_data()
{
    QTest::addColumn<int>("setter");
    QTest::addColumn<int>("level");
    QTest::addColumn<QByteArray>("member");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("emissivity") << 0 << 95 << QByteArray("emissivity") << QByteArray("0.95");
    QTest::newRow("reflected temperature") << 1 << 30 << QByteArray("reflect-t") << QByteArray("30");
    QTest::newRow("ambient temperature") << 2 << -5 << QByteArray("ambient-t") << QByteArray("-5");
    QTest::newRow("distance") << 3 << 150 << QByteArray("distance") << QByteArray("1.5");
}

void CameraFotricTest::settersKeepTheOtherMembers()
{
    QFETCH(int, setter);
    QFETCH(int, level);
    QFETCH(QByteArray, member);
    QFETCH(QByteArray, written);
    Camera camera;
    std::unique_ptr<CameraInterface> device = openCamera();
    QVERIFY(device);
    const Json::Value before = parsed(camera.rest.instrument());
    switch (setter) {
    case 0: device->setExposure(level); break;
    case 1: device->setGain(level); break;
    case 2: device->setSharpness(level); break;
    default: device->setGamma(level); break;
    }
    const auto puts = camera.rest.requestsTo("PUT", "/isp/instrument/jconfig");
    QCOMPARE(int(puts.size()), 1);
    QVERIFY(puts.front().body.find("\"" + member.toStdString() + "\":" + written.toStdString()) != std::string::npos);
    Json::Value expected = before;
    expected[member.constData()] = parsed(written.toStdString());
    QVERIFY(parsed(camera.rest.instrument()) == expected);

    // Contrast has no counterpart on this camera.
    camera.rest.clearRecords();
    device->setContrast(2);
    QVERIFY(camera.rest.requests().empty());
}

void CameraFotricTest::failedReadWritesNothing_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("404") << 404 << QByteArray();
    QTest::newRow("malformed") << 200 << QByteArray(R"({"emissivity":)");
    QTest::newRow("not an object") << 200 << QByteArray(R"(["emissivity",0.9])");
    QTest::newRow("empty") << 200 << QByteArray();
}

// A configuration that could not be read is not written back with one member in it, which
// would reset the rest of the camera's configuration.
void CameraFotricTest::failedReadWritesNothing()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    Camera camera;
    std::unique_ptr<CameraInterface> device = openCamera();
    QVERIFY(device);
    const std::string before = camera.rest.instrument();
    camera.rest.setReply("GET", "/isp/instrument/jconfig", status, body.toStdString());
    device->setExposure(90);
    device->setGamma(300);
    QCOMPARE(int(camera.rest.requestsTo("GET", "/isp/instrument/jconfig").size()), 2);
    QVERIFY(camera.rest.requestsTo("PUT", "/isp/instrument/jconfig").empty());
    QCOMPARE(camera.rest.instrument(), before);
}

void CameraFotricTest::faultSwitchesNeverEndTheProgram_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    // A configuration that is an object goes back with the one member replaced, whatever
    // types its other members have.
    QTest::addColumn<bool>("configWritten");
    const int none = int(FakeThermalCamera::Fault::None);
    QTest::newRow("404") << none << 404 << QByteArray() << false;
    QTest::newRow("malformed JSON") << none << 200 << QByteArray(R"({"t":{)") << false;
    QTest::newRow("wrong JSON types") << none << 200
                                      << QByteArray(R"({"t":"hot","avg":[],"max":"x","min":{"t":null},)"
                                                    R"("max-packet-size":"big","w":true,"h":{}})")
                                      << true;
    QTest::newRow("a JSON array") << none << 200 << QByteArray(R"([{"t":1}])") << false;
    QTest::newRow("a JSON number") << none << 200 << QByteArray("42") << false;
    QTest::newRow("reply over 1024 bytes") << none << 200 << QByteArray(R"({"t":1,"p":")") + QByteArray(2000, 'p') + "\"}" << false;
    QTest::newRow("close in mid-reply") << int(FakeThermalCamera::Fault::CloseMidReply) << 200
                                        << QByteArray(R"({"t":1,"max":{"t":2}})") << false;
    QTest::newRow("delay past the time-out") << int(FakeThermalCamera::Fault::Delay) << 200
                                             << QByteArray(R"({"t":1,"max":{"t":2}})") << false;
}

// With the camera answering every request of the measurement and the settings in one broken
// way, every operation returns, no value is made up and nothing is written back.
void CameraFotricTest::faultSwitchesNeverEndTheProgram()
{
    QFETCH(int, fault);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, configWritten);
    Camera camera;
    std::unique_ptr<CameraInterface> device = openCamera();
    QVERIFY(device);
    CammerSingleton config(0);
    addTemperatureRegion(config, 0, 0, rectangle(10, 10, 49, 49));
    addTemperatureRegion(config, 1, 0, rectangle(10, 10, 49, 49));

    const std::string body8 = body.toStdString();
    for (const char *method : {"GET", "PUT", "POST"}) {
        for (const char *path : {"/isp/instrument/jconfig", "/isp/instrument/objects/points/P0",
                                 "/isp/instrument/objects/regions/R0", "/isp/instrument/objects/points/P0?value",
                                 "/isp/instrument/objects/regions/R0?value", "/sensor/cali", "/stream/video/raw"})
            camera.rest.setReply(method, path, status, body8);
    }
    // Past the time-out of every request the camera answers late. The row of late answers waits
    // out a time-out per request: a short one keeps that from taking the client's default.
    const bool late = FakeThermalCamera::Fault(fault) == FakeThermalCamera::Fault::Delay;
    const RequestTimeout timeout(late ? 500 : RESTC_DEFAULT_TIMEOUT_MS);
    camera.rest.setFault(FakeThermalCamera::Fault(fault), "/isp/instrument/", FotricDevice::requestTimeoutMs + 1000);

    device->setConfig(QVariant::fromValue(&config), 0);
    QVERIFY(!queried(*device, 0, 0).isValid());
    QVERIFY(!queried(*device, 1, 0).isValid());
    device->setExposure(90);
    QCOMPARE(camera.rest.requestsTo("PUT", "/isp/instrument/jconfig").empty(), !configWritten);
    QVERIFY(device->autoAdjust(true).isEmpty());
    QVERIFY(device->startGrab());
    device->stopGrab();
}

void CameraFotricTest::oneConnectionPerRequest()
{
    Camera camera;
    std::unique_ptr<CameraInterface> device = openCamera(false, Number);
    QVERIFY(device);
    CammerSingleton config(Number);
    addTemperatureRegion(config, 0, 0, rectangle(10, 10, 49, 49));
    addTemperatureRegion(config, 1, 0, rectangle(10, 10, 49, 49));
    device->setConfig(QVariant::fromValue(&config), 0);
    camera.rest.setPointTemperature("P0", 20);
    QCOMPARE(queried(*device, 0, 0), QVariant(20.0));
    device->setGain(25);
    device->autoAdjust(true);
    device->autoAdjust(false);
    device->startGrab();
    // dimension and boot id twice (enumeration, open), calibration mode, two objects, one
    // value, the configuration read and written, one calibration, the stream description.
    QCOMPARE(int(camera.rest.requests().size()), 12);
    QCOMPARE(camera.rest.connections(), 12);
    QCOMPARE(int(camera.rest.requestsTo("POST", "/sensor/cali").size()), 1);
    QCOMPARE(camera.rest.requestsTo("POST", "/sensor/cali").front().body, std::string("null"));
}

QTEST_MAIN(CameraFotricTest)
#include "tst_CameraFotric.moc"
