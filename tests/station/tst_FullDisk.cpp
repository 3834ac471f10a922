// The station's files on a disk that fills up and frees again. The scenario runs in a child of
// this program inside a mount namespace of its own, on a small tmpfs mounted there, so that no
// disk of the machine fills and nothing outlives the child. Without the rights for that (not
// root, no "unshare") the test is skipped with a message.

#include "core/DefaultParameterFiles.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/ParameterManager.h"
#include "core/TemperatureChartData.h"
#include "core/UiTexts.h"
#include "platform/system/RecordingSystemActions.h"
#include "station/OperationRecord.h"
#include "station/ProductionCounters.h"
#include "station/TemplateFiles.h"
#include "statistics/StatisticsData.h"
#include "tests/station/RecordRows.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ManualClock.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/ResultRowFiles.h"
#include "tests/support/TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <memory>

namespace {

const char childOption[] = "--on-small-disk";
const char readyMarker[] = "small disk mounted";
const char diskSize[] = "size=2m";
const char fillerFile[] = "filler";

const QDateTime startTime(QDate(2024, 3, 5), QTime(14, 5, 0));

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes into one file until the disk refuses a single byte more.
bool fillDisk()
{
    const int fd = ::open(fillerFile, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    static const char block[65536] = {};
    for (size_t chunk = sizeof block; chunk > 0; chunk /= 2) {
        while (::write(fd, block, chunk) == ssize_t(chunk)) {
        }
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

void freeDisk()
{
    QFile::remove(QString::fromLatin1(fillerFile));
}

void setCounts(int cycles)
{
    clearProductionCounters();
    cameraTotalCount[0] = cycles;
    cameraNgCount[0] = 1;
    cycleTotalCount = cycles;
    cycleNgCount = 1;
}

} // namespace

// Runs in the child, in the working folder on the small disk.
class FullDiskScenario : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(loadUiTexts()); }
    void writtenDataSurvivesAFullDisk();
};

void FullDiskScenario::writtenDataSurvivesAFullDisk()
{
    ManualClock clock(startTime);
    RecordingSystemActions actions;
    QVERIFY(QDir().mkpath(QStringLiteral("paraGroup/default")));
    QVERIFY(QDir().mkpath(stageFolder(0, 0)));
    for (const QString &folder : {QStringLiteral("paraGroup/default/"), QString()}) {
        QVERIFY(writeDefaultParamDatabase(folder + QStringLiteral("PARAM.db")));
        QVERIFY(writeDefaultSerialDatabase(folder + QStringLiteral("SN.db")));
    }

    // Before the disk fills: settings, group, counts, a template, a record row, a result row and
    // a production count are written.
    const std::vector<uchar> picture(64 * 48, 90);
    {
        ParameterManager manager;
        QVERIFY(manager.Init());
        SystemParameters &record = *manager.currentRecord();
        record[Param::FrameRate] = 50;
        record[Param::ParameterGroup] = 2;
        QVERIFY(record.SaveAll(manager.paramQuery()));
        QVERIFY(record.SaveGroupIndex());
        setCounts(9);
        QVERIFY(writeProductionCounters());
        QVERIFY(saveTemplateImage(templateFilePath(0, 0, 0), 64, 48, false, picture.data()));

        auto results = std::make_unique<TemperatureChartData>();
        QVERIFY(results->Init());
        QTRY_VERIFY(results->isReadFinished());
        StatisticsData counts(1, 2, results.get());
        QVERIFY(counts.AddResult(14, true, 0, 0));
        results->SetCurrentCycle(makeCycle(0, 0, startTime, startTime, {1}));
        QVERIFY(results->InsertResult());
        OperationRecord operations;
        QVERIFY(operations.Open());
        operations.LoadDate();
        QVERIFY(operations.InsertRecord(QStringLiteral("before"), 0));

        // The disk fills: every write fails, keeps the old file and is logged once.
        QVERIFY(fillDisk());
        MessageRecorder log;
        for (int cycles : {10, 11}) {
            setCounts(cycles);
            QVERIFY(!writeProductionCounters());
        }
        QCOMPARE(log.count(QStringLiteral("count.txt not written")), 1);
        record[Param::FrameRate] = 60;
        QVERIFY(!record.SaveAll(manager.paramQuery()));
        record[Param::ParameterGroup] = 3;
        QVERIFY(!record.SaveGroupIndex());
        const std::vector<uchar> other(64 * 48, 200);
        QVERIFY(!saveTemplateImage(templateFilePath(0, 0, 0), 64, 48, false, other.data()));
        QVERIFY(!operations.InsertRecord(QStringLiteral("alarm"), 0));
        QVERIFY(!operations.InsertRecord(QStringLiteral("start-up"), 0));
        QCOMPARE(operations.pendingRowCount(), 2);
        QCOMPARE(log.count(QStringLiteral("operation record rows not written")), 1);
        for (int stage : {0, 1}) {
            results->SetCurrentCycle(makeCycle(0, stage, startTime, startTime, {0}));
            QVERIFY(!results->InsertResult());
        }
        QCOMPARE(results->pendingRowCount(), 2);
        QCOMPARE(log.count(QStringLiteral("result rows not written")), 1);
        QVERIFY(!counts.AddResult(14, false, 0, 1));
        QVERIFY(!counts.AddResult(14, false, 0, 1));
        QCOMPARE(log.count(QStringLiteral("production counts not written")), 1);
        // The files written before are whole.
        QCOMPARE(readFile(QStringLiteral("count.txt")).left(5), QByteArray("9 1 0"));
        QCOMPARE(readFile(QStringLiteral("sysadd.txt")), QByteArray("2\n"));

        // Space returns: the waiting rows are written without a further cycle, the record rows
        // with the next date check, the counts with the next verdict.
        freeDisk();
        QTRY_COMPARE_WITH_TIMEOUT(results->pendingRowCount(), 0, 3 * TemperatureChartData::RetryMs);
        QCOMPARE(log.count(QStringLiteral("result rows written again")), 1);
        operations.CheckDate();
        QCOMPARE(operations.pendingRowCount(), 0);
        QVERIFY(counts.AddResult(15, true, 0, 0));
        setCounts(12);
        QVERIFY(writeProductionCounters());
        QCOMPARE(log.count(QStringLiteral("count.txt written again")), 1);
        operations.Close();
    }

    // A restart reads everything written before and after the disk was full.
    ParameterManager manager;
    QVERIFY(manager.Init());
    QCOMPARE((*manager.currentRecord())[Param::FrameRate], 50);
    QCOMPARE((*manager.currentRecord())[Param::ParameterGroup], 2);
    QVERIFY(readProductionCounters());
    QCOMPARE(cycleTotalCount, 12);
    QCOMPARE(cameraNgCount[0], 1);
    std::vector<uchar> loaded(64 * 48, 0);
    QVERIFY(loadTemplateImage(templateFilePath(0, 0, 0), 64, 48, false, loaded.data()));
    QVERIFY(loaded == picture);
    QStringList remarks;
    for (const QStringList &row : readRecordRows(QStringLiteral("RECORD.db")))
        remarks << row.last();
    QCOMPARE(remarks.mid(remarks.size() - 3),
             (QStringList{QStringLiteral("before"), QStringLiteral("alarm"), QStringLiteral("start-up")}));
    QCOMPARE(readResultRows(QStringLiteral("ResStatistics.db")).size(), 3);
    TemperatureChartData results;
    StatisticsData counts(1, 2, &results);
    QCOMPARE(counts.counts().cameras[0].stages[0].okByHour[14], 1);
    QCOMPARE(counts.counts().cameras[0].stages[0].okByHour[15], 1);
    QCOMPARE(counts.counts().cameras[0].stages[1].ngByHour[14], 2);
}

// Runs in the test program: starts the scenario in its own mount namespace.
class FullDiskTest : public QObject
{
    Q_OBJECT

private slots:
    void writtenDataSurvivesAFullDisk();
};

void FullDiskTest::writtenDataSurvivesAFullDisk()
{
    if (::geteuid() != 0)
        QSKIP("a small disk of its own needs root (a mount namespace and a tmpfs mount)");
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty())
        QSKIP("\"unshare\" (util-linux) is not installed");
    TempWorkDir work;
    const QString disk = work.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(disk));
    const ChildResult child = runChild({QStringLiteral("--mount"), QStringLiteral("--propagation"),
                                        QStringLiteral("private"),
                                        QCoreApplication::applicationFilePath(),
                                        QString::fromLatin1(childOption), disk},
                                       work.path(), unshare);
    if (!child.standardOutput.contains(readyMarker))
        QSKIP(qPrintable(QStringLiteral("no small disk could be mounted: ")
                         + QString::fromLocal8Bit(child.standardError + child.standardOutput).trimmed()));
    QVERIFY2(child.endedNormally(),
             qPrintable(QString::fromLocal8Bit(child.standardOutput + child.standardError)));
}

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], childOption) == 0) {
        // In the child's own mount namespace: the tmpfs is seen by nobody else.
        const char *folder = argv[2];
        if (::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, diskSize) != 0) {
            fprintf(stderr, "mount of a tmpfs on %s failed: %s\n", folder, strerror(errno));
            return 1;
        }
        if (::chdir(folder) != 0)
            return 1;
        printf("%s\n", readyMarker);
        fflush(stdout);
        QApplication application(argc, argv);
        FullDiskScenario scenario;
        char *arguments[] = {argv[0]};
        return QTest::qExec(&scenario, 1, arguments);
    }
    QApplication application(argc, argv);
    FullDiskTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FullDisk.moc"
