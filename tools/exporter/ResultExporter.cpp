#include "tools/exporter/ResultExporter.h"

#include "core/ResultDatabase.h"
#include "core/ResultRows.h"
#include "core/TimeStamp.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>

#include <algorithm>
#include <map>
#include <memory>

namespace {

constexpr int Cameras = 8;
constexpr int Stages = 8;
constexpr int MaxRegions = 50;
// How long a read waits while the station writes the day's file.
constexpr int BusyTimeoutMs = 5000;

const QString timeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");

// A field as RFC 4180 wants it: quoted when it holds a separator, a quote or a line break.
QByteArray csvField(const QString &text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r')) {
        field.replace('"', "\"\"");
        field = '"' + field + '"';
    }
    return field;
}

QByteArray verdictText(int verdict)
{
    return verdict != 0 ? QByteArrayLiteral("OK") : QByteArrayLiteral("NG");
}

// One stored row, bounds-checked; regions counts what either JSON column holds (at most 50).
struct Row
{
    qint64 number = 0;
    QString roundStart;
    QString detectStart;
    int camera = 0;
    int detect = 0;
    int verdict = 0;
    QString description;
    QVector<int> detail;
    QVector<int> offsets;
    QVector<int> verdicts;
    int regions = 0;
};

bool readRow(QSqlQuery &query, Row *row)
{
    row->number = query.value(0).toLongLong();
    row->roundStart = query.value(1).toString();
    row->detectStart = query.value(2).toString();
    row->camera = query.value(3).toInt();
    row->detect = query.value(4).toInt();
    // A row with a garbled time or an index out of range is not exported.
    if (TimeStamp::fromText(row->roundStart) < 0 || TimeStamp::fromText(row->detectStart) < 0
        || row->camera < 0 || row->camera >= Cameras || row->detect < 0
        || row->detect >= Stages)
        return false;
    if (!parseRoiDetail(query.value(5).toString(), row->detail, row->offsets))
        row->offsets.clear();
    if (!parseRoiResult(query.value(6).toString(), row->verdicts))
        row->verdicts.clear();
    row->verdict = query.value(7).toInt();
    row->description = query.value(8).toString();
    row->regions = std::min(std::max(int(row->offsets.size()) - 1, int(row->verdicts.size())),
                            MaxRegions);
    return true;
}

QByteArray header(int regions)
{
    QByteArray line("Round start,Capture time,Camera,Detect stage,Result,Description");
    for (int r = 1; r <= regions; ++r)
        line += QStringLiteral(",ROI %1 type,ROI %1 value,ROI %1 result").arg(r).toUtf8();
    return line + "\r\n";
}

QByteArray csvLine(const Row &row, int columns)
{
    QByteArray line = csvField(row.roundStart) + ',' + csvField(row.detectStart) + ','
                      + QByteArray::number(row.camera + 1) + ','
                      + QByteArray::number(row.detect + 1) + ',' + verdictText(row.verdict)
                      + ',' + csvField(row.description);
    for (int r = 0; r < columns; ++r) {
        QByteArray type;
        QByteArray value;
        if (r + 1 < row.offsets.size()) {
            const int begin = row.offsets.at(r);
            const int size = row.offsets.at(r + 1) - begin;
            if (size >= 1)
                type = QByteArray::number(row.detail.at(begin));
            if (size >= 2)
                value = QByteArray::number(row.detail.at(begin + 1));
        }
        const QByteArray verdict = r < row.verdicts.size() ? verdictText(row.verdicts.at(r))
                                                           : QByteArray();
        line += ',' + type + ',' + value + ',' + verdict;
    }
    return line + "\r\n";
}

} // namespace

ResultExporter::ResultExporter(const ExportOptions &options)
    : options(options), connectionName(QStringLiteral("export"))
{
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
}

ResultExporter::~ResultExporter()
{
    QSqlDatabase::database(connectionName, false).close();
    QSqlDatabase::removeDatabase(connectionName);
}

QStringList ResultExporter::dayFiles() const
{
    QStringList files;
    for (QDate day = options.from.date(); day.isValid() && day <= options.to.date();
         day = day.addDays(1))
        files += resultDayFiles(day, QDate());
    // Today's file is read once, whatever day it started: it holds every row not archived yet.
    if (QFileInfo::exists(QString::fromLatin1(resultDatabaseFile)))
        files << QString::fromLatin1(resultDatabaseFile);
    return files;
}

bool ResultExporter::walk(const QString &file, qint64 lastRow, const Visit &visit,
                          QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    db.close();
    db.setDatabaseName(file);
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!db.open()) {
        *error = QStringLiteral("cannot open %1: %2").arg(file, db.lastError().text());
        return false;
    }
    bool ok = true;
    {
        QString sql = QStringLiteral(
            "select idx, roundstart, detectstart, idx_camera, idx_detect, roi_detail,"
            " roi_result, result, description from res_report"
            " where roundstart >= :from and roundstart <= :to");
        if (options.camera >= 0)
            sql += QStringLiteral(" and idx_camera = :camera");
        if (options.detect >= 0)
            sql += QStringLiteral(" and idx_detect = :detect");
        if (options.detailGiven)
            sql += QStringLiteral(" and description = :detail");
        if (lastRow >= 0)
            sql += QStringLiteral(" and idx <= :last");
        sql += QStringLiteral(" order by idx");

        QSqlQuery query(db);
        query.setForwardOnly(true);
        ok = query.prepare(sql);
        if (ok) {
            query.bindValue(QStringLiteral(":from"), options.from.toString(timeFormat));
            query.bindValue(QStringLiteral(":to"), options.to.toString(timeFormat));
            if (options.camera >= 0)
                query.bindValue(QStringLiteral(":camera"), options.camera);
            if (options.detect >= 0)
                query.bindValue(QStringLiteral(":detect"), options.detect);
            if (options.detailGiven)
                query.bindValue(QStringLiteral(":detail"), options.detail);
            if (lastRow >= 0)
                query.bindValue(QStringLiteral(":last"), lastRow);
            ok = query.exec();
        }
        while (ok && query.next()) {
            if (!visit(query))
                return false;   // the visitor said why
        }
        // A step that failed midway (a damaged page) ends the walk like a failed statement.
        if (ok && query.lastError().isValid())
            ok = false;
        if (!ok)
            *error = QStringLiteral("cannot read %1: %2").arg(file, query.lastError().text());
    }
    db.close();
    return ok;
}

ResultExporter::Result ResultExporter::run(QString *error)
{
    written.clear();
    // Resolved once, against the caller's folder: the working folder entered below must not
    // change where a relative target leads.
    const QString targetPath = QFileInfo(options.targetFolder).canonicalFilePath();
    if (targetPath.isEmpty() || !QFileInfo(targetPath).isDir()) {
        *error = QStringLiteral("the target folder %1 does not exist").arg(options.targetFolder);
        return BadOptions;
    }
    const QDir target(targetPath);
    if (!QDir::setCurrent(options.workingFolder)) {
        *error = QStringLiteral("cannot enter the working folder %1").arg(options.workingFolder);
        return BadOptions;
    }
    const QStringList files = dayFiles();

    // First pass: which camera and stage files there will be and how many region columns
    // each needs; the last row of each day file, since the station may add rows meanwhile.
    std::map<int, int> columns;   // camera * Stages + stage -> regions
    QMap<QString, qint64> lastRows;
    Row row;
    for (const QString &file : files) {
        qint64 last = -1;
        const bool read = walk(file, -1, [&](QSqlQuery &query) {
            if (readRow(query, &row)) {
                int &regions = columns[row.camera * Stages + row.detect];
                regions = std::max(regions, row.regions);
            }
            last = std::max(last, row.number);
            return true;
        }, error);
        if (!read)
            return ReadFailed;
        lastRows.insert(file, last);
    }

    std::map<int, std::unique_ptr<QSaveFile>> outputs;
    for (const auto &entry : columns) {
        const QString name = QStringLiteral("camera%1_detect%2.csv")
                                 .arg(entry.first / Stages + 1)
                                 .arg(entry.first % Stages + 1);
        // QSaveFile would write to whatever a link of that name points at.
        if (QFileInfo(target.filePath(name)).isSymLink()) {
            *error = QStringLiteral("cannot write %1: it is a symbolic link").arg(target.filePath(name));
            return WriteFailed;
        }
        auto output = std::make_unique<QSaveFile>(target.filePath(name));
        if (!output->open(QIODevice::WriteOnly) || output->write(header(entry.second)) < 0) {
            *error = QStringLiteral("cannot write %1: %2")
                         .arg(target.filePath(name), output->errorString());
            return WriteFailed;
        }
        outputs.emplace(entry.first, std::move(output));
    }

    // Second pass: the rows, in the order of the day files and of the rows in them.
    bool writeFailed = false;
    for (const QString &file : files) {
        const qint64 last = lastRows.value(file, -1);
        if (last < 0)
            continue;   // no matching row
        const bool read = walk(file, last, [&](QSqlQuery &query) {
            if (!readRow(query, &row))
                return true;
            const int key = row.camera * Stages + row.detect;
            const auto output = outputs.find(key);
            if (output == outputs.end())
                return true;
            if (output->second->write(csvLine(row, columns[key])) < 0) {
                *error = QStringLiteral("cannot write %1: %2")
                             .arg(output->second->fileName(), output->second->errorString());
                writeFailed = true;
                return false;
            }
            return true;
        }, error);
        if (!read)
            return writeFailed ? WriteFailed : ReadFailed;
    }

    // Every file reaches the disk before any takes its final name: QSaveFile's commit() does
    // not notice a final flush that failed (a full stick) and would rename a cut-short file.
    // Uncommitted files are discarded when their QSaveFile goes away.
    for (auto &entry : outputs) {
        QSaveFile &output = *entry.second;
        if (!output.flush() || output.error() != QFileDevice::NoError) {
            *error = QStringLiteral("cannot write %1: %2").arg(output.fileName(),
                                                                output.errorString());
            return WriteFailed;
        }
    }
    for (auto &entry : outputs) {
        QSaveFile &output = *entry.second;
        if (!output.commit()) {
            *error = QStringLiteral("cannot write %1: %2").arg(output.fileName(),
                                                                output.errorString());
            return WriteFailed;
        }
        written << QFileInfo(output.fileName()).fileName();
    }
    return Done;
}
