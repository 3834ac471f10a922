#include "core/DefaultParameterFiles.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/SysparamTable.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// The exposure the load check falls back on, inside the camera tab's range.
constexpr int ShippedExposureMs = 30;

// Writes one database file through a connection of its own, removed again afterwards.
bool writeDatabase(const QString &fileName, const SysparamRows &rows)
{
    if (QFile::exists(fileName) && !QFile::remove(fileName)) {
        qWarning("%s cannot be replaced", qPrintable(fileName));
        return false;
    }
    const QString connection = QStringLiteral("defaultParameterFile:") + fileName;
    bool ok = false;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        database.setDatabaseName(fileName);
        if (database.open()) {
            QSqlQuery query(database);
            ok = createSysparamTable(query) && insertSysparamRows(query, rows);
        } else {
            qWarning("%s cannot be created: %s", qPrintable(fileName),
                     qPrintable(database.lastError().text()));
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

} // namespace

bool writeDefaultParamDatabase(const QString &fileName)
{
    SystemParameters defaults;
    defaults.SetDefaults();
    // A new record's exposure of 0 ms lies below what the camera tab can show (1 ms and up):
    // shipped as it is, merely looking at a camera would change it and ask to save.
    for (int c = 0; c < CameraSlotCount; ++c)
        defaults[Param::Exposure + c] = ShippedExposureMs;
    // The default language is simplified Chinese.
    return writeDatabase(fileName, defaults.StoredRows(0));
}

bool writeDefaultSerialDatabase(const QString &fileName)
{
    SysparamRows rows;
    for (int slot = 0; slot < CameraSlotCount; ++slot)
        rows.append({serialRowName(slot), QStringLiteral("0")});
    return writeDatabase(fileName, rows);
}
