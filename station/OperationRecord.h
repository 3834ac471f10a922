#ifndef STATION_OPERATIONRECORD_H
#define STATION_OPERATIONRECORD_H

#include "core/FailureLatch.h"
#include "core/SqlConnection.h"

#include <QDir>
#include <QList>
#include <QString>

// The operation record: table RECORD(recordtime, recordpassword, remarks) of "RECORD.db" in the
// working directory, one row per noteworthy event. Once a day the live file moves into
// "./RECORD" under the date it was live ("yyyy-MM-dd.db"; a later file of the same date, after
// the clock was set back, gets "yyyy-MM-dd_<n>.db") and a new file takes its place;
// "time.txt" holds the date of the live file. The main window owns the one instance; GUI
// thread only. Times and dates come from wallClock().
class OperationRecord
{
public:
    static constexpr char DatabaseFile[] = "RECORD.db";
    static constexpr char DateFile[] = "time.txt";
    static constexpr char ArchiveFolder[] = "./RECORD";

    OperationRecord();
    // Rows that still wait get a last try.
    ~OperationRecord();

    OperationRecord(const OperationRecord &) = delete;
    OperationRecord &operator=(const OperationRecord &) = delete;

    // Start-up: creates "RECORD.db" when missing and opens it. A damaged file is moved aside
    // under a dated name and a new one started, so the rows of the day still have a place.
    bool Open();
    // Start-up: the date of the live file from "time.txt"; when the file cannot be read or
    // holds no date, today, which is then written to it.
    void LoadDate();

    // Appends one row: the time "hh.mm.ss", the text of the login level and the remark, all
    // bound. Reopens a closed connection. A row that cannot be written (a full disk) waits in
    // memory with its time and is written with the next row or date check that succeeds;
    // false while rows wait. The failure is logged once, not once per row.
    bool InsertRecord(const QString &remark, int userLevel);
    // Writes the rows that wait; false when they still wait.
    bool WritePendingRows();
    // Deletes every row (the rows still waiting too).
    bool ClearRecord();
    // Writes rows that wait. On a new date: archives the live file, starts a new one and stores
    // today in "time.txt". The connection stays closed until the next write.
    void CheckDate();
    // Writes rows that wait, then closes the connection.
    void Close();

    // Makes a new "RECORD.db" with its table and first row; false when the table could not be
    // made.
    static bool CreateRecordDatabase();

    QString recordDate() const { return date; }
    const QDir &recordDir() const { return archive; }
    bool isOpen() const { return connection.isOpen(); }
    // The connection on the live file (closed between writes after a date check).
    QSqlDatabase database() const { return connection.database(); }
    int pendingRowCount() const { return pendingRows.size(); }

    // Rows held while they cannot be written; the oldest are dropped beyond this.
    static constexpr int MaxPendingRows = 1000;

private:
    struct Row
    {
        QString time;
        QString level;
        QString remark;
    };

    bool WriteDate();

    SqlConnection connection;
    QDir archive;
    QString date;
    QList<Row> pendingRows;
    FailureLatch writeFailures{QStringLiteral("operation record rows")};
};

#endif
