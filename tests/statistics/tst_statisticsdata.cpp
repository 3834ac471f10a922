#include "core/ResultDatabase.h"
#include "core/SqlConnection.h"
#include "core/TemperatureChartData.h"
#include "core/dataThread.h"
#include "platform/system/RecordingSystemActions.h"
#include "statistics/StatisticsData.h"
#include "tests/support/ManualClock.h"
#include "tests/support/ResultRowFiles.h"
#include "tests/support/TempWorkDir.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {

const QString databaseFile = QStringLiteral("ResStatistics.db");

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute));
}

// "n n ... " with the given counts at the given hours.
QString hourText(const QMap<int, int> &counts = {})
{
    QString text;
    for (int h = 0; h < 24; ++h)
        text += QStringLiteral("%1 ").arg(counts.value(h, 0));
    return text;
}

bool writeCountRows(const QList<QStringList> &rows)
{
    SqlConnection connection(QStringLiteral("testCounts"));
    if (!connection.open(databaseFile))
        return false;
    QSqlDatabase db = connection.database();
    if (!ensureResultTables(db))
        return false;
    QSqlQuery insert(db);
    if (!insert.prepare(QStringLiteral("insert into resstatistics values (?, ?, ?)")))
        return false;
    for (const QStringList &row : rows) {
        for (const QString &value : row)
            insert.addBindValue(value);
        if (!insert.exec())
            return false;
    }
    return true;
}

QStringList countRow(const QString &file, const QString &name)
{
    const QList<QStringList> rows = readCountRows(file);
    for (const QStringList &row : rows) {
        if (row.first() == name)
            return row;
    }
    return {};
}

void writeDayStart(const QByteArray &content)
{
    QFile file(QStringLiteral("restime.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray eightOClock(int day)
{
    return QByteArray::number(at(day, 8).toSecsSinceEpoch());
}

} // namespace

class StatisticsDataTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void countFixture_data();
    void countFixture();
    void storedRowsAreRead_data();
    void storedRowsAreRead();
    void sumsAreRebuiltFromLeaves();
    void rowsBeyondTheCamerasInUseStayUntouched();
    void missingCountTableIsCreated();
    void failedOpenNeverWipesStoredCounts();
    void freshStartKeepsRowsAndCounts();
    void rollOver_data();
    void rollOver();

private:
    std::unique_ptr<TempWorkDir> work;
    std::unique_ptr<ManualClock> clock;
    std::unique_ptr<RecordingSystemActions> actions;
};

void StatisticsDataTest::init()
{
    work = std::make_unique<TempWorkDir>();
    QVERIFY(work->isValid());
    clock = std::make_unique<ManualClock>(at(5, 14, 5));
    actions = std::make_unique<RecordingSystemActions>();
    writeDayStart(eightOClock(5));
}

void StatisticsDataTest::cleanup()
{
    actions.reset();
    clock.reset();
    work.reset();
}

void StatisticsDataTest::countFixture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ng");
    const QString zero = hourText();
    const QString fourteen = hourText({{14, 1}});
    QTest::newRow("C0_D0") << "C0_D0" << zero;
    QTest::newRow("C0_D1") << "C0_D1" << zero;
    QTest::newRow("C0_D8") << "C0_D8" << zero;
    QTest::newRow("C1_D0") << "C1_D0" << fourteen;
    QTest::newRow("C1_D1") << "C1_D1" << zero;
    QTest::newRow("C1_D8") << "C1_D8" << fourteen;
    QTest::newRow("C8_D0") << "C8_D0" << fourteen;
    QTest::newRow("C8_D1") << "C8_D1" << zero;
    QTest::newRow("C8_D8") << "C8_D8" << fourteen;
}

void StatisticsDataTest::countFixture()
{
    QFETCH(QString, name);
    QFETCH(QString, ng);

    QList<QStringList> rows;
    for (const char *node : {"C0_D0", "C0_D1", "C0_D8", "C1_D0", "C1_D1", "C1_D8", "C8_D0",
                             "C8_D1", "C8_D8"})
        rows.append({QString::fromLatin1(node), hourText(), hourText()});
    QVERIFY(writeCountRows(rows));

    StatisticsData counts(2, 2, nullptr);
    QVERIFY(counts.AddResult(14, false, 1, 0));

    QCOMPARE(readCountRows(databaseFile).size(), rows.size());
    QCOMPARE(countRow(databaseFile, name), QStringList({name, hourText(), ng}));
}

void StatisticsDataTest::storedRowsAreRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("hours");
    QTest::newRow("two numbers") << "5 7 " << QList<int>{5, 7};
    QTest::newRow("a word ends the list") << "3 x 4 " << QList<int>{3};
    QTest::newRow("empty") << "" << QList<int>{};
    QList<int> first24;
    QString thirty;
    for (int i = 1; i <= 30; ++i) {
        thirty += QStringLiteral("%1 ").arg(i);
        if (i <= 24)
            first24 << i;
    }
    QTest::newRow("more than 24") << thirty << first24;
}

void StatisticsDataTest::storedRowsAreRead()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, hours);
    QVERIFY(writeCountRows({{"C0_D0", text, hourText()}}));
    StatisticsData counts(1, 2, nullptr);
    const CountRecord &leaf = counts.counts().cameras[0].stages[0];
    for (int h = 0; h < CountHours; ++h)
        QCOMPARE(leaf.okByHour[size_t(h)], h < hours.size() ? hours.at(h) : 0);
}

void StatisticsDataTest::sumsAreRebuiltFromLeaves()
{
    // Sums stored at load that disagree with their leaves.
    QVERIFY(writeCountRows({{"C0_D0", hourText({{0, 2}}), hourText()},
                            {"C0_D8", hourText({{0, 9}}), hourText()},
                            {"C8_D8", hourText({{0, 100}}), hourText()}}));
    StatisticsData counts(1, 2, nullptr);
    QVERIFY(counts.AddResult(0, true, 0, 1));
    QCOMPARE(countRow(databaseFile, "C0_D8").at(1), hourText({{0, 3}}));
    QCOMPARE(countRow(databaseFile, "C8_D0").at(1), hourText({{0, 2}}));
    QCOMPARE(countRow(databaseFile, "C8_D1").at(1), hourText({{0, 1}}));
    QCOMPARE(countRow(databaseFile, "C8_D8").at(1), hourText({{0, 3}}));
}

void StatisticsDataTest::rowsBeyondTheCamerasInUseStayUntouched()
{
    QVERIFY(writeCountRows({{"C3_D0", hourText({{1, 7}}), hourText()}}));
    StatisticsData counts(1, 2, nullptr);
    QCOMPARE(counts.counts().cameras[3].stages[0].okByHour[1], 0);
    QVERIFY(!counts.AddResult(1, true, 3, 0));
    QVERIFY(counts.AddResult(1, true, 0, 0));
    QCOMPARE(countRow(databaseFile, "C3_D0").at(1), hourText({{1, 7}}));
    QCOMPARE(readCountRows(databaseFile).size(), 1 + 3 + 3);
}

void StatisticsDataTest::missingCountTableIsCreated()
{
    {
        SqlConnection connection(QStringLiteral("onlyResults"));
        QVERIFY(connection.open(databaseFile));
        QSqlQuery create(connection.database());
        QVERIFY(create.exec("CREATE TABLE res_report(idx INTEGER PRIMARY KEY, roundstart"
                            " VARCHAR(32) NOT NULL, detectstart VARCHAR(32) NOT NULL,"
                            " idx_camera INT NOT NULL, idx_detect INT NOT NULL, roi_detail TEXT"
                            " NOT NULL, roi_result TEXT NOT NULL, result tinyint NOT NULL,"
                            " description TEXT)"));
    }
    {
        StatisticsData counts(1, 2, nullptr);
        QVERIFY(counts.AddResult(9, false, 0, 1));
    }
    StatisticsData restarted(1, 2, nullptr);
    QCOMPARE(restarted.counts().cameras[0].stages[1].ngByHour[9], 1);
    QCOMPARE(restarted.counts().all.total.ngByHour[9], 1);
}

void StatisticsDataTest::failedOpenNeverWipesStoredCounts()
{
    // The file cannot be opened at construction: the operator is told; no reboot, which
    // could not mend it and would only come back here.
    QVERIFY(QDir().mkpath(databaseFile));
    int warnings = 0;
    StatisticsData counts(1, 1, nullptr, [&warnings] { ++warnings; });
    QCOMPARE(warnings, 1);
    QCOMPARE(actions->count(QStringLiteral("reboot")), 0);
    QVERIFY(!counts.AddResult(10, true, 0, 0));

    // The file comes back with the day's counts: they are added to, never overwritten.
    QVERIFY(QDir().rmdir(databaseFile));
    QVERIFY(writeCountRows({{"C0_D0", hourText({{10, 5}}), hourText()}}));
    QVERIFY(counts.AddResult(10, true, 0, 0));
    QCOMPARE(countRow(databaseFile, "C0_D0").at(1), hourText({{10, 7}}));
    QCOMPARE(countRow(databaseFile, "C8_D8").at(1), hourText({{10, 7}}));
}

void StatisticsDataTest::freshStartKeepsRowsAndCounts()
{
    // The result store opens the missing file first; the count store comes second.
    TemperatureChartData results;
    QVERIFY(results.Init());
    QTRY_VERIFY(results.isReadFinished());
    StatisticsData counts(1, 2, &results);
    QVERIFY(counts.AddResult(14, true, 0, 0));
    results.SetCurrentCycle(makeCycle(0, 0, at(5, 14, 5), at(5, 14, 5), {1}));
    results.AppendCycleData();
    QVERIFY(results.InsertResult());

    QCOMPARE(readResultRows(databaseFile).size(), 1);
    QCOMPARE(countRow(databaseFile, "C0_D0").at(1), hourText({{14, 1}}));
}

void StatisticsDataTest::rollOver_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<QByteArray>("dayStart");   // null: no restime.txt
    QTest::addColumn<int>("rowsDay");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("archiveTaken");
    QTest::addColumn<QString>("archive");

    QTest::newRow("running across midnight")
        << true << eightOClock(5) << 5 << at(6, 0, 10) << false << "2024-03-05.db";
    QTest::newRow("started after days off")
        << false << eightOClock(5) << 5 << at(8, 9) << false << "2024-03-05.db";
    QTest::newRow("archive name taken")
        << false << eightOClock(5) << 5 << at(6, 0, 10) << true << "2024-03-05_1.db";
    QTest::newRow("empty restime.txt after a power cut")
        << false << QByteArray("") << 5 << at(6, 0, 10) << false << "2024-03-05.db";
    QTest::newRow("garbled restime.txt")
        << false << QByteArray("16x") << 5 << at(6, 0, 10) << false << "2024-03-05.db";
    QTest::newRow("no restime.txt, started at 3 o'clock")
        << false << QByteArray() << 5 << at(6, 3) << false << "2024-03-05.db";
    QTest::newRow("clock set back a day")
        << false << eightOClock(6) << 6 << at(5, 10) << false << "2024-03-06.db";
}

void StatisticsDataTest::rollOver()
{
    QFETCH(bool, running);
    QFETCH(QByteArray, dayStart);
    QFETCH(int, rowsDay);
    QFETCH(QDateTime, now);
    QFETCH(bool, archiveTaken);
    QFETCH(QString, archive);

    QFile::remove(QStringLiteral("restime.txt"));
    if (!dayStart.isNull())
        writeDayStart(dayStart);
    QVERIFY(QDir().mkpath(QString::fromLatin1(resultArchiveFolder)));
    const QString archiveFolder = QString::fromLatin1(resultArchiveFolder) + QLatin1Char('/');
    const QDate ended(2024, 3, rowsDay);
    if (archiveTaken)
        QVERIFY(writeResultRows(archiveFolder + ended.toString("yyyy-MM-dd") + ".db",
                                {makeCycle(1, 1, at(rowsDay, 1), at(rowsDay, 1), {1})}));

    const QList<CycleResult> endedRows{makeCycle(0, 0, at(rowsDay, 23, 50), at(rowsDay, 23, 50), {1}),
                                       makeCycle(0, 1, at(rowsDay, 23, 50), at(rowsDay, 23, 50), {0})};
    std::unique_ptr<TemperatureChartData> results;
    std::unique_ptr<StatisticsData> counts;
    auto start = [&] {
        results = std::make_unique<TemperatureChartData>();
        QVERIFY(results->Init());
        QTRY_VERIFY(results->isReadFinished());
        counts = std::make_unique<StatisticsData>(1, 2, results.get());
    };
    auto count = [&](const CycleResult &cycle) {
        results->SetCurrentCycle(cycle);
        results->AppendCycleData();
        QVERIFY(results->InsertResult());
        QVERIFY(counts->AddResult(cycle.roundStart.time().hour(), cycle.result != 0,
                                  cycle.camera, cycle.detect));
    };

    if (running) {
        clock->set(at(rowsDay, 23, 50));
        start();
        for (const CycleResult &cycle : endedRows)
            count(cycle);
        clock->set(now);
        counts->CheckDay();   // the run controller's check when the next cycle opens
    } else {
        // The rows and counts of the ended day are in the file when the program starts.
        QVERIFY(writeResultRows(databaseFile, endedRows));
        QVERIFY(writeCountRows({{"C0_D0", hourText({{23, 1}}), hourText()},
                                {"C0_D1", hourText(), hourText({{23, 1}})}}));
        clock->set(now);
        start();
        counts->CheckDay();   // the main window's check after building the store
    }
    const CycleResult fresh = makeCycle(0, 0, now, now, {1});
    count(fresh);

    // The ended day's rows and counts are archived whole under their date.
    QCOMPARE(readResultRows(archiveFolder + archive).size(), endedRows.size());
    QCOMPARE(countRow(archiveFolder + archive, "C0_D1").at(2), hourText({{23, 1}}));
    // The new file holds only the new day.
    const QList<StoredRow> current = readResultRows(databaseFile);
    QCOMPARE(current.size(), 1);
    QCOMPARE(current.at(0).roundStart, now.toString("yyyy-MM-dd hh:mm:ss.zzz"));
    QCOMPARE(countRow(databaseFile, "C8_D8"),
             QStringList({"C8_D8", hourText({{now.time().hour(), 1}}), hourText()}));
    QCOMPARE(results->todayResults().size(), 1);

    QFile dayFile(QStringLiteral("restime.txt"));
    QVERIFY(dayFile.open(QIODevice::ReadOnly));
    QCOMPARE(dayFile.readAll(), QByteArray::number(QDateTime(now.date(), QTime(8, 0)).toSecsSinceEpoch()));

    // A range read of the ended date finds every row of it, in every file of that date.
    ResultQuery query;
    query.from = QDateTime(ended, QTime(0, 0));
    query.to = QDateTime(ended, QTime(23, 59, 59, 999));
    results->SetQuery(query);
    results->setResultMode(1);
    QSignalSpy read(results->reader(), &dataThread::readResFinished);
    QVERIFY(results->StartQuery());
    QTRY_VERIFY_WITH_TIMEOUT(read.count() >= 1, 20000);
    QCOMPARE(results->loadedResults().size(), endedRows.size() + (archiveTaken ? 1 : 0));
}

QTEST_GUILESS_MAIN(StatisticsDataTest)
#include "tst_statisticsdata.moc"
