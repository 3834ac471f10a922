#include "inspection/CammerTable.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <QtDebug>

CammerTable::CammerTable(const QSqlQuery &query, int cameraIndex)
    : base(query)
    , table(QStringLiteral("cammer%1").arg(cameraIndex))
{
}

// A statement whose prepare failed fails here too, with the preparation's error.
bool CammerTable::run(QSqlQuery &statement)
{
    if (statement.exec())
        return true;
    ++failures;
    qWarning().noquote() << "Camera table" << table << "statement failed:" << statement.lastQuery() << "-"
                         << statement.lastError().text();
    return false;
}

bool CammerTable::ensureExists()
{
    if (!base.driver() || !base.driver()->isOpen()) {
        ++failures;
        qWarning().noquote() << "Camera table" << table << "unreachable: the parameter database is not open";
        return false;
    }
    QSqlQuery create(base);
    // The table name is built from the camera number, never from outside text.
    create.prepare(QStringLiteral("CREATE TABLE IF NOT EXISTS ") + table + QStringLiteral(" (name TEXT, value TEXT)"));
    return run(create);
}

CammerTable::Lookup CammerTable::read(const QString &name, QString *value)
{
    QSqlQuery select(base);
    select.setForwardOnly(true);
    select.prepare(QStringLiteral("SELECT value FROM ") + table + QStringLiteral(" WHERE name = :name"));
    select.bindValue(QStringLiteral(":name"), name);
    if (!run(select))
        return Failed;
    const bool found = select.next();
    if (found && value)
        *value = select.value(0).toString();
    select.finish();
    return found ? Found : Missing;
}

bool CammerTable::insert(const QString &name, const QString &value)
{
    QSqlQuery statement(base);
    statement.prepare(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (name, value) VALUES (:name, :value)"));
    statement.bindValue(QStringLiteral(":name"), name);
    statement.bindValue(QStringLiteral(":value"), value);
    return run(statement);
}

bool CammerTable::write(const QString &name, const QString &value)
{
    QSqlQuery update(base);
    update.prepare(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET value = :value WHERE name = :name"));
    update.bindValue(QStringLiteral(":value"), value);
    update.bindValue(QStringLiteral(":name"), name);
    if (!run(update))
        return false;
    return update.numRowsAffected() > 0 || insert(name, value);
}

bool CammerTable::remove(const QString &name)
{
    QSqlQuery statement(base);
    statement.prepare(QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE name = :name"));
    statement.bindValue(QStringLiteral(":name"), name);
    return run(statement);
}
