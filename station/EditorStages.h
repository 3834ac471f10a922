#ifndef STATION_EDITORSTAGES_H
#define STATION_EDITORSTAGES_H

// Which detect stage the region editor shows. Machine mode 0 has stages 0 (product) and 1
// (cavity); the two-sided modes 1 and 2 have 0 left product, 1 left cavity, 2 right product,
// 3 right cavity.
struct EditorStageSettings
{
    int machineMode = 0;
    // Setting 127: the cavity (and right side) stages follow the first ones.
    bool copyRegions = false;
    // Setting 207 in the two-sided modes: 0 left side only, 1 right side only.
    int mouldSide = 0;
    // Setting 119: stage 0 is in use.
    bool firstStageEnabled = true;
    int stageCount = 2;
};

// The stage the editor opens on while the running stage is running.
int correctedEditStage(int running, const EditorStageSettings &settings);

// The stage shown instead of product stage d while product detection is off: the cavity
// stage of the same side.
int productFallbackStage(int d, int machineMode);

#endif
