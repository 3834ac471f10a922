#include "settings/ExportData.h"

#include "platform/system/SystemActions.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

bool inside(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

bool sameBytes(const QString &first, const QString &second)
{
    QFile a(first);
    QFile b(second);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    constexpr qint64 Chunk = 1 << 16;
    while (!a.atEnd()) {
        const QByteArray block = a.read(Chunk);
        if (block.isEmpty() || b.read(Chunk) != block)
            return false;
    }
    return true;
}

// Every file under the raw-frame folder has a copy with the same bytes in the exported tree,
// found there as a file of its own: no link on its path leads back to the original or off
// the stick.
bool framesCopied(const QString &frames, const QString &install, const QString &copy)
{
    QDirIterator it(frames, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo original = it.fileInfo();
        const QString path = original.canonicalFilePath();
        if (!inside(path, install)) {
            qWarning("raw frame %s lies outside the exported folder", qPrintable(path));
            return false;
        }
        const QString copied = QDir(copy).filePath(QDir(install).relativeFilePath(path));
        const QFileInfo copiedInfo(copied);
        if (copiedInfo.isSymLink() || !copiedInfo.isFile() || copiedInfo.canonicalFilePath() != copied
            || !sameBytes(path, copied)) {
            qWarning("raw frame %s was not copied completely", qPrintable(path));
            return false;
        }
    }
    return true;
}

bool emptyFolder(const QString &folder)
{
    SystemActions *actions = systemActions();
    bool ok = true;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const bool removed = entry.isDir() && !entry.isSymLink()
                                 ? actions->removeDirectory(entry.filePath())
                                 : actions->removeFile(entry.filePath());
        ok = ok && removed;
    }
    return ok;
}

} // namespace

ExportResult exportProgramFolder(const QString &installFolder, const QString &exportFolder,
                                 const QStringList &rawFrameFolders)
{
    SystemActions *actions = systemActions();
    const QString install = QFileInfo(installFolder).canonicalFilePath();
    const QFileInfo exportEntry(exportFolder);
    if (install.isEmpty()) {
        qWarning("export of %s: the folder is missing", qPrintable(installFolder));
        return ExportResult::CopyFailed;
    }
    // A folder of that name prepared on the stick as a link could lead the copy anywhere,
    // the program folder included.
    if (exportEntry.isSymLink()) {
        qWarning("export target %s is a link; nothing is exported", qPrintable(exportFolder));
        return ExportResult::CopyFailed;
    }
    if (!QDir().mkpath(exportFolder)) {
        qWarning("export of %s to %s: the folder cannot be made", qPrintable(installFolder),
                 qPrintable(exportFolder));
        return ExportResult::CopyFailed;
    }
    const QString stick = QFileInfo(exportEntry.absolutePath()).canonicalFilePath();
    const QString target = QFileInfo(exportFolder).canonicalFilePath();
    if (target.isEmpty() || target != QDir(stick).filePath(exportEntry.fileName())) {
        qWarning("export target %s resolves to %s, off the stick %s", qPrintable(exportFolder),
                 qPrintable(target), qPrintable(stick));
        return ExportResult::CopyFailed;
    }
    if (inside(target, install) || inside(install, target)) {
        qWarning("export target %s and %s lie inside one another", qPrintable(target),
                 qPrintable(install));
        return ExportResult::CopyFailed;
    }
    const QString copy = QDir(target).filePath(QFileInfo(install).fileName());
    if (!actions->copyDirectory(install, copy))
        return ExportResult::CopyFailed;
    for (const QString &frames : rawFrameFolders)
        if (!framesCopied(frames, install, copy))
            return ExportResult::CopyFailed;
    actions->syncDisks();
    bool removed = true;
    for (const QString &frames : rawFrameFolders)
        removed = emptyFolder(frames) && removed;
    return removed ? ExportResult::Exported : ExportResult::FramesKept;
}
