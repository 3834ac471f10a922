#ifndef TESTS_STATION_STATIONTESTSETUP_H
#define TESTS_STATION_STATIONTESTSETUP_H

#include "core/DefaultParameterFiles.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"

#include <QDir>

// The process's parameter store, opened on default databases written into the working
// folder, with the live and edit records published. The camera views read their detection
// configuration through it. Call once per test program, from a folder that outlives the test
// (the store keeps its files open).
inline bool openDefaultParameterStore()
{
    if (!QDir().mkpath(QStringLiteral("paraGroup/default")))
        return false;
    for (const QString &folder : {QStringLiteral("paraGroup/default/"), QString()}) {
        if (!writeDefaultParamDatabase(folder + QStringLiteral("PARAM.db"))
            || !writeDefaultSerialDatabase(folder + QStringLiteral("SN.db")))
            return false;
    }
    ParameterManager *parameters = ParameterManager::instance();
    const bool opened = parameters->Init();
    currentParams = parameters->currentRecord();
    editParams = parameters->editRecord();
    return opened;
}

#endif
