#ifndef STATISTICS_STATISTICSDATA_H
#define STATISTICS_STATISTICSDATA_H

#include "core/FailureLatch.h"
#include "core/SqlConnection.h"
#include "statistics/CountTree.h"

#include <QDate>
#include <QString>

#include <functional>

class TemperatureChartData;

// The production counts of the current statistics day per camera, detect stage and hour, kept
// in table resstatistics of "ResStatistics.db" (one row per node, "C%1_D%2", 8 standing for
// all cameras or all stages). It also owns the statistics day: "restime.txt" holds its start,
// and at the first check on a new date the day's file is archived into "./ResStatistics".
// GUI thread only; the main window keeps the one instance.
class StatisticsData
{
public:
    // cameraCount and detectsPerCamera bound the rows in use. resultStore drops its data of
    // the day at a roll-over. showOpenFailure, when given, tells the operator that the file
    // cannot be opened or was found damaged at start-up (it is then moved aside under a dated
    // name and a new one started, by whichever user of the file opened it first). The station
    // goes on either way; no reboot could mend the file.
    StatisticsData(int cameraCount, int detectsPerCamera, TemperatureChartData *resultStore,
                   std::function<void()> showOpenFailure = {});

    StatisticsData(const StatisticsData &) = delete;
    StatisticsData &operator=(const StatisticsData &) = delete;

    // Counts one verdict in the given hour (0 to 23) of the local clock, after the day check.
    // False when the verdict is out of range or the counts could not be saved (they are kept
    // in memory and saved with the next verdict).
    bool AddResult(int hour, bool ok, int camera, int stage);

    // Rolls the day over when the local date differs from that of the day start.
    void CheckDay();
    // Archives the day's file under endedDate ("yyyy-MM-dd") and starts a new one.
    bool RollOverDay(const QString &endedDate);
    // Creates "ResStatistics.db" with its tables where any is missing.
    static bool CreateResultDatabase();

    // Fills tree from the rows in use; false when the rows cannot be read.
    bool LoadCounts(CountTree &tree);
    // Writes every row in use from tree in one transaction. Refuses a tree while the stored
    // counts were never loaded, so a failed open can never wipe them.
    bool SaveAll(const CountTree &tree);
    // Restores the sums of liveTree from its leaves.
    void Aggregate();

    const CountTree &counts() const { return liveTree; }
    // Start of the statistics day, seconds since the epoch, 08:00 local time of its date.
    quint32 dayStart() const { return dayStartSeconds; }

private:
    bool OpenDatabase();
    bool EnsureLoaded();
    void LoadDayStart();
    bool WriteDayStart();
    QDate DateOfStoredRows();
    bool IsInUse(int camera, int stage) const;

    CountTree liveTree;
    SqlConnection database;
    quint32 dayStartSeconds = 0;
    int cameras;
    int stages;
    TemperatureChartData *results;
    bool treeLoaded = false;
    FailureLatch saveFailures{QStringLiteral("production counts")};
};

#endif
