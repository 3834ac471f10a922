#include "core/DamagedFile.h"

#include "core/Clock.h"
#include "core/SqlConnection.h"
#include "platform/system/SystemActions.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// SQLite's primary result codes for a malformed file and for a file that is no database.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

// The journal files SQLite may keep beside a database.
const char *const companionSuffixes[] = {"-journal", "-wal", "-shm"};

bool isDamageCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;   // extended codes carry it low
    return ok && (code == SqliteCorrupt || code == SqliteNotADatabase);
}

QString freeDamagedName(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QString stamp = wallClock()->now().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = info.completeBaseName() + QStringLiteral("-damaged-") + stamp;
    QString path = info.dir().filePath(base + suffix);
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = info.dir().filePath(QStringLiteral("%1-%2%3").arg(base).arg(n).arg(suffix));
    return path;
}

} // namespace

bool isDamagedDatabase(const QString &fileName, QString *reason)
{
    if (!QFileInfo(fileName).isFile())
        return false;
    SqlConnection connection(QStringLiteral("databaseCheck"));
    // Opened for writing, so that SQLite can roll back a journal left by a killed write
    // instead of taking the half-written pages for damage.
    if (!connection.open(fileName)) {
        if (reason)
            *reason = connection.database().lastError().text();
        return false;
    }
    QSqlQuery check(connection.database());
    if (!check.exec(QStringLiteral("pragma quick_check"))) {
        if (reason)
            *reason = check.lastError().text();
        return isDamageCode(check.lastError());
    }
    QStringList problems;
    while (check.next()) {
        const QString line = check.value(0).toString();
        if (line != QLatin1String("ok"))
            problems << line;
    }
    if (check.lastError().isValid() && isDamageCode(check.lastError()))
        problems << check.lastError().text();
    if (reason)
        *reason = problems.mid(0, 3).join(QStringLiteral("; "));
    return !problems.isEmpty();
}

QString moveDamagedFileAside(const QString &fileName)
{
    const QString target = freeDamagedName(fileName);
    if (!systemActions()->moveFile(fileName, target)) {
        qCritical("damaged file %s could not be moved aside to %s", qPrintable(fileName),
                  qPrintable(target));
        return QString();
    }
    for (const char *suffix : companionSuffixes) {
        const QString companion = fileName + QLatin1String(suffix);
        if (QFileInfo::exists(companion)
            && !systemActions()->moveFile(companion, target + QLatin1String(suffix)))
            qCritical("%s could not be moved aside", qPrintable(companion));
    }
    qCritical("damaged file %s moved aside to %s", qPrintable(fileName), qPrintable(target));
    return target;
}

QString setAsideDamagedDatabase(const QString &fileName)
{
    QString reason;
    if (!isDamagedDatabase(fileName, &reason))
        return QString();
    qCritical("database %s is damaged: %s", qPrintable(fileName), qPrintable(reason));
    return moveDamagedFileAside(fileName);
}

QString copyDamagedFileAside(const QString &fileName)
{
    const QString target = freeDamagedName(fileName);
    const bool copied = systemActions()->copyFile(fileName, target);
    qCritical("damaged file %s %s aside to %s", qPrintable(fileName),
              copied ? "copied" : "could not be copied", qPrintable(target));
    return copied ? target : QString();
}
