#ifndef STATION_RUNSETTINGS_H
#define STATION_RUNSETTINGS_H

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "station/RunCodes.h"

#include <QtGlobal>

#include <climits>

// A setting of the live record (an index named in Param); 0 while there is none.
inline qint32 runSetting(int index)
{
    return currentParams ? (*currentParams)[index] : 0;
}

// Machine modes 1 (two-colour) and 2 (rotary) work two sides with two stages each.
inline bool twoSidedMode(int machineMode)
{
    return machineMode == MachineModes::TwoColour || machineMode == MachineModes::Rotary;
}

// The detect stages per camera in use, within the bounds of every per-stage table.
inline int stagesInUse()
{
    return qBound(0, detectsPerCamera, MaxDetectsPerCamera);
}

// Detect stage k is judged (the live record's stage enables).
inline bool stageEnabled(int stage)
{
    return stage >= 0 && stage < MaxDetectsPerCamera && runSetting(Param::StageEnabled + stage) != 0;
}

// The cavity stages take their regions from the product stages when they are saved: with
// region copying on, in mode 0 when the product stage is in use, always on two sides.
inline bool regionsCopied(const SystemParameters &record)
{
    const int mode = record[Param::MachineMode];
    return record[Param::CopyRegions] != 0
        && ((mode == MachineModes::Standard && record[Param::StageEnabled] != 0) || twoSidedMode(mode));
}

// count × unitMs milliseconds as a timer period: settings reach 10^8 seconds, which overflows
// int milliseconds, so the product is taken in 64 bits and clamped to what a QTimer takes.
inline int timerPeriodMs(qint64 count, int unitMs)
{
    return int(qBound<qint64>(0, count * unitMs, INT_MAX));
}

#endif
