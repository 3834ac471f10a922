#include "core/ResultDatabase.h"
#include "core/SqlConnection.h"
#include "core/TemperatureChartData.h"
#include "core/TimeStamp.h"
#include "core/dataThread.h"
#include "platform/system/RecordingSystemActions.h"
#include "tests/support/ManualClock.h"
#include "tests/support/ResultRowFiles.h"
#include "tests/support/TempWorkDir.h"

#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QThreadPool>
#include <QtConcurrent>
#include <QtTest>

#include <climits>
#include <memory>

Q_DECLARE_METATYPE(QList<CycleResult>)

namespace {

const QDate today(2024, 3, 5);
const QString databaseFile = QStringLiteral("ResStatistics.db");

QDateTime at(int day, int hour, int minute = 0, int second = 0, int msec = 0)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute, second, msec));
}

void record(TemperatureChartData &store, const CycleResult &cycle)
{
    store.SetCurrentCycle(cycle);
    store.AppendCycleData();
    store.InsertResult();
}

QStringList entryTexts(const ResultMap &map)
{
    QStringList texts;
    for (const ResultEntry &entry : map)
        texts << QStringLiteral("%1 %2 C%3 D%4 F%5 = %6")
                     .arg(TimeStamp::toText(entry.roundStart), TimeStamp::toText(entry.detectStart))
                     .arg(entry.camera)
                     .arg(entry.detect)
                     .arg(entry.region)
                     .arg(entry.result);
    return texts;
}

int pointCount(const SeriesMap &series)
{
    int points = 0;
    for (const QVector<QPointF> &list : series)
        points += list.size();
    return points;
}

QList<int> hours(const QMap<int, int> &counts)
{
    QList<int> list;
    for (int h = 0; h < 24; ++h)
        list << counts.value(h, 0);
    return list;
}

} // namespace

class ResultStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rowsHeldBackByTheStartupReadAreWrittenInOrder();
    void freshStartStoresTheFirstRow();
    void liveAndRebuiltResultsAgree();
    void rangeReads_data();
    void rangeReads();
    void queryWhileReadingIsRefused();
    void readKeepsItsQueryAndDroppedReadsPublishNothing_data();
    void readKeepsItsQueryAndDroppedReadsPublishNothing();
    void livePointsOnlyWhileAPlotDraws();
    void dayAxis();
    void rangeAxis_data();
    void rangeAxis();
    void hourlyCounts_data();
    void hourlyCounts();
    void exportRunsTheProgram_data();
    void exportRunsTheProgram();
    void exportWithoutProgramReportsFailure();
    void recordInterval_data();
    void recordInterval();
    void rowsWaitingForAnUnavailableDatabaseAreBounded();

private:
    std::unique_ptr<TempWorkDir> work;
    std::unique_ptr<ManualClock> clock;
};

void ResultStoreTest::init()
{
    work = std::make_unique<TempWorkDir>();
    QVERIFY(work->isValid());
    clock = std::make_unique<ManualClock>(QDateTime(today, QTime(10, 0)));
}

void ResultStoreTest::cleanup()
{
    clock.reset();
    work.reset();
}

void ResultStoreTest::rowsHeldBackByTheStartupReadAreWrittenInOrder()
{
    QVERIFY(writeResultRows(databaseFile, {makeCycle(0, 0, at(5, 9), at(5, 9, 0, 1), {1, 0}, 50)}));

    // Hold the start-up read back: the pool's only thread is busy until the gate opens.
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    QSemaphore gate;
    QSemaphore running;
    QFuture<void> blocker = QtConcurrent::run([&] {
        running.release();
        gate.acquire();
    });
    running.acquire();

    TemperatureChartData store;
    QVERIFY(store.Init());
    for (int camera = 1; camera <= 3; ++camera)
        record(store, makeCycle(camera, 1, at(5, 10), at(5, 10, 0, camera), {1}));
    QVERIFY(!store.isReadFinished());
    QCOMPARE(store.pendingRowCount(), 3);
    QCOMPARE(readResultRows(databaseFile).size(), 1);

    gate.release();
    blocker.waitForFinished();
    pool->setMaxThreadCount(threads);

    // Written as soon as the read is done, without waiting for the next cycle.
    QTRY_COMPARE(readResultRows(databaseFile).size(), 4);
    const QList<StoredRow> rows = readResultRows(databaseFile);
    QStringList order;
    for (const StoredRow &row : rows)
        order << QStringLiteral("%1:%2").arg(row.camera).arg(row.description);
    QCOMPARE(order, QStringList({"0:", "1:Regular recording", "2:", "3:"}));
    QCOMPARE(rows.at(2).detectStart, QStringLiteral("2024-03-05 10:00:02.000"));
    QCOMPARE(store.pendingRowCount(), 0);
    // Today's results hold the stored row's two regions and the three live ones.
    QCOMPARE(store.todayResults().size(), 5);
}

void ResultStoreTest::freshStartStoresTheFirstRow()
{
    QVERIFY(!QFile::exists(databaseFile));
    TemperatureChartData store;
    QVERIFY(store.Init());
    QTRY_VERIFY(store.isReadFinished());
    record(store, makeCycle(2, 0, at(5, 10), at(5, 10, 0, 5), {1, 1}));

    const QList<StoredRow> rows = readResultRows(databaseFile);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).camera, 2);
    QCOMPARE(rows.at(0).result, QStringLiteral("[1,1]"));
    QCOMPARE(rows.at(0).detail, QStringLiteral("[[0,100,0,800],[0,101,0,800]]"));
}

void ResultStoreTest::liveAndRebuiltResultsAgree()
{
    QStringList liveEntries;
    SeriesMap liveSeries;
    {
        TemperatureChartData live;
        QVERIFY(live.Init());
        QTRY_VERIFY(live.isReadFinished());
        // A stage examined again within the same round: the first verdict stands.
        record(live, makeCycle(0, 1, at(5, 10), at(5, 10, 0, 100), {0, 1}, 57));
        record(live, makeCycle(0, 1, at(5, 10), at(5, 10, 0, 900), {1, 1}, 58));
        record(live, makeCycle(1, 0, at(5, 10), at(5, 10, 0, 200), {1}));
        liveEntries = entryTexts(live.todayResults());
        liveSeries = live.GetSeries();
    }
    QCOMPARE(liveEntries.size(), 3);
    QVERIFY(liveEntries.at(0).endsWith(QLatin1String("C0 D1 F0 = 0")));
    QCOMPARE(liveSeries.value(QStringLiteral("C:0_D:1_F:0")).size(), 2);

    TemperatureChartData rebuilt;
    QVERIFY(rebuilt.Init());
    QTRY_VERIFY(rebuilt.isReadFinished());
    QCOMPARE(entryTexts(rebuilt.todayResults()), liveEntries);
    QCOMPARE(rebuilt.GetSeries(), liveSeries);
}

void ResultStoreTest::rangeReads_data()
{
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("ngRounds");
    QTest::addColumn<int>("points");

    QTest::newRow("archived day, last second included")
        << at(3, 0) << at(3, 23, 59, 59, 999) << 2 << 2 << 1 << 1;
    QTest::newRow("today") << at(5, 0) << at(5, 23, 59, 59, 999) << 1 << 1 << 0 << 1;
    QTest::newRow("missing day") << at(4, 0) << at(4, 23, 59, 59, 999) << 0 << 0 << 0 << 0;
    QTest::newRow("two archives of one date") << at(2, 0) << at(2, 23, 59, 59, 999) << 3 << 2 << 1
                                              << 0;
    QTest::newRow("from an hour of one day to another") << at(3, 9) << at(5, 8) << 1 << 1 << 1
                                                        << 0;
    QTest::newRow("every day") << at(2, 0) << at(5, 12) << 6 << 5 << 2 << 2;
}

void ResultStoreTest::rangeReads()
{
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(int, entries);
    QFETCH(int, rounds);
    QFETCH(int, ngRounds);
    QFETCH(int, points);

    QVERIFY(QDir().mkpath(QString::fromLatin1(resultArchiveFolder)));
    // 2 March ended twice (the clock was set back), so it has two archives.
    QVERIFY(writeResultRows(QStringLiteral("ResStatistics/2024-03-02.db"),
                            {makeCycle(0, 0, at(2, 10), at(2, 10, 0, 10), {1, 1})}));
    QVERIFY(writeResultRows(QStringLiteral("ResStatistics/2024-03-02_1.db"),
                            {makeCycle(1, 0, at(2, 15), at(2, 15, 0, 10), {0})}));
    QVERIFY(writeResultRows(QStringLiteral("ResStatistics/2024-03-03.db"),
                            {makeCycle(0, 0, at(3, 8), at(3, 8, 0, 10), {1}, 40),
                             makeCycle(0, 0, at(3, 23, 59, 59, 500), at(3, 23, 59, 59, 600), {0})}));
    QVERIFY(writeResultRows(databaseFile, {makeCycle(2, 1, at(5, 9), at(5, 9, 0, 10), {1}, 61)}));

    TemperatureChartData store;
    QVERIFY(store.Init());
    QTRY_VERIFY(store.isReadFinished());
    ResultQuery query;
    query.from = from;
    query.to = to;
    store.SetQuery(query);
    store.setChartMode(2);
    store.setResultMode(1);
    QSignalSpy temperatures(store.reader(), &dataThread::readTempFinished);
    QSignalSpy results(store.reader(), &dataThread::readResFinished);
    QVERIFY(store.StartQuery());
    QTRY_VERIFY_WITH_TIMEOUT(results.count() >= 1, 20000);
    QCOMPARE(temperatures.count(), 1);

    QCOMPARE(store.loadedResults().size(), entries);
    QCOMPARE(store.totalCycles(), rounds);
    QCOMPARE(store.ngCycles(), ngRounds);
    QCOMPARE(pointCount(store.GetSeries()), points);
}

void ResultStoreTest::queryWhileReadingIsRefused()
{
    const QString archive = QStringLiteral("ResStatistics/2024-03-03.db");
    QVERIFY(QDir().mkpath(QString::fromLatin1(resultArchiveFolder)));
    QVERIFY(writeResultRows(archive, {makeCycle(0, 0, at(3, 8), at(3, 8), {1, 0})}));
    TemperatureChartData store;
    QVERIFY(store.Init());
    QTRY_VERIFY(store.isReadFinished());

    // Another connection holds the day file, so the read waits until it lets go.
    DayFileLock lock(archive);
    QVERIFY(lock.isHeld());

    ResultQuery query;
    query.from = at(3, 0);
    query.to = at(3, 23, 59, 59, 999);
    store.SetQuery(query);
    store.setResultMode(1);
    QSignalSpy results(store.reader(), &dataThread::readResFinished);
    QVERIFY(store.StartQuery());
    QVERIFY(!store.StartQuery());
    QVERIFY(lock.release());

    QTRY_VERIFY_WITH_TIMEOUT(results.count() == 1, 20000);
    QCOMPARE(results.count(), 1);
    QCOMPARE(store.loadedResults().size(), 2);
    QCOMPARE(store.ngCycles(), 1);
}

void ResultStoreTest::readKeepsItsQueryAndDroppedReadsPublishNothing_data()
{
    QTest::addColumn<bool>("dropped");
    QTest::newRow("read to its end") << false;
    QTest::newRow("dropped while reading") << true;
}

void ResultStoreTest::readKeepsItsQueryAndDroppedReadsPublishNothing()
{
    QFETCH(bool, dropped);
    const QString archive = QStringLiteral("ResStatistics/2024-03-03.db");
    QVERIFY(QDir().mkpath(QString::fromLatin1(resultArchiveFolder)));
    QVERIFY(writeResultRows(archive, {makeCycle(0, 0, at(3, 8), at(3, 8), {1, 0}, 40)}));
    QVERIFY(writeResultRows(databaseFile, {makeCycle(0, 0, at(5, 9), at(5, 9), {1})}));
    TemperatureChartData store;
    QVERIFY(store.Init());
    QTRY_VERIFY(store.isReadFinished());
    store.ComputeHourlyCounts();
    QCOMPARE(store.totalCycles(), 1);

    // Another connection holds the day file, so the read waits until it lets go.
    DayFileLock lock(archive);
    QVERIFY(lock.isHeld());

    ResultQuery query;
    query.from = at(3, 0);
    query.to = at(3, 23, 59, 59, 999);
    store.SetQuery(query);
    store.setResultMode(1);
    store.setChartMode(2);
    QSignalSpy temperatures(store.reader(), &dataThread::readTempFinished);
    QSignalSpy results(store.reader(), &dataThread::readResFinished);
    const quint64 read = store.StartQuery();
    QVERIFY(read != 0);
    QVERIFY(store.isReading());
    // What a window hands the store meanwhile does not change the read under way.
    ResultQuery other;
    other.camera = 5;
    other.from = at(5, 0);
    other.to = at(5, 23, 59, 59, 999);
    store.SetQuery(other);
    store.setChartMode(0);
    if (dropped)
        store.DropRead(read);
    QVERIFY(lock.release());

    QTRY_VERIFY_WITH_TIMEOUT(results.count() == 1, 20000);
    QCOMPARE(temperatures.count(), 1);
    QCOMPARE(temperatures.at(0).at(0).value<quint64>(), read);
    QCOMPARE(results.at(0).at(0).value<quint64>(), read);
    QVERIFY(!store.isReading());
    store.setChartMode(2);
    if (dropped) {
        QCOMPARE(store.loadedResults().size(), 0);
        QCOMPARE(pointCount(store.GetSeries()), 0);
        // Today's counts stay as they were.
        QCOMPARE(store.totalCycles(), 1);
        QCOMPARE(store.axisLabels().at(0).first(), QStringLiteral("03-05 00:00:00"));
    } else {
        QCOMPARE(store.loadedResults().size(), 2);
        QCOMPARE(pointCount(store.GetSeries()), 1);
        QCOMPARE(store.totalCycles(), 1);
        QCOMPARE(store.ngCycles(), 1);
        QCOMPARE(store.axisLabels().at(0).first(), QStringLiteral("03-03 00:00:00"));
    }
    // The next read gets an identity of its own.
    QVERIFY(store.StartQuery() > read);
    QTRY_VERIFY_WITH_TIMEOUT(results.count() >= 2, 20000);
}

void ResultStoreTest::livePointsOnlyWhileAPlotDraws()
{
    TemperatureChartData store;
    const QString key = QStringLiteral("C:0_D:0_F:0");
    auto append = [&store](int second) {
        store.SetCurrentCycle(makeCycle(0, 0, at(5, 10), at(5, 10, 0, second), {1}, 50 + second));
        store.AppendCycleData();
    };
    // No plot draws: today's series grows, nothing is held back for a plot.
    append(1);
    QVERIFY(store.liveSeries().isEmpty());

    store.setLiveCollecting(true);
    append(2);
    append(3);
    QCOMPARE(store.liveSeries().value(key).size(), 2);
    // A plot that draws everything anew takes the live points with the series.
    const SeriesMap series = store.TakeSeries();
    QCOMPARE(series.value(key).size(), 3);
    QVERIFY(store.liveSeries().isEmpty());
    append(4);
    QCOMPARE(store.TakeLivePoints().value(key).size(), 1);
    QVERIFY(store.liveSeries().isEmpty());

    // The day's roll-over drops them with today's series.
    append(5);
    store.ClearTodaySeries();
    QVERIFY(store.liveSeries().isEmpty());
    // Switching off empties them.
    append(6);
    store.setLiveCollecting(false);
    QVERIFY(store.liveSeries().isEmpty());
    append(7);
    QVERIFY(store.liveSeries().isEmpty());
    QCOMPARE(store.GetSeries().value(key).size(), 2);
}

void ResultStoreTest::dayAxis()
{
    TemperatureChartData store;
    store.ResetDayAxis();
    const QList<QStringList> labels = store.axisLabels();
    QCOMPARE(labels.at(0).size(), 24);
    QCOMPARE(labels.at(0).first(), QStringLiteral("03-05 00:00:00"));
    QCOMPARE(labels.at(1).first(), QStringLiteral("03-05 01:00:00"));
    QCOMPARE(labels.at(0).last(), QStringLiteral("03-05 23:00:00"));
    QCOMPARE(labels.at(1).last(), QStringLiteral("03-06 00:00:00"));
    QCOMPARE(store.bucketSeconds(), 3600.0);
}

void ResultStoreTest::rangeAxis_data()
{
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<int>("buckets");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("firstEnd");
    QTest::addColumn<QString>("lastEnd");
    QTest::addColumn<int>("countBuckets");

    QTest::newRow("30 minutes") << at(5, 10) << at(5, 10, 30) << 1 << 3600.0 << "03-05 10:30:00"
                                << "03-05 10:30:00" << 1;
    QTest::newRow("24 hours") << at(5, 0) << at(6, 0) << 24 << 3600.0 << "03-05 01:00:00"
                              << "03-06 00:00:00" << 24;
    QTest::newRow("48 hours") << at(5, 0) << at(7, 0) << 24 << 7200.0 << "03-05 02:00:00"
                              << "03-07 00:00:00" << 24;
    QTest::newRow("end before start") << at(5, 10) << at(5, 9) << 1 << 3600.0 << "03-05 09:00:00"
                                      << "03-05 09:00:00" << 0;
}

void ResultStoreTest::rangeAxis()
{
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(int, buckets);
    QFETCH(double, seconds);
    QFETCH(QString, firstEnd);
    QFETCH(QString, lastEnd);
    QFETCH(int, countBuckets);

    TemperatureChartData store;
    ResultQuery query;
    query.from = from;
    query.to = to;
    store.SetQuery(query);
    store.setResultMode(1);
    store.BuildRangeAxis();
    store.ComputeHourlyCounts();

    const QList<QStringList> labels = store.axisLabels();
    QCOMPARE(labels.at(0).size(), buckets);
    QCOMPARE(labels.at(1).size(), buckets);
    QCOMPARE(labels.at(0).first(), from.toString(QStringLiteral("MM-dd hh:mm:ss")));
    QCOMPARE(labels.at(1).first(), firstEnd);
    QCOMPARE(labels.at(1).last(), lastEnd);
    QCOMPARE(store.bucketSeconds(), seconds);
    QCOMPARE(store.GetHourlyCounts().size(), 2 * countBuckets);
}

void ResultStoreTest::hourlyCounts_data()
{
    QTest::addColumn<QList<CycleResult>>("cycles");
    QTest::addColumn<int>("region");
    QTest::addColumn<QList<int>>("ok");
    QTest::addColumn<QList<int>>("ng");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("ngRounds");
    QTest::addColumn<double>("rate");

    const QDateTime round = at(5, 10, 15);
    QTest::newRow("one NG camera makes the round NG")
        << QList<CycleResult>{makeCycle(0, 0, round, round, {1}), makeCycle(1, 0, round, round, {0})}
        << -1 << hours({}) << hours({{10, 1}}) << 1 << 1 << 100.0;
    QTest::newRow("the NG camera first")
        << QList<CycleResult>{makeCycle(0, 0, round, round, {0}), makeCycle(1, 0, round, round, {1})}
        << -1 << hours({}) << hours({{10, 1}}) << 1 << 1 << 100.0;
    QTest::newRow("two rounds in two hours")
        << QList<CycleResult>{makeCycle(0, 0, round, round, {1}),
                              makeCycle(0, 0, at(5, 11, 30), at(5, 11, 30), {0, 1})}
        << -1 << hours({{10, 1}}) << hours({{11, 1}}) << 2 << 1 << 50.0;

    QList<int> thirteen;
    for (int r = 0; r < 13; ++r)
        thirteen << (r == 12 ? 0 : 1);
    QTest::newRow("region filter 1 is not region 12")
        << QList<CycleResult>{makeCycle(0, 0, round, round, thirteen)} << 1 << hours({{10, 1}})
        << hours({}) << 1 << 0 << 0.0;
    QTest::newRow("a round before the axis is not counted")
        << QList<CycleResult>{makeCycle(0, 0, at(4, 23, 59, 59), at(4, 23, 59, 59), {0}),
                              makeCycle(0, 0, round, round, {1})}
        << -1 << hours({{10, 1}}) << hours({}) << 1 << 0 << 0.0;
    QTest::newRow("no rounds give a rate of 0")
        << QList<CycleResult>{} << -1 << hours({}) << hours({}) << 0 << 0 << 0.0;
}

void ResultStoreTest::hourlyCounts()
{
    QFETCH(QList<CycleResult>, cycles);
    QFETCH(int, region);
    QFETCH(QList<int>, ok);
    QFETCH(QList<int>, ng);
    QFETCH(int, rounds);
    QFETCH(int, ngRounds);
    QFETCH(double, rate);

    TemperatureChartData store;
    for (const CycleResult &cycle : qAsConst(cycles)) {
        store.SetCurrentCycle(cycle);
        store.AppendCycleData();
    }
    ResultQuery query;
    query.region = region;
    query.from = at(5, 0);
    query.to = at(5, 23, 59, 59, 999);
    store.SetQuery(query);
    store.setResultMode(0);
    store.ResetDayAxis();
    store.ComputeHourlyCounts();

    QCOMPARE(store.GetHourlyCounts(), ok + ng);
    QCOMPARE(store.totalCycles(), rounds);
    QCOMPARE(store.ngCycles(), ngRounds);
    QCOMPARE(store.ngRate(), rate);
}

void ResultStoreTest::exportRunsTheProgram_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("extra");
    QTest::newRow("all rows") << 1 << QStringList();
    QTest::newRow("timed records") << 2 << QStringList({"-detail", "Regular recording"});
}

void ResultStoreTest::exportRunsTheProgram()
{
    QFETCH(int, kind);
    QFETCH(QStringList, extra);

    // A stand-in export program: notes its arguments, then waits to be released.
    const QString folder = QStringLiteral("cnt_net/export_temperature");
    QVERIFY(QDir().mkpath(folder));
    QFile script(folder + QStringLiteral("/temperature_export.exe"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n"
                 "here=$(dirname \"$0\")\n"
                 "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$here/arguments.txt\"\n"
                 "i=0\n"
                 "while [ ! -e \"$here/release\" ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i+1)); done\n"
                 "printf 'export finished\\r\\n'\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    RecordingSystemActions actions;
    TemperatureChartData store;
    ResultQuery query;
    query.camera = 1;
    query.detect = 0;
    query.from = at(5, 8);
    query.to = at(5, 12);
    store.SetQuery(query);
    QSignalSpy finished(&store, &TemperatureChartData::exportFinish);

    QVERIFY(store.ExportData(kind, QStringLiteral("out")));
    QVERIFY(store.isExportBusy());
    // One export at a time: the second is dropped without a report.
    QVERIFY(!store.ExportData(kind, QStringLiteral("out")));
    QCOMPARE(actions.count(QStringLiteral("start")), 1);
    QCOMPARE(finished.count(), 0);

    QFile release(folder + QStringLiteral("/release"));
    QVERIFY(release.open(QIODevice::WriteOnly));
    release.close();
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QVERIFY(!store.isExportBusy());

    const QString target =
        QDir(QStringLiteral("out/2024-03-05_10.00.00.000_result")).absolutePath();
    QVERIFY(QFileInfo(target).isDir());
    QFile arguments(folder + QStringLiteral("/arguments.txt"));
    QVERIFY(arguments.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList expected = QStringList{"-t", "2024-03-05 08:00:00.000",
                                             "2024-03-05 12:00:00.000", "-c", "1", "-d", "0",
                                             "-dir", target + "/", "-w",
                                             QDir::currentPath() + "/"}
                                 + extra;
    QCOMPARE(QString::fromUtf8(arguments.readAll()).split('\n', Qt::SkipEmptyParts), expected);
}

void ResultStoreTest::exportWithoutProgramReportsFailure()
{
    RecordingSystemActions actions;
    TemperatureChartData store;
    QSignalSpy finished(&store, &TemperatureChartData::exportFinish);
    QVERIFY(!store.ExportData(1, QStringLiteral("out")));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    // No empty export folder is left behind.
    QVERIFY(QDir(QStringLiteral("out")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    // Not left busy: the next export is tried again.
    QVERIFY(!store.isExportBusy());
    QVERIFY(!store.ExportData(1, QStringLiteral("out")));
    QCOMPARE(actions.count(QStringLiteral("start")), 2);
}

void ResultStoreTest::recordInterval_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QStringList>("descriptions");
    const QString timed = QStringLiteral("Regular recording");
    QTest::newRow("30 minutes: the first row") << 30 << QStringList({timed, "", ""});
    QTest::newRow("0: every row") << 0 << QStringList({timed, timed, timed});
    QTest::newRow("negative: none") << -5 << QStringList({"", "", ""});
    QTest::newRow("largest without overflow") << INT_MAX << QStringList({timed, "", ""});
}

void ResultStoreTest::recordInterval()
{
    QFETCH(int, minutes);
    QFETCH(QStringList, descriptions);

    TemperatureChartData store;
    QVERIFY(store.Init());
    QTRY_VERIFY(store.isReadFinished());
    store.SetRecordInterval(minutes);
    for (int camera = 0; camera < 3; ++camera)
        record(store, makeCycle(camera, 0, at(5, 10), at(5, 10, 0, camera), {1}));

    QStringList stored;
    const QList<StoredRow> rows = readResultRows(databaseFile);
    for (const StoredRow &row : rows)
        stored << row.description;
    QCOMPARE(stored, descriptions);
}

void ResultStoreTest::rowsWaitingForAnUnavailableDatabaseAreBounded()
{
    // A folder where the file should be: the database cannot be opened.
    QVERIFY(QDir().mkpath(databaseFile));
    TemperatureChartData store;
    QVERIFY(!store.Init());
    store.SetCurrentCycle(makeCycle(0, 0, at(5, 10), at(5, 10), {1}));
    for (int i = 0; i < TemperatureChartData::MaxPendingRows; ++i)
        QVERIFY(store.InsertResult());
    QVERIFY(!store.InsertResult());
    QCOMPARE(store.pendingRowCount(), TemperatureChartData::MaxPendingRows);
}

QTEST_GUILESS_MAIN(ResultStoreTest)
#include "tst_resultstore.moc"
