#ifndef CORE_SQLCONNECTION_H
#define CORE_SQLCONNECTION_H

#include <QSqlDatabase>
#include <QString>

// One SQLite connection of its own, registered under a name no other user shares and removed
// again when the object goes. Qt allows a connection to be used only on the thread that opened
// it; every thread that touches a database makes its own SqlConnection, so no connection is
// ever handed between threads. Queries made on it must be gone before it is destroyed.
class SqlConnection
{
public:
    // baseName only makes the connection recognisable in logs.
    explicit SqlConnection(const QString &baseName);
    ~SqlConnection();

    SqlConnection(const SqlConnection &) = delete;
    SqlConnection &operator=(const SqlConnection &) = delete;

    // Closes a file that is open and opens fileName. A read-only open never creates the file.
    // Logs and returns false when it cannot be opened.
    bool open(const QString &fileName, bool readOnly = false);
    void close();
    bool isOpen() const;

    QSqlDatabase database() const;
    QString name() const { return connectionName; }

private:
    QString connectionName;
};

#endif
