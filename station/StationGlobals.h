#ifndef STATION_STATIONGLOBALS_H
#define STATION_STATIONGLOBALS_H

#include <QPointer>

class StatisticsData;
class Warnbox;
class inputbox;
class tipbox;

// Process-wide values of the operator station, set by the main window's constructor from the
// live parameter record (a change applies after the next start). GUI thread only.

// Setting 173: verdicts are counted in the production count store.
extern bool statisticsEnabled;
// Setting 135: template slots per detect stage (1 to 100).
extern int maxTemplateCount;
// Settings 136 and 137: result images kept per folder.
extern int ngImagesToKeep;
extern int okImagesToKeep;
// Setting 191 (colour cameras judged on grey or on hue) is colorToGray of the detection runtime.

// The region editor is open for editing; verdicts are not taken while it is set.
extern bool regionEditActive;
// Image source of the region editor page: -1 none (normal operation), 0 templates, 1 live
// image, 2 most recent NG images, 3 stored OK images, 4 stored NG images.
extern int editorSource;
// The values of editorSource.
namespace EditorSources {
enum : int {
    None = -1,
    Template = 0,
    Live = 1,
    RecentNg = 2,
    OkRecords = 3,
    NgRecords = 4,
};
} // namespace EditorSources
// The one-time hint that a stage follows another stage's parameters has not been shown yet.
extern bool sharedParameterHintPending;

// The production count store of the current statistics day, owned by the main window.
extern StatisticsData *statisticsData;

// The main window's shared boxes; other callers build their own.
extern QPointer<Warnbox> sharedWarnbox;
extern QPointer<tipbox> sharedTipbox;
extern QPointer<inputbox> sharedInputbox;

#endif
