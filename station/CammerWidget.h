#ifndef STATION_CAMMERWIDGET_H
#define STATION_CAMMERWIDGET_H

#include "inspection/CammerSingleton.h"
#include "inspection/DetectionResults.h"

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class CameraInterface;
class CammerEngineHost;
class ColorButton;
class ComboBox;
class DetectAlgorithm;
class QLabel;
class QTimer;
class Slider;
class SystemParameters;

// One camera's view inside its panel. It keeps everything the station holds per camera: the
// camera driver's settings (forwarded from the parameter records), the frame pull for the run
// controller, the once-a-second link watchdog that reconnects a lost camera, the image
// buffers, the templates and ignore masks of every detect stage, the three most recent NG
// images per stage and the per-region results that detection writes.
//
// Every buffer is allocated once by the constructor and never moved, so the detection engine
// and the archiver may keep pointers into them. Pictures are tightly packed: frameBytes is
// width x height for a grey camera and width x height x 4 (B, G, R, 0) for a colour one.
// GUI thread only; the driver copies its newest frame out under its own lock.
class CammerWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int StageCount = 8;
    static constexpr int MaxRegions = 50;
    static constexpr int RegionSlotCount = StageCount * MaxRegions;
    static constexpr int RecentNgSlots = 3;
    static constexpr int IdentityBytes = 63;

    // camera belongs to the main window's camera list and outlives the view.
    CammerWidget(QWidget *parent, int cameraIndex, CameraInterface *camera);
    ~CammerWidget() override;

    // Camera settings. edited chooses the record: true editParams, false currentParams.
    // Each acts only while the camera is open.
    void ApplyExposure(bool edited);
    void ApplyGain(bool edited);
    void ApplySharpness(bool edited);
    void ApplyContrast(bool edited);
    void ApplyGamma(bool edited);
    void ApplyMirror(bool edited);
    void ApplyWideDynamicRange(bool edited);
    void ApplyTriggerMode(bool on);
    void OneShotWhiteBalance();
    // Restarts grabbing with the frame-rate setting of the live record.
    void ApplyFrameRate();
    void StopGrab();
    void CloseCamera();
    // Lets the driver write the camera's defaults into the edit record, also when closed.
    void RestoreCameraDefaults();
    // Every setting of the live record, in the order the drivers expect: trigger mode off,
    // exposure, gain, contrast, sharpness, gamma, wide dynamic range, automatic exposure,
    // frame rate (grabbing restarted), mirror.
    void ApplyCameraSettings();

    // Pulls the newest frame into frameImage; shows it unless camera-triggered display is set
    // or the region page shows something other than the live picture. True for a new frame.
    bool GrabFrame();
    // The camera's answer for a temperature region: {"detect", "funcNO"} in, the reply as an
    // object out (empty when the driver gave none).
    QJsonObject QueryCamera(int detect, int funcNO);

    // Hands the active configuration to a thermal camera, which measures in its regions.
    void UploadConfig();
    // Copies the regions of the first stages of the active configuration into the paired
    // stages of the machine mode: mode 0 stage 0 into 1, modes 1 and 2 stage 1 into 3 and 0
    // into 2.
    void CopyPara();
    // Edit masks := active masks of every stage in use.
    void ResetEditMasks();
    // Active masks := edit masks, except for the stages that CopyPara fills when region
    // copying (setting 127) is on.
    void CommitEditMasks();
    // Removes a region of the edit configuration (the later ones move up) and clears the
    // stage's ignore mask inside the removed region's rectangle, then writes the mask file.
    void DeleteRegion(int stage, int region);

    // Template slots and ignore masks of every stage below detectsPerCamera, from their files.
    void LoadTemplates();
    void LoadIgnoreMasks();
    // Writes the stage's ignore mask file; false when the stage has no mask or the write failed.
    bool SaveIgnoreMask(int stage);

    CameraInterface *camera() const { return cameraDriver; }

    const int cameraIndex;
    // The regions detection runs on, and the copy the region editor changes.
    std::unique_ptr<CammerSingleton> activeConfig;
    // The active configuration was not read completely: the camera is judged NG.
    bool configUnreadable = false;
    std::unique_ptr<CammerSingleton> editConfig;
    // Per region (stage x 50 + region) its mask over its bounding rectangle, 255 inside.
    cv::Mat roiMasks[CammerSingleton::RegionSlotCount];
    cv::Mat editRoiMasks[CammerSingleton::RegionSlotCount];
    QByteArray identity;     // the camera's serial, at most IdentityBytes bytes
    QString driverIid;
    bool opened = true;
    int imageWidth = 0;
    int imageHeight = 0;
    int pixelCount = 0;
    bool isColor = false;
    int frameBytes = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    bool thermal = false;
    bool simulated = false;
    // The camera takes its frames on its hardware trigger input (never a simulated one).
    bool triggerReady = false;
    bool grabbing = false;
    bool connected = true;
    int fps = 0;
    int lossCounter = 1;

    // Pictures of frameBytes bytes, except where said.
    std::vector<uchar> cameraImage;      // what the view shows
    std::vector<uchar> frameImage;       // the driver's newest frame
    std::vector<uchar> registeredImage;  // written by the detection engine
    std::vector<uchar> positionedImage;  // written by the detection engine, judged; read it
                                         // through judgedPicture
    std::vector<uchar> colourPlane;      // width x height, colour cameras only
    std::vector<uchar> resultMask;       // width x height, non-zero at pixels found NG
    std::vector<uchar> displayBuffer;    // width x height x 4, drawn on screen

    // Per stage below detectsPerCamera: maxTemplateCount slots of frameBytes, their used
    // flags and count, and the ignore mask (width x height, non-zero = ignored).
    std::vector<std::vector<std::vector<uchar>>> templates;
    std::vector<std::vector<int>> templateValid;
    int validTemplateCount[StageCount] = {};
    int currentTemplate = 0;
    std::vector<std::vector<uchar>> ignoreMasks;

    // Per stage below detectsPerCamera: the positioned images of the latest NG captures,
    // written in rotation (slot = count mod 3).
    std::vector<std::vector<std::vector<uchar>>> recentNgImages;
    int recentNgCount[StageCount] = {};
    int recentNgShown = 0;

    // Results of the last evaluation, written by the detection engine: per region the verdict
    // (roiOk), the measured value (roiValue) and the boxes found (roiBoxes), and the camera's
    // verdicts (resultOk, regionResultOk, temperatureResultOk).
    std::unique_ptr<DetectionResults> results;
    bool previewShown = false;

    // The detection engine over the active configuration and this view's buffers.
    std::unique_ptr<CammerEngineHost> engineHost;
    std::unique_ptr<DetectAlgorithm> engine;
    // positionedImage made whole: a frame judged together with the other cameras and turned is
    // written only inside its regions until its picture is needed.
    const std::vector<uchar> &judgedPicture();

    bool samplePending[StageCount] = {};
    bool ngHandled[StageCount] = {};
    int selectedRegion = -1;
    int lastSelected = -1;

    // Region editing on a template (CammerWidgetEditing.cpp), on stage editDetect of the edit
    // configuration. Mouse modes: 0 idle, 1 drawing, 2 moving, 3 resizing by a handle or
    // dragging a polygon vertex, 5 a rectangle or circle pressed but not yet dragged.
    static constexpr int MaxPolygonPoints = 8096;
    int mouseMode = 0;
    int handleNumber = -1;
    // A rectangle or circle is being drawn, moved or resized; a polygon is.
    bool shapeDrag = false;
    bool polygonDrag = false;
    // From a press in edit mode to the next release.
    bool vertexDrag = false;
    // The rectangle or circle being drawn.
    std::unique_ptr<ROIInterface> drawnShape;
    // Image points: the previous and current point of a drag, and the press that selected.
    QPoint lastPoint;
    QPoint currentPoint;
    QPoint pressPoint;
    // The points of the polygon being drawn.
    std::vector<QPoint> polygonPoints;
    // A press inside the selected region that has not moved it yet, and where it was.
    bool clickCycles = false;
    QPoint cyclePoint;

    // The region edit panel (CammerWidgetPanel.cpp). Move mode 0 normal, 1 only the move row,
    // 2 the move buttons move every region of the stage; the object index is the point of the
    // shape the step buttons change; with secondHalf the sliders edit the second half of a
    // packed parameter.
    int moveMode = 0;
    int objectIndex = 0;
    bool secondHalf = false;
    Slider *p1Slider = nullptr;
    Slider *p2Slider = nullptr;
    Slider *p3Slider = nullptr;
    QLabel *functionLabel = nullptr;
    ColorButton *functionButton = nullptr;
    ColorButton *paramSwitchButton = nullptr;
    ComboBox *outputCombo = nullptr;
    ColorButton *nextRegionButton = nullptr;
    ColorButton *objectButton = nullptr;
    ColorButton *stepButtons[4] = {};
    ColorButton *moveButtons[4] = {};
    ColorButton *moveAllButton = nullptr;

    // Ends any drawing and clears the selection.
    void CancelEditing();
    // The first selected region of the edited stage becomes selectedRegion; false when none.
    bool FindSelectedRegion();
    // Tool type of a region drawn now on the edited stage.
    int DefaultToolType() const;
    // The zoom's reference point follows the pointer over the camera shown alone.
    void ProbePixel(int x, int y);
    // Lays out, fills and shows the edit panel for selectedRegion, or hides it.
    void UpdateRegionPanel();
    // The edited stage's shapes, regions and the selected one (null when none).
    int editStage() const;
    int editRegionCount() const;
    ROIInterface *editShape(int region) const;

    // The NG pixels of a latched alarm are drawn in phase 1 only; the alarm blink timer flips
    // the phase every second while the camera's verdict is NG, so they blink. The region page
    // sets it back to 0 when it leaves the live picture.
    int blinkPhase = 0;
    QTimer *const alarmBlinkTimer;

signals:
    // Pressed while all cameras are shown.
    void click(int cameraIndex);

public slots:
    // The rectangle or circle drawn becomes a region of the edited stage.
    void SaveNewROI();
    // The collected points become a polygon region.
    void SavePolygon();
    // A copy of the selected region, centred on image point p2.
    void SlotCopyArea(QPoint p2);
    // The edit panel's controls.
    void SlotMinWH(int value);
    void SlotSensitivity(int value);
    void SlotArea(int value);
    void SlotOutN(int index);
    void SlotChangeFunc();
    void SlotChangeParaShow();
    void SlotChangeObject();
    void SlotAdd10();
    void SlotAdd1();
    void SlotSub1();
    void SlotSub10();
    void SlotSize(int direction);
    void SlotNextROI();
    void SlotMove(int dx, int dy);
    void SlotMoveT();
    void SlotMoveB();
    void SlotMoveL();
    void SlotMoveR();
    void SlotMoveAll();
    // Stores the newest frame as template slot 0 of the stage (re-sampling) and writes its file.
    void SaveReTrainImage(int stage);
    // Once a second: a camera that delivered nothing and reports its link down is released and
    // the loss recorded; a lost camera is asked to reconnect, and on success every setting is
    // sent again.
    void TimerFPS();
    // Renders the result of stage detect into the camera's result image of slot ok (0 NG,
    // 1 OK): the positioned image with verdict, door note, outlines, NG boxes and labels.
    void SaveFailImage(int detect, int ok);
    // Stamps the operator's decision that the run controller's result code stands for
    // (ResultCodes) onto the result image already in the slot; codes without a decision leave
    // it untouched.
    void UpdateFailImage(int detect, int slot, int resultCode);
    // Starts the alarm blink: the phase flips every second from now on.
    void StartAlarmBlink();
    // The alarm blink timer's tick: once the verdict is OK again the blink ends in phase 0,
    // else the phase flips. Repaints either way.
    void TimerShowAlarm();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const SystemParameters *record(bool edited) const;
    // Sends setting baseIndex + cameraIndex of the chosen record through set.
    void applyCameraValue(bool edited, int baseIndex, void (CameraInterface::*set)(int));
    bool cameraUsable() const { return cameraDriver && opened; }
    void allocateBuffers();
    // What paintEvent draws, in CammerWidgetPaint.cpp.
    struct ViewTransform
    {
        double panX = 0;
        double panY = 0;
        double zoom = 1.0;
        bool operator==(const ViewTransform &o) const
        {
            return panX == o.panX && panY == o.panY && zoom == o.zoom;
        }
    };
    void updatePixelMaps(const ViewTransform &transform);
    void renderShownImage();
    void markPixels(const QRect &imageRect, const uchar *mask, QRgb colour);
    void markNgPixels(const CammerSingleton &config, int stage);
    void drawRegions(QPainter &painter, const CammerSingleton &config, int stage, bool editing);
    int stagesInUse() const;
    void loadConfigurations();
    // Editing helpers (CammerWidgetEditing.cpp, CammerWidgetPanel.cpp).
    QPoint imagePoint(const QPoint &widgetPoint) const;
    // The point moved inside the image, keeping the regions' margin.
    QPoint insideImage(QPoint p) const;
    void pressOnTemplate(const QPoint &p);
    void selectOnPress(const QPoint &p);
    // True when the move is over empty ground (a drag there pans).
    bool moveOnTemplate(const QPoint &p);
    // Moves a shape by (dx, dy), stopped by the image border with the regions' margin.
    void moveInsideImage(ROIInterface *shape, int dx, int dy);
    void releaseOnTemplate();
    bool stageFull() const;
    void refuseFullStage();
    void initRegionParameters(int stage, int region, int toolType);
    void storeEditMask(int region);
    void createRegionPanel();
    void setUpSliders(int toolType);
    bool detectionKindAvailable(int toolType) const;
    // Writes value into P1..P3 (which 1..3) of the selected region as the panel edits it.
    void writeParameter(int which, int value);
    // A slider moved: the value is stored and the region evaluated again on the template.
    void parameterChanged(int which, int value);
    void markIgnoredPixels(const CammerSingleton &config, int stage);
    void drawFilterHints(QPainter &painter, const CammerSingleton &config, int k, const QRect &bounds);
    void drawShapeInProgress(QPainter &painter);
    void drawLegend(QPainter &painter);
    void copyStage(int from, int to);

    CameraInterface *const cameraDriver;
    QImage displayImage;
    // The picture at widget size, and for each of its columns and rows the image column and
    // row it shows (-1 before the image, the image size after it); remade on a resize or a
    // change of zoom, so a repaint costs the widget's pixels, not the camera's.
    QImage shownImage;
    std::vector<int> columnMap;
    std::vector<int> rowMap;
    ViewTransform mappedTransform;
    QTimer *watchdogTimer;
};

#endif
