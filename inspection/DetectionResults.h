#ifndef INSPECTION_DETECTIONRESULTS_H
#define INSPECTION_DETECTIONRESULTS_H

#include "inspection/CammerSingleton.h"

// What the detection engine leaves in its camera view after evaluating a stage: per region
// the verdict, the measured value and the boxes of what was found, and the camera's verdicts.
// The view holds one of these (allocated once with the view); the run controller, the view's
// drawing and the report rows read it.
struct DetectionResults
{
    static constexpr int StageCount = CammerSingleton::StageCount;
    static constexpr int MaxRegions = CammerSingleton::MaxRegions;
    static constexpr int SlotCount = CammerSingleton::RegionSlotCount;
    // Entry 0 of a slot's boxes holds the count (or a temperature's point), 1..99 the boxes.
    static constexpr int BoxEntries = 100;

    // Per stage and region: true OK, false NG.
    bool roiOk[StageCount][MaxRegions];
    // The camera's verdict for the stage.
    bool resultOk = true;
    // AND of the verdicts of the regions that are not temperature alarms.
    bool regionResultOk = true;
    // AND of the verdicts of the temperature alarms.
    bool temperatureResultOk = true;
    // Per region slot: pixel area, blob count, similarity score or temperature.
    int roiValue[SlotCount];
    // Per region slot: entry 0 = (box count, -, -, -), or (x, y, -, -) of a temperature's
    // point; entries 1..99 = (x1, y1, x2, y2) in image coordinates, x2 = x1 + width.
    int roiBoxes[SlotCount][BoxEntries][4];

    DetectionResults() { clear(); }
    // The camera's three verdicts OK; the regions keep theirs.
    void passVerdicts() { resultOk = regionResultOk = temperatureResultOk = true; }
    void clear()
    {
        for (auto &stage : roiOk)
            for (bool &ok : stage)
                ok = true;
        passVerdicts();
        for (int &v : roiValue)
            v = 0;
        for (auto &slot : roiBoxes)
            for (auto &box : slot)
                box[0] = box[1] = box[2] = box[3] = 0;
    }
};

#endif
