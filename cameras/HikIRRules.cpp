#include "cameras/HikIRRules.h"

#include "inspection/DetectAlgorithm.h"
#include "platform/hcnetsdk/HCNetSDK.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Entries the upload resets before writing the rules; the camera's own rules beyond them stay.
constexpr int ResetEntries = 21;
constexpr uint8_t CentimetreUnit = 2;
constexpr uint8_t EmissivityModeCustom = 255;
constexpr uint8_t PointRule = 0;
constexpr uint8_t BoxRule = 1;

void nameRule(NET_DVR_THERMOMETRY_PRESETINFO_PARAM &entry, int number)
{
    std::snprintf(entry.szRuleName, sizeof entry.szRuleName, "ID:%d", number);
}

void resetEntry(NET_DVR_THERMOMETRY_PRESETINFO_PARAM &entry, int number)
{
    entry.byEnabled = 0;
    entry.byRuleID = uint8_t(number);
    entry.byDistanceUnit = CentimetreUnit;
    entry.byReflectiveEnabled = 0;
    entry.byemissivityMode = EmissivityModeCustom;
    entry.fEmissivity = 0.9f;
    entry.fReflectiveTemperature = 20.0f;
    entry.struPoint = {0.5f, 0.5f};
    entry.byRuleCalibType = PointRule;
    entry.struRegion.dwPointNum = NET_DVR_MAX_REGION_POINTS;
    for (NET_VCA_POINT &point : entry.struRegion.struPos)
        point = {0.f, 0.f};
    nameRule(entry, number);
}

quint16 lowHalf(qint32 value)
{
    return quint16(quint32(value) & 0xFFFF);
}

quint16 highHalf(qint32 value)
{
    return quint16(quint32(value) >> 16);
}

} // namespace

int temperatureRuleNumber(int stage, int region)
{
    if (stage < 0 || stage >= TemperatureRuleStages || region < 0 || region >= TemperatureRulesPerStage)
        return 0;
    return stage * TemperatureRulesPerStage + region + 1;
}

QPointF polygonCentroid(const QVector<QPointF> &points)
{
    const int k = points.size();
    if (k < 3)
        return QPointF(0, 0);
    double area = 0;
    double cx = 0;
    double cy = 0;
    for (int i = 0; i < k; ++i) {
        const QPointF &a = points.at(i);
        const QPointF &b = points.at((i + 1) % k);
        const double cross = a.x() * b.y() - b.x() * a.y();
        area += cross;
        cx += (a.x() + b.x()) * cross;
        cy += (a.y() + b.y()) * cross;
    }
    area /= 2;
    if (std::abs(area) <= 1e-12)
        return QPointF(0, 0);
    return QPointF(cx / (6 * area), cy / (6 * area));
}

TemperatureRuleSlots buildTemperatureRules(const CammerSingleton &config, int width, int height, int distance,
                                           NET_DVR_THERMOMETRY_PRESETINFO &preset)
{
    TemperatureRuleSlots decided;
    for (int n = 1; n <= ResetEntries; ++n)
        resetEntry(preset.struPresetInfo[n - 1], n);
    if (width < 1 || height < 1)
        return decided;

    for (int stage = 0; stage < TemperatureRuleStages; ++stage) {
        const QList<ROIInterface *> &shapes = config.shapes.value(stage);
        const int regions = std::min({qBound(0, config.roiCount[stage], int(CammerSingleton::MaxRegions)),
                                      TemperatureRulesPerStage, int(shapes.size())});
        for (int j = 0; j < regions; ++j) {
            const int slot = CammerSingleton::slot(stage, j);
            const int shape = config.shapeType[slot];
            if (config.toolType[slot] != TemperatureTool || (shape != RectangleShape && shape != PolygonShape)
                || !shapes.at(j))
                continue;
            const qint32 p1 = config.param1[slot];
            decided.mode[slot] = highHalf(config.param2[slot]);
            decided.offset[slot] = qint16(highHalf(p1));
            decided.measured[slot] = true;

            QVector<QPointF> points;
            for (const QPoint &p : shapes.at(j)->handlePoints())
                points << QPointF(double(p.x()) / width, double(p.y()) / height);

            const int number = temperatureRuleNumber(stage, j);
            NET_DVR_THERMOMETRY_PRESETINFO_PARAM &entry = preset.struPresetInfo[number - 1];
            entry.byEnabled = 1;
            if (distance >= 0)
                entry.wDistance = quint16(distance);
            entry.byRuleID = uint8_t(number);
            entry.fEmissivity = float(lowHalf(p1)) / 100.f;
            entry.byDistanceUnit = CentimetreUnit;
            entry.byReflectiveEnabled = 1;
            entry.byemissivityMode = EmissivityModeCustom;
            entry.fReflectiveTemperature = float(highHalf(config.param3[slot]));
            nameRule(entry, number);
            if (stage == 0) {
                const QPointF centre = polygonCentroid(points);
                entry.byRuleCalibType = PointRule;
                entry.struPoint = {float(centre.x()), float(centre.y())};
            } else {
                entry.byRuleCalibType = BoxRule;
                const int count = std::min(int(points.size()), NET_DVR_MAX_REGION_POINTS);
                entry.struRegion.dwPointNum = uint32_t(count);
                for (int i = 0; i < count; ++i)
                    entry.struRegion.struPos[i] = {float(points.at(i).x()), float(points.at(i).y())};
            }
        }
    }
    return decided;
}
