#include "station/ParameterGroupSwitch.h"

#include "platform/system/SystemActions.h"

#include <QDir>
#include <QFileInfo>
#include <QVector>

namespace {

const char stagingFolder[] = "./paraGroup.staging";
const char previousFolder[] = "./paraGroup.previous";

QString cameraFolderName(int camera, int stage)
{
    return QStringLiteral("cammer%1%2").arg(camera).arg(stage);
}

// Working-directory entries a group must never replace: the groups themselves and the two
// folders of the switch.
bool isProtected(const QString &entry)
{
    return entry == QFileInfo(QString::fromLatin1(ParameterGroupSwitch::GroupFolder)).fileName()
        || entry == QFileInfo(QString::fromLatin1(stagingFolder)).fileName()
        || entry == QFileInfo(QString::fromLatin1(previousFolder)).fileName();
}

} // namespace

ParameterGroupSwitch::ParameterGroupSwitch(int cameraCount, int stageCount)
    : cameras(cameraCount), stages(stageCount)
{
}

QStringList ParameterGroupSwitch::groupNames()
{
    return QDir(QString::fromLatin1(GroupFolder))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

bool ParameterGroupSwitch::groupIsComplete(const QString &group) const
{
    const QDir dir(group);
    if (!QFileInfo(dir.filePath(QStringLiteral("PARAM.db"))).isFile()) {
        qWarning("parameter group %s holds no PARAM.db", qPrintable(group));
        return false;
    }
    for (int c = 1; c <= cameras; ++c) {
        for (int d = 1; d <= stages; ++d) {
            if (!QFileInfo(dir.filePath(cameraFolderName(c, d))).isDir()) {
                qWarning("parameter group %s lacks the folder %s", qPrintable(group),
                         qPrintable(cameraFolderName(c, d)));
                return false;
            }
        }
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
    if (!groupIsComplete(group))
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
    if (!actions->copyDirectory(group, staging)) {
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
