// Starts the real program offscreen in a fresh working folder, as the panel would, and asks
// it to stop the way the operating system does (SIGTERM) while it waits at its start-up
// question.
#include "tests/support/ChildProcess.h"
#include "tests/support/LogFiles.h"
#include "tests/support/TempWorkDir.h"

#include <QProcess>
#include <QtTest>

namespace {

// The log glog opened for one process ("log<time>.<pid>.log"); an earlier run's log may still
// lie beside it until the new process has renamed it.
QString logOfProcess(const QString &workingFolder, qint64 pid)
{
    const QString suffix = QStringLiteral(".%1.log").arg(pid);
    for (const QString &name : logFileNames(workingFolder, QStringLiteral("log"))) {
        if (name.endsWith(suffix))
            return readLogFiles(workingFolder, name);
    }
    return QString();
}

QString programPath()
{
    return QString::fromLocal8Bit(qgetenv("MM_BINARY_DIR")) + QStringLiteral("/runtime/mouldmonitor");
}

// A working folder as the build assembles it: the default parameter group and its copies.
bool prepareWorkingFolder(const TempWorkDir &work)
{
    const QString runtime = QString::fromLocal8Bit(qgetenv("MM_BINARY_DIR")) + QStringLiteral("/runtime");
    if (!QDir().mkpath(work.filePath(QStringLiteral("paraGroup/default"))))
        return false;
    for (const QString &name : {QStringLiteral("PARAM.db"), QStringLiteral("SN.db")}) {
        const QString source = runtime + QStringLiteral("/paraGroup/default/") + name;
        if (!QFile::copy(source, work.filePath(QStringLiteral("paraGroup/default/") + name))
            || !QFile::copy(source, work.filePath(name))) {
            qWarning("%s not copied", qPrintable(source));
            return false;
        }
    }
    return true;
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void startsShowsTheWindowAndEndsWhenAsked();
    void earlyQtMessagesReachTheLog();
};

void StartupTest::startsShowsTheWindowAndEndsWhenAsked()
{
    const QString program = programPath();
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
    TempWorkDir work;
    QVERIFY(prepareWorkingFolder(work));

    // The second start renames the first run's log and keeps it.
    for (int run = 1; run <= 2; ++run) {
        QProcess process;
        process.setWorkingDirectory(work.path());
        process.setProcessEnvironment(childEnvironment(work.filePath(QStringLiteral(".xdg"))));
        process.start(program, QStringList());
        QVERIFY(process.waitForStarted(30000));
        const qint64 pid = process.processId();
        // Without cameras the station runs on simulated ones and asks, in a modal box, whether
        // to clear the saved camera serials. A stop request ends the box unanswered; the
        // station is built all the same, shown, and the program ends.
        QTRY_VERIFY_WITH_TIMEOUT(logOfProcess(work.path(), pid).contains(QStringLiteral("simulated camera(s) stand in")), 60000);
        process.terminate();
        QVERIFY(process.waitForFinished(60000));
        QVERIFY(logOfProcess(work.path(), pid).contains(QStringLiteral("主窗口已显示")));
        const QByteArray errors = process.readAllStandardError();
        QVERIFY2(process.exitStatus() == QProcess::NormalExit, errors.constData());
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(errors, QByteArray());

        const QStringList records = logRecords(logOfProcess(work.path(), pid));
        QVERIFY(records.size() >= 4);
        QVERIFY2(records.first().endsWith(QStringLiteral("] application 17.4.0.30  release")),
                 qPrintable(records.first()));
        // The lamp library beside the executable was found and initialised.
        QVERIFY(records.at(1).endsWith(QStringLiteral("] 初始化成功")));
        QVERIFY2(records.last().endsWith(QStringLiteral("code 0")), qPrintable(records.mid(records.size() - 3).join(QLatin1Char('\n'))));
        QCOMPARE(logFileNames(work.path(), QStringLiteral("glog_")).size(), run - 1);
    }
    QVERIFY(logFileNames(work.path(), QStringLiteral("ERROR_")).isEmpty());
}

// Without XDG_RUNTIME_DIR Qt warns while the application object is made, before the log
// exists: the warning is in the log, after the version record, and nothing reaches standard
// error.
void StartupTest::earlyQtMessagesReachTheLog()
{
    const QString program = programPath();
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
    TempWorkDir work;
    QVERIFY(prepareWorkingFolder(work));
    QProcess process;
    process.setWorkingDirectory(work.path());
    QProcessEnvironment environment = childEnvironment(work.filePath(QStringLiteral(".xdg")));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.start(program, QStringList());
    QVERIFY(process.waitForStarted(30000));
    const qint64 pid = process.processId();
    QTRY_VERIFY_WITH_TIMEOUT(logOfProcess(work.path(), pid).contains(QStringLiteral("simulated camera(s) stand in")), 60000);
    process.terminate();
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.readAllStandardError(), QByteArray());
    const QStringList records = logRecords(logOfProcess(work.path(), pid));
    QVERIFY(!records.isEmpty());
    QVERIFY(records.first().endsWith(QStringLiteral("] application 17.4.0.30  release")));
    QVERIFY2(records.filter(QStringLiteral("XDG_RUNTIME_DIR not set")).size() == 1,
             qPrintable(records.mid(0, 5).join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(StartupTest)
#include "StartupTest.moc"
