// The decision of a judged stage, from settings and camera verdicts to the ordered steps the
// station carries out. Steps are written as words:
//   o2+ / o2-   output 2 on / off        pub        the output word published
//   r1=N        register 1 set to N      latch, release, start, resume, rearm
//   recheck / norecheck                  alarmpulse show / show-ng   count
//   ngpulse:ms clamppulse:ms ejectorpulse:ms       images archive
#include "station/StageVerdict.h"

#include <QtTest>

Q_DECLARE_METATYPE(StageInput)

namespace {

QString words(const QVector<StageStep> &steps)
{
    QStringList out;
    for (const StageStep &step : steps) {
        switch (step.kind) {
        case StageStep::SetOutput:
            out << QStringLiteral("o%1%2").arg(step.output).arg(step.value ? '+' : '-');
            break;
        case StageStep::Publish: out << QStringLiteral("pub"); break;
        case StageStep::WriteAlarmRegister: out << QStringLiteral("r1=%1").arg(step.value); break;
        case StageStep::LatchAlarm: out << QStringLiteral("latch"); break;
        case StageStep::ReleaseAlarm: out << QStringLiteral("release"); break;
        case StageStep::StartDetect: out << QStringLiteral("start"); break;
        case StageStep::ResumeDetecting: out << QStringLiteral("resume"); break;
        case StageStep::RearmCavityStage: out << QStringLiteral("rearm"); break;
        case StageStep::RequestRecheck: out << QStringLiteral("recheck"); break;
        case StageStep::ClearRecheck: out << QStringLiteral("norecheck"); break;
        case StageStep::StartAlarmPulse: out << QStringLiteral("alarmpulse"); break;
        case StageStep::ShowResult: out << (step.value ? QStringLiteral("show-ng") : QStringLiteral("show")); break;
        case StageStep::CountCycle: out << QStringLiteral("count"); break;
        case StageStep::StartNgPulse: out << QStringLiteral("ngpulse:%1").arg(step.value); break;
        case StageStep::StartClampPulse: out << QStringLiteral("clamppulse:%1").arg(step.value); break;
        case StageStep::StartEjectorPulse: out << QStringLiteral("ejectorpulse:%1").arg(step.value); break;
        case StageStep::KeepResultImages: out << QStringLiteral("images"); break;
        case StageStep::ArchiveImages: out << QStringLiteral("archive"); break;
        }
    }
    return out.join(' ');
}

// A stage judged with the given camera verdicts ("OK", "NG"; "T" for an OK camera whose
// temperature is NG), latch mode, machine mode 0, stage 0 enabled.
StageInput stage(int detect, const QString &verdicts)
{
    StageInput input;
    input.detect = detect;
    input.settings.productStageEnabled = true;
    input.recheckRemaining = QVector<int>(8, 0);
    input.extraOutputFlags = QVector<bool>(10, false);
    for (const QString &v : verdicts.split(' ')) {
        CameraVerdict camera;
        camera.ok = v != QLatin1String("NG");
        camera.regionOk = camera.ok;
        camera.temperatureOk = v != QLatin1String("T");
        input.cameras.append(camera);
    }
    return input;
}

template <typename Change>
StageInput with(StageInput input, Change change)
{
    change(input);
    return input;
}

} // namespace

class StageVerdictTest : public QObject
{
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
    void registers();
    void alarmRecord();
    void resultImages_data();
    void resultImages();
};

void StageVerdictTest::steps_data()
{
    QTest::addColumn<StageInput>("input");
    QTest::addColumn<QString>("expected");

    const QString released = QStringLiteral("o5- pub ");
    // Latch mode, machine mode 0.
    QTest::newRow("cavity OK releases the mould")
        << stage(1, "OK OK") << released + "o1- norecheck pub show count images archive";
    QTest::newRow("product OK releases the ejector")
        << stage(0, "OK") << released + "o2- norecheck pub show count images archive";
    QTest::newRow("product OK without ejector control")
        << with(stage(0, "OK"), [](StageInput &i) { i.settings.noEjectorControl = true; })
        << released + "norecheck pub show count images archive";
    QTest::newRow("cavity OK while templates are learnt again keeps the mould held")
        << with(stage(1, "OK"), [](StageInput &i) { i.relearnPending = true; })
        << released + "norecheck pub show count images archive";
    QTest::newRow("third stage in mode 0 is its own group")
        << stage(2, "OK") << released + "norecheck pub show count images archive";
    QTest::newRow("cavity NG latches the alarm") << stage(1, "OK NG") << "r1=2 latch count images";
    QTest::newRow("product NG latches with register 1 at 1") << stage(0, "NG") << "r1=1 latch count images";
    QTest::newRow("NG with a re-check left asks for it, not counted")
        << with(stage(1, "NG"), [](StageInput &i) { i.recheckRemaining[1] = 2; }) << "recheck show images";
    QTest::newRow("re-checks of the other group do not hold the latch")
        << with(stage(1, "NG"), [](StageInput &i) { i.recheckRemaining[0] = 2; }) << "r1=2 latch count images";
    QTest::newRow("OK with a re-check left is counted")
        << with(stage(1, "OK"), [](StageInput &i) { i.recheckRemaining[1] = 2; })
        << released + "o1- norecheck pub show count images archive";
    QTest::newRow("NG on a door-armed stage holds the mould before latching")
        << with(stage(1, "NG"), [](StageInput &i) { i.doorCheck = true; }) << "o1+ pub r1=2 latch count images";
    QTest::newRow("examination NG while latched changes nothing")
        << with(stage(1, "NG"), [](StageInput &i) {
               i.displayMode = DisplayModes::AlarmLatched;
               i.clearing = true;
           })
        << "images";
    QTest::newRow("examination passes at the cavity: detection starts afresh")
        << with(stage(1, "OK"), [](StageInput &i) {
               i.displayMode = DisplayModes::AlarmLatched;
               i.clearing = true;
           })
        << released + "o1- norecheck pub r1=0 release start show images archive";
    QTest::newRow("examination passes at the product stage: the cavity is armed again")
        << with(stage(0, "OK"), [](StageInput &i) { i.displayMode = DisplayModes::AlarmLatched; })
        << released + "o2- norecheck pub r1=0 release o3- o2- pub resume rearm show count images archive";
    QTest::newRow("semi-automatic: no cavity armed after the release")
        << with(stage(0, "OK"), [](StageInput &i) {
               i.displayMode = DisplayModes::AlarmLatched;
               i.settings.semiAutomatic = true;
           })
        << released + "o2- norecheck pub r1=0 release o3- o2- pub resume show count images archive";
    QTest::newRow("manual capture is judged and shown, not counted")
        << with(stage(1, "OK"), [](StageInput &i) { i.manualCheck = true; })
        << released + "o1- norecheck pub show images archive";
    QTest::newRow("verdict during region editing is not shown")
        << with(stage(1, "OK"), [](StageInput &i) { i.displayMode = DisplayModes::Editor; })
        << released + "o1- norecheck pub count images archive";
    QTest::newRow("temperature NG that does not stop pulses the alarm")
        << with(stage(1, "T"), [](StageInput &i) { i.settings.temperatureNoStop = true; })
        << released + "o1- norecheck pub alarmpulse show count images archive";
    QTest::newRow("good cavity cuts the ejector while clamping")
        << with(stage(1, "OK"), [](StageInput &i) { i.settings.cutEjectorWhenClamping = true; })
        << released + "o1- norecheck pub show o2+ pub count images archive";
    QTest::newRow("no ejector cut while clamping when stage 0 is off")
        << with(stage(1, "OK"), [](StageInput &i) {
               i.settings.cutEjectorWhenClamping = true;
               i.settings.productStageEnabled = false;
           })
        << released + "o1- norecheck pub show count images archive";
    QTest::newRow("clamp cut after a good cavity")
        << with(stage(1, "OK"), [](StageInput &i) {
               i.settings.clampCutAfterOk = true;
               i.settings.clampPulseSteps = 4;
           })
        << released + "o1- norecheck pub show count clamppulse:400 images archive";
    QTest::newRow("ejector cut after a good product")
        << with(stage(0, "OK"), [](StageInput &i) {
               i.settings.ejectorCutAfterOk = true;
               i.settings.ejectorPulseSteps = 2;
           })
        << released + "o2- norecheck pub show count ejectorpulse:200 images archive";
    QTest::newRow("cut with a zero pulse length is not started")
        << with(stage(0, "OK"), [](StageInput &i) { i.settings.ejectorCutAfterOk = true; })
        << released + "o2- norecheck pub show count images archive";

    // Pulse mode.
    auto pulse = [](StageInput input) {
        input.settings.latchMode = false;
        input.settings.clampPulseSteps = 5;
        return input;
    };
    QTest::newRow("pulse mode NG") << pulse(stage(1, "OK NG"))
                                   << "o1+ o2- o3+ pub clamppulse:500 show-ng count images archive";
    QTest::newRow("pulse mode OK") << pulse(stage(1, "OK"))
                                   << released + "o1- o2+ o3- pub clamppulse:500 show count images archive";
    QTest::newRow("pulse mode NG while latched from before is not shown")
        << with(pulse(stage(0, "NG")), [](StageInput &i) { i.displayMode = DisplayModes::AlarmLatched; })
        << "o1+ o2- o3+ pub clamppulse:500 count images archive";

    // Multi-output mode: a product NG pulses its regions' outputs instead of latching.
    auto multi = [](StageInput input) {
        input.settings.multiOutput = true;
        input.settings.ejectorPulseSteps = 3;
        input.extraOutputFlags[0] = true;
        input.extraOutputFlags[3] = true;
        input.extraOutputFlags[9] = true;
        return input;
    };
    QTest::newRow("multi-output product NG pulses its outputs")
        << multi(stage(0, "NG")) << "show count o1+ o5+ o1+ o2+ pub ngpulse:300 images";
    QTest::newRow("multi-output product NG without ejector control")
        << with(multi(stage(0, "NG")), [](StageInput &i) { i.settings.noEjectorControl = true; })
        << "show count o1+ o5+ o1+ pub ngpulse:300 images";
    QTest::newRow("multi-output product OK leaves the ejector")
        << multi(stage(0, "OK")) << released + "norecheck pub show count images archive";
    QTest::newRow("multi-output cavity NG latches as usual") << multi(stage(1, "NG")) << "r1=2 latch count images";
    QTest::newRow("multi-output product NG while latched is not released")
        << with(multi(stage(0, "OK")), [](StageInput &i) { i.displayMode = DisplayModes::AlarmLatched; })
        << released + "norecheck pub count images archive";

    // Two-sided machines: a stage works as its parity.
    auto twoSided = [](StageInput input) {
        input.settings.machineMode = 1;
        return input;
    };
    QTest::newRow("two-sided fourth stage NG latches as the cavity") << twoSided(stage(3, "NG"))
                                                                     << "r1=2 latch count images";
    QTest::newRow("two-sided third stage OK releases the ejector")
        << twoSided(stage(2, "OK")) << released + "o2- norecheck pub show count images archive";
    QTest::newRow("two-sided re-checks are kept by parity")
        << with(twoSided(stage(3, "NG")), [](StageInput &i) { i.recheckRemaining[1] = 1; }) << "recheck show images";
    QTest::newRow("stage out of range sets the registers only") << stage(8, "NG") << "";
}

void StageVerdictTest::steps()
{
    QFETCH(StageInput, input);
    QFETCH(QString, expected);
    QCOMPARE(words(decideStage(input).steps), expected);
}

void StageVerdictTest::registers()
{
    const StageDecision decision = decideStage(stage(1, "OK NG T"));
    QVERIFY(decision.anyNg);
    QCOMPARE(decision.ngCameras, (QVector<int>{1}));
    QCOMPARE(decision.cameraRegisters,
             (QVector<QVector<short>>{{1, 1, 1}, {2, 2, 1}, {1, 1, 2}}));
    QCOMPARE(decision.anyRegisters, (QVector<short>{2, 2, 2}));
    const StageDecision good = decideStage(stage(1, "OK OK"));
    QVERIFY(!good.anyNg);
    QCOMPARE(good.anyRegisters, (QVector<short>{1, 1, 1}));
    // The group and the image rules follow the stage and the settings.
    QCOMPARE(good.group, 1);
    QVERIFY(good.verdictFinal);
    QVERIFY(!good.archiveNgAtOnce);
    QCOMPARE(decideStage(with(stage(3, "OK"), [](StageInput &i) { i.settings.machineMode = 2; })).group, 1);
    QVERIFY(!decideStage(with(stage(1, "NG"), [](StageInput &i) { i.recheckRemaining[1] = 1; })).verdictFinal);
    QVERIFY(decideStage(with(stage(1, "NG"), [](StageInput &i) { i.settings.latchMode = false; })).archiveNgAtOnce);
    QCOMPARE(decideStage(stage(8, "OK")).group, -1);
    QCOMPARE(extraOutputOf(9), 1);
    QCOMPARE(extraOutputOf(10), 0);
}

void StageVerdictTest::alarmRecord()
{
    const QString camera = QStringLiteral("Camera %1 ");
    QCOMPARE(alarmRecordText({0, 2}, camera, QStringLiteral("Alarm")), QStringLiteral("Camera 1 Camera 3Alarm"));
    QCOMPARE(alarmRecordText({4}, QStringLiteral("%1号相机、"), QStringLiteral("报警")), QStringLiteral("5号相机报警"));
}

void StageVerdictTest::resultImages_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("final");
    QTest::addColumn<int>("keep");           // both keep limits
    QTest::addColumn<bool>("atOnce");
    QTest::addColumn<int>("newCode");
    QTest::addColumn<QString>("render");      // n: new image, k: kept NG re-rendered, b: OK beside

    using namespace ResultCodes;
    QTest::newRow("OK kept") << int(Armed) << true << true << 5 << false << int(OkToArchive) << "n";
    QTest::newRow("OK not kept") << int(Armed) << true << true << 0 << false << int(None) << "";
    QTest::newRow("NG held for the region page") << int(Armed) << false << true << 5 << false << int(NgKept) << "n";
    QTest::newRow("NG archived at once") << int(Armed) << false << true << 5 << true << int(NgToArchive) << "n";
    QTest::newRow("NG not kept") << int(Armed) << false << true << 0 << false << int(None) << "";
    QTest::newRow("NG with a re-check left waits") << int(Armed) << false << false << 5 << false << int(Armed) << "";
    QTest::newRow("accepted NG is stamped and archived") << int(NgAccepted) << true << true << 5 << false
                                                         << int(NgToArchive) << "k";
    QTest::newRow("NG taken as template likewise") << int(NgAsTemplate) << false << true << 5 << false
                                                   << int(NgToArchive) << "k";
    QTest::newRow("examination passed") << int(ExaminedAgain) << true << true << 5 << false << int(BothToArchive)
                                        << "kb";
    QTest::newRow("examination failed") << int(ExaminedAgain) << false << true << 5 << false << int(NgKept) << "";
    QTest::newRow("nothing pending") << int(None) << false << true << 5 << true << int(None) << "";
}

void StageVerdictTest::resultImages()
{
    QFETCH(int, code);
    QFETCH(bool, ok);
    QFETCH(bool, final);
    QFETCH(int, keep);
    QFETCH(bool, atOnce);
    QFETCH(int, newCode);
    QFETCH(QString, render);
    const ResultImagePlan plan = planResultImages(code, ok, final, keep, keep, atOnce);
    QCOMPARE(plan.code, newCode);
    QString done;
    if (plan.renderNew)
        done += 'n';
    if (plan.rerenderKept)
        done += 'k';
    if (plan.okBesideNg)
        done += 'b';
    QCOMPARE(done, render);
}

QTEST_GUILESS_MAIN(StageVerdictTest)
#include "tst_StageVerdict.moc"
