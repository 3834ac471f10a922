#ifndef STATION_RESULTIMAGEPAINTER_H
#define STATION_RESULTIMAGEPAINTER_H

#include <QFont>
#include <QString>

class CammerSingleton;
class QImage;
class SystemParameters;
struct DetectionResults;

// What a result image shows, painted at the image's own resolution: the verdict with the
// door-check note, every region of the stage outlined in green (OK) or red (NG) with the boxes
// of what was found and a label with its number, limit and measured value; and, later, the
// operator's decision stamped over it. The camera view paints its result images with these;
// the functions only read their arguments.

// Texts grow with the picture: up to 640 pixels wide "SimHei" 16 pt with the verdict's
// baseline at y 25, wider pictures 26 pt at y 80.
struct ResultTextStyle
{
    int pointSize;
    int baseline;
};
ResultTextStyle resultTextStyle(int imageWidth);
QFont resultFont(int imageWidth);

// The limit a region's label shows, by its tool type: the alarm area (setting 150) for a
// defect region while per-region parameters (setting 170) are off, P2 for similarity, the
// range P2--P3 for spots, the range of the signed 16-bit low halves of P2 and P3 for a
// temperature alarm, else P3. slot = stage x 50 + region.
QString regionLimitText(const CammerSingleton &config, int slot, const SystemParameters *params);

// "%1:%2/%3" (number, limit, value); the short "%1:%2" (number, value) on a crowded stage
// (more than 10 regions) or where the label would run off the right edge (the region's left
// edge less than 165 pixels from it).
QString resultRegionLabel(int region, int regionCount, int leftEdge, int imageWidth,
                          const QString &limit, const QString &value);

// The stamp for the state of a result (ResultCodes): "Alarm clear method:" with "Don't
// Detect" (accepted without detection), "Add As Temp" (taken as template) or "Re-detected"
// (examined again); "OK Image Re-detect" on the OK image after a passed examination (the NG
// image re-rendered); empty for any other code.
QString decisionStampText(int resultCode);

struct ResultScene
{
    const CammerSingleton *config = nullptr;
    int stage = 0;
    const DetectionResults *results = nullptr;
    bool ok = true;
    // The safety-door note under the verdict; empty when the door check is not running.
    QString doorText;
    const SystemParameters *params = nullptr;
};

// Paints the stage's result over the picture already in image (32-bit). Returns the number
// (1-based) of the first NG region, 0 when none.
int paintStageResult(QImage &image, const ResultScene &scene);
// Stamps the decision of resultCode at the verdict's line; false, pixels untouched, for a
// code without a stamp.
bool paintDecisionStamp(QImage &image, int resultCode);

#endif
