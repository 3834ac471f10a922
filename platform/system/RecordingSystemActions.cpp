#include "platform/system/RecordingSystemActions.h"

RecordingSystemActions::RecordingSystemActions()
    : previous(setSystemActions(this))
{
}

RecordingSystemActions::~RecordingSystemActions()
{
    setSystemActions(previous);
}

bool RecordingSystemActions::reboot()
{
    record(QStringLiteral("reboot"));
    return powerSucceeds;
}

bool RecordingSystemActions::powerOff()
{
    record(QStringLiteral("powerOff"));
    return powerSucceeds;
}

void RecordingSystemActions::restartApplication()
{
    record(QStringLiteral("restartApplication"));
}

void RecordingSystemActions::exitApplication(int status)
{
    record(QStringLiteral("exit %1").arg(status));
}

void RecordingSystemActions::record(const QString &line)
{
    QMutexLocker locker(&lock);
    actions << line;
}

void RecordingSystemActions::syncDisks()
{
    record(QStringLiteral("sync"));
}

QString RecordingSystemActions::blockDevices()
{
    record(QStringLiteral("blkid"));
    return blkidOutput;
}

QString RecordingSystemActions::mountTable()
{
    return mounts;
}

bool RecordingSystemActions::mount(const QString &device, const QString &mountPoint)
{
    record(QStringLiteral("mount %1 %2").arg(device, mountPoint));
    if (!mountSucceeds)
        return false;
    if (!mounts.isNull())
        mounts += QStringLiteral("%1 %2 vfat rw 0 0\n").arg(device, mountPoint);
    return true;
}

bool RecordingSystemActions::unmount(const QString &mountPoint)
{
    record(QStringLiteral("umount %1").arg(mountPoint));
    // Drop the newest line mounted exactly at that point, as umount does.
    QStringList lines = mounts.split(QLatin1Char('\n'));
    for (int i = lines.size() - 1; i >= 0; --i) {
        const QStringList fields = lines.at(i).split(QLatin1Char(' '));
        if (fields.size() > 1 && fields.at(1) == mountPoint) {
            lines.removeAt(i);
            mounts = lines.join(QLatin1Char('\n'));
            return true;
        }
    }
    return false;
}

bool RecordingSystemActions::setClock(const QDateTime &localTime)
{
    record(QStringLiteral("setClock %1")
                   .arg(localTime.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
    return clockSucceeds;
}

void RecordingSystemActions::setBacklightPower(bool on)
{
    record(QStringLiteral("backlight %1").arg(on ? QStringLiteral("on") : QStringLiteral("off")));
}

QProcess *RecordingSystemActions::startProgram(const QString &program,
                                               const QStringList &arguments, QObject *parent)
{
    record(QStringLiteral("start %1").arg((QStringList(program) + arguments).join(QLatin1Char(' '))));
    return programsStartForReal ? SystemActions::startProgram(program, arguments, parent) : nullptr;
}

bool RecordingSystemActions::startDetached(const QString &program, const QStringList &arguments)
{
    record(QStringLiteral("detach %1").arg((QStringList(program) + arguments).join(QLatin1Char(' '))));
    return true;
}

bool RecordingSystemActions::copyFile(const QString &source, const QString &destination)
{
    record(QStringLiteral("copyFile %1 %2").arg(source, destination));
    return !performFileActions || SystemActions::copyFile(source, destination);
}

bool RecordingSystemActions::copyDirectory(const QString &source, const QString &destination)
{
    record(QStringLiteral("copyDirectory %1 %2").arg(source, destination));
    if (!performFileActions)
        return true;
    // Copy through the host implementation so that the files of the tree are not recorded one by one.
    SystemActions host;
    return host.copyDirectory(source, destination);
}

bool RecordingSystemActions::removeFile(const QString &path)
{
    record(QStringLiteral("removeFile %1").arg(path));
    return !performFileActions || SystemActions::removeFile(path);
}

bool RecordingSystemActions::removeDirectory(const QString &path)
{
    record(QStringLiteral("removeDirectory %1").arg(path));
    return !performFileActions || SystemActions::removeDirectory(path);
}

bool RecordingSystemActions::moveFile(const QString &source, const QString &destination)
{
    record(QStringLiteral("moveFile %1 %2").arg(source, destination));
    return !performFileActions || SystemActions::moveFile(source, destination);
}

bool RecordingSystemActions::replaceFile(const QString &source, const QString &destination)
{
    record(QStringLiteral("replaceFile %1 %2").arg(source, destination));
    return !performFileActions || SystemActions::replaceFile(source, destination);
}

int RecordingSystemActions::runProgram(const QString &program, const QStringList &arguments,
                                       int timeoutMs, QString *output)
{
    record(QStringLiteral("run %1").arg((QStringList(program) + arguments).join(QLatin1Char(' '))));
    if (!programsStartForReal)
        return 0;
    return SystemActions::runProgram(program, arguments, timeoutMs, output);
}

int RecordingSystemActions::count(const QString &firstWord) const
{
    int n = 0;
    for (const QString &line : actions) {
        if (line == firstWord || line.startsWith(firstWord + QLatin1Char(' ')))
            ++n;
    }
    return n;
}
