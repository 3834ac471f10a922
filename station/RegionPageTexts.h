#ifndef STATION_REGIONPAGETEXTS_H
#define STATION_REGIONPAGETEXTS_H

// UI text entries that more than one part of the region page shows.
namespace RegionPageTexts {
constexpr int SwitchToAlarmCameraEntry = 107;   // the shown camera is not the one in alarm
constexpr int OpenDoorEntry = 195;              // the safety door is to be opened first
} // namespace RegionPageTexts

#endif
