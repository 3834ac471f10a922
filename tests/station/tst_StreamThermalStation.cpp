// The station with a stream thermal camera served on loopback: discovery finds it by probing
// its addresses, its view shows the camera's palette frames, its temperature region becomes a
// measurement object of the camera, and mould cycles judge the region from the camera's
// answers.

#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "inspection/CammerSingleton.h"
#include "inspection/ClustomRect.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "tests/cameras/StreamThermalDevices.h"
#include "tests/cameras/ThermalDevices.h"
#include "tests/station/StationHarness.h"
#include "tests/station/ThermalRegion.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

constexpr int Timeout = StationHarness::Timeout;
constexpr int Width = 160;
constexpr int Height = 120;
// The camera answers at the second probed address.
constexpr int Host = 2;
using thermalcycle::CavityStage;
// The cavity stage's regions are measured by region objects, labelled by their number.
constexpr char RegionLabel[] = "R0";
constexpr char ValuePath[] = "/isp/instrument/objects/regions/R0?value";

} // namespace

class StreamThermalStationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void discoversAndShowsTheCamera();
    void judgedFromTheCamerasAnswers_data();
    void judgedFromTheCamerasAnswers();
    void failedAnswerIsAFailedMeasurement();

private:
    MoJuWizard *station() const { return harness.station(); }
    CammerWidget *view() const { return station()->cameraViews[0]; }

    // No frame-driven cameras of its own: the one camera is the stream thermal one.
    StationHarness harness{0, 1};
    std::unique_ptr<streamthermal::Camera> camera;
    std::vector<uint16_t> samples = streamthermal::ramp(Width, Height);
};

void StreamThermalStationTest::initTestCase()
{
    streamsim::reset();
    QVERIFY(harness.prepare());
    // After the harness, which points the probes at loopback addresses where nothing answers.
    camera = std::make_unique<streamthermal::Camera>(Host, Width, Height);
    QVERIFY(camera->rest.listening());
    QVERIFY(storeTemperatureRegion(Width, Height, CavityStage, QRect(QPoint(20, 30), QPoint(99, 89)),
                                   thermalcycle::LowerLimit, thermalcycle::UpperLimit, thermalcycle::MaximumKind));
}

void StreamThermalStationTest::init()
{
    // The camera streams one picture at about 25 frames a second.
    camera->sendFrame(samples, Width, Height);
    streamsim::repeatFrames(camera->host, FotricDevice::streamPort, 40);
    QVERIFY(harness.start());
    QTRY_VERIFY_WITH_TIMEOUT(view()->fps > 0, Timeout);
}

void StreamThermalStationTest::cleanup()
{
    harness.stop();
    camera->rest.setReply("GET", ValuePath, 404, std::string());
}

void StreamThermalStationTest::cleanupTestCase()
{
    camera.reset();
    streamsim::reset();
}

// Discovery finds the camera at its address; the view is built for the camera's size, shows
// its palette frames in grey and hands the temperature region to the camera as a region
// object over the rectangle's corners.
void StreamThermalStationTest::discoversAndShowsTheCamera()
{
    QCOMPARE(view()->driverIid, QStringLiteral("fotriccamera_IID"));
    QCOMPARE(view()->identity, QByteArray("127.0.2.1"));
    QVERIFY(view()->thermal);
    QCOMPARE(view()->imageWidth, Width);
    QCOMPARE(view()->imageHeight, Height);
    const std::vector<uchar> shown = streamthermal::greyReference(samples, Width, Height);
    QTRY_VERIFY_WITH_TIMEOUT(view()->cameraImage == shown, Timeout);

    const std::string object = camera->rest.object(std::string("regions/") + RegionLabel);
    QVERIFY(!object.empty());
    QVERIFY(object.find(R"("polygon":[{"x":20.0,"y":30.0},{"x":20.0,"y":89.0},{"x":99.0,"y":89.0},)"
                        R"({"x":99.0,"y":30.0}])") != std::string::npos);
    QVERIFY(object.find(R"("emissivity":0.95)") != std::string::npos);
}

void StreamThermalStationTest::judgedFromTheCamerasAnswers_data()
{
    thermalcycle::addLimitCases();
}

// A cycle judges the region by the hottest temperature the camera answers, against the
// region's limits.
void StreamThermalStationTest::judgedFromTheCamerasAnswers()
{
    QFETCH(double, maximum);
    QFETCH(bool, ok);
    thermalcycle::prepareCycle(harness);
    camera->rest.setReply("GET", ValuePath, 200,
                          R"({"avg":{"t":50},"max":{"t":)" + std::to_string(maximum) + R"(},"min":{"t":10}})");
    QCOMPARE(view()->QueryCamera(CavityStage, 0).value(QStringLiteral("value")).toDouble(), maximum);
    thermalcycle::checkJudgedCycle(harness, maximum, ok);
}

// A camera that cannot say the temperature gives none.
void StreamThermalStationTest::failedAnswerIsAFailedMeasurement()
{
    thermalcycle::checkFailedMeasurement(harness);
}

QTEST_MAIN(StreamThermalStationTest)
#include "tst_StreamThermalStation.moc"
