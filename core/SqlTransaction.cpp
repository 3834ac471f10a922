#include "core/SqlTransaction.h"

#include <QSqlError>

SqlTransaction::SqlTransaction(const QSqlQuery &connectionQuery)
    : control(connectionQuery)
{
    active = run("begin");
}

SqlTransaction::~SqlTransaction()
{
    if (active)
        run("rollback");
}

bool SqlTransaction::commit()
{
    if (!active)
        return false;
    if (run("commit")) {
        active = false;
        return true;
    }
    active = !run("rollback");
    return false;
}

bool SqlTransaction::run(const char *statement)
{
    // exec() on the copy detaches it from the caller's query.
    if (control.exec(QString::fromLatin1(statement))) {
        control.finish();
        return true;
    }
    const QString reason = control.lastError().text();
    qWarning("%s failed: %s", statement,
             reason.trimmed().isEmpty() ? "database not open" : qPrintable(reason));
    return false;
}
