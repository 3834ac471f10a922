// An input edge that arrives while the cameras of a stage are judged: the mould close and the
// ejector it holds reach the board while the judge still runs, and the verdict pending then is
// taken as if the edge had come after it.

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "machineio/ControlPort.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "tests/station/StationHarness.h"

#include <QtTest>

#include <QDeadlineTimer>
#include <QThread>

#include <atomic>

namespace {

constexpr int Idle = 0x3FF;
constexpr int CloseForbidden = 0x001;
constexpr int EjectorOn = 0x002;
constexpr int AlarmOn = 0x004;
constexpr int Timeout = StationHarness::Timeout;
constexpr int CavityStage = 1;

QString countLine(int total, int ng)
{
    QString line = QStringLiteral("%1 %2 ").arg(total).arg(ng);
    for (int c = 1; c < 8; ++c)
        line += QStringLiteral("0 0 ");
    return line + QStringLiteral("%1 %2 ").arg(total).arg(ng);
}

} // namespace

class EdgeDuringJudgeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void startDuringCavityJudge_data();
    void startDuringCavityJudge();

private:
    StationHarness harness;
};

void EdgeDuringJudgeTest::initTestCase()
{
    QVERIFY(harness.prepare());
}

void EdgeDuringJudgeTest::cleanup()
{
    harness.stop();
}

void EdgeDuringJudgeTest::startDuringCavityJudge_data()
{
    QTest::addColumn<bool>("partLeft");
    QTest::addColumn<QString>("counts");
    QTest::addColumn<int>("finalOutputs");
    // The verdict lets the mould go, then the edge's cycle starts and runs to its own verdict.
    QTest::newRow("OK verdict, the next cycle follows") << false << countLine(2, 0) << Idle;
    // The verdict latches the alarm: the start is refused as always, and the ejector held
    // for it is let go again.
    QTest::newRow("NG verdict, the start refused") << true << countLine(1, 1) << (Idle & ~CloseForbidden & ~AlarmOn);
}

// Product stage and cavity stage, both on the mould-open end. While the cavity stage of the
// first cycle is judged, the mould-open end rises again: the judge is held until the board
// drives the ejector hold of that cycle start.
void EdgeDuringJudgeTest::startDuringCavityJudge()
{
    QFETCH(bool, partLeft);
    QFETCH(QString, counts);
    QFETCH(int, finalOutputs);
    SystemParameters &p = harness.settings();
    p[Param::ProductStage] = 1;
    p[Param::StageEnabled] = 1;
    p[Param::CaptureDelay] = 3;
    p[Param::CaptureDelay + 1] = 5;
    QVERIFY(harness.start());

    BoardSimulator &board = harness.board();
    std::atomic<int> cavityJudges{0};
    std::atomic<bool> heldWhileJudging{false};
    harness.station()->setJudgeGate([&](int stage) {
        if (stage != CavityStage || cavityJudges.fetch_add(1) != 0)
            return;
        board.setInputWord(1);
        const QDeadlineTimer deadline(Timeout);
        while (!deadline.hasExpired() && (board.outputWord() & EjectorOn) != 0)
            QThread::msleep(1);
        heldWhileJudging = (board.outputWord() & EjectorOn) == 0;
    });

    QVERIFY(harness.openMould());
    harness.setInput(0, false);
    // The product stage's verdict lets the ejector go; the cavity is judged after it.
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), Idle & ~CloseForbidden, Timeout);
    if (partLeft)
        harness.camera(0).frame = harness.partFrame(0);
    QTRY_VERIFY_WITH_TIMEOUT(cavityJudges.load() > 0, Timeout);
    QVERIFY(heldWhileJudging.load());
    // The gate raised the input behind the harness's back.
    harness.setInput(0, true);

    QTRY_COMPARE_WITH_TIMEOUT(StationHarness::countText(), counts, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs(), finalOutputs, Timeout);
    QCOMPARE(cycleTotalCount, partLeft ? 1 : 2);
    harness.station()->setJudgeGate(nullptr);
}

QTEST_MAIN(EdgeDuringJudgeTest)
#include "tst_EdgeDuringJudge.moc"
