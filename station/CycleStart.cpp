#include "station/CycleStart.h"

#include "cameras/CameraDiscovery.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"


CycleSettings liveCycleSettings()
{
    using namespace Param;
    CycleSettings s;
    s.cameras = camerasInUse();
    s.stages = stagesInUse();
    s.machineMode = runSetting(MachineMode);
    s.latchMode = runSetting(PulseMode) == 0;
    s.separateSignals = runSetting(SeparateSignals);
    s.mouldSide = runSetting(MouldSide);
    s.semiAutomatic = runSetting(SemiAutomatic) != 0;
    s.preCut = runSetting(PreCut);
    s.cutClampOnMouldAlarm = runSetting(CutClampOnMouldAlarm) != 0;
    s.multiOutput = runSetting(MultiOutput) != 0;
    s.cutEjectorOnProductAlarm = runSetting(CutEjectorOnProductAlarm) != 0;
    s.noEjectorControl = runSetting(NoEjectorControl) != 0;
    s.productStage = runSetting(ProductStage) != 0;
    s.cavityRechecks = runSetting(CavityRechecks);
    s.debounced = runSetting(DebounceSteps) != 0;
    for (int k = 0; k < MaxDetectsPerCamera; ++k) {
        s.stageEnabled[k] = runSetting(StageEnabled + k) != 0;
        s.triggerInput[k] = runSetting(TriggerInput + k);
        s.captureDelay[k] = runSetting(CaptureDelay + k);
    }
    return s;
}

bool startsCycle(const CycleSettings &s, int pos)
{
    if (s.machineMode == MachineModes::Standard || s.machineMode == MachineModes::TwoColour)
        return pos == Input::MouldOpen || (pos == Input::EjectorBack && s.separateSignals != 0);
    return (pos == Input::MouldOpen && s.mouldSide != 1) || (pos == Input::Fourth && s.mouldSide != 0);
}

bool startArms(const CycleSettings &s, int parity)
{
    if (s.cameras <= 0)
        return false;
    for (int l = parity; l < s.stages; l += 2) {
        if (s.stageEnabled[l])
            return true;
    }
    return false;
}

StartHolds cycleStartHolds(const CycleSettings &s, int pos, bool productArmed)
{
    // With separate signals in mode 0 each end holds only what it starts.
    bool closeForbidden = true;
    bool ejectorForbidden = true;
    if (s.machineMode == MachineModes::Standard && s.separateSignals == 1) {
        closeForbidden = pos == Input::EjectorBack;
        ejectorForbidden = pos == Input::MouldOpen;
    }
    StartHolds holds;
    holds.mouldClose = s.preCut == 0 && !s.cutClampOnMouldAlarm && closeForbidden;
    if (productArmed) {
        holds.releaseAll = s.multiOutput || s.cutEjectorOnProductAlarm;
        holds.ejector = !holds.releaseAll && !s.noEjectorControl && ejectorForbidden;
    }
    return holds;
}

CycleStart decideCycleStart(const CycleSettings &s, int pos, bool productArmed)
{
    CycleStart start;
    start.holdsApply = s.latchMode;
    if (s.latchMode) {
        start.holds = cycleStartHolds(s, pos, productArmed);
        start.cavityRechecks = qMax(0, s.cavityRechecks);
    }
    if (s.machineMode == MachineModes::Rotary)
        start.side = pos == Input::MouldOpen ? 1 : 0;
    return start;
}

Rearm secondTriggerRearm(const CycleSettings &s, int pos)
{
    Rearm rearm;
    if (s.machineMode == MachineModes::TwoColour) {
        if (pos == Input::EjectorBack && s.mouldSide != 1)
            rearm = {true, 1};
        else if (pos == Input::Fourth && s.mouldSide != 0)
            rearm = {true, 0};
    } else {
        rearm.rearms = pos == Input::EjectorBack && ((s.semiAutomatic && s.machineMode == MachineModes::Standard) || s.machineMode == MachineModes::Rotary);
    }
    return rearm;
}

bool rearmHoldsMould(const CycleSettings &s)
{
    return s.latchMode && s.preCut == 0;
}

int armingTimers(const CycleSettings &s)
{
    return twoSidedMode(s.machineMode) ? 2 : s.stages;
}

Arming decideArming(const ArmingInput &input)
{
    const CycleSettings &s = input.settings;
    const int k = input.timer;
    Arming arming;
    arming.accumulatedDelay = input.accumulatedDelay;
    if (k < 0 || k >= MaxDetectsPerCamera)
        return arming;
    // On a two-sided machine timer k serves stage k of the side facing the cameras.
    const int stage = twoSidedMode(s.machineMode) && input.side == 0 ? k + 2 : k;
    if (stage >= MaxDetectsPerCamera || !s.stageEnabled[stage] || input.timerActive)
        return arming;
    const int trigger = s.triggerInput[k];
    bool fires = input.pos == trigger;
    if (s.machineMode == MachineModes::Standard && k == input.forcedStage) {
        fires = true;
        arming.accumulatedDelay = 0;
        arming.forcedTaken = true;
    } else if (s.machineMode == MachineModes::TwoColour) {
        fires = fires
            || (trigger == EitherTriggerInput && (input.pos == Input::EjectorBack || input.pos == Input::Fourth));
    } else if (s.machineMode == MachineModes::Rotary) {
        fires = fires
            || (trigger == EitherTriggerInput && (input.pos == Input::MouldOpen || input.pos == Input::Fourth));
    }
    if (!fires)
        return arming;
    arming.fires = true;
    // With the product stage in use, the cavity stage's delay counts on from the product's.
    if (s.machineMode == MachineModes::Standard && k != 0 && !s.semiAutomatic && s.productStage)
        arming.accumulatedDelay += s.captureDelay[k];
    else
        arming.accumulatedDelay = s.captureDelay[k];
    return arming;
}

bool earlyHoldsApply(const EarlyHoldInput &input)
{
    return !input.settings.debounced && input.settings.latchMode && !input.stopped && !input.alarmLatched
        && !input.recheckPending && !input.manualCapturePending && !input.stageTimerBusy;
}

// Only the holds go out early, and only where the pass after the judge starts cycles and arms
// stages on an edge: everything else the edge does waits for that pass, so the pending verdict
// finds its stage as it was armed.
EarlyHolds decideEarlyHolds(const EarlyHoldInput &input)
{
    const CycleSettings &s = input.settings;
    EarlyHolds holds;
    if (!earlyHoldsApply(input) || input.edges == 0)
        return holds;
    // The verdict of a cavity stage leaves no camera owing it.
    bool cavityArmed = input.cavityArmed && (input.judgedStage < 0 || (input.judgedStage & 1) == 0);
    for (int pos = 0; pos < Input::Count; ++pos) {
        if ((input.edges & (1u << pos)) == 0)
            continue;
        if (startsCycle(s, pos)) {
            const StartHolds start = cycleStartHolds(s, pos, startArms(s, 0));
            // A start that lets outputs go is not anticipated.
            if (start.releaseAll)
                return {};
            holds.mouldClose = holds.mouldClose || start.mouldClose;
            holds.ejector = holds.ejector || start.ejector;
            cavityArmed = startArms(s, 1);
        }
        if (cavityArmed && secondTriggerRearm(s, pos).rearms && rearmHoldsMould(s))
            holds.mouldClose = true;
    }
    return holds;
}
