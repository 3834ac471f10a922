// The file keeps its lower-case name: glog prints the base name of the source file in every
// record's prefix, and the records are expected to name "logmanager".
#include "core/LogManager.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QVector>

#include <glog/logging.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

LogManager *logManager = nullptr;

namespace {

const char logFolderPath[] = "./cnt_net/workspace/LOG/";
const char stdoutFolderPath[] = "./cnt_net/workspace/log_stdout/";

// Absolute path of this run's crash report, filled once before the crash handler is installed
// and only read afterwards, so the signal handler can use it without locks or allocation.
char crashReportPath[4096] = {};

void prepareCrashReportPath(const QString &folder)
{
    const QString path = QStringLiteral("%1ERROR_crash.%2.%3.log")
                             .arg(folder,
                                  QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")))
                             .arg(QCoreApplication::applicationPid());
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.size() < int(sizeof(crashReportPath)))
        qstrncpy(crashReportPath, encoded.constData(), sizeof(crashReportPath));
}

// Async-signal-safe: open, write and close only.
int openCrashReport()
{
    if (crashReportPath[0] == '\0')
        return -1;
    return ::open(crashReportPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

void startGlog(const QString &folder)
{
    FLAGS_log_dir = folder.toStdString();
    FLAGS_logbufsecs = 0;
    FLAGS_logbuflevel = -1;
    FLAGS_max_log_size = 100;
    FLAGS_stop_logging_if_full_disk = true;
    FLAGS_logtostderr = false;
    FLAGS_alsologtostderr = false;
    // No severity reaches standard error (glog sends ERROR and above there by default).
    FLAGS_stderrthreshold = google::NUM_SEVERITIES;

    google::SetLogFilenameExtension(".log");
    const std::string base = folder.toStdString();
    google::SetLogDestination(google::GLOG_INFO, (base + "log").c_str());
    // glog writes a record into the file of its own severity and of every lower one. A file of
    // its own for WARNING under the same base name would collide with the INFO file (same
    // second, same process) or hold every warning a second time; warnings land in "log" through
    // the INFO file instead.
    google::SetLogDestination(google::GLOG_WARNING, "");
    google::SetLogDestination(google::GLOG_ERROR, (base + "ERROR_").c_str());
    google::SetLogDestination(google::GLOG_FATAL, (base + "FATAL_").c_str());
    // No "<program>.INFO" links: they would be renamed or pruned like log files.
    for (int severity = 0; severity < google::NUM_SEVERITIES; ++severity)
        google::SetLogSymlink(severity, "");

    if (google::IsGoogleLoggingInitialized())
        return;
    // glog keeps the pointer for the whole run.
    static const QByteArray *programName =
        new QByteArray(QCoreApplication::applicationFilePath().toLatin1());
    google::InitGoogleLogging(programName->constData());
    prepareCrashReportPath(folder);
    google::InstallFailureSignalHandler();
    google::InstallFailureWriter(&logFailureWriter);
}

struct HeldMessage
{
    QtMsgType type;
    QString text;
};

QMutex heldMessagesLock;
QVector<HeldMessage> heldMessages;

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        qInstallMessageHandler(nullptr);
        qt_message_output(type, context, message);
        return;
    }
    QMutexLocker locker(&heldMessagesLock);
    heldMessages.append({type, message});
}

} // namespace

void holdEarlyMessages()
{
    qInstallMessageHandler(holdMessage);
}

void writeHeldMessages()
{
    QVector<HeldMessage> held;
    {
        QMutexLocker locker(&heldMessagesLock);
        held.swap(heldMessages);
    }
    const QMessageLogContext context;
    for (const HeldMessage &message : qAsConst(held))
        logMessageHandler(message.type, context, message.text);
}

LogManager::LogManager(QObject *parent)
    : QObject(parent)
{
    const QString folder = QDir(logFolder()).absolutePath() + QLatin1Char('/');
    QDir().mkpath(folder);
    renameEarlierLogs(folder, QDateTime::currentDateTime());
    pruneOldest(folder, KeptLogFiles);
    pruneOldest(stdoutFolder(), KeptStdoutFiles);
    // glog is ready before Qt's messages are routed to it, so no early message ends up on
    // standard error.
    startGlog(folder);
    qInstallMessageHandler(logMessageHandler);
}

QString LogManager::logFolder()
{
    return QString::fromLatin1(logFolderPath);
}

QString LogManager::stdoutFolder()
{
    return QString::fromLatin1(stdoutFolderPath);
}

QStringList LogManager::renameEarlierLogs(const QString &folder, const QDateTime &now)
{
    const QDir dir(folder);
    const QFileInfoList logs = dir.entryInfoList({QStringLiteral("log*.log")},
                                                 QDir::Files | QDir::Hidden, QDir::Time);
    const QString stamp = QStringLiteral("glog_") + now.toString(QStringLiteral("yyyyMMdd_hhmmss"));
    QStringList renamed;
    for (const QFileInfo &log : logs) {
        // Several logs renamed in one second each get a name of their own; none is deleted.
        QString name = stamp + QStringLiteral(".txt");
        for (int n = 1; dir.exists(name); ++n)
            name = QStringLiteral("%1_%2.txt").arg(stamp).arg(n);
        if (QFile::rename(log.filePath(), dir.filePath(name)))
            renamed << name;
    }
    return renamed;
}

void LogManager::pruneOldest(const QString &folder, int keep)
{
    QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Time);
    while (files.size() > keep)
        QFile::remove(files.takeLast().filePath());
}

void LogManager::flush()
{
    if (google::IsGoogleLoggingInitialized())
        google::FlushLogFiles(google::GLOG_INFO);
}

void logMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    google::LogSeverity severity = google::GLOG_INFO;
    switch (type) {
    case QtDebugMsg:
        return;
    case QtInfoMsg:
        severity = google::GLOG_INFO;
        break;
    case QtWarningMsg:
        severity = google::GLOG_WARNING;
        break;
    case QtCriticalMsg:
        severity = google::GLOG_ERROR;
        break;
    case QtFatalMsg: {
        // A fatal record ends the process; glog then announces and dumps the stack trace on
        // standard error. Let that land in the crash report instead.
        const int report = openCrashReport();
        if (report >= 0) {
            ::dup2(report, STDERR_FILENO);
            ::close(report);
        }
        severity = google::GLOG_FATAL;
        break;
    }
    }
    const QByteArray text = message.toUtf8();
    google::LogMessage(__FILE__, __LINE__, severity).stream().write(text.constData(), text.size());
}

void logFailureWriter(const char *data, size_t size)
{
    const int savedErrno = errno;
    const int report = openCrashReport();
    if (report >= 0) {
        while (size > 0) {
            const ssize_t written = ::write(report, data, size);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            data += written;
            size -= size_t(written);
        }
        ::close(report);
    }
    errno = savedErrno;
}
