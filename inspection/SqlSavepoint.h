#ifndef INSPECTION_SQLSAVEPOINT_H
#define INSPECTION_SQLSAVEPOINT_H

#include <QSqlQuery>
#include <QString>

// Runs the statements of one piece of work as a unit on the connection of a given query:
// opened by the constructor, kept by release(), rolled back by the destructor otherwise.
// A savepoint, not BEGIN, so it also nests inside a transaction the connection's owner holds.
class SqlSavepoint
{
public:
    SqlSavepoint(const QSqlQuery &connection, const QString &name);
    ~SqlSavepoint();

    SqlSavepoint(const SqlSavepoint &) = delete;
    SqlSavepoint &operator=(const SqlSavepoint &) = delete;

    bool isActive() const { return active; }
    // Keeps the work; false (and rolled back) when the database refuses.
    bool release();

private:
    bool run(const QString &statement);

    QSqlQuery query;
    QString name;
    bool active = false;
};

#endif
