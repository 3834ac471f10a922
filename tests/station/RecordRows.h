#ifndef TESTS_STATION_RECORDROWS_H
#define TESTS_STATION_RECORDROWS_H

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

// The rows of table RECORD of an operation record file as {time, level, remark}, in the order
// they were written.
inline QList<QStringList> readRecordRows(const QString &file)
{
    QList<QStringList> rows;
    const QString name = QStringLiteral("readRecordRows");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("select recordtime, recordpassword, remarks from RECORD order by rowid"));
            while (query.next())
                rows.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString()});
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

#endif
