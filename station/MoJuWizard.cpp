#include "station/MoJuWizard.h"

#include "cameras/CameraDiscovery.h"
#include "cameras/CameraInterface.h"
#include "cameras/CameraSerials.h"
#include "core/Globals.h"
#include "core/Clock.h"
#include "core/ParameterManager.h"
#include "core/PlatformHelpers.h"
#include "core/SystemParameters.h"
#include "core/TemperatureChartData.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "machineio/ModbusServer.h"
#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget.h"
#include "station/CameraWgt_DataWidget_Title.h"
#include "station/CammerWidget.h"
#include "station/DottomDockWidget.h"
#include "station/DrawROIWidget.h"
#include "station/ImagePickForm.h"
#include "station/MenuBtnWidget.h"
#include "station/ResultImageBuffers.h"
#include "station/RunSettings.h"
#include "station/SaveFialImageThread.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "station/ViewResultImageRenderer.h"
#include "statistics/StatisticsData.h"
#include "statistics/StatisticsWidget.h"
#include "statistics/TemperatureChartWidget.h"
#include "uikit/FloatSlider.h"
#include "uikit/NumCharInput.h"
#include "uikit/NumberInput.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/inputbox.h"
#include "uikit/tipbox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QSlider>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

MoJuWizard *mainWindow = nullptr;
quint16 MoJuWizard::modbusPort = ModbusServer::DefaultPort;

namespace {

constexpr int MainViewWidth = 1753;
constexpr int MainViewHeight = 1017;
constexpr quint32 AllCameraFamilies = 0x31C;

constexpr int StatisticsFileErrorEntry = 544;
constexpr int StartupRecordEntry = 150;
constexpr int BoardSilentEntry = 627;
constexpr int BoardBackEntry = 628;

constexpr int FirstRunMs = 5;
constexpr int IoChangeRunMs = 1;
constexpr int DateCheckMs = 60000;
constexpr int HeartbeatMs = 1000;

} // namespace

MoJuWizard::MoJuWizard(QWidget *parent)
    : QWidget(parent)
    , statisticsDir(QStringLiteral("./ResStatistics"))
{
    setObjectName(QStringLiteral("MoJuWizard"));
    setWindowTitle(QStringLiteral("MouldMonitor"));
    setWindowFlags(Qt::FramelessWindowHint);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(0x26, 0x2E, 0x34));
    setPalette(dark);
    setAutoFillBackground(true);

    // 1. The lower layers reach the window from here on (records written while it is built
    //    land in the operation record); the panel runs without a window manager, so the
    //    window takes the whole screen itself.
    mainWindow = this;
    stationHost = this;
    inspectionWarningSink = this;
    mainViewWidth = MainViewWidth;
    mainViewHeight = MainViewHeight;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        screenWidth = screen->geometry().width();
        screenHeight = screen->geometry().height();
        setGeometry(screen->geometry());
    }
    setFixedSize(screenWidth, screenHeight);

    // 2. A count store for the time of the start-up: it creates the count file when missing.
    auto startupCounts = std::make_unique<StatisticsData>(0, detectsPerCamera,
                                                          TemperatureChartData::instance());
    // 3. The operator sees that the station is starting.
    showStartupNotice();
    // 4. Every camera family is looked for; login, screen-off and debounce timers.
    cameraFamilyMask = AllCameraFamilies;
    createLoginAndScreenTimers();
    // 5. The operation record takes rows from here on.
    openOperationRecord();
    // 6. Settings that hold for the whole run.
    copySettings();
    // 7. Cameras found; the shared boxes, the keyboards and the I/O board link.
    discoverCameras();
    cameraBindingHost = this;
    createKeyboardsAndIoLink();
    // 8. One view per camera in the panel grid.
    createCamerasAndGrid();
    // 9. The image browser (hidden) and the side menu beside the panels.
    createSideMenu();
    // 10. The bottom status bar under the panels and the menu.
    createBottomBar();
    // 11. Simulated cameras stand in: the operator may clear the stored camera serials.
    confirmCameraBinding();
    // 12. The supervising host's registers.
    createModbusServer();
    // 13. Zoom of a single camera and the login pad.
    createZoomSliderAndLogin();
    // 14. The panels of the enabled cameras, all shown.
    layOutPanels();
    // 15. Image folders of every camera and stage.
    makeFolders();
    // 16. The run pass, the no-signal watchdog and the capture delays.
    createRunTimers();
    // 17. Result pictures of every camera and stage in use, rendered by the camera views.
    allocateResultImages();
    // 18. The archiver writes what the verdicts hand over; the verdicts' pulse timers.
    startImageArchiver();
    createPulseTimers();
    // 19. The operation record's day and its archive folders.
    startOperationRecordDate();
    // 20. Today's counts per hour; detection starts with the lamps on.
    createProductionCounts();
    // 21. The first run pass; input changes run one at once.
    startRunning();
    // 22. The production counters; the cameras grab at their frame rate.
    startCameras();
    // 23. The shared boxes and keyboards belong to the window.
    finishDialogs();
    // 24. The registers hold detection running, the group and the counters before the host is
    //     served (finishStartup).
    publishRunState();
    constructing = false;
}

MoJuWizard::~MoJuWizard()
{
    // The archiver writes what waits and ends before the result images go.
    if (archiver) {
        archiver->requestStop(true);
        archiver.reset();
    }
    if (resultRenderer == viewRenderer.get())
        resultRenderer = nullptr;
    // The keyboards are children: their end must not build new ones.
    if (gpNumberInput)
        disconnect(gpNumberInput, nullptr, this, nullptr);
    if (gpNumCharInput)
        disconnect(gpNumCharInput, nullptr, this, nullptr);
    // The statistics and chart windows end with the station that opened them.
    statisticsWidget = nullptr;
    temperatureChartWidget = nullptr;
    statisticsWindow.reset();
    chartWindow.reset();
    // The views use the cameras until they are gone.
    delete cameraBox;
    cameraBox = nullptr;
    std::fill(std::begin(cameraViews), std::end(cameraViews), nullptr);
    if (imageSaveBuffers == resultImages.get())
        imageSaveBuffers = nullptr;
    if (statisticsData == counts.get())
        statisticsData = nullptr;
    if (controlPort && controlPort->parent() == this)
        controlPort = nullptr;
    if (cameraBindingHost == this)
        cameraBindingHost = nullptr;
    if (inspectionWarningSink == this)
        inspectionWarningSink = nullptr;
    if (stationHost == this)
        stationHost = nullptr;
    if (mainWindow == this)
        mainWindow = nullptr;
}

// 3. The start-up notice, on screen while the station is built.
void MoJuWizard::showStartupNotice()
{
    warnbox = std::make_unique<Warnbox>();
    sharedWarnbox = warnbox.get();
    warnbox->setText(tr("系统正在初始化，请稍后......"));
    warnbox->setStayOnTop(false);
    warnbox->show();
    QCoreApplication::processEvents();
}

// 4. Idle logout, screen-off and the input debounce timers.
void MoJuWizard::createLoginAndScreenTimers()
{
    logoutTimer = new QTimer(this);
    backlightTimer = new QTimer(this);
    connect(logoutTimer, &QTimer::timeout, this, &MoJuWizard::TimerLogout);
    connect(backlightTimer, &QTimer::timeout, this, &MoJuWizard::TimerLCD);
    std::fill(std::begin(armedCameras), std::end(armedCameras), 0);
    createInputTimers();
}

// 5. The operation record; a failed open is retried with each row.
void MoJuWizard::openOperationRecord()
{
    operationRecord.Open();
}

// 6. A change of these settings applies after the next start.
void MoJuWizard::copySettings()
{
    statisticsEnabled = runSetting(Param::Statistics) != 0;
    maxTemplateCount = qBound(1, runSetting(Param::TemplateCount), 100);
    ngImagesToKeep = runSetting(Param::NgImagesToKeep);
    okImagesToKeep = runSetting(Param::OkImagesToKeep);
    ioComPortIndex = runSetting(Param::IoPort);
    detect = runSetting(Param::ProductStage) != 1 ? 1 : 0;
}

// 7. The shared question box, the keyboards and the I/O board link.
void MoJuWizard::createKeyboardsAndIoLink()
{
    noticeBox = std::make_unique<tipbox>(tipbox::OkCancelButtons);
    sharedTipbox = noticeBox.get();
    noticeBox->hide();

    gpNumberInput = new NumberInput(this);
    gpNumberInput->hide();
    connect(gpNumberInput, &QObject::destroyed, this, &MoJuWizard::recreateNumberInput);
    gpNumCharInput = new NumCharInput(this);
    gpNumCharInput->hide();
    connect(gpNumCharInput, &QObject::destroyed, this, &MoJuWizard::recreateNumCharInput);

    controlPort = new ControlPort(this);
    // An edge that arrives while the cameras are judged is looked at at once, not at the
    // judge's next tick.
    controlPort->WakeOnInputChange(concurrentJudge.waker());
    // Output 1 holds the mould closed until detection has started.
    controlPort->SetOutput(Output::linkIndex(Output::MouldClose), true);
    controlPort->PublishOutputs();
}

// 8. One view per camera created; simulated cameras stand in when none opened.
void MoJuWizard::createCamerasAndGrid()
{
    cameras = createCameras();
    QList<CameraInterface *> list;
    for (const std::unique_ptr<CameraInterface> &camera : cameras)
        list.append(camera.get());

    auto *mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);
    panelRow = new QHBoxLayout;
    panelRow->setContentsMargins(0, 0, 0, 0);
    panelRow->setSpacing(0);
    cameraBox = new CameraWgtBox(list, this);
    panelRow->addWidget(cameraBox);
    mainLayout->addLayout(panelRow);
    for (int i = 0; i < camerasInUse(); ++i)
        cameraViews[i] = cameraBox->cammerWidget(i);
}

// 9.
void MoJuWizard::createSideMenu()
{
    imagePickForm = std::make_unique<ImagePickForm>();
    imagePickForm->setObjectName(QStringLiteral("pImgForm"));
    imagePickForm->hide();
    setImageBrowser(imagePickForm.get());
    sideMenu = new MenuBtnWidget(this);
    drawROIWidget = new DrawROIWidget(sideMenu);
    sideMenu->setEditorPage(drawROIWidget);
    setRegionPage(drawROIWidget);
    connect(drawROIWidget, &DrawROIWidget::recentNgImg, this, &MoJuWizard::showRecentNgInfo);
    connect(imagePickForm.get(), &ImagePickForm::sourceChange, drawROIWidget, &DrawROIWidget::SlotChangeSource);
    connect(imagePickForm.get(), &ImagePickForm::cameraChange, drawROIWidget, &DrawROIWidget::SlotChangeCamera);
    connect(imagePickForm.get(), &ImagePickForm::detectChange, drawROIWidget, &DrawROIWidget::SlotChangeDetect);
    connect(imagePickForm.get(), &ImagePickForm::imageChange, drawROIWidget, &DrawROIWidget::SlotTempList);
    panelRow->addWidget(sideMenu);
}

// 10. After the I/O link, whose output changes the bar's lamps follow at once.
void MoJuWizard::createBottomBar()
{
    bottomBar = new DottomDockWidget(this);
    bottomBar->setObjectName(QStringLiteral("pWgtDottomDock"));
    layout()->addWidget(bottomBar);
}

// 12. The supervising host's register server.
void MoJuWizard::createModbusServer()
{
    // It listens once the station runs (finishStartup): a master must never read registers
    // that the loaded state has not filled yet.
    modbusServer = new ModbusServer(QHostAddress::Any, modbusPort, ModbusServer::Listening::OnStart, this);
    // The signal comes from the server's thread.
    connect(modbusServer, &ModbusServer::sigWriteChange, this, &MoJuWizard::SlotModbusDataChange,
            Qt::QueuedConnection);
}

// 13. Zoom of a single shown camera and the login pad.
void MoJuWizard::createZoomSliderAndLogin()
{
    zoomSlider = new FloatSlider(this);
    zoomSlider->setFixedSize(1000, 35);
    zoomSlider->move((MainViewWidth - 1000) / 2, MainViewHeight - 75);
    zoomSlider->scale = 100;
    zoomSlider->slider->setRange(100, 500);
    connect(zoomSlider, &FloatSlider::updateValue, this, &MoJuWizard::SlotZoom);
    sharedInputbox = new inputbox(0);
    sharedInputbox->hide();
}

// 14. The panels of the enabled cameras, all shown.
void MoJuWizard::layOutPanels()
{
    for (int i = 0; i < MaxCameras; ++i)
        cameraSlotOfCamera[i] = i;
    UpdateCameraPanels();
}

// 15. Result image, template and raw-frame folders of every camera and stage.
void MoJuWizard::makeFolders()
{
    for (int c = 0; c < camerasInUse(); ++c) {
        for (int d = 0; d < MaxStages; ++d) {
            const QString base = QStringLiteral("./alarmimage/camera%1/detect%2/").arg(c + 1).arg(d + 1);
            alarmImageDirs[c][d][0] = QDir(base + QStringLiteral("NG"));
            alarmImageDirs[c][d][1] = QDir(base + QStringLiteral("OK"));
            const QStringList folders = {
                alarmImageDirs[c][d][0].path(), alarmImageDirs[c][d][1].path(), stageFolder(c, d),
                QStringLiteral("./originalimage/cammer%1%2").arg(c + 1).arg(d + 1)};
            for (const QString &folder : folders) {
                if (!QDir().mkpath(folder))
                    qWarning("folder %s cannot be made", qPrintable(folder));
            }
        }
    }
}

// 16. The run pass and the stage timers.
void MoJuWizard::createRunTimers()
{
    runTimer = new QTimer(this);
    runTimer->setSingleShot(true);
    connect(runTimer, &QTimer::timeout, this, &MoJuWizard::Run);
    drawHintTimer = new QTimer(this);
    connect(drawHintTimer, &QTimer::timeout, this, &MoJuWizard::SlotDrawHint);
    createStageTimers();
}

// 17. Two result pictures per camera and stage in use, rendered by the camera views.
void MoJuWizard::allocateResultImages()
{
    QVector<QSize> sizes;
    for (int c = 0; c < camerasInUse(); ++c)
        sizes.append(cameraViews[c] ? QSize(cameraViews[c]->imageWidth, cameraViews[c]->imageHeight)
                                    : QSize());
    resultImages = std::make_unique<ResultImageBuffers>();
    resultImages->allocate(sizes, detectsPerCamera);
    imageSaveBuffers = resultImages.get();
    viewRenderer = std::make_unique<ViewResultImageRenderer>(cameraViews);
    setResultImageRenderer(viewRenderer.get());
}

// 18. The archiver runs for the window's life.
void MoJuWizard::startImageArchiver()
{
    archiver = std::make_unique<SaveFialImageThread>(resultImages.get());
    archiver->start();
}

// 19. The day of the live operation record, checked every minute.
void MoJuWizard::startOperationRecordDate()
{
    for (const QString &folder : {operationRecord.recordDir().path(), statisticsDir.path()}) {
        if (!QDir().mkpath(folder))
            qWarning("folder %s cannot be made", qPrintable(folder));
    }
    dateTimer = new QTimer(this);
    connect(dateTimer, &QTimer::timeout, this, &MoJuWizard::SlotCheckDate);
    operationRecord.LoadDate();
    SlotCheckDate();
}

// 20. Today's count store; detection starts.
void MoJuWizard::createProductionCounts()
{
    counts = std::make_unique<StatisticsData>(cameraCount, detectsPerCamera,
                                              TemperatureChartData::instance(), [this] {
                                                  warnWithoutBlocking(uiText(StatisticsFileErrorEntry));
                                              });
    statisticsData = counts.get();
    counts->CheckDay();
    for (int led = 3; led >= 0; --led)
        setStatusLed(led, 1);
    StartDetect();
    if (runSetting(Param::ClampCutAfterOk) != 0 && runSetting(Param::ClampPulse) > 0) {
        controlPort->SetOutput(Output::linkIndex(Output::MouldClose), true);
        controlPort->PublishOutputs();
    }
    std::fill(std::begin(extraOutputFlags), std::end(extraOutputFlags), false);
    manualStage = detectsPerCamera;
    manualCheck = false;
    installEventFilter(this);
    warnbox->hide();
}

// 21. The run controller starts; input changes run a pass at once.
void MoJuWizard::startRunning()
{
    runTimer->start(FirstRunMs);
    connect(controlPort, &ControlPort::sigIOChange, this, [this] { runTimer->start(IoChangeRunMs); },
            Qt::QueuedConnection);
    connect(controlPort, &ControlPort::sigBoardAnswering, this, &MoJuWizard::boardAnsweringChanged);
    dateTimer->start(DateCheckMs);
    InsertRecord(uiText(StartupRecordEntry).arg(cameraCount));
    // Found cameras that did not open are missing from every verdict of this run.
    if (unopenedCameras > 0)
        InsertRecord(tr("%1台已找到的相机未能打开：本次运行的检测不含这些相机").arg(unopenedCameras));
    heartbeatTimer = new QTimer(this);
    connect(heartbeatTimer, &QTimer::timeout, this, &MoJuWizard::SlotFPS);
    heartbeatTimer->start(HeartbeatMs);
    cycleTime = 0;
    lastCycleStart = wallClock()->now().toMSecsSinceEpoch() / 100;
}

// 22. Counters from "count.txt"; grabbing at the configured frame rate.
void MoJuWizard::startCameras()
{
    CountRead();
    ApplyCameraFrameRate();
    if (runSetting(Param::BacklightSeconds) > 0)
        backlightTimer->start(timerPeriodMs(runSetting(Param::BacklightSeconds), 1000));
}

// 23. The question box stays above everything; keyboards and the login pad belong to the window.
void MoJuWizard::finishDialogs()
{
    noticeBox->setWindowFlags(noticeBox->windowFlags() | Qt::CustomizeWindowHint
                              | Qt::WindowStaysOnTopHint);
    if (gpNumberInput)
        gpNumberInput->setParent(this);
    if (gpNumCharInput)
        gpNumCharInput->setParent(this);
    if (sharedInputbox)
        sharedInputbox->setParent(this, sharedInputbox->windowFlags());
}

// 24. What the supervising host reads from the start.
void MoJuWizard::publishRunState()
{
    modbusServer->SetReadRegister(0, 1);
    modbusServer->SetReadRegister(2, short(runSetting(Param::ParameterGroup)));
    publishCounters();
    startupClock.start();
}

int MoJuWizard::userLevel() const
{
    return level;
}

void MoJuWizard::setUserLevel(int newLevel)
{
    level = newLevel;
}

int MoJuWizard::currentSide() const
{
    return side;
}

void MoJuWizard::setCurrentSide(int newSide)
{
    side = newSide;
}

int MoJuWizard::currentDetect() const
{
    return detect;
}

bool MoJuWizard::screenOff() const
{
    return dark;
}

void MoJuWizard::setScreenOff(bool off)
{
    dark = off;
}

void MoJuWizard::restartScreenOffTimer(int milliseconds)
{
    backlightTimer->start(milliseconds);
}

void MoJuWizard::restartLogoutTimer(int milliseconds)
{
    logoutTimer->start(milliseconds);
}

void MoJuWizard::appendMeasurementValue(int value)
{
    measurementValues.append(value);
}

// The 100 ms repaint task: the titles of the visible panels, and the side menu's start/stop
// button, which follows the run state whoever changed it.
void MoJuWizard::updateVisiblePanelTitles()
{
    refreshStartStopButton();
    if (!cameraBox)
        return;
    for (CameraWgt_DataWidget *panel : qAsConst(cameraBox->panels)) {
        if (!panel->isVisible())
            continue;
        if (CameraWgt_DataWidget_Title *title = panel->currentTitle())
            title->updateStatus();
    }
}

QWidget *MoJuWizard::hostWidget()
{
    return this;
}

bool MoJuWizard::confirmNotice(const QString &text)
{
    tipbox box(tipbox::OkCancelButtons, nullptr, screenWidth, screenHeight);
    box.setText(text);
    return box.exec() == QDialog::Accepted;
}

QByteArray MoJuWizard::cameraIdentity(int camera) const
{
    const CammerWidget *view = cameraSlot(camera) ? cameraViews[camera] : nullptr;
    return view ? view->identity : QByteArray();
}

void MoJuWizard::closeDatabasesForReboot()
{
    ParameterManager::instance()->CloseDatabase();
    // Rows held in memory (a full disk) do not survive the restart: a last try.
    operationRecord.Close();
    TemperatureChartData::instance()->WritePendingRows();
}

void MoJuWizard::showWarning(const QString &text)
{
    if (constructing)
        return warnWithoutBlocking(text);
    Warnbox box;
    box.setText(text);
    box.exec();
}

void MoJuWizard::InsertRecord(const QString &text)
{
    operationRecord.InsertRecord(text, level);
}

void MoJuWizard::ClearRecord()
{
    operationRecord.ClearRecord();
}

void MoJuWizard::SlotCheckDate()
{
    operationRecord.CheckDate();
}

// Mould cycles pass unseen while the board is silent: the record says from when to when.
void MoJuWizard::boardAnsweringChanged(bool answering)
{
    InsertRecord(uiText(answering ? BoardBackEntry : BoardSilentEntry));
}

void MoJuWizard::FLushAll()
{
    closeDatabasesForReboot();
    // The outputs published just before (the idle levels before a power action) go to the
    // board on the I/O thread's next passes, which offers nothing to wait on: the half second
    // lets them reach the board before the machine goes down. The disks are synced by the
    // reboot or power-off itself.
    QThread::msleep(500);
}

void MoJuWizard::ReopenDatabases()
{
    ParameterManager::instance()->ReopenDatabase();
    operationRecord.Open();
}

void MoJuWizard::TimerLogout()
{
    logoutTimer->stop();
    level = 0;
}

void MoJuWizard::TimerLCD()
{
    backlightTimer->stop();
    setBacklight(false);
}

void MoJuWizard::recreateNumberInput()
{
    auto *keyboard = new NumberInput(this);
    keyboard->hide();
    gpNumberInput = keyboard;
}

void MoJuWizard::recreateNumCharInput()
{
    auto *keyboard = new NumCharInput(this);
    keyboard->hide();
    gpNumCharInput = keyboard;
}

void MoJuWizard::SlotZoom(float value)
{
    if (value != 1.0f) {
        panX = zoomCentreX - float((zoomCentreX - panX) / zoomScale) * value;
        panY = zoomCentreY - float((zoomCentreY - panY) / zoomScale) * value;
    } else {
        panX = 0;
        panY = 0;
    }
    zoomScale = value;
    clampPan();
    update();
}

bool MoJuWizard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (gpNumberInput && gpNumberInput->isVisible() && watched != gpNumberInput)
            gpNumberInput->hide();
        if (gpNumCharInput && gpNumCharInput->isVisible() && watched != gpNumCharInput)
            gpNumCharInput->hide();
    }
    return QWidget::eventFilter(watched, event);
}

void MoJuWizard::mouseReleaseEvent(QMouseEvent *event)
{
    setFocus(Qt::OtherFocusReason);
    QWidget::mouseReleaseEvent(event);
}
