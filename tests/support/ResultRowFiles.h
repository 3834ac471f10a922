#ifndef TESTS_SUPPORT_RESULTROWFILES_H
#define TESTS_SUPPORT_RESULTROWFILES_H

#include "core/CycleResult.h"

#include <QDateTime>
#include <QList>
#include <QString>

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

// Creates the file with both tables when needed and appends the rows in one transaction.
bool writeResultRows(const QString &file, const QList<CycleResult> &cycles);
QList<StoredRow> readResultRows(const QString &file);
// Rows of table resstatistics as {name, value1, value2}, by name; empty without the table.
QList<QStringList> readCountRows(const QString &file);

#endif
