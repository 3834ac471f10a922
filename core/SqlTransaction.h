#ifndef CORE_SQLTRANSACTION_H
#define CORE_SQLTRANSACTION_H

#include <QSqlQuery>

// One transaction on the connection of a query, rolled back unless commit() succeeded.
// Statements that belong together run inside one, so a failure half-way leaves the database
// as it was. Statements of the connection must be finished before the commit.
class SqlTransaction
{
public:
    // Begins the transaction; a failure to begin is logged and leaves isActive() false.
    explicit SqlTransaction(const QSqlQuery &connectionQuery);
    ~SqlTransaction();

    bool isActive() const { return active; }
    // Commits; on failure logs why, rolls back and returns false.
    bool commit();

private:
    Q_DISABLE_COPY(SqlTransaction)

    bool run(const char *statement);

    QSqlQuery control;   // its own statement on the same connection
    bool active = false;
};

#endif
