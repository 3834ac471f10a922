#ifndef STATION_MOJUWIZARD_H
#define STATION_MOJUWIZARD_H

#include "cameras/CameraBindingHost.h"
#include "core/Globals.h"
#include "core/StationHost.h"
#include "inspection/ConcurrentJudge.h"
#include "inspection/InspectionWarning.h"
#include "station/OperationRecord.h"
#include "station/RunCodes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPoint>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class CameraInterface;
class CameraWgtBox;
class DottomDockWidget;
class DrawROIWidget;
class ImageBrowser;
class ImagePickForm;
class MenuBtnWidget;
class QHBoxLayout;
class RegionPage;
class ResultImageRenderer;
class CammerWidget;
class FloatSlider;
class ModbusServer;
class QTimer;
class ResultImageBuffers;
class SaveFialImageThread;
class ViewResultImageRenderer;
class StatisticsData;
class StatisticsWidget;
class TemperatureChartWidget;
class Warnbox;
class tipbox;
struct StageDecision;
struct StageInput;
struct StageStep;

// The operator station's full-screen main window. Its constructor builds every run-time object
// of the station in a fixed order (the numbered steps in MoJuWizard.cpp) and the window lives
// until the process ends. It is what the lower layers know as the StationHost, the
// CameraBindingHost and the InspectionWarningSink, and it owns the cameras, the camera panel grid, the I/O board link, the
// Modbus server, the operation record and the production count store.
//
// The mould-cycle run controller lives here too (MoJuWizardRun.cpp, MoJuWizardVerdict.cpp,
// MoJuWizardCounters.cpp): its pass Run() is re-armed by the run timer, debounces the machine
// inputs, starts cycles and arms the detect stages; TimerUp counts a stage's capture delay down
// and has every camera judged (RunAlgorithm); CheckNG turns the verdicts into outputs, the
// alarm latch, lamps, registers, counts and records.
class MoJuWizard : public QWidget,
                   public StationHost,
                   public CameraBindingHost,
                   public InspectionWarningSink
{
    Q_OBJECT

public:
    static constexpr int MaxCameras = CameraSlotCount;
    static constexpr int MaxStages = MaxDetectsPerCamera;
    static constexpr int InputCount = Input::Count;
    static constexpr int ExtraOutputCount = 10;

    explicit MoJuWizard(QWidget *parent = nullptr);
    ~MoJuWizard() override;

    // StationHost
    int userLevel() const override;
    void setUserLevel(int level) override;
    int currentSide() const override;
    void setCurrentSide(int side) override;
    int currentDetect() const override;
    bool screenOff() const override;
    void setScreenOff(bool off) override;
    void restartScreenOffTimer(int milliseconds) override;
    void restartLogoutTimer(int milliseconds) override;
    void appendMeasurementValue(int value) override;
    void updateVisiblePanelTitles() override;
    QWidget *hostWidget() override;

    // CameraBindingHost
    bool confirmNotice(const QString &text) override;
    QByteArray cameraIdentity(int camera) const override;
    void closeDatabasesForReboot() override;

    // InspectionWarningSink: a modal warning box; while the window is built, one that waits
    // for nothing (see warnWithoutBlocking).
    void showWarning(const QString &text) override;

    // The port the Modbus server listens on (502); tests choose a free one with 0.
    static quint16 modbusPort;

    CameraWgtBox *cameraBox = nullptr;
    // The bottom status bar and the side menu at the right of the panels.
    DottomDockWidget *bottomBar = nullptr;
    MenuBtnWidget *sideMenu = nullptr;
    // The image browser, once it exists; null before.
    ImageBrowser *imageBrowser = nullptr;
    // Camera i's view; only the first cameraCount are set.
    CammerWidget *cameraViews[MaxCameras] = {};
    ModbusServer *modbusServer = nullptr;
    // The camera shown alone; cameraCount means all cameras.
    int currentCamera = 0;
    // Per camera, stage and folder (0 NG, 1 OK) the result image folder.
    QDir alarmImageDirs[MaxCameras][MaxStages][2];
    // Archive folder of the production count store.
    QDir statisticsDir;
    OperationRecord operationRecord;

    // The values are named in station/RunCodes.h: RunStates, DisplayModes, CyclePhases.
    int RunState = RunStates::Detecting;
    int DisplayMode = DisplayModes::Normal;
    int cyclePhase = CyclePhases::Idle;
    // Run passes ended since the station was built: how far it has come, for whoever waits on it.
    quint64 runPasses = 0;
    QVector<int> measurementValues;

    // Zoom of the single shown camera.
    double panX = 0;
    double panY = 0;
    double zoomScale = 1.0;
    int zoomCentreX = 0;
    int zoomCentreY = 0;
    FloatSlider *zoomSlider = nullptr;

    int screenWidth = 1920;
    int screenHeight = 1080;

    QTimer *runTimer = nullptr;
    QTimer *dateTimer = nullptr;
    // The result image archiver, running from start-up until the window goes.
    SaveFialImageThread *imageArchiver() const { return archiver.get(); }

    void setCurrentDetect(int stage) { detect = stage; }
    // The detect stage the region editor page edits (written by the page).
    int editDetect = 0;
    // What a press in the camera view shown alone draws on a template: 0 nothing (select and
    // drag), 1 a rectangle, 2 a polygon, 4 a circle. Set by the region page; the view returns
    // it to 0 when a shape is finished or dropped.
    int drawTool = 0;
    // The next press places a copy of the selected region there.
    bool copyAreaPending = false;
    // The polygon tool follows the finger instead of taking single points.
    bool freehandPolygon = false;
    // The previous point of a pan drag, in view pixels.
    QPoint lastMousePoint;
    // Runs for a while after a region parameter changed; its end repaints the window.
    QTimer *drawHintTimer = nullptr;
    // The region and template editor page of the side menu (page 1).
    DrawROIWidget *drawROIWidget = nullptr;
    // A drag over the zoomed camera view moves the picture by the step since the last point.
    void PanView(const QPoint &point);

    // The region editor page and the result image rendering, once they exist; null before.
    void setRegionPage(RegionPage *page) { regionPage = page; }
    void setResultImageRenderer(ResultImageRenderer *renderer) { resultRenderer = renderer; }
    void setImageBrowser(ImageBrowser *browser) { imageBrowser = browser; }
    // Runs the settings dialog modally (the settings library, which builds on the station).
    void setSettingsDialog(std::function<void()> run) { settingsDialog = std::move(run); }
    // The region editor page is on show in the side menu: operator commands are refused then.
    bool regionPageVisible() const;
    // The text the region page sends for the image it shows, in the image title of the camera
    // shown, or of every panel while all cameras are shown.
    void showRecentNgInfo(const QString &text);
    // Seconds left of the first detect stage whose capture delay runs; 0 when none runs.
    float activeCountdown() const;
    // Every panel's report table gets the regions of currentDetect as last judged.
    void fillCameraReports();
    // Output n (1..10) of the I/O board, and sending the changed outputs to the board.
    void setOutput(int output, bool on);
    void publishOutputs();

    // Run controller state.
    // Detect stage of a pending manual capture; detectsPerCamera means none.
    int manualStage = 0;
    // Entries 0 and 1: bit c set = camera c still owes its result for the stages of that parity.
    int armedCameras[MaxStages] = {};
    // Per camera and stage the state of the last result (ResultCodes).
    int ResultCode[MaxCameras][MaxStages] = {};
    // Seconds left of each stage's capture delay.
    float stageCountdown[MaxStages] = {};
    // The stage whose result is on display.
    int shownDetect = 0;
    // Stage armed by the next input pass without its trigger input (machine mode 0); -1 none.
    int forcedStage = -1;
    // The door-opened check of stage 1 runs.
    bool doorCheck = false;
    // Raw frames are saved by RunAlgorithm.
    bool saveOriginalImages = false;
    // Per entry of the extra-output table, an NG region asked for that output.
    bool extraOutputFlags[ExtraOutputCount] = {};
    // Automatic re-checks left, by stage parity; 1 when CheckNG asked for one.
    int recheckRemaining[MaxStages] = {};
    int recheckPending = 0;
    // Tenths of a second between the last two cycle starts, and the last start in units of
    // 100 ms since the epoch.
    int cycleTime = 0;
    qint64 lastCycleStart = 0;
    // Camera c had an NG in the current cycle (counted at the cycle's last stage).
    bool cameraNgInCycle[MaxCameras] = {};
    // Input treated as freshly latched on the next input pass; -1 none.
    int triggerRequest = -1;
    // The running evaluation comes from a manual capture and is not counted.
    bool manualCheck = false;
    // Debounced rising edge of input i waiting to be handled.
    bool inputLatched[InputCount] = {};
    // The last CheckNG saw an NG.
    bool lastVerdictNg = false;
    // The camera-loss warning has been taken down; the no-signal warning is on screen.
    bool cameraWarningHidden = true;
    bool inCheckWarningShown = false;
    // Templates of stage 1 were renewed from an all-OK capture; the comparators follow.
    bool autoLearnPending = false;
    // Camera c delivered a new frame since the current cycle started or its latest stage was
    // armed (the frame pulled by the pass that armed it counts).
    bool frameSinceCycleStart[MaxCameras] = {};
    // With camera-triggered frames: bit c, camera c delivered a frame since the last
    // camera-triggered cycle start.
    int newFrameMask = 0;

    // Runs on the judging threads before each camera's frame is judged (tests hold the judge).
    void setJudgeGate(std::function<void(int stage)> gate) { concurrentJudge.setEngineGate(std::move(gate)); }

    // The examination after an NG that the region page's re-check runs after saving the edits:
    // every region back to OK, the cameras that still owe the stage captured again and the
    // verdict taken with the clearing flag.
    void ReCheckImages();
    // The login prompt: 2 at once without password protection, else the level logged in, else
    // the level the prompt grants (0 when refused).
    int requireLogin();
    // The panels' titles and reports, the bottom bar and the side menu for a display mode;
    // every panel shows currentCamera (all when it equals cameraCount).
    void setCameraViewsMode(int mode);

public slots:
    void InsertRecord(const QString &text) override;
    void ClearRecord();
    void SlotCheckDate();
    // Closes the parameter database and the operation record before a restart or shutdown.
    void FLushAll();
    // Opens them again when the restart or shutdown did not happen.
    void ReopenDatabases();

    // One pass of the run controller.
    void Run();
    void TimerCheckInput0();
    void TimerCheckInput1();
    void TimerCheckInput2();
    void TimerCheckInput3();
    void TimerCheckInput4();
    void TimerCheckInput5();
    void TimerCheckInput6();
    void TimerCheckInput7();
    // One tick of stage k's capture delay; at its end the stage is captured and judged.
    void TimerUp(int k);
    void RunAlgorithm(int camera, int detect);
    void CheckNG(bool isClearNG);
    void CheckNG() { CheckNG(false); }
    void InCheck();
    void ResetRun();
    void StartDetect();
    void StopDetect();
    void SetStopDetect();
    void OutTimerOutNG();
    void OutTimerNotAllowClose();
    void OutTimerNotAllowThimble();
    void BackTrain();
    void TimerShow();
    void CountRead();
    void CountWrite();
    void publishCounters();
    void publishMeasurements();
    void SlotModbusDataChange(QList<int> chg_WriteData_index);

    // Operator commands of the side menu and the panels.
    void SlotStartStop();
    void SlotReTrain();
    // Manual capture of stage a (0 finished product, 1 cavity) on the next pass.
    void SlotManualTrig(int a);
    void SlotAdjustArea();
    // The settings dialog, after a login, on a fresh copy of the live record.
    void SlotSystemPara();
    // Shows currentCamera alone, or all cameras when it equals cameraCount.
    void ChangeCammer();
    void MScaleSetToMin();
    // Services for the settings and the region page.
    void UpdateCameraPanels();
    void ApplyCameraFrameRate();
    void CloseCameras();
    void SetZoomSliderVisible(bool visible);
    // Once a second: lamp 2 blinks while detection runs and stays on while stopped.
    void SlotFPS();
    // The draw-hint timer ran out.
    void SlotDrawHint();

    // The statistics window (modal) and the temperature chart window (beside the station), each
    // built on first use; a notice instead while it is switched off or today's results are
    // still being read.
    void SlotShowStatisticsWidget();
    void SlotTemperatureChart();

    void TimerLogout();
    void TimerLCD();
    void recreateNumberInput();
    void recreateNumCharInput();
    // The zoom slider moved.
    void SlotZoom(float value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void showStartupNotice();
    void createLoginAndScreenTimers();
    void openOperationRecord();
    void copySettings();
    void createKeyboardsAndIoLink();
    void createCamerasAndGrid();
    void createModbusServer();
    void createZoomSliderAndLogin();
    void layOutPanels();
    void makeFolders();
    void createRunTimers();
    void allocateResultImages();
    void startImageArchiver();
    void startOperationRecordDate();
    void createProductionCounts();
    void startRunning();
    void startCameras();
    void finishDialogs();
    void publishRunState();
    // Start-up ends at the end of the first run pass that has taken the board's starting inputs
    // with every camera connected, or at the latest StartupWaitMs after the window was built:
    // then the Modbus host is served (register 0 reads 1 from its first answer on, and every
    // edge after that is seen) and the warnings held back are shown.
    void finishStartup(bool camerasReady);
    // A warning that holds nothing up: shown on top, without a modal loop, once start-up has
    // ended; held until then.
    void warnWithoutBlocking(const QString &text);
    void createSideMenu();
    void createBottomBar();
    void updateZoomSlider();
    void clampPan();
    void refreshStartStopButton();
    // The pixel work of every camera of a trigger (bit c of cameras: camera c), two cameras at
    // a time; RunAlgorithm then hands out each camera's rows in camera order.
    void judgeCamerasTogether(int stage, int cameras = -1);
    ConcurrentJudge concurrentJudge;
    // Bit c: camera c's frame is judged and waits for RunAlgorithm to hand out its rows.
    int prejudgedCameras = 0;

    // The cameras and the detect stages in use, each within the bounds of the arrays here.
    int camerasInUse() const;
    int stagesInUse() const;

    // Run controller helpers.
    void createInputTimers();
    void createStageTimers();
    void createPulseTimers();
    void debounceEnded(int input);
    void stageTimerTick(int k);
    bool stageTimerBusy() const;
    bool stageEnabled(int stage) const;
    void latchDebouncedInputs(bool busy);
    void pullFrames();
    bool pullFrame(int c);
    bool awaitFreshFrames(int k);
    void holdAfterManualCapture(int a);
    bool handleCameraLoss();
    void watchDoorWhileLatched();
    void runAutomaticRecheck();
    void checkDoorOfCavityStage();
    bool takeRequests(bool busy);
    bool runManualCapture();
    void startOutputDelays();
    void stampCycleStart();
    void runInputPass(bool busy);
    void startCycle(int pos);
    void rearmSecondTrigger(int pos);
    // While a judge runs and its rows are handed out, and at the head of a run pass: the mould
    // close and the ejector held at once for edges that the next pass to act on them (the one
    // after the judge, or this one) will start a cycle or re-arm the second trigger on; that
    // pass acts on the edges as always and lets go of what it did not hold itself
    // (ControlPort's provisional outputs). judgedStage is NoStageJudged in a run pass.
    static constexpr int NoStageJudged = -1;
    void holdAheadOfEdges(int judgedStage);
    bool camerasTriggered() const;
    bool armStages(int pos);
    void endPass(int nextPassMs);
    void keepHeartbeatDuringNestedPass();
    bool cameraInUse(int camera) const;
    bool cameraFrameUsable(int camera) const;
    // Why camera cannot be judged on its picture now; empty when it can.
    QString whyNotJudged(int camera) const;
    void judgeByEngine(int camera, int stage);
    void judgeUnjudged(int camera, int stage, const QString &reason);
    void saveRawFrame(int camera, int stage);
    void storeSample(int camera, int stage);
    void judgeNgOutputs(int camera, int stage);
    StageInput stageInput(bool isClearNG) const;
    void carryOut(const StageStep &step, const StageDecision &decision);
    void showResult(bool ngLamp);
    void releaseAlarm();
    void latchAlarm(const StageDecision &decision);
    void logAlarmRelease(const char *how);
    void countCycle(int g);
    void queueResultImages(const StageDecision &decision);
    void flagImagesForArchiver();
    void rebuildEngines(int stage);
    void startAlarmPulse();
    void endAlarmPulse();
    void switchParameterGroup();
    // The I/O board went silent for a second, or answers again: a record row each.
    void boardAnsweringChanged(bool answering);
    void clearCounters();

    RegionPage *regionPage = nullptr;
    ResultImageRenderer *resultRenderer = nullptr;
    std::function<void()> settingsDialog;
    // This pass settles the outputs held ahead of edges during a judge.
    bool settleHeldOutputs = false;
    // True while a Run pass or a stage tick runs; a nested event loop (a modal box) must not
    // start another one.
    bool passActive = false;
    int whiteBalanceCounter = 0;
    qint64 accumulatedDelay = 0;
    bool newFrameThisPass[MaxCameras] = {};
    // Per stage timer, when its wait for fresh frames ends (frameWaitClock); -1 while none runs.
    qint64 frameWaitDeadline[MaxStages] = {-1, -1, -1, -1, -1, -1, -1, -1};
    QElapsedTimer frameWaitClock;
    // Stage of the manual capture being judged; -1 none.
    int manualCaptureStage = -1;
    // The missing engine of camera c has been reported.
    bool engineMissingWarned[MaxCameras] = {};
    // This pass starts a cycle on the frames the cameras took on their trigger.
    bool cycleFramesTriggered = false;
    bool relearnPending = false;
    // What the latched alarm was raised for ("camera 1, 3, detect stage 2"); empty when none.
    QString latchedAlarm;
    quint64 alarmPulseStartPass = 0;
    QTimer *noSignalTimer = nullptr;
    QTimer *resultShowTimer = nullptr;
    QTimer *debounceTimers[InputCount] = {};
    QTimer *stageTimers[MaxStages] = {};
    QTimer *alarmPulseTimer = nullptr;
    QTimer *outputDelayTimers[2] = {};
    QTimer *ngPulseTimer = nullptr;
    QTimer *clampPulseTimer = nullptr;
    QTimer *ejectorPulseTimer = nullptr;

    int level = 0;
    int side = 0;
    int detect = 0;
    bool dark = false;

    // The cameras outlive their views; the grid is deleted before them.
    std::vector<std::unique_ptr<CameraInterface>> cameras;
    std::unique_ptr<Warnbox> warnbox;
    bool constructing = true;
    bool startingUp = true;
    QElapsedTimer startupClock;
    QStringList startupWarnings;
    // Warnings shown without a modal loop; a closed one stays hidden until the window ends.
    std::vector<std::unique_ptr<Warnbox>> openWarnings;
    std::unique_ptr<tipbox> noticeBox;
    std::unique_ptr<StatisticsData> counts;
    std::unique_ptr<ResultImageBuffers> resultImages;
    std::unique_ptr<ViewResultImageRenderer> viewRenderer;
    std::unique_ptr<SaveFialImageThread> archiver;
    QTimer *logoutTimer = nullptr;
    QTimer *backlightTimer = nullptr;
    QTimer *heartbeatTimer = nullptr;
    bool heartbeatBlink = false;
    QHBoxLayout *panelRow = nullptr;
    // Published as statisticsWidget and temperatureChartWidget while they exist.
    std::unique_ptr<StatisticsWidget> statisticsWindow;
    std::unique_ptr<TemperatureChartWidget> chartWindow;
    // The image browser, a window of its own (no parent).
    std::unique_ptr<ImagePickForm> imagePickForm;
};

// The one main window; set by its constructor.
extern MoJuWizard *mainWindow;

#endif
