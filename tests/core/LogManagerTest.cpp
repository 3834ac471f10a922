#include "core/LogManager.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LogFiles.h"
#include "tests/support/TempWorkDir.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <csignal>

namespace {

const QDateTime startTime(QDate(2024, 5, 6), QTime(7, 8, 9));

// Creates a file whose content is its own name and whose modification time lies ageSeconds
// before startTime.
void createAgedFile(const QDir &folder, const QString &name, int ageSeconds)
{
    QFile file(folder.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(name.toUtf8());
    // Written out first, so that closing the file does not touch the time again.
    QVERIFY(file.flush());
    QVERIFY(file.setFileTime(startTime.addSecs(-ageSeconds), QFileDevice::FileModificationTime));
}

QString contentOf(const QDir &folder, const QString &name)
{
    QFile file(folder.filePath(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// What the program does in a child process: set up the log, then the given ending.
int runChildMode(const QString &mode)
{
    logManager = new LogManager;
    if (mode == QLatin1String("routing")) {
        qDebug("debug-marker");
        qInfo("info-marker 模具监视");
        qWarning("warning-marker");
        qCritical("critical-marker");
        return 0;
    }
    if (mode == QLatin1String("fatal")) {
        qInfo("before-fatal");
        qFatal("fatal-marker");
    }
    if (mode == QLatin1String("crash")) {
        qInfo("before-crash");
        std::raise(SIGSEGV);
    }
    return 64;
}

} // namespace

class LogManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void renamesEveryEarlierLog_data();
    void renamesEveryEarlierLog();
    void keepsOnlyTheNewestFiles_data();
    void keepsOnlyTheNewestFiles();
    void routesMessagesByType();
    void fatalMessageLeavesItsRecord();
    void crashReportStaysInLogFolder();
};

void LogManagerTest::renamesEveryEarlierLog_data()
{
    QTest::addColumn<QStringList>("files");     // "name:age in seconds"
    QTest::addColumn<QStringList>("renames");   // "old>new", S standing for the start second

    QTest::newRow("one log") << QStringList{"log20240101-000000.17.log:60"}
                             << QStringList{"log20240101-000000.17.log>glog_S.txt"};
    QTest::newRow("several in one second, newest first")
        << QStringList{"logA.log:30", "logB.log:10", "logC.log:20"}
        << QStringList{"logB.log>glog_S.txt", "logC.log>glog_S_1.txt", "logA.log>glog_S_2.txt"};
    QTest::newRow("name taken by a start in the same second")
        << QStringList{"glog_S.txt:100", "glog_S_1.txt:90", "log1.log:5"}
        << QStringList{"log1.log>glog_S_2.txt"};
    QTest::newRow("other files stay")
        << QStringList{"ERROR_a.log:5", "FATAL_b.log:5", "glog_old.txt:5", "mylog.log:5",
                       "log.txt:5", "logfile.log.txt:5"}
        << QStringList{};
}

void LogManagerTest::renamesEveryEarlierLog()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, renames);
    const QString second = startTime.toString(QStringLiteral("yyyyMMdd_hhmmss"));

    TempWorkDir work;
    const QDir folder(work.path());
    QMap<QString, QString> expected;   // final name -> content
    for (const QString &entry : files) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).replace(QLatin1String("_S"), QLatin1Char('_') + second);
        createAgedFile(folder, name, entry.section(QLatin1Char(':'), 1).toInt());
        expected.insert(name, name);
    }
    QStringList newNames;
    for (const QString &rename : renames) {
        const QString from = rename.section(QLatin1Char('>'), 0, 0);
        const QString to = rename.section(QLatin1Char('>'), 1).replace(QLatin1String("_S"), QLatin1Char('_') + second);
        expected.remove(from);
        expected.insert(to, from);
        newNames << to;
    }

    QCOMPARE(LogManager::renameEarlierLogs(work.path(), startTime), newNames);

    // Nothing lost: every file is there, under its new name where it was renamed.
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name), QStringList(expected.keys()));
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(contentOf(folder, it.key()), it.value());
}

void LogManagerTest::keepsOnlyTheNewestFiles_data()
{
    QTest::addColumn<int>("fileCount");
    QTest::addColumn<int>("keep");

    QTest::newRow("log folder over its limit") << 60 << LogManager::KeptLogFiles;
    QTest::newRow("log folder at its limit") << 50 << LogManager::KeptLogFiles;
    QTest::newRow("stdout folder over its limit") << 13 << LogManager::KeptStdoutFiles;
    QTest::newRow("few files") << 3 << LogManager::KeptStdoutFiles;
}

void LogManagerTest::keepsOnlyTheNewestFiles()
{
    QFETCH(int, fileCount);
    QFETCH(int, keep);

    TempWorkDir work;
    const QDir folder(work.path());
    // Names are scattered over the ages, so an order by name would keep the wrong files.
    QStringList newest;
    for (int age = 0; age < fileCount; ++age) {
        const int number = (age * 7) % fileCount;
        const QString name = QStringLiteral("f%1.txt").arg(number, 3, 10, QLatin1Char('0'));
        createAgedFile(folder, name, 60 * (age + 1));
        if (age < keep)
            newest << name;
    }
    createAgedFile(folder, QStringLiteral(".hidden"), 1000000);

    LogManager::pruneOldest(work.path(), keep);

    newest.sort();
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name), newest);
    QVERIFY(folder.exists(QStringLiteral(".hidden")));
}

void LogManagerTest::routesMessagesByType()
{
    TempWorkDir work;
    QVERIFY(QDir().mkpath(logFolderIn(work.path())));
    const QDir logs(logFolderIn(work.path()));
    createAgedFile(logs, QStringLiteral("log20200101-000000.42.log"), 3600);

    const ChildResult child = runChild({QStringLiteral("--child"), QStringLiteral("routing")}, work.path());
    QVERIFY2(child.endedNormally(), child.standardError.constData());
    QCOMPARE(child.standardError, QByteArray());

    // The earlier run's log was renamed, not lost.
    const QStringList earlier = logFileNames(work.path(), QStringLiteral("glog_"));
    QCOMPARE(earlier.size(), 1);
    QCOMPARE(contentOf(logs, earlier.first()), QStringLiteral("log20200101-000000.42.log"));

    QCOMPARE(logFileNames(work.path(), QStringLiteral("log")).size(), 1);
    QCOMPARE(logFileNames(work.path(), QStringLiteral("ERROR_")).size(), 1);
    QVERIFY(logFileNames(work.path(), QStringLiteral("FATAL_")).isEmpty());

    // "log" holds every record once, in order; the source named is the log manager.
    const QStringList records = logRecords(readLogFiles(work.path(), QStringLiteral("log")));
    QCOMPARE(records.size(), 3);
    QVERIFY(records.at(0).startsWith(QLatin1Char('I')));
    QVERIFY(records.at(0).endsWith(QStringLiteral("] info-marker 模具监视")));
    for (const QString &record : records)
        QVERIFY2(record.contains(QStringLiteral(" logmanager.cpp:")), qPrintable(record));
    QVERIFY(records.at(1).startsWith(QLatin1Char('W')));
    QVERIFY(records.at(1).endsWith(QStringLiteral("] warning-marker")));
    QVERIFY(records.at(2).startsWith(QLatin1Char('E')));
    QVERIFY(records.at(2).endsWith(QStringLiteral("] critical-marker")));

    const QStringList errors = logRecords(readLogFiles(work.path(), QStringLiteral("ERROR_")));
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().endsWith(QStringLiteral("] critical-marker")));
}

void LogManagerTest::fatalMessageLeavesItsRecord()
{
    TempWorkDir work;
    const ChildResult child = runChild({QStringLiteral("--child"), QStringLiteral("fatal")}, work.path());
    QVERIFY(child.finished);
    QVERIFY(!child.endedNormally());
    QCOMPARE(child.standardError, QByteArray());

    const QStringList fatal = logRecords(readLogFiles(work.path(), QStringLiteral("FATAL_")));
    QCOMPARE(fatal.size(), 1);
    QVERIFY(fatal.first().startsWith(QLatin1Char('F')));
    QVERIFY(fatal.first().endsWith(QStringLiteral("] fatal-marker")));
    QVERIFY(readLogFiles(work.path(), QStringLiteral("log")).contains(QStringLiteral("] before-fatal")));
    // glog's stack trace of the fatal record went to the crash report instead of stderr.
    QVERIFY(!readLogFiles(work.path(), QStringLiteral("ERROR_crash.")).isEmpty());
}

void LogManagerTest::crashReportStaysInLogFolder()
{
    TempWorkDir work;
    const ChildResult child = runChild({QStringLiteral("--child"), QStringLiteral("crash")}, work.path());
    QVERIFY(child.finished);
    QCOMPARE(child.exitStatus, QProcess::CrashExit);
    QCOMPARE(child.standardError, QByteArray());

    QCOMPARE(logFileNames(work.path(), QStringLiteral("ERROR_crash.")).size(), 1);
    QVERIFY(readLogFiles(work.path(), QStringLiteral("ERROR_crash.")).contains(QStringLiteral("SIGSEGV")));
    QVERIFY(readLogFiles(work.path(), QStringLiteral("log")).contains(QStringLiteral("] before-crash")));
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0) {
        QCoreApplication application(argc, argv);
        return runChildMode(QString::fromLatin1(argv[2]));
    }
    QCoreApplication application(argc, argv);
    LogManagerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LogManagerTest.moc"
