// The camera view's drawing: the picture at widget size with the NG pixels of a latched alarm,
// and the outline and label of every region coloured by its verdict; on a template also the
// ignored pixels, the preview of the region being tuned, the defect tool's filter hints, the
// shape being drawn and the legend.

#include "station/CammerWidget.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "station/DrawROIWidget.h"
#include "station/MoJuWizard.h"
#include "station/RegionTools.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"
#include "station/StationGlobals.h"
#include "uikit/UiKitGlobals.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// A stage with more regions than this gets short labels.
constexpr int LongLabelRegionLimit = 10;
constexpr int LabelFontPixels = 30;
constexpr int LabelWidth = 400;
constexpr int LabelHeight = 25;
constexpr int CrossHalf = 6;

const QRgb ngPixel = qRgb(255, 0, 0);
const QRgb ignoredPixel = qRgb(0, 255, 255);
const QColor hintAreaColour(0xE9, 0x96, 0x7A);

constexpr int FilterSizeEntry = 22;
constexpr int AreaEntry = 24;
constexpr int LegendSquare = 25;
// Mouse mode of a shape being drawn, and the polygon tool.
constexpr int DrawingMode = 1;
constexpr int PolygonTool = 2;
constexpr int FirstVertexMark = 10;

// The limit a region's label shows beside its value.
QString limitText(const CammerSingleton &config, int k)
{
    const int tool = config.toolType[k];
    if (tool == RegionTool::Defect && runSetting(Param::RegionParameters) == 0)
        return QString::number(runSetting(Param::AlarmArea));
    switch (tool) {
    case RegionTool::Similarity:
        return QString::number(config.param2[k]);
    case RegionTool::Spot:
        return QStringLiteral("%1--%2").arg(config.param2[k]).arg(config.param3[k]);
    case RegionTool::Temperature:
        return QStringLiteral("%1--%2").arg(lowSigned16(config.param2[k])).arg(lowSigned16(config.param3[k]));
    default:
        return QString::number(config.param3[k]);
    }
}

} // namespace

// Each widget pixel shows the image pixel under its centre-less corner, as a fast scaling
// does: image x = ((x - panX) / zoom) / scaleX, truncated.
void CammerWidget::updatePixelMaps(const ViewTransform &transform)
{
    const QSize widgetSize = size();
    if (shownImage.size() == widgetSize && transform == mappedTransform && !columnMap.empty())
        return;
    mappedTransform = transform;
    shownImage = QImage(widgetSize, QImage::Format_RGB32);
    const auto map = [&transform](std::vector<int> &out, int widgetLength, int imageLength,
                                  double pan) {
        out.resize(size_t(qMax(0, widgetLength)));
        const double step = double(imageLength) / double(qMax(1, widgetLength)) / transform.zoom;
        for (int i = 0; i < widgetLength; ++i) {
            const double source = std::floor((double(i) - pan) * step);
            out[size_t(i)] = source < 0 ? -1 : int(std::min(source, double(imageLength)));
        }
    };
    map(columnMap, widgetSize.width(), imageWidth, transform.panX);
    map(rowMap, widgetSize.height(), imageHeight, transform.panY);
}

void CammerWidget::renderShownImage()
{
    const int w = shownImage.width();
    const uchar *const image = cameraImage.data();
    for (int y = 0; y < shownImage.height(); ++y) {
        QRgb *out = reinterpret_cast<QRgb *>(shownImage.scanLine(y));
        const int row = rowMap[size_t(y)];
        if (row < 0 || row >= imageHeight) {
            std::fill_n(out, w, qRgb(0, 0, 0));
            continue;
        }
        if (isColor) {
            // Pixels B, G, R, 0 as the drivers deliver them: a 32-bit RGB value each.
            const auto *in = reinterpret_cast<const quint32 *>(image + size_t(row) * size_t(imageWidth) * 4);
            for (int x = 0; x < w; ++x) {
                const int column = columnMap[size_t(x)];
                out[x] = column >= 0 && column < imageWidth ? (in[column] | 0xFF000000u) : qRgb(0, 0, 0);
            }
        } else {
            const uchar *in = image + size_t(row) * size_t(imageWidth);
            for (int x = 0; x < w; ++x) {
                const int column = columnMap[size_t(x)];
                out[x] = column >= 0 && column < imageWidth ? (0xFF000000u | (quint32(in[column]) * 0x010101u))
                                                            : qRgb(0, 0, 0);
            }
        }
    }
}

// Colours the widget pixels whose image pixel lies in imageRect (both ends included) and is
// non-zero in mask (width x height bytes).
void CammerWidget::markPixels(const QRect &imageRect, const uchar *mask, QRgb colour)
{
    const QRect r = imageRect.intersected(QRect(0, 0, imageWidth, imageHeight));
    if (r.isEmpty() || !mask)
        return;
    // The maps only grow, so the widget pixels of the rectangle are one run of rows and columns.
    const auto firstColumn = std::lower_bound(columnMap.begin(), columnMap.end(), r.left());
    const auto endColumn = std::upper_bound(firstColumn, columnMap.end(), r.right());
    const auto firstRow = std::lower_bound(rowMap.begin(), rowMap.end(), r.top());
    const auto endRow = std::upper_bound(firstRow, rowMap.end(), r.bottom());
    const int x0 = int(firstColumn - columnMap.begin());
    const int x1 = int(endColumn - columnMap.begin());
    for (auto rowIt = firstRow; rowIt != endRow; ++rowIt) {
        const int y = int(rowIt - rowMap.begin());
        const uchar *maskRow = mask + size_t(*rowIt) * size_t(imageWidth);
        QRgb *out = reinterpret_cast<QRgb *>(shownImage.scanLine(y));
        for (int x = x0; x < x1; ++x) {
            if (maskRow[columnMap[size_t(x)]])
                out[x] = colour;
        }
    }
}

void CammerWidget::markNgPixels(const CammerSingleton &config, int stage)
{
    if (stage < 0 || stage >= config.shapes.size())
        return;
    const QList<ROIInterface *> &shapes = config.shapes[stage];
    const int count = qMin(int(shapes.size()), qBound(0, config.roiCount[stage], int(MaxRegions)));
    for (int r = 0; r < count; ++r) {
        if (!results->roiOk[stage][r])
            markPixels(*shapes[r], resultMask.data(), ngPixel);
    }
}

void CammerWidget::drawRegions(QPainter &painter, const CammerSingleton &config, int stage,
                               bool editing)
{
    if (stage < 0 || stage >= config.shapes.size())
        return;
    const QList<ROIInterface *> &shapes = config.shapes[stage];
    const int count = qMin(int(shapes.size()), qBound(0, config.roiCount[stage], int(MaxRegions)));
    const int displayMode = mainWindow ? mainWindow->DisplayMode : DisplayModes::Normal;
    const bool oneSelected = editing && selectedRegion >= 0;
    QFont font = painter.font();
    font.setPixelSize(LabelFontPixels);
    painter.setFont(font);
    for (int r = 0; r < count; ++r) {
        const int k = CammerSingleton::slot(stage, r);
        const int tool = config.toolType[k];
        if (tool == RegionTool::Positioning && !editing)
            continue;
        // A selected region on a template is shown alone, unless the move buttons move every
        // region of the stage: then the operator must see all that move.
        if (oneSelected && r != selectedRegion && moveMode != 2)
            continue;
        QColor colour(Qt::darkBlue);
        if (displayMode != DisplayModes::Normal)
            colour = (results->resultOk && tool != RegionTool::Temperature) || results->roiOk[stage][r]
                ? QColor(Qt::green)
                : QColor(Qt::red);
        painter.setPen(colour);
        const ROIInterface *shape = shapes[r];
        shape->drawScaled(&painter, scaleX, scaleY);
        const QPoint anchor = shape->anchor();
        const int ax = int(float(anchor.x()) * scaleX);
        const int ay = int(float(anchor.y()) * scaleY);

        const QString value = QString::number(results->roiValue[k]);
        const QString text = count > LongLabelRegionLimit
            ? QStringLiteral("%1: %2").arg(r + 1).arg(value)
            : QStringLiteral("%1: %2 / %3 ").arg(QString::number(r + 1), limitText(config, k), value);
        // With a region selected only its own label is drawn, at the top.
        if (!oneSelected || r == selectedRegion) {
            const QRect place = oneSelected ? QRect(width() / 2 - 100, 5, LabelWidth, LabelHeight)
                                            : QRect(ax + 10, ay <= 26 ? ay : ay - 26, LabelWidth, LabelHeight);
            painter.drawText(place, Qt::AlignLeft | Qt::AlignVCenter, text);
        }

        if (editing && (!oneSelected || r == selectedRegion) && tool == RegionTool::Defect)
            drawFilterHints(painter, config, k, *shape);

        const int *point = results->roiBoxes[k][0];
        if ((displayMode == DisplayModes::ResultShown || displayMode == DisplayModes::AlarmLatched) && tool == RegionTool::Temperature
            && point[0] > 0 && point[1] > 0) {
            const int x = int(float(point[0]) * scaleX);
            const int y = int(float(point[1]) * scaleY);
            const QPen pen = painter.pen();
            painter.setPen(QPen(Qt::red, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
            painter.drawLine(x, y - CrossHalf, x, y + CrossHalf);
            painter.drawLine(x - CrossHalf, y, x + CrossHalf, y);
            painter.setPen(pen);
        }
    }
}

// The defect tool's two sizes beside each other in the region: the filter size (blue) and the
// square of the alarm area (#E9967A), in widget pixels.
void CammerWidget::drawFilterHints(QPainter &painter, const CammerSingleton &config, int k, const QRect &bounds)
{
    const bool own = runSetting(Param::RegionParameters) != 0;
    const int a = own ? config.param1[k] : runSetting(Param::FilterSize);
    const int area = own ? config.param3[k] : runSetting(Param::AlarmArea);
    const int b = int(std::sqrt(double(qMax(0, area))));
    const int x = bounds.x();
    const int right = bounds.right();
    const int q = (right - x) / 4;
    const int cy = int(float((bounds.y() + bounds.bottom()) / 2) * scaleY);
    const int ax = int(float((x + right) / 2 - q) * scaleX);
    const int bx = int(float((x + right) / 2 + q) * scaleX);
    const QPen pen = painter.pen();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::blue));
    painter.drawRect(ax - a / 2, cy - a / 2, a, a);
    painter.setPen(QPen(hintAreaColour));
    painter.drawRect(bx - b / 2, cy - b / 2, b, b);
    painter.setPen(pen);
}

void CammerWidget::markIgnoredPixels(const CammerSingleton &config, int stage)
{
    if (stage < 0 || stage >= config.shapes.size() || size_t(stage) >= ignoreMasks.size()
        || ignoreMasks[size_t(stage)].size() < size_t(pixelCount))
        return;
    const QList<ROIInterface *> &shapes = config.shapes[stage];
    const int count = qMin(int(shapes.size()), qBound(0, config.roiCount[stage], int(MaxRegions)));
    for (int r = 0; r < count; ++r)
        markPixels(*shapes[r], ignoreMasks[size_t(stage)].data(), ignoredPixel);
}

void CammerWidget::drawShapeInProgress(QPainter &painter)
{
    if (mouseMode != DrawingMode || !mainWindow)
        return;
    painter.setPen(QPen(Qt::magenta));
    const int tool = mainWindow->drawTool;
    if (tool == PolygonTool) {
        painter.setPen(QPen(Qt::magenta, 2));
        const auto scaledPoint = [this](const QPoint &p) {
            return QPoint(int(float(p.x()) * scaleX), int(float(p.y()) * scaleY));
        };
        for (size_t i = 1; i < polygonPoints.size(); ++i)
            painter.drawLine(scaledPoint(polygonPoints[i - 1]), scaledPoint(polygonPoints[i]));
        if (!polygonPoints.empty()) {
            const QPoint first = scaledPoint(polygonPoints.front());
            painter.setPen(QPen(Qt::cyan));
            painter.drawEllipse(first.x() - 5, first.y() - 5, FirstVertexMark, FirstVertexMark);
        }
    } else if (drawnShape) {
        drawnShape->drawScaled(&painter, scaleX, scaleY);
    }
}

void CammerWidget::drawLegend(QPainter &painter)
{
    QFont font = painter.font();
    font.setPixelSize(LabelFontPixels);
    painter.setFont(font);
    const int rows[2] = {height() - 80, height() - 40};
    const QColor colours[2] = {QColor(Qt::blue), hintAreaColour};
    const int entries[2] = {FilterSizeEntry, AreaEntry};
    for (int i = 0; i < 2; ++i) {
        painter.setPen(colours[i]);
        painter.drawText(QRect(10, rows[i], 150, LabelHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("%1 :").arg(uiText(entries[i])));
        painter.fillRect(QRect(160, rows[i], LegendSquare, LegendSquare), colours[i]);
    }
}

void CammerWidget::paintEvent(QPaintEvent *)
{
    if (frameBytes <= 0 || cameraImage.size() < size_t(frameBytes) || width() <= 0 || height() <= 0)
        return;
    const int source = editorSource;
    // The stored OK or NG image the region page has open, with the zoom of the view shown.
    if (source == EditorSources::OkRecords || source == EditorSources::NgRecords) {
        const DrawROIWidget *page = mainWindow ? mainWindow->drawROIWidget : nullptr;
        if (!page || page->recordCount <= 0 || page->recordImage.isNull())
            return;
        QPainter painter(this);
        painter.translate(mainWindow->panX, mainWindow->panY);
        const double zoom = mainWindow->zoomScale > 0 ? mainWindow->zoomScale : 1.0;
        painter.scale(zoom, zoom);
        painter.drawImage(rect(), page->recordImage);
        return;
    }
    const bool editing = source == EditorSources::Template;
    const CammerSingleton *config = editing ? editConfig.get() : activeConfig.get();
    const int stage = !mainWindow ? 0 : editing ? mainWindow->editDetect : mainWindow->currentDetect();
    const int displayMode = mainWindow ? mainWindow->DisplayMode : DisplayModes::Normal;

    // The zoom of the camera shown alone, and of a recent NG image whichever view shows it.
    ViewTransform transform;
    if (mainWindow && (source == EditorSources::RecentNg || cameraIndex == mainWindow->currentCamera))
        transform = {mainWindow->panX, mainWindow->panY, mainWindow->zoomScale > 0 ? mainWindow->zoomScale : 1.0};
    updatePixelMaps(transform);
    renderShownImage();
    if (config && source != EditorSources::RecentNg && displayMode == DisplayModes::AlarmLatched && source == EditorSources::Live && blinkPhase == 1)
        markNgPixels(*config, stage);
    if (config && editing)
        markIgnoredPixels(*config, stage);
    // The pixels the region being tuned finds with its new parameters.
    if (config && previewShown && selectedRegion >= 0 && stage >= 0 && stage < config->shapes.size()
        && selectedRegion < config->shapes[stage].size())
        markPixels(*config->shapes[stage][selectedRegion], resultMask.data(), ignoredPixel);

    QPainter painter(this);
    painter.drawImage(0, 0, shownImage);
    if (source == EditorSources::RecentNg || !config)
        return;

    const bool outlines = displayMode == DisplayModes::ResultShown
        || (displayMode == DisplayModes::Normal && runSetting(Param::OutlinesWhileRunning) != 0) || editing
        || (displayMode == DisplayModes::AlarmLatched && source == EditorSources::Live);
    painter.save();
    painter.translate(transform.panX, transform.panY);
    painter.scale(transform.zoom, transform.zoom);
    QFont font(QStringLiteral("SimHei"));
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    if (outlines)
        drawRegions(painter, *config, stage, editing);
    if (editing)
        drawShapeInProgress(painter);
    painter.restore();
    if (editing)
        drawLegend(painter);
}
