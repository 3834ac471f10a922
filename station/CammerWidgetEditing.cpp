// Region editing with the finger on a template: selecting, moving and resizing regions,
// drawing rectangles, circles and polygons, copying a region; and the pan of a zoomed view.

#include "station/CammerWidget.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "inspection/Circle.h"
#include "inspection/ClustomRect.h"
#include "inspection/RePolygon.h"
#include "inspection/RegionGeometry.h"
#include "station/MoJuWizard.h"
#include "station/RegionTools.h"
#include "station/RunSettings.h"
#include "station/StationGlobals.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QMouseEvent>

#include <cmath>

namespace {

constexpr int ToolNone = 0;
constexpr int ToolPolygon = 2;
constexpr int ToolCircle = 4;

constexpr int ModeIdle = 0;
constexpr int ModeDrawing = 1;
constexpr int ModeMoving = 2;
constexpr int ModeResizing = 3;
constexpr int ModePressed = 5;

constexpr int DeadZone = 3;
// A drawn rectangle or circle must be larger than this in both directions.
constexpr int MinShapeSize = 10;
// A freehand gesture with this many points or fewer is dropped.
constexpr int MinFreehandPoints = 5;
constexpr int MinPolygonPoints = 3;
constexpr int MaxFreehandPoints = CammerWidget::MaxPolygonPoints - 1;
constexpr int MaxTemperaturePoints = 10;

constexpr int PolygonLimitEntry = 35;
constexpr int RegionLimitEntry = 36;
constexpr int CopyQuestionEntry = 38;

void showWarnbox(const QString &text)
{
    Warnbox box;
    box.setText(text);
    box.exec();
}

Qt::CursorShape handleCursor(int handle)
{
    switch (handle) {
    case 0:
    case 7: return Qt::SizeFDiagCursor;
    case 2:
    case 5: return Qt::SizeBDiagCursor;
    case 3:
    case 4: return Qt::SizeHorCursor;
    default: return Qt::SizeVerCursor;
    }
}

bool isPolygon(const ROIInterface *shape)
{
    return shape->typeId() == PolygonShape;
}

bool underPoint(const ROIInterface *shape, const QPoint &p)
{
    int handle = -1;
    return shape->contains(p) || shape->hitHandle(p, &handle);
}

} // namespace

int CammerWidget::editStage() const
{
    return mainWindow ? mainWindow->editDetect : 0;
}

int CammerWidget::editRegionCount() const
{
    const int d = editStage();
    if (!editConfig || d < 0 || d >= editConfig->shapes.size())
        return 0;
    return qMin(int(editConfig->shapes[d].size()), qBound(0, editConfig->roiCount[d], int(MaxRegions)));
}

ROIInterface *CammerWidget::editShape(int region) const
{
    if (region < 0 || region >= editRegionCount())
        return nullptr;
    return editConfig->shapes[editStage()][region];
}

QPoint CammerWidget::imagePoint(const QPoint &w) const
{
    double panX = 0;
    double panY = 0;
    double zoom = 1.0;
    if (mainWindow && cameraIndex == mainWindow->currentCamera) {
        panX = mainWindow->panX;
        panY = mainWindow->panY;
        zoom = mainWindow->zoomScale > 0 ? mainWindow->zoomScale : 1.0;
    }
    // Bounded well beyond the image so that no arithmetic on it overflows; the points a shape
    // takes are clamped where they are taken.
    const auto toImage = [](int v, double pan, double scale, int length) {
        const double x = (v - pan) / scale;
        return int(qBound(-double(length), x, 2.0 * length));
    };
    return QPoint(toImage(w.x(), panX, double(scaleX) * zoom, imageWidth),
                  toImage(w.y(), panY, double(scaleY) * zoom, imageHeight));
}

QPoint CammerWidget::insideImage(QPoint p) const
{
    clampCoordinate(p, imageWidth, imageHeight);
    return p;
}

void CammerWidget::ProbePixel(int x, int y)
{
    if (!mainWindow || mainViewWidth <= 0 || mainViewHeight <= 0)
        return;
    const double zoom = mainWindow->zoomScale > 0 ? mainWindow->zoomScale : 1.0;
    mainWindow->zoomCentreX = int((x - mainWindow->panX) * imageWidth / (mainViewWidth * zoom));
    mainWindow->zoomCentreY = int((y - mainWindow->panY) * imageHeight / (mainViewHeight * zoom));
}

bool CammerWidget::FindSelectedRegion()
{
    for (int r = 0; r < editRegionCount(); ++r) {
        if (editShape(r)->isSelected()) {
            selectedRegion = r;
            return true;
        }
    }
    return false;
}

int CammerWidget::DefaultToolType() const
{
    const int count = editRegionCount();
    if (count > 0)
        return editConfig->toolType[CammerSingleton::slot(editStage(), count - 1)];
    if (runSetting(Param::SpotToolEnabled) != 0)
        return RegionTool::Spot;
    if (runSetting(Param::BlackAreaToolEnabled) != 0)
        return RegionTool::BlackArea;
    if (runSetting(Param::WhiteAreaToolEnabled) != 0)
        return RegionTool::WhiteArea;
    if (runSetting(Param::SimilarityToolEnabled) != 0)
        return RegionTool::Similarity;
    if (runSetting(Param::WhiteCountToolEnabled) != 0)
        return RegionTool::WhiteCount;
    if (runSetting(Param::TemperatureToolEnabled) != 0)
        return thermal || simulated ? RegionTool::Temperature : RegionTool::Defect;
    return RegionTool::Defect;
}

void CammerWidget::CancelEditing()
{
    polygonDrag = false;
    shapeDrag = false;
    mouseMode = ModeIdle;
    drawnShape.reset();
    if (mainWindow)
        mainWindow->drawTool = ToolNone;
    polygonPoints.clear();
    if (ROIInterface *shape = editShape(selectedRegion))
        shape->setSelected(false);
    selectedRegion = -1;
}

bool CammerWidget::stageFull() const
{
    return editRegionCount() >= MaxRegions;
}

void CammerWidget::refuseFullStage()
{
    showWarnbox(uiText(RegionLimitEntry));
}

void CammerWidget::storeEditMask(int region)
{
    if (ROIInterface *shape = editShape(region))
        editRoiMasks[CammerSingleton::slot(editStage(), region)] = shape->mask();
}

void CammerWidget::mousePressEvent(QMouseEvent *event)
{
    if (mainWindow && cameraIndex == mainWindow->currentCamera) {
        mainWindow->lastMousePoint = event->pos();
        ProbePixel(event->x(), event->y());
    }
    if (cameraInUse(cameraIndex) && mainWindow) {
        if (mainWindow->currentCamera == cameraCount)
            emit click(cameraIndex);
        else if (editorSource != EditorSources::Template)
            setCursor(Qt::ArrowCursor);
        else if (imageWidth > 0 && imageHeight > 0)
            pressOnTemplate(imagePoint(event->pos()));
    }
    // Passed on, so the main window sees every press (it hides open keyboards).
    QWidget::mousePressEvent(event);
}

void CammerWidget::pressOnTemplate(const QPoint &p)
{
    mouseMode = ModeIdle;
    clickCycles = false;
    vertexDrag = true;
    if (mainWindow->copyAreaPending) {
        mainWindow->copyAreaPending = false;
        SlotCopyArea(p);
        return;
    }
    const int tool = mainWindow->drawTool;
    if (tool == ToolNone) {
        selectOnPress(p);
        update();
        return;
    }
    setCursor(Qt::CrossCursor);
    lastPoint = currentPoint = p;
    const QPoint vertex = insideImage(p);
    if (tool == ToolPolygon) {
        mouseMode = ModeDrawing;
        polygonDrag = true;
        if (mainWindow->freehandPolygon)
            return;
        if (polygonPoints.size() >= size_t(MaxPolygonPoints))
            showWarnbox(uiText(PolygonLimitEntry));
        else if (DefaultToolType() == RegionTool::Temperature && polygonPoints.size() >= size_t(MaxTemperaturePoints)) {
            if (sharedWarnbox) {
                sharedWarnbox->setText(tr("注意：温度检测算法最多有10个顶点！"));
                sharedWarnbox->exec();
            }
        } else {
            polygonPoints.push_back(vertex);
        }
        update();
        return;
    }
    if (tool == ToolCircle)
        drawnShape = std::make_unique<Circle>();
    else
        drawnShape = std::make_unique<ClustomRect>();
    drawnShape->setTopLeft(vertex);
    drawnShape->setBottomRight(vertex);
    mouseMode = ModePressed;
    shapeDrag = true;
}

void CammerWidget::selectOnPress(const QPoint &p)
{
    const int count = editRegionCount();
    if (FindSelectedRegion()) {
        ROIInterface *shape = editShape(selectedRegion);
        int handle = -1;
        const bool onHandle = shape->hitHandle(p, &handle);
        if (onHandle || shape->contains(p)) {
            lastPoint = onHandle ? insideImage(p) : p;
            mouseMode = onHandle ? ModeResizing : ModeMoving;
            if (onHandle) {
                handleNumber = handle;
            } else {
                setCursor(Qt::SizeAllCursor);
                objectIndex = isPolygon(shape) ? 0 : objectIndex;
                // A click that does not move the region passes the selection on to the next
                // region under the point, so overlapping regions can all be reached.
                clickCycles = true;
                cyclePoint = p;
            }
            (isPolygon(shape) ? polygonDrag : shapeDrag) = true;
            return;
        }
        lastSelected = selectedRegion;
        selectedRegion = -1;
        setCursor(Qt::CrossCursor);
        lastPoint = currentPoint = p;
        shape->setSelected(false);
        return;
    }
    // Nothing selected: the regions under the point take turns, starting at the last choice.
    const int start = selectedRegion >= 0 && selectedRegion < count ? selectedRegion : 0;
    for (int i = 0; i < count; ++i) {
        const int r = (start + i) % count;
        ROIInterface *shape = editShape(r);
        if (!underPoint(shape, p))
            continue;
        selectedRegion = r;
        pressPoint = p;
        shape->setSelected(true);
        objectIndex = 0;
        setCursor(Qt::SizeAllCursor);
        mouseMode = ModeMoving;
        (isPolygon(shape) ? polygonDrag : shapeDrag) = true;
        lastPoint = p;
        return;
    }
}

void CammerWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (mainWindow && cameraIndex == mainWindow->currentCamera)
        ProbePixel(event->x(), event->y());
    if (cameraInUse(cameraIndex) && mainWindow && imageWidth > 0 && imageHeight > 0) {
        const bool leftOnly = event->buttons() == Qt::LeftButton;
        if (editorSource != EditorSources::Template) {
            if (leftOnly && cameraIndex == mainWindow->currentCamera)
                mainWindow->PanView(event->pos());
        } else if (mainWindow->currentCamera == cameraIndex && moveOnTemplate(imagePoint(event->pos())) && leftOnly) {
            mainWindow->PanView(event->pos());
        }
    }
    QWidget::mouseMoveEvent(event);
}

bool CammerWidget::moveOnTemplate(const QPoint &p)
{
    FindSelectedRegion();
    ROIInterface *selected = editShape(selectedRegion);
    if (shapeDrag) {
        switch (mouseMode) {
        case ModeDrawing:
            if (drawnShape) {
                drawnShape->setBottomRight(insideImage(p));
                drawnShape->updateBounds();
            }
            break;
        case ModeMoving:
            if (!selected || (std::abs(lastPoint.x() - p.x()) < DeadZone && std::abs(lastPoint.y() - p.y()) < DeadZone))
                break;
            currentPoint = p;
            clickCycles = false;
            moveInsideImage(selected, p.x() - lastPoint.x(), p.y() - lastPoint.y());
            lastPoint = p;
            break;
        case ModeResizing:
            if (!selected)
                break;
            currentPoint = insideImage(p);
            selected->dragHandle(handleNumber, lastPoint, currentPoint);
            clampRectToImage(*selected, imageWidth, imageHeight, false);
            selected->updateBounds();
            lastPoint = currentPoint;
            break;
        case ModePressed:
            mouseMode = ModeDrawing;
            if (drawnShape) {
                drawnShape->setBottomRight(insideImage(p));
                drawnShape->updateBounds();
            }
            return false;
        default:
            break;
        }
    } else if (polygonDrag) {
        switch (mouseMode) {
        case ModeDrawing:
            if (mainWindow->freehandPolygon && polygonPoints.size() < size_t(MaxFreehandPoints))
                polygonPoints.push_back(insideImage(p));
            break;
        case ModeMoving: {
            if (!selected || (std::abs(lastPoint.x() - p.x()) < DeadZone && std::abs(lastPoint.y() - p.y()) < DeadZone))
                break;
            currentPoint = p;
            clickCycles = false;
            // A polygon refuses a step that would take it to the border.
            const QRect moved = selected->translated(p - lastPoint);
            if (moved.left() >= RegionMargin && moved.top() >= RegionMargin
                && moved.right() <= imageWidth - RegionMargin - 1 && moved.bottom() <= imageHeight - RegionMargin - 1) {
                selected->translate(p.x() - lastPoint.x(), p.y() - lastPoint.y(), imageWidth, imageHeight);
                selected->updateBounds();
                lastPoint = p;
            }
            break;
        }
        case ModeResizing:
            if (!vertexDrag || !selected)
                break;
            currentPoint = insideImage(p);
            selected->dragHandle(handleNumber, lastPoint, currentPoint);
            selected->updateBounds();
            // A vertex stays inside the image.
            if (!QRect(0, 0, imageWidth, imageHeight).contains(*selected)) {
                selected->dragHandle(handleNumber, currentPoint, lastPoint);
                selected->updateBounds();
            }
            lastPoint = currentPoint;
            break;
        default:
            break;
        }
    } else {
        int handle = -1;
        if (selected && !isPolygon(selected) && selected->hitHandle(p, &handle)) {
            handleNumber = handle;
            setCursor(handleCursor(handle));
            return false;
        }
        for (int r = 0; r < editRegionCount(); ++r) {
            if (underPoint(editShape(r), p)) {
                setCursor(Qt::SizeAllCursor);
                return false;
            }
        }
        // Over empty ground a drag pans the zoomed picture.
        setCursor(Qt::ArrowCursor);
        update();
        return true;
    }
    update();
    return false;
}

void CammerWidget::moveInsideImage(ROIInterface *shape, int dx, int dy)
{
    // Where the bounding rectangle may go with the margin kept; every shape follows it.
    QRect target = shape->translated(dx, dy);
    clampRectToImage(target, imageWidth, imageHeight, true);
    shape->translate(target.x() - shape->x(), target.y() - shape->y(), imageWidth, imageHeight);
    shape->updateBounds();
}

void CammerWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (cameraInUse(cameraIndex) && mainWindow && editorSource == EditorSources::Template
        && mainWindow->currentCamera == cameraIndex)
        releaseOnTemplate();
    QWidget::mouseReleaseEvent(event);
}

void CammerWidget::releaseOnTemplate()
{
    const int tool = mainWindow->drawTool;
    if (shapeDrag) {
        if (mouseMode == ModeDrawing && tool != ToolPolygon && tool != ToolNone) {
            // Dragged up or left, the size is negative and the shape is dropped as too small.
            const bool bigEnough = drawnShape && drawnShape->width() > MinShapeSize && drawnShape->height() > MinShapeSize;
            mainWindow->drawTool = ToolNone;
            mouseMode = ModeIdle;
            if (bigEnough) {
                if (stageFull())
                    refuseFullStage();
                else
                    SaveNewROI();
            }
            drawnShape.reset();
        } else if (mouseMode == ModeDrawing || mouseMode == ModePressed) {
            mainWindow->drawTool = ToolNone;
            mouseMode = ModeIdle;
            drawnShape.reset();
        }
        shapeDrag = false;
    }
    if (mouseMode == ModeMoving || mouseMode == ModeResizing) {
        if (ROIInterface *shape = editShape(selectedRegion)) {
            shape->updateBounds();
            storeEditMask(selectedRegion);
        }
        polygonDrag = false;
        mouseMode = ModeIdle;
        if (clickCycles) {
            pressPoint = cyclePoint;
            SlotNextROI();
        }
    } else if (polygonDrag && mouseMode == ModeDrawing && mainWindow->freehandPolygon) {
        if (polygonPoints.size() > size_t(MinFreehandPoints)) {
            SavePolygon();
        } else {
            polygonDrag = false;
            mouseMode = ModeIdle;
            mainWindow->drawTool = ToolNone;
            polygonPoints.clear();
        }
    }
    UpdateRegionPanel();
    vertexDrag = false;
    update();
}

void CammerWidget::initRegionParameters(int stage, int region, int toolType)
{
    CammerSingleton &config = *editConfig;
    const int k = CammerSingleton::slot(stage, region);
    if (region > 0) {
        config.param1[k] = config.param1[k - 1];
        config.param2[k] = config.param2[k - 1];
        config.param3[k] = config.param3[k - 1];
    } else {
        const RegionParameters defaults = newRegionParameters(toolType, runSetting(Param::FilterSize),
                                                              runSetting(Param::AlarmArea));
        defaults.applyTo(config.param1[k], config.param2[k], config.param3[k]);
    }
    results->roiValue[k] = 0;
    if (stage == 0)
        config.outN[region] = 0;
}

void CammerWidget::SaveNewROI()
{
    const int d = editStage();
    if (!drawnShape || !editConfig || d < 0 || d >= editConfig->shapes.size() || stageFull())
        return;
    CammerSingleton &config = *editConfig;
    const int n = editRegionCount();
    const int k = CammerSingleton::slot(d, n);
    editRoiMasks[k] = drawnShape->mask();
    config.shapeType[k] = drawnShape->typeId();
    drawnShape->setSelected(true);
    drawnShape->updateBounds();
    const int tool = DefaultToolType();
    config.toolType[k] = tool;
    config.shapes[d].append(drawnShape.release());
    initRegionParameters(d, n, tool);
    config.roiCount[d] = config.shapes[d].size();
    selectedRegion = config.roiCount[d] - 1;
}

void CammerWidget::SavePolygon()
{
    if (!mainWindow || mouseMode != ModeDrawing || mainWindow->drawTool != ToolPolygon)
        return;
    polygonDrag = false;
    mouseMode = ModeIdle;
    mainWindow->drawTool = ToolNone;
    const int d = editStage();
    if (!editConfig || d < 0 || d >= editConfig->shapes.size())
        return;
    if (stageFull()) {
        refuseFullStage();
        polygonPoints.clear();
        return;
    }
    if (polygonPoints.size() < size_t(MinPolygonPoints)) {
        polygonPoints.clear();
        update();
        return;
    }
    if (polygonPoints.size() > size_t(MaxFreehandPoints))
        polygonPoints.resize(size_t(MaxFreehandPoints));
    CammerSingleton &config = *editConfig;
    const int n = editRegionCount();
    const int k = CammerSingleton::slot(d, n);
    const int tool = DefaultToolType();
    config.toolType[k] = tool;
    initRegionParameters(d, n, tool);
    auto polygon = std::make_unique<RePolygon>(int(polygonPoints.size()), polygonPoints.data());
    polygon->updateBounds();
    polygon->setSelected(true);
    editRoiMasks[k] = polygon->mask();
    config.shapeType[k] = PolygonShape;
    config.shapes[d].append(polygon.release());
    config.roiCount[d] = config.shapes[d].size();
    selectedRegion = config.roiCount[d] - 1;
    polygonPoints.clear();
    UpdateRegionPanel();
    update();
}

void CammerWidget::SlotCopyArea(QPoint p2)
{
    const int d = editStage();
    const int count = editRegionCount();
    if (count == 0)
        return;
    tipbox box(tipbox::OkCancelButtons);
    box.setText(uiText(CopyQuestionEntry));
    if (box.exec() != QDialog::Accepted || editRegionCount() != count)
        return;
    if (stageFull()) {
        refuseFullStage();
        return;
    }
    if (selectedRegion < 0 || selectedRegion >= count)
        selectedRegion = lastSelected >= 0 && lastSelected < count ? lastSelected : count - 1;
    CammerSingleton &config = *editConfig;
    ROIInterface *source = editShape(selectedRegion);
    const int from = CammerSingleton::slot(d, selectedRegion);
    std::unique_ptr<ROIInterface> copy(cloneRoiShape(source));
    const QPoint centre = source->center();
    moveInsideImage(copy.get(), p2.x() - centre.x(), p2.y() - centre.y());
    copy->setSelected(true);
    source->setSelected(false);
    const int n = count;
    const int k = CammerSingleton::slot(d, n);
    editRoiMasks[k] = copy->mask();
    config.shapes[d].append(copy.release());
    config.shapeType[k] = config.shapeType[from];
    config.param1[k] = config.param1[from];
    config.param2[k] = config.param2[from];
    config.param3[k] = config.param3[from];
    config.toolType[k] = config.toolType[from];
    results->roiValue[k] = 0;
    if (d == 0)
        config.outN[n] = config.outN[selectedRegion];
    config.roiCount[d] = config.shapes[d].size();
    selectedRegion = n;
    UpdateRegionPanel();
    update();
}
