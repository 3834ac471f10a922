#include "station/OperationRecord.h"

#include "core/AtomicFile.h"
#include "core/Clock.h"
#include "core/DamagedFile.h"
#include "core/ResultDatabase.h"
#include "core/SqlTransaction.h"
#include "platform/system/SystemActions.h"
#include "uikit/UiKitGlobals.h"

#include <QFile>
#include <QFileInfo>
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

const char createTable[] = "CREATE TABLE IF NOT EXISTS RECORD(recordtime     VARCHAR(255),"
                          "recordpassword VARCHAR(255),remarks        VARCHAR(1024))";
const char insertRow[] =
    "INSERT INTO RECORD (recordtime, recordpassword, remarks) VALUES (?, ?, ?)";

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

OperationRecord::~OperationRecord()
{
    WritePendingRows();
}

bool OperationRecord::Open()
{
    if (connection.isOpen())
        return true;
    const QString file = QString::fromLatin1(DatabaseFile);
    setAsideDamagedDatabase(file);
    if (!QFileInfo::exists(file))
        CreateRecordDatabase();
    return connection.open(file);
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
    pendingRows.append(Row{wallClock()->now().toString(QStringLiteral("hh.mm.ss")),
                           levelText(userLevel), remark});
    if (pendingRows.size() > MaxPendingRows) {
        qCritical("operation record: row \"%s\" dropped, %d rows wait already",
                  qPrintable(pendingRows.first().remark), MaxPendingRows);
        pendingRows.removeFirst();
    }
    return WritePendingRows();
}

// The waiting rows go in one transaction, in the order they were made. The table is made
// when missing: a file started on a full disk may have got no further than its creation.
bool OperationRecord::WritePendingRows()
{
    if (pendingRows.isEmpty())
        return true;
    bool written = false;
    QString reason;
    if (!Open()) {
        reason = connection.database().lastError().text();
    } else {
        QSqlQuery query(connection.database());
        SqlTransaction transaction(query);
        written = transaction.isActive() && query.exec(QString::fromLatin1(createTable))
                  && query.prepare(QString::fromLatin1(insertRow));
        for (int i = 0; written && i < pendingRows.size(); ++i) {
            query.addBindValue(pendingRows.at(i).time);
            query.addBindValue(pendingRows.at(i).level);
            query.addBindValue(pendingRows.at(i).remark);
            written = query.exec();
        }
        reason = query.lastError().text();
        query.finish();
        if (written && !transaction.commit()) {
            written = false;
            reason = QStringLiteral("the transaction could not be committed");
        }
    }
    if (!written) {
        writeFailures.failed(QStringLiteral("%1 (%2 rows wait in memory)")
                                 .arg(reason.trimmed().isEmpty() ? QStringLiteral("database not open")
                                                                 : reason.trimmed())
                                 .arg(pendingRows.size()));
        return false;
    }
    writeFailures.succeeded();
    pendingRows.clear();
    return true;
}

bool OperationRecord::ClearRecord()
{
    pendingRows.clear();
    if (!Open())
        return false;
    QSqlQuery query(connection.database());
    return query.exec(QStringLiteral("DELETE FROM RECORD")) || failed("delete", query);
}

void OperationRecord::CheckDate()
{
    if (date.isEmpty())
        LoadDate();
    // Rows that waited belong to the day that ends: they go into its file if they can.
    WritePendingRows();
    const QString now = today();
    if (now == date)
        return;
    connection.close();
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
    WritePendingRows();
    connection.close();
}

bool OperationRecord::CreateRecordDatabase()
{
    SqlConnection create(QStringLiteral("createRecord"));
    if (!create.open(QString::fromLatin1(DatabaseFile)))
        return false;
    QSqlQuery query(create.database());
    SqlTransaction transaction(query);
    if (!query.exec(QString::fromLatin1(createTable)))
        return failed("create", query);
    if (!query.prepare(QString::fromLatin1(insertRow)))
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
    return writeFileAtomically(QString::fromLatin1(DateFile), date.toLatin1());
}
