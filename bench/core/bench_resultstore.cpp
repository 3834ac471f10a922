// Reading results back: the start-up read of one full day and a 30-day range read, each beside
// a bare SELECT of the same rows from the same files. Counters: rows, stored entries, peak
// heap during the read and heap still held afterwards, per stored entry.
#include "core/Clock.h"
#include "core/ResultDatabase.h"
#include "core/SqlConnection.h"
#include "core/TemperatureChartData.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

const QDate today(2024, 3, 30);
constexpr int RoundsPerDay = 8640;   // one round every 10 s
constexpr int Cameras = 8;
constexpr int Stages = 2;
constexpr int Regions = 10;
constexpr int RangeDays = 30;

class FixedClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(today, QTime(12, 0)); }
};

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// Samples the heap while an operation runs and keeps the highest value.
class HeapPeak
{
public:
    HeapPeak() : baseline(heapInUse()), peak(baseline)
    {
        sampler = std::thread([this] {
            while (!done.load()) {
                const qint64 now = heapInUse();
                if (now > peak.load())
                    peak.store(now);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    ~HeapPeak() { stop(); }

    qint64 stop()
    {
        if (sampler.joinable()) {
            done.store(true);
            sampler.join();
        }
        return qMax(peak.load(), heapInUse()) - baseline;
    }

    const qint64 baseline;

private:
    std::atomic<qint64> peak;
    std::atomic_bool done{false};
    std::thread sampler;
};

bool exec(QSqlQuery &query, const QString &sql)
{
    if (!query.exec(sql)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(query.lastError().text()));
        return false;
    }
    return true;
}

// One day of rows in "ResStatistics.db": 8,640 rounds x 8 cameras x 2 stages, 10 regions a row,
// the first two of them temperature regions.
bool generateToday()
{
    SqlConnection connection(QStringLiteral("generate"));
    if (!connection.open(QString::fromLatin1(resultDatabaseFile)))
        return false;
    QSqlDatabase db = connection.database();
    QSqlQuery query(db);
    if (!ensureResultTables(db) || !exec(query, "PRAGMA synchronous = OFF")
        || !exec(query, "PRAGMA journal_mode = OFF") || !db.transaction())
        return false;
    if (!query.prepare("INSERT INTO res_report (roundstart, detectstart, idx_camera, idx_detect,"
                       " roi_detail, roi_result, result, description)"
                       " values (?, ?, ?, ?, ?, ?, ?, '')"))
        return false;
    const QDateTime midnight(today, QTime(0, 0));
    const QString okResults = QStringLiteral("[1,1,1,1,1,1,1,1,1,1]");
    const QString ngResults = QStringLiteral("[1,1,1,1,0,1,1,1,1,1]");
    for (int round = 0; round < RoundsPerDay; ++round) {
        const QDateTime roundStart = midnight.addSecs(qint64(round) * 10);
        const QString roundText = roundStart.toString("yyyy-MM-dd hh:mm:ss.zzz");
        for (int camera = 0; camera < Cameras; ++camera) {
            for (int stage = 0; stage < Stages; ++stage) {
                const int temperature = 40 + (round + camera) % 30;
                QString detail = QStringLiteral("[[9,%1,0,800],[9,%2,0,800]").arg(temperature).arg(temperature + 3);
                for (int r = 2; r < Regions; ++r)
                    detail += QStringLiteral(",[0,%1,0,800]").arg(100 + r);
                detail += QLatin1Char(']');
                const bool ng = round % 50 == 0 && camera == 3;
                query.addBindValue(roundText);
                query.addBindValue(roundStart.addMSecs(stage * 3000 + camera * 37)
                                       .toString("yyyy-MM-dd hh:mm:ss.zzz"));
                query.addBindValue(camera);
                query.addBindValue(stage);
                query.addBindValue(detail);
                query.addBindValue(ng ? ngResults : okResults);
                query.addBindValue(ng ? 0 : 1);
                if (!query.exec())
                    return false;
            }
        }
    }
    query.finish();
    return db.commit();
}

// The archives of the days before today: copies of today's rows under their own date.
bool generateArchives()
{
    QDir().mkpath(QString::fromLatin1(resultArchiveFolder));
    SqlConnection connection(QStringLiteral("generate"));
    if (!connection.open(QString::fromLatin1(resultDatabaseFile)))
        return false;
    QSqlQuery query(connection.database());
    for (int back = 1; back < RangeDays; ++back) {
        const QDate day = today.addDays(-back);
        const QString file =
            QDir(resultArchiveFolder).absoluteFilePath(day.toString("yyyy-MM-dd") + ".db");
        query.prepare("ATTACH DATABASE ? AS day");
        query.addBindValue(file);
        if (!query.exec() || !exec(query, "PRAGMA day.synchronous = OFF")
            || !exec(query, "CREATE TABLE day.res_report(idx INTEGER PRIMARY KEY, roundstart"
                            " VARCHAR(32) NOT NULL, detectstart VARCHAR(32) NOT NULL, idx_camera"
                            " INT NOT NULL, idx_detect INT NOT NULL, roi_detail TEXT NOT NULL,"
                            " roi_result TEXT NOT NULL, result tinyint NOT NULL, description TEXT)"))
            return false;
        query.prepare("INSERT INTO day.res_report SELECT idx, ? || substr(roundstart, 11),"
                      " ? || substr(detectstart, 11), idx_camera, idx_detect, roi_detail,"
                      " roi_result, result, description FROM main.res_report");
        query.addBindValue(day.toString("yyyy-MM-dd"));
        query.addBindValue(day.toString("yyyy-MM-dd"));
        if (!query.exec() || !exec(query, "DETACH DATABASE day"))
            return false;
    }
    return true;
}

// The data lives in one temporary working folder for the whole run.
struct Fixture
{
    Fixture()
    {
        setWallClock(&clock);
        QDir::setCurrent(folder.path());
        ready = generateToday() && generateArchives();
    }
    FixedClock clock;
    QTemporaryDir folder;
    bool ready = false;
};

Fixture &fixture()
{
    static Fixture data;
    return data;
}

ResultQuery rangeQuery()
{
    ResultQuery query;
    query.from = QDateTime(today.addDays(-(RangeDays - 1)), QTime(0, 0));
    query.to = QDateTime(today, QTime(23, 59, 59, 999));
    return query;
}

// The plain reference: the same rows with every column fetched, nothing kept.
qint64 bareSelect(const ResultQuery &range)
{
    SqlConnection connection(QStringLiteral("bare"));
    qint64 rows = 0;
    for (QDate day = range.from.date(); day <= range.to.date(); day = day.addDays(1)) {
        const QString from = day.toString("yyyy-MM-dd") + " 00:00:00.000";
        const QString to = day.toString("yyyy-MM-dd") + " 23:59:59.999";
        for (const QString &file : resultDayFiles(day, today)) {
            connection.open(file, true);
            QSqlQuery query(connection.database());
            query.setForwardOnly(true);
            query.prepare("select * from res_report where roundstart >= ? and roundstart <= ?");
            query.addBindValue(from);
            query.addBindValue(to);
            query.exec();
            while (query.next()) {
                qint64 size = 0;
                for (int column = 0; column < 9; ++column)
                    size += query.value(column).toString().size();
                benchmark::DoNotOptimize(size);
                ++rows;
            }
        }
    }
    return rows;
}

void setMemoryCounters(benchmark::State &state, qint64 peak, qint64 held, qint64 entries)
{
    state.counters["peak_MB"] = double(peak) / (1 << 20);
    state.counters["held_MB"] = double(held) / (1 << 20);
    if (entries > 0) {
        state.counters["entries"] = double(entries);
        state.counters["bytes_per_entry"] = double(held) / double(entries);
    }
}

// Runs read on a fresh store per iteration; entries counts what the store then holds.
template <typename Read, typename Entries>
void measureStoreRead(benchmark::State &state, Read read, Entries entries)
{
    if (!fixture().ready) {
        state.SkipWithError("no data");
        return;
    }
    for (auto _ : state) {
        HeapPeak heap;
        auto store = std::make_unique<TemperatureChartData>();
        read(*store);
        state.PauseTiming();
        const qint64 peak = heap.stop();
        const qint64 held = heapInUse() - heap.baseline;
        setMemoryCounters(state, peak, held, entries(*store));
        store.reset();
        state.ResumeTiming();
    }
}

void BM_StartupRead(benchmark::State &state)
{
    measureStoreRead(
        state,
        [](TemperatureChartData &store) {
            store.Init();
            while (!store.isReadFinished())
                QThread::usleep(200);
        },
        [](const TemperatureChartData &store) { return store.todayResults().size(); });
}

void BM_BareSelectDay(benchmark::State &state)
{
    if (!fixture().ready) {
        state.SkipWithError("no data");
        return;
    }
    ResultQuery day;
    day.from = QDateTime(today, QTime(0, 0));
    day.to = QDateTime(today, QTime(23, 59, 59, 999));
    for (auto _ : state) {
        HeapPeak heap;
        state.counters["rows"] = double(bareSelect(day));
        setMemoryCounters(state, heap.stop(), heapInUse() - heap.baseline, 0);
    }
}

void BM_RangeRead30Days(benchmark::State &state)
{
    measureStoreRead(
        state,
        [](TemperatureChartData &store) {
            store.SetQuery(rangeQuery());
            store.setResultMode(1);
            // What the reader thread runs for the statistics window: rows, axis and counts.
            // No read was started, so the store takes the answer of read 0.
            store.LoadResults(0, rangeQuery());
        },
        [&state](const TemperatureChartData &store) {
            state.counters["rounds"] = store.totalCycles();
            return store.loadedResults().size();
        });
}

void BM_RangeTemperatures30Days(benchmark::State &state)
{
    measureStoreRead(
        state,
        [](TemperatureChartData &store) {
            store.SetQuery(rangeQuery());
            store.setChartMode(2);
            store.LoadTemperatures(0, rangeQuery());
        },
        [](const TemperatureChartData &store) {
            qint64 points = 0;
            for (const auto &series : store.GetSeries())
                points += series.size();
            return points;
        });
}

void BM_BareSelect30Days(benchmark::State &state)
{
    if (!fixture().ready) {
        state.SkipWithError("no data");
        return;
    }
    for (auto _ : state) {
        HeapPeak heap;
        state.counters["rows"] = double(bareSelect(rangeQuery()));
        setMemoryCounters(state, heap.stop(), heapInUse() - heap.baseline, 0);
    }
}

} // namespace

BENCHMARK(BM_BareSelectDay)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StartupRead)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BareSelect30Days)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RangeRead30Days)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RangeTemperatures30Days)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
