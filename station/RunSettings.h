#ifndef STATION_RUNSETTINGS_H
#define STATION_RUNSETTINGS_H

#include "core/Globals.h"
#include "core/SystemParameters.h"

#include <QtGlobal>

#include <climits>

// Indices of the system parameters that the run controller reads, and the timer periods it
// derives from them. [n + k] is per detect stage k, [n + c] per camera c.
namespace RunSetting {
constexpr int CaptureDelay = 72;              // tenths of a second
constexpr int TriggerInput = 81;              // 255: either of two inputs
constexpr int SemiAutomatic = 118;            // stage 1 waits for the ejector-back end
constexpr int StageEnabled = 119;
constexpr int StopClampOnStop = 128;
constexpr int CutEjectorWhenClamping = 130;
constexpr int PasswordProtection = 131;
constexpr int TemplateAutoUpdate = 132;
constexpr int ProductStage = 133;
constexpr int BacklightSeconds = 138;
constexpr int CavityRechecks = 143;
constexpr int EjectorPulse = 144;             // steps of 100 ms
constexpr int ClampPulse = 145;               // steps of 100 ms
constexpr int NoSignalSeconds = 146;
constexpr int DebounceSteps = 147;            // steps of 100 ms
constexpr int AlarmPulse = 148;               // steps of 100 ms
constexpr int NoEjectorControl = 151;
constexpr int MultiOutput = 152;              // a product NG pulses outputs instead of latching
constexpr int ClampCutAfterOk = 154;
constexpr int EjectorCutAfterOk = 155;
constexpr int PulseMode = 156;                // 0: alarm latch
constexpr int CutEjectorOnProductAlarm = 157;
constexpr int CutClampOnMouldAlarm = 158;
constexpr int SeparateSignals = 159;
constexpr int TemperatureNoStop = 160;
constexpr int DoorCheck = 171;
constexpr int MachineMode = 205;              // 0 standard, 1 two-colour, 2 rotary
constexpr int MouldSide = 207;
constexpr int PreCut = 208;                   // tenths of a second
constexpr int FreeRun = 322;
constexpr int CameraTriggered = 323;          // cameras take frames on their trigger input
constexpr int FirstOutputDelay = 358;         // steps of 100 ms
constexpr int SecondOutputDelay = 359;        // steps of 100 ms
constexpr int ParameterGroup = 357;
} // namespace RunSetting

// A setting of the live record; 0 while there is none.
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
