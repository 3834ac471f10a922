#ifndef CORE_SYSPARAMTABLE_H
#define CORE_SYSPARAMTABLE_H

#include <QPair>
#include <QString>
#include <QVector>

class QSqlQuery;

// Table sysparam(name, value) of "PARAM.db" and "SN.db": one row per key, the value as text.
// Every value is bound, never pasted into the statement.

using SysparamRows = QVector<QPair<QString, QString>>;

// Name of the serial row of camera slot 0 to 7 in "SN.db".
QString serialRowName(int slot);

bool createSysparamTable(QSqlQuery &query);

// Reads the value of one row. Returns false when the statement failed (logged); *found tells
// whether the row exists.
bool selectSysparamValue(QSqlQuery &query, const QString &name, QString *value, bool *found);

// Adds the rows in one transaction; false (logged, nothing added) when any insert fails.
bool insertSysparamRows(QSqlQuery &query, const SysparamRows &rows);

// Changes the rows in one transaction, adding a row that is missing (logged); false (logged,
// nothing changed) when any statement fails.
bool saveSysparamRows(QSqlQuery &query, const SysparamRows &rows);

#endif
