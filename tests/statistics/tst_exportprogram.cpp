// The export program of the result store, run as the station runs it: a child process in a
// working folder with result day files, writing CSV files into a target folder.
#include "core/ResultDatabase.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ResultRowFiles.h"
#include "tests/support/TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Run as "<this test> --file-size-limit <bytes> <program> <arguments>...": starts the program
// with every file it writes limited to that size, as on a stick that is nearly full. Writes
// past the limit fail (the signal the kernel would send is ignored, so they only fail).
const char limitOption[] = "--file-size-limit";

const QString program = QStringLiteral(EXPORT_PROGRAM);
const QString stampFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");

QDateTime at(int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute, second));
}

QStringList exportArguments(const QDateTime &from, const QDateTime &to, int camera, int detect,
                            const QString &target, const QString &work)
{
    return {"-t",   from.toString(stampFormat), to.toString(stampFormat),
            "-c",   QString::number(camera),    "-d",
            QString::number(detect),            "-dir",
            target + "/",                       "-w",
            work + "/"};
}

// The lines of a CSV file, without their CRLF ends; empty when it cannot be read.
QStringList csvLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class ExportProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rangeOfTwoDaysOnePerCameraAndStage();
    void filters_data();
    void filters();
    void corruptDayFileFailsWithoutFiles();
    void fullTargetFailsWithoutFiles();
    void badCommandLines_data();
    void badCommandLines();
    void csvNameThatIsALinkIsNotWrittenThrough();
    void relativeTargetIsTheCallersFolder();

private:
    void writeDays();
    std::unique_ptr<TempWorkDir> work;
    QString target;
    int currentRows = 0;
};

void ExportProgramTest::init()
{
    work = std::make_unique<TempWorkDir>();
    QVERIFY(work->isValid());
    target = work->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(target));
    writeDays();
}

void ExportProgramTest::cleanup()
{
    work.reset();
}

// An archived day (3 March) and the current file (4 March): every 20 s a round of camera 0
// and 1, stage 0 and 1; camera 1 has a temperature region and a third region on stage 1. Every
// tenth round is a timed record, every seventh NG.
void ExportProgramTest::writeDays()
{
    QVERIFY(QDir().mkpath(QString::fromLatin1(resultArchiveFolder)));
    for (int day : {3, 4}) {
        QList<CycleResult> cycles;
        for (int i = 0; i < 40; ++i) {
            const QDateTime round = at(day, 10).addSecs(20 * i);
            for (int camera = 0; camera < 2; ++camera) {
                for (int detect = 0; detect < 2; ++detect) {
                    QList<int> verdicts{i % 7 == 0 ? 0 : 1, 1};
                    if (camera == 1 && detect == 1)
                        verdicts << 1;
                    CycleResult cycle = makeCycle(camera, detect, round, round.addMSecs(300 + detect),
                                                  verdicts, camera == 1 ? 40 + i : -1);
                    if (i % 10 == 0)
                        cycle.description = QStringLiteral("Regular recording");
                    cycles << cycle;
                }
            }
        }
        const QString file = day == 3 ? QStringLiteral("ResStatistics/2024-03-03.db")
                                      : QString::fromLatin1(resultDatabaseFile);
        QVERIFY(writeResultRows(file, cycles));
        if (day == 4)
            currentRows = cycles.size();
    }
}

void ExportProgramTest::rangeOfTwoDaysOnePerCameraAndStage()
{
    const ChildResult result = runChild(
        exportArguments(at(3, 10, 5), at(4, 23, 59, 59), -1, -1, target, work->path()),
        work->path(), program);
    QVERIFY2(result.endedNormally(), result.standardError.constData());
    QCOMPARE(result.standardOutput, QByteArray("export finished\r\n"));

    QDir out(target);
    QCOMPARE(out.entryList(QDir::Files, QDir::Name),
             QStringList({"camera1_detect1.csv", "camera1_detect2.csv", "camera2_detect1.csv",
                          "camera2_detect2.csv"}));
    // From 10:05 on 3 March: 25 rounds of that day, 40 of the next, per camera and stage.
    const QStringList first = csvLines(out.filePath("camera1_detect1.csv"));
    QCOMPARE(first.size(), 1 + 25 + 40);
    QCOMPARE(first.at(0), QStringLiteral("Round start,Capture time,Camera,Detect stage,Result,"
                                         "Description,ROI 1 type,ROI 1 value,ROI 1 result,"
                                         "ROI 2 type,ROI 2 value,ROI 2 result"));
    // Round 15 of 3 March, the first in range; round 21 is NG in region 0.
    QCOMPARE(first.at(1), QStringLiteral("2024-03-03 10:05:00.000,2024-03-03 10:05:00.300,1,1,"
                                         "OK,,0,100,OK,0,101,OK"));
    QCOMPARE(first.at(7), QStringLiteral("2024-03-03 10:07:00.000,2024-03-03 10:07:00.300,1,1,"
                                         "NG,,0,100,NG,0,101,OK"));
    QVERIFY(first.at(26).startsWith(QStringLiteral("2024-03-04 10:00:00.000,")));
    QVERIFY(first.at(26).contains(QStringLiteral(",Regular recording,")));

    // The stage with three regions has three region columns; the temperature is region 1's value.
    const QStringList thermal = csvLines(out.filePath("camera2_detect2.csv"));
    QCOMPARE(thermal.size(), 1 + 25 + 40);
    QVERIFY(thermal.at(0).endsWith(QStringLiteral("ROI 3 type,ROI 3 value,ROI 3 result")));
    QCOMPARE(thermal.last(), QStringLiteral("2024-03-04 10:13:00.000,2024-03-04 10:13:00.301,2,2,"
                                            "OK,,9,79,OK,0,101,OK,0,102,OK"));
    // Nothing else is left in the folder (no temporary files).
    QCOMPARE(out.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 4);
    // The day files were only read.
    QCOMPARE(readResultRows(QString::fromLatin1(resultDatabaseFile)).size(), currentRows);
}

void ExportProgramTest::filters_data()
{
    QTest::addColumn<int>("camera");
    QTest::addColumn<int>("detect");
    QTest::addColumn<bool>("timedOnly");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("rows");

    QTest::newRow("one camera") << 1 << -1 << false
                                << QStringList({"camera2_detect1.csv", "camera2_detect2.csv"}) << 40;
    QTest::newRow("one stage of one camera") << 0 << 1 << false
                                             << QStringList({"camera1_detect2.csv"}) << 40;
    QTest::newRow("timed records") << -1 << 0 << true
                                   << QStringList({"camera1_detect1.csv", "camera2_detect1.csv"}) << 4;
}

void ExportProgramTest::filters()
{
    QFETCH(int, camera);
    QFETCH(int, detect);
    QFETCH(bool, timedOnly);
    QFETCH(QStringList, files);
    QFETCH(int, rows);

    QStringList arguments =
        exportArguments(at(4, 0), at(4, 23, 59, 59), camera, detect, target, work->path());
    if (timedOnly)
        arguments << "-detail" << "Regular recording";
    const ChildResult result = runChild(arguments, work->path(), program);
    QVERIFY2(result.endedNormally(), result.standardError.constData());
    const QDir out(target);
    QCOMPARE(out.entryList(QDir::Files, QDir::Name), files);
    for (const QString &file : files)
        QCOMPARE(csvLines(out.filePath(file)).size(), 1 + rows);
}

void ExportProgramTest::corruptDayFileFailsWithoutFiles()
{
    // 4 March is readable; 3 March's archive is no database at all.
    QFile archive(QStringLiteral("ResStatistics/2024-03-03.db"));
    QVERIFY(archive.open(QIODevice::WriteOnly | QIODevice::Truncate));
    archive.write(QByteArray(4096, '\x5a'));
    archive.close();

    const ChildResult result = runChild(
        exportArguments(at(3, 0), at(4, 23, 59, 59), -1, -1, target, work->path()),
        work->path(), program);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 3);
    QVERIFY(!result.standardOutput.contains("export finished"));
    const QList<QByteArray> lines = result.standardError.trimmed().split('\n');
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.at(0).contains("2024-03-03.db"), lines.at(0).constData());
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void ExportProgramTest::fullTargetFailsWithoutFiles()
{
    // Room for the first lines of a file but not for a whole one: the rows reach the disk
    // only when the files are closed, so it is the last write that fails.
    QStringList arguments{QString::fromLatin1(limitOption), QStringLiteral("2048"), program};
    arguments << exportArguments(at(3, 0), at(4, 23, 59, 59), -1, -1, target, work->path());
    const ChildResult result = runChild(arguments, work->path());
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 4);
    QVERIFY(!result.standardOutput.contains("export finished"));
    QVERIFY2(result.standardError.contains("cannot write"), result.standardError.constData());
    // No cut-short file under a final name, and no temporary file left behind.
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void ExportProgramTest::badCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("why");

    const QString from = at(4, 0).toString(stampFormat);
    const QString to = at(4, 12).toString(stampFormat);
    QTest::newRow("no range, as a statistics export without one sends it")
        << QStringList({"-t", "", "", "-c", "-1", "-d", "-1", "-dir", "OUT", "-w", "WORK"})
        << QByteArray("-t needs two times");
    QTest::newRow("unknown option") << QStringList({"-t", from, to, "-x", "1"})
                                    << QByteArray("unknown option");
    QTest::newRow("camera out of range")
        << QStringList({"-t", from, to, "-c", "8", "-dir", "OUT", "-w", "WORK"})
        << QByteArray("-c needs a number");
    QTest::newRow("value missing") << QStringList({"-t", from, to, "-dir"})
                                   << QByteArray("-dir needs 1 value");
    QTest::newRow("no target") << QStringList({"-t", from, to, "-w", "WORK"})
                               << QByteArray("-dir is missing");
    QTest::newRow("target folder missing")
        << QStringList({"-t", from, to, "-dir", "OUT/none/", "-w", "WORK"})
        << QByteArray("does not exist");
}

void ExportProgramTest::badCommandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, why);
    arguments.replaceInStrings(QStringLiteral("OUT"), target);
    arguments.replaceInStrings(QStringLiteral("WORK"), work->path());

    const ChildResult result = runChild(arguments, work->path(), program);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.standardOutput.isEmpty());
    QCOMPARE(result.standardError.count('\n'), 1);
    QVERIFY2(result.standardError.contains(why), result.standardError.constData());
}

// A CSV name in the target folder that is a symbolic link (prepared on a stick, say) is not
// written through: the file it points at keeps its bytes, and no CSV file is left.
void ExportProgramTest::csvNameThatIsALinkIsNotWrittenThrough()
{
    QFile victim(work->filePath(QStringLiteral("victim.txt")));
    QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write("keep") == 4);
    victim.close();
    QVERIFY(QFile::link(victim.fileName(), QDir(target).filePath(QStringLiteral("camera1_detect1.csv"))));

    const ChildResult result = runChild(
        exportArguments(at(4, 0), at(4, 23, 59, 59), 0, 0, target, work->path()), work->path(), program);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 4);
    QVERIFY2(result.standardError.contains("symbolic link"), result.standardError.constData());
    QVERIFY(victim.open(QIODevice::ReadOnly));
    QCOMPARE(victim.readAll(), QByteArray("keep"));
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System),
             QStringList{"camera1_detect1.csv"});
}

// A relative -dir is the folder the program was started in, as it is checked there, not one
// of that name inside the working folder -w.
void ExportProgramTest::relativeTargetIsTheCallersFolder()
{
    const QString caller = work->filePath(QStringLiteral("caller"));
    QVERIFY(QDir().mkpath(caller + QStringLiteral("/out")));
    QStringList arguments = exportArguments(at(4, 0), at(4, 23, 59, 59), 0, 0, target, work->path());
    arguments[arguments.indexOf(QStringLiteral("-dir")) + 1] = QStringLiteral("out");

    const ChildResult result = runChild(arguments, caller, program);
    QVERIFY2(result.endedNormally(), result.standardError.constData());
    QCOMPARE(QDir(caller + QStringLiteral("/out")).entryList(QDir::Files), QStringList{"camera1_detect1.csv"});
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

int main(int argc, char **argv)
{
    if (argc >= 4 && qstrcmp(argv[1], limitOption) == 0) {
        const rlimit limit{rlim_t(std::strtoull(argv[2], nullptr, 10)),
                           rlim_t(std::strtoull(argv[2], nullptr, 10))};
        std::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            std::perror("setrlimit");
            return 100;
        }
        ::execv(argv[3], argv + 3);
        std::perror("execv");
        return 101;
    }
    QCoreApplication application(argc, argv);
    ExportProgramTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_exportprogram.moc"
