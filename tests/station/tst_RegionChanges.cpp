// The operation record rows that saving the region editor's work writes, per region added,
// deleted or changed, and when the engine's registration must be built again.

#include "core/Globals.h"
#include "core/UiTexts.h"
#include "inspection/CammerSingleton.h"
#include "inspection/ClustomRect.h"
#include "station/RegionChangeRecords.h"
#include "station/RegionTools.h"

#include <QtTest>

namespace {

struct Region
{
    QRect rect;
    int tool = RegionTool::Defect;
    int p1 = 3;
    int p2 = 20;
    int p3 = 50;
};

// Stage 1 (the cavity in machine mode 0) of camera 0 holds the regions given.
void fill(CammerSingleton &config, const QVector<Region> &regions)
{
    const int stage = 1;
    while (config.shapes.size() < CammerSingleton::StageCount)
        config.shapes.append(QList<ROIInterface *>());
    for (int i = 0; i < regions.size(); ++i) {
        auto *shape = new ClustomRect;
        shape->setRect(regions[i].rect.x(), regions[i].rect.y(), regions[i].rect.width(), regions[i].rect.height());
        const int k = CammerSingleton::slot(stage, i);
        config.shapes[stage].append(shape);
        config.shapeType[k] = shape->typeId();
        config.toolType[k] = regions[i].tool;
        config.param1[k] = regions[i].p1;
        config.param2[k] = regions[i].p2;
        config.param3[k] = regions[i].p3;
    }
    config.roiCount[stage] = regions.size();
}

// A temperature region's packed limits: low halves the alarms, high halves the other values.
int packed(int high, int low)
{
    return int((quint32(quint16(qint16(high))) << 16) | quint16(qint16(low)));
}

const QString header = QStringLiteral("Detection Mold of camera 1 ");

} // namespace

Q_DECLARE_METATYPE(QVector<Region>)

class RegionChangesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rows_data();
    void rows();
};

void RegionChangesTest::initTestCase()
{
    QVERIFY(loadUiTexts());
    currentLanguage = 1;
}

void RegionChangesTest::rows_data()
{
    QTest::addColumn<QVector<Region>>("before");
    QTest::addColumn<QVector<Region>>("after");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("registration");

    const Region a{QRect(10, 10, 20, 20)};
    const Region b{QRect(50, 10, 20, 20)};
    const Region c{QRect(90, 10, 20, 20)};
    Region moved = a;
    moved.rect.translate(5, 0);
    Region sensitive = a;
    sensitive.p2 = 30;
    Region ignore = a;
    ignore.tool = RegionTool::IgnoreArea;
    Region positioning = a;
    positioning.tool = RegionTool::Positioning;
    Region spot = a;
    spot.tool = RegionTool::Spot;
    spot.p1 = (40 << 8) | 200;
    Region spotChanged = spot;
    spotChanged.p1 = (45 << 8) | 200;
    Region temperature = a;
    temperature.tool = RegionTool::Temperature;
    temperature.p1 = packed(2, 95);
    temperature.p2 = packed(1, -20);
    temperature.p3 = packed(-5, 150);
    Region colder = temperature;
    colder.p2 = packed(1, -30);

    QTest::newRow("added")
        << QVector<Region>{} << QVector<Region>{a}
        << QStringList{header + "Added rectangular  area 1, function is Defect Detection,the sensitivity is 20,, "
                                "the filter size is 3, the alarm area is 50"}
        << false;
    QTest::newRow("region 2 of 3 deleted")
        << QVector<Region>{a, b, c} << QVector<Region>{a, c}
        << QStringList{header + "Changed the rectangular  area 2, The function is Defect detection,Detection position has been modified",
                       header + "Deleted rectangular  area 3, function is 缺陷检测"}
        << false;
    QTest::newRow("two of three deleted")
        << QVector<Region>{a, b, c} << QVector<Region>{a}
        << QStringList{header + "Deleted rectangular  area 2, function is 缺陷检测",
                       header + "Deleted rectangular  area 3, function is 缺陷检测"}
        << false;
    QTest::newRow("moved only")
        << QVector<Region>{a} << QVector<Region>{moved}
        << QStringList{header + "Changed the rectangular  area 1, The function is Defect detection,Detection position has been modified"}
        << false;
    QTest::newRow("sensitivity changed")
        << QVector<Region>{a} << QVector<Region>{sensitive}
        << QStringList{header + "Changed the rectangular  area 1, The function is Defect detection, Changing the sensitivity  from 20 to 30"}
        << false;
    QTest::newRow("tool only") << QVector<Region>{a} << QVector<Region>{ignore} << QStringList{} << false;
    QTest::newRow("positioning becomes defect, moved")
        << QVector<Region>{positioning} << QVector<Region>{moved}
        << QStringList{header + "Changed the rectangular  area 1, Changing the function from Positionto Defect detection"
                                ",Detection position has been modified"}
        << true;
    QTest::newRow("spot grey changed")
        << QVector<Region>{spot} << QVector<Region>{spotChanged}
        << QStringList{header + "Changed the rectangular  area 1, The function is Spot detection , Changing the minimum gradation from 40 to 45"}
        << false;
    QTest::newRow("positioning added") << QVector<Region>{} << QVector<Region>{positioning}
                                       << QStringList{header + "Added rectangular  area 1, function is Target Position,"
                                                               "the search speed is 3, the positioning accuracy is 20, the least match is 50"}
                                       << true;
    QTest::newRow("temperature added, limits below zero")
        << QVector<Region>{} << QVector<Region>{temperature}
        << QStringList{header + "Added rectangular  area 1, function is Temperature alarm, the low temperature alarm is -20, "
                                "the high temperature alarm is 150, the emissivity is 95, the temperature type is 1, "
                                "the reflected temperature -5, the temperature compensation 2"}
        << false;
    QTest::newRow("temperature low alarm lowered")
        << QVector<Region>{temperature} << QVector<Region>{colder}
        << QStringList{header + "Changed the rectangular  area 1, The function is Temperature alarm , "
                                "Changing the Low temperature alarm from -20 to -30"}
        << false;
}

void RegionChangesTest::rows()
{
    QFETCH(QVector<Region>, before);
    QFETCH(QVector<Region>, after);
    QFETCH(QStringList, expected);
    QFETCH(bool, registration);
    CammerSingleton active(0);
    CammerSingleton edited(0);
    fill(active, before);
    fill(edited, after);
    const RegionChanges changes = regionChanges(active, edited, 0, 0, 2);
    QCOMPARE(changes.rows, expected);
    QCOMPARE(changes.registrationChanged, registration);
}

QTEST_MAIN(RegionChangesTest)
#include "tst_RegionChanges.moc"
