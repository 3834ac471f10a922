#ifndef STATION_OPERATIONRECORD_H
#define STATION_OPERATIONRECORD_H

#include "core/SqlConnection.h"

#include <QDir>
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

    OperationRecord(const OperationRecord &) = delete;
    OperationRecord &operator=(const OperationRecord &) = delete;

    // Start-up: creates "RECORD.db" when missing and opens it.
    bool Open();
    // Start-up: the date of the live file from "time.txt"; when the file cannot be read or
    // holds no date, today, which is then written to it.
    void LoadDate();

    // Appends one row: the time "hh.mm.ss", the text of the login level and the remark, all
    // bound. Reopens a closed connection. Logs and returns false when the row was not written.
    bool InsertRecord(const QString &remark, int userLevel);
    // Deletes every row.
    bool ClearRecord();
    // On a new date: archives the live file, starts a new one and stores today in "time.txt".
    // The connection stays closed until the next write.
    void CheckDate();
    void Close();

    // Makes a new "RECORD.db" with its table and first row; false when the table could not be
    // made.
    static bool CreateRecordDatabase();

    QString recordDate() const { return date; }
    const QDir &recordDir() const { return archive; }
    bool isOpen() const { return connection.isOpen(); }

private:
    bool WriteDate();

    SqlConnection connection;
    QDir archive;
    QString date;
};

#endif
