#ifndef STATION_MOJUWIZARD_H
#define STATION_MOJUWIZARD_H

#include "cameras/CameraBindingHost.h"
#include "core/StationHost.h"
#include "inspection/InspectionWarning.h"
#include "station/OperationRecord.h"

#include <QDir>
#include <QVector>
#include <QWidget>

#include <memory>
#include <vector>

class CameraInterface;
class CameraWgtBox;
class CammerWidget;
class FloatSlider;
class ModbusServer;
class QTimer;
class ResultImageBuffers;
class StatisticsData;
class Warnbox;
class tipbox;

// The operator station's full-screen main window. Its constructor builds every run-time object
// of the station in a fixed order (the numbered steps in MoJuWizard.cpp) and the window lives
// until the process ends. It is what the lower layers know as the StationHost, the
// CameraBindingHost and the InspectionWarningSink, and it owns the cameras, the camera panel grid, the I/O board link, the
// Modbus server, the operation record and the production count store.
//
// The mould-cycle run controller lives here too; its pass Run() is re-armed by the run timer.
class MoJuWizard : public QWidget,
                   public StationHost,
                   public CameraBindingHost,
                   public InspectionWarningSink
{
    Q_OBJECT

public:
    static constexpr int MaxCameras = 8;
    static constexpr int MaxStages = 8;

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

    // InspectionWarningSink: a modal warning box.
    void showWarning(const QString &text) override;

    // The port the Modbus server listens on (502); tests choose a free one with 0.
    static quint16 modbusPort;

    CameraWgtBox *cameraBox = nullptr;
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

    // 1 detecting, 2 sampling templates, 3 stopped.
    int RunState = 1;
    // 0 normal, 1 result shown for 2 s, 2 alarm latched, 3 region page or image records.
    int DisplayMode = 0;
    // 3 idle, 1 a capture delay runs, 2 a stage has been captured.
    int cyclePhase = 3;
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

    void setCurrentDetect(int stage) { detect = stage; }

public slots:
    void InsertRecord(const QString &text) override;
    void ClearRecord();
    void SlotCheckDate();
    // Closes the parameter database and the operation record before a restart or shutdown.
    void FLushAll();

    // One pass of the run controller.
    void Run();

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
    void startOperationRecordDate();
    void createProductionCounts();
    void startRunning();
    void startCameras();
    void finishDialogs();
    void publishRunState();

    int level = 0;
    int side = 0;
    int detect = 0;
    bool dark = false;

    // The cameras outlive their views; the grid is deleted before them.
    std::vector<std::unique_ptr<CameraInterface>> cameras;
    std::unique_ptr<Warnbox> warnbox;
    std::unique_ptr<tipbox> noticeBox;
    std::unique_ptr<StatisticsData> counts;
    std::unique_ptr<ResultImageBuffers> resultImages;
    QTimer *logoutTimer = nullptr;
    QTimer *backlightTimer = nullptr;
};

// The one main window; set by its constructor.
extern MoJuWizard *mainWindow;

#endif
