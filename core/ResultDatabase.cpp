#include "core/ResultDatabase.h"

#include "core/DamagedFile.h"
#include "core/SqlConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

const char resultDatabaseFile[] = "ResStatistics.db";
const char resultArchiveFolder[] = "ResStatistics";

namespace {

const char createResultTable[] =
    "CREATE TABLE IF NOT EXISTS res_report(idx                INTEGER PRIMARY KEY,"
    "roundstart         VARCHAR(32) NOT NULL,"
    "detectstart        VARCHAR(32) NOT NULL,"
    "idx_camera         INT NOT NULL,"
    "idx_detect         INT NOT NULL,"
    "roi_detail         TEXT NOT NULL,"
    "roi_result         TEXT NOT NULL,"
    "result             tinyint NOT NULL,"
    "description        TEXT)";

const char createCountTable[] =
    "CREATE TABLE IF NOT EXISTS resstatistics(name TEXT PRIMARY KEY, value1 TEXT, value2 TEXT)";

QMutex replacedMutex;
QString replacedPath;      // guarded by replacedMutex
QSet<QString> checkedFiles;   // guarded by replacedMutex

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

bool ensureResultTables(QSqlDatabase &db)
{
    QSqlQuery query(db);
    for (const char *statement : {createResultTable, createCountTable}) {
        if (!query.exec(QString::fromLatin1(statement))) {
            qWarning("cannot create the result tables in %s: %s",
                     qPrintable(db.databaseName()), qPrintable(query.lastError().text()));
            return false;
        }
    }
    return true;
}

QString replaceDamagedResultDatabase()
{
    const QString file = QString::fromLatin1(resultDatabaseFile);
    // Each of the file's users at start-up calls this; one check of a day's rows is enough.
    {
        QMutexLocker locker(&replacedMutex);
        const QString path = QFileInfo(file).absoluteFilePath();
        if (checkedFiles.contains(path))
            return QString();
        checkedFiles.insert(path);
    }
    const QString aside = setAsideDamagedDatabase(file);
    if (aside.isEmpty())
        return aside;
    {
        SqlConnection fresh(QStringLiteral("freshResDB"));
        QSqlDatabase db = fresh.database();
        if (fresh.open(file) && ensureResultTables(db))
            qCritical("a new %s was started", resultDatabaseFile);
    }
    QMutexLocker locker(&replacedMutex);
    replacedPath = aside;
    return aside;
}

QString takeReplacedResultDatabase()
{
    QMutexLocker locker(&replacedMutex);
    QString path;
    path.swap(replacedPath);
    return path;
}

QStringList resultDayFiles(const QDate &day, const QDate &today)
{
    QStringList files;
    const QString date = dateText(day);
    const QDir archive(QString::fromLatin1(resultArchiveFolder));
    const QRegularExpression later(QStringLiteral("^%1_(\\d{1,9})\\.db$")
                                       .arg(QRegularExpression::escape(date)));
    QVector<QPair<int, QString>> numbered;
    const QStringList names =
        archive.entryList({date + QStringLiteral("*.db")}, QDir::Files, QDir::NoSort);
    for (const QString &name : names) {
        if (name == date + QStringLiteral(".db")) {
            numbered.append({0, name});
            continue;
        }
        const QRegularExpressionMatch match = later.match(name);
        if (match.hasMatch())
            numbered.append({match.captured(1).toInt(), name});
    }
    std::sort(numbered.begin(), numbered.end());
    for (const auto &entry : qAsConst(numbered))
        files << archive.filePath(entry.second);
    if (day == today && QFileInfo::exists(QString::fromLatin1(resultDatabaseFile)))
        files << QStringLiteral("./") + QString::fromLatin1(resultDatabaseFile);
    return files;
}

QString freeArchivePath(const QString &archiveFolder, const QDate &date)
{
    const QDir folder(archiveFolder);
    const QString base = dateText(date);
    QString path = folder.absoluteFilePath(base + QStringLiteral(".db"));
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = folder.absoluteFilePath(QStringLiteral("%1_%2.db").arg(base).arg(n));
    return path;
}
