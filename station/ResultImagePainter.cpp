#include "station/ResultImagePainter.h"

#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "inspection/CammerSingleton.h"
#include "inspection/DetectAlgorithm.h"
#include "inspection/DetectionResults.h"
#include "inspection/ROIInterface.h"
#include "station/RunCodes.h"
#include "uikit/UiKitGlobals.h"

#include <QImage>
#include <QPainter>

namespace {

constexpr int SmallImageWidth = 640;
constexpr ResultTextStyle SmallText = {16, 25};
constexpr ResultTextStyle LargeText = {26, 80};
constexpr int VerdictX = 5;
constexpr int DoorLineOffset = 30;
constexpr int StampX = 55;

constexpr int LabelRaise = 26;
constexpr int LabelWidth = 400;
constexpr int LabelHeight = 25;
constexpr int CrowdedStage = 10;
constexpr int LabelRoom = 165;

constexpr int NoDetectionEntry = 47;
constexpr int TakenAsTemplateEntry = 48;
constexpr int ReDetectedEntry = 61;
constexpr int ClearMethodEntry = 120;
constexpr int OkReDetectedEntry = 143;

// Results entry 0 holds the box count; there are 99 entries for boxes behind it.
constexpr int MaxBoxes = DetectionResults::BoxEntries - 1;

int lowHalf(int packed)
{
    return qint16(quint16(packed & 0xFFFF));
}

void drawBoxes(QPainter &painter, const int (*boxes)[4])
{
    const int count = qBound(0, boxes[0][0], MaxBoxes);
    for (int i = 1; i <= count; ++i) {
        const int *box = boxes[i];
        painter.drawRect(box[0], box[1], box[2] - box[0], box[3] - box[1]);
    }
}

} // namespace

ResultTextStyle resultTextStyle(int imageWidth)
{
    return imageWidth <= SmallImageWidth ? SmallText : LargeText;
}

QFont resultFont(int imageWidth)
{
    return QFont(QStringLiteral("SimHei"), resultTextStyle(imageWidth).pointSize);
}

QString regionLimitText(const CammerSingleton &config, int slot, const SystemParameters *params)
{
    if (slot < 0 || slot >= CammerSingleton::RegionSlotCount)
        return QString();
    const int p2 = config.param2[slot];
    const int p3 = config.param3[slot];
    switch (config.toolType[slot]) {
    case DefectTool:
        if (params && (*params)[Param::RegionParameters] == 0)
            return QString::number((*params)[Param::AlarmArea]);
        break;
    case SimilarityTool:
        return QString::number(p2);
    case SpotTool:
        return QStringLiteral("%1--%2").arg(p2).arg(p3);
    case TemperatureTool:
        // The limits are signed: a low limit of -20 is stored as 0xFFEC.
        return QStringLiteral("%1--%2").arg(lowHalf(p2)).arg(lowHalf(p3));
    default:
        break;
    }
    return QString::number(p3);
}

QString resultRegionLabel(int region, int regionCount, int leftEdge, int imageWidth,
                          const QString &limit, const QString &value)
{
    if (regionCount > CrowdedStage || imageWidth - leftEdge < LabelRoom)
        return QStringLiteral("%1:%2").arg(region + 1).arg(value);
    return QStringLiteral("%1:%2/%3").arg(region + 1).arg(limit, value);
}

QString decisionStampText(int resultCode)
{
    switch (resultCode) {
    case ResultCodes::NgAccepted:
        return uiText(ClearMethodEntry) + uiText(NoDetectionEntry);
    case ResultCodes::NgAsTemplate:
        return uiText(ClearMethodEntry) + uiText(TakenAsTemplateEntry);
    case ResultCodes::ExaminedAgain:
        return uiText(ClearMethodEntry) + uiText(ReDetectedEntry);
    case ResultCodes::NgRerendered:
        return uiText(OkReDetectedEntry);
    default:
        return QString();
    }
}

int paintStageResult(QImage &image, const ResultScene &scene)
{
    if (image.isNull() || !scene.config || !scene.results || scene.stage < 0
        || scene.stage >= CammerSingleton::StageCount)
        return 0;
    const CammerSingleton &config = *scene.config;
    const DetectionResults &results = *scene.results;
    const int d = scene.stage;
    const ResultTextStyle style = resultTextStyle(image.width());
    const QColor verdictColour = scene.ok ? Qt::green : Qt::red;

    QPainter painter(&image);
    painter.setFont(resultFont(image.width()));
    painter.setPen(verdictColour);
    painter.drawText(VerdictX, style.baseline, scene.ok ? QStringLiteral("OK") : QStringLiteral("NG"));
    painter.drawText(VerdictX, style.baseline + DoorLineOffset, scene.doorText);

    int firstNg = 0;
    const QList<ROIInterface *> &shapes = config.shapes.value(d);
    const int count = qBound(0, qMin(config.roiCount[d], int(shapes.size())),
                             int(CammerSingleton::MaxRegions));
    for (int r = 0; r < count; ++r) {
        const ROIInterface *shape = shapes.at(r);
        if (!shape)
            continue;
        const int slot = CammerSingleton::slot(d, r);
        const bool regionOk = results.roiOk[d][r];
        const QColor colour = regionOk ? Qt::green : Qt::red;
        painter.setPen(colour);
        if (!regionOk) {
            if (firstNg == 0)
                firstNg = r + 1;
            // A temperature alarm keeps the point it measured where others keep their count.
            if (config.toolType[slot] != TemperatureTool)
                drawBoxes(painter, results.roiBoxes[slot]);
        }
        shape->draw(&painter);

        painter.setPen(colour);
        const QPoint anchor = shape->anchor();
        const int y = anchor.y() <= LabelRaise ? anchor.y() : anchor.y() - LabelRaise;
        const QString text = resultRegionLabel(r, config.roiCount[d], shape->left(), image.width(),
                                               regionLimitText(config, slot, scene.params),
                                               QString::number(results.roiValue[slot]));
        painter.drawText(QRect(anchor.x(), y, LabelWidth, LabelHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    return firstNg;
}

bool paintDecisionStamp(QImage &image, int resultCode)
{
    const QString text = decisionStampText(resultCode);
    if (image.isNull() || text.isEmpty())
        return false;
    QPainter painter(&image);
    painter.setFont(resultFont(image.width()));
    painter.setPen(Qt::red);
    painter.drawText(StampX, resultTextStyle(image.width()).baseline, text);
    return true;
}
