#ifndef PLATFORM_SYSTEM_RECORDINGSYSTEMACTIONS_H
#define PLATFORM_SYSTEM_RECORDINGSYSTEMACTIONS_H

#include "platform/system/SystemActions.h"

#include <QHash>
#include <QMutex>
#include <QStringList>

// A SystemActions for tests: every call is appended to actions() as one line of text
// ("reboot", "mount /dev/sdb1 /mnt", "copyFile a b" ...). Power, mount, clock, backlight and
// detached starts only record. File actions record and, while performFileActions is true,
// are carried out by the host implementation (tests run in a temporary folder).
// blockDevices() and mountTable() answer with the scripted texts; each mount or unmount
// updates the scripted mount table like the kernel would. Actions may come from a worker
// thread (long file work); each line is appended under a lock.
class RecordingSystemActions : public SystemActions
{
public:
    QStringList actions;
    bool performFileActions = true;
    bool programsStartForReal = true;   // startProgram / runProgram
    QString blkidOutput;
    QString mounts;                    // the text of /proc/mounts; null reads as "cannot open"
    bool mountSucceeds = true;
    bool clockSucceeds = true;
    bool powerSucceeds = true;          // what reboot() and powerOff() answer

    // Installs itself as the process-wide instance for its lifetime.
    RecordingSystemActions();
    ~RecordingSystemActions() override;

    bool reboot() override;
    bool powerOff() override;
    void restartApplication() override;
    void exitApplication(int status) override;
    void syncDisks() override;
    QString blockDevices() override;
    QString mountTable() override;
    bool mount(const QString &device, const QString &mountPoint) override;
    bool unmount(const QString &mountPoint) override;
    bool setClock(const QDateTime &localTime) override;
    void setBacklightPower(bool on) override;
    QProcess *startProgram(const QString &program, const QStringList &arguments,
                           QObject *parent) override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
    bool copyFile(const QString &source, const QString &destination) override;
    bool copyDirectory(const QString &source, const QString &destination) override;
    bool removeFile(const QString &path) override;
    bool removeDirectory(const QString &path) override;
    bool moveFile(const QString &source, const QString &destination) override;
    bool replaceFile(const QString &source, const QString &destination) override;
    int runProgram(const QString &program, const QStringList &arguments, int timeoutMs,
                   QString *output = nullptr) override;

    // Number of recorded lines that start with the given word.
    int count(const QString &firstWord) const;

private:
    void record(const QString &line);

    QMutex lock;
    SystemActions *previous;
};

#endif
