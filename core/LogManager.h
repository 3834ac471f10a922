#ifndef CORE_LOGMANAGER_H
#define CORE_LOGMANAGER_H

#include <QObject>
#include <QString>
#include <QStringList>

class QDateTime;

// Sets up the log files once at start-up and routes Qt's messages into glog: qDebug is
// dropped, qInfo and qWarning go to "log", qCritical also to "ERROR_", qFatal also to "FATAL_",
// all under "./cnt_net/workspace/LOG/". Nothing is written to standard error.
//
// Logs of earlier runs are renamed to "glog_<yyyyMMdd_hhmmss>[_<n>].txt"; every renamed file
// keeps its content under a name of its own. Then the oldest files are pruned (50 kept in the
// log folder, 10 in "./cnt_net/workspace/log_stdout/").
//
// glog can be initialised once per process: create one LogManager, keep it for the run.
class LogManager : public QObject
{
    Q_OBJECT

public:
    static constexpr int KeptLogFiles = 50;
    static constexpr int KeptStdoutFiles = 10;

    explicit LogManager(QObject *parent = nullptr);

    static QString logFolder();      // "./cnt_net/workspace/LOG/"
    static QString stdoutFolder();   // "./cnt_net/workspace/log_stdout/"

    // Renames every "log*.log" file of the folder, newest first, to a "glog_" name that no file
    // of the folder has yet. Returns the new names in renaming order.
    static QStringList renameEarlierLogs(const QString &folder, const QDateTime &now);
    // Deletes the oldest files (by modification time, hidden ones not counted) until at most
    // keep remain. A file that cannot be deleted still leaves the count.
    static void pruneOldest(const QString &folder, int keep);

    // Writes out whatever glog holds; used before the process ends without unwinding.
    static void flush();
};

// Qt message handler installed by LogManager.
void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);
// glog failure writer installed by LogManager; runs inside the crash signal handler.
void logFailureWriter(const char *data, size_t size);

// Qt's own messages written before the log manager exists (while the application object and
// the platform start, e.g. "QStandardPaths: XDG_RUNTIME_DIR not set") are held in memory from
// the first line of main() on, instead of reaching standard error; writeHeldMessages() puts
// them into the log once it exists. A fatal message is not held: it is written at once.
void holdEarlyMessages();
void writeHeldMessages();

// Created in start-up; never destroyed.
extern LogManager *logManager;

#endif
