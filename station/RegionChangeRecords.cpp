#include "station/RegionChangeRecords.h"

#include "inspection/CammerSingleton.h"
#include "station/RegionTools.h"
#include "uikit/UiKitGlobals.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// UI text entries of the record rows.
constexpr int HeaderEntry = 73;
constexpr int StageNameEntry = 263;
constexpr int SideStageNameEntry = 372;
constexpr int AddedEntry = 80;
constexpr int DeletedEntry = 81;
constexpr int ChangedEntry = 99;
constexpr int ToolFromEntry = 82;
constexpr int ToolToEntry = 83;
constexpr int ToolIsEntry = 84;
constexpr int PositionEntry = 98;
constexpr int SpotNameEntry = 15;
constexpr int IgnoreNameEntry = 17;
constexpr int PositionNameEntry = 21;
constexpr int TemperatureNameEntry = 570;
constexpr int DefectAddedEntry = 78;
constexpr int SpotAddedEntry = 77;
constexpr int PositionAddedEntry = 79;
constexpr int TemperatureAddedEntry = 618;

QString angleCorrectionText()
{
    return QCoreApplication::translate("DrawROIWidget", "角度矫正");
}

int lowByte(int v) { return v & 0xFF; }
int secondByte(int v) { return (v >> 8) & 0xFF; }
int lowHalf(int v) { return qint16(quint16(v & 0xFFFF)); }
int highHalf(int v) { return qint16(quint16((quint32(v) >> 16) & 0xFFFF)); }

// One region's numbers, as the rows read them.
struct Region
{
    int tool = 0;
    int p1 = 0;
    int p2 = 0;
    int p3 = 0;
    const ROIInterface *shape = nullptr;
};

Region regionOf(const CammerSingleton &config, int stage, int region)
{
    const int k = CammerSingleton::slot(stage, region);
    Region r;
    r.tool = config.toolType[k];
    r.p1 = config.param1[k];
    r.p2 = config.param2[k];
    r.p3 = config.param3[k];
    if (stage < config.shapes.size() && region < config.shapes[stage].size())
        r.shape = config.shapes[stage][region];
    return r;
}

// Regions of a stage that have a shape, within the stage's limit.
int regionsOf(const CammerSingleton &config, int stage)
{
    const int shapes = stage < config.shapes.size() ? config.shapes[stage].size() : 0;
    return std::clamp(std::min(config.roiCount[stage], shapes), 0, int(CammerSingleton::MaxRegions));
}

QString shapeName(const Region &r)
{
    return r.shape ? r.shape->typeName() : QString();
}

// How an added region's tool and parameters read.
QString addedDescription(const Region &r)
{
    switch (r.tool) {
    case RegionTool::Defect:
        return uiText(DefectAddedEntry).arg(r.p2).arg(r.p1).arg(r.p3);
    case RegionTool::Spot:
        return uiText(SpotAddedEntry).arg(secondByte(r.p1)).arg(lowByte(r.p1)).arg(r.p2).arg(r.p3);
    case RegionTool::IgnoreArea:
        return uiText(IgnoreNameEntry);
    case RegionTool::Positioning:
        return uiText(PositionAddedEntry).arg(r.p1).arg(r.p2).arg(r.p3);
    case RegionTool::Temperature:
        return uiText(TemperatureAddedEntry)
            .arg(lowHalf(r.p2))
            .arg(lowHalf(r.p3))
            .arg(lowHalf(r.p1))
            .arg(highHalf(r.p2))
            .arg(highHalf(r.p3))
            .arg(highHalf(r.p1));
    case RegionTool::AngleCorrection:
        return angleCorrectionText();
    default:
        return QString();
    }
}

// The short name of a tool, as a deleted region's row gives it.
QString toolName(int tool)
{
    switch (tool) {
    case RegionTool::Defect:
        return QCoreApplication::translate("DrawROIWidget", "缺陷检测");
    case RegionTool::Spot:
        return uiText(SpotNameEntry);
    case RegionTool::IgnoreArea:
        return uiText(IgnoreNameEntry);
    case RegionTool::Positioning:
        return uiText(PositionNameEntry);
    case RegionTool::Temperature:
        return uiText(TemperatureNameEntry);
    case RegionTool::AngleCorrection:
        return angleCorrectionText();
    default:
        return QString();
    }
}

// One "from old to new" part, present only when the value changed.
struct Part
{
    int entry;
    int before;
    int after;
};

// The parameter text of a kept region under its new tool; *changed tells whether any part is
// present.
QString parameterText(const Region &was, const Region &now, bool *changed)
{
    std::vector<Part> parts;
    int summary = 0;
    switch (now.tool) {
    case RegionTool::Defect:
        summary = 97;
        parts = {{94, was.p2, now.p2}, {95, was.p3, now.p3}, {96, was.p1, now.p1}};
        break;
    case RegionTool::Spot:
        summary = 89;
        parts = {{85, secondByte(was.p1), secondByte(now.p1)},
                 {86, lowByte(was.p1), lowByte(now.p1)},
                 {87, was.p2, now.p2},
                 {88, was.p3, now.p3}};
        break;
    case RegionTool::Positioning:
        summary = 93;
        parts = {{90, was.p2, now.p2}, {91, was.p3, now.p3}, {92, was.p1, now.p1}};
        break;
    case RegionTool::Temperature:
        summary = 619;
        parts = {{620, lowHalf(was.p2), lowHalf(now.p2)},  {621, lowHalf(was.p3), lowHalf(now.p3)},
                 {622, lowHalf(was.p1), lowHalf(now.p1)},  {623, highHalf(was.p2), highHalf(now.p2)},
                 {624, highHalf(was.p3), highHalf(now.p3)}, {625, highHalf(was.p1), highHalf(now.p1)}};
        break;
    case RegionTool::IgnoreArea:
        *changed = false;
        return uiText(IgnoreNameEntry);
    case RegionTool::AngleCorrection:
        *changed = false;
        return angleCorrectionText();
    default:
        *changed = false;
        return QString();
    }
    QString text = uiText(summary);
    *changed = false;
    for (const Part &p : parts) {
        QString piece;
        if (p.before != p.after) {
            piece = uiText(p.entry).arg(p.before).arg(p.after);
            *changed = true;
        }
        // One placeholder at a time: the pieces hold no placeholders of their own.
        text = text.arg(piece);
    }
    return text;
}

bool movesRegistration(int tool)
{
    return tool == RegionTool::Positioning || tool == RegionTool::AngleCorrection;
}

} // namespace

RegionChanges regionChanges(const CammerSingleton &before, const CammerSingleton &after, int camera,
                            int machineMode, int stageCount)
{
    RegionChanges changes;
    const int stages = std::clamp(stageCount, 0, int(CammerSingleton::StageCount));
    const bool twoSided = machineMode == 1 || machineMode == 2;
    for (int j = 0; j < stages; ++j) {
        const QString stageName = uiText((twoSided ? SideStageNameEntry : StageNameEntry) + j);
        const QString header = uiText(HeaderEntry).arg(camera + 1).arg(stageName);
        const int was = regionsOf(before, j);
        const int now = regionsOf(after, j);
        for (int k = 0; k < std::max(was, now); ++k) {
            const QString number = QString::number(k + 1);
            if (k >= was) {
                const Region added = regionOf(after, j, k);
                changes.rows << header + uiText(AddedEntry).arg(shapeName(added), number, addedDescription(added));
                changes.registrationChanged = changes.registrationChanged || movesRegistration(added.tool);
                continue;
            }
            if (k >= now) {
                const Region gone = regionOf(before, j, k);
                changes.rows << header + uiText(DeletedEntry).arg(shapeName(gone), number, toolName(gone.tool));
                changes.registrationChanged = changes.registrationChanged || movesRegistration(gone.tool);
                continue;
            }
            const Region old = regionOf(before, j, k);
            const Region kept = regionOf(after, j, k);
            if (kept.tool == RegionTool::Positioning || (old.tool != kept.tool && movesRegistration(old.tool)))
                changes.registrationChanged = true;
            QString toolText = uiText(ToolIsEntry);
            if (old.tool != kept.tool) {
                const QString oldName = old.tool == RegionTool::AngleCorrection ? uiText(PositionNameEntry)
                                                                                 : toolName(old.tool);
                toolText = uiText(ToolFromEntry) + oldName + uiText(ToolToEntry);
            }
            bool parametersChanged = false;
            const QString parameters = parameterText(old, kept, &parametersChanged);
            const bool moved = old.shape && kept.shape ? !kept.shape->equals(old.shape) : old.shape != kept.shape;
            if (!moved && !parametersChanged)
                continue;
            const QString position = moved ? uiText(PositionEntry) : QString();
            changes.rows << header
                    + uiText(ChangedEntry).arg(shapeName(kept), number, toolText, parameters, position);
        }
    }
    return changes;
}
