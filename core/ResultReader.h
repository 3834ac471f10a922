#ifndef CORE_RESULTREADER_H
#define CORE_RESULTREADER_H

#include "core/ResultMap.h"
#include "core/ResultQuery.h"
#include "core/SqlConnection.h"

#include <QMap>
#include <QPointF>
#include <QString>
#include <QVector>

#include <atomic>

// Temperature series of the result store: series key "C:%1_D:%2_F:%3" to points (x = capture
// time in whole seconds since the epoch, y = the region's value).
using SeriesMap = QMap<QString, QVector<QPointF>>;

// Tool type of a temperature-alarm region: its measured value becomes a series point.
constexpr int TemperatureToolType = 9;
// Rows are bounds-checked against these before they index anything.
constexpr int ResultCameraCount = 8;
constexpr int ResultDetectCount = 8;
constexpr int ResultRegionCount = 50;

// Reads result rows back from the result database files on the calling thread, through a
// connection of its own that it reuses from file to file. Everything is read into the maps
// the caller passes; the caller decides when and under which lock to publish them.
class ResultReader
{
public:
    // stop, when given, is polled between rows so that a long read can be abandoned.
    explicit ResultReader(const QString &connectionBase,
                          const std::atomic_bool *stop = nullptr);

    // The start-up read: the rows of today in "ResStatistics.db", oldest first. A result of a
    // key seen before keeps the first entry, just as the live path keeps it.
    bool readToday(const QDate &today, ResultMap &results, SeriesMap &series);

    // Range reads over the day files of query.from to query.to (archives and, for today, the
    // current file). results is keyed by capture time; a later row of the same key replaces
    // the earlier one. series takes the points of query.region (or all regions with -1).
    // Both return false when a file could not be opened; the walk ends there with what was
    // read so far.
    bool readResults(const ResultQuery &query, const QDate &today, ResultMap &results);
    bool readSeries(const ResultQuery &query, const QDate &today, SeriesMap &series);

    // One row as the walk hands it on; the JSON columns are read from query.
    struct Row;

private:
    template <typename Visit>
    bool walkDays(const ResultQuery &query, const QDate &today, const QString &columns,
                  Visit visit);
    template <typename Visit>
    bool readFile(const QString &file, const QString &from, const QString &to, int camera,
                  int detect, const QString &columns, Visit visit);

    bool stopRequested() const { return stop && stop->load(std::memory_order_relaxed); }

    SqlConnection connection;
    const std::atomic_bool *stop;
};

#endif
