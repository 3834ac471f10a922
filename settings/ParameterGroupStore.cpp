#include "settings/ParameterGroupStore.h"

#include "platform/system/SystemActions.h"
#include "station/ParameterGroupSwitch.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

QString groupRoot()
{
    return QString::fromLatin1(ParameterGroupSwitch::GroupFolder);
}

bool allowedCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-')
        || c == QLatin1Char('_') || c == QLatin1Char('.') || c == QLatin1Char('+');
}

// Clears a staging name beside the groups. Whatever a stale entry there is, it was not made
// by this backup: a link goes as a link (never emptied through) and a file as a file.
bool clearStagingName(const QString &path)
{
    const QFileInfo entry(path);
    SystemActions *actions = systemActions();
    return entry.isDir() && !entry.isSymLink() ? actions->removeDirectory(path)
                                               : actions->removeFile(path);
}

} // namespace

bool isPlainGroupName(const QString &name)
{
    if (name.isEmpty() || name.size() > MaxGroupNameLength)
        return false;
    if (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' '))
        || name.endsWith(QLatin1Char(' ')))
        return false;
    return std::all_of(name.cbegin(), name.cend(), allowedCharacter);
}

QString groupFolderPath(const QString &name)
{
    if (!isPlainGroupName(name))
        return QString();
    const QString root = QFileInfo(groupRoot()).canonicalFilePath();
    if (root.isEmpty())
        return QString();
    const QString path = QDir(groupRoot()).filePath(name);
    // An existing entry is judged by where it really leads; a link out of the group folder
    // is no group.
    const QFileInfo entry(path);
    const QString resolved = entry.exists() ? entry.canonicalFilePath()
                                            : QDir(root).filePath(name);
    if (QFileInfo(resolved).absolutePath() != root || entry.isSymLink())
        return QString();
    return path;
}

bool backupParameterGroup(const QString &name, int cameras, int stages)
{
    const QString target = groupFolderPath(name);
    if (target.isEmpty()) {
        qWarning("parameter group name \"%s\" refused", qPrintable(name));
        return false;
    }
    SystemActions *actions = systemActions();
    const QDir root(groupRoot());
    // Hidden beside the groups: never listed as a group, and on the same file system, so the
    // exchange is a rename.
    const QString fresh = root.filePath(QStringLiteral(".new-") + name);
    const QString old = root.filePath(QStringLiteral(".old-") + name);
    if (!clearStagingName(fresh) || !QDir().mkpath(fresh)) {
        qWarning("parameter group %s: folder %s cannot be made", qPrintable(name), qPrintable(fresh));
        return false;
    }
    bool copied = true;
    for (int c = 1; c <= cameras && copied; ++c) {
        for (int d = 1; d <= stages && copied; ++d) {
            const QString folder = QStringLiteral("cammer%1%2").arg(c).arg(d);
            const QFileInfo live(folder);
            if (!live.isDir() || live.isSymLink()) {
                qWarning("parameter group %s: %s has no template folder", qPrintable(name),
                         qPrintable(folder));
                continue;
            }
            copied = actions->copyDirectory(folder, QDir(fresh).filePath(folder));
        }
    }
    const QString database = QStringLiteral("PARAM.db");
    copied = copied && actions->copyFile(database, QDir(fresh).filePath(database))
             && QFileInfo(QDir(fresh).filePath(database)).size() == QFileInfo(database).size();
    if (!copied) {
        qWarning("parameter group %s could not be copied; the group stays as it was", qPrintable(name));
        actions->removeDirectory(fresh);
        return false;
    }

    const bool replacing = QFileInfo::exists(target);
    if (replacing && (!clearStagingName(old) || !actions->moveFile(target, old))) {
        actions->removeDirectory(fresh);
        return false;
    }
    if (!actions->moveFile(fresh, target)) {
        if (replacing && !actions->moveFile(old, target))
            qCritical("parameter group %s could not be put back; it lies in %s", qPrintable(name),
                      qPrintable(old));
        actions->removeDirectory(fresh);
        return false;
    }
    if (replacing)
        actions->removeDirectory(old);
    return true;
}
