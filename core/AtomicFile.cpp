#include "core/AtomicFile.h"

#include "core/FailureLatch.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>

#include <memory>

namespace {

QMutex latchMutex;

// One latch per file, so a full disk logs each file once.
QHash<QString, std::shared_ptr<FailureLatch>> &latches()
{
    static QHash<QString, std::shared_ptr<FailureLatch>> byFile;
    return byFile;
}

void report(const QString &fileName, bool written, const QString &reason)
{
    const QString key = QFileInfo(fileName).absoluteFilePath();
    QMutexLocker locker(&latchMutex);
    auto found = latches().find(key);
    if (written) {
        if (found != latches().end())
            found.value()->succeeded();
        return;
    }
    if (found == latches().end())
        found = latches().insert(key, std::make_shared<FailureLatch>(fileName));
    found.value()->failed(reason + QStringLiteral("; the previous file is kept"));
}

bool write(const QString &fileName, const QByteArray &contents, QString *reason)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *reason = file.errorString();
        return false;
    }
    if (file.write(contents) != contents.size() || !file.flush()) {
        *reason = file.errorString();
        // Discards the temporary file; the commit then renames nothing.
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool writeFileAtomically(const QString &fileName, const QByteArray &contents)
{
    QString reason;
    const bool written = write(fileName, contents, &reason);
    report(fileName, written, reason);
    return written;
}
