#include "core/ParameterManager.h"

#include "core/DamagedFile.h"
#include "platform/system/SystemActions.h"

#include <QFileInfo>
#include <QSqlError>

namespace {

const char paramConnection[] = "dbIn";
const char serialConnection[] = "dbT";

// A usable database file exists, is sound and carries table sysparam. The existence is tested
// first: SQLite would create a missing file on open, and an empty database loses every save.
bool isUsable(QSqlDatabase &database, const QString &fileName)
{
    if (!QFileInfo::exists(fileName)) {
        qWarning("%s does not exist", qPrintable(fileName));
        return false;
    }
    QString damage;
    if (isDamagedDatabase(fileName, &damage)) {
        qCritical("%s is damaged: %s", qPrintable(fileName), qPrintable(damage));
        return false;
    }
    if (!database.open()) {
        qWarning("%s cannot be opened: %s", qPrintable(fileName),
                 qPrintable(database.lastError().text()));
        return false;
    }
    if (!database.tables().contains(QStringLiteral("sysparam"))) {
        qWarning("%s has no table sysparam", qPrintable(fileName));
        return false;
    }
    return true;
}

// The unusable file is kept aside (its camera tables may still be recovered), the default
// copied in its place and the machine rebooted. Without a default nothing is touched and no
// reboot follows: it would only come back here.
void restoreDefault(const QString &fileName)
{
    const QString source = QStringLiteral("./paraGroup/default/") + fileName;
    if (!QFileInfo::exists(source)) {
        qCritical("%s cannot be restored: the default parameter group has no %s",
                  qPrintable(fileName), qPrintable(fileName));
        return;
    }
    if (QFileInfo::exists(fileName) && moveDamagedFileAside(fileName).isEmpty())
        return;
    qCritical("%s is restored from the default parameter group; the machine reboots",
              qPrintable(fileName));
    if (!systemActions()->copyFile(source, QStringLiteral("./") + fileName))
        return;
    systemActions()->syncDisks();
    systemActions()->reboot();
}

} // namespace

ParameterManager *ParameterManager::instance()
{
    static ParameterManager *manager = new ParameterManager;
    return manager;
}

ParameterManager::ParameterManager(QObject *parent)
    : QObject(parent)
{
}

ParameterManager::~ParameterManager()
{
    // Queries first, then the connections, so that nothing uses them when they are removed.
    paramDbQuery = QSqlQuery();
    serialDbQuery = QSqlQuery();
    const bool hadParam = dbIn.isValid();
    const bool hadSerial = dbT.isValid();
    dbIn.close();
    dbT.close();
    dbIn = QSqlDatabase();
    dbT = QSqlDatabase();
    if (hadParam)
        QSqlDatabase::removeDatabase(QLatin1String(paramConnection));
    if (hadSerial)
        QSqlDatabase::removeDatabase(QLatin1String(serialConnection));
}

bool ParameterManager::Init()
{
    bool ok = OpenDatabases();
    current = std::make_unique<SystemParameters>();
    current->SetDefaults();
    ok = current->Load(paramQuery()) && ok;
    ok = current->LoadCameraSerials(serialQuery()) && ok;
    edit = std::make_unique<SystemParameters>();
    edit->SetDefaults();
    return ok;
}

bool ParameterManager::OpenDatabases()
{
    dbIn = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(paramConnection));
    const bool paramOk = openDatabase(dbIn, QStringLiteral("PARAM.db"));
    paramDbQuery = QSqlQuery(dbIn);

    dbT = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(serialConnection));
    const bool serialOk = openDatabase(dbT, QStringLiteral("SN.db"));
    serialDbQuery = QSqlQuery(dbT);
    return paramOk && serialOk;
}

bool ParameterManager::openDatabase(QSqlDatabase &database, const QString &fileName)
{
    database.setDatabaseName(fileName);
    if (isUsable(database, fileName))
        return true;
    database.close();
    restoreDefault(fileName);
    if (isUsable(database, fileName))
        return true;
    database.close();
    qCritical("%s cannot be used; settings are neither loaded nor saved", qPrintable(fileName));
    return false;
}

void ParameterManager::CloseDatabase()
{
    paramDbQuery.finish();
    dbIn.close();
}

bool ParameterManager::ReopenDatabase()
{
    if (dbIn.isOpen())
        return true;
    if (!dbIn.open()) {
        qCritical("PARAM.db could not be opened again; settings are not saved");
        return false;
    }
    paramDbQuery = QSqlQuery(dbIn);
    return true;
}
