#include "station/RegionTools.h"

#include "uikit/UiKitGlobals.h"

namespace {

// UI text entries of the tool names.
constexpr int DefectNameEntry = 25;
constexpr int SpotNameEntry = 15;
constexpr int IgnoreNameEntry = 17;
constexpr int PositioningNameEntry = 21;
constexpr int BlackAreaNameEntry = 392;
constexpr int WhiteAreaNameEntry = 393;
constexpr int SimilarityNameEntry = 398;
constexpr int WhiteCountNameEntry = 521;
constexpr int TemperatureNameEntry = 570;
constexpr int AngleNameEntry = 583;

} // namespace

QString regionToolName(int toolType)
{
    switch (toolType) {
    case RegionTool::Spot: return uiText(SpotNameEntry);
    case RegionTool::IgnoreArea: return uiText(IgnoreNameEntry);
    case RegionTool::Positioning: return uiText(PositioningNameEntry);
    case RegionTool::BlackArea: return uiText(BlackAreaNameEntry);
    case RegionTool::WhiteArea: return uiText(WhiteAreaNameEntry);
    case RegionTool::Similarity: return uiText(SimilarityNameEntry);
    case RegionTool::WhiteCount: return uiText(WhiteCountNameEntry);
    case RegionTool::Temperature: return uiText(TemperatureNameEntry);
    case RegionTool::AngleCorrection: return uiText(AngleNameEntry);
    default: return uiText(DefectNameEntry);
    }
}

namespace {

// Emissivity 90 and offset 0; low limit 80 and mode 1 (average); high limit 120 and
// reflected temperature 20.
constexpr qint32 TemperatureP1 = 90;
constexpr qint32 TemperatureP2 = 80 | (1 << 16);
constexpr qint32 TemperatureP3 = 120 | (20 << 16);

RegionParameters commonParameters(int toolType, qint32 filterSize, qint32 alarmArea)
{
    switch (toolType) {
    case RegionTool::Spot: return {12800, 80, 500};
    case RegionTool::Positioning: return {10, 10, 10};
    case RegionTool::BlackArea: return {std::nullopt, 50, 100};
    case RegionTool::WhiteArea: return {std::nullopt, 200, 100};
    case RegionTool::Similarity: return {std::nullopt, 80, std::nullopt};
    case RegionTool::Temperature: return {TemperatureP1, TemperatureP2, TemperatureP3};
    case RegionTool::AngleCorrection: return {1, 1, 1};
    default: return {filterSize, 25, alarmArea};
    }
}

} // namespace

RegionParameters newRegionParameters(int toolType, qint32 filterSize, qint32 alarmArea)
{
    if (toolType == RegionTool::WhiteCount)
        return {5, 128, 1};
    return commonParameters(toolType, filterSize, alarmArea);
}

RegionParameters changedToolParameters(int toolType, qint32 filterSize, qint32 alarmArea)
{
    if (toolType == RegionTool::WhiteCount)
        return {1, 128, 100};
    return commonParameters(toolType, filterSize, alarmArea);
}
