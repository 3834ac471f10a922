// Capture and evaluation per camera, and the verdicts: outputs, pulses, lamps, registers, the
// alarm latch, counting and the result images.

#include "station/MoJuWizard.h"

#include "cameras/CameraDiscovery.h"
#include "core/Clock.h"
#include "core/PlatformHelpers.h"
#include "core/TemperatureChartData.h"
#include "inspection/DetectAlgorithm.h"
#include "inspection/InspectionWarning.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "machineio/IOThread.h"
#include "machineio/ModbusServer.h"
#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget.h"
#include "station/CammerWidget.h"
#include "station/ImageBrowser.h"
#include "station/ProductionCounters.h"
#include "station/RegionPage.h"
#include "station/ResultImageBuffers.h"
#include "station/ResultImageRenderer.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"
#include "station/StageVerdict.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "statistics/StatisticsData.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/inputbox.h"

#include <QTimer>

#include <algorithm>

using namespace Param;

namespace {

constexpr int AlarmRegister = 1;
constexpr int AnyNgRegister = 150;
constexpr int CameraVerdictRegister = 153;
constexpr int ResultShowMs = 2000;
constexpr int CameraAlarmTextEntry = 151;
constexpr int AlarmTextEntry = 152;
constexpr int NoSignalTextEntry = 335;

} // namespace

void MoJuWizard::createPulseTimers()
{
    resultShowTimer = new QTimer(this);
    connect(resultShowTimer, &QTimer::timeout, this, &MoJuWizard::TimerShow);
    ngPulseTimer = new QTimer(this);
    connect(ngPulseTimer, &QTimer::timeout, this, &MoJuWizard::OutTimerOutNG);
    clampPulseTimer = new QTimer(this);
    connect(clampPulseTimer, &QTimer::timeout, this, &MoJuWizard::OutTimerNotAllowClose);
    ejectorPulseTimer = new QTimer(this);
    connect(ejectorPulseTimer, &QTimer::timeout, this, &MoJuWizard::OutTimerNotAllowThimble);
    for (QTimer *&timer : outputDelayTimers) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timer] {
            setOutput(Output::FirstExtra, true);
            publishOutputs();
            timer->stop();
        });
    }
    alarmPulseTimer = new QTimer(this);
    alarmPulseTimer->setSingleShot(true);
    connect(alarmPulseTimer, &QTimer::timeout, this, &MoJuWizard::endAlarmPulse);
}

void MoJuWizard::RunAlgorithm(int camera, int stage)
{
    if (!cameraInUse(camera) || stage < 0 || stage >= stagesInUse())
        return;
    CammerWidget *view = cameraViews[camera];
    // 1. The camera no longer owes its result.
    armedCameras[stage & 1] &= ~(1 << camera);
    // 2. Raw frames kept for later analysis, when asked for.
    if (saveOriginalImages)
        saveRawFrame(camera, stage);
    // 3. While templates are sampled the capture becomes one.
    if (RunState == RunStates::Sampling) {
        storeSample(camera, stage);
        return;
    }
    // 4. The result store's record learns which camera the rows are of.
    CycleResult cycle = TemperatureChartData::instance()->currentCycle();
    cycle.camera = camera;
    TemperatureChartData::instance()->SetCurrentCycle(cycle);
    // 5. The engine judges a fresh frame. A camera that cannot be judged (no engine, no
    //    readable regions, a lost or frozen camera whose old good picture must not release the
    //    mould) is NG, and its stored row says so.
    const QString refusal = whyNotJudged(camera);
    if (refusal.isEmpty())
        judgeByEngine(camera, stage);
    else
        judgeUnjudged(camera, stage, refusal);
    // 6. An NG holds the machine at once and is kept for the region page.
    if (!view->results->resultOk)
        judgeNgOutputs(camera, stage);
    publishOutputs();
    // 7. The live picture shows what was judged.
    if (editorSource == -1 || editorSource == 1)
        view->update();
    // 8. A camera without an engine is said once where the operator sees it, after the
    //    outputs went out (the box waits for a touch). An unreadable configuration was said
    //    when it was read; a lost camera has its own warning and record.
    if (!view->engine && !engineMissingWarned[camera]) {
        engineMissingWarned[camera] = true;
        showInspectionWarning(tr("%1号相机没有检测算法，每次检测均判为NG").arg(camera + 1));
    }
}

bool MoJuWizard::cameraInUse(int camera) const
{
    return ::cameraInUse(camera) && cameraViews[camera];
}

QString MoJuWizard::whyNotJudged(int camera) const
{
    const CammerWidget *view = cameraViews[camera];
    if (!view->engine)
        return QStringLiteral("no detection engine");
    if (view->configUnreadable)
        return QStringLiteral("its detection configuration could not be read");
    if (!cameraFrameUsable(camera))
        return view->connected ? QStringLiteral("frozen: no new frame since the stage was armed")
                               : QStringLiteral("disconnected");
    return QString();
}

void MoJuWizard::judgeByEngine(int camera, int stage)
{
    CammerWidget *view = cameraViews[camera];
    DetectAlgorithm *engine = view->engine.get();
    // A camera judged together with the others only publishes what it found.
    const bool prejudged = (prejudgedCameras & (1 << camera)) != 0;
    prejudgedCameras &= ~(1 << camera);
    // The frame aligned to its reference and positioned; the view shows what is judged.
    if (!prejudged) {
        engine->registerImage(stage);
        engine->locate(stage);
    }
    // Simulated cameras show their stored picture as the engine moved it.
    view->cameraImage = simulatedCameras ? view->judgedPicture() : view->frameImage;
    // Every region of the stage judged; the results, the measured values and the result rows
    // follow.
    if (prejudged)
        engine->publish();
    else
        engine->run(stage);
}

// The verdict the station acts on, NG, with every region of the stage unpassed, and the row
// of it in the result store, as the engine would have stored it.
void MoJuWizard::judgeUnjudged(int camera, int stage, const QString &reason)
{
    CammerWidget *view = cameraViews[camera];
    view->cameraImage = view->frameImage;
    qWarning("camera %d, detect stage %d: judged NG, %s", camera + 1, stage + 1, qPrintable(reason));
    DetectionResults &results = *view->results;
    results.resultOk = false;
    results.regionResultOk = false;
    results.temperatureResultOk = true;
    CycleResult record = TemperatureChartData::instance()->currentCycle();
    record.detect = stage;
    record.detectStart = wallClock()->now();
    record.result = 0;
    record.roiDetail.clear();
    record.roiResult.clear();
    if (const CammerSingleton *config = view->activeConfig.get()) {
        const int regions = qBound(0, config->roiCount[stage], int(CammerWidget::MaxRegions));
        for (int i = 0; i < regions; ++i) {
            results.roiOk[stage][i] = false;
            const int tool = config->toolType[CammerSingleton::slot(stage, i)];
            if (tool == IgnoreTool || tool == PositionTool || tool == AngleCorrectionTool)
                continue;
            // No measured value: the tool type alone.
            record.roiDetail.append(QList<int>{tool});
            record.roiResult.append(0);
        }
    }
    TemperatureChartData *store = TemperatureChartData::instance();
    store->SetCurrentCycle(record);
    store->AppendCycleData();
    store->InsertResult();
}

void MoJuWizard::judgeCamerasTogether(int stage, int cameras)
{
    prejudgedCameras = 0;
    // Captures taken as templates are not judged.
    if (RunState == RunStates::Sampling || stage < 0 || stage >= stagesInUse())
        return;
    std::vector<DetectAlgorithm *> engines;
    for (int c = 0; c < camerasInUse(); ++c) {
        const bool asked = (cameras & (1 << c)) != 0;
        engines.push_back(asked && cameraViews[c] && whyNotJudged(c).isEmpty() ? cameraViews[c]->engine.get()
                                                                               : nullptr);
    }
    // The GUI thread waits the judge out free to hold the machine for edges meanwhile.
    const std::vector<bool> judged = concurrentJudge.judge(engines, stage, [this, stage] { holdAheadOfEdges(stage); });
    for (size_t c = 0; c < judged.size(); ++c) {
        if (judged[c])
            prejudgedCameras |= 1 << c;
    }
}

bool MoJuWizard::cameraFrameUsable(int camera) const
{
    const CammerWidget *view = cameraViews[camera];
    if (!view->opened || !view->connected || view->frameBytes <= 0)
        return false;
    // A simulated camera shows stored pictures and never reports a new frame.
    return view->simulated || frameSinceCycleStart[camera];
}

void MoJuWizard::saveRawFrame(int camera, int stage)
{
    const CammerWidget *view = cameraViews[camera];
    if (view->frameBytes <= 0)
        return;
    // Copied row by row into the padded rows of a bitmap: a grey frame is width bytes a row,
    // which is no bitmap stride unless the width is a multiple of 4.
    const QString file = QStringLiteral("./originalimage/cammer%1%2/template%3.bmp")
                             .arg(camera + 1)
                             .arg(stage + 1)
                             .arg(wallClock()->now().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")));
    if (!saveTemplateImage(file, view->imageWidth, view->imageHeight, view->isColor, view->frameImage.data()))
        qWarning("raw frame %s not saved", qPrintable(file));
}

// Re-sampling: the capture becomes template slot 0 of the stage. When this capture took the
// last pending sample, detection starts again and the operator is taken to the region page,
// once: a later capture must not open the page again over unsaved edits.
void MoJuWizard::storeSample(int camera, int stage)
{
    CammerWidget *view = cameraViews[camera];
    if (!view->samplePending[stage])
        return;
    if (stageEnabled(stage))
        view->SaveReTrainImage(stage);
    view->samplePending[stage] = false;
    view->results->resultOk = true;
    for (int c = 0; c < camerasInUse(); ++c) {
        for (int d = 0; d < stagesInUse(); ++d) {
            if (stageEnabled(d) && cameraViews[c]->samplePending[d])
                return;
        }
    }
    StartDetect();
    if (runSetting(PulseMode) == 0) {
        setOutput(Output::MouldClose, true);
        publishOutputs();
    }
    RunState = RunStates::Sampling;
    if (requireLogin() == 0) {
        RunState = RunStates::Detecting;
        return;
    }
    DisplayMode = DisplayModes::Editor;
    if (regionPage)
        regionPage->enterEditor();
    setCameraViewsMode(DisplayModes::Editor);
    regionEditActive = true;
}

void MoJuWizard::judgeNgOutputs(int camera, int stage)
{
    CammerWidget *view = cameraViews[camera];
    const int p = stage & 1;
    if (runSetting(PulseMode) == 0) {
        if (p == 0) {
            if (runSetting(NoEjectorControl) == 0 && runSetting(MultiOutput) == 0) {
                setOutput(Output::Ejector, true);
                if (runSetting(PreCut) == 0 && runSetting(CutClampOnMouldAlarm) == 0
                    && runSetting(SeparateSignals) == 0)
                    setOutput(Output::MouldClose, true);
            }
            if (runSetting(MultiOutput) == 0 && recheckRemaining[p] == 0)
                setOutput(Output::Alarm, true);
        } else {
            if (runSetting(PreCut) == 0 || recheckRemaining[1] == 0)
                setOutput(Output::MouldClose, true);
            if (recheckRemaining[p] == 0)
                setOutput(Output::Alarm, true);
        }
    }
    if (runSetting(MultiOutput) != 0 && p == 0 && view->activeConfig) {
        const int regions = qBound(0, view->activeConfig->roiCount[0], int(CammerWidget::MaxRegions));
        for (int i = 0; i < regions; ++i) {
            if (view->results->roiOk[0][i])
                continue;
            const int entry = view->activeConfig->outN[i];
            if (entry >= 0 && entry < ExtraOutputCount)
                extraOutputFlags[entry] = true;
            else
                qWarning("camera %d region %d names extra output %d, which does not exist",
                         camera + 1, i + 1, entry);
        }
    }
    if (ResultCode[camera][stage] == ResultCodes::Armed && recheckRemaining[p] == 0
        && stage < int(view->recentNgImages.size())) {
        const int slot = view->recentNgCount[stage] % CammerWidget::RecentNgSlots;
        view->recentNgImages[size_t(stage)][size_t(slot)] = view->judgedPicture();
        ++view->recentNgCount[stage];
    }
}

// The settings and verdicts the decision of a judged stage reads.
StageInput MoJuWizard::stageInput(bool isClearNG) const
{
    StageInput input;
    StageSettings &s = input.settings;
    s.machineMode = runSetting(MachineMode);
    s.latchMode = runSetting(PulseMode) == 0;
    s.multiOutput = runSetting(MultiOutput) != 0;
    s.noEjectorControl = runSetting(NoEjectorControl) != 0;
    s.temperatureNoStop = runSetting(TemperatureNoStop) != 0;
    s.cutEjectorWhenClamping = runSetting(CutEjectorWhenClamping) != 0;
    s.clampCutAfterOk = runSetting(ClampCutAfterOk) != 0;
    s.ejectorCutAfterOk = runSetting(EjectorCutAfterOk) != 0;
    s.semiAutomatic = runSetting(SemiAutomatic) != 0;
    s.clampPulseSteps = runSetting(ClampPulse);
    s.ejectorPulseSteps = runSetting(EjectorPulse);
    s.productStageEnabled = stageEnabled(0);
    for (int c = 0; c < camerasInUse(); ++c) {
        const DetectionResults &results = *cameraViews[c]->results;
        input.cameras.append({results.resultOk, results.regionResultOk, results.temperatureResultOk});
    }
    input.detect = detect;
    input.displayMode = DisplayMode;
    input.relearnPending = relearnPending;
    input.recheckRemaining = QVector<int>(std::begin(recheckRemaining), std::end(recheckRemaining));
    input.doorCheck = doorCheck;
    input.clearing = isClearNG;
    input.manualCheck = manualCheck;
    input.extraOutputFlags = QVector<bool>(std::begin(extraOutputFlags), std::end(extraOutputFlags));
    return input;
}

void MoJuWizard::CheckNG(bool isClearNG)
{
    // While the operator edits regions the verdicts are not acted on: the editor owns the
    // outputs until it hands them back.
    if (regionEditActive)
        return;
    const StageDecision decision = decideStage(stageInput(isClearNG));
    // The host reads every camera's verdict and the verdict of any camera; NG panels blink.
    for (int c = 0; c < decision.cameraRegisters.size(); ++c)
        modbusServer->SetReadRegisters(CameraVerdictRegister + 3 * c, decision.cameraRegisters.at(c));
    modbusServer->SetReadRegisters(AnyNgRegister, decision.anyRegisters);
    if (resultRenderer) {
        for (int c : decision.ngCameras)
            resultRenderer->StartAlarmBlink(c);
    }
    lastVerdictNg = decision.anyNg;
    // Outputs, latch, display, counts and images, in the order the decision gives.
    for (const StageStep &step : decision.steps)
        carryOut(step, decision);
    // The next evaluation counts again.
    manualCheck = false;
}

void MoJuWizard::carryOut(const StageStep &step, const StageDecision &decision)
{
    switch (step.kind) {
    case StageStep::SetOutput:
        setOutput(step.output, step.value != 0);
        break;
    case StageStep::Publish:
        publishOutputs();
        break;
    case StageStep::WriteAlarmRegister:
        modbusServer->SetReadRegister(AlarmRegister, short(step.value));
        break;
    case StageStep::LatchAlarm:
        latchAlarm(decision);
        break;
    case StageStep::ReleaseAlarm:
        releaseAlarm();
        break;
    case StageStep::StartDetect:
        StartDetect();
        break;
    case StageStep::ResumeDetecting:
        DisplayMode = DisplayModes::Normal;
        ResetRun();
        RunState = RunStates::Detecting;
        break;
    case StageStep::RearmCavityStage:
        triggerRequest = Input::SafetyDoor;
        forcedStage = Stages::Cavity;
        break;
    case StageStep::RequestRecheck:
        recheckPending = 1;
        break;
    case StageStep::ClearRecheck:
        recheckPending = 0;
        break;
    case StageStep::StartAlarmPulse:
        startAlarmPulse();
        break;
    case StageStep::ShowResult:
        showResult(step.value != 0);
        break;
    case StageStep::CountCycle:
        countCycle(decision.group);
        break;
    case StageStep::StartNgPulse:
        ngPulseTimer->start(step.value);
        break;
    case StageStep::StartClampPulse:
        clampPulseTimer->start(step.value);
        break;
    case StageStep::StartEjectorPulse:
        ejectorPulseTimer->start(step.value);
        break;
    case StageStep::KeepResultImages:
        queueResultImages(decision);
        break;
    case StageStep::ArchiveImages:
        flagImagesForArchiver();
        break;
    }
}

// The verdict stays on screen for 2 s with the lamps.
void MoJuWizard::showResult(bool ngLamp)
{
    DisplayMode = DisplayModes::ResultShown;
    resultShowTimer->start(ResultShowMs);
    shownDetect = detect;
    update();
    setStatusLed(Lamps::VerdictRed, ngLamp ? 0 : 1);
    setStatusLed(Lamps::VerdictGreen, ngLamp ? 1 : 0);
}

// The images passed again: the region page closes and the panels show the live pictures.
void MoJuWizard::releaseAlarm()
{
    logAlarmRelease("the images pass again");
    if (regionPage)
        regionPage->closeEditor();
    setCameraViewsMode(DisplayModes::Normal);
}

// Detection stops and the region page shows the NG cameras until the operator deals with them.
void MoJuWizard::latchAlarm(const StageDecision &decision)
{
    if (dark) {
        setBacklight(true);
        if (runSetting(BacklightSeconds) > 0)
            restartScreenOffTimer(timerPeriodMs(runSetting(BacklightSeconds), 1000));
    }
    SetStopDetect();
    currentCamera = cameraCount == 1 ? 0 : cameraCount;
    DisplayMode = DisplayModes::AlarmLatched;
    if (imageBrowser) {
        imageBrowser->selectSource(EditorSources::Live);
        imageBrowser->selectCamera(currentCamera);
    }
    if (regionPage)
        regionPage->enterEditor();
    setCameraViewsMode(DisplayModes::AlarmLatched);
    recheckPending = 0;
    setStatusLed(Lamps::VerdictRed, 0);
    setStatusLed(Lamps::VerdictGreen, 1);
    InsertRecord(alarmRecordText(decision.ngCameras, uiText(CameraAlarmTextEntry), uiText(AlarmTextEntry)));
    QStringList ngCameras;
    for (int c : decision.ngCameras)
        ngCameras << QString::number(c + 1);
    latchedAlarm = QStringLiteral("camera %1, detect stage %2").arg(ngCameras.join(QStringLiteral(", "))).arg(detect + 1);
    qWarning("alarm latched: NG at %s", qPrintable(latchedAlarm));
}

// Once per latch, however it ends.
void MoJuWizard::logAlarmRelease(const char *how)
{
    if (latchedAlarm.isEmpty())
        return;
    qInfo("alarm released (%s): %s", how, qPrintable(latchedAlarm));
    latchedAlarm.clear();
}

// The cycle is counted at its last stage; an NG that still has re-checks left is not counted
// yet. The counts reach "count.txt" at once, so a power cut during a latched alarm keeps them.
void MoJuWizard::countCycle(int g)
{
    for (int c = 0; c < camerasInUse(); ++c) {
        if (!cameraViews[c]->results->resultOk)
            cameraNgInCycle[c] = true;
    }
    if (g != Stages::Cavity)
        return;
    bool cycleNg = false;
    for (int c = 0; c < camerasInUse(); ++c) {
        cameraTotalCount[c] = wrappingIncrement(cameraTotalCount[c]);
        if (cameraNgInCycle[c]) {
            cameraNgCount[c] = wrappingIncrement(cameraNgCount[c]);
            cycleNg = true;
        }
    }
    cycleTotalCount = wrappingIncrement(cycleTotalCount);
    if (cycleNg)
        cycleNgCount = wrappingIncrement(cycleNgCount);
    publishCounters();
    CountWrite();
}

void MoJuWizard::queueResultImages(const StageDecision &decision)
{
    const int d = detect;
    if (d < 0 || d >= MaxStages)
        return;
    for (int c = 0; c < camerasInUse(); ++c) {
        const bool ok = cameraViews[c]->results->resultOk;
        int &code = ResultCode[c][d];
        const ResultImagePlan plan = planResultImages(code, ok, decision.verdictFinal, okImagesToKeep,
                                                      ngImagesToKeep, decision.archiveNgAtOnce);
        if (plan.renderNew) {
            if (resultRenderer)
                resultRenderer->SaveFailImage(c, d, ok ? ResultImageBuffers::OkSlot : ResultImageBuffers::NgSlot);
            if (statisticsEnabled && statisticsData)
                statisticsData->AddResult(wallClock()->now().time().hour(), ok, c, d);
        }
        if (resultRenderer && plan.rerenderKept)
            resultRenderer->UpdateFailImage(c, d, ResultImageBuffers::NgSlot, code);
        if (resultRenderer && plan.okBesideNg) {
            resultRenderer->SaveFailImage(c, d, ResultImageBuffers::OkSlot);
            resultRenderer->UpdateFailImage(c, d, ResultImageBuffers::OkSlot, ResultCodes::NgRerendered);
        }
        code = plan.code;
    }
}

void MoJuWizard::flagImagesForArchiver()
{
    if (!imageSaveBuffers)
        return;
    for (int c = 0; c < camerasInUse(); ++c) {
        for (int d = 0; d < stagesInUse(); ++d) {
            int &code = ResultCode[c][d];
            if (code == ResultCodes::OkToArchive) {
                imageSaveBuffers->flag(c, d, ResultImageBuffers::OkSlot, false);
            } else if (code == ResultCodes::NgToArchive) {
                imageSaveBuffers->flag(c, d, ResultImageBuffers::NgSlot, true);
            } else if (code == ResultCodes::BothToArchive) {
                // The OK image of a passed re-examination goes beside the NG image it clears.
                imageSaveBuffers->flag(c, d, ResultImageBuffers::NgSlot, true);
                imageSaveBuffers->flag(c, d, ResultImageBuffers::OkSlot, true);
            } else {
                continue;
            }
            code = ResultCodes::None;
        }
    }
}

// The alarm output of a temperature warning that does not stop the machine. However short the
// setting, the pulse stays on until the I/O thread has sent it to the board.
void MoJuWizard::startAlarmPulse()
{
    setOutput(Output::Alarm, true);
    publishOutputs();
    alarmPulseStartPass = controlPort->IoPassCount();
    alarmPulseTimer->start(timerPeriodMs(runSetting(AlarmPulse), 100));
}

void MoJuWizard::endAlarmPulse()
{
    // The pass running when the word was published may have read the old one; the one after
    // it has sent the new word.
    constexpr quint64 PassesToReachBoard = 2;
    if (controlPort->IsBoardAnswering()
        && controlPort->IoPassCount() < alarmPulseStartPass + PassesToReachBoard) {
        alarmPulseTimer->start(IOThread::PassMs);
        return;
    }
    setOutput(Output::Alarm, false);
    publishOutputs();
}

void MoJuWizard::InCheck()
{
    setOutput(Output::MouldClose, true);
    publishOutputs();
    noSignalTimer->stop();
    InsertRecord(uiText(NoSignalTextEntry));
    if (sharedWarnbox) {
        sharedWarnbox->setText(uiText(NoSignalTextEntry));
        sharedWarnbox->show();
    }
    inCheckWarningShown = true;
}

// The camera verdicts go back to OK with the region verdicts: the alarm latch reads them, so
// an accepted NG must not stay NG there.
void MoJuWizard::ResetRun()
{
    for (int c = 0; c < camerasInUse(); ++c) {
        DetectionResults &results = *cameraViews[c]->results;
        for (auto &stage : results.roiOk)
            std::fill(std::begin(stage), std::end(stage), true);
        results.passVerdicts();
    }
}

void MoJuWizard::StartDetect()
{
    if (DisplayMode == DisplayModes::AlarmLatched)
        logAlarmRelease("detection started again");
    controlPort->ResetOutputs();
    if (runSetting(CutEjectorWhenClamping) != 0
        || (runSetting(SeparateSignals) == 1 && runSetting(EjectorCutAfterOk) != 0
            && runSetting(EjectorPulse) > 0))
        setOutput(Output::Ejector, true);
    publishOutputs();
    DisplayMode = DisplayModes::Normal;
    recheckPending = 0;
    std::fill(std::begin(recheckRemaining), std::end(recheckRemaining), 0);
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = cameraViews[c];
        view->results->passVerdicts();
        for (auto &stage : view->results->roiOk)
            std::fill(std::begin(stage), std::end(stage), true);
        std::fill(std::begin(view->results->roiValue), std::end(view->results->roiValue), 0);
    }
    std::fill(std::begin(stageCountdown), std::end(stageCountdown), 0.0f);
    RunState = RunStates::Detecting;
}

void MoJuWizard::StopDetect()
{
    controlPort->ResetOutputs();
    if (runSetting(StopClampOnStop) == 1)
        setOutput(Output::MouldClose, true);
    publishOutputs();
    SetStopDetect();
}

void MoJuWizard::SetStopDetect()
{
    const int mode = runSetting(MachineMode);
    if (mode == 0)
        armedCameras[detect == 0 ? 0 : 1] = 0;
    else if (twoSidedMode(mode))
        armedCameras[detect & 1] = 0;
    for (int k = 0; k < stagesInUse(); ++k) {
        stageTimers[k]->stop();
        stageCountdown[k] = 0;
        frameWaitDeadline[k] = -1;
    }
    manualCaptureStage = -1;
    RunState = RunStates::Stopped;
}

void MoJuWizard::OutTimerNotAllowClose()
{
    clampPulseTimer->stop();
    if (runSetting(PulseMode) != 0) {
        setOutput(Output::MouldClose, false);
        setOutput(Output::Ejector, false);
        setOutput(Output::Alarm, false);
    } else if (RunState != RunStates::Stopped) {
        setOutput(Output::MouldClose, true);
    } else {
        return;
    }
    publishOutputs();
}

void MoJuWizard::OutTimerNotAllowThimble()
{
    ejectorPulseTimer->stop();
    if (runSetting(PulseMode) != 0) {
        setOutput(Output::MouldClose, false);
        setOutput(Output::Ejector, false);
    } else if (RunState != RunStates::Stopped) {
        setOutput(Output::Ejector, true);
    } else {
        return;
    }
    publishOutputs();
}

void MoJuWizard::OutTimerOutNG()
{
    ngPulseTimer->stop();
    if (runSetting(NoEjectorControl) == 0)
        setOutput(Output::Ejector, false);
    if (runSetting(MultiOutput) != 0) {
        for (int i = 0; i < ExtraOutputCount; ++i) {
            if (extraOutputFlags[i])
                setOutput(extraOutputOf(i), false);
        }
    }
    publishOutputs();
}

void MoJuWizard::BackTrain()
{
    if (runSetting(PulseMode) == 0) {
        setOutput(Output::MouldClose, false);
        if (runSetting(CutEjectorWhenClamping) != 0 && stageEnabled(0)
            && runSetting(NoEjectorControl) == 0 && runSetting(MultiOutput) == 0
            && runSetting(MachineMode) == MachineModes::Standard)
            setOutput(Output::Ejector, true);
    }
    publishOutputs();
    RunState = RunStates::Detecting;
    CheckNG(true);
    cyclePhase = CyclePhases::Captured;
    relearnPending = true;
}

void MoJuWizard::TimerShow()
{
    resultShowTimer->stop();
    if (DisplayMode != DisplayModes::AlarmLatched) {
        setStatusLed(Lamps::VerdictRed, 1);
        setStatusLed(Lamps::VerdictGreen, 1);
        if (!recheckPending && detect == shownDetect && detectsPerCamera > 0) {
            detect = (detect + 1) % detectsPerCamera;
            if (detect % 2 == 0 && runSetting(ProductStage) == 0)
                detect = (detect + 1) % detectsPerCamera;
        }
        cyclePhase = CyclePhases::Idle;
        if (DisplayMode == DisplayModes::ResultShown) {
            DisplayMode = DisplayModes::Normal;
            update();
        }
    }
    // The engines learn the renewed templates: every enabled stage after region editing,
    // stage 1 after an automatic template update.
    if (relearnPending) {
        relearnPending = false;
        for (int stage = 0; stage < MaxStages; ++stage) {
            if (stageEnabled(stage))
                rebuildEngines(stage);
        }
    } else if (autoLearnPending) {
        autoLearnPending = false;
        rebuildEngines(Stages::Cavity);
    }
}

void MoJuWizard::rebuildEngines(int stage)
{
    for (int c = 0; c < camerasInUse(); ++c) {
        if (DetectAlgorithm *engine = cameraViews[c]->engine.get()) {
            engine->buildPositioningModel(stage);
            engine->buildRegistrationReference(stage);
            engine->prepareComparators(stage);
        }
    }
}

void MoJuWizard::ReCheckImages()
{
    const int s = detect;
    if (s < 0 || s >= MaxStages)
        return;
    ResetRun();
    const int g = twoSidedMode(runSetting(MachineMode)) ? (s & 1) : s;
    armedCameras[g] = 0;
    if (g == 1) {
        if (runSetting(CutClampOnMouldAlarm) == 0)
            setOutput(Output::MouldClose, true);
    } else if (g == 0 && runSetting(NoEjectorControl) == 0 && runSetting(MultiOutput) == 0
               && runSetting(CutEjectorOnProductAlarm) == 0) {
        setOutput(Output::Ejector, true);
    }
    publishOutputs();
    QVector<int> examined;
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = cameraViews[c];
        if (view->ngHandled[s] || !stageEnabled(s)) {
            // Handled by the operator: it stays OK.
            view->results->passVerdicts();
            continue;
        }
        armedCameras[g] |= 1 << c;
        if (ResultCode[c][s] == ResultCodes::NgKept)
            ResultCode[c][s] = ResultCodes::ExaminedAgain;
        examined.append(c);
    }
    int examinedMask = 0;
    for (int c : qAsConst(examined))
        examinedMask |= 1 << c;
    judgeCamerasTogether(s, examinedMask);
    for (int c : qAsConst(examined))
        RunAlgorithm(c, s);
    prejudgedCameras = 0;
    CheckNG(true);
}

int MoJuWizard::requireLogin()
{
    if (runSetting(PasswordUsed) == 0)
        return 2;
    if (level != 0)
        return level;
    inputbox prompt(1);
    prompt.exec();
    return level;
}
