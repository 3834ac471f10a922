// The mould cycle end to end: inputs on the I/O board's pseudo-terminal, the station in this
// process, outputs read back from the frames the board receives, registers through a Modbus
// master, counts from "count.txt" and rows from the operation record.

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/TemperatureChartData.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "machineio/IOThread.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "tests/station/RunPasses.h"
#include "tests/station/StationHarness.h"
#include "tests/support/ModalAnswerer.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"

#include <QtTest>

#include <chrono>


namespace {

constexpr int Idle = 0x3FF;          // every output at its idle level (the default levels are 1)
constexpr int CloseForbidden = 0x001; // output 1 on: its bit leaves the idle level
constexpr int EjectorOn = 0x002;      // output 2
constexpr int AlarmOn = 0x004;        // output 3
constexpr int Timeout = StationHarness::Timeout;

// "count.txt" with the given counts of camera 1 and of the cycles, the other cameras at 0.
QString countLine(int total, int ng)
{
    QString line = QStringLiteral("%1 %2 ").arg(total).arg(ng);
    for (int c = 1; c < 8; ++c)
        line += QStringLiteral("0 0 ");
    return line + QStringLiteral("%1 %2 ").arg(total).arg(ng);
}

// Registers 50 to 61 for one camera: cycles, NG cycles, good cycles, then the camera's own.
QVector<int> counterRegisters(int total, int ng)
{
    return {0, total, 0, ng, 0, total - ng, 0, total, 0, ng, 0, total - ng};
}

QString alarmRemark()
{
    QString remark = uiText(151).arg(1);
    remark.chop(1);
    return remark + uiText(152);
}

// The output words the board saw end with the expected ones, in order.
bool endsWith(const QVector<int> &words, const QVector<int> &tail)
{
    return words.size() >= tail.size() && words.mid(words.size() - tail.size()) == tail;
}

QString hexWords(const QVector<int> &words)
{
    QStringList texts;
    for (int word : words)
        texts << QString::number(word, 16);
    return texts.join(QLatin1Char(' '));
}

} // namespace

class MouldCycleTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void okCycle();
    void ngCycleLatchesUntilDoorWithGoodImage_data();
    void ngCycleLatchesUntilDoorWithGoodImage();
    void debounce();
    void cavityRecheck_data();
    void cavityRecheck();
    void twoStagesWithTheirDelays();
    void pulseMode_data();
    void pulseMode();
    void manualCaptureWaitsForCaptureDelay();
    void slowCameraJudgedOnAFreshFrame();
    void unjudgedCameraIsStoredAsNg();
    void cameraLostMidCycleThenBack();
    void noSignalWatchdog();
    void samplingEndsOnce();
    void modalBoxInsidePass();
    void alarmPulseReachesBoard();

private:
    bool openMould() { return harness.openMould(); }
    // What makes a cycle NG.
    enum NgCause { PartLeft, FrozenCamera };
    void setCause(NgCause cause, bool present);
    MoJuWizard *station() const { return harness.station(); }
    CammerWidget *view() const { return station()->cameraViews[0]; }

    StationHarness harness;
};

void MouldCycleTest::initTestCase()
{
    QVERIFY(harness.prepare());
}

void MouldCycleTest::init()
{
    QVERIFY(harness.start());
}

void MouldCycleTest::cleanup()
{
    harness.stop();
}

void MouldCycleTest::setCause(NgCause cause, bool present)
{
    CycleCameraControl &camera = harness.camera(0);
    switch (cause) {
    case PartLeft:
        camera.frame = present ? harness.partFrame(0) : harness.goodFrame(0);
        break;
    case FrozenCamera:
        camera.streaming = !present;
        break;
    }
}

// Output 1 holds the mould for the capture delay and lets it go after an OK verdict; the
// verdict and the counts reach the registers and "count.txt".
void MouldCycleTest::okCycle()
{
    harness.settings()[Param::CaptureDelay + 1] = 5;
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle, Timeout);
    const QVector<int> words = harness.outputWords();
    QVERIFY2(endsWith(words, {Idle, Idle & ~CloseForbidden, Idle}), qPrintable(hexWords(words)));

    QCOMPARE(station()->RunState, 1);
    QCOMPARE(station()->DisplayMode, 1);
    QCOMPARE(harness.readRegisters(0, 2), (QVector<int>{1, 0}));
    QCOMPARE(harness.readRegisters(50, 12), counterRegisters(1, 0));
    QCOMPARE(harness.readRegisters(150, 6), (QVector<int>{1, 1, 1, 1, 1, 1}));
    QCOMPARE(StationHarness::countText(), countLine(1, 0));
    QVERIFY(!StationHarness::recordRemarks().contains(alarmRemark()));
}

void MouldCycleTest::ngCycleLatchesUntilDoorWithGoodImage_data()
{
    QTest::addColumn<int>("cause");
    QTest::newRow("part left in the cavity") << int(PartLeft);
    QTest::newRow("camera delivers no new frame") << int(FrozenCamera);
}

// An NG latches the alarm: the mould stays forbidden, the alarm output is on, register 1 tells
// the host, the record has a row, and further cycle starts are ignored. The safety door has the
// images examined again: with the cause still there the alarm stays, once it is gone the alarm
// is released in that very pass.
void MouldCycleTest::ngCycleLatchesUntilDoorWithGoodImage()
{
    QFETCH(int, cause);
    harness.settings()[Param::CaptureDelay + 1] = 3;
    setCause(NgCause(cause), true);
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 2, Timeout);
    QCOMPARE(station()->RunState, 3);
    QCOMPARE(harness.regionPage.entered, 1);
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle & ~CloseForbidden & ~AlarmOn, Timeout);
    QCOMPARE(harness.readRegister(1), 2);
    QCOMPARE(harness.readRegisters(150, 4), (QVector<int>{2, 2, 1, 2}));
    QCOMPARE(harness.readRegisters(50, 12), counterRegisters(1, 1));
    QCOMPARE(StationHarness::countText(), countLine(1, 1));
    QCOMPARE(StationHarness::recordRemarks().count(alarmRemark()), 1);

    // A new cycle start while latched changes nothing.
    const qint64 start = station()->lastCycleStart;
    QVERIFY(openMould());
    QCOMPARE(station()->lastCycleStart, start);
    QCOMPARE(station()->DisplayMode, 2);
    QCOMPARE(cycleTotalCount, 1);

    // The door with the cause still there: examined again, still latched, not counted again.
    harness.setInput(1, true);
    QTRY_COMPARE_WITH_TIMEOUT(harness.regionPage.rechecks, 1, Timeout);
    QCOMPARE(station()->DisplayMode, 2);
    QCOMPARE(harness.readRegister(1), 2);
    QCOMPARE(cycleTotalCount, 1);
    harness.setInput(1, false);
    QTRY_VERIFY_WITH_TIMEOUT(!controlPort->GetIOState(false, 1), Timeout);

    // The cause removed: the door releases the alarm in the pass that sees it.
    setCause(NgCause(cause), false);
    harness.setInput(1, true);
    QTRY_COMPARE_WITH_TIMEOUT(harness.regionPage.rechecks, 2, Timeout);
    // Released; the OK verdict is on display.
    QCOMPARE(station()->DisplayMode, 1);
    QCOMPARE(station()->RunState, 1);
    QCOMPARE(harness.regionPage.closed, 1);
    QCOMPARE(harness.readRegister(1), 0);
    QCOMPARE(harness.readRegisters(150, 4), (QVector<int>{1, 1, 1, 1}));
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle, Timeout);
    QCOMPARE(harness.readRegisters(50, 12), counterRegisters(1, 1));
    QCOMPARE(StationHarness::countText(), countLine(1, 1));

    // Cycles run again.
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 2, Timeout);
    QCOMPARE(cycleNgCount, 1);
}

// An edge counts only when its input is still active after the debounce time; an input held
// high starts one cycle.
void MouldCycleTest::debounce()
{
    harness.settings()[Param::DebounceSteps] = 3;
    harness.setInput(0, true);
    QTRY_VERIFY_WITH_TIMEOUT(controlPort->GetIOState(false, 0), Timeout);
    harness.setInput(0, false);
    QTRY_VERIFY_WITH_TIMEOUT(!controlPort->GetIOState(false, 0), Timeout);
    // Long past the debounce time.
    QVERIFY(runPassesEnded(station(), 10, Timeout));
    QCOMPARE(cycleTotalCount, 0);

    harness.setInput(0, true);
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QVERIFY(runPassesEnded(station(), 10, Timeout));
    QCOMPARE(cycleTotalCount, 1);
}

void MouldCycleTest::cavityRecheck_data()
{
    QTest::addColumn<int>("cause");
    QTest::addColumn<int>("ngJudgements");
    QTest::addColumn<int>("ngCycles");
    QTest::addColumn<int>("alarm");
    QTest::newRow("part: NG, NG, OK") << int(PartLeft) << 2 << 0 << 0;
    QTest::newRow("part: NG three times") << int(PartLeft) << 3 << 1 << 2;
    QTest::newRow("frozen camera: NG, NG, OK") << int(FrozenCamera) << 2 << 0 << 0;
}

// With two re-checks, a cavity NG is judged again on the next passes; only the third NG
// latches, and the cycle is counted once, with its final verdict.
void MouldCycleTest::cavityRecheck()
{
    QFETCH(int, cause);
    QFETCH(int, ngJudgements);
    QFETCH(int, ngCycles);
    QFETCH(int, alarm);
    harness.settings()[Param::CavityRechecks] = 2;
    MoJuWizard *window = station();
    CycleCameraControl &camera = harness.camera(0);
    // Each judgement sees the frame of its own pass; the station's re-check count tells which.
    camera.source = [this, window, &camera, cause, ngJudgements] {
        const int judged = window->recheckPending ? 3 - window->recheckRemaining[1] : 0;
        setCause(NgCause(cause), judged < ngJudgements);
        return camera.frame;
    };
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QCOMPARE(cycleNgCount, ngCycles);
    QCOMPARE(window->recheckRemaining[1], 0);
    QCOMPARE(harness.readRegister(1), alarm);
    QCOMPARE(window->DisplayMode, alarm ? 2 : 1);
    QCOMPARE(StationHarness::recordRemarks().count(alarmRemark()), ngCycles);
    QCOMPARE(StationHarness::countText(), countLine(1, ngCycles));
}

// The product stage is captured after its delay and the cavity stage after both delays; the
// ejector is held until the product stage passes, the mould until the cavity stage passes.
void MouldCycleTest::twoStagesWithTheirDelays()
{
    // The product stage is prepared when the station is built.
    harness.stop();
    SystemParameters &p = harness.settings();
    p[Param::ProductStage] = 1;
    p[Param::StageEnabled] = 1;
    p[Param::CaptureDelay] = 3;
    p[Param::CaptureDelay + 1] = 5;
    QVERIFY(harness.start());
    // The mould-open input is low: openMould() sends the edge at once.
    const qint64 edgeSentMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch()).count();
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle, Timeout);
    const QVector<int> words = harness.outputWords();
    QVERIFY2(endsWith(words, {Idle, Idle & ~CloseForbidden & ~EjectorOn, Idle & ~CloseForbidden, Idle}),
             qPrintable(hexWords(words)));
    QCOMPARE(StationHarness::countText(), countLine(1, 0));
    // The product stage releases the ejector after its 0.3 s; the cavity stage's delay counts
    // on from there, so the mould is released 0.8 s after the mould-open edge. Lower bounds
    // from the moment the edge was sent, which is before the station saw it, less the 5 % a
    // coarse Qt timer may fire early.
    const QVector<qint64> changes = harness.outputWordTimesMs();
    QCOMPARE(changes.size(), words.size());
    const qint64 ejectorReleased = changes.at(changes.size() - 2) - edgeSentMs;
    const qint64 mouldReleased = changes.at(changes.size() - 1) - edgeSentMs;
    QVERIFY2(ejectorReleased >= 285, qPrintable(QString::number(ejectorReleased)));
    QVERIFY2(mouldReleased >= 760, qPrintable(QString::number(mouldReleased)));
}

void MouldCycleTest::pulseMode_data()
{
    QTest::addColumn<bool>("ng");
    QTest::addColumn<int>("pulse");
    QTest::newRow("OK: ejector pulse") << false << (Idle & ~EjectorOn);
    QTest::newRow("NG: mould and alarm pulse, no latch") << true << (Idle & ~CloseForbidden & ~AlarmOn);
}

// In pulse mode a verdict gives a pulse of the clamp-pulse length and never latches.
void MouldCycleTest::pulseMode()
{
    QFETCH(bool, ng);
    QFETCH(int, pulse);
    SystemParameters &p = harness.settings();
    p[Param::PulseMode] = 1;
    p[Param::ClampPulse] = 2;
    setCause(PartLeft, ng);
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle, Timeout);
    const QVector<int> words = harness.outputWords();
    QVERIFY2(endsWith(words, {Idle, pulse, Idle}), qPrintable(hexWords(words)));
    QCOMPARE(cycleNgCount, ng ? 1 : 0);
    QCOMPARE(station()->DisplayMode, 1);
    QCOMPARE(harness.readRegister(1), 0);
}

// A manual capture asked for while a capture delay runs waits for its end: the cycle's own
// verdict is counted, the manual one is not.
void MouldCycleTest::manualCaptureWaitsForCaptureDelay()
{
    harness.settings()[Param::CaptureDelay + 1] = 10;
    // The cycle's capture sees the good frame; the frames after its verdict show a part, so
    // the manual capture, taken after the delay, is NG.
    harness.camera(0).source = [this] { return cycleTotalCount == 0 ? harness.goodFrame(0) : harness.partFrame(0); };
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(station()->cyclePhase, 1, Timeout);
    station()->manualStage = 1;
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(station()->manualStage, detectsPerCamera, Timeout);
    // The manual capture was judged (the alarm latched on its part) and not counted.
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 2, Timeout);
    QCOMPARE(harness.readRegister(153), 2);
    QCOMPARE(cycleTotalCount, 1);
    QCOMPARE(cycleNgCount, 0);
    QVERIFY(!station()->manualCheck);
}

// A camera slower than the run pass (5 frames a second) with no capture delay: each stage is
// judged on a frame that came after it was armed, waited for when none is there yet, so a
// good part is OK every cycle and at every manual capture.
void MouldCycleTest::slowCameraJudgedOnAFreshFrame()
{
    harness.camera(0).framePeriodMs = 200;
    for (int cycle = 1; cycle <= 6; ++cycle) {
        QVERIFY(openMould());
        QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, cycle, Timeout);
        QCOMPARE(cycleNgCount, 0);
        QCOMPARE(harness.readRegister(1), 0);
    }
    for (int capture = 0; capture < 3; ++capture) {
        station()->manualStage = 1;
        QTRY_COMPARE_WITH_TIMEOUT(station()->manualStage, detectsPerCamera, Timeout);
        QTRY_VERIFY_WITH_TIMEOUT(!station()->manualCheck, Timeout);
        QCOMPARE(station()->DisplayMode == 2, false);
        QCOMPARE(harness.readRegister(153), 1);
    }
    QCOMPARE(cycleTotalCount, 6);
    QCOMPARE(cycleNgCount, 0);
}

// A frozen camera's last picture was good: the station judges it NG, and the result store's
// figures of the day say NG for every region of the stage, as the counts and registers do.
void MouldCycleTest::unjudgedCameraIsStoredAsNg()
{
    TemperatureChartData *store = TemperatureChartData::instance();
    store->ClearTodayResults();
    const int rowsBefore = store->pendingRowCount();
    setCause(FrozenCamera, true);
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 2, Timeout);
    QCOMPARE(cycleNgCount, 1);
    QCOMPARE(harness.readRegister(153), 2);
    QCOMPARE(store->pendingRowCount(), rowsBefore + 1);
    int regions = 0;
    const ResultMap today = store->todayResults();
    for (const ResultEntry &entry : today) {
        if (entry.camera != 0 || entry.detect != 1)
            continue;
        ++regions;
        QCOMPARE(entry.result, 0);
    }
    QVERIFY(regions > 0);
}

// A camera that goes away during the capture delay is judged NG when the delay ends, though
// its last picture was good; it comes back by itself, and the door then releases the alarm.
void MouldCycleTest::cameraLostMidCycleThenBack()
{
    harness.settings()[Param::CaptureDelay + 1] = 40;
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(station()->cyclePhase, 1, Timeout);
    harness.camera(0).linkUp = false;
    QTRY_VERIFY_WITH_TIMEOUT(!view()->connected, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(sharedWarnbox && sharedWarnbox->isVisible(), Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 2, Timeout);
    QCOMPARE(harness.readRegister(153), 2);
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle & ~CloseForbidden & ~AlarmOn, Timeout);
    QCOMPARE(cycleNgCount, 1);

    harness.camera(0).linkUp = true;
    QTRY_VERIFY_WITH_TIMEOUT(view()->connected, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(!sharedWarnbox->isVisible(), Timeout);
    const QStringList remarks = StationHarness::recordRemarks();
    QVERIFY(remarks.contains(uiText(332).arg(QStringLiteral("1"), QStringLiteral("1"),
                                             QStringLiteral("CYCLE-CAMERA-0"))));
    QVERIFY(remarks.contains(alarmRemark()));

    harness.setInput(1, true);
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 1, Timeout);
    QCOMPARE(harness.readRegister(1), 0);
    QCOMPARE(cycleTotalCount, 1);
}

// No cycle start for the watchdog time holds the mould and warns; the next cycle start takes
// the warning down.
void MouldCycleTest::noSignalWatchdog()
{
    harness.settings()[Param::NoSignalSeconds] = 1;
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(station()->inCheckWarningShown, Timeout);
    QVERIFY(sharedWarnbox && sharedWarnbox->isVisible());
    QCOMPARE(StationHarness::recordRemarks().count(uiText(335)), 1);
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle & ~CloseForbidden, Timeout);

    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 2, Timeout);
    QVERIFY(!station()->inCheckWarningShown);
    QVERIFY(!sharedWarnbox->isVisible());
}

// Re-sampling stores the capture as the stage's template; the capture that took the last
// pending sample opens the region page, and a later capture does not open it again.
void MouldCycleTest::samplingEndsOnce()
{
    view()->samplePending[1] = true;
    station()->RunState = 2;
    harness.camera(0).frame = harness.partFrame(0);
    QVERIFY(openMould());
    QTRY_COMPARE_WITH_TIMEOUT(harness.regionPage.entered, 1, Timeout);
    QCOMPARE(station()->DisplayMode, 3);
    QCOMPARE(station()->RunState, 2);
    QVERIFY(regionEditActive);
    QByteArray stored(StationHarness::Width * StationHarness::Height, '\0');
    QVERIFY(loadTemplateImage(templateFilePath(0, 1, 0), StationHarness::Width, StationHarness::Height,
                              false, reinterpret_cast<uchar *>(stored.data())));
    QVERIFY(stored == harness.partFrame(0));

    QVERIFY(openMould());
    QVERIFY(openMould());
    QCOMPARE(harness.regionPage.entered, 1);
    QCOMPARE(station()->DisplayMode, 3);
    QCOMPARE(cycleTotalCount, 0);
}

// A modal box inside a pass (the login asked for at the end of re-sampling) runs a nested event
// loop: no second pass starts in it, input edges wait, and the I/O thread keeps hearing the
// heartbeat.
void MouldCycleTest::modalBoxInsidePass()
{
    harness.settings()[Param::PasswordUsed] = 1;
    view()->samplePending[1] = true;
    station()->RunState = 2;
    bool edgeWaited = false;
    bool heartbeatFresh = false;
    ModalAnswerer answer([&](QWidget *box) {
        harness.setInput(0, false);
        // Past two heartbeat seconds and many polls of the board, with passes due every 100 ms.
        const qint32 since = IOThread::heartbeatNow();
        const quint64 replies = controlPort->StatusReplyCount();
        QTest::qWaitFor([&] {
            return IOThread::heartbeatNow() >= since + 2 && controlPort->StatusReplyCount() > replies + 20;
        }, Timeout);
        edgeWaited = controlPort->GetIOState(false, 0);
        heartbeatFresh = IOThread::heartbeatNow() - controlPort->pollingThread()->heartbeat() <= 1;
        ModalAnswerer::pressEscape(box);
    });
    QVERIFY(openMould());
    QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), Timeout);
    QVERIFY(edgeWaited);
    QVERIFY(heartbeatFresh);
    // Refused: detection goes on without the region page.
    QCOMPARE(station()->RunState, 1);
    QCOMPARE(harness.regionPage.entered, 0);
    QTRY_VERIFY_WITH_TIMEOUT(!controlPort->GetIOState(false, 0), Timeout);
}

// A temperature alarm that does not stop the machine pulses the alarm output; with a pulse
// length of 0 the pulse still reaches the board.
void MouldCycleTest::alarmPulseReachesBoard()
{
    harness.settings()[Param::TemperatureNoStop] = 1;
    harness.settings()[Param::AlarmPulse] = 0;
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle, Timeout);
    view()->results->resultOk = true;
    view()->results->regionResultOk = true;
    view()->results->temperatureResultOk = false;
    station()->CheckNG(true);
    QTRY_VERIFY_WITH_TIMEOUT(harness.outputWords().contains(Idle & ~AlarmOn), Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle, Timeout);
    QCOMPARE(harness.readRegister(155), 2);
}

QTEST_MAIN(MouldCycleTest)
#include "tst_MouldCycle.moc"
