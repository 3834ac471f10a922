#include "station/EditorStages.h"

#include "station/RunSettings.h"

int correctedEditStage(int running, const EditorStageSettings &s)
{
    int d = running;
    if (twoSidedMode(s.machineMode)) {
        if (d > 1 && s.copyRegions)
            d -= 2;
        if (s.mouldSide == 0 && d > 1)
            d -= 2;
        if (s.mouldSide == 1 && d < 2)
            d = 2;
        if (!s.firstStageEnabled && d % 2 == 0)
            d += 1;
        if (d < 0 || d >= s.stageCount)
            d = 0;
    } else if (s.machineMode == 0) {
        if (!s.firstStageEnabled)
            d = 1;
        else if (s.copyRegions)
            d = 0;
    }
    return d;
}

int productFallbackStage(int d, int machineMode)
{
    return twoSidedMode(machineMode) ? (d | 1) : 1;
}
