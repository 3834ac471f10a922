#ifndef STATION_REGIONCHANGERECORDS_H
#define STATION_REGIONCHANGERECORDS_H

#include <QStringList>

class CammerSingleton;

// What saving the region editor's work changes in one camera's configuration, as operation
// record rows in the current language: per stage and region, added, deleted and changed
// regions, each row headed by the camera and the stage.
struct RegionChanges
{
    QStringList rows;
    // A positioning or angle-correction region came, went or changed its tool: the engine's
    // registration reference and positioning model must be built again.
    bool registrationChanged = false;
};

// Compares the active configuration (before) with the edited one (after) over stages
// 0..stageCount-1; camera is 0-based, machineMode names the stages (0 product and cavity,
// 1 and 2 left and right).
RegionChanges regionChanges(const CammerSingleton &before, const CammerSingleton &after, int camera,
                            int machineMode, int stageCount);

#endif
