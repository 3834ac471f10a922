#ifndef INSPECTION_CAMMERTABLE_H
#define INSPECTION_CAMMERTABLE_H

#include <QSqlQuery>
#include <QString>

// The rows of one camera's detection configuration in the parameter database: table
// "cammer<camera index>" with two text columns (name, value). Every statement binds its
// values; every failure is logged and reported.
class CammerTable
{
public:
    // query: a query on the parameter database's connection; copies of it run the statements.
    CammerTable(const QSqlQuery &query, int cameraIndex);

    const QSqlQuery &connection() const { return base; }

    // Creates the table when the database does not have it yet.
    bool ensureExists();
    enum Lookup { Found, Missing, Failed };
    // The value of row name.
    Lookup read(const QString &name, QString *value);
    bool insert(const QString &name, const QString &value);
    // Updates row name, or inserts it when there is none.
    bool write(const QString &name, const QString &value);
    bool remove(const QString &name);

    // A statement failed since construction.
    bool failed() const { return failures > 0; }

private:
    bool run(QSqlQuery &statement);

    QSqlQuery base;
    QString table;
    int failures = 0;
};

#endif
