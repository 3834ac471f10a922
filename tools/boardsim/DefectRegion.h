#ifndef TOOLS_BOARDSIM_DEFECTREGION_H
#define TOOLS_BOARDSIM_DEFECTREGION_H

#include "inspection/CammerSingleton.h"
#include "inspection/ClustomRect.h"

#include <opencv2/core.hpp>

// Appends a defect region over a cavity and its rim to a stage, with the parameters a new
// region gets (filter 3, sensitivity 25, alarm area 100), as an operator would draw it.
inline void addCavityDefectRegion(CammerSingleton &config, int stage, const cv::Rect &cavity)
{
    constexpr int DefectTool = 0;
    constexpr int Rim = 6;
    auto *shape = new ClustomRect();
    shape->setRect(cavity.x - Rim, cavity.y - Rim, cavity.width + 2 * Rim, cavity.height + 2 * Rim);
    const int slot = CammerSingleton::slot(stage, config.roiCount[stage]++);
    config.toolType[slot] = DefectTool;
    config.shapeType[slot] = shape->typeId();
    config.param1[slot] = 3;
    config.param2[slot] = 25;
    config.param3[slot] = 100;
    config.shapes[stage].append(shape);
}

#endif
