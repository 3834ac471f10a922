// makedefaults <runtime folder>: writes paraGroup/default/PARAM.db and SN.db below the folder
// and copies each into the folder itself when it has none, so that the station starts on the
// defaults without the restore-and-reboot path.

#include "core/DefaultParameterFiles.h"
#include "platform/system/SystemActions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: makedefaults <runtime folder>\n");
        return 2;
    }
    const QDir runtime(arguments.at(1));
    const QString group = runtime.filePath(QStringLiteral("paraGroup/default"));
    if (!QDir().mkpath(group)) {
        std::fprintf(stderr, "makedefaults: cannot create %s\n", qPrintable(group));
        return 1;
    }

    struct DefaultFile
    {
        const char *name;
        bool (*write)(const QString &);
    };
    const DefaultFile files[] = {{"PARAM.db", writeDefaultParamDatabase},
                                 {"SN.db", writeDefaultSerialDatabase}};
    for (const DefaultFile &file : files) {
        const QString name = QString::fromLatin1(file.name);
        const QString defaultPath = QDir(group).filePath(name);
        if (!file.write(defaultPath)) {
            std::fprintf(stderr, "makedefaults: cannot write %s\n", qPrintable(defaultPath));
            return 1;
        }
        const QString livePath = runtime.filePath(name);
        if (!QFileInfo::exists(livePath) && !systemActions()->copyFile(defaultPath, livePath)) {
            std::fprintf(stderr, "makedefaults: cannot copy %s\n", qPrintable(livePath));
            return 1;
        }
    }
    return 0;
}
