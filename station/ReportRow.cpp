#include "station/ReportRow.h"

#include "inspection/CammerSingleton.h"
#include "inspection/DetectionResults.h"
#include "station/RegionTools.h"

QList<ReportRow> reportRows(const CammerSingleton &config, const DetectionResults &results,
                            int stage)
{
    QList<ReportRow> rows;
    if (stage < 0 || stage >= CammerSingleton::StageCount)
        return rows;
    const int count = qBound(0, config.roiCount[stage], int(CammerSingleton::MaxRegions));
    for (int r = 0; r < count; ++r) {
        const int k = CammerSingleton::slot(stage, r);
        const int tool = config.toolType[k];
        ReportRow row;
        row.regionNumber = r + 1;
        row.toolName = regionToolName(tool);
        switch (tool) {
        case RegionTool::Similarity:
            row.lowerLimit = config.param2[k];
            break;
        case RegionTool::Spot:
            row.lowerLimit = config.param2[k];
            row.upperLimit = config.param3[k];
            break;
        case RegionTool::Temperature:
            row.lowerLimit = lowSigned16(config.param2[k]);
            row.upperLimit = lowSigned16(config.param3[k]);
            break;
        default:
            row.upperLimit = config.param3[k];
            break;
        }
        row.measuredValue = results.roiValue[k];
        row.resultOk = results.roiOk[stage][r];
        rows.append(row);
    }
    return rows;
}
