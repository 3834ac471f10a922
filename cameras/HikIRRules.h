#ifndef CAMERAS_HIKIRRULES_H
#define CAMERAS_HIKIRRULES_H

#include "inspection/CammerSingleton.h"

#include <QPointF>
#include <QVector>

struct NET_DVR_THERMOMETRY_PRESETINFO;

// How the network thermal camera measures the operator's temperature regions (tool type 9):
// only regions 0 to 9 of detect stages 0 and 1 that are rectangles or polygons become rules of
// the camera, numbered stage * 10 + region + 1; a stage-0 region is measured at its centroid
// (a point rule), a stage-1 region over its first 10 corners (a box rule).

constexpr int TemperatureRuleStages = 2;
constexpr int TemperatureRulesPerStage = 10;

// Per region slot (stage * 50 + region) what the last upload decided.
struct TemperatureRuleSlots
{
    // Temperature kind: 1 average, 2 maximum, any other value minimum.
    qint32 mode[CammerSingleton::RegionSlotCount] = {};
    // Degrees added to the reported temperature.
    qint32 offset[CammerSingleton::RegionSlotCount] = {};
    // The region has a rule of its own, so the camera measures it.
    bool measured[CammerSingleton::RegionSlotCount] = {};
};

// The rule number of a region; 0 when the region cannot have one.
int temperatureRuleNumber(int stage, int region);

// The area centroid of a closed polygon; (0, 0) for fewer than 3 points or no area.
QPointF polygonCentroid(const QVector<QPointF> &points);

// Rewrites the camera's rule record for config: entries 1 to 21 are reset to disabled
// defaults, then every temperature region that can have a rule is written into its entry,
// with coordinates normalised to the width x height image. distance (centimetres) is written
// into each rule when it is 0 or more. Entries 22 to 40 keep what the camera sent. Returns the
// decisions per region slot.
TemperatureRuleSlots buildTemperatureRules(const CammerSingleton &config, int width, int height, int distance,
                                           NET_DVR_THERMOMETRY_PRESETINFO &preset);

#endif
