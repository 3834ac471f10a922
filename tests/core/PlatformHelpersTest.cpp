#include "core/LogManager.h"
#include "core/PlatformHelpers.h"
#include "platform/system/RecordingSystemActions.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeStationHost.h"
#include "tests/support/LogFiles.h"
#include "tests/support/TempWorkDir.h"

#include <QCoreApplication>
#include <QtTest>

#include <unistd.h>

namespace {

const char systemDiskLines[] =
    "/dev/sda1: UUID=\"A1B2-C3D4\" TYPE=\"vfat\" PARTLABEL=\"EFI\" PARTUUID=\"0001\"\n"
    "/dev/sda2: UUID=\"5d1c7e3a\" TYPE=\"ext4\" PARTUUID=\"0002\"\n";
const char stickLine[] = "/dev/sdb1: LABEL=\"STICK\" UUID=\"1234-ABCD\" TYPE=\"vfat\" PARTUUID=\"0003\"\n";
const char rootMount[] = "/dev/sda2 / ext4 rw,relatime 0 0\nproc /proc proc rw 0 0\n";

// Says when it is built and when it is destroyed, straight to standard output.
struct StaticWitness
{
    StaticWitness() { say("static built\n"); }
    ~StaticWitness() { say("static destroyed\n"); }
    static void say(const char *text) { [[maybe_unused]] const ssize_t n = ::write(STDOUT_FILENO, text, qstrlen(text)); }
};

int runExitChild(int argc, char **argv)
{
    static StaticWitness witness;
    QCoreApplication application(argc, argv);
    logManager = new LogManager;
    qInfo("before-exit");
    exitAfterDelay(3);
}

} // namespace

class PlatformHelpersTest : public QObject
{
    Q_OBJECT

private slots:
    void mountsUsbStick_data();
    void mountsUsbStick();
    void backlightFollowsScreenState();
    void exitAfterDelayEndsWithoutStaticDestructors();
};

void PlatformHelpersTest::mountsUsbStick_data()
{
    QTest::addColumn<QString>("blkid");
    QTest::addColumn<QString>("mounts");   // null: /proc/mounts cannot be read
    QTest::addColumn<bool>("mountWorks");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("result");

    const QString system = QString::fromLatin1(systemDiskLines);
    const QString stick = QString::fromLatin1(stickLine);
    const QString root = QString::fromLatin1(rootMount);
    const QStringList mountStick = {"blkid", "mount /dev/sdb1 /mnt"};

    QTest::newRow("stick after the system disk")
        << system + stick << root << true << mountStick << "/mnt";
    QTest::newRow("stick before any ext4 line")
        << stick + system << root << true << QStringList{"blkid"} << "";
    QTest::newRow("partition on the system disk is not a stick")
        << system + "/dev/sda3: UUID=\"99\" TYPE=\"exfat\"\n" << root << true << QStringList{"blkid"} << "";
    QTest::newRow("ntfs and exfat sticks count")
        << system + "/dev/sdc1: UUID=\"77\" TYPE=\"ntfs\"\n/dev/sdd1: TYPE=\"exfat\"\n" << root << true
        << QStringList{"blkid", "mount /dev/sdc1 /mnt"} << "/mnt";
    QTest::newRow("/mnt mounted twice is unmounted twice")
        << system + stick << root + "/dev/sdc1 /mnt vfat rw 0 0\n/dev/sdc1 /mnt vfat rw 0 0\n" << true
        << QStringList{"blkid", "umount /mnt", "umount /mnt", "mount /dev/sdb1 /mnt"} << "/mnt";
    QTest::newRow("/mnt2 is another mount point")
        << system + stick << root + "/dev/sdc1 /mnt2 vfat rw 0 0\n/dev/sdc2 /mnt/data vfat rw 0 0\n"
        << true << mountStick << "/mnt";
    QTest::newRow("mount fails") << system + stick << root << false << mountStick << "";
    QTest::newRow("no blkid output") << "" << root << true << QStringList{"blkid"} << "";
    QTest::newRow("mount table unreadable") << system + stick << QString() << true
                                            << QStringList{"blkid"} << "";
    QTest::newRow("lines without a device type")
        << system + "/dev/loop0: TYPE=\"squashfs\"\n\n/dev/sr0: LABEL=\"CD\"\n" + stick << root << true
        << mountStick << "/mnt";
}

void PlatformHelpersTest::mountsUsbStick()
{
    QFETCH(QString, blkid);
    QFETCH(QString, mounts);
    QFETCH(bool, mountWorks);
    QFETCH(QStringList, actions);
    QFETCH(QString, result);

    RecordingSystemActions recorder;
    recorder.blkidOutput = blkid;
    recorder.mounts = mounts;
    recorder.mountSucceeds = mountWorks;

    QCOMPARE(mountUsbDisk(), result);
    QCOMPARE(recorder.actions, actions);
}

void PlatformHelpersTest::backlightFollowsScreenState()
{
    RecordingSystemActions recorder;
    setBacklight(false);   // no main window yet: only the light is switched
    {
        FakeStationHost host;
        setBacklight(false);
        QVERIFY(host.dark);
        setBacklight(true);
        QVERIFY(!host.dark);
    }
    QCOMPARE(recorder.actions, QStringList({"backlight off", "backlight off", "backlight on"}));
}

void PlatformHelpersTest::exitAfterDelayEndsWithoutStaticDestructors()
{
    TempWorkDir work;
    const ChildResult child = runChild({QStringLiteral("--exit-child")}, work.path());
    QVERIFY2(child.endedNormally(3), child.standardError.constData());
    QCOMPARE(child.standardOutput, QByteArray("static built\n"));
    QCOMPARE(child.standardError, QByteArray());
    QVERIFY(readLogFiles(work.path(), QStringLiteral("log")).contains(QStringLiteral("] before-exit")));
}

int main(int argc, char **argv)
{
    if (argc == 2 && qstrcmp(argv[1], "--exit-child") == 0)
        return runExitChild(argc, argv);
    QCoreApplication application(argc, argv);
    PlatformHelpersTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PlatformHelpersTest.moc"
