// What an input edge does before any camera is judged, decided from the settings and the run
// controller's state: the cycle start and its holds, the re-arming of the second trigger, the
// stage timers fired with their delays, and the holds taken early while a judge runs.
//
// Settings are written as words over a latch-mode, machine-mode-0 station with one camera,
// two stages in use, both enabled, triggers on the mould-open end and no delays:
//   mode=N side=N sep=N precut=N rechecks=N stages=N cameras=N   pulse semi product multi
//   cutclamp cutejector noejector debounce   on=K,K (stages enabled)   trig<K>=N  delay<K>=N
#include "station/CycleStart.h"
#include "station/RunCodes.h"

#include <QtTest>

namespace {

CycleSettings settings(const QString &words)
{
    CycleSettings s;
    s.cameras = 1;
    s.stages = 2;
    s.stageEnabled[0] = true;
    s.stageEnabled[1] = true;
    for (const QString &word : words.split(' ', Qt::SkipEmptyParts)) {
        const QString key = word.section('=', 0, 0);
        const QString value = word.section('=', 1);
        const int n = value.toInt();
        if (key == QLatin1String("mode"))
            s.machineMode = n;
        else if (key == QLatin1String("side"))
            s.mouldSide = n;
        else if (key == QLatin1String("sep"))
            s.separateSignals = n;
        else if (key == QLatin1String("precut"))
            s.preCut = n;
        else if (key == QLatin1String("rechecks"))
            s.cavityRechecks = n;
        else if (key == QLatin1String("stages"))
            s.stages = n;
        else if (key == QLatin1String("cameras"))
            s.cameras = n;
        else if (key == QLatin1String("pulse"))
            s.latchMode = false;
        else if (key == QLatin1String("semi"))
            s.semiAutomatic = true;
        else if (key == QLatin1String("product"))
            s.productStage = true;
        else if (key == QLatin1String("multi"))
            s.multiOutput = true;
        else if (key == QLatin1String("cutclamp"))
            s.cutClampOnMouldAlarm = true;
        else if (key == QLatin1String("cutejector"))
            s.cutEjectorOnProductAlarm = true;
        else if (key == QLatin1String("noejector"))
            s.noEjectorControl = true;
        else if (key == QLatin1String("debounce"))
            s.debounced = true;
        else if (key == QLatin1String("on")) {
            std::fill(std::begin(s.stageEnabled), std::end(s.stageEnabled), false);
            for (const QString &k : value.split(',', Qt::SkipEmptyParts))
                s.stageEnabled[k.toInt()] = true;
        } else if (key.startsWith(QLatin1String("trig")))
            s.triggerInput[key.mid(4).toInt()] = n;
        else if (key.startsWith(QLatin1String("delay")))
            s.captureDelay[key.mid(5).toInt()] = n;
        else
            qFatal("unknown setting word %s", qPrintable(word));
    }
    return s;
}

QString holdWords(bool close, bool ejector, bool releaseAll = false)
{
    QStringList out;
    if (close)
        out << QStringLiteral("close");
    if (ejector)
        out << QStringLiteral("ejector");
    if (releaseAll)
        out << QStringLiteral("release");
    return out.isEmpty() ? QStringLiteral("none") : out.join(' ');
}

// The window's walk over the stage timers, without judging: "k@delay" for each timer fired,
// then "forced" when the forced stage was used up.
QString armingWalk(const CycleSettings &s, int pos, int side, int forcedStage, qint64 accumulated,
                   int activeTimer)
{
    QStringList out;
    for (int k = 0; k < armingTimers(s); ++k) {
        const Arming arming = decideArming({s, pos, k, side, k == activeTimer, forcedStage, accumulated});
        accumulated = arming.accumulatedDelay;
        if (arming.forcedTaken) {
            forcedStage = -1;
            out << QStringLiteral("forced");
        }
        if (arming.fires)
            out << QStringLiteral("%1@%2").arg(k).arg(arming.accumulatedDelay);
    }
    return out.isEmpty() ? QStringLiteral("none") : out.join(' ');
}

} // namespace

class CycleStartTest : public QObject
{
    Q_OBJECT

private slots:
    void startsCycle_data();
    void startsCycle();
    void cycleStart_data();
    void cycleStart();
    void rearm_data();
    void rearm();
    void arming_data();
    void arming();
    void earlyHolds_data();
    void earlyHolds();
};

void CycleStartTest::startsCycle_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("pos");
    QTest::addColumn<bool>("starts");
    QTest::newRow("mode 0: mould open") << "" << Input::MouldOpen << true;
    QTest::newRow("mode 0: ejector back alone") << "" << Input::EjectorBack << false;
    QTest::newRow("mode 0: ejector back, separate signals") << "sep=1" << Input::EjectorBack << true;
    QTest::newRow("mode 0: the door never") << "sep=1" << Input::SafetyDoor << false;
    QTest::newRow("mode 1: mould open") << "mode=1 side=1" << Input::MouldOpen << true;
    QTest::newRow("mode 1: fourth input") << "mode=1" << Input::Fourth << false;
    QTest::newRow("mode 2 both sides: mould open") << "mode=2 side=2" << Input::MouldOpen << true;
    QTest::newRow("mode 2 both sides: fourth input") << "mode=2 side=2" << Input::Fourth << true;
    QTest::newRow("mode 2 side 1: not mould open") << "mode=2 side=1" << Input::MouldOpen << false;
    QTest::newRow("mode 2 side 0: not the fourth input") << "mode=2 side=0" << Input::Fourth << false;
    QTest::newRow("mode 2: ejector back never") << "mode=2 side=2 sep=1" << Input::EjectorBack << false;
}

void CycleStartTest::startsCycle()
{
    QFETCH(QString, settings);
    QFETCH(int, pos);
    QFETCH(bool, starts);
    QCOMPARE(::startsCycle(::settings(settings), pos), starts);
}

void CycleStartTest::cycleStart_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("pos");
    QTest::addColumn<bool>("productArmed");
    QTest::addColumn<QString>("holds");
    QTest::addColumn<int>("rechecks");
    QTest::addColumn<int>("side");
    QTest::newRow("latch: mould and ejector held") << "rechecks=2" << Input::MouldOpen << true << "close ejector" << 2 << -1;
    QTest::newRow("no product armed: the ejector free") << "" << Input::MouldOpen << false << "close" << 0 << -1;
    QTest::newRow("pre-cut: the cavity timer holds the mould") << "precut=5" << Input::MouldOpen << true << "ejector" << 0 << -1;
    QTest::newRow("clamp cut on a mould alarm") << "cutclamp" << Input::MouldOpen << true << "ejector" << 0 << -1;
    QTest::newRow("no ejector control") << "noejector" << Input::MouldOpen << true << "close" << 0 << -1;
    QTest::newRow("multi-output: everything let go") << "multi" << Input::MouldOpen << true << "close release" << 0 << -1;
    QTest::newRow("ejector cut on a product alarm: let go") << "cutejector precut=1" << Input::MouldOpen << true << "release" << 0 << -1;
    QTest::newRow("separate signals: mould open holds the ejector") << "sep=1" << Input::MouldOpen << true << "ejector" << 0 << -1;
    QTest::newRow("separate signals: ejector back holds the mould") << "sep=1" << Input::EjectorBack << true << "close" << 0 << -1;
    QTest::newRow("separate signals 2 is not separate") << "sep=2" << Input::EjectorBack << true << "close ejector" << 0 << -1;
    QTest::newRow("negative re-checks: none") << "rechecks=-3" << Input::MouldOpen << false << "close" << 0 << -1;
    QTest::newRow("pulse mode: no holds, no re-checks") << "pulse rechecks=2" << Input::MouldOpen << true << "-" << 0 << -1;
    QTest::newRow("rotary, mould open: side 1") << "mode=2 side=2" << Input::MouldOpen << false << "close" << 0 << 1;
    QTest::newRow("rotary, fourth input: side 0") << "mode=2 side=2 pulse" << Input::Fourth << false << "-" << 0 << 0;
    QTest::newRow("two-colour keeps its side") << "mode=1 side=2" << Input::MouldOpen << false << "close" << 0 << -1;
}

void CycleStartTest::cycleStart()
{
    QFETCH(QString, settings);
    QFETCH(int, pos);
    QFETCH(bool, productArmed);
    QFETCH(QString, holds);
    QFETCH(int, rechecks);
    QFETCH(int, side);
    const CycleStart start = decideCycleStart(::settings(settings), pos, productArmed);
    const QString shown = start.holdsApply
        ? holdWords(start.holds.mouldClose, start.holds.ejector, start.holds.releaseAll)
        : QStringLiteral("-");
    QCOMPARE(shown, holds);
    QCOMPARE(start.cavityRechecks, rechecks);
    QCOMPARE(start.side, side);
}

void CycleStartTest::rearm_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("pos");
    QTest::addColumn<bool>("rearms");
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("holdsMould");
    QTest::newRow("mode 0: not without semi-automatic") << "" << Input::EjectorBack << false << -1 << true;
    QTest::newRow("mode 0 semi-automatic: ejector back") << "semi" << Input::EjectorBack << true << -1 << true;
    QTest::newRow("mode 0 semi-automatic: not mould open") << "semi" << Input::MouldOpen << false << -1 << true;
    QTest::newRow("mode 0 semi-automatic, pre-cut: no hold") << "semi precut=3" << Input::EjectorBack << true << -1 << false;
    QTest::newRow("mode 0 semi-automatic, pulse mode: no hold") << "semi pulse" << Input::EjectorBack << true << -1 << false;
    QTest::newRow("mode 1: left mould faces side 1") << "mode=1 side=2" << Input::EjectorBack << true << 1 << true;
    QTest::newRow("mode 1: right mould faces side 0") << "mode=1 side=2" << Input::Fourth << true << 0 << true;
    QTest::newRow("mode 1 side 1 only: not the left mould") << "mode=1 side=1" << Input::EjectorBack << false << -1 << true;
    QTest::newRow("mode 1 side 0 only: not the right mould") << "mode=1 side=0" << Input::Fourth << false << -1 << true;
    QTest::newRow("mode 2: ejector back, side stays") << "mode=2" << Input::EjectorBack << true << -1 << true;
    QTest::newRow("mode 2: not the fourth input") << "mode=2" << Input::Fourth << false << -1 << true;
}

void CycleStartTest::rearm()
{
    QFETCH(QString, settings);
    QFETCH(int, pos);
    QFETCH(bool, rearms);
    QFETCH(int, side);
    QFETCH(bool, holdsMould);
    const CycleSettings s = ::settings(settings);
    const Rearm rearm = secondTriggerRearm(s, pos);
    QCOMPARE(rearm.rearms, rearms);
    QCOMPARE(rearm.side, side);
    QCOMPARE(rearmHoldsMould(s), holdsMould);
}

void CycleStartTest::arming_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("pos");
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("forcedStage");
    QTest::addColumn<int>("activeTimer");
    QTest::addColumn<QString>("walk");
    const int none = -1;
    QTest::newRow("both stages on their trigger, no delay") << "" << Input::MouldOpen << 0 << none << none << "0@0 1@0";
    QTest::newRow("delays of their own") << "delay0=5 delay1=12" << Input::MouldOpen << 0 << none << none << "0@5 1@12";
    QTest::newRow("product stage: the cavity delay counts on") << "product delay0=5 delay1=12" << Input::MouldOpen << 0 << none << none << "0@5 1@17";
    QTest::newRow("semi-automatic: the cavity delay alone") << "product semi delay0=5 delay1=12" << Input::MouldOpen << 0 << none << none << "0@5 1@12";
    QTest::newRow("another input fires nothing") << "trig1=2" << Input::SafetyDoor << 0 << none << none << "none";
    QTest::newRow("the cavity on the ejector-back end") << "trig1=2 delay1=4" << Input::EjectorBack << 0 << none << none << "1@4";
    QTest::newRow("a disabled stage is skipped") << "on=1 delay1=4" << Input::MouldOpen << 0 << none << none << "1@4";
    QTest::newRow("a running delay is not restarted") << "delay1=4" << Input::MouldOpen << 0 << none << 0 << "1@4";
    QTest::newRow("forced cavity stage without its input") << "trig1=2 delay1=3 product delay0=9" << Input::SafetyDoor << 0 << 1 << none << "forced 1@3";
    QTest::newRow("forced stage waits while its delay runs") << "trig1=2" << Input::SafetyDoor << 0 << 1 << 1 << "none";
    QTest::newRow("no forced stage outside mode 0") << "mode=1 trig1=2 on=0,1,2,3 stages=4" << Input::SafetyDoor << 1 << 1 << none << "none";
    QTest::newRow("two-colour: either trigger, left mould") << "mode=1 trig1=255 on=1,3 stages=4" << Input::EjectorBack << 1 << none << none << "1@0";
    QTest::newRow("two-colour: either trigger, right mould") << "mode=1 trig1=255 on=1,3 stages=4" << Input::Fourth << 1 << none << none << "1@0";
    QTest::newRow("two-colour: either trigger, not mould open") << "mode=1 trig0=2 trig1=255 on=1,3 stages=4" << Input::MouldOpen << 1 << none << none << "none";
    QTest::newRow("rotary: either trigger on mould open") << "mode=2 trig1=255 on=1,3 stages=4" << Input::MouldOpen << 1 << none << none << "1@0";
    QTest::newRow("rotary: either trigger, not ejector back") << "mode=2 trig0=4 trig1=255 on=1,3 stages=4" << Input::EjectorBack << 1 << none << none << "none";
    QTest::newRow("mode 0: either trigger is no input") << "trig1=255" << Input::EjectorBack << 0 << none << none << "none";
    QTest::newRow("side 0 serves stages 2 and 3") << "mode=1 on=2 stages=4 delay0=6" << Input::MouldOpen << 0 << none << none << "0@6";
    QTest::newRow("side 1 serves stages 0 and 1") << "mode=1 on=2 stages=4" << Input::MouldOpen << 1 << none << none << "none";
    QTest::newRow("two-sided: only two timers") << "mode=2 on=0,1,2,3,4 stages=4" << Input::MouldOpen << 1 << none << none << "0@0 1@0";
}

void CycleStartTest::arming()
{
    QFETCH(QString, settings);
    QFETCH(int, pos);
    QFETCH(int, side);
    QFETCH(int, forcedStage);
    QFETCH(int, activeTimer);
    QFETCH(QString, walk);
    QCOMPARE(armingWalk(::settings(settings), pos, side, forcedStage, 0, activeTimer), walk);
}

void CycleStartTest::earlyHolds_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QVector<int>>("edges");
    QTest::addColumn<int>("judgedStage");
    QTest::addColumn<QString>("holds");
    const int pass = -1;
    const QVector<int> open{Input::MouldOpen};
    const QVector<int> ejectorBack{Input::EjectorBack};
    QTest::newRow("a cycle start ahead: mould and ejector") << "" << "" << open << pass << "close ejector";
    QTest::newRow("no edge, no hold") << "" << "" << QVector<int>{} << pass << "none";
    QTest::newRow("an edge that starts nothing") << "" << "" << QVector<int>{Input::SafetyDoor} << pass << "none";
    QTest::newRow("debounced inputs: nothing early") << "debounce" << "" << open << pass << "none";
    QTest::newRow("pulse mode: nothing early") << "pulse" << "" << open << pass << "none";
    QTest::newRow("stopped") << "" << "stopped" << open << pass << "none";
    QTest::newRow("alarm latched") << "" << "latched" << open << pass << "none";
    QTest::newRow("re-check pending") << "" << "recheck" << open << pass << "none";
    QTest::newRow("manual capture pending") << "" << "manual" << open << pass << "none";
    QTest::newRow("a capture delay runs") << "" << "timer" << open << pass << "none";
    QTest::newRow("a start that lets go is not anticipated") << "multi" << "" << open << pass << "none";
    QTest::newRow("no product stage enabled: the ejector free") << "on=1" << "" << open << pass << "close";
    QTest::newRow("no camera: nothing armed") << "cameras=0 precut=1" << "" << open << pass << "none";
    QTest::newRow("semi-automatic re-arm of an armed cavity") << "semi precut=0" << "cavity" << ejectorBack << pass << "close";
    QTest::newRow("re-arm waits for a cavity still owed") << "semi" << "" << ejectorBack << pass << "none";
    QTest::newRow("the cavity verdict being judged owes nothing") << "semi" << "cavity" << ejectorBack << 1 << "none";
    QTest::newRow("a product verdict leaves the cavity owed") << "semi" << "cavity" << ejectorBack << 0 << "close";
    QTest::newRow("start then re-arm in one pass") << "semi sep=0 cutclamp on=0,1" << "" << QVector<int>{Input::MouldOpen, Input::EjectorBack} << 1 << "close ejector";
    QTest::newRow("pre-cut: the re-arm holds nothing") << "semi precut=2" << "cavity" << ejectorBack << pass << "none";
}

void CycleStartTest::earlyHolds()
{
    QFETCH(QString, settings);
    QFETCH(QString, state);
    QFETCH(QVector<int>, edges);
    QFETCH(int, judgedStage);
    QFETCH(QString, holds);
    EarlyHoldInput input;
    input.settings = ::settings(settings);
    input.stopped = state.contains(QLatin1String("stopped"));
    input.alarmLatched = state.contains(QLatin1String("latched"));
    input.recheckPending = state.contains(QLatin1String("recheck"));
    input.manualCapturePending = state.contains(QLatin1String("manual"));
    input.stageTimerBusy = state.contains(QLatin1String("timer"));
    input.cavityArmed = state.contains(QLatin1String("cavity"));
    input.judgedStage = judgedStage;
    for (int pos : edges)
        input.edges |= 1u << pos;
    const EarlyHolds early = decideEarlyHolds(input);
    QCOMPARE(holdWords(early.mouldClose, early.ejector), holds);
    QCOMPARE(earlyHoldsApply(input), state.isEmpty() || state == QLatin1String("cavity")
                                         ? !input.settings.debounced && input.settings.latchMode
                                         : false);
}

QTEST_GUILESS_MAIN(CycleStartTest)
#include "tst_CycleStart.moc"
