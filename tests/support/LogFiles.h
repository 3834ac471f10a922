#ifndef TESTS_SUPPORT_LOGFILES_H
#define TESTS_SUPPORT_LOGFILES_H

#include <QString>
#include <QStringList>

// The program's log folder below a working folder.
QString logFolderIn(const QString &workingFolder);
// Names of the files of the log folder that start with prefix, sorted.
QStringList logFileNames(const QString &workingFolder, const QString &prefix);
// The text of those files, one after another.
QString readLogFiles(const QString &workingFolder, const QString &prefix);
// The records of a log text: lines that begin with a glog severity letter and a date.
QStringList logRecords(const QString &text);

#endif
