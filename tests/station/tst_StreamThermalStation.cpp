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
constexpr int LowerLimit = 40;
constexpr int UpperLimit = 80;
constexpr int MaximumKind = 2;

// The stage a mould-open cycle judges with the default settings; its regions are measured by
// region objects, labelled by their number.
constexpr int CavityStage = 1;
constexpr char RegionLabel[] = "R0";
constexpr char ValuePath[] = "/isp/instrument/objects/regions/R0?value";
constexpr int CaptureDelaySetting = Param::CaptureDelay + CavityStage;
constexpr int CaptureDelay = 3;

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
    QVERIFY(storeTemperatureRegion(Width, Height, CavityStage, QRect(QPoint(20, 30), QPoint(99, 89)), LowerLimit,
                                   UpperLimit, MaximumKind));
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
    QTest::addColumn<double>("maximum");
    QTest::addColumn<bool>("ok");
    QTest::newRow("inside the limits") << 61.0 << true;
    QTest::newRow("on the upper limit") << double(UpperLimit) << true;
    QTest::newRow("above the upper limit") << 95.0 << false;
    QTest::newRow("below the lower limit") << 20.0 << false;
}

// A cycle judges the region by the hottest temperature the camera answers, against the
// region's limits.
void StreamThermalStationTest::judgedFromTheCamerasAnswers()
{
    QFETCH(double, maximum);
    QFETCH(bool, ok);
    harness.settings()[CaptureDelaySetting] = CaptureDelay;
    camera->rest.setReply("GET", ValuePath, 200,
                          R"({"avg":{"t":50},"max":{"t":)" + std::to_string(maximum) + R"(},"min":{"t":10}})");
    QCOMPARE(view()->QueryCamera(CavityStage, 0).value(QStringLiteral("value")).toDouble(), maximum);
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QCOMPARE(cycleNgCount, ok ? 0 : 1);
    QCOMPARE(station()->DisplayMode, ok ? 1 : 2);
    QCOMPARE(view()->results->roiValue[CammerSingleton::slot(CavityStage, 0)], int(maximum));
    QCOMPARE(view()->results->roiOk[CavityStage][0], ok);
}

// A camera that cannot say the temperature gives none: the region is a failed measurement,
// NG, never a passing 0 degrees.
void StreamThermalStationTest::failedAnswerIsAFailedMeasurement()
{
    harness.settings()[CaptureDelaySetting] = CaptureDelay;
    QVERIFY(!view()->QueryCamera(CavityStage, 0).contains("value"));
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QCOMPARE(cycleNgCount, 1);
    QCOMPARE(station()->DisplayMode, 2);
    bool recorded = false;
    for (const QString &remark : StationHarness::recordRemarks())
        recorded = recorded || remark.startsWith(QStringLiteral("REG RUN ERROR = 0, %1").arg(CavityStage));
    QVERIFY(recorded);
}

QTEST_MAIN(StreamThermalStationTest)
#include "tst_StreamThermalStation.moc"
