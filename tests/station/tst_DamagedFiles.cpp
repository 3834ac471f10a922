// The station started on damaged files, as a factory meets it after power cuts and full disks:
// what it keeps, what it logs and what it moves aside, file by file.

#include "core/DefaultParameterFiles.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/ParameterManager.h"
#include "core/TemperatureChartData.h"
#include "core/UiTexts.h"
#include "machineio/ControlPort.h"
#include "platform/system/RecordingSystemActions.h"
#include "station/OperationRecord.h"
#include "station/ProductionCounters.h"
#include "statistics/StatisticsData.h"
#include "tests/station/RecordRows.h"
#include "tests/support/ManualClock.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/ResultRowFiles.h"
#include "tests/support/TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <cstring>

namespace {

const QDateTime startTime(QDate(2024, 3, 5), QTime(14, 5, 0));
const char asideStamp[] = "-damaged-20240305-140500";

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    for (char &c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 24);
    }
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(bytes) == bytes.size();
}

// Runs statements on a database file through a connection of its own.
bool runStatements(const QString &path, const QStringList &statements)
{
    const QString name = QStringLiteral("damagedFilesTest");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        for (const QString &statement : statements)
            ok = ok && query.exec(statement);
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// The station's own kind of file for each database, made large enough to span many pages.
bool writeSoundDatabase(const QString &file)
{
    QStringList statements;
    if (file == QLatin1String("PARAM.db")) {
        if (!writeDefaultParamDatabase(file))
            return false;
    } else if (file == QLatin1String("SN.db")) {
        if (!writeDefaultSerialDatabase(file))
            return false;
    } else if (file == QLatin1String("RECORD.db")) {
        if (!OperationRecord::CreateRecordDatabase())
            return false;
    } else if (!StatisticsData::CreateResultDatabase()) {
        return false;
    }
    statements << QStringLiteral("begin")
               << QStringLiteral("create table filler(n integer primary key, text text)");
    for (int i = 0; i < 300; ++i)
        statements << QStringLiteral("insert into filler(text) values('%1')").arg(QString(200, QLatin1Char('a' + i % 26)));
    statements << QStringLiteral("commit");
    return runStatements(file, statements);
}

// Every counter as one line of count.txt, for the table below.
QVector<int> allCounters()
{
    QVector<int> values;
    for (int camera = 0; camera < CounterCameraCount; ++camera)
        values << cameraTotalCount[camera] << cameraNgCount[camera];
    values << cycleTotalCount << cycleNgCount;
    return values;
}

QVector<int> countsFrom(const QByteArray &line)
{
    QVector<int> values;
    for (const QByteArray &word : line.simplified().split(' '))
        values << word.toInt();
    return values;
}

} // namespace

class DamagedFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(loadUiTexts()); }
    void countFile_data();
    void countFile();
    void sysparamValues_data();
    void sysparamValues();
    void databases_data();
    void databases();
    void smallTextFiles_data();
    void smallTextFiles();
};

void DamagedFilesTest::countFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QVector<int>>("kept");   // the 18 counters after the read
    QTest::addColumn<QString>("logged");      // empty: nothing logged, nothing copied aside

    const QByteArray good = "12 3 0 0 0 0 0 0 0 0 0 0 0 0 4 1 16 4 ";
    const QVector<int> zeros(18, 0);
    QVector<int> firstCamera = zeros;
    firstCamera[0] = 12;
    firstCamera[1] = 3;
    QVector<int> negativeCycles = countsFrom(good);
    negativeCycles[16] = 0;

    QTest::newRow("as written") << good << countsFrom(good) << QString();
    QTest::newRow("random bytes") << randomBytes(300, 7) << zeros << "not a count";
    QTest::newRow("truncated") << good.left(5) << firstCamera << "holds 2 of 18 counts";
    QTest::newRow("empty") << QByteArray() << zeros << "holds 0 of 18 counts";
    QTest::newRow("5 MB of digits") << QByteArray(5 * 1024 * 1024, '9') << zeros
                                    << "camera 1 total \"99999999999999999999... (4096 characters)\" not a count";
    QTest::newRow("negative cycle count") << QByteArray(good).replace("16 4", "-5 4") << negativeCycles
                                          << "cycle total \"-5\" not a count";
    QTest::newRow("camera count of 2^32") << QByteArray(good).replace("12 3", "4294967296 3")
                                          << [&] { QVector<int> v = countsFrom(good); v[0] = 0; return v; }()
                                          << "camera 1 total \"4294967296\" not a count";
}

// Every value that can be read is kept; the others start at 0, are named in one log line,
// and the damaged file is copied aside before the next write replaces it.
void DamagedFilesTest::countFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QVector<int>, kept);
    QFETCH(QString, logged);
    TempWorkDir work;
    ManualClock clock(startTime);
    RecordingSystemActions actions;
    QVERIFY(writeFile(QStringLiteral("count.txt"), content));

    MessageRecorder log;
    QVERIFY(readProductionCounters());
    QCOMPARE(allCounters(), kept);
    const QString aside = QStringLiteral("./count%1.txt").arg(QLatin1String(asideStamp));
    if (logged.isEmpty()) {
        QCOMPARE(log.messages(), QStringList());
        QVERIFY(!QFile::exists(aside));
        return;
    }
    QCOMPARE(log.count(logged), 1);
    QCOMPARE(readFile(aside), content);
    // No negative count reaches the registers, where it would read as a huge one.
    for (int value : allCounters())
        QVERIFY(value >= 0);
    // What was kept is what the next write stores.
    QVERIFY(writeProductionCounters());
    QCOMPARE(countsFrom(readFile(QStringLiteral("count.txt"))), kept);
}

void DamagedFilesTest::sysparamValues_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("value");   // null: the row is missing
    QTest::addColumn<QString>("logged");

    QTest::newRow("idle level not a number")
        << "system7" << "0 0 0 0 1 1 x 0 1 0 0 0 0 0 1 0 0 0 0 0"
        << "sysparam row system7: position 7 (\"x\") not a number, default kept";
    QTest::newRow("row cut short") << "system7" << "0 0 0 0 1"
                                   << "sysparam row system7 holds 5 of 20 values: positions 6 to 20 keep their defaults";
    QTest::newRow("empty value") << "system7" << ""
                                 << "sysparam row system7 holds 0 of 20 values: positions 1 to 20 keep their defaults";
    QTest::newRow("random text") << "system7" << QString::fromLatin1(randomBytes(40, 3).toHex())
                                 << "sysparam row system7: position 1 (\"";
    QTest::newRow("missing row") << "system3" << QString() << "sysparam row system3 was missing and is added";
}

// A damaged settings row keeps the defaults where it cannot be read: with the default output
// levels every output of the board idles high (the level that forbids closing the mould when
// an NG is latched). Saving afterwards writes every row again.
void DamagedFilesTest::sysparamValues()
{
    QFETCH(QString, row);
    QFETCH(QString, value);
    QFETCH(QString, logged);
    TempWorkDir work;
    ManualClock clock(startTime);
    RecordingSystemActions actions;
    QVERIFY(writeDefaultParamDatabase(QStringLiteral("PARAM.db")));
    QVERIFY(writeDefaultSerialDatabase(QStringLiteral("SN.db")));
    QVERIFY(runStatements(QStringLiteral("PARAM.db"),
                          {value.isNull() ? QStringLiteral("delete from sysparam where name = '%1'").arg(row)
                                          : QStringLiteral("update sysparam set value = '%1' where name = '%2'")
                                                .arg(value, row)}));
    MessageRecorder log;
    ParameterManager manager;
    QVERIFY(manager.Init());
    SystemParameters *record = manager.currentRecord();
    currentParams = record;
    ControlPort port(QStringLiteral("/dev/null"));
    port.ResetOutputs();
    for (int output = 0; output < 10; ++output)
        QVERIFY2(port.GetIOState(true, output), qPrintable(QString::number(output)));
    currentParams = nullptr;
    // The missing row is added by the save; a damaged one is written whole again.
    QVERIFY(record->SaveAll(manager.paramQuery()));
    QCOMPARE(log.count(logged), 1);
    QVERIFY(actions.actions.isEmpty());
    SystemParameters again;
    again.SetDefaults();
    QVERIFY(again.Load(manager.paramQuery()));
    QCOMPARE(again[Param::OutputIdleLevel], 1);
    QCOMPARE(again[Param::LaterOutputsIdleLevel], 1);
}

void DamagedFilesTest::databases_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("movedAside");

    for (const char *file : {"PARAM.db", "SN.db", "RECORD.db", "ResStatistics.db"}) {
        for (const char *damage : {"random bytes", "truncated", "cut to its header"})
            QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(file, damage))) << file << damage << true;
    }
    // SQLite takes an empty file for an empty database: the station makes its tables in it.
    QTest::newRow("RECORD.db, empty") << "RECORD.db" << "empty" << false;
    QTest::newRow("ResStatistics.db, empty") << "ResStatistics.db" << "empty" << false;
    // A parameter file without its table cannot be used; it is kept aside all the same.
    QTest::newRow("PARAM.db, empty") << "PARAM.db" << "empty" << true;
}

// A damaged database is moved aside under a dated name, byte for byte, and the station starts
// on a new file that takes the rows of the day; no journal left beside the damaged file
// reaches the new one. The result database
// shows text 544 once and never reboots.
void DamagedFilesTest::databases()
{
    QFETCH(QString, file);
    QFETCH(QString, damage);
    QFETCH(bool, movedAside);
    TempWorkDir work;
    ManualClock clock(startTime);
    RecordingSystemActions actions;
    QVERIFY(QDir().mkpath(QStringLiteral("paraGroup/default")));
    QVERIFY(writeDefaultParamDatabase(QStringLiteral("paraGroup/default/PARAM.db")));
    QVERIFY(writeDefaultSerialDatabase(QStringLiteral("paraGroup/default/SN.db")));
    QVERIFY(writeDefaultParamDatabase(QStringLiteral("PARAM.db")));
    QVERIFY(writeDefaultSerialDatabase(QStringLiteral("SN.db")));

    QVERIFY(writeSoundDatabase(file));
    QByteArray bytes = readFile(file);
    if (damage == QLatin1String("random bytes"))
        bytes = randomBytes(bytes.size(), 11);
    else if (damage == QLatin1String("truncated"))
        bytes.truncate(bytes.size() / 2);
    else if (damage == QLatin1String("cut to its header"))
        bytes.truncate(100);
    else
        bytes.clear();
    QVERIFY(writeFile(file, bytes));
    // A journal a killed write left beside the damaged file must not reach the new one.
    if (movedAside)
        QVERIFY(writeFile(file + QStringLiteral("-journal"), randomBytes(512, 5)));

    MessageRecorder log;
    const QString base = file.section(QLatin1Char('.'), 0, 0);
    if (file == QLatin1String("PARAM.db") || file == QLatin1String("SN.db")) {
        ParameterManager manager;
        QVERIFY(manager.Init());
        QCOMPARE((*manager.currentRecord())[Param::DefectToolEnabled], 1);
        QCOMPARE(actions.count(QStringLiteral("reboot")), 1);
        QCOMPARE(readFile(file), readFile(QStringLiteral("paraGroup/default/") + file));
    } else if (file == QLatin1String("RECORD.db")) {
        OperationRecord record;
        QVERIFY(record.Open());
        QVERIFY(record.InsertRecord(QStringLiteral("alarm"), 0));
        record.Close();
        QCOMPARE(readRecordRows(file).last().last(), QStringLiteral("alarm"));
    } else {
        TemperatureChartData results;
        results.Init();
        QTRY_VERIFY(results.isReadFinished());
        int boxes = 0;
        StatisticsData counts(1, 2, &results, [&boxes] { ++boxes; });
        QCOMPARE(boxes, movedAside ? 1 : 0);
        QCOMPARE(actions.count(QStringLiteral("reboot")), 0);
        QVERIFY(counts.AddResult(14, false, 0, 1));
        results.SetCurrentCycle(makeCycle(0, 1, startTime, startTime, {0}));
        results.AppendCycleData();
        QVERIFY(results.InsertResult());
        QCOMPARE(readResultRows(file).size(), 1);
        // A second count store of the same start shows nothing again.
        StatisticsData later(1, 2, &results, [&boxes] { ++boxes; });
        QCOMPARE(boxes, movedAside ? 1 : 0);
    }

    const QString aside = QStringLiteral("./%1%2.db").arg(base, QLatin1String(asideStamp));
    QCOMPARE(QFile::exists(aside), movedAside);
    if (!movedAside) {
        QCOMPARE(log.count(QStringLiteral("damaged")), 0);
        return;
    }
    QCOMPARE(readFile(aside), bytes);
    QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
    QCOMPARE(log.count(QStringLiteral("moved aside to %1").arg(aside)), 1);
}

void DamagedFilesTest::smallTextFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("logged");

    QTest::newRow("sysadd.txt, garbage") << "sysadd.txt" << randomBytes(30, 9).replace('\0', 'x') << "sysadd.txt holds no group index";
    QTest::newRow("sysadd.txt, negative") << "sysadd.txt" << QByteArray("-3") << "sysadd.txt holds no group index (\"-3\")";
    QTest::newRow("sysadd.txt, empty") << "sysadd.txt" << QByteArray() << "sysadd.txt holds no group index";
    QTest::newRow("restime.txt, digits beyond 32 bits") << "restime.txt" << QByteArray(40, '7') << "restime.txt is garbled";
    QTest::newRow("time.txt, random") << "time.txt" << randomBytes(64, 4) << "time.txt holds no date";
}

// The small files fall back to what a missing file gives, and say so.
void DamagedFilesTest::smallTextFiles()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, logged);
    TempWorkDir work;
    ManualClock clock(startTime);
    RecordingSystemActions actions;
    QVERIFY(writeFile(file, content));
    MessageRecorder log;
    if (file == QLatin1String("sysadd.txt")) {
        QVERIFY(writeDefaultParamDatabase(QStringLiteral("PARAM.db")));
        QVERIFY(writeDefaultSerialDatabase(QStringLiteral("SN.db")));
        ParameterManager manager;
        QVERIFY(manager.Init());
        QCOMPARE((*manager.currentRecord())[Param::ParameterGroup], 0);
    } else if (file == QLatin1String("restime.txt")) {
        StatisticsData counts(1, 2, nullptr);
        QCOMPARE(QDateTime::fromSecsSinceEpoch(counts.dayStart()).date(), startTime.date());
        QCOMPARE(readFile(file), QByteArray::number(counts.dayStart()));
    } else {
        OperationRecord record;
        record.LoadDate();
        QCOMPARE(record.recordDate(), QStringLiteral("2024-03-05"));
        QCOMPARE(readFile(file), QByteArray("2024-03-05"));
    }
    QCOMPARE(log.count(logged), 1);
}

QTEST_MAIN(DamagedFilesTest)
#include "tst_DamagedFiles.moc"
