#include "station/OperationRecord.h"

#include "core/Clock.h"
#include "core/ResultDatabase.h"
#include "core/SqlTransaction.h"
#include "platform/system/SystemActions.h"
#include "uikit/UiKitGlobals.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString DateFormat = QStringLiteral("yyyy-MM-dd");

constexpr int AdvancedTextEntry = 154;
constexpr int PrimaryTextEntry = 155;
constexpr int UnloggedTextEntry = 156;

QString levelText(int userLevel)
{
    const int entry = userLevel == 2 ? AdvancedTextEntry
                      : userLevel == 1 ? PrimaryTextEntry
                                       : UnloggedTextEntry;
    return uiText(entry);
}

QString today()
{
    return wallClock()->now().date().toString(DateFormat);
}

bool failed(const char *what, const QSqlQuery &query)
{
    qWarning("operation record: %s failed: %s", what, qPrintable(query.lastError().text()));
    return false;
}

} // namespace

OperationRecord::OperationRecord()
    : connection(QStringLiteral("dbRecord"))
    , archive(QString::fromLatin1(ArchiveFolder))
{
}

bool OperationRecord::Open()
{
    if (!QFileInfo::exists(QString::fromLatin1(DatabaseFile)))
        CreateRecordDatabase();
    return connection.isOpen() || connection.open(QString::fromLatin1(DatabaseFile));
}

void OperationRecord::LoadDate()
{
    QFile file(QString::fromLatin1(DateFile));
    if (file.open(QIODevice::ReadOnly)) {
        // The first word; a file that holds anything but a date counts as unreadable, so no
        // archive is ever named by what the file happened to contain.
        const QString word = QString::fromLatin1(file.read(64)).simplified().section(QLatin1Char(' '), 0, 0);
        if (QDate::fromString(word, DateFormat).isValid()) {
            date = word;
            return;
        }
        qWarning("operation record: %s holds no date", DateFile);
    }
    date = today();
    WriteDate();
}

bool OperationRecord::InsertRecord(const QString &remark, int userLevel)
{
    if (!Open())
        return false;
    QSqlQuery query(connection.database());
    if (!query.prepare(QStringLiteral(
            "INSERT INTO RECORD (recordtime, recordpassword, remarks) VALUES (?, ?, ?)")))
        return failed("prepare", query);
    query.addBindValue(wallClock()->now().toString(QStringLiteral("hh.mm.ss")));
    query.addBindValue(levelText(userLevel));
    query.addBindValue(remark);
    return query.exec() || failed("insert", query);
}

bool OperationRecord::ClearRecord()
{
    if (!Open())
        return false;
    QSqlQuery query(connection.database());
    return query.exec(QStringLiteral("DELETE FROM RECORD")) || failed("delete", query);
}

void OperationRecord::CheckDate()
{
    if (date.isEmpty())
        LoadDate();
    const QString now = today();
    if (now == date)
        return;
    Close();
    const QString folder = archive.absolutePath();
    if (!QDir().mkpath(folder))
        qWarning("operation record: folder %s cannot be made", qPrintable(folder));
    // An archive of that date exists when the clock was set back: the new one gets a free
    // name instead of leaving two days in the live file.
    const QString target = freeArchivePath(folder, QDate::fromString(date, DateFormat));
    if (systemActions()->moveFile(QString::fromLatin1(DatabaseFile), target))
        qInfo("operation record of %s archived as %s", qPrintable(date), qPrintable(target));
    else
        qWarning("operation record of %s could not be archived as %s", qPrintable(date),
                 qPrintable(target));
    CreateRecordDatabase();
    date = now;
    WriteDate();
}

void OperationRecord::Close()
{
    connection.close();
}

bool OperationRecord::CreateRecordDatabase()
{
    SqlConnection create(QStringLiteral("createRecord"));
    if (!create.open(QString::fromLatin1(DatabaseFile)))
        return false;
    QSqlQuery query(create.database());
    SqlTransaction transaction(query);
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS RECORD(recordtime     VARCHAR(255),"
                                   "recordpassword VARCHAR(255),remarks        VARCHAR(1024))")))
        return failed("create", query);
    if (!query.prepare(QStringLiteral(
            "INSERT INTO RECORD (recordtime, recordpassword, remarks) VALUES (?, ?, ?)")))
        return failed("prepare", query);
    query.addBindValue(QStringLiteral("00.00.00"));
    query.addBindValue(QStringLiteral("auto"));
    query.addBindValue(QStringLiteral("自动条目,生成新的数据库"));
    if (!query.exec())
        return failed("first row", query);
    query.finish();
    return transaction.commit();
}

bool OperationRecord::WriteDate()
{
    QSaveFile file(QString::fromLatin1(DateFile));
    if (file.open(QIODevice::WriteOnly) && file.write(date.toLatin1()) == date.size() && file.commit())
        return true;
    qWarning("operation record: %s cannot be written: %s", DateFile, qPrintable(file.errorString()));
    return false;
}
