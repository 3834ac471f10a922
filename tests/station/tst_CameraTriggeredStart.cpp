// Cycles started by the cameras' own trigger: the station on two grey devices of a simulated
// machine-vision SDK, seen through their driver, with camera-triggered frames (setting 323) on.

#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "tests/station/RunPasses.h"
#include "tests/station/StationHarness.h"

#include <QtTest>

namespace {

constexpr int Timeout = StationHarness::Timeout;
constexpr int CameraTriggered = Param::ExternalTrigger;
// Run passes that give the station time to act on what it pulled.
constexpr int SettlePasses = 5;

} // namespace

class CameraTriggeredStartTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyCameraTriggeredStartsOneCycle();
    void framesWithoutTriggerModeStartNone();

private:
    MoJuWizard *station() const { return harness.station(); }
    // Pulses camera c's trigger input and waits until its driver had the frame.
    bool pulse(int c);

    StationHarness harness{2, 0, StationHarness::Cameras::SdkDevices};
};

void CameraTriggeredStartTest::initTestCase()
{
    QVERIFY(harness.prepare());
}

void CameraTriggeredStartTest::init()
{
    QVERIFY(harness.start());
}

void CameraTriggeredStartTest::cleanup()
{
    harness.stop();
}

bool CameraTriggeredStartTest::pulse(int c)
{
    camsim::Device &device = harness.sdkDevice(c);
    const quint64 target = device.delivered() + 1;
    return device.pulseTriggerInput() && device.waitDelivered(target, Timeout);
}

void CameraTriggeredStartTest::everyCameraTriggeredStartsOneCycle()
{
    harness.settings()[CameraTriggered] = 1;
    for (int c = 0; c < 2; ++c) {
        station()->cameraViews[c]->ApplyTriggerMode(true);
        QVERIFY(station()->cameraViews[c]->triggerReady);
        QVERIFY(harness.sdkDevice(c).hardwareTrigger());
    }
    const int cycles = cycleTotalCount;
    const qint64 lastStart = station()->lastCycleStart;

    // One camera's frame is collected and waits for the other's.
    QVERIFY(pulse(1));
    QTRY_COMPARE_WITH_TIMEOUT(station()->newFrameMask, 0x2, Timeout);
    QVERIFY(runPassesEnded(station(), SettlePasses, Timeout));
    QCOMPARE(cycleTotalCount, cycles);
    QCOMPARE(station()->lastCycleStart, lastStart);

    QVERIFY(pulse(0));
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, cycles + 1, Timeout);
    QVERIFY(station()->lastCycleStart != lastStart);
    QCOMPARE(station()->newFrameMask, 0);
    // Both frames count for the cycle, also the one taken passes before it started: the good
    // frames pass.
    QVERIFY(station()->DisplayMode != 2);
    QVERIFY(runPassesEnded(station(), SettlePasses, Timeout));
    QCOMPARE(cycleTotalCount, cycles + 1);
}

// The station applies trigger mode off with the camera settings: frames in free run are
// collected but start nothing.
void CameraTriggeredStartTest::framesWithoutTriggerModeStartNone()
{
    harness.settings()[CameraTriggered] = 1;
    const int cycles = cycleTotalCount;
    for (int c = 0; c < 2; ++c) {
        QVERIFY(!station()->cameraViews[c]->triggerReady);
        camsim::Device &device = harness.sdkDevice(c);
        const quint64 target = device.delivered() + 1;
        QVERIFY(device.deliverFrames(1));
        QVERIFY(device.waitDelivered(target, Timeout));
    }
    QTRY_COMPARE_WITH_TIMEOUT(station()->newFrameMask, 0x3, Timeout);
    QVERIFY(runPassesEnded(station(), SettlePasses, Timeout));
    QCOMPARE(cycleTotalCount, cycles);
}

QTEST_MAIN(CameraTriggeredStartTest)
#include "tst_CameraTriggeredStart.moc"
