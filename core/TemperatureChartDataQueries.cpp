// Range queries, the time axis and the round counts of the result store.
#include "core/TemperatureChartData.h"

#include "core/Clock.h"
#include "core/TimeStamp.h"
#include "core/dataThread.h"

#include <QMutexLocker>

#include <cmath>

namespace {

const char labelFormat[] = "MM-dd hh:mm:ss";

QString label(const QDateTime &time)
{
    return time.toString(QLatin1String(labelFormat));
}

} // namespace

void TemperatureChartData::SetQuery(const ResultQuery &newQuery)
{
    QMutexLocker locker(&resultStoreMutex);
    storedQuery = newQuery;
}

ResultQuery TemperatureChartData::query() const
{
    QMutexLocker locker(&resultStoreMutex);
    return storedQuery;
}

quint64 TemperatureChartData::StartQuery()
{
    if (!readerThread) {
        qWarning("range query before the result store was initialised");
        return 0;
    }
    const bool temperatures = chartMode() == 2;
    const bool results = resultMode() == 1;
    if (!temperatures && !results) {
        qInfo("range query without anything to read");
        return 0;
    }
    if (readerBusy.exchange(true)) {
        qInfo("a range read is still running; the new query is not started");
        return 0;
    }
    // The previous read has reported; let its thread end before it is started again.
    readerThread->wait();
    const quint64 read = ++lastRead;
    ResultQuery range;
    {
        QMutexLocker locker(&resultStoreMutex);
        loadedSeriesMap.clear();
        loadedResultMap.clear();
        wantedRead = read;
        range = storedQuery;
    }
    cancelRead.store(false);
    readerThread->setRead(read, range, temperatures, results);
    readerThread->start();
    return read;
}

void TemperatureChartData::DropRead(quint64 read)
{
    QMutexLocker locker(&resultStoreMutex);
    if (read == 0 || read != wantedRead)
        return;
    wantedRead = 0;
    cancelRead.store(true);
}

void TemperatureChartData::LoadTemperatures(quint64 read, const ResultQuery &range)
{
    SeriesMap series;
    ResultReader reader(QStringLiteral("ResDB"), &cancelRead);
    reader.readSeries(range, wallClock()->now().date(), series);
    QMutexLocker locker(&resultStoreMutex);
    if (read == wantedRead)
        loadedSeriesMap = std::move(series);
}

void TemperatureChartData::LoadResults(quint64 read, const ResultQuery &range)
{
    ResultMap results(ResultMap::CaptureTimeKey);
    ResultReader reader(QStringLiteral("ResDB"), &cancelRead);
    reader.readResults(range, wallClock()->now().date(), results);
    QMutexLocker locker(&resultStoreMutex);
    // A dropped read leaves the axis and the counts to whoever shows them now.
    if (read != wantedRead)
        return;
    loadedResultMap = std::move(results);
    BuildRangeAxisLocked(range);
    ComputeCountsLocked(range, loadedResultMap);
}

void TemperatureChartData::ResetDayAxis()
{
    const QDate today = wallClock()->now().date();
    QMutexLocker locker(&resultStoreMutex);
    axisStart = QDateTime(today, QTime(0, 0));
    axisEnd = QDateTime(today.addDays(1), QTime(0, 0));
    bucketLength = axisStart.secsTo(axisEnd) / 24.0;
    startLabels.clear();
    endLabels.clear();
    for (int i = 0; i < 24; ++i) {
        const QDateTime start = axisStart.addSecs(qint64(bucketLength) * i);
        startLabels << label(start);
        endLabels << label(start.addSecs(3600));
    }
}

void TemperatureChartData::BuildRangeAxis()
{
    QMutexLocker locker(&resultStoreMutex);
    BuildRangeAxisLocked(storedQuery);
}

void TemperatureChartData::BuildRangeAxisLocked(const ResultQuery &range)
{
    const QDateTime from = range.from;
    const QDateTime to = range.to;
    const qint64 seconds = from.secsTo(to);
    axisStart = from;
    axisEnd = to;
    const qint64 hours = qint64(std::ceil(seconds / 3600.0));
    int buckets = 24;
    if (hours < 25) {
        bucketLength = 3600.0;
        buckets = int(qMax<qint64>(hours, 1));
    } else {
        bucketLength = seconds / 24.0;
    }
    startLabels.clear();
    endLabels.clear();
    for (int i = 0; i < buckets; ++i) {
        const QDateTime start = from.addSecs(qint64(bucketLength) * i);
        startLabels << label(start);
        endLabels << label(i + 1 < buckets ? start.addSecs(qint64(bucketLength)) : to);
    }
}

void TemperatureChartData::ComputeHourlyCounts()
{
    QMutexLocker locker(&resultStoreMutex);
    const ResultMap empty;
    const int mode = resultMode();
    ComputeCountsLocked(storedQuery,
                        mode == 0 ? todayResultMap : mode == 1 ? loadedResultMap : empty);
}

void TemperatureChartData::ComputeCountsLocked(const ResultQuery &range, const ResultMap &results)
{
    const qint64 rangeMSecs = range.from.msecsTo(range.to);
    const int buckets = int(qBound<qint64>(0, qint64(std::ceil(rangeMSecs / 3600000.0)), 24));
    okCounts = QList<int>();
    ngCounts = QList<int>();
    for (int i = 0; i < buckets; ++i) {
        okCounts << 0;
        ngCounts << 0;
    }
    rounds = 0;
    ngRounds = 0;

    const qint64 startMSecs = axisStart.toMSecsSinceEpoch();
    const double bucketMSecs = bucketLength * 1000.0;
    qint64 lastCountedRound = -1;
    bool ngCounted = false;
    LocalTimeCache clock;
    if (axisStart.isValid() && bucketMSecs > 0) {
        for (const ResultEntry &entry : results) {
            if ((range.camera != -1 && range.camera != entry.camera)
                || (range.detect != -1 && range.detect != entry.detect)
                || (range.region != -1 && range.region != entry.region))
                continue;
            const double offset = double(clock.toMSecsSinceEpoch(entry.roundStart) - startMSecs);
            const double bucket = std::floor(offset / bucketMSecs);
            if (bucket < 0 || bucket >= buckets)
                continue;
            const int f = int(bucket);
            if (lastCountedRound >= 0 && lastCountedRound == entry.roundStart) {
                // Another entry of the round just counted: one NG makes the round NG.
                if (entry.result == 0 && !ngCounted) {
                    --okCounts[f];
                    ++ngCounts[f];
                    ngCounted = true;
                    ++ngRounds;
                }
                continue;
            }
            ++rounds;
            lastCountedRound = entry.roundStart;
            if (entry.result != 0) {
                ++okCounts[f];
                ngCounted = false;
            } else {
                ++ngCounts[f];
                ngCounted = true;
                ++ngRounds;
            }
        }
    }
    ngPercent = rounds > 0 ? ngRounds * 100.0 / rounds : 0.0;
}

QList<int> TemperatureChartData::GetHourlyCounts() const
{
    QMutexLocker locker(&resultStoreMutex);
    return okCounts + ngCounts;
}

SeriesMap TemperatureChartData::SeriesOfModeLocked() const
{
    switch (chartMode()) {
    case 0:
        return todaySeriesMap;
    case 2:
        return loadedSeriesMap;
    default:
        return SeriesMap();
    }
}

SeriesMap TemperatureChartData::GetSeries() const
{
    QMutexLocker locker(&resultStoreMutex);
    return SeriesOfModeLocked();
}

SeriesMap TemperatureChartData::TakeSeries()
{
    QMutexLocker locker(&resultStoreMutex);
    liveSeriesMap.clear();
    return SeriesOfModeLocked();
}

SeriesMap TemperatureChartData::liveSeries() const
{
    QMutexLocker locker(&resultStoreMutex);
    return liveSeriesMap;
}

SeriesMap TemperatureChartData::TakeLivePoints()
{
    QMutexLocker locker(&resultStoreMutex);
    SeriesMap points;
    points.swap(liveSeriesMap);
    return points;
}

void TemperatureChartData::ClearLivePoints()
{
    QMutexLocker locker(&resultStoreMutex);
    liveSeriesMap.clear();
}

void TemperatureChartData::setLiveCollecting(bool on)
{
    liveCollecting = on;
    if (!on)
        ClearLivePoints();
}

void TemperatureChartData::ClearTodayResults()
{
    QMutexLocker locker(&resultStoreMutex);
    todayResultMap.clear();
    ++clearGeneration;
}

void TemperatureChartData::ClearTodaySeries()
{
    QMutexLocker locker(&resultStoreMutex);
    todaySeriesMap.clear();
    liveSeriesMap.clear();
    ++clearGeneration;
}

int TemperatureChartData::totalCycles() const
{
    QMutexLocker locker(&resultStoreMutex);
    return rounds;
}

int TemperatureChartData::ngCycles() const
{
    QMutexLocker locker(&resultStoreMutex);
    return ngRounds;
}

double TemperatureChartData::ngRate() const
{
    QMutexLocker locker(&resultStoreMutex);
    return ngPercent;
}

double TemperatureChartData::bucketSeconds() const
{
    QMutexLocker locker(&resultStoreMutex);
    return bucketLength;
}

QList<QStringList> TemperatureChartData::axisLabels() const
{
    QMutexLocker locker(&resultStoreMutex);
    return {startLabels, endLabels};
}

ResultMap TemperatureChartData::todayResults() const
{
    QMutexLocker locker(&resultStoreMutex);
    return todayResultMap;
}

ResultMap TemperatureChartData::loadedResults() const
{
    QMutexLocker locker(&resultStoreMutex);
    return loadedResultMap;
}
