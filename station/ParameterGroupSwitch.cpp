#include "station/ParameterGroupSwitch.h"

#include "platform/system/SystemActions.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QVector>

namespace {

const char stagingFolder[] = "./paraGroup.staging";
const char previousFolder[] = "./paraGroup.previous";

// Working-directory entries a group must never replace: the groups themselves and the two
// folders of the switch.
bool isProtected(const QString &entry)
{
    return entry == QFileInfo(QString::fromLatin1(ParameterGroupSwitch::GroupFolder)).fileName()
        || entry == QFileInfo(QString::fromLatin1(stagingFolder)).fileName()
        || entry == QFileInfo(QString::fromLatin1(previousFolder)).fileName();
}

// The entries a group holds by design.
bool heldByDesign(const QFileInfo &entry, bool factoryGroup)
{
    static const QRegularExpression templateFolder(QStringLiteral("^cammer[1-8][1-8]$"));
    const QString name = entry.fileName();
    if (entry.isDir())
        return templateFolder.match(name).hasMatch();
    return entry.isFile()
           && (name == QLatin1String("PARAM.db") || (factoryGroup && name == QLatin1String("SN.db")));
}

} // namespace

ParameterGroupSwitch::ParameterGroupSwitch() = default;

QStringList ParameterGroupSwitch::groupNames()
{
    return QDir(QString::fromLatin1(GroupFolder))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

bool ParameterGroupSwitch::groupIsUsable(const QString &group) const
{
    if (QFileInfo(group).isSymLink()) {
        qWarning("parameter group %s is a symbolic link, not a group folder", qPrintable(group));
        return false;
    }
    const QFileInfo database(QDir(group).filePath(QStringLiteral("PARAM.db")));
    if (database.isSymLink() || !database.isFile()) {
        qWarning("parameter group %s holds no PARAM.db", qPrintable(group));
        return false;
    }
    return true;
}

ParameterGroupSwitch::Result ParameterGroupSwitch::switchTo(int index)
{
    name.clear();
    const QStringList names = groupNames();
    if (index < 0 || index >= names.size()) {
        qWarning("parameter group %d does not exist (%d groups)", index, int(names.size()));
        return Result::NoSuchGroup;
    }
    name = names.at(index);
    const QString group = QDir(QString::fromLatin1(GroupFolder)).filePath(name);
    if (!groupIsUsable(group))
        return Result::IncompleteGroup;

    SystemActions *actions = systemActions();
    const QString staging = QString::fromLatin1(stagingFolder);
    const QString previous = QString::fromLatin1(previousFolder);
    // Entries kept aside by a switch that was cut short may be the only copy of the set-up
    // before it: they are left for a person to look at, and no further switch runs.
    if (QFileInfo::exists(previous)) {
        qCritical("%s is left over from an unfinished group switch; no group switch until it "
                  "has been looked at", qPrintable(previous));
        return Result::ReplaceFailed;
    }
    // A staging copy left over holds nothing live.
    if (!actions->removeDirectory(staging))
        return Result::CopyFailed;
    if (!stageGroup(group, staging)) {
        qWarning("parameter group %s could not be copied; nothing was replaced", qPrintable(name));
        actions->removeDirectory(staging);
        return Result::CopyFailed;
    }
    if (!replaceLiveEntries(staging, previous)) {
        actions->removeDirectory(staging);
        return Result::ReplaceFailed;
    }
    actions->removeDirectory(staging);
    actions->removeDirectory(previous);
    return Result::Switched;
}

bool ParameterGroupSwitch::stageGroup(const QString &group, const QString &staging) const
{
    SystemActions *actions = systemActions();
    if (!QDir().mkpath(staging)) {
        qWarning("folder %s cannot be made", qPrintable(staging));
        return false;
    }
    const bool factoryGroup = name == QLatin1String(FactoryGroup);
    const QFileInfoList entries = QDir(group).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() || !heldByDesign(entry, factoryGroup)) {
            qWarning("parameter group %s: %s is no part of a group and is left out",
                     qPrintable(name), qPrintable(entry.fileName()));
            continue;
        }
        const QString target = QDir(staging).filePath(entry.fileName());
        if (!(entry.isDir() ? actions->copyDirectory(entry.filePath(), target)
                            : actions->copyFile(entry.filePath(), target)))
            return false;
    }
    return true;
}

bool ParameterGroupSwitch::replaceLiveEntries(const QString &staging, const QString &previous)
{
    SystemActions *actions = systemActions();
    if (!QDir().mkpath(previous)) {
        qWarning("folder %s cannot be made", qPrintable(previous));
        return false;
    }
    struct Step
    {
        QString entry;
        bool keptAside = false;
        bool placed = false;
    };
    QVector<Step> steps;
    bool ok = true;
    const QStringList entries =
        QDir(staging).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QString &entry : entries) {
        if (isProtected(entry))
            continue;
        Step step{entry};
        const QString live = QStringLiteral("./") + entry;
        if (QFileInfo::exists(live) || QFileInfo(live).isSymLink()) {
            step.keptAside = actions->moveFile(live, QDir(previous).filePath(entry));
            ok = step.keptAside;
        }
        if (ok) {
            step.placed = actions->moveFile(QDir(staging).filePath(entry), live);
            ok = step.placed;
        }
        steps.append(step);
        if (!ok)
            break;
    }
    if (ok)
        return true;

    qWarning("parameter group %s could not replace the live files; the previous ones are put back",
             qPrintable(name));
    bool allBack = true;
    for (auto step = steps.crbegin(); step != steps.crend(); ++step) {
        const QString live = QStringLiteral("./") + step->entry;
        if (step->placed && !actions->moveFile(live, QDir(staging).filePath(step->entry)))
            allBack = false;
        if (step->keptAside && !actions->moveFile(QDir(previous).filePath(step->entry), live)) {
            qCritical("%s could not be put back; it lies in %s", qPrintable(step->entry),
                      qPrintable(previous));
            allBack = false;
        }
    }
    if (allBack)
        actions->removeDirectory(previous);
    return false;
}
