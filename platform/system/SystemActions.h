#ifndef PLATFORM_SYSTEM_SYSTEMACTIONS_H
#define PLATFORM_SYSTEM_SYSTEMACTIONS_H

#include <QDateTime>
#include <QString>
#include <QStringList>

class QObject;
class QProcess;

// The one place where the program starts other programs or touches the operating system.
//
// Programs are always started with an argument list, never through a shell string built from
// data. Power, mount, clock and backlight actions are carried out only in a panel build
// (-DPANEL_BUILD=ON); elsewhere they are logged, and where the panel would reboot or power
// off, the program ends cleanly instead. File copies and deletions use Qt's file classes and
// report whether they succeeded.
//
// Tests install a RecordingSystemActions with setSystemActions(), which records every action
// and carries out only the harmless ones.
class SystemActions
{
public:
    virtual ~SystemActions() = default;

    // Power. In a development build these log the request and quit the event loop. False
    // when the command could not be run or failed: the machine stays up and the program runs on.
    virtual bool reboot();
    virtual bool powerOff();
    // Starts this program's own executable again (same arguments, same working directory)
    // and quits the event loop of the current process. The new process is started by a small
    // waiter only once this one has ended, so that the serial port, the Modbus port and the
    // cameras are free when it opens them.
    virtual void restartApplication();
    // Leaves the event loop with the given status; main() then stops the threads and closes
    // what is still open.
    virtual void exitApplication(int status);
    // Flushes file system buffers (sync(2)).
    virtual void syncDisks();

    // Storage.
    // Runs "blkid" and returns its standard output and error, merged; empty when it cannot run.
    virtual QString blockDevices();
    // The text of /proc/mounts; a null string when it cannot be read.
    virtual QString mountTable();
    virtual bool mount(const QString &device, const QString &mountPoint);
    virtual bool unmount(const QString &mountPoint);

    // Sets the system clock and writes it to the hardware clock ("date", then "hwclock").
    virtual bool setClock(const QDateTime &localTime);

    // Screen backlight: writes 0 (on) or 1 (off) to the panel's bl_power file.
    virtual void setBacklightPower(bool on);

    // External programs. startProgram creates a QProcess owned by parent, starts it and
    // returns it; the caller connects to finished()/errorOccurred(). Null when it cannot start.
    virtual QProcess *startProgram(const QString &program, const QStringList &arguments,
                                   QObject *parent);
    // Starts a program detached from this process (touch calibration); false when it cannot start.
    virtual bool startDetached(const QString &program, const QStringList &arguments);

    // Files. Each returns false, and logs why, when the action failed. A symbolic link found
    // at a destination, or at the path to remove, is taken as the entry it is: it is removed
    // or replaced as a link, and never written or emptied through.
    virtual bool copyFile(const QString &source, const QString &destination);
    // Copies a directory tree; existing files in the destination are replaced. Only plain
    // files and folders are copied: symbolic links (and devices, sockets, pipes) are left out.
    virtual bool copyDirectory(const QString &source, const QString &destination);
    virtual bool removeFile(const QString &path);
    // A folder with everything in it; a link at the path is removed as a link.
    virtual bool removeDirectory(const QString &path);
    // Renames within one file system; replaces nothing (fails when the destination exists,
    // be it only a link).
    virtual bool moveFile(const QString &source, const QString &destination);
    // Renames a file within one file system over the destination in one step (rename(2)): a
    // file or link there is replaced, never followed.
    virtual bool replaceFile(const QString &source, const QString &destination);

    // Runs a program and waits up to timeoutMs; returns the exit code, or -1 when it could not
    // start, crashed or timed out. Output (stdout and stderr merged) goes to *output when given.
    virtual int runProgram(const QString &program, const QStringList &arguments, int timeoutMs,
                           QString *output = nullptr);

    // True when power, mount, clock and backlight actions reach the hardware.
    static bool isPanelBuild();

    // The program and arguments of the waiter that restartApplication starts detached: it
    // waits while process pid lives (at most waitSeconds), then replaces itself by program
    // with its arguments. The data travel as arguments, never inside the shell text.
    static QStringList restartWaiterCommand(qint64 pid, const QString &program,
                                            const QStringList &arguments, int waitSeconds = 60);

protected:
    // What setClock runs on the panel: "date -s <yyyy-MM-dd hh:mm:ss>", then, when that
    // succeeded, "hwclock --systohc".
    bool writeClock(const QDateTime &localTime);
};

// The process-wide instance. Never null: a host implementation is created on first use.
SystemActions *systemActions();
// Replaces the process-wide instance (tests). Returns the previous one; ownership stays with
// the caller. Passing null restores the host implementation.
SystemActions *setSystemActions(SystemActions *actions);

#endif
