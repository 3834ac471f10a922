#include "inspection/SqlSavepoint.h"

#include <QSqlError>
#include <QtDebug>

SqlSavepoint::SqlSavepoint(const QSqlQuery &connection, const QString &name)
    : query(connection)
    , name(name)
{
    active = run(QStringLiteral("SAVEPOINT ") + name);
}

SqlSavepoint::~SqlSavepoint()
{
    if (active) {
        run(QStringLiteral("ROLLBACK TO SAVEPOINT ") + name);
        run(QStringLiteral("RELEASE SAVEPOINT ") + name);
    }
}

bool SqlSavepoint::release()
{
    if (!active)
        return false;
    if (!run(QStringLiteral("RELEASE SAVEPOINT ") + name))
        return false; // the destructor rolls back
    active = false;
    return true;
}

bool SqlSavepoint::run(const QString &statement)
{
    // The name is ours, never data, so the statement text carries no value.
    if (query.exec(statement))
        return true;
    qWarning().noquote() << "Database statement failed:" << statement << "-" << query.lastError().text();
    return false;
}
