#include "settings/ExportData.h"

#include "platform/system/SystemActions.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

bool inside(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Every file under the raw-frame folder has a copy of the same size in the exported tree.
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
        const QFileInfo copied(QDir(copy).filePath(QDir(install).relativeFilePath(path)));
        if (!copied.isFile() || copied.size() != original.size()) {
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
    if (install.isEmpty() || !QDir().mkpath(exportFolder)) {
        qWarning("export of %s to %s: a folder is missing or cannot be made",
                 qPrintable(installFolder), qPrintable(exportFolder));
        return ExportResult::CopyFailed;
    }
    const QString target = QFileInfo(exportFolder).canonicalFilePath();
    if (target.isEmpty() || inside(target, install)) {
        qWarning("export target %s lies inside %s", qPrintable(exportFolder), qPrintable(install));
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
