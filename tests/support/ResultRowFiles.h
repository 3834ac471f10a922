#ifndef TESTS_SUPPORT_RESULTROWFILES_H
#define TESTS_SUPPORT_RESULTROWFILES_H

#include "core/CycleResult.h"
#include "core/SqlConnection.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>

class QSqlQuery;

// Result database files for tests: rows written the way the result store writes them, and
// read back in row order.
struct StoredRow
{
    QString roundStart;
    QString detectStart;
    int camera = 0;
    int detect = 0;
    QString detail;
    QString result;
    int verdict = 0;
    QString description;
};

// One stage record: regions with the given verdicts; region 0 is a temperature region with
// the given value when temperature >= 0.
CycleResult makeCycle(int camera, int detect, const QDateTime &roundStart,
                      const QDateTime &detectStart, const QList<int> &verdicts,
                      int temperature = -1);

// Creates the file with both tables when needed and appends the rows in one transaction;
// each row's description is the cycle's.
bool writeResultRows(const QString &file, const QList<CycleResult> &cycles);
QList<StoredRow> readResultRows(const QString &file);
// Rows of table resstatistics as {name, value1, value2}, by name; empty without the table.
QList<QStringList> readCountRows(const QString &file);

// Holds a result day file in an exclusive transaction, so that a reader of it waits (up to
// SQLite's busy timeout, 5 s under Qt) until release() or the end of the lock.
class DayFileLock
{
public:
    explicit DayFileLock(const QString &file);
    ~DayFileLock();

    bool isHeld() const { return held; }
    bool release();

private:
    SqlConnection connection;
    std::unique_ptr<QSqlQuery> query;
    bool held = false;
};

#endif
