#include "station/StationGlobals.h"

#include "uikit/Warnbox.h"
#include "uikit/inputbox.h"
#include "uikit/tipbox.h"

bool statisticsEnabled = false;
int maxTemplateCount = 10;
int ngImagesToKeep = 0;
int okImagesToKeep = 0;

bool regionEditActive = false;
int editorSource = -1;
bool sharedParameterHintPending = true;

StatisticsData *statisticsData = nullptr;

QPointer<Warnbox> sharedWarnbox;
QPointer<tipbox> sharedTipbox;
QPointer<inputbox> sharedInputbox;
