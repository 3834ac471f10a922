// The run controller's pass: inputs, cycle start, stage arming and the capture delays.

#include "station/MoJuWizard.h"

#include "cameras/CameraDiscovery.h"
#include "core/TemperatureChartData.h"
#include "core/Clock.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "station/CammerWidget.h"
#include "station/CycleStart.h"
#include "station/RegionPage.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"
#include "station/StationGlobals.h"
#include "statistics/StatisticsData.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"

#include <QTimer>

#include <algorithm>

using namespace Param;

namespace {

constexpr int RunPassMs = 100;
constexpr int CameraLossRunMs = 500;
constexpr int StageTickMs = 100;
// The 50th pass after start-up or after a camera loss balances the colour cameras.
constexpr int WhiteBalancePass = 49;
constexpr int CameraLostTextEntry = 39;
// Seconds of countdown at which a capture delay is over (ticks are 0.1 s).
constexpr float CountdownDone = 0.11f;
// A camera slower than the run pass may have no frame yet when a capture delay ends: it is
// waited for, a few of its frame periods and never longer than a second.
constexpr int FramePeriodsToWait = 3;
constexpr int FrameWaitMaxMs = 1000;
constexpr int FrameWaitTickMs = 20;

// Marks a pass as running for its lifetime.
class PassGuard
{
public:
    explicit PassGuard(bool &flag) : running(flag) { running = true; }
    ~PassGuard() { running = false; }
    PassGuard(const PassGuard &) = delete;
    PassGuard &operator=(const PassGuard &) = delete;

private:
    bool &running;
};

} // namespace

void MoJuWizard::setOutput(int output, bool on)
{
    controlPort->SetOutput(Output::linkIndex(output), on);
}

void MoJuWizard::publishOutputs()
{
    controlPort->PublishOutputs();
}

int MoJuWizard::camerasInUse() const
{
    return ::camerasInUse();
}

int MoJuWizard::stagesInUse() const
{
    return ::stagesInUse();
}

bool MoJuWizard::stageEnabled(int stage) const
{
    return ::stageEnabled(stage);
}

bool MoJuWizard::stageTimerBusy() const
{
    for (int k = 0; k < stagesInUse(); ++k) {
        if (stageTimers[k]->isActive())
            return true;
    }
    return false;
}

void MoJuWizard::createInputTimers()
{
    using Slot = void (MoJuWizard::*)();
    const Slot handlers[Input::Count] = {
        &MoJuWizard::TimerCheckInput0, &MoJuWizard::TimerCheckInput1, &MoJuWizard::TimerCheckInput2,
        &MoJuWizard::TimerCheckInput3, &MoJuWizard::TimerCheckInput4, &MoJuWizard::TimerCheckInput5,
        &MoJuWizard::TimerCheckInput6, &MoJuWizard::TimerCheckInput7};
    for (int i = 0; i < Input::Count; ++i) {
        debounceTimers[i] = new QTimer(this);
        connect(debounceTimers[i], &QTimer::timeout, this, handlers[i]);
    }
    std::fill(std::begin(inputLatched), std::end(inputLatched), false);
}

void MoJuWizard::createStageTimers()
{
    noSignalTimer = new QTimer(this);
    connect(noSignalTimer, &QTimer::timeout, this, &MoJuWizard::InCheck);
    frameWaitClock.start();
    for (int k = 0; k < MaxStages; ++k) {
        stageTimers[k] = new QTimer(this);
        connect(stageTimers[k], &QTimer::timeout, this, [this, k] { stageTimerTick(k); });
    }
}

void MoJuWizard::TimerCheckInput0() { debounceEnded(0); }
void MoJuWizard::TimerCheckInput1() { debounceEnded(1); }
void MoJuWizard::TimerCheckInput2() { debounceEnded(2); }
void MoJuWizard::TimerCheckInput3() { debounceEnded(3); }
void MoJuWizard::TimerCheckInput4() { debounceEnded(4); }
void MoJuWizard::TimerCheckInput5() { debounceEnded(5); }
void MoJuWizard::TimerCheckInput6() { debounceEnded(6); }
void MoJuWizard::TimerCheckInput7() { debounceEnded(7); }

// An edge counts only when its input is still active once the debounce time is over.
void MoJuWizard::debounceEnded(int input)
{
    debounceTimers[input]->stop();
    inputLatched[input] = controlPort->GetIOState(false, input);
}

void MoJuWizard::Run()
{
    // A modal box opened inside a pass runs a nested event loop, which brings the run timer
    // and the I/O thread's signal back here: that must not start a second pass, but the I/O
    // thread must keep hearing from us.
    if (passActive) {
        keepHeartbeatDuringNestedPass();
        return;
    }
    const PassGuard guard(passActive);
    runTimer->start(RunPassMs);
    // A cycle start's holds go out first: pulling the frames of many large cameras takes a
    // while, and the mould must not wait for it.
    holdAheadOfEdges(NoStageJudged);
    // Outputs held ahead of edges stand until this pass has acted on the edges.
    settleHeldOutputs = controlPort->HasProvisionalOutputs();

    // 1. Colour cameras balance their white once, a few seconds after start-up or a loss.
    if (whiteBalanceCounter <= WhiteBalancePass) {
        if (whiteBalanceCounter == WhiteBalancePass) {
            for (int c = 0; c < camerasInUse(); ++c)
                cameraViews[c]->OneShotWhiteBalance();
        }
        ++whiteBalanceCounter;
    }
    // 2. Input edges while a capture delay runs are ignored.
    const bool busy = stageTimerBusy();
    if (busy)
        triggerRequest = -1;
    // 3. Rising input edges, debounced.
    latchDebouncedInputs(busy);
    // 4. The newest frame of every camera.
    pullFrames();
    // 5. A lost camera holds the mould; nothing else happens in this pass.
    if (handleCameraLoss()) {
        finishStartup(false);
        return;
    }

    if (DisplayMode == DisplayModes::AlarmLatched) {
        // 6. Latched: only the safety door (the operator took the part) is watched.
        watchDoorWhileLatched();
        noSignalTimer->stop();
    } else if (recheckPending) {
        // 7. A cavity NG with re-checks left is judged again.
        runAutomaticRecheck();
        noSignalTimer->stop();
    } else {
        // 8. The safety door may trigger the cavity stage.
        checkDoorOfCavityStage();
        if (RunState == RunStates::Stopped) {
            // 9. Stopped: the two-colour machine's side still follows its inputs.
            if (runSetting(MachineMode) == MachineModes::TwoColour) {
                if (inputLatched[Input::EjectorBack] && runSetting(MouldSide) != 1)
                    side = 1;
                if (inputLatched[Input::Fourth] && runSetting(MouldSide) != 0)
                    side = 0;
            }
            noSignalTimer->stop();
        } else if (!takeRequests(busy)) {
            // 10. and 11. Free run and manual captures, then cycle starts and stage arming.
            runInputPass(busy);
        }
    }
    // 12. The outputs go out, the next pass is due, the I/O thread hears from us.
    endPass(RunPassMs);
    finishStartup(true);
}

void MoJuWizard::endPass(int nextPassMs)
{
    ++runPasses;
    if (settleHeldOutputs) {
        settleHeldOutputs = false;
        controlPort->SettleProvisionalOutputs();
    }
    publishOutputs();
    runTimer->start(nextPassMs);
    controlPort->TouchHeartbeat();
}

void MoJuWizard::keepHeartbeatDuringNestedPass()
{
    publishOutputs();
    controlPort->TouchHeartbeat();
    runTimer->start(RunPassMs);
}

void MoJuWizard::latchDebouncedInputs(bool busy)
{
    const int debounceSteps = runSetting(DebounceSteps);
    for (int i = 0; i < Input::Count; ++i) {
        // Every input is read each pass, so that edges are tracked while busy too.
        if (!controlPort->CheckInput(i) || busy)
            continue;
        if (debounceSteps != 0)
            debounceTimers[i]->start(timerPeriodMs(debounceSteps, 100));
        else
            inputLatched[i] = true;
    }
}

void MoJuWizard::pullFrames()
{
    for (int c = 0; c < camerasInUse(); ++c)
        newFrameThisPass[c] = pullFrame(c);
}

// The newest frame of camera c into its view; true when it is a new one.
bool MoJuWizard::pullFrame(int c)
{
    const bool cameraTriggered = runSetting(ExternalTrigger) != 0 && DisplayMode != DisplayModes::AlarmLatched;
    const bool fresh = cameraViews[c]->GrabFrame();
    if (fresh)
        frameSinceCycleStart[c] = true;
    if (fresh && cameraTriggered)
        newFrameMask |= 1 << c;
    return fresh;
}

// Every camera took a frame on its trigger input since the last such start, and every view
// has its camera on the hardware trigger.
bool MoJuWizard::camerasTriggered() const
{
    const int cameras = camerasInUse();
    if (runSetting(ExternalTrigger) == 0 || cameras <= 0)
        return false;
    const int all = (1 << cameras) - 1;
    if ((newFrameMask & all) != all)
        return false;
    for (int c = 0; c < cameras; ++c) {
        if (!cameraViews[c]->triggerReady)
            return false;
    }
    return true;
}

// A lost camera holds the mould and slows the pass down until every camera is back.
bool MoJuWizard::handleCameraLoss()
{
    bool lost = false;
    for (int c = 0; c < camerasInUse(); ++c)
        lost = lost || !cameraViews[c]->connected;
    if (!lost) {
        if (!cameraWarningHidden) {
            cameraWarningHidden = true;
            if (sharedWarnbox)
                sharedWarnbox->hide();
        }
        return false;
    }
    whiteBalanceCounter = 0;
    setOutput(Output::MouldClose, true);
    publishOutputs();
    if (cameraWarningHidden && sharedWarnbox) {
        sharedWarnbox->setText(uiText(CameraLostTextEntry));
        sharedWarnbox->show();
    }
    noSignalTimer->stop();
    cameraWarningHidden = false;
    endPass(CameraLossRunMs);
    return true;
}

// While the alarm is latched only the safety door (or the ejector-back end in semi-automatic
// mode) is watched: it has the images examined again, which releases the alarm when they pass.
void MoJuWizard::watchDoorWhileLatched()
{
    const bool ejectorBack = detect >= 1 && runSetting(SemiAutomatic) != 0
        && (inputLatched[Input::EjectorBack] || triggerRequest == Input::EjectorBack);
    if (!inputLatched[Input::SafetyDoor] && triggerRequest != Input::SafetyDoor && !ejectorBack)
        return;
    inputLatched[Input::MouldOpen] = false;
    inputLatched[Input::SafetyDoor] = false;
    triggerRequest = -1;
    for (int c = 0; c < camerasInUse(); ++c)
        std::fill(std::begin(cameraViews[c]->ngHandled), std::end(cameraViews[c]->ngHandled), false);
    if (runSetting(MachineMode) == MachineModes::Rotary) {
        const bool first = controlPort->GetIOState(false, Input::MouldOpen);
        const bool second = controlPort->GetIOState(false, Input::Fourth);
        if (first && !second)
            side = 1;
        else if (second && !first)
            side = 0;
    }
    if (regionPage)
        regionPage->SlotReCheck();
    else
        ReCheckImages();
}

void MoJuWizard::runAutomaticRecheck()
{
    const int p = twoSidedMode(runSetting(MachineMode)) ? (detect & 1) : detect;
    if (p < 0 || p >= MaxStages || recheckRemaining[p] <= 0) {
        // Nothing left to examine: the verdict stands as taken.
        recheckPending = 0;
        return;
    }
    --recheckRemaining[p];
    armedCameras[p] = 0;
    if (p == 1 && (runSetting(PreCut) == 0 || recheckRemaining[1] == 0))
        setOutput(Output::MouldClose, true);
    publishOutputs();
    if (stageEnabled(detect)) {
        judgeCamerasTogether(detect);
        for (int c = 0; c < camerasInUse(); ++c) {
            armedCameras[p] |= 1 << c;
            RunAlgorithm(c, detect);
        }
        prejudgedCameras = 0;
    }
    CheckNG(false);
}

void MoJuWizard::checkDoorOfCavityStage()
{
    if (runSetting(DoorCheck) == 0 || RunState == RunStates::Stopped
        || (!inputLatched[Input::SafetyDoor] && triggerRequest != Input::SafetyDoor))
        return;
    triggerRequest = -1;
    const bool twoSided = twoSidedMode(runSetting(MachineMode));
    constexpr int otherCavity = Stages::Cavity + Stages::SecondSide;
    for (int c = 0; c < camerasInUse(); ++c) {
        cameraViews[c]->ngHandled[Stages::Cavity] = false;
        ResultCode[c][Stages::Cavity] = ResultCodes::Armed;
        if (twoSided) {
            cameraViews[c]->ngHandled[otherCavity] = false;
            ResultCode[c][otherCavity] = ResultCodes::Armed;
        }
    }
    doorCheck = true;
    TimerUp(Stages::Cavity);
    doorCheck = false;
}

bool MoJuWizard::takeRequests(bool busy)
{
    if (runSetting(FreeRun) != 0 && !busy && DisplayMode != DisplayModes::AlarmLatched)
        triggerRequest = Input::MouldOpen;
    // The cameras' trigger starts a cycle as the mould-open end would; the frames they took,
    // some in earlier passes, belong to it.
    cycleFramesTriggered = !busy && DisplayMode != DisplayModes::AlarmLatched && camerasTriggered();
    if (cycleFramesTriggered) {
        triggerRequest = Input::MouldOpen;
        newFrameMask = 0;
    }
    // A manual capture waits until no capture delay runs: taken during one it would capture
    // nothing and keep the real verdict from being counted.
    if (manualStage != detectsPerCamera && !busy && runManualCapture())
        return true;
    startOutputDelays();
    return false;
}

bool MoJuWizard::runManualCapture()
{
    const int a = manualStage;
    manualStage = detectsPerCamera;
    if (a < 0 || a >= stagesInUse())
        return false;
    const bool enabled = twoSidedMode(runSetting(MachineMode))
        ? stageEnabled(a) || stageEnabled(a + 2)
        : stageEnabled(a);
    if (!enabled)
        return false;
    stampCycleStart();
    manualCheck = true;
    if (a == 0)
        std::fill(std::begin(extraOutputFlags), std::end(extraOutputFlags), false);
    recheckRemaining[0] = 0;
    recheckRemaining[1] = 0;
    for (int c = 0; c < camerasInUse(); ++c) {
        ResultCode[c][a] = ResultCodes::Armed;
        // The capture judges what the cameras deliver now, as at a cycle start.
        frameSinceCycleStart[c] = newFrameThisPass[c];
    }
    stageCountdown[a] = 0;
    frameWaitDeadline[a] = -1;
    manualCaptureStage = a;
    TimerUp(a);
    // Judged now, or by the stage timer once every camera has a fresh frame: the pass ends
    // here either way.
    return stageTimers[a]->isActive() || DisplayMode == DisplayModes::AlarmLatched;
}

// A manual capture that latched the alarm holds the mould (and the ejector after the product
// stage) as a cycle's NG would.
void MoJuWizard::holdAfterManualCapture(int a)
{
    if (DisplayMode != DisplayModes::AlarmLatched)
        return;
    if (runSetting(PulseMode) == 0) {
        setOutput(Output::MouldClose, true);
        if (a == 0 && runSetting(NoEjectorControl) == 0 && runSetting(MultiOutput) == 0)
            setOutput(Output::Ejector, true);
    }
    publishOutputs();
}

// Output 5 follows the spare inputs 4 and 5, at once or after their delays.
void MoJuWizard::startOutputDelays()
{
    const struct
    {
        bool latched;
        int delaySetting;
    } delays[2] = {{inputLatched[Input::Fourth] && runSetting(ProductStage) != 0, FirstOutputDelay},
                   {inputLatched[Input::Fifth], SecondOutputDelay}};
    for (int i = 0; i < 2; ++i) {
        if (!delays[i].latched)
            continue;
        const int steps = runSetting(delays[i].delaySetting);
        if (steps == 0)
            setOutput(Output::FirstExtra, true);
        else
            outputDelayTimers[i]->start(timerPeriodMs(steps, 100));
    }
}

// The cycle record the result store hands on to the detection engine, stamped now; the time
// since the previous cycle start.
void MoJuWizard::stampCycleStart()
{
    if (statisticsData)
        statisticsData->CheckDay();
    const QDateTime now = wallClock()->now();
    CycleResult cycle = TemperatureChartData::instance()->currentCycle();
    cycle.roundStart = now;
    TemperatureChartData::instance()->SetCurrentCycle(cycle);
    const qint64 tenths = now.toMSecsSinceEpoch() / 100;
    cycleTime = int(qBound<qint64>(INT_MIN, tenths - lastCycleStart, INT_MAX));
    lastCycleStart = tenths;
}

void MoJuWizard::runInputPass(bool busy)
{
    if (busy)
        return;
    for (int pos = 0; pos < Input::Count; ++pos) {
        if (!inputLatched[pos] && pos != triggerRequest)
            continue;
        inputLatched[pos] = false;
        triggerRequest = -1;
        if (startsCycle(liveCycleSettings(), pos))
            startCycle(pos);
        if (armedCameras[1] != 0)
            rearmSecondTrigger(pos);
        if (armedCameras[1] != 0 && !armStages(pos))
            return;
    }
    update();
}

void MoJuWizard::startCycle(int pos)
{
    std::fill(std::begin(cameraNgInCycle), std::end(cameraNgInCycle), false);
    stampCycleStart();
    if (inCheckWarningShown) {
        inCheckWarningShown = false;
        if (sharedWarnbox)
            sharedWarnbox->hide();
    } else if (runSetting(NoSignalSeconds) > 0) {
        noSignalTimer->start(timerPeriodMs(runSetting(NoSignalSeconds), 1000));
    }
    std::fill(armedCameras, armedCameras + stagesInUse(), 0);
    doorOpenedSinceAlarm = false;
    std::fill(std::begin(extraOutputFlags), std::end(extraOutputFlags), false);
    recheckRemaining[0] = 0;
    for (int c = 0; c < camerasInUse(); ++c) {
        for (int l = 0; l < stagesInUse(); ++l) {
            if (!stageEnabled(l))
                continue;
            armedCameras[l & 1] |= 1 << c;
            cameraViews[c]->ngHandled[l] = false;
            ResultCode[c][l] = ResultCodes::Armed;
        }
        // The frame pulled by this pass came after the previous one, with the input edge.
        frameSinceCycleStart[c] = newFrameThisPass[c] || cycleFramesTriggered;
    }

    const CycleStart start = decideCycleStart(liveCycleSettings(), pos, armedCameras[0] != 0);
    recheckRemaining[1] = start.cavityRechecks;
    if (start.holdsApply) {
        const StartHolds &holds = start.holds;
        if (holds.mouldClose)
            setOutput(Output::MouldClose, true);
        if (holds.releaseAll) {
            for (int output = Output::MouldClose; output <= Output::Last; ++output) {
                if (output != Output::Alarm)
                    setOutput(output, false);
            }
        } else if (holds.ejector) {
            setOutput(Output::Ejector, true);
        }
        publishOutputs();
    }
    if (start.side >= 0)
        side = start.side;
}

void MoJuWizard::rearmSecondTrigger(int pos)
{
    const CycleSettings settings = liveCycleSettings();
    const int mode = settings.machineMode;
    const Rearm rearm = secondTriggerRearm(settings, pos);
    if (!rearm.rearms)
        return;
    if (rearm.side >= 0)
        side = rearm.side;
    armedCameras[1] = 0;
    const bool cavityEnabled = stageEnabled(1) || (twoSidedMode(mode) && stageEnabled(3));
    for (int c = 0; c < camerasInUse(); ++c) {
        std::fill(std::begin(cameraViews[c]->ngHandled), std::end(cameraViews[c]->ngHandled), false);
        if (cavityEnabled)
            armedCameras[1] |= 1 << c;
    }
    if (rearmHoldsMould(settings))
        setOutput(Output::MouldClose, true);
    publishOutputs();
}

// Fires every stage whose trigger this input is. False when a stage captured at once stopped
// detection (the alarm latched): the pass ends there.
bool MoJuWizard::armStages(int pos)
{
    for (int k = 0; k < armingTimers(liveCycleSettings()); ++k) {
        // Read afresh for every timer: a stage judged at once may have forced the next one.
        const Arming arming = decideArming(
            {liveCycleSettings(), pos, k, side, stageTimers[k]->isActive(), forcedStage, accumulatedDelay});
        accumulatedDelay = arming.accumulatedDelay;
        if (arming.forcedTaken)
            forcedStage = -1;
        if (!arming.fires)
            continue;
        // The stage judges frames from here on: the one this pass pulled with the input edge,
        // or one that comes later.
        for (int c = 0; c < camerasInUse(); ++c)
            frameSinceCycleStart[c] = newFrameThisPass[c] || cycleFramesTriggered;
        frameWaitDeadline[k] = -1;
        if (accumulatedDelay <= 0) {
            stageCountdown[k] = 0;
            TimerUp(k);
            if (RunState == RunStates::Stopped)
                return false;
        } else {
            stageCountdown[k] = float(accumulatedDelay) / 10;
            stageTimers[k]->start(StageTickMs);
            cyclePhase = CyclePhases::Delaying;
        }
    }
    return true;
}

void MoJuWizard::stageTimerTick(int k)
{
    // Not inside a pass that a modal box holds open; the tick comes again.
    if (passActive)
        return;
    const PassGuard guard(passActive);
    TimerUp(k);
}

void MoJuWizard::TimerUp(int k)
{
    if (k < 0 || k >= MaxStages)
        return;
    const int mode = runSetting(MachineMode);
    // 1. Pre-cut: the mould is held the set tenths of a second before the cavity capture,
    //    so that it cannot start closing while the cavity is still being judged.
    const int preCut = runSetting(PreCut);
    if (k == 1 && preCut >= 1 && preCut <= 99 && stageCountdown[1] * 10 <= float(preCut) + 0.01f
        && runSetting(PulseMode) == 0) {
        setOutput(Output::MouldClose, true);
        publishOutputs();
    }
    // 2. Which stage is judged: on a two-sided machine the timer serves the side that faces
    //    the cameras now; until the delay is over the panels count it down.
    int stage = k;
    if (twoSidedMode(mode)) {
        if (stage >= 2)
            stage -= 2;
        if (side == 0)
            stage += 2;
    }
    detect = stage;
    if (stageCountdown[k] > CountdownDone) {
        // The delay runs on; the panels show the countdown.
        stageCountdown[k] -= 0.1f;
        for (int c = 0; c < camerasInUse(); ++c) {
            CammerWidget *view = cameraViews[c];
            const double ratioX = double(view->width()) / mainViewWidth;
            const double ratioY = double(view->height()) / mainViewHeight;
            view->update(int(520 * ratioX), int(5 * ratioY), 130, 36);
        }
        return;
    }
    // 3. The delay is over. A camera without a frame since the stage was armed is waited
    //    for on this timer, the run pass going on meanwhile; one still without after the wait
    //    is judged lost.
    if (awaitFreshFrames(k))
        return;
    // 4. Every camera judged on the frame it took for this stage, then the verdict acted on
    //    (outputs, latch, counts, images).
    stageTimers[k]->stop();
    measurementValues.clear();
    judgeCamerasTogether(detect);
    for (int c = 0; c < camerasInUse(); ++c) {
        // Handing the rows out takes a while too.
        holdAheadOfEdges(detect);
        RunAlgorithm(c, detect);
    }
    prejudgedCameras = 0;
    publishMeasurements();
    CheckNG(false);
    fillCameraReports();
    cyclePhase = CyclePhases::Captured;
    bool allOk = true;
    for (int c = 0; c < camerasInUse(); ++c)
        allOk = allOk && cameraViews[c]->results->resultOk;
    // 5. A good cavity may renew the templates, learnt once the result has been shown.
    if (DisplayMode != DisplayModes::AlarmLatched && allOk && k == 1 && !recheckPending && runSetting(TemplateAutoUpdate) != 0) {
        autoLearnPending = true;
        for (int c = 0; c < camerasInUse(); ++c)
            cameraViews[c]->SaveReTrainImage(1);
    }
    // 6. A manual capture is over: what it leaves held follows from its verdict.
    if (k == manualCaptureStage) {
        manualCaptureStage = -1;
        holdAfterManualCapture(k);
    }
}

// True while stage timer k waits for a fresh frame of some camera. The wait is bounded by a
// few frame periods of the slowest camera waited for, at most FrameWaitMaxMs; a camera that
// reports no rate is given the most. Frames are pulled on each tick, so a frame is taken as
// soon as it is there rather than at the next run pass. The door check judges at once, as it
// always did: its stage was armed long before.
bool MoJuWizard::awaitFreshFrames(int k)
{
    if (doorCheck)
        return false;
    int waitMs = 0;
    for (int c = 0; c < camerasInUse(); ++c) {
        const CammerWidget *view = cameraViews[c];
        // Lost cameras and simulated ones are not waited for: they are judged at once.
        if (frameSinceCycleStart[c] || view->simulated || !view->opened || !view->connected
            || view->frameBytes <= 0 || pullFrame(c))
            continue;
        const int periods = view->fps > 0 ? FramePeriodsToWait * 1000 / view->fps : FrameWaitMaxMs;
        waitMs = qMax(waitMs, qBound(FrameWaitTickMs, periods, FrameWaitMaxMs));
    }
    if (waitMs == 0) {
        frameWaitDeadline[k] = -1;
        return false;
    }
    const qint64 now = frameWaitClock.elapsed();
    if (frameWaitDeadline[k] < 0)
        frameWaitDeadline[k] = now + waitMs;
    if (now >= frameWaitDeadline[k]) {
        frameWaitDeadline[k] = -1;
        return false;
    }
    stageTimers[k]->start(FrameWaitTickMs);
    return true;
}
