#ifndef CORE_TEMPERATURECHARTDATA_H
#define CORE_TEMPERATURECHARTDATA_H

#include "core/CycleResult.h"
#include "core/FailureLatch.h"
#include "core/ResultMap.h"
#include "core/ResultQuery.h"
#include "core/ResultReader.h"

#include <QDateTime>
#include <QFuture>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

class QProcess;
class SqlConnection;
class dataThread;

// The result store. After every evaluated detect stage it takes one CycleResult, writes it as a
// row of res_report in "ResStatistics.db" and keeps today's temperature series and per-region
// verdicts in memory for the statistics and chart windows. It reads today's rows back at
// start-up, answers time-range queries over the day files on its reader thread, counts rounds
// per time bucket and exports ranges through the export program.
//
// Threads: the GUI thread calls everything public; the start-up read runs on the global thread
// pool and range reads on dataThread. Each of them opens a connection of its own. Maps, lists
// and totals are guarded by one mutex that is never held while rows are read from disk.
class TemperatureChartData : public QObject
{
    Q_OBJECT

public:
    // The process-wide store, created on the first call (on the GUI thread at start-up).
    static TemperatureChartData *instance();

    explicit TemperatureChartData(QObject *parent = nullptr);
    ~TemperatureChartData() override;

    // Makes sure the result database holds its tables, creates the reader thread, sets the
    // stored query to today and starts the start-up read. False when the database cannot be
    // opened; rows are then only held back, up to MaxPendingRows.
    bool Init();

    // The record of the stage being handled; the run controller copies it, stamps it and hands
    // it back, the detection engine hands in each evaluated stage.
    void SetCurrentCycle(const CycleResult &cycle);
    CycleResult currentCycle() const;
    // Adds the current record to today's series, the live points and today's results.
    void AppendCycleData();
    // Writes the current record as a row; until the start-up read is done rows wait and are
    // written afterwards in arrival order. False when a write failed or a row was dropped.
    bool InsertResult();
    // Writes the rows that wait (the database was unavailable or the disk full); called before
    // the program ends or restarts, since rows held in memory do not survive it. False when
    // rows still wait.
    bool WritePendingRows();
    // Minutes between timed records. 0 marks every row as a timed record; below 0 switches
    // timed records off. No zero-interval timer is ever started.
    void SetRecordInterval(int minutes);

    // Queries, read by the statistics and chart windows.
    void SetQuery(const ResultQuery &query);
    ResultQuery query() const;
    // Empties the loaded maps and starts the reader thread; false (nothing touched) while a
    // read is still running.
    bool StartQuery();
    void ResetDayAxis();
    void BuildRangeAxis();
    void ComputeHourlyCounts();
    // The OK counts per bucket followed by the NG counts per bucket.
    QList<int> GetHourlyCounts() const;
    // Today's series in chart mode 0, the loaded range in mode 2, else nothing.
    SeriesMap GetSeries() const;
    // Points added since the plot last drew; the plot takes a copy, then clears them.
    SeriesMap liveSeries() const;
    void ClearLivePoints();
    // The statistics day roll-over drops today's data.
    void ClearTodayResults();
    void ClearTodaySeries();
    // Starts the export program for the stored query's range into a new folder inside folder.
    // Kind 2 exports only timed records. exportFinish() reports the end; false when no export
    // started (one still runs, or the program could not be started).
    bool ExportData(int kind, const QString &folder);

    // 0 today's series (real time), 1 paused, 2 the loaded range.
    int chartMode() const { return chartModeValue.load(); }
    void setChartMode(int mode) { chartModeValue.store(mode); }
    // 0 counts from today's results, 1 from the loaded range.
    int resultMode() const { return resultModeValue.load(); }
    void setResultMode(int mode) { resultModeValue.store(mode); }

    int totalCycles() const;
    int ngCycles() const;
    double ngRate() const;   // percent; 0 when no round was counted
    double bucketSeconds() const;
    // [0] the start label and [1] the end label of every bucket, "MM-dd hh:mm:ss".
    QList<QStringList> axisLabels() const;
    ResultMap todayResults() const;
    ResultMap loadedResults() const;

    bool isReadFinished() const { return readFinished.load(); }
    bool isExportBusy() const { return exportBusy; }
    int pendingRowCount() const { return pendingInserts.size(); }
    dataThread *reader() const { return readerThread; }

    // Reader-thread steps, called by dataThread::run.
    void LoadTemperatures();
    void LoadResults();
    void FinishRead() { readerBusy.store(false); }

    // Rows held back while the database is unavailable; older ones are dropped beyond this.
    static constexpr int MaxPendingRows = 20000;
    // While rows wait after a failed write, they are tried again this often, so they reach
    // the file soon after space returns even when no cycle runs.
    static constexpr int RetryMs = 5000;

signals:
    // The export program ended (succeeded: it ran and exited with 0) or could not be started.
    void exportFinish(bool succeeded);

private:
    struct PendingRow
    {
        QString roundStart;
        QString detectStart;
        int camera;
        int detect;
        QString detail;
        QString result;
        int verdict;
        QString description;
    };

    void LoadToday(const QDate &today);
    bool FlushPending();
    void FinishExport(QProcess *process, bool succeeded);

    mutable QMutex resultStoreMutex;

    dataThread *readerThread = nullptr;
    QFuture<void> startupRead;
    std::unique_ptr<SqlConnection> insertConnection;   // GUI thread only
    QList<PendingRow> pendingInserts;                  // GUI thread only
    qint64 droppedRows = 0;
    FailureLatch writeFailures{QStringLiteral("result rows")};   // GUI thread only
    QTimer retryTimer;

    std::atomic_int chartModeValue{0};
    std::atomic_int resultModeValue{0};

    // Guarded by resultStoreMutex.
    SeriesMap todaySeriesMap;
    SeriesMap loadedSeriesMap;
    SeriesMap liveSeriesMap;
    ResultMap todayResultMap{ResultMap::RoundStartKey};
    ResultMap loadedResultMap{ResultMap::CaptureTimeKey};
    quint64 clearGeneration = 0;   // bumped by every clear of today's data
    ResultQuery storedQuery;
    int rounds = 0;
    int ngRounds = 0;
    double ngPercent = 0.0;
    double bucketLength = 3600.0;
    QStringList startLabels;
    QStringList endLabels;
    QList<int> okCounts;
    QList<int> ngCounts;
    QDateTime axisStart;
    QDateTime axisEnd;

    std::atomic_bool readFinished{false};
    std::atomic_bool readerBusy{false};
    std::atomic_bool stopping{false};
    bool initialised = false;
    bool exportBusy = false;

    CycleResult cycle;
    QTimer recordTimer;
    bool recordFlag = true;
    int recordMinutes = 30;
};

#endif
