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
