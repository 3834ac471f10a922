#ifndef TESTS_STATION_PARAMETERSWAPPROBE_H
#define TESTS_STATION_PARAMETERSWAPPROBE_H

#include "core/ParameterManager.h"
#include "platform/system/RecordingSystemActions.h"

#include <QSqlQuery>
#include <QVector>

// Whether the station's parameter database answers a statement now.
inline bool parameterDatabaseOpen()
{
    QSqlQuery query = ParameterManager::instance()->paramQuery();
    return query.exec(QStringLiteral("SELECT 1"));
}

// Notes, for every rename that moves a "PARAM.db" (the live one aside, a group's in place),
// whether the parameter database was open at that moment: a database file must not be renamed
// away under an open connection.
struct ParameterSwapProbe : RecordingSystemActions
{
    QVector<bool> openAtSwap;
    bool moveFile(const QString &source, const QString &destination) override
    {
        if (destination.endsWith(QLatin1String("PARAM.db")))
            openAtSwap << parameterDatabaseOpen();
        return RecordingSystemActions::moveFile(source, destination);
    }
};

#endif
