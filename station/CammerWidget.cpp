#include "station/CammerWidget.h"

#include "cameras/CameraDiscovery.h"
#include "cameras/CameraInterface.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "core/StationHost.h"
#include "core/SystemParameters.h"
#include "inspection/DetectAlgorithm.h"
#include "inspection/FrameConversions.h"
#include "inspection/InspectionWarning.h"
#include "station/CammerEngineHost.h"
#include "station/MoJuWizard.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "uikit/UiKitGlobals.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace {

constexpr int LostCameraTextEntry = 332;
constexpr int WatchdogIntervalMs = 1000;
constexpr int AlarmBlinkMs = 1000;
// Larger frames than this are refused; no camera of the station comes near it.
constexpr qint64 MaxFrameBytes = qint64(1) << 30;

void writeRecord(const QString &text)
{
    if (stationHost)
        stationHost->InsertRecord(text);
}

} // namespace

CammerWidget::CammerWidget(QWidget *parent, int index, CameraInterface *camera)
    : QWidget(parent)
    , cameraIndex(index)
    , alarmBlinkTimer(new QTimer(this))
    , cameraDriver(camera)
    , watchdogTimer(new QTimer(this))
{
    if (cameraDriver) {
        driverIid = cameraDriver->iid();
        identity = cameraDriver->serial().toLatin1().left(IdentityBytes);
    }
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    opened = cameraDriver != nullptr;

    if (cameraDriver) {
        int width = 0;
        int height = 0;
        cameraDriver->getSize(&width, &height);
        isColor = cameraDriver->isColorOutput();
        // The display buffer takes 4 bytes a pixel whatever the frames hold.
        if (width > 0 && height > 0 && qint64(width) * height * 4 <= MaxFrameBytes) {
            imageWidth = width;
            imageHeight = height;
        } else {
            qWarning("camera %d reports a frame size of %d x %d; it shows nothing", cameraIndex + 1,
                     width, height);
        }
        const int type = cameraDriver->cameraType();
        thermal = (type & ThermalCameraType) != 0;
        simulated = type == SimulatedCameraType;
        cameraDriver->setDisplayWidget(this);
    }
    pixelCount = imageWidth * imageHeight;
    frameBytes = pixelCount * (isColor ? 4 : 1);

    ApplyCameraSettings();
    allocateBuffers();
    LoadTemplates();
    LoadIgnoreMasks();
    loadConfigurations();
    // It prepares every enabled stage from the templates and masks loaded above.
    engineHost = std::make_unique<CammerEngineHost>(*this);
    engine = std::make_unique<DetectAlgorithm>(activeConfig.get(), engineHost.get());
    if (thermal)
        UploadConfig();

    if (cameraUsable()) {
        grabbing = true;
        cameraDriver->startGrab();
    }
    createRegionPanel();
    connect(alarmBlinkTimer, &QTimer::timeout, this, &CammerWidget::TimerShowAlarm);
    watchdogTimer->setInterval(WatchdogIntervalMs);
    connect(watchdogTimer, &QTimer::timeout, this, &CammerWidget::TimerFPS);
    watchdogTimer->start();
    show();
}

CammerWidget::~CammerWidget() = default;

void CammerWidget::allocateBuffers()
{
    const size_t frame = size_t(frameBytes);
    const size_t pixels = size_t(pixelCount);
    if (isColor)
        colourPlane.assign(pixels, 0);
    cameraImage.assign(frame, 0);
    displayBuffer.assign(pixels * 4, 0);
    if (pixelCount > 0)
        displayImage = QImage(displayBuffer.data(), imageWidth, imageHeight, imageWidth * 4,
                              QImage::Format_RGB32);
    frameImage.assign(frame, 0);
    positionedImage.assign(frame, 0);
    registeredImage.assign(frame, 0);
    resultMask.assign(pixels, 0);
    results = std::make_unique<DetectionResults>();

    const int stages = stagesInUse();
    recentNgImages.assign(size_t(stages),
                          std::vector<std::vector<uchar>>(RecentNgSlots, std::vector<uchar>(frame, 0)));
    ignoreMasks.assign(size_t(stages), std::vector<uchar>(pixels, 0));
}

void CammerWidget::loadConfigurations()
{
    activeConfig = std::make_unique<CammerSingleton>(cameraIndex);
    QSqlQuery query = ParameterManager::instance()->paramQuery();
    // Regions missing from an unreadable configuration would pass every cycle: the camera is
    // judged NG until it is read again, and the operator is told why.
    configUnreadable = !activeConfig->load(query, imageWidth, imageHeight, roiMasks);
    if (configUnreadable) {
        qWarning("camera %d: the detection configuration was not read completely", cameraIndex + 1);
        showInspectionWarning(tr("%1号相机的检测配置无法读取，每次检测均判为NG").arg(cameraIndex + 1));
    }
    editConfig = std::make_unique<CammerSingleton>(cameraIndex);
}

int CammerWidget::stagesInUse() const
{
    return qBound(0, detectsPerCamera, int(StageCount));
}

const SystemParameters *CammerWidget::record(bool edited) const
{
    return edited ? editParams : currentParams;
}

void CammerWidget::applyCameraValue(bool edited, int baseIndex, void (CameraInterface::*set)(int))
{
    if (const SystemParameters *p = record(edited); p && cameraUsable())
        (cameraDriver->*set)((*p)[baseIndex + cameraIndex]);
}

void CammerWidget::ApplyExposure(bool edited)
{
    applyCameraValue(edited, Param::Exposure, &CameraInterface::setExposure);
}

void CammerWidget::ApplyGain(bool edited)
{
    applyCameraValue(edited, Param::Gain, &CameraInterface::setGain);
}

void CammerWidget::ApplySharpness(bool edited)
{
    applyCameraValue(edited, Param::Sharpness, &CameraInterface::setSharpness);
}

void CammerWidget::ApplyContrast(bool edited)
{
    applyCameraValue(edited, Param::Contrast, &CameraInterface::setContrast);
}

void CammerWidget::ApplyGamma(bool edited)
{
    applyCameraValue(edited, Param::Gamma, &CameraInterface::setGamma);
}

void CammerWidget::ApplyMirror(bool edited)
{
    if (const SystemParameters *p = record(edited); p && cameraUsable())
        cameraDriver->setMirror((*p)[Param::MirrorHorizontal + cameraIndex] != 0,
                                (*p)[Param::MirrorVertical + cameraIndex] != 0);
}

void CammerWidget::ApplyWideDynamicRange(bool edited)
{
    if (const SystemParameters *p = record(edited); p && cameraUsable())
        cameraDriver->setWideDynamicRange((*p)[Param::WideDynamicRange] != 0);
}

void CammerWidget::ApplyTriggerMode(bool on)
{
    triggerReady = on && cameraUsable() && !simulated;
    if (cameraUsable())
        cameraDriver->setTriggerMode(on);
}

void CammerWidget::OneShotWhiteBalance()
{
    if (cameraUsable() && isColor)
        cameraDriver->oneShotWhiteBalance();
}

void CammerWidget::ApplyFrameRate()
{
    if (!cameraUsable())
        return;
    grabbing = false;
    cameraDriver->stopGrab();
    if (currentParams)
        cameraDriver->setFrameRate((*currentParams)[Param::FrameRate]);
    if (cameraUsable()) {
        grabbing = true;
        cameraDriver->startGrab();
    }
}

void CammerWidget::StopGrab()
{
    if (!cameraUsable())
        return;
    grabbing = false;
    cameraDriver->stopGrab();
}

void CammerWidget::CloseCamera()
{
    if (!cameraUsable())
        return;
    cameraDriver->close();
    opened = false;
}

void CammerWidget::RestoreCameraDefaults()
{
    if (cameraDriver && editParams)
        cameraDriver->restoreDefaults(editParams, cameraIndex);
}

void CammerWidget::ApplyCameraSettings()
{
    if (!currentParams || !cameraUsable())
        return;
    const SystemParameters &p = *currentParams;
    ApplyTriggerMode(false);
    ApplyExposure(false);
    ApplyGain(false);
    ApplyContrast(false);
    ApplySharpness(false);
    ApplyGamma(false);
    ApplyWideDynamicRange(false);
    cameraDriver->setAutoExposure(p[Param::AutoExposure] != 0);
    ApplyFrameRate();
    ApplyMirror(false);
}

bool CammerWidget::GrabFrame()
{
    if (!cameraUsable() || frameBytes <= 0)
        return false;
    const bool newFrame = cameraDriver->getImage(frameImage.data(), frameBytes);
    const bool triggeredDisplay = currentParams && (*currentParams)[Param::ExternalTrigger] != 0;
    if (!triggeredDisplay && (editorSource == EditorSources::None || editorSource == EditorSources::Live)) {
        cameraImage = frameImage;
        update();
    }
    return newFrame;
}

QJsonObject CammerWidget::QueryCamera(int detect, int funcNO)
{
    if (!cameraDriver)
        return QJsonObject();
    QJsonObject request;
    request.insert(QStringLiteral("detect"), detect);
    request.insert(QStringLiteral("funcNO"), funcNO);
    QVariant reply;
    cameraDriver->query(QVariant(request), &reply, 0);
    return reply.toJsonObject();
}

void CammerWidget::TimerFPS()
{
    if (!cameraDriver)
        return;
    const bool arrived = cameraDriver->frameCountDelta(&fps);
    if (!arrived && grabbing && connected) {
        connected = cameraDriver->isConnected();
        if (!connected) {
            cameraDriver->release();
            update();
            const int loss = lossCounter++;
            qWarning("camera %d (%s) lost, loss %d", cameraIndex + 1, identity.constData(), loss);
            writeRecord(uiText(LostCameraTextEntry)
                       .arg(QString::number(cameraIndex + 1), QString::number(loss),
                            QString::fromLatin1(identity)));
        }
    }
    if (!connected) {
        connected = cameraDriver->reconnect();
        if (connected) {
            qInfo("camera %d (%s) reconnected", cameraIndex + 1, identity.constData());
            writeRecord(tr("%1号相机%2，重连成功")
                       .arg(QString::number(cameraIndex + 1), QString::fromLatin1(identity)));
            ApplyCameraSettings();
        }
    }
}

void CammerWidget::StartAlarmBlink()
{
    alarmBlinkTimer->start(AlarmBlinkMs);
}

void CammerWidget::TimerShowAlarm()
{
    if (results->resultOk) {
        blinkPhase = 0;
        alarmBlinkTimer->stop();
    } else {
        blinkPhase = blinkPhase == 1 ? 0 : 1;
    }
    update();
}

void CammerWidget::UploadConfig()
{
    if (thermal && cameraDriver && activeConfig)
        cameraDriver->setConfig(QVariant::fromValue(activeConfig.get()), 0);
}

void CammerWidget::copyStage(int from, int to)
{
    CammerSingleton &config = *activeConfig;
    const int count = qBound(0, config.roiCount[from], int(CammerSingleton::MaxRegions));
    config.roiCount[to] = count;
    config.deleteShapes(to);
    for (const ROIInterface *shape : qAsConst(config.shapes[from])) {
        if (ROIInterface *copy = cloneRoiShape(shape))
            config.shapes[to].append(copy);
    }
    for (int i = 0; i < count; ++i) {
        if (i < config.shapes[to].size())
            config.shapes[to][i]->setSelected(false);
        const int source = CammerSingleton::slot(from, i);
        const int target = CammerSingleton::slot(to, i);
        roiMasks[target] = roiMasks[source].clone();
        config.shapeType[target] = config.shapeType[source];
        config.param1[target] = config.param1[source];
        config.param2[target] = config.param2[source];
        config.param3[target] = config.param3[source];
        config.toolType[target] = config.toolType[source];
    }
}

void CammerWidget::CopyPara()
{
    if (!activeConfig || activeConfig->shapes.size() < CammerSingleton::StageCount || !currentParams)
        return;
    const int mode = (*currentParams)[Param::MachineMode];
    if (twoSidedMode(mode)) {
        copyStage(1, 3);
        copyStage(0, 2);
    } else if (mode == MachineModes::Standard) {
        copyStage(0, 1);
    }
}

void CammerWidget::ResetEditMasks()
{
    for (int stage = 0; stage < stagesInUse(); ++stage) {
        for (int region = 0; region < MaxRegions; ++region)
            editRoiMasks[CammerSingleton::slot(stage, region)] = roiMasks[CammerSingleton::slot(stage, region)];
    }
}

void CammerWidget::CommitEditMasks()
{
    const bool copying = currentParams && (*currentParams)[Param::CopyRegions] != 0;
    const int mode = currentParams ? (*currentParams)[Param::MachineMode] : 0;
    const bool productStage = currentParams && (*currentParams)[Param::StageEnabled] != 0;
    for (int stage = 0; stage < stagesInUse(); ++stage) {
        // These stages are filled from their pair by CopyPara.
        if (copying && ((mode == MachineModes::Standard && productStage && stage % 2 == 1) || (twoSidedMode(mode) && stage >= Stages::SecondSide)))
            continue;
        for (int region = 0; region < MaxRegions; ++region)
            roiMasks[CammerSingleton::slot(stage, region)] = editRoiMasks[CammerSingleton::slot(stage, region)];
    }
}

void CammerWidget::DeleteRegion(int stage, int region)
{
    if (!editConfig || stage < 0 || stage >= editConfig->shapes.size() || region < 0
        || region >= editConfig->shapes[stage].size())
        return;
    CammerSingleton &config = *editConfig;
    const int count = qMin(config.roiCount[stage], int(CammerSingleton::MaxRegions));
    for (int i = region; i + 1 < count; ++i) {
        const int k = CammerSingleton::slot(stage, i);
        editRoiMasks[k] = editRoiMasks[k + 1];
        config.param1[k] = config.param1[k + 1];
        config.shapeType[k] = config.shapeType[k + 1];
        config.param2[k] = config.param2[k + 1];
        config.param3[k] = config.param3[k + 1];
        config.toolType[k] = config.toolType[k + 1];
        if (stage == 0)
            config.outN[i] = config.outN[i + 1];
    }
    const std::unique_ptr<ROIInterface> removed(config.shapes[stage].takeAt(region));
    config.roiCount[stage] = config.shapes[stage].size();

    if (stage >= int(ignoreMasks.size()) || ignoreMasks[size_t(stage)].empty())
        return;
    // Only the part of the rectangle that lies on the image.
    const QRect cleared = removed->intersected(QRect(0, 0, imageWidth, imageHeight));
    std::vector<uchar> &mask = ignoreMasks[size_t(stage)];
    for (int y = cleared.top(); y <= cleared.bottom(); ++y)
        std::fill_n(mask.begin() + y * imageWidth + cleared.left(), cleared.width(), uchar(0));
    SaveIgnoreMask(stage);
}

void CammerWidget::LoadTemplates()
{
    const int stages = stagesInUse();
    const int slotCount = qBound(1, maxTemplateCount, 100);
    templates.assign(size_t(stages), {});
    templateValid.assign(size_t(stages), std::vector<int>(size_t(slotCount), 0));
    for (int stage = 0; stage < stages; ++stage) {
        std::vector<std::vector<uchar>> &stageSlots = templates[size_t(stage)];
        stageSlots.assign(size_t(slotCount), std::vector<uchar>(size_t(frameBytes), 0));
        validTemplateCount[stage] = 0;
        for (int slot = 0; slot < slotCount; ++slot) {
            std::vector<uchar> &buffer = stageSlots[size_t(slot)];
            const QString path = templateFilePath(cameraIndex, stage, slot);
            QString problem;
            if (frameBytes > 0
                && loadTemplateImage(path, imageWidth, imageHeight, isColor, buffer.data(),
                                     &problem)) {
                templateValid[size_t(stage)][size_t(slot)] = 1;
                ++validTemplateCount[stage];
            } else if (!problem.isEmpty()) {
                qCritical("template %s not used: %s; %s", qPrintable(path), qPrintable(problem),
                          slot == 0 ? "the built-in default template takes its place"
                                    : "the slot stays empty");
            }
        }
        // Every stage has a template to start from.
        if (!templateValid[size_t(stage)][0]) {
            templateValid[size_t(stage)][0] = 1;
            ++validTemplateCount[stage];
            fillDefaultTemplate(stageSlots[0].data(), imageWidth, imageHeight, isColor);
        }
    }
}

void CammerWidget::LoadIgnoreMasks()
{
    for (int stage = 0; stage < int(ignoreMasks.size()); ++stage) {
        std::vector<uchar> &mask = ignoreMasks[size_t(stage)];
        const QString path = ignoreMaskFilePath(cameraIndex, stage);
        QString problem;
        if (!mask.empty() && loadIgnoreMask(path, imageWidth, imageHeight, mask.data(), &problem))
            continue;
        if (!problem.isEmpty())
            qCritical("ignore mask %s not used: %s; no pixel of the stage is ignored",
                      qPrintable(path), qPrintable(problem));
        std::fill(mask.begin(), mask.end(), 0);
    }
}

bool CammerWidget::SaveIgnoreMask(int stage)
{
    if (stage < 0 || stage >= int(ignoreMasks.size()) || ignoreMasks[size_t(stage)].empty())
        return false;
    return saveIgnoreMask(ignoreMaskFilePath(cameraIndex, stage), imageWidth, imageHeight,
                          ignoreMasks[size_t(stage)].data());
}

const std::vector<uchar> &CammerWidget::judgedPicture()
{
    if (engine)
        engine->completePositionedImage();
    return positionedImage;
}

void CammerWidget::SaveReTrainImage(int stage)
{
    if (stage < 0 || stage >= int(templates.size()) || frameBytes <= 0)
        return;
    // The picture of the last judgement is finished first, so that it cannot overwrite the
    // frame later.
    judgedPicture();
    positionedImage = frameImage;
    cameraImage = positionedImage;
    std::vector<uchar> &slot0 = templates[size_t(stage)][0];
    slot0 = cameraImage;
    saveTemplateImage(templateFilePath(cameraIndex, stage, 0), imageWidth, imageHeight, isColor,
                      slot0.data());
}

void CammerWidget::resizeEvent(QResizeEvent *event)
{
    if (imageWidth > 0 && imageHeight > 0) {
        scaleX = float(width()) / float(imageWidth);
        scaleY = float(height()) / float(imageHeight);
    }
    QWidget::resizeEvent(event);
}
