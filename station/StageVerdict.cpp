#include "station/StageVerdict.h"

#include "station/RunSettings.h"
#include "core/Globals.h"

namespace {

constexpr short RegisterOk = 1;
constexpr short RegisterNg = 2;
constexpr int PulseStepMs = 100;
// Output driven by each entry of the extra-output table; the last entry drives output 1 again.
constexpr int ExtraOutputs[] = {
    Output::MouldClose, Output::Ejector, Output::Spare, 5, 6, 7, 8, 9, 10, Output::MouldClose};
constexpr int ExtraOutputCount = int(sizeof(ExtraOutputs) / sizeof(ExtraOutputs[0]));

short verdictRegister(bool ok)
{
    return ok ? RegisterOk : RegisterNg;
}

// Builds the steps in the order they are carried out.
struct Steps
{
    QVector<StageStep> &list;
    void set(int output, bool on) { list.append({StageStep::SetOutput, output, on ? 1 : 0}); }
    void publish() { list.append({StageStep::Publish, 0, 0}); }
    void add(StageStep::Kind kind, int value = 0) { list.append({kind, 0, value}); }
    void pulse(StageStep::Kind kind, int steps) { add(kind, timerPeriodMs(steps, PulseStepMs)); }
};

} // namespace

int stageGroup(int machineMode, int detect)
{
    return twoSidedMode(machineMode) ? (detect & 1) : detect;
}

int extraOutputOf(int entry)
{
    return entry >= 0 && entry < ExtraOutputCount ? ExtraOutputs[entry] : 0;
}

StageDecision decideStage(const StageInput &input)
{
    const StageSettings &s = input.settings;
    StageDecision decision;
    // The verdicts to the host, per camera and for any camera.
    bool visionNg = false;
    bool temperatureNg = false;
    for (int c = 0; c < input.cameras.size(); ++c) {
        const CameraVerdict &camera = input.cameras.at(c);
        if (!camera.ok)
            decision.ngCameras.append(c);
        decision.cameraRegisters.append(
            {verdictRegister(camera.ok), verdictRegister(camera.regionOk), verdictRegister(camera.temperatureOk)});
        visionNg = visionNg || !camera.regionOk;
        temperatureNg = temperatureNg || !camera.temperatureOk;
    }
    const bool anyNg = !decision.ngCameras.isEmpty();
    decision.anyNg = anyNg;
    decision.anyRegisters = {verdictRegister(!anyNg), verdictRegister(!visionNg), verdictRegister(!temperatureNg)};
    const int g = stageGroup(s.machineMode, input.detect);
    if (g < 0 || g >= MaxDetectsPerCamera)
        return decision;
    decision.group = g;
    const int rechecksLeft = g < input.recheckRemaining.size() ? input.recheckRemaining.at(g) : 0;
    decision.verdictFinal = rechecksLeft == 0;
    decision.archiveNgAtOnce = (s.multiOutput && g == 0) || !s.latchMode;
    Steps steps{decision.steps};

    // All OK: the extra outputs that followed the spare inputs go off.
    if (!anyNg) {
        steps.set(Output::FirstExtra, false);
        steps.publish();
    }
    // What the display shows once the alarm was dealt with.
    int display = input.displayMode;
    // In multi-output mode a product NG pulses its outputs instead of stopping the machine.
    const bool alarmApplies = !s.multiOutput || g != 0;
    if (s.latchMode) {
        // Latch mode: OK releases the mould (or a latched alarm); NG latches the alarm, or
        // asks for a re-check while re-checks are left.
        if (!anyNg) {
            if (g == 0 && !s.noEjectorControl && !s.multiOutput)
                steps.set(Output::Ejector, false);
            if (g == 1 && !input.relearnPending)
                steps.set(Output::MouldClose, false);
            steps.add(StageStep::ClearRecheck);
            steps.publish();
            if (display == DisplayModes::AlarmLatched && alarmApplies) {
                steps.add(StageStep::WriteAlarmRegister, 0);
                steps.add(StageStep::ReleaseAlarm);
                if (g != 0) {
                    steps.add(StageStep::StartDetect);
                } else {
                    steps.set(Output::Alarm, false);
                    steps.set(Output::Ejector, false);
                    steps.publish();
                    steps.add(StageStep::ResumeDetecting);
                    if (s.machineMode == MachineModes::Standard && !s.semiAutomatic)
                        steps.add(StageStep::RearmCavityStage);
                }
                display = DisplayModes::Normal;
            }
        } else if (alarmApplies && display != DisplayModes::AlarmLatched) {
            if (rechecksLeft == 0) {
                // A stage the door armed keeps the mould from closing while the alarm holds.
                if (input.doorCheck) {
                    steps.set(Output::MouldClose, true);
                    steps.publish();
                }
                steps.add(StageStep::WriteAlarmRegister, (g & 1) + 1);
                steps.add(StageStep::LatchAlarm);
                display = DisplayModes::AlarmLatched;
            } else {
                steps.add(StageStep::RequestRecheck);
            }
        }
    } else {
        // Pulse mode: the verdict is a pulse of the clamp-pulse length.
        steps.set(Output::MouldClose, anyNg);
        steps.set(Output::Ejector, !anyNg);
        steps.set(Output::Alarm, anyNg);
        steps.publish();
        if (s.clampPulseSteps > 0)
            steps.pulse(StageStep::StartClampPulse, s.clampPulseSteps);
    }
    // A temperature NG that does not stop the machine pulses the alarm.
    if (!anyNg && s.temperatureNoStop && temperatureNg)
        steps.add(StageStep::StartAlarmPulse);
    // The verdict is shown for 2 s, with the lamps; only pulse mode lights the NG lamp here
    // (a latched alarm has its own).
    if (display != DisplayModes::AlarmLatched && display != DisplayModes::Editor)
        steps.add(StageStep::ShowResult, !s.latchMode && anyNg ? 1 : 0);
    // The ejector is cut while the mould closes after a good cavity.
    if (!anyNg && g == Stages::Cavity && s.productStageEnabled && s.cutEjectorWhenClamping
        && !s.noEjectorControl && !s.multiOutput) {
        steps.set(Output::Ejector, true);
        steps.publish();
    }
    // The cycle is counted once its verdict is final; examinations and manual captures are not.
    if (!input.clearing && !input.manualCheck && (rechecksLeft == 0 || !anyNg))
        steps.add(StageStep::CountCycle);
    // Output pulses: the NG regions' outputs, or the cuts after an OK.
    if (s.multiOutput && g == 0 && anyNg) {
        for (int i = 0; i < ExtraOutputCount && i < input.extraOutputFlags.size(); ++i) {
            if (input.extraOutputFlags.at(i))
                steps.set(ExtraOutputs[i], true);
        }
        if (!s.noEjectorControl)
            steps.set(Output::Ejector, true);
        steps.publish();
        if (s.ejectorPulseSteps > 0)
            steps.pulse(StageStep::StartNgPulse, s.ejectorPulseSteps);
    } else if (!anyNg) {
        if (s.clampCutAfterOk && g == Stages::Cavity && s.clampPulseSteps > 0)
            steps.pulse(StageStep::StartClampPulse, s.clampPulseSteps);
        if (s.ejectorCutAfterOk && g == 0 && s.ejectorPulseSteps > 0)
            steps.pulse(StageStep::StartEjectorPulse, s.ejectorPulseSteps);
    }
    // The result images of the stage are rendered and their fate decided; unless an alarm
    // holds them for the region page, the archiver takes them.
    steps.add(StageStep::KeepResultImages);
    if (!anyNg || !s.latchMode)
        steps.add(StageStep::ArchiveImages);
    return decision;
}

QString alarmRecordText(const QVector<int> &ngCameras, const QString &cameraEntry, const QString &alarmEntry)
{
    QString text;
    for (int c : ngCameras)
        text += cameraEntry.arg(c + 1);
    text.chop(1);
    return text + alarmEntry;
}

ResultImagePlan planResultImages(int code, bool ok, bool verdictFinal, int okImagesToKeep,
                                 int ngImagesToKeep, bool archiveNgAtOnce)
{
    ResultImagePlan plan;
    plan.code = code;
    switch (code) {
    case ResultCodes::Armed:
        // The awaited result: kept when its keep limit allows, an NG only once it is final.
        if (ok) {
            plan.code = okImagesToKeep > 0 ? ResultCodes::OkToArchive : ResultCodes::None;
        } else if (verdictFinal) {
            plan.code = ngImagesToKeep <= 0 ? ResultCodes::None
                        : archiveNgAtOnce   ? ResultCodes::NgToArchive
                                            : ResultCodes::NgKept;
        }
        plan.renderNew = plan.code == ResultCodes::OkToArchive || plan.code == ResultCodes::NgKept
                         || plan.code == ResultCodes::NgToArchive;
        break;
    case ResultCodes::NgAccepted:
    case ResultCodes::NgAsTemplate:
        // What the operator did with a kept NG is stamped on it, and it goes to the archive.
        plan.rerenderKept = true;
        plan.code = ResultCodes::NgToArchive;
        break;
    case ResultCodes::ExaminedAgain:
        // A passed examination: the NG image stamped, the new OK image beside it.
        if (ok) {
            plan.rerenderKept = true;
            plan.okBesideNg = true;
            plan.code = ResultCodes::BothToArchive;
        } else {
            plan.code = ResultCodes::NgKept;
        }
        break;
    default:
        break;
    }
    return plan;
}
