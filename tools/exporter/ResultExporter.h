#ifndef TOOLS_EXPORTER_RESULTEXPORTER_H
#define TOOLS_EXPORTER_RESULTEXPORTER_H

#include "tools/exporter/ExportOptions.h"

#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

class QSqlQuery;

// Writes the result rows of a range as CSV files: one file per camera and detect stage
// ("camera<c>_detect<d>.csv", both from 1) with a header row, UTF-8, one line per stored row:
// round start, capture time, camera, stage, verdict, description, then the type, value and
// verdict of each region. The day files are only read. A file appears under its final name
// only when it is complete; a name in the target folder that is a symbolic link is never
// written through (the export fails instead).
class ResultExporter
{
public:
    // Exit codes of the program.
    enum Result { Done = 0, BadOptions = 2, ReadFailed = 3, WriteFailed = 4 };

    explicit ResultExporter(const ExportOptions &options);
    ~ResultExporter();

    ResultExporter(const ResultExporter &) = delete;
    ResultExporter &operator=(const ResultExporter &) = delete;

    // Runs in the working folder of the options. On failure *error holds one line saying why.
    Result run(QString *error);

    // The files written by run(), by name.
    QStringList writtenFiles() const { return written; }

private:
    using Visit = std::function<bool(QSqlQuery &row)>;
    // The day files that may hold rows of the range, each once.
    QStringList dayFiles() const;
    // Visits the matching rows of a file in row order up to row number lastRow (-1: all).
    bool walk(const QString &file, qint64 lastRow, const Visit &visit, QString *error);

    ExportOptions options;
    QString connectionName;
    QStringList written;
};

#endif
