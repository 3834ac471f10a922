#ifndef CORE_RESULTDATABASE_H
#define CORE_RESULTDATABASE_H

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The result database "ResStatistics.db" of the working directory: table res_report with the
// result store's rows and table resstatistics with the production counts. Once a day the file
// is moved into the archive folder "./ResStatistics" under the date of its rows.

extern const char resultDatabaseFile[];    // "ResStatistics.db"
extern const char resultArchiveFolder[];   // "ResStatistics"

// Creates res_report and resstatistics when they are missing. Every path that opens or creates
// the file runs it, so a file made by whichever user comes first holds both tables.
// Logs and returns false when a statement fails.
bool ensureResultTables(QSqlDatabase &db);

// Start-up check of "ResStatistics.db": a damaged file is moved aside under a dated name (see
// DamagedFile.h) and a new one with both tables takes its place. Returns the path the damaged
// file now has, empty when the file was sound or missing. Whoever opens the file first at
// start-up runs it; later calls in the same folder return at once.
QString replaceDamagedResultDatabase();
// The path of the damaged result database this process moved aside, handed out once so that
// the operator is told once; empty afterwards and when none was moved.
QString takeReplacedResultDatabase();

// The files that hold rows of the given day, oldest first: the archives of that date (the
// first one named "yyyy-MM-dd.db", later ones of the same date "yyyy-MM-dd_<n>.db") and, when
// the day is today, the current "ResStatistics.db". Only files that exist are listed.
QStringList resultDayFiles(const QDate &day, const QDate &today);

// A path in the archive folder for the rows of date that no file uses yet: "yyyy-MM-dd.db",
// else the first free "yyyy-MM-dd_<n>.db" (the clock can be set back, so a date can end twice).
QString freeArchivePath(const QString &archiveFolder, const QDate &date);

#endif
