#ifndef TOOLS_EXPORTER_EXPORTOPTIONS_H
#define TOOLS_EXPORTER_EXPORTOPTIONS_H

#include <QDateTime>
#include <QString>
#include <QStringList>

// The command line of the export program, as the result store starts it:
//
//   -t "<from>" "<to>"   the range of round starts, "yyyy-MM-dd hh:mm:ss.zzz", both included
//   -c <camera>          camera index from 0, -1 for all (default)
//   -d <stage>           detect stage index from 0, -1 for all (default)
//   -dir "<folder>"      where the CSV files go; it must exist
//   -w "<folder>"        the station's working folder with the result day files
// A relative folder is taken from the folder the program was started in, -dir included.
//   -detail "<text>"     only rows with this description ("Regular recording")
struct ExportOptions
{
    QDateTime from;
    QDateTime to;
    int camera = -1;
    int detect = -1;
    QString targetFolder;
    QString workingFolder;
    QString detail;
    bool detailGiven = false;
};

// Reads the arguments that follow the program name. On a bad command line returns false and
// sets *error to one line saying why.
bool parseExportOptions(const QStringList &arguments, ExportOptions *options, QString *error);

#endif
