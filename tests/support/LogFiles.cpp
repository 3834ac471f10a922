#include "tests/support/LogFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

QString logFolderIn(const QString &workingFolder)
{
    return QDir(workingFolder).filePath(QStringLiteral("cnt_net/workspace/LOG"));
}

QStringList logFileNames(const QString &workingFolder, const QString &prefix)
{
    return QDir(logFolderIn(workingFolder))
        .entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden, QDir::Name);
}

QString readLogFiles(const QString &workingFolder, const QString &prefix)
{
    QString text;
    const QDir folder(logFolderIn(workingFolder));
    for (const QString &name : logFileNames(workingFolder, prefix)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}

QStringList logRecords(const QString &text)
{
    static const QRegularExpression record(QStringLiteral("^[IWEF]\\d{8} "));
    QStringList records;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (record.match(line).hasMatch())
            records << line;
    }
    return records;
}
