// The station with a network thermal camera on the simulated network SDK: discovery finds it
// before any other family, its view shows the camera's frames, its temperature region becomes
// a rule of the camera, and mould cycles judge the region from the camera's reports.

#include "cameras/Yuv420Conversion.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "inspection/CammerSingleton.h"
#include "inspection/ClustomRect.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "tests/cameras/ThermalDevices.h"
#include "tests/station/StationHarness.h"
#include "tests/station/ThermalRegion.h"

#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

namespace {

constexpr int Timeout = StationHarness::Timeout;
constexpr int Subnet = 3;
using thermalcycle::CavityStage;
// The cavity stage's first region's rule: the camera measures it over the rectangle's corners.
constexpr int Rule = 11;

} // namespace

class ThermalStationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void discoversAndShowsTheThermalCamera();
    void judgedFromTheCamerasReports_data();
    void judgedFromTheCamerasReports();
    void noReadingIsAFailedMeasurement();

private:
    MoJuWizard *station() const { return harness.station(); }
    CammerWidget *view() const { return station()->cameraViews[0]; }
    // The camera reports the region's rule with this maximum about every 200 ms from now on.
    void keepReporting(float maximum);

    // No frame-driven cameras of its own: the one camera is the thermal one.
    StationHarness harness{0, 1};
    QTimer reports;
    std::vector<std::string> locals;
};

void ThermalStationTest::initTestCase()
{
    hcnetsim::reset();
    thermal::addCamera(locals, Subnet, "THERMAL-0001");
    QVERIFY(harness.prepare());
    QVERIFY(storeTemperatureRegion(thermal::Width, thermal::Height, CavityStage, QRect(QPoint(100, 100), QPoint(299, 199)),
                                   thermalcycle::LowerLimit, thermalcycle::UpperLimit, thermalcycle::MaximumKind));
}

void ThermalStationTest::init()
{
    // The camera streams its picture at about 25 frames a second.
    const std::string address = thermal::cameraAddress(Subnet);
    hcnetsim::sendPicture(address, 1, thermal::Width, thermal::Height, thermal::picture(thermal::Width, thermal::Height, 1));
    hcnetsim::repeatPictures(address, 1, 40);
    QVERIFY(harness.start());
    // Frames flow once the player has decoded the first pictures; a cycle needs them.
    QTRY_VERIFY_WITH_TIMEOUT(view()->fps > 0, Timeout);
}

void ThermalStationTest::cleanup()
{
    reports.stop();
    reports.disconnect();
    harness.stop();
}

void ThermalStationTest::cleanupTestCase()
{
    hcnetsim::reset();
}

void ThermalStationTest::keepReporting(float maximum)
{
    const auto send = [maximum] {
        hcnetsim::reportThermometry(thermal::cameraAddress(Subnet), 1,
                                    thermal::boxReport(Rule, maximum - 10, maximum - 5, maximum, {0.25f, 0.5f}, {0.5f, 0.5f}));
    };
    connect(&reports, &QTimer::timeout, this, send);
    send();
    reports.start(200);
}

// Discovery asks the thermal family first; the view is built for the camera's own size, shows
// its frames, and hands the temperature region to the camera as a box rule over its corners.
void ThermalStationTest::discoversAndShowsTheThermalCamera()
{
    QCOMPARE(view()->driverIid, QStringLiteral("hikircamera_IID"));
    QCOMPARE(view()->identity, QByteArray("THERMAL-0001"));
    QVERIFY(view()->thermal);
    QCOMPARE(view()->imageWidth, thermal::Width);
    QCOMPARE(view()->imageHeight, thermal::Height);
    std::vector<uchar> shown(size_t(thermal::Width * thermal::Height));
    yuv420ToGray(thermal::picture(thermal::Width, thermal::Height, 1).data(), shown.data(), thermal::Width,
                 thermal::Height);
    QTRY_VERIFY_WITH_TIMEOUT(view()->cameraImage == shown, Timeout);

    const std::vector<hcnetsim::SetCall> rules = thermal::writesOf(NET_DVR_SET_THERMOMETRY_PRESETINFO);
    QVERIFY(!rules.empty());
    NET_DVR_THERMOMETRY_PRESETINFO preset;
    QVERIFY(thermal::decode(rules.back(), preset));
    const NET_DVR_THERMOMETRY_PRESETINFO_PARAM &rule = preset.struPresetInfo[Rule - 1];
    QCOMPARE(int(rule.byEnabled), 1);
    QCOMPARE(int(rule.byRuleCalibType), 1);
    QCOMPARE(int(rule.struRegion.dwPointNum), 4);
    QCOMPARE(rule.struRegion.struPos[2].fX, float(299.0 / thermal::Width));
    QCOMPARE(rule.struRegion.struPos[2].fY, float(199.0 / thermal::Height));
    QCOMPARE(rule.fEmissivity, 0.95f);
}

void ThermalStationTest::judgedFromTheCamerasReports_data()
{
    thermalcycle::addLimitCases();
}

// A cycle judges the region by the hottest temperature the camera reports, against the
// region's limits; the value reaches the view's results and the station's measurements.
void ThermalStationTest::judgedFromTheCamerasReports()
{
    QFETCH(double, maximum);
    QFETCH(bool, ok);
    thermalcycle::prepareCycle(harness);
    keepReporting(float(maximum));
    QTRY_VERIFY_WITH_TIMEOUT(view()->QueryCamera(CavityStage, 0).contains("value"), Timeout);
    thermalcycle::checkJudgedCycle(harness, maximum, ok);
    QCOMPARE(station()->measurementValues, QVector<int>{int(maximum)});
}

// A camera that reports nothing gives no temperature.
void ThermalStationTest::noReadingIsAFailedMeasurement()
{
    thermalcycle::checkFailedMeasurement(harness);
    QVERIFY(station()->measurementValues.isEmpty());
}

QTEST_MAIN(ThermalStationTest)
#include "tst_ThermalStation.moc"
