#ifndef INSPECTION_DETECTALGORITHMINTERNALS_H
#define INSPECTION_DETECTALGORITHMINTERNALS_H

// Pieces shared by the preparation and the evaluation halves of DetectAlgorithm.

#include "core/CycleResult.h"
#include "core/ParameterNames.h"
#include "inspection/DetectAlgorithm.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <opencv2/core.hpp>

// A region as the engine works on it: its rectangle clipped to the image, and its shape mask
// cropped to that rectangle.
struct DetectAlgorithm::Region
{
    cv::Rect rect;
    cv::Mat mask;
};

// The state of one run of a stage.
struct DetectAlgorithm::Evaluation
{
    int stage = 0;
    QDateTime start;
    // The view's result mask, the whole image.
    cv::Mat resultMask;
    QList<QList<int>> details;
    QList<int> verdicts;
    // Region errors for the operation record.
    QStringList errors;
    // A cycle record goes to the result store.
    bool publishes = false;
};

namespace detection {

// The parameter (named in core/ParameterNames.h) from the current record; 0 while there is
// none.
int parameter(int index);

// The shape of region i of a stage, null when the configuration has no such region.
const ROIInterface *shapeAt(const CammerSingleton &config, int stage, int region);

// Region count of a stage, kept within 0..50 whatever the record holds.
int regionCount(const CammerSingleton &config, int stage);

inline bool validStage(int stage) { return stage >= 0 && stage < DetectAlgorithm::StageCount; }

} // namespace detection

#endif
