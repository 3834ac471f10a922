#ifndef INSPECTION_CAMMERSINGLETON_H
#define INSPECTION_CAMMERSINGLETON_H

#include "inspection/ROIInterface.h"

#include <QList>
#include <QMetaType>

#include <opencv2/core.hpp>

class CammerTable;
class QSqlQuery;

// One camera's detection configuration: for each of the 8 detect stages up to 50 regions,
// each with three tool parameters, a tool type, a shape type, an output number and its shape.
// Per-region arrays are indexed stage * 50 + region. Stored in table "cammer<cameraIndex>" of
// the parameter database: row "detect<stage>" holds the region count and the 8 stage values,
// row "ROI<stage>-<region>" the region's six numbers followed by its shape's text.
// The configuration owns its shapes. GUI thread only.
class CammerSingleton
{
public:
    static constexpr int StageCount = 8;
    static constexpr int MaxRegions = 50;
    static constexpr int RegionSlotCount = StageCount * MaxRegions;
    static constexpr int StageValueCount = 8;
    static constexpr int MaxOutput = 8;

    explicit CammerSingleton(int cameraIndex);
    ~CammerSingleton();

    CammerSingleton(const CammerSingleton &) = delete;
    CammerSingleton &operator=(const CammerSingleton &) = delete;

    // Fills the configuration from the camera's table, creating the table and missing stage
    // rows. Coordinates are clamped into the imageWidth x imageHeight image. When roiMasks is
    // given (RegionSlotCount masks, indexed like the per-region arrays) each region's mask is
    // stored there. A stage count outside 0..50 is shown as a warning and read as 0. Returns
    // false when a database statement failed; the configuration then holds what could be read
    // and defaults for the rest.
    bool load(QSqlQuery &query, int imageWidth, int imageHeight, cv::Mat *roiMasks = nullptr);
    // Writes the whole configuration in one transaction: stage rows, region rows, and deletes
    // the rows of regions beyond each stage's count. Returns false, leaving the table as it
    // was, when the configuration is inconsistent or a statement failed.
    bool save(QSqlQuery &query) const;

    // Deep copy; the shapes are cloned.
    void copyFrom(const CammerSingleton &source);
    // Every number (used or not) and every shape equal.
    bool equals(const CammerSingleton &other) const;

    // Empties one stage list and destroys its shapes.
    static void deleteShapes(QList<ROIInterface *> &list);
    // The same for one of this configuration's stages.
    void deleteShapes(int stage);

    // The region (stage, region) of the per-region arrays.
    static int slot(int stage, int region) { return stage * MaxRegions + region; }

    int cameraIndex;
    int roiCount[StageCount] = {};
    int param1[RegionSlotCount] = {};
    int param2[RegionSlotCount] = {};
    int param3[RegionSlotCount] = {};
    int toolType[RegionSlotCount] = {};
    int shapeType[RegionSlotCount] = {};
    // Output number of region number i, shared by all stages: 0 none, 1 to 8.
    int outN[MaxRegions] = {};
    // Further values of each stage, kept, copied and compared; nothing else reads them.
    int stageValues[StageCount][StageValueCount] = {};
    // One list per stage, in region order.
    QList<QList<ROIInterface *>> shapes;

private:
    void deleteAllShapes();
    void loadStage(CammerTable &table, int stage, const QJsonObject &context, cv::Mat *roiMasks);
    ROIInterface *loadRegion(CammerTable &table, int stage, int region, QJsonObject context);
};

Q_DECLARE_METATYPE(CammerSingleton *)

#endif
