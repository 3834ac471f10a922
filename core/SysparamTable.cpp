#include "core/SysparamTable.h"

#include "core/SqlTransaction.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

void warnFailed(const char *what, const QSqlQuery &query)
{
    const QString reason = query.lastError().text();
    qWarning("sysparam %s failed: %s", what,
             reason.trimmed().isEmpty() ? "database not open" : qPrintable(reason));
}

enum class WriteMode { Insert, UpdateOrInsert };

// Writes every row, all in one transaction. An update that finds no row inserts it: a file of
// another program version may lack rows, and the whole save must not fail for them.
bool writeRows(QSqlQuery &query, const char *what, const SysparamRows &rows, WriteMode mode)
{
    SqlTransaction transaction(query);
    if (!transaction.isActive())
        return false;
    QSqlQuery insert(query);
    if (!insert.prepare(
            QStringLiteral("insert into sysparam(name, value) values(:name, :value)"))) {
        warnFailed(what, insert);
        return false;
    }
    QSqlQuery update(query);
    if (mode == WriteMode::UpdateOrInsert
        && !update.prepare(
            QStringLiteral("update sysparam set value = :value where name = :name"))) {
        warnFailed(what, update);
        return false;
    }
    for (const auto &row : rows) {
        bool missing = true;
        if (mode == WriteMode::UpdateOrInsert) {
            update.bindValue(QStringLiteral(":name"), row.first);
            update.bindValue(QStringLiteral(":value"), row.second);
            if (!update.exec()) {
                qWarning("sysparam %s of %s failed: %s", what, qPrintable(row.first),
                         qPrintable(update.lastError().text()));
                return false;
            }
            missing = update.numRowsAffected() < 1;
            if (missing)
                qWarning("sysparam row %s was missing and is added", qPrintable(row.first));
        }
        if (!missing)
            continue;
        insert.bindValue(QStringLiteral(":name"), row.first);
        insert.bindValue(QStringLiteral(":value"), row.second);
        if (!insert.exec()) {
            qWarning("sysparam %s of %s failed: %s", what, qPrintable(row.first),
                     qPrintable(insert.lastError().text()));
            return false;
        }
    }
    insert.finish();
    update.finish();
    return transaction.commit();
}

} // namespace

QString serialRowName(int slot)
{
    return QStringLiteral("serialNB%1").arg(slot);
}

bool createSysparamTable(QSqlQuery &query)
{
    if (!query.exec(QStringLiteral("create table sysparam(name text primary key, value text)"))) {
        warnFailed("create", query);
        return false;
    }
    return true;
}

bool selectSysparamValue(QSqlQuery &query, const QString &name, QString *value, bool *found)
{
    *found = false;
    if (!query.prepare(QStringLiteral("select value from sysparam where name = :name"))) {
        warnFailed("select", query);
        return false;
    }
    query.bindValue(QStringLiteral(":name"), name);
    if (!query.exec()) {
        warnFailed("select", query);
        return false;
    }
    if (query.next()) {
        *found = true;
        *value = query.value(0).toString();
    }
    // Releases the statement, so that a later transaction on the connection can commit.
    query.finish();
    return true;
}

bool insertSysparamRows(QSqlQuery &query, const SysparamRows &rows)
{
    return writeRows(query, "insert", rows, WriteMode::Insert);
}

bool saveSysparamRows(QSqlQuery &query, const SysparamRows &rows)
{
    return writeRows(query, "save", rows, WriteMode::UpdateOrInsert);
}
