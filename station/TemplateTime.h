#ifndef STATION_TEMPLATETIME_H
#define STATION_TEMPLATETIME_H

// Sets imageTimeStamp (core/Globals.h) to the time template n of camera c and detect stage d
// (all 0-based) was written, as "yyyy-MM-dd hh.mm.ss"; empty when its file is missing. The
// image title and the region editor page show it.
void GetTempTIme(int c, int d, int n);

#endif
