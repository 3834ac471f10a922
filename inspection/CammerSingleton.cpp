#include "inspection/CammerSingleton.h"

#include "inspection/CammerTable.h"
#include "inspection/InspectionText.h"
#include "inspection/InspectionWarning.h"
#include "inspection/SqlSavepoint.h"
#include "inspection/StoredNumbers.h"

#include <QStringList>
#include <QTextStream>
#include <QtDebug>

#include <algorithm>
#include <iterator>

namespace {

constexpr int ParameterFileErrorEntry = 0;
const QString SavepointName = QStringLiteral("cammer_configuration");

// A region whose row is missing is a tool-0 rectangle at (50, 50)-(100, 100).
constexpr int DefaultParam1 = 3;
constexpr int DefaultParam2 = 25;
constexpr int DefaultParam3 = 100;
constexpr int DefaultCorner = 50;
constexpr int DefaultFarCorner = 100;

QString stageRowName(int stage)
{
    return QStringLiteral("detect%1").arg(stage);
}

QString regionRowName(int stage, int region)
{
    return QStringLiteral("ROI%1-%2").arg(stage).arg(region);
}

template <typename T, size_t N>
bool sameArray(const T (&a)[N], const T (&b)[N])
{
    return std::equal(std::begin(a), std::end(a), std::begin(b));
}

} // namespace

CammerSingleton::CammerSingleton(int cameraIndex)
    : cameraIndex(cameraIndex)
{
}

CammerSingleton::~CammerSingleton()
{
    deleteAllShapes();
}

void CammerSingleton::deleteShapes(QList<ROIInterface *> &list)
{
    while (!list.isEmpty())
        delete list.takeLast();
}

void CammerSingleton::deleteShapes(int stage)
{
    if (stage >= 0 && stage < shapes.size())
        deleteShapes(shapes[stage]);
}

void CammerSingleton::deleteAllShapes()
{
    for (QList<ROIInterface *> &list : shapes)
        deleteShapes(list);
    shapes.clear();
}

bool CammerSingleton::load(QSqlQuery &query, int imageWidth, int imageHeight, cv::Mat *roiMasks)
{
    deleteAllShapes();
    CammerTable table(query, cameraIndex);
    if (!table.ensureExists()) {
        // Nothing to read: every stage empty, as for a fresh table.
        std::fill(std::begin(roiCount), std::end(roiCount), 0);
        std::fill(&stageValues[0][0], &stageValues[0][0] + StageCount * StageValueCount, 0);
        for (int s = 0; s < StageCount; ++s)
            shapes.append(QList<ROIInterface *>());
        return false;
    }
    // One unit: the inserted stage rows, and far fewer disk syncs than row by row.
    SqlSavepoint work(table.connection(), SavepointName);
    const QJsonObject context{{RegionContext::Width, imageWidth}, {RegionContext::Height, imageHeight}};
    for (int s = 0; s < StageCount; ++s)
        loadStage(table, s, context, roiMasks);
    const bool kept = work.isActive() && work.release();
    return kept && !table.failed();
}

void CammerSingleton::loadStage(CammerTable &table, int stage, const QJsonObject &context, cv::Mat *roiMasks)
{
    QString text;
    std::fill(std::begin(stageValues[stage]), std::end(stageValues[stage]), 0);
    const CammerTable::Lookup row = table.read(stageRowName(stage), &text);
    if (row == CammerTable::Found) {
        QTextStream in(&text, QIODevice::ReadOnly);
        roiCount[stage] = readStoredNumber(in);
        for (int &value : stageValues[stage])
            value = readStoredNumber(in);
    } else {
        roiCount[stage] = 0;
        // Only a row that is really missing is created; a failed read may hide one.
        if (row == CammerTable::Missing)
            table.insert(stageRowName(stage), QStringLiteral("0"));
    }

    QList<ROIInterface *> list;
    if (roiCount[stage] < 0 || roiCount[stage] > MaxRegions) {
        qWarning("Camera %d stage %d: stored region count %d is out of range; the stage is read as empty",
                 cameraIndex, stage, roiCount[stage]);
        showInspectionWarning(inspectionText(ParameterFileErrorEntry));
        roiCount[stage] = 0;
    }
    for (int i = 0; i < roiCount[stage]; ++i) {
        ROIInterface *shape = loadRegion(table, stage, i, context);
        if (roiMasks)
            roiMasks[slot(stage, i)] = shape->mask();
        list.append(shape);
    }
    shapes.append(list);
}

ROIInterface *CammerSingleton::loadRegion(CammerTable &table, int stage, int region, QJsonObject context)
{
    const int k = slot(stage, region);
    QString text;
    if (table.read(regionRowName(stage, region), &text) != CammerTable::Found) {
        param1[k] = DefaultParam1;
        param2[k] = DefaultParam2;
        param3[k] = DefaultParam3;
        toolType[k] = 0;
        shapeType[k] = RectangleShape;
        outN[region] = 0;
        ROIInterface *shape = createRoiShape(RectangleShape);
        shape->setCoords(DefaultCorner, DefaultCorner, DefaultFarCorner, DefaultFarCorner);
        return shape;
    }
    QTextStream in(&text, QIODevice::ReadOnly);
    param1[k] = readStoredNumber(in);
    param2[k] = readStoredNumber(in);
    param3[k] = readStoredNumber(in);
    toolType[k] = readStoredNumber(in);
    shapeType[k] = readStoredNumber(in);
    const int output = readStoredNumber(in);
    outN[region] = (output >= 0 && output <= MaxOutput) ? output : 0;
    context.insert(RegionContext::PointCount, readStoredNumber(in));
    // An unknown shape type builds a rectangle; the stored type stays as read.
    ROIInterface *shape = createRoiShape(shapeType[k]);
    shape->fromText(in, context);
    shape->updateBounds();
    return shape;
}

bool CammerSingleton::save(QSqlQuery &query) const
{
    for (int s = 0; s < StageCount; ++s) {
        const bool countUsable = roiCount[s] >= 0 && roiCount[s] <= MaxRegions;
        const bool shapesThere = countUsable && s < shapes.size() && shapes.at(s).size() >= roiCount[s]
            && std::none_of(shapes.at(s).cbegin(), shapes.at(s).cbegin() + roiCount[s],
                            [](const ROIInterface *shape) { return shape == nullptr; });
        if (!shapesThere) {
            qWarning("Camera %d stage %d: region count %d does not match the shapes held; the configuration is not saved",
                     cameraIndex, s, roiCount[s]);
            return false;
        }
    }

    CammerTable table(query, cameraIndex);
    if (!table.ensureExists())
        return false;
    SqlSavepoint work(table.connection(), SavepointName);
    if (!work.isActive())
        return false;
    for (int s = 0; s < StageCount; ++s) {
        QStringList stageRow{QString::number(roiCount[s])};
        for (int value : stageValues[s])
            stageRow << QString::number(value);
        if (!table.write(stageRowName(s), stageRow.join(QLatin1Char(' '))))
            return false;
        for (int i = 0; i < roiCount[s]; ++i) {
            const int k = slot(s, i);
            const QString value = QStringLiteral("%1 %2 %3 %4 %5 %6 ")
                                      .arg(param1[k])
                                      .arg(param2[k])
                                      .arg(param3[k])
                                      .arg(toolType[k])
                                      .arg(shapeType[k])
                                      .arg(outN[i])
                + shapes.at(s).at(i)->toText();
            if (!table.write(regionRowName(s, i), value))
                return false;
        }
        for (int j = roiCount[s]; j < MaxRegions; ++j) {
            if (!table.remove(regionRowName(s, j)))
                return false;
        }
    }
    if (!work.release())
        return false;
    return true;
}

void CammerSingleton::copyFrom(const CammerSingleton &source)
{
    if (&source == this)
        return;
    cameraIndex = source.cameraIndex;
    std::copy(std::begin(source.roiCount), std::end(source.roiCount), std::begin(roiCount));
    std::copy(std::begin(source.param1), std::end(source.param1), std::begin(param1));
    std::copy(std::begin(source.param2), std::end(source.param2), std::begin(param2));
    std::copy(std::begin(source.param3), std::end(source.param3), std::begin(param3));
    std::copy(std::begin(source.toolType), std::end(source.toolType), std::begin(toolType));
    std::copy(std::begin(source.shapeType), std::end(source.shapeType), std::begin(shapeType));
    std::copy(std::begin(source.outN), std::end(source.outN), std::begin(outN));
    std::copy(&source.stageValues[0][0], &source.stageValues[0][0] + StageCount * StageValueCount, &stageValues[0][0]);

    for (QList<ROIInterface *> &list : shapes)
        deleteShapes(list);
    for (int j = 0; j < source.shapes.size(); ++j) {
        QList<ROIInterface *> clones;
        for (const ROIInterface *shape : source.shapes.at(j))
            clones.append(cloneRoiShape(shape));
        if (j < shapes.size())
            shapes[j] = clones;
        else
            shapes.append(clones);
    }
}

bool CammerSingleton::equals(const CammerSingleton &other) const
{
    if (cameraIndex != other.cameraIndex || !sameArray(roiCount, other.roiCount) || !sameArray(param1, other.param1)
        || !sameArray(param2, other.param2) || !sameArray(param3, other.param3) || !sameArray(toolType, other.toolType)
        || !sameArray(shapeType, other.shapeType) || !sameArray(outN, other.outN)
        || !std::equal(&stageValues[0][0], &stageValues[0][0] + StageCount * StageValueCount, &other.stageValues[0][0]))
        return false;
    if (shapes.size() != other.shapes.size())
        return false;
    for (int s = 0; s < shapes.size(); ++s) {
        const QList<ROIInterface *> &mine = shapes.at(s);
        const QList<ROIInterface *> &theirs = other.shapes.at(s);
        if (mine.size() != theirs.size())
            return false;
        for (int i = 0; i < mine.size(); ++i) {
            if (!mine.at(i) || !mine.at(i)->equals(theirs.at(i)))
                return false;
        }
    }
    return true;
}
