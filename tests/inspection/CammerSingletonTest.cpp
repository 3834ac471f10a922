#include "core/Globals.h"
#include "inspection/CammerSingleton.h"
#include "inspection/Circle.h"
#include "inspection/ClustomRect.h"
#include "inspection/InspectionWarning.h"
#include "inspection/RePolygon.h"
#include "tests/support/TempWorkDir.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <vector>

namespace {

constexpr int ImageWidth = 1280;
constexpr int ImageHeight = 1024;
constexpr int Camera = 2;

// A real "PARAM.db" in a temporary working directory, on a connection of its own.
class ParamDb
{
public:
    ParamDb()
        : name(QStringLiteral("paramtest%1").arg(++serial))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dir.filePath(QStringLiteral("PARAM.db")));
        db.open();
    }
    ~ParamDb()
    {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }

    QSqlQuery query() const { return QSqlQuery(QSqlDatabase::database(name, false)); }

    bool exec(const QString &sql) const
    {
        QSqlQuery q = query();
        return q.exec(sql);
    }

    void setRow(const QString &row, const QString &value) const
    {
        QSqlQuery q = query();
        const QString table = tableName();
        q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS ") + table + QStringLiteral(" (name TEXT, value TEXT)"));
        q.prepare(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (name, value) VALUES (?, ?)"));
        q.addBindValue(row);
        q.addBindValue(value);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }

    static QString tableName() { return QStringLiteral("cammer%1").arg(Camera); }

    // name -> value of every row of the camera's table.
    QMap<QString, QString> rows() const
    {
        QMap<QString, QString> result;
        QSqlQuery q = query();
        q.exec(QStringLiteral("SELECT name, value FROM ") + tableName());
        while (q.next())
            result.insert(q.value(0).toString(), q.value(1).toString());
        return result;
    }

private:
    static int serial;
    TempWorkDir dir;
    QString name;
};

int ParamDb::serial = 0;

struct RecordingSink : InspectionWarningSink
{
    QStringList warnings;
    RecordingSink() { inspectionWarningSink = this; }
    ~RecordingSink() override { inspectionWarningSink = nullptr; }
    void showWarning(const QString &text) override { warnings << text; }
};

ROIInterface *rect(int left, int top, int right, int bottom)
{
    auto *r = new ClustomRect;
    r->setCoords(left, top, right, bottom);
    return r;
}

ROIInterface *ring(int xc, int yc, int r, int rn)
{
    auto *c = new Circle;
    c->fromJson(QJsonObject{{"xc", xc}, {"yc", yc}, {"r", r}, {"rn", rn}});
    return c;
}

ROIInterface *triangle(int x, int y)
{
    const QPoint vertices[] = {{x, y}, {x + 40, y}, {x + 20, y + 30}};
    auto *p = new RePolygon(3, vertices);
    p->updateBounds();
    return p;
}

// Appends a region to a stage of a configuration that was loaded (so it has its 8 lists).
void addRegion(CammerSingleton &config, int stage, ROIInterface *shape, int tool, int p1, int p2, int p3, int out)
{
    const int i = config.roiCount[stage]++;
    const int k = CammerSingleton::slot(stage, i);
    config.param1[k] = p1;
    config.param2[k] = p2;
    config.param3[k] = p3;
    config.toolType[k] = tool;
    config.shapeType[k] = shape->typeId();
    config.outN[i] = out;
    config.shapes[stage].append(shape);
}

// A configuration loaded from a fresh database, ready to take regions.
struct LoadedConfig
{
    ParamDb db;
    QSqlQuery query = db.query();
    CammerSingleton config{Camera};
    bool loaded = config.load(query, ImageWidth, ImageHeight);
};

} // namespace

class CammerSingletonTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void emptyDatabaseGetsTableAndStageRows();
    void shortStageRowAndMissingRegionRow();
    void stageCountsOutOfRange_data();
    void stageCountsOutOfRange();
    void outputNumbers();
    void savedConfigurationLoadsBackEqual();
    void shrinkingDeletesOnlySurplusRows();
    void failedSaveLeavesTableAsItWas();
    void inconsistentConfigurationIsNotSaved();
    void closedDatabaseReportsFailure();
    void storedRegionTexts_data();
    void storedRegionTexts();
    void copyAndCompare();
};

void CammerSingletonTest::initTestCase()
{
    uiTexts[0] = QStringLiteral("相机参数文件打开错误！");
    uiTexts[1] = QStringLiteral("Camera parameter file error!");
    currentLanguage = 1;
}

void CammerSingletonTest::emptyDatabaseGetsTableAndStageRows()
{
    ParamDb db;
    CammerSingleton config(Camera);
    QSqlQuery query = db.query();
    QVERIFY(config.load(query, ImageWidth, ImageHeight));
    QCOMPARE(config.shapes.size(), CammerSingleton::StageCount);
    for (const auto &list : config.shapes)
        QVERIFY(list.isEmpty());
    const auto rows = db.rows();
    QCOMPARE(rows.size(), CammerSingleton::StageCount);
    for (int s = 0; s < CammerSingleton::StageCount; ++s)
        QCOMPARE(rows.value(QStringLiteral("detect%1").arg(s)), QStringLiteral("0"));
    // Loading again changes nothing.
    QVERIFY(config.load(query, ImageWidth, ImageHeight));
    QCOMPARE(db.rows(), rows);
}

void CammerSingletonTest::shortStageRowAndMissingRegionRow()
{
    ParamDb db;
    db.setRow("detect0", "2");
    db.setRow("ROI0-1", "1 2 3 4 1 0 0 200 210 300 310");
    CammerSingleton config(Camera);
    std::vector<cv::Mat> masks(CammerSingleton::RegionSlotCount);
    QSqlQuery query = db.query();
    QVERIFY(config.load(query, ImageWidth, ImageHeight, masks.data()));
    QCOMPARE(config.roiCount[0], 2);
    for (int v : config.stageValues[0])
        QCOMPARE(v, 0);
    // Region 0 has no row: the default rectangle.
    QCOMPARE(config.shapes[0].size(), 2);
    QCOMPARE(config.shapes[0][0]->typeId(), 1);
    QCOMPARE(QRect(*config.shapes[0][0]), QRect(QPoint(50, 50), QPoint(100, 100)));
    QCOMPARE(config.param1[0], 3);
    QCOMPARE(config.param2[0], 25);
    QCOMPARE(config.param3[0], 100);
    QCOMPARE(config.toolType[0], 0);
    QCOMPARE(masks[0].size(), cv::Size(51, 51));
    QCOMPARE(config.toolType[1], 4);
    QCOMPARE(masks[1].size(), cv::Size(101, 101));
    QVERIFY(!db.rows().contains("ROI0-0")); // loading writes no region row

    QVERIFY(config.save(query));
    const auto rows = db.rows();
    QCOMPARE(rows.value("detect0"), QStringLiteral("2 0 0 0 0 0 0 0 0"));
    QCOMPARE(rows.value("ROI0-0"), QStringLiteral("3 25 100 0 1 0 0 50 50 100 100"));
    QCOMPARE(rows.value("ROI0-1"), QStringLiteral("1 2 3 4 1 0 0 200 210 300 310"));
}

void CammerSingletonTest::stageCountsOutOfRange_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("warnings");
    QTest::newRow("51") << "51" << 1;
    QTest::newRow("-1") << "-1" << 1;
    QTest::newRow("beyond int") << "99999999999" << 0;
    QTest::newRow("garbled") << "x7" << 0;
}

void CammerSingletonTest::stageCountsOutOfRange()
{
    QFETCH(QString, stored);
    QFETCH(int, warnings);
    ParamDb db;
    db.setRow("detect1", stored);
    db.setRow("ROI1-0", "1 2 3 0 1 0 0 10 10 20 20");
    db.setRow("detect2", "1");
    db.setRow("ROI2-0", "5 6 7 0 4 0 0 400 300 30");
    RecordingSink sink;
    CammerSingleton config(Camera);
    QSqlQuery query = db.query();
    QVERIFY(config.load(query, ImageWidth, ImageHeight));
    QCOMPARE(sink.warnings.size(), warnings);
    if (warnings)
        QCOMPARE(sink.warnings.first(), QStringLiteral("Camera parameter file error!"));
    QCOMPARE(config.roiCount[1], 0);
    QCOMPARE(config.shapes.size(), CammerSingleton::StageCount);
    QVERIFY(config.shapes[1].isEmpty());
    // The next stage is still the next list.
    QCOMPARE(config.shapes[2].size(), 1);
    QCOMPARE(config.shapes[2][0]->typeId(), 4);
    // The damaged stage's rows stay until the next save, which removes them.
    QVERIFY(db.rows().contains("ROI1-0"));
    QVERIFY(config.save(query));
    QVERIFY(!db.rows().contains("ROI1-0"));
    QCOMPARE(db.rows().value("detect1"), QStringLiteral("0 0 0 0 0 0 0 0 0"));
}

void CammerSingletonTest::outputNumbers()
{
    ParamDb db;
    db.setRow("detect0", "4");
    db.setRow("ROI0-0", "1 1 1 0 1 9 0 10 10 20 20");
    db.setRow("ROI0-3", "1 1 1 0 1 2 0 10 10 20 20");
    db.setRow("detect1", "4");
    db.setRow("ROI1-3", "1 1 1 0 1 5 0 10 10 20 20");
    CammerSingleton config(Camera);
    QSqlQuery query = db.query();
    QVERIFY(config.load(query, ImageWidth, ImageHeight));
    QCOMPARE(config.outN[0], 0); // 9 is not an output
    QCOMPARE(config.outN[3], 5); // the higher stage's number wins
    QVERIFY(config.save(query));
    QVERIFY(db.rows().value("ROI0-3").startsWith("1 1 1 0 1 5 "));
    QVERIFY(db.rows().value("ROI1-3").startsWith("1 1 1 0 1 5 "));
}

void CammerSingletonTest::savedConfigurationLoadsBackEqual()
{
    LoadedConfig f;
    QVERIFY(f.loaded);
    addRegion(f.config, 0, rect(10, 20, 300, 200), 0, 3, 25, 100, 1);
    addRegion(f.config, 0, ring(600, 500, 80, 30), 6, 0, 80, 0, 0);
    addRegion(f.config, 0, triangle(700, 100), 2, 0, 0, 0, 8);
    addRegion(f.config, 3, rect(1000, 900, 1200, 1000), 9, 65616, 1310840, -5, 0);
    addRegion(f.config, 7, triangle(30, 900), 7, 2, 128, 4, 0);
    f.config.stageValues[3][7] = -42;
    f.config.stageValues[0][0] = 12;
    QVERIFY(f.config.save(f.query));

    CammerSingleton loaded(Camera);
    std::vector<cv::Mat> masks(CammerSingleton::RegionSlotCount);
    QVERIFY(loaded.load(f.query, ImageWidth, ImageHeight, masks.data()));
    QVERIFY(loaded.equals(f.config));
    QCOMPARE(masks[CammerSingleton::slot(0, 1)].size(), cv::Size(160, 160));
    QCOMPARE(masks[CammerSingleton::slot(0, 2)].size(), cv::Size(40, 30));
    QCOMPARE(masks[CammerSingleton::slot(3, 0)].size(), cv::Size(201, 101));
    QVERIFY(masks[CammerSingleton::slot(0, 3)].empty());
}

void CammerSingletonTest::shrinkingDeletesOnlySurplusRows()
{
    LoadedConfig f;
    QVERIFY(f.loaded);
    for (int i = 0; i < 5; ++i)
        addRegion(f.config, 1, rect(10 + i, 10, 50, 50), 0, 3, 25, 100, 0);
    for (int i = 0; i < 3; ++i)
        addRegion(f.config, 2, rect(100, 100 + i, 150, 150), 0, 3, 25, 100, 0);
    QVERIFY(f.config.save(f.query));
    const auto before = f.db.rows();

    f.config.roiCount[1] = 2;
    while (f.config.shapes[1].size() > 2)
        delete f.config.shapes[1].takeLast();
    QVERIFY(f.config.save(f.query));
    auto expected = before;
    expected.remove("ROI1-2");
    expected.remove("ROI1-3");
    expected.remove("ROI1-4");
    expected["detect1"] = "2 0 0 0 0 0 0 0 0";
    QCOMPARE(f.db.rows(), expected);
}

void CammerSingletonTest::failedSaveLeavesTableAsItWas()
{
    LoadedConfig f;
    QVERIFY(f.loaded);
    addRegion(f.config, 0, rect(10, 10, 50, 50), 0, 3, 25, 100, 0);
    QVERIFY(f.config.save(f.query));
    const auto before = f.db.rows();

    // The database refuses one row in the middle of the save (a full disk, a broken file).
    QVERIFY(f.db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON cammer%1 WHEN NEW.name = 'ROI4-0' "
                                   "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                        .arg(Camera)));
    f.config.param2[0] = 77;
    addRegion(f.config, 2, ring(300, 300, 40, 0), 0, 3, 25, 100, 0);
    addRegion(f.config, 4, rect(10, 10, 50, 50), 0, 3, 25, 100, 0);
    QVERIFY(!f.config.save(f.query));
    QCOMPARE(f.db.rows(), before);
}

void CammerSingletonTest::inconsistentConfigurationIsNotSaved()
{
    LoadedConfig f;
    QVERIFY(f.loaded);
    addRegion(f.config, 0, rect(10, 10, 50, 50), 0, 3, 25, 100, 0);
    QVERIFY(f.config.save(f.query));
    const auto before = f.db.rows();
    f.config.roiCount[0] = 2; // one shape only
    QVERIFY(!f.config.save(f.query));
    f.config.roiCount[0] = 51;
    QVERIFY(!f.config.save(f.query));
    CammerSingleton neverLoaded(Camera); // no stage lists at all
    QVERIFY(!neverLoaded.save(f.query));
    QCOMPARE(f.db.rows(), before);
}

void CammerSingletonTest::closedDatabaseReportsFailure()
{
    LoadedConfig f;
    QVERIFY(f.loaded);
    QSqlQuery closed; // a f.query on no open database
    QVERIFY(!f.config.save(closed));
    CammerSingleton other(Camera);
    QVERIFY(!other.load(closed, ImageWidth, ImageHeight));
    QCOMPARE(other.shapes.size(), CammerSingleton::StageCount);
}

void CammerSingletonTest::storedRegionTexts_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("typeId");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("emptyMask");
    QTest::newRow("empty row") << "" << 1 << 2 << false;
    QTest::newRow("words") << "abc def" << 1 << 2 << false;
    QTest::newRow("short rectangle") << "3 25 100 0 1 0 0 50 50" << 1 << 2 << false;
    QTest::newRow("unknown shape type") << "3 25 100 0 7 0 0 50 50 60 60" << 1 << 2 << false;
    QTest::newRow("polygon count above the store") << "3 25 100 0 2 0 99999 10 10 50 10 30 40" << 2
                                                   << RePolygon::MaxPoints << false;
    QTest::newRow("polygon count zero") << "3 25 100 0 2 0 0 10 10 50 10" << 2 << 0 << true;
    QTest::newRow("polygon count negative") << "3 25 100 0 2 0 -7 10 10 50 10" << 2 << 0 << true;
    QTest::newRow("circle radius beyond the image") << "3 25 100 0 4 0 0 640 512 99999" << 4 << 3 << false;
    QTest::newRow("circle without radius") << "3 25 100 0 4 0 0 640 512" << 4 << 3 << true;
}

void CammerSingletonTest::storedRegionTexts()
{
    QFETCH(QString, stored);
    QFETCH(int, typeId);
    QFETCH(int, points);
    QFETCH(bool, emptyMask);
    ParamDb db;
    db.setRow("detect0", "1");
    db.setRow("ROI0-0", stored);
    CammerSingleton config(Camera);
    std::vector<cv::Mat> masks(CammerSingleton::RegionSlotCount);
    QSqlQuery query = db.query();
    QVERIFY(config.load(query, ImageWidth, ImageHeight, masks.data()));
    const ROIInterface *shape = config.shapes[0][0];
    QCOMPARE(shape->typeId(), typeId);
    QCOMPARE(shape->pointCount(), points);
    QCOMPARE(masks[0].empty(), emptyMask);
    QVERIFY(QRect(0, 0, ImageWidth, ImageHeight).contains(QRect(*shape)) || shape->isEmpty());
    // What was loaded saves and loads back as the same configuration.
    QVERIFY(config.save(query));
    CammerSingleton again(Camera);
    QVERIFY(again.load(query, ImageWidth, ImageHeight));
    QVERIFY(again.equals(config));
}

void CammerSingletonTest::copyAndCompare()
{
    LoadedConfig f;
    QVERIFY(f.loaded);
    addRegion(f.config, 0, rect(10, 20, 300, 200), 0, 3, 25, 100, 1);
    addRegion(f.config, 1, ring(600, 500, 80, 30), 6, 0, 80, 0, 0);
    addRegion(f.config, 1, triangle(700, 100), 2, 0, 0, 0, 0);

    CammerSingleton edit(Camera);
    edit.copyFrom(f.config);
    QVERIFY(edit.equals(f.config));
    QVERIFY(edit.shapes[1][0] != f.config.shapes[1][0]); // clones, not shared

    edit.shapes[1][1]->translate(1, 0, ImageWidth, ImageHeight);
    edit.shapes[1][1]->updateBounds();
    QVERIFY(!edit.equals(f.config));
    edit.copyFrom(f.config);
    QVERIFY(edit.equals(f.config));
    edit.param3[CammerSingleton::RegionSlotCount - 1] = 1; // an unused slot counts too
    QVERIFY(!edit.equals(f.config));
    edit.copyFrom(f.config);
    edit.stageValues[7][7] = 1;
    QVERIFY(!edit.equals(f.config));

    edit.copyFrom(f.config);
    edit.deleteShapes(1);
    QVERIFY(edit.shapes[1].isEmpty());
    QVERIFY(!edit.equals(f.config));
    edit.copyFrom(edit); // copying onto itself keeps it
    QVERIFY(edit.shapes[1].isEmpty());
}

QTEST_GUILESS_MAIN(CammerSingletonTest)
#include "CammerSingletonTest.moc"
