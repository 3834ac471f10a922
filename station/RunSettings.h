#ifndef STATION_RUNSETTINGS_H
#define STATION_RUNSETTINGS_H

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"

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
    return machineMode == 1 || machineMode == 2;
}

// count × unitMs milliseconds as a timer period: settings reach 10^8 seconds, which overflows
// int milliseconds, so the product is taken in 64 bits and clamped to what a QTimer takes.
inline int timerPeriodMs(qint64 count, int unitMs)
{
    return int(qBound<qint64>(0, count * unitMs, INT_MAX));
}

#endif
