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

// Runs the statement once per row, all in one transaction.
bool writeRows(QSqlQuery &query, const char *what, const QString &statement,
               const SysparamRows &rows, bool mustFindRow)
{
    SqlTransaction transaction(query);
    if (!transaction.isActive())
        return false;
    if (!query.prepare(statement)) {
        warnFailed(what, query);
        return false;
    }
    for (const auto &row : rows) {
        query.bindValue(QStringLiteral(":name"), row.first);
        query.bindValue(QStringLiteral(":value"), row.second);
        if (!query.exec()) {
            qWarning("sysparam %s of %s failed: %s", what, qPrintable(row.first),
                     qPrintable(query.lastError().text()));
            return false;
        }
        if (mustFindRow && query.numRowsAffected() < 1) {
            qWarning("sysparam %s of %s found no row", what, qPrintable(row.first));
            return false;
        }
    }
    query.finish();
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
    return writeRows(query, "insert",
                     QStringLiteral("insert into sysparam(name, value) values(:name, :value)"),
                     rows, false);
}

bool updateSysparamRows(QSqlQuery &query, const SysparamRows &rows)
{
    return writeRows(query, "update",
                     QStringLiteral("update sysparam set value = :value where name = :name"),
                     rows, true);
}
