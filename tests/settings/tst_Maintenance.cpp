// The maintenance operations of the advanced settings page on the running station (two test
// cameras, machine mode 0, real files in the station's temporary working folder, the recording
// system layer): password, parameter groups, export, update, exit, time, touch calibration and
// factory reset.

#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "resources/Resources.h"
#include "settings/AdvanceParamWidget.h"
#include "settings/MaintenanceLocations.h"
#include "settings/ParameterGroupStore.h"
#include "settings/SystemParamDialog.h"
#include "settings/UpdatePackage.h"
#include "station/MoJuWizard.h"
#include "station/ParameterGroupSwitch.h"
#include "station/RunCodes.h"
#include "tests/settings/ModalScript.h"
#include "tests/station/ParameterSwapProbe.h"
#include "tests/station/StationHarness.h"
#include "tests/station/StationPerTest.h"
#include "tests/support/MessageRecorder.h"
#include "uikit/ComboBox.h"
#include "uikit/Edit.h"
#include "uikit/UiKitGlobals.h"

#include <QDirIterator>
#include <QSemaphore>
#include <QTranslator>
#include <QSqlQuery>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr int Cameras = 2;

const char stickBlkid[] = "/dev/sda2: UUID=\"5d1c7e3a\" TYPE=\"ext4\"\n"
                          "/dev/sdb1: LABEL=\"STICK\" UUID=\"1234-ABCD\" TYPE=\"vfat\"\n";

bool writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every entry below a folder, relative to it, sorted.
QStringList treeOf(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(folder).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

// Holds every directory copy (they run on the long work's thread) until the GUI thread has run
// `whileCopying`.
struct HeldCopyActions : RecordingSystemActions
{
    std::function<void()> whileCopying;
    QObject guiThread;
    QSemaphore released;
    bool copyDirectory(const QString &source, const QString &destination) override
    {
        QMetaObject::invokeMethod(&guiThread, [this] {
            whileCopying();
            released.release();
        }, Qt::QueuedConnection);
        released.tryAcquire(1, StationHarness::Timeout);
        return RecordingSystemActions::copyDirectory(source, destination);
    }
};

} // namespace

class MaintenanceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void passwordKeepsFirst32Characters();
    void badBackupNamesTouchNothing_data();
    void badBackupNamesTouchNothing();
    void emptyChoiceRemovesNothing();
    void defaultGroupIsNeverDeleted();
    void backupHoldsCameraFoldersAndDatabase();
    void failedBackupKeepsTheOldGroup();
    void restoreOfIncompleteGroupKeepsTemplates();
    void restoreSwapsWithDatabaseClosedThenRestarts();
    void hostGroupSwitchRefusedDuringBackup();
    void exportCopiesThenRemovesRawFrames();
    void exportToUnwritableTargetKeepsRawFrames();
    void updatePackages_data();
    void updatePackages();
    void packagePathReachesNoShell();
    void exitClosesDownInOrder();
    void timeChange_data();
    void timeChange();
    void calibrationRebootsWithoutProgram();
    void factoryResetReplacesWaitingPackage();
    void factoryResetWithoutPackageSaysSo();
    void englishMessages();

private:
    MoJuWizard *station() const { return harness.station(); }
    SystemParameters &live() { return harness.settings(); }
    std::unique_ptr<SystemParamDialog> openDialog();
    AdvanceParamWidget *page() const { return dialog->advancePage(); }
    void makeGroup(const QString &name, bool withDatabase, const QByteArray &templateMark);
    void chooseGroup(const QString &name);

    StationHarness harness{Cameras};
    // A refused backup name touches nothing: its rows share one station.
    StationPerTest stations{harness, {"badBackupNamesTouchNothing"}};
    std::unique_ptr<SystemParamDialog> dialog;
    QTemporaryDir outside;
};

void MaintenanceTest::initTestCase()
{
    initResources();
    QVERIFY(harness.prepare());
    QVERIFY(outside.isValid());
}

void MaintenanceTest::init()
{
    QVERIFY(stations.begin());
    currentLanguage = 0;
    harness.actions().actions.clear();
    live()[Param::DefectToolEnabled] = 1;
    MaintenanceLocations where;
    where.installFolder = QDir::currentPath();
    where.backupFolder = outside.filePath(QStringLiteral("backups"));
    where.usbFolder = outside.filePath(QStringLiteral("stick"));
    setMaintenanceLocations(where);
    dialog = openDialog();
}

void MaintenanceTest::cleanup()
{
    dialog.reset();
    harness.actions().performFileActions = true;
    harness.actions().clockSucceeds = true;
    ParameterManager::instance()->ReopenDatabase();
    station()->ReopenDatabases();
    stations.end();
    QDir(QString::fromLatin1(ParameterGroupSwitch::GroupFolder)).removeRecursively();
    QDir(outside.path()).removeRecursively();
    QDir().mkpath(outside.path());
}

std::unique_ptr<SystemParamDialog> MaintenanceTest::openDialog()
{
    *editParams = *currentParams;
    return std::make_unique<SystemParamDialog>();
}

void MaintenanceTest::makeGroup(const QString &name, bool withDatabase, const QByteArray &templateMark)
{
    // The live templates and a mark: a restore leaves the station's templates usable.
    const QDir group(QStringLiteral("paraGroup/") + name);
    SystemActions host;
    QVERIFY(host.copyDirectory(QStringLiteral("cammer11"), group.filePath(QStringLiteral("cammer11"))));
    QVERIFY(writeFile(group.filePath(QStringLiteral("cammer11/mark.txt")), templateMark));
    if (withDatabase)
        QVERIFY(QFile::copy(QStringLiteral("PARAM.db"), group.filePath(QStringLiteral("PARAM.db"))));
}

void MaintenanceTest::chooseGroup(const QString &name)
{
    page()->ParaGroupUpdateList();
    page()->groupList->setCurrentIndex(page()->groupList->findText(name));
    QCOMPARE(page()->groupList->currentText(), name);
}

void MaintenanceTest::passwordKeepsFirst32Characters()
{
    const QByteArray before = live().password();
    const QString typed = QString(40, QLatin1Char('7'));
    page()->newPassword->setText(typed);
    page()->confirmPassword->setText(typed);
    ModalScript script({1});
    page()->ChangePwd();
    QCOMPARE(script.seen(), QStringList{QStringLiteral("tipbox: ") + uiText(279)});
    QCOMPARE(editParams->password(), QByteArray(32, '7'));
    QCOMPARE(live().password(), before);
    QVERIFY(page()->newPassword->text().isEmpty());

    page()->newPassword->setText(QStringLiteral("12"));
    page()->confirmPassword->setText(QStringLiteral("13"));
    ModalScript differ;
    page()->ChangePwd();
    QCOMPARE(differ.seen(), QStringList{QStringLiteral("Warnbox: ") + uiText(280)});
    QCOMPARE(editParams->password(), QByteArray(32, '7'));
}

void MaintenanceTest::badBackupNamesTouchNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("empty");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("separator") << "a/b" << false;
    QTest::newRow("shell character") << "x;rm" << false;
    QTest::newRow("default") << "default" << false;
    QTest::newRow("Default") << "Default" << false;
}

// A refused name copies nothing anywhere and asks nothing further.
void MaintenanceTest::badBackupNamesTouchNothing()
{
    QFETCH(QString, name);
    QFETCH(bool, empty);
    makeGroup(QStringLiteral("default"), true, "factory");
    const QStringList before = treeOf(QStringLiteral("."));
    page()->groupName->setText(name);
    ModalScript script({1, 1, 1});
    page()->SlotParaGroupBackup();
    QCOMPARE(script.seen().size(), 1);
    QVERIFY(script.seen().first().startsWith(QStringLiteral("Warnbox: ")));
    if (empty)
        QCOMPARE(script.seen().first(), QStringLiteral("Warnbox: ") + uiText(282));
    QCOMPARE(harness.actions().actions, QStringList());
    QCOMPARE(treeOf(QStringLiteral(".")), before);
}

void MaintenanceTest::emptyChoiceRemovesNothing()
{
    makeGroup(QStringLiteral("alpha"), true, "a");
    page()->ParaGroupUpdateList();
    page()->groupList->setCurrentIndex(-1);
    QVERIFY(page()->groupList->currentText().isEmpty());
    const QStringList before = treeOf(QStringLiteral("."));
    ModalScript script({1, 1, 1, 1});
    page()->SlotParaGroupDelete();
    page()->SlotParaGroupRestore();
    QCOMPARE(script.seen().size(), 2);
    QCOMPARE(harness.actions().actions, QStringList());
    QCOMPARE(treeOf(QStringLiteral(".")), before);
}

void MaintenanceTest::defaultGroupIsNeverDeleted()
{
    makeGroup(QStringLiteral("default"), true, "factory");
    chooseGroup(QStringLiteral("default"));
    {
        ModalScript script({1});
        page()->SlotParaGroupDelete();
        QCOMPARE(script.seen().size(), 1);
        QVERIFY(script.seen().first().startsWith(QStringLiteral("Warnbox: ")));
        QVERIFY(QFileInfo::exists(QStringLiteral("paraGroup/default/PARAM.db")));
    }

    makeGroup(QStringLiteral("old"), true, "old");
    chooseGroup(QStringLiteral("old"));
    ModalScript yes({1});
    page()->SlotParaGroupDelete();
    QVERIFY(!QFileInfo::exists(QStringLiteral("paraGroup/old")));
    QVERIFY(QFileInfo::exists(QStringLiteral("paraGroup/default/PARAM.db")));
    QCOMPARE(page()->groupList->findText(QStringLiteral("old")), -1);
}

// Two cameras in mode 0: the four template folders in use and the parameter database,
// nothing else; the new group becomes the current one.
void MaintenanceTest::backupHoldsCameraFoldersAndDatabase()
{
    QVERIFY(QFileInfo(QStringLiteral("cammer13")).isDir());
    QVERIFY(writeFile(QStringLiteral("cammer21/mark.txt"), "camera 2"));
    makeGroup(QStringLiteral("alpha"), true, "a");
    page()->groupName->setText(QStringLiteral("mould 7"));
    {
        ModalScript script({1});
        page()->SlotParaGroupBackup();
        QCOMPARE(script.seen(), QStringList{QStringLiteral("tipbox: ") + uiText(283)});
    }
    QStringList top = QDir(QStringLiteral("paraGroup/mould 7")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    top.sort();
    QCOMPARE(top, QStringList({"PARAM.db", "cammer11", "cammer12", "cammer21", "cammer22"}));
    QCOMPARE(readFile(QStringLiteral("paraGroup/mould 7/cammer21/mark.txt")), QByteArray("camera 2"));
    // Nothing left beside the groups.
    QCOMPARE(QDir(QStringLiteral("paraGroup")).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"alpha", "mould 7"}));
    QCOMPARE(live()[Param::ParameterGroup], 1);
    QCOMPARE(readFile(QStringLiteral("sysadd.txt")).trimmed(), QByteArray("1"));
    QCOMPARE(page()->groupList->currentText(), QStringLiteral("mould 7"));

    // The same name in other letters replaces that group, after asking.
    QVERIFY(writeFile(QStringLiteral("paraGroup/mould 7/stale.txt"), "stale"));
    page()->groupName->setText(QStringLiteral("MOULD 7"));
    ModalScript replace({1, 1});
    page()->SlotParaGroupBackup();
    QCOMPARE(replace.seen(), QStringList({QStringLiteral("tipbox: ") + uiText(283),
                                          QStringLiteral("tipbox: ") + uiText(284)}));
    QVERIFY(!QFileInfo::exists(QStringLiteral("paraGroup/mould 7/stale.txt")));
    QVERIFY(QFileInfo::exists(QStringLiteral("paraGroup/mould 7/PARAM.db")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("paraGroup/MOULD 7")));
}

// The new copy is complete before the old group goes: a copy that does not land leaves it.
void MaintenanceTest::failedBackupKeepsTheOldGroup()
{
    makeGroup(QStringLiteral("alpha"), true, "old template");
    const QStringList before = treeOf(QStringLiteral("paraGroup/alpha"));
    page()->groupName->setText(QStringLiteral("alpha"));
    harness.actions().performFileActions = false;
    ModalScript script({1, 1});
    page()->SlotParaGroupBackup();
    harness.actions().performFileActions = true;
    QCOMPARE(script.seen().size(), 3);
    QVERIFY(script.seen().last().startsWith(QStringLiteral("Warnbox: ")));
    QCOMPARE(readFile(QStringLiteral("paraGroup/alpha/cammer11/mark.txt")), QByteArray("old template"));
    QCOMPARE(treeOf(QStringLiteral("paraGroup/alpha")), before);
}

void MaintenanceTest::restoreOfIncompleteGroupKeepsTemplates()
{
    QVERIFY(writeFile(QStringLiteral("cammer11/mark.txt"), "live template"));
    makeGroup(QStringLiteral("broken"), false, "group template");
    chooseGroup(QStringLiteral("broken"));
    const QByteArray index = readFile(QStringLiteral("sysadd.txt"));
    ModalScript script({1});
    page()->SlotParaGroupRestore();
    QCOMPARE(script.seen().size(), 2);
    QVERIFY(script.seen().last().startsWith(QStringLiteral("Warnbox: ")));
    QCOMPARE(readFile(QStringLiteral("cammer11/mark.txt")), QByteArray("live template"));
    QVERIFY(QFileInfo(QStringLiteral("cammer12")).isDir());
    QCOMPARE(readFile(QStringLiteral("sysadd.txt")), index);
    QCOMPARE(harness.actions().count(QStringLiteral("restartApplication")), 0);
    QVERIFY(parameterDatabaseOpen());
}

void MaintenanceTest::restoreSwapsWithDatabaseClosedThenRestarts()
{
    makeGroup(QStringLiteral("alpha"), true, "alpha template");
    makeGroup(QStringLiteral("beta"), true, "beta template");
    chooseGroup(QStringLiteral("beta"));
    ParameterSwapProbe probe;
    ModalScript script({1});
    page()->SlotParaGroupRestore();
    QCOMPARE(script.seen(), QStringList{QStringLiteral("tipbox: ") + uiText(285)});
    QVERIFY(!probe.openAtSwap.isEmpty());
    QVERIFY(!probe.openAtSwap.contains(true));
    QCOMPARE(readFile(QStringLiteral("cammer11/mark.txt")), QByteArray("beta template"));
    QCOMPARE(readFile(QStringLiteral("sysadd.txt")).trimmed(), QByteArray("1"));
    QCOMPARE(probe.actions.last(), QStringLiteral("restartApplication"));
    station()->ReopenDatabases();
    QCOMPARE(StationHarness::recordRemarks().last(), uiText(286).arg(QStringLiteral("beta")));
}

// A group switch the Modbus host asks for while a backup copies the live files is refused:
// the current group stays and the program goes on; the backup completes.
void MaintenanceTest::hostGroupSwitchRefusedDuringBackup()
{
    makeGroup(QStringLiteral("alpha"), true, "alpha template");
    makeGroup(QStringLiteral("beta"), true, "the host's group");
    QCOMPARE(live()[Param::ParameterGroup], 0);
    const QByteArray liveMark = readFile(QStringLiteral("cammer11/mark.txt"));
    QVERIFY(liveMark != "the host's group");
    HeldCopyActions held;
    MessageRecorder log;
    bool asked = false;
    held.whileCopying = [&] {
        if (asked)
            return;
        asked = harness.writeRegister(1, 1);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("refused while the settings page")), 1,
                                  StationHarness::Timeout);
    };
    page()->groupName->setText(QStringLiteral("mould 7"));
    ModalScript script({1});
    page()->SlotParaGroupBackup();
    QVERIFY(asked);
    QCOMPARE(log.count(QStringLiteral("refused while the settings page")), 1);
    QCOMPARE(held.count(QStringLiteral("restartApplication")), 0);
    QCOMPARE(readFile(QStringLiteral("cammer11/mark.txt")), liveMark);
    QVERIFY(QFileInfo::exists(QStringLiteral("paraGroup/mould 7/PARAM.db")));
    // The backup's own index, not the host's.
    QCOMPARE(live()[Param::ParameterGroup], 2);
    QCOMPARE(readFile(QStringLiteral("sysadd.txt")).trimmed(), QByteArray("2"));
    QVERIFY(parameterDatabaseOpen());
}

void MaintenanceTest::exportCopiesThenRemovesRawFrames()
{
    QVERIFY(writeFile(QStringLiteral("originalimage/cammer11/1.bmp"), "frame 1"));
    QVERIFY(writeFile(QStringLiteral("originalimage/cammer22/2.bmp"), "frame 2"));
    harness.actions().blkidOutput = QString::fromLatin1(stickBlkid);
    harness.actions().mounts = QStringLiteral("/dev/sda2 / ext4 rw 0 0\n");
    ModalScript script({1, 1});
    page()->SlotExportData();
    QCOMPARE(script.seen().last(), QStringLiteral("tipbox: ") + uiText(147));
    const QStringList exports = QDir(maintenanceLocations().usbFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(exports.size(), 1);
    const QDir copy(QDir(maintenanceLocations().usbFolder).filePath(exports.first()) + QLatin1Char('/')
                    + QFileInfo(QDir::currentPath()).fileName());
    QCOMPARE(readFile(copy.filePath(QStringLiteral("originalimage/cammer22/2.bmp"))), QByteArray("frame 2"));
    QVERIFY(QFileInfo::exists(copy.filePath(QStringLiteral("PARAM.db"))));
    QCOMPARE(QDir(QStringLiteral("originalimage/cammer11")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QCOMPARE(QDir(QStringLiteral("originalimage/cammer22")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QCOMPARE(harness.actions().count(QStringLiteral("umount")), 1);
    QCOMPARE(station()->RunState, int(RunStates::Detecting));
}

void MaintenanceTest::exportToUnwritableTargetKeepsRawFrames()
{
    QVERIFY(writeFile(QStringLiteral("originalimage/cammer12/1.bmp"), "frame 1"));
    // A file where the stick's folder should be: nothing can be made in it, for root too.
    MaintenanceLocations where = maintenanceLocations();
    where.usbFolder = outside.filePath(QStringLiteral("stick-file"));
    QVERIFY(writeFile(where.usbFolder, "not a folder"));
    setMaintenanceLocations(where);
    harness.actions().blkidOutput = QString::fromLatin1(stickBlkid);
    harness.actions().mounts = QStringLiteral("/dev/sda2 / ext4 rw 0 0\n");
    ModalScript script({1, 1});
    page()->SlotExportData();
    QVERIFY(script.seen().last().startsWith(QStringLiteral("Warnbox: ")));
    QCOMPARE(readFile(QStringLiteral("originalimage/cammer12/1.bmp")), QByteArray("frame 1"));
}

void MaintenanceTest::updatePackages_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("target");
    const QByteArray gzip("\x1f\x8b\x08\x00package", 11);
    const QByteArray xz("\xfd" "7zXZ\x00package", 13);
    const QByteArray rar("Rar!\x1a\x07\x00package", 14);
    const int copied = int(PackageTakeOver::Copied);
    QTest::newRow("capitals are no package") << "X.TAR.GZ" << gzip << int(PackageTakeOver::NotAPackage) << "";
    QTest::newRow("a.tar.gz.bak") << "a.tar.gz.bak" << gzip << copied << "newupdate.tar.gz";
    QTest::newRow("a.tar.xz.rar") << "a.tar.xz.rar" << xz << copied << "newupdate.tar.xz";
    QTest::newRow("rar") << "v2.rar" << rar << copied << "newupdate.rar";
    QTest::newRow("zip") << "a.zip" << gzip << int(PackageTakeOver::NotAPackage) << "";
    QTest::newRow("text named like a package") << "a.tar.gz" << QByteArray("hello") << int(PackageTakeOver::WrongKind) << "";
    QTest::newRow("empty file") << "b.rar" << QByteArray() << int(PackageTakeOver::WrongKind) << "";
}

void MaintenanceTest::updatePackages()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, contents);
    QFETCH(int, result);
    QFETCH(QString, target);
    const QString path = outside.filePath(QStringLiteral("stick/") + fileName);
    QVERIFY(writeFile(path, contents));
    QCOMPARE(int(takeOverUpdatePackage(path)), result);
    for (const char *name : {"newupdate.tar.gz", "newupdate.tar.xz", "newupdate.rar"}) {
        QCOMPARE(QFileInfo::exists(name), QLatin1String(name) == target);
        QFile::remove(name);
    }
    if (!target.isEmpty())
        QCOMPARE(harness.actions().count(QStringLiteral("copyFile")), 1);
}

void MaintenanceTest::packagePathReachesNoShell()
{
    const QString folder = outside.filePath(QStringLiteral("stick/a b;touch canary"));
    const QString path = folder + QStringLiteral("/p;touch canary.tar.gz");
    QVERIFY(writeFile(path, QByteArray("\x1f\x8b\x08\x00", 4)));
    QCOMPARE(takeOverUpdatePackage(path), PackageTakeOver::Copied);
    QCOMPARE(readFile(QStringLiteral("newupdate.tar.gz")), QByteArray("\x1f\x8b\x08\x00", 4));
    QFile::remove(QStringLiteral("newupdate.tar.gz"));
    QVERIFY(!QFileInfo::exists(QStringLiteral("canary")));
    QVERIFY(!QFileInfo::exists(outside.filePath(QStringLiteral("stick/canary"))));
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/canary")));
}

// Record, save, notice, cameras closed, outputs idle, databases closed; then the event loop is
// left with status 0 so that main() stops the threads.
void MaintenanceTest::exitClosesDownInOrder()
{
    ModalScript script({1, 1});
    page()->SlotExit();
    QCOMPARE(script.seen(), QStringList({QStringLiteral("tipbox: ") + uiText(294),
                                         QStringLiteral("tipbox: ") + uiText(296)}));
    QCOMPARE(harness.actions().actions.last(), QStringLiteral("exit 0"));
    QVERIFY(!parameterDatabaseOpen());
    station()->ReopenDatabases();
    QCOMPARE(StationHarness::recordRemarks().last(), uiText(295));
}

void MaintenanceTest::timeChange_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("clockWorks");
    QTest::addColumn<QStringList>("actions");
    const QString clock = QStringLiteral("setClock 2024-02-29 23:59:59");
    QTest::newRow("confirmed") << 1 << true << QStringList({clock, QStringLiteral("reboot")});
    QTest::newRow("declined") << 0 << true << QStringList();
    QTest::newRow("clock refused") << 1 << false << QStringList({clock});
}

void MaintenanceTest::timeChange()
{
    QFETCH(int, answer);
    QFETCH(bool, clockWorks);
    QFETCH(QStringList, actions);
    harness.actions().clockSucceeds = clockWorks;
    const QStringList rows = StationHarness::recordRemarks();
    ModalScript script({answer});
    page()->TimeChosen(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)));
    QStringList seen = harness.actions().actions;
    seen.removeAll(QStringLiteral("sync"));
    QCOMPARE(seen, actions);
    station()->ReopenDatabases();
    if (actions.size() == 2)
        QCOMPARE(StationHarness::recordRemarks().last(), uiText(401));
    else
        QCOMPARE(StationHarness::recordRemarks(), rows);
}

void MaintenanceTest::calibrationRebootsWithoutProgram()
{
    QVERIFY(!QFileInfo::exists(QStringLiteral("tsc")));
    page()->SlotCalibration();
    QCOMPARE(harness.actions().count(QStringLiteral("run")), 1);
    QCOMPARE(harness.actions().actions.first(), QStringLiteral("run ./tsc"));
    QCOMPARE(harness.actions().actions.last(), QStringLiteral("reboot"));
}

void MaintenanceTest::factoryResetReplacesWaitingPackage()
{
    QVERIFY(writeFile(QStringLiteral("paraGroup/default/20clearsh.tar.gz"), "factory"));
    QVERIFY(writeFile(QStringLiteral("newupdate.tar.gz"), "waiting package"));
    ModalScript script({1, 1});
    page()->SlotRestoreFactorySet();
    QCOMPARE(script.seen().first(), QStringLiteral("tipbox: ") + uiText(551) + QLatin1Char('?'));
    QCOMPARE(script.seen().size(), 2);
    QVERIFY(script.seen().last().startsWith(QStringLiteral("tipbox: ")));
    QCOMPARE(readFile(QStringLiteral("newupdate.tar.gz")), QByteArray("factory"));
}

void MaintenanceTest::factoryResetWithoutPackageSaysSo()
{
    QVERIFY(writeFile(QStringLiteral("newupdate.tar.gz"), "waiting package"));
    ModalScript script({1, 1});
    page()->SlotRestoreFactorySet();
    QCOMPARE(script.seen().size(), 2);
    QVERIFY(script.seen().last().startsWith(QStringLiteral("Warnbox: ")));
    QCOMPARE(readFile(QStringLiteral("newupdate.tar.gz")), QByteArray("waiting package"));
    QFile::remove(QStringLiteral("newupdate.tar.gz"));
}

// Under English the page's own messages show in English, as the questions from the text table
// do: the compiled translation of the runtime folder, loaded as the program loads it.
void MaintenanceTest::englishMessages()
{
    QTranslator english;
    const QString file = qEnvironmentVariable("MM_BINARY_DIR") + QStringLiteral("/runtime/Translator/tr_en.qm");
    QVERIFY2(english.load(file), qPrintable(file));
    QCoreApplication::installTranslator(&english);
    currentLanguage = 1;
    page()->ParaGroupUpdateList();
    ModalScript script({1, 1});
    page()->SlotParaGroupRestore();
    page()->SlotRestoreFactorySet();
    const QString question = uiText(551) + QLatin1Char('?');
    currentLanguage = 0;
    QCoreApplication::removeTranslator(&english);
    QVERIFY(question != uiText(551) + QLatin1Char('?'));
    QCOMPARE(script.seen(), QStringList({QStringLiteral("Warnbox: Please choose an existing parameter group"),
                                         QStringLiteral("tipbox: ") + question,
                                         QStringLiteral("Warnbox: There is no factory settings package; "
                                                        "nothing was reset")}));
}

QTEST_MAIN(MaintenanceTest)
#include "tst_Maintenance.moc"
