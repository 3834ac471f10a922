#include "platform/system/SystemActions.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

SystemActions *hostActions()
{
    static SystemActions host;
    return &host;
}

SystemActions *installedActions = nullptr;

const char backlightFile[] = "/sys/class/backlight/intel_backlight/bl_power";

// An entry at the path, a dangling link included (QFileInfo::exists follows links).
bool entryExists(const QString &path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

void quitEventLoop()
{
    if (QCoreApplication::instance())
        QCoreApplication::quit();
}

} // namespace

SystemActions *systemActions()
{
    return installedActions ? installedActions : hostActions();
}

SystemActions *setSystemActions(SystemActions *actions)
{
    SystemActions *previous = systemActions();
    installedActions = actions;
    return previous;
}

bool SystemActions::isPanelBuild()
{
#ifdef PANEL_BUILD
    return true;
#else
    return false;
#endif
}

bool SystemActions::reboot()
{
    syncDisks();
    if (isPanelBuild()) {
        qInfo("系统重启 (reboot)");
        const int status = runProgram(QStringLiteral("reboot"), {}, 10000);
        if (status != 0)
            qCritical("reboot failed (status %d)", status);
        return status == 0;
    }
    qInfo("reboot requested; development build ends the program instead");
    quitEventLoop();
    return true;
}

bool SystemActions::powerOff()
{
    syncDisks();
    if (isPanelBuild()) {
        qInfo("系统关机 (power off)");
        const int status = runProgram(QStringLiteral("poweroff"), {}, 10000);
        if (status != 0)
            qCritical("power-off failed (status %d)", status);
        return status == 0;
    }
    qInfo("power-off requested; development build ends the program instead");
    quitEventLoop();
    return true;
}

QStringList SystemActions::restartWaiterCommand(qint64 pid, const QString &program,
                                               const QStringList &arguments, int waitSeconds)
{
    // Polls every 100 ms; after the limit the program starts anyway, so that a process that
    // hangs on its way out does not leave the machine without a monitor. A process that has
    // ended but is not yet reaped by its parent still answers kill -0: its state in
    // /proc/<pid>/stat (the field after the name, which may itself hold blanks and
    // parentheses) tells a zombie (Z) or a dying process (X) from a live one. Without /proc
    // kill -0 alone decides.
    static const QString script = QStringLiteral(
        "alive() { kill -0 \"$1\" 2>/dev/null || return 1; "
        "s=$(cat \"/proc/$1/stat\" 2>/dev/null) || return 0; s=${s##*\")\"}; set -- $s; "
        "[ \"$1\" != Z ] && [ \"$1\" != X ]; }; "
        "pid=$1; limit=$2; shift 2; n=0; "
        "while alive \"$pid\" && [ \"$n\" -lt \"$limit\" ]; do "
        "sleep 0.1; n=$((n+1)); done; exec \"$@\"");
    return QStringList{QStringLiteral("/bin/sh"), QStringLiteral("-c"), script,
                       QStringLiteral("mouldmonitor-restart"), QString::number(pid),
                       QString::number(waitSeconds * 10), program}
           + arguments;
}

void SystemActions::restartApplication()
{
    const QString program = QCoreApplication::applicationFilePath();
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    QStringList command =
        restartWaiterCommand(QCoreApplication::applicationPid(), program, arguments);
    const QString shell = command.takeFirst();
    if (!QProcess::startDetached(shell, command, QDir::currentPath()))
        qWarning("restart of %s failed", qPrintable(program));
    quitEventLoop();
}

void SystemActions::exitApplication(int status)
{
    if (QCoreApplication::instance())
        QCoreApplication::exit(status);
}

void SystemActions::syncDisks()
{
    ::sync();
}

QString SystemActions::blockDevices()
{
    QString output;
    runProgram(QStringLiteral("blkid"), {}, 1000, &output);
    return output;
}

QString SystemActions::mountTable()
{
    QFile file(QStringLiteral("/proc/mounts"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

bool SystemActions::mount(const QString &device, const QString &mountPoint)
{
    if (!isPanelBuild()) {
        qInfo("mount %s %s skipped in a development build", qPrintable(device),
              qPrintable(mountPoint));
        return false;
    }
    const int status = runProgram(QStringLiteral("mount"), {device, mountPoint}, 1000);
    if (status != 0)
        qWarning("mount %s %s failed (status %d)", qPrintable(device), qPrintable(mountPoint), status);
    return status == 0;
}

bool SystemActions::unmount(const QString &mountPoint)
{
    if (!isPanelBuild()) {
        qInfo("umount %s skipped in a development build", qPrintable(mountPoint));
        return false;
    }
    const int status = runProgram(QStringLiteral("umount"), {mountPoint}, 1000);
    if (status != 0)
        qWarning("umount %s failed (status %d)", qPrintable(mountPoint), status);
    return status == 0;
}

bool SystemActions::setClock(const QDateTime &localTime)
{
    const QString text = localTime.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (!isPanelBuild()) {
        qInfo("clock change to %s skipped in a development build", qPrintable(text));
        return false;
    }
    return writeClock(localTime);
}

bool SystemActions::writeClock(const QDateTime &localTime)
{
    const QString text = localTime.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    const int dateStatus = runProgram(QStringLiteral("date"), {QStringLiteral("-s"), text}, 3000);
    if (dateStatus != 0) {
        qWarning("clock change to %s failed: date status %d", qPrintable(text), dateStatus);
        return false;
    }
    // The system clock runs on the new time; only the hardware clock keeps the old one.
    const int hwclockStatus = runProgram(QStringLiteral("hwclock"), {QStringLiteral("--systohc")}, 3000);
    if (hwclockStatus != 0)
        qWarning("clock changed to %s, but the hardware clock was not set: hwclock status %d",
                 qPrintable(text), hwclockStatus);
    return hwclockStatus == 0;
}

void SystemActions::setBacklightPower(bool on)
{
    if (!isPanelBuild()) {
        qInfo("backlight %s skipped in a development build", on ? "on" : "off");
        return;
    }
    QFile file(QString::fromLatin1(backlightFile));
    if (!file.open(QIODevice::WriteOnly) || file.write(on ? "0\n" : "1\n") < 0)
        qWarning("backlight switch failed: %s", qPrintable(file.errorString()));
}

QProcess *SystemActions::startProgram(const QString &program, const QStringList &arguments,
                                      QObject *parent)
{
    auto *process = new QProcess(parent);
    process->start(program, arguments);
    if (!process->waitForStarted(3000)) {
        qWarning("cannot start %s: %s", qPrintable(program), qPrintable(process->errorString()));
        delete process;
        return nullptr;
    }
    return process;
}

bool SystemActions::startDetached(const QString &program, const QStringList &arguments)
{
    if (!QProcess::startDetached(program, arguments)) {
        qWarning("cannot start %s", qPrintable(program));
        return false;
    }
    return true;
}

bool SystemActions::copyFile(const QString &source, const QString &destination)
{
    // A link at the destination goes as a link: QFile::copy would write through one.
    if (entryExists(destination) && !QFile::remove(destination)) {
        qWarning("copy %s -> %s: destination cannot be replaced", qPrintable(source),
                 qPrintable(destination));
        return false;
    }
    if (!QFile::copy(source, destination)) {
        qWarning("copy %s -> %s failed", qPrintable(source), qPrintable(destination));
        return false;
    }
    return true;
}

bool SystemActions::copyDirectory(const QString &source, const QString &destination)
{
    const QDir sourceDir(source);
    if (!sourceDir.exists()) {
        qWarning("copy of folder %s: it does not exist", qPrintable(source));
        return false;
    }
    // A link where the copy goes is replaced by a folder of its own, never entered.
    if (QFileInfo(destination).isSymLink() && !QFile::remove(destination)) {
        qWarning("copy of folder %s: the link %s cannot be removed", qPrintable(source),
                 qPrintable(destination));
        return false;
    }
    if (!QDir().mkpath(destination)) {
        qWarning("copy of folder %s: cannot create %s", qPrintable(source),
                 qPrintable(destination));
        return false;
    }
    const QFileInfoList entries =
        sourceDir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        // Only the tree's own files and folders: a link could bring in whatever it points at
        // (outside the tree, or the tree itself over and over).
        if (entry.isSymLink() || !(entry.isFile() || entry.isDir())) {
            qWarning("copy of folder %s: %s is no plain file or folder and is left out",
                     qPrintable(source), qPrintable(entry.fileName()));
            continue;
        }
        const QString target = QDir(destination).filePath(entry.fileName());
        const bool ok = entry.isDir() ? copyDirectory(entry.filePath(), target)
                                      : copyFile(entry.filePath(), target);
        if (!ok)
            return false;
    }
    return true;
}

bool SystemActions::removeFile(const QString &path)
{
    if (!entryExists(path))
        return true;
    if (!QFile::remove(path)) {
        qWarning("cannot remove %s", qPrintable(path));
        return false;
    }
    return true;
}

bool SystemActions::removeDirectory(const QString &path)
{
    // QDir::removeRecursively would empty the folder a link leads to.
    if (QFileInfo(path).isSymLink())
        return removeFile(path);
    QDir dir(path);
    if (!dir.exists())
        return true;
    if (!dir.removeRecursively()) {
        qWarning("cannot remove folder %s", qPrintable(path));
        return false;
    }
    return true;
}

bool SystemActions::moveFile(const QString &source, const QString &destination)
{
    // Where rename fails, QFile::rename falls back to writing the destination, through a
    // dangling link too.
    if (entryExists(destination)) {
        qWarning("move %s -> %s: destination exists", qPrintable(source), qPrintable(destination));
        return false;
    }
    if (!QFile::rename(source, destination)) {
        qWarning("move %s -> %s failed", qPrintable(source), qPrintable(destination));
        return false;
    }
    return true;
}

bool SystemActions::replaceFile(const QString &source, const QString &destination)
{
    if (::rename(QFile::encodeName(source).constData(), QFile::encodeName(destination).constData()) != 0) {
        qWarning("rename %s -> %s failed: %s", qPrintable(source), qPrintable(destination),
                 std::strerror(errno));
        return false;
    }
    return true;
}

int SystemActions::runProgram(const QString &program, const QStringList &arguments,
                              int timeoutMs, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs)) {
        qWarning("cannot start %s: %s", qPrintable(program), qPrintable(process.errorString()));
        return -1;
    }
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(timeoutMs);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    if (!finished) {
        qWarning("%s did not finish within %d ms", qPrintable(program), timeoutMs);
        process.kill();
        process.waitForFinished(1000);
        return -1;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}
