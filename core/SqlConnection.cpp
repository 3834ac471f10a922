#include "core/SqlConnection.h"

#include <QSqlError>

#include <atomic>

namespace {

std::atomic<quint64> connectionCounter{0};

} // namespace

SqlConnection::SqlConnection(const QString &baseName)
    : connectionName(QStringLiteral("%1-%2").arg(baseName).arg(++connectionCounter))
{
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
}

SqlConnection::~SqlConnection()
{
    close();
    QSqlDatabase::removeDatabase(connectionName);
}

bool SqlConnection::open(const QString &fileName, bool readOnly)
{
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
    db.setDatabaseName(fileName);
    db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY") : QString());
    if (!db.open()) {
        qWarning("cannot open %s (%s): %s", qPrintable(fileName), qPrintable(connectionName),
                 qPrintable(db.lastError().text()));
        return false;
    }
    return true;
}

void SqlConnection::close()
{
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
}

bool SqlConnection::isOpen() const
{
    return database().isOpen();
}

QSqlDatabase SqlConnection::database() const
{
    return QSqlDatabase::database(connectionName, false);
}
