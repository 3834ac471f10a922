// The camera view's drawing: the picture at widget size with the NG pixels of a latched alarm,
// and the outline and label of every region coloured by its verdict.

#include "station/CammerWidget.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "station/MoJuWizard.h"
#include "station/RegionTools.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"
#include "station/StationGlobals.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Image sources of the region page.
constexpr int SourceTemplate = 0;
constexpr int SourceLive = 1;
constexpr int SourceRecentNg = 2;
constexpr int SourceOkRecords = 3;
constexpr int SourceNgRecords = 4;

// A stage with more regions than this gets short labels.
constexpr int LongLabelRegionLimit = 10;
constexpr int LabelFontPixels = 30;
constexpr int LabelWidth = 400;
constexpr int LabelHeight = 25;
constexpr int CrossHalf = 6;

const QRgb ngPixel = qRgb(255, 0, 0);

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
        // A selected region on a template is shown alone.
        if (oneSelected && r != selectedRegion)
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
        const QRect place = oneSelected ? QRect(width() / 2 - 100, 5, LabelWidth, LabelHeight)
                                        : QRect(ax + 10, ay <= 26 ? ay : ay - 26, LabelWidth, LabelHeight);
        painter.drawText(place, Qt::AlignLeft | Qt::AlignVCenter, text);

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

void CammerWidget::paintEvent(QPaintEvent *)
{
    if (frameBytes <= 0 || cameraImage.size() < size_t(frameBytes) || width() <= 0 || height() <= 0)
        return;
    const int source = editorSource;
    // Stored OK and NG records are drawn by the region page's image records.
    if (source == SourceOkRecords || source == SourceNgRecords)
        return;
    const bool editing = source == SourceTemplate;
    const CammerSingleton *config = editing ? editConfig.get() : activeConfig.get();
    const int stage = !mainWindow ? 0 : editing ? mainWindow->editDetect : mainWindow->currentDetect();
    const int displayMode = mainWindow ? mainWindow->DisplayMode : DisplayModes::Normal;

    // The zoom of the camera shown alone, and of a recent NG image whichever view shows it.
    ViewTransform transform;
    if (mainWindow && (source == SourceRecentNg || cameraIndex == mainWindow->currentCamera))
        transform = {mainWindow->panX, mainWindow->panY, mainWindow->zoomScale > 0 ? mainWindow->zoomScale : 1.0};
    updatePixelMaps(transform);
    renderShownImage();
    if (config && source != SourceRecentNg && displayMode == DisplayModes::AlarmLatched && source == SourceLive && blinkPhase == 1)
        markNgPixels(*config, stage);

    QPainter painter(this);
    painter.drawImage(0, 0, shownImage);
    if (source == SourceRecentNg || !config)
        return;

    const bool outlines = displayMode == DisplayModes::ResultShown
        || (displayMode == DisplayModes::Normal && runSetting(Param::OutlinesWhileRunning) != 0) || editing
        || (displayMode == DisplayModes::AlarmLatched && source == SourceLive);
    if (!outlines)
        return;
    painter.save();
    painter.translate(transform.panX, transform.panY);
    painter.scale(transform.zoom, transform.zoom);
    QFont font(QStringLiteral("SimHei"));
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    drawRegions(painter, *config, stage, editing);
    painter.restore();
}
