#ifndef CORE_PARAMETERMANAGER_H
#define CORE_PARAMETERMANAGER_H

#include "core/SystemParameters.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <memory>

// Owns the two parameter databases of the working directory and the two system-parameter
// records. "PARAM.db" (connection "dbIn") holds the record rows and the cameras' detection
// tables; "SN.db" (connection "dbT") holds the camera serial slots, which stay with the
// machine when a parameter group replaces "PARAM.db". Used on the GUI thread only.
class ParameterManager : public QObject
{
    Q_OBJECT

public:
    // The process-wide manager, created on first use; it lives until the process ends.
    static ParameterManager *instance();

    // Tests build their own manager; only one may exist at a time (the connection names are
    // fixed). Closes and removes both connections when destroyed.
    explicit ParameterManager(QObject *parent = nullptr);
    ~ParameterManager() override;

    // Opens the databases, then builds the current record (defaults, stored rows, camera
    // serials) and the edit record (defaults only). Called once at start-up; main() then
    // publishes the records as currentParams and editParams. Returns false when a database
    // could not be used or a statement failed (logged); the records exist either way.
    bool Init();

    // Opens "PARAM.db" and "SN.db". A file that is missing, damaged or lacks table sysparam
    // is moved aside under a dated name and restored from "./paraGroup/default/", the disks
    // are synced and the machine rebooted; when the reboot does not end the process, the
    // restored file is used. Without a default file nothing is replaced and nothing rebooted.
    bool OpenDatabases();

    // Closes "PARAM.db" before a restart or reboot; "SN.db" stays open.
    void CloseDatabase();
    // Opens "PARAM.db" again after CloseDatabase, when the restart or reboot did not happen.
    bool ReopenDatabase();

    // Copies of the queries on "PARAM.db" and "SN.db": every caller runs its statements on a
    // copy of its own, e.g. currentParams->SaveAll(ParameterManager::instance()->paramQuery()).
    QSqlQuery paramQuery() const { return paramDbQuery; }
    QSqlQuery serialQuery() const { return serialDbQuery; }

    SystemParameters *currentRecord() const { return current.get(); }
    SystemParameters *editRecord() const { return edit.get(); }

private:
    Q_DISABLE_COPY(ParameterManager)

    static bool openDatabase(QSqlDatabase &database, const QString &fileName);

    QSqlDatabase dbIn;
    QSqlQuery paramDbQuery;
    QSqlDatabase dbT;
    QSqlQuery serialDbQuery;
    std::unique_ptr<SystemParameters> current;
    std::unique_ptr<SystemParameters> edit;
};

#endif
