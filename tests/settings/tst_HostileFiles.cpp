// Maintenance against files and names that someone else prepared: a USB stick with links where
// the export goes or among its packages, links and stale entries under the parameter groups'
// staging names, group folders holding more than a group is made of, and group names that could
// mean another folder. Each case is built
// in a temporary working folder beside an "outside" folder whose files must survive it.

#include "platform/system/RecordingSystemActions.h"
#include "settings/ExportData.h"
#include "settings/MaintenanceLocations.h"
#include "settings/ParameterGroupStore.h"
#include "settings/UpdatePackage.h"
#include "station/ParameterGroupSwitch.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempWorkDir.h"
#include "tests/support/TestFiles.h"

#include <QDirIterator>
#include <QtTest>

#include <memory>

namespace {

const QByteArray gzip("\x1f\x8b\x08\x00package", 11);

// Every entry below a folder with the bytes of its files (links as their target's name),
// sorted: a snapshot to compare before and after.
QStringList snapshot(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo entry = it.fileInfo();
        QString line = QDir(folder).relativeFilePath(path);
        if (entry.isSymLink())
            line += QStringLiteral(" -> ") + entry.symLinkTarget();
        else if (entry.isFile())
            line += QStringLiteral(" = ") + QString::fromLatin1(TestFiles::read(path).toHex());
        entries << line;
    }
    entries.sort();
    return entries;
}

bool link(const QString &target, const QString &linkPath)
{
    QDir().mkpath(QFileInfo(linkPath).absolutePath());
    return QFile::link(target, linkPath);
}

} // namespace

class HostileFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void exportNeverFollowsALinkOnTheStick_data();
    void exportNeverFollowsALinkOnTheStick();
    void stagingNamesAreNeverFollowed_data();
    void stagingNamesAreNeverFollowed();
    void groupSwitchTakesOnlyWhatAGroupHolds_data();
    void groupSwitchTakesOnlyWhatAGroupHolds();
    void updatePackageMustLieOnTheStick_data();
    void updatePackageMustLieOnTheStick();
    void groupNames_data();
    void groupNames();

private:
    QString path(const QString &name) const { return work->filePath(name); }

    std::unique_ptr<TempWorkDir> work;
    std::unique_ptr<RecordingSystemActions> actions;
};

void HostileFilesTest::init()
{
    work = std::make_unique<TempWorkDir>();
    QVERIFY(work->isValid());
    actions = std::make_unique<RecordingSystemActions>();
    // Files the cases must leave alone.
    QVERIFY(TestFiles::write(path("outside/victim.txt"), "outside file"));
    QVERIFY(TestFiles::write(path("outside/folder/kept.txt"), "outside folder"));
    MaintenanceLocations where;
    where.installFolder = path("bin-AOI");
    where.backupFolder = path("backups");
    where.usbFolder = path("stick");
    setMaintenanceLocations(where);
}

void HostileFilesTest::cleanup()
{
    actions.reset();
    work.reset();
}

void HostileFilesTest::exportNeverFollowsALinkOnTheStick_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("exported");
    // Prepared on the stick under the name the export is about to use.
    QTest::newRow("export folder linked to the program folder") << "" << "bin-AOI" << false;
    QTest::newRow("export folder linked to the program's parent") << "" << "." << false;
    QTest::newRow("export folder linked elsewhere") << "" << "outside/folder" << false;
    QTest::newRow("dangling export folder") << "" << "outside/none" << false;
    // Inside the export folder: the link is replaced by the copy, never written through.
    QTest::newRow("copy linked to the program folder") << "bin-AOI" << "bin-AOI" << true;
    QTest::newRow("copy linked elsewhere") << "bin-AOI" << "outside/folder" << true;
    QTest::newRow("raw frames linked elsewhere") << "bin-AOI/originalimage" << "outside/folder" << true;
    QTest::newRow("file linked to an outside file") << "bin-AOI/program" << "outside/victim.txt" << true;
    QTest::newRow("file linked to a new outside file") << "bin-AOI/program" << "outside/new.txt" << true;
}

// The program folder and every file outside the stick stay as they were; the raw frames go
// only when a real copy of them lies on the stick.
void HostileFilesTest::exportNeverFollowsALinkOnTheStick()
{
    QFETCH(QString, entry);
    QFETCH(QString, target);
    QFETCH(bool, exported);
    QVERIFY(TestFiles::write(path("bin-AOI/program"), "the station program"));
    QVERIFY(TestFiles::write(path("bin-AOI/originalimage/cammer11/1.bmp"), "raw frame"));
    const QString exportFolder = path("stick/2024-01-01_00.00.00");
    QVERIFY(link(path(target), entry.isEmpty() ? exportFolder : QDir(exportFolder).filePath(entry)));
    const QStringList program = snapshot(path("bin-AOI"));
    const QStringList outside = snapshot(path("outside"));

    const ExportResult result = exportProgramFolder(path("bin-AOI"), exportFolder,
                                                    {path("bin-AOI/originalimage/cammer11")});

    QCOMPARE(snapshot(path("outside")), outside);
    QVERIFY(!QFileInfo::exists(path("outside/new.txt")));
    if (!exported) {
        QCOMPARE(result, ExportResult::CopyFailed);
        QCOMPARE(snapshot(path("bin-AOI")), program);
        return;
    }
    QCOMPARE(result, ExportResult::Exported);
    QCOMPARE(TestFiles::read(path("bin-AOI/program")), QByteArray("the station program"));
    const QString copy = QDir(exportFolder).filePath(QStringLiteral("bin-AOI"));
    for (const QString &file : {QStringLiteral("program"), QStringLiteral("originalimage/cammer11/1.bmp")}) {
        const QFileInfo copied(QDir(copy).filePath(file));
        QVERIFY2(copied.isFile() && !copied.isSymLink(), qPrintable(file));
        QVERIFY(copied.canonicalFilePath().startsWith(QFileInfo(exportFolder).canonicalFilePath() + '/'));
    }
    QCOMPARE(TestFiles::read(QDir(copy).filePath("originalimage/cammer11/1.bmp")), QByteArray("raw frame"));
    QVERIFY(QDir(path("bin-AOI/originalimage/cammer11")).isEmpty());
}

void HostileFilesTest::stagingNamesAreNeverFollowed_data()
{
    QTest::addColumn<QString>("stale");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("switching");
    QTest::newRow("backup's new copy linked to a folder") << "paraGroup/.new-alpha" << "outside/folder" << false;
    QTest::newRow("backup's old group linked to a folder") << "paraGroup/.old-alpha" << "outside/folder" << false;
    QTest::newRow("backup's new copy linked nowhere") << "paraGroup/.new-alpha" << "outside/none" << false;
    QTest::newRow("backup's new copy a plain file") << "paraGroup/.new-alpha" << "" << false;
    QTest::newRow("switch's staging linked to a folder") << "paraGroup.staging" << "outside/folder" << true;
}

// A stale link under a staging name is removed as a link: the folder it leads to keeps its
// files, and the backup or switch still completes.
void HostileFilesTest::stagingNamesAreNeverFollowed()
{
    QFETCH(QString, stale);
    QFETCH(QString, target);
    QFETCH(bool, switching);
    QVERIFY(TestFiles::write(path("PARAM.db"), "live parameters"));
    QVERIFY(TestFiles::write(path("cammer11/template0.bmp"), "live template"));
    QVERIFY(TestFiles::write(path("paraGroup/alpha/PARAM.db"), "alpha parameters"));
    QVERIFY(target.isEmpty() ? TestFiles::write(path(stale), "stale") : link(path(target), path(stale)));
    const QStringList outside = snapshot(path("outside"));

    if (switching) {
        ParameterGroupSwitch groupSwitch;
        QCOMPARE(groupSwitch.switchTo(0), ParameterGroupSwitch::Result::Switched);
        QCOMPARE(TestFiles::read(path("PARAM.db")), QByteArray("alpha parameters"));
    } else {
        QVERIFY(backupParameterGroup(QStringLiteral("alpha"), 1, 1));
        QCOMPARE(TestFiles::read(path("paraGroup/alpha/PARAM.db")), QByteArray("live parameters"));
        QCOMPARE(TestFiles::read(path("paraGroup/alpha/cammer11/template0.bmp")), QByteArray("live template"));
    }
    QCOMPARE(snapshot(path("outside")), outside);
    QVERIFY(!QFileInfo(path(stale)).isSymLink());
    QVERIFY(!QFileInfo::exists(path(stale)));
}

void HostileFilesTest::groupSwitchTakesOnlyWhatAGroupHolds_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("taken");
    QTest::newRow("template folder") << "mould" << "cammer12/template0.bmp" << true;
    QTest::newRow("template folder of camera 8") << "mould" << "cammer84/template0.bmp" << true;
    QTest::newRow("production counts") << "mould" << "count.txt" << false;
    QTest::newRow("maintenance locations") << "mould" << "maintenance.ini" << false;
    QTest::newRow("a program file") << "mould" << "mouldmonitor" << false;
    QTest::newRow("camera serials of a saved group") << "mould" << "SN.db" << false;
    QTest::newRow("camera serials of the factory group") << "default" << "SN.db" << true;
    QTest::newRow("factory package") << "default" << "20clearsh.tar.gz" << false;
    QTest::newRow("folder of pictures") << "mould" << "images/background.png" << false;
    QTest::newRow("hidden file") << "mould" << ".profile" << false;
    QTest::newRow("camera folder out of range") << "mould" << "cammer9/template0.bmp" << false;
    QTest::newRow("camera folder with three digits") << "mould" << "cammer111/template0.bmp" << false;
    QTest::newRow("a file named like a template folder") << "mould" << "cammer13" << false;
}

// The group's parameter database always comes along; an entry that no group is made of stays
// in the group folder, the live one is left as it was, and the switch says what it left out.
void HostileFilesTest::groupSwitchTakesOnlyWhatAGroupHolds()
{
    QFETCH(QString, group);
    QFETCH(QString, entry);
    QFETCH(bool, taken);
    QVERIFY(TestFiles::write(path("PARAM.db"), "live parameters"));
    QVERIFY(TestFiles::write(path(entry), "live"));
    const QString groupFolder = QStringLiteral("paraGroup/") + group;
    QVERIFY(TestFiles::write(path(groupFolder + "/PARAM.db"), "group parameters"));
    QVERIFY(TestFiles::write(path(groupFolder + '/' + entry), "from the group"));

    MessageRecorder log;
    ParameterGroupSwitch groupSwitch;
    QCOMPARE(groupSwitch.switchTo(ParameterGroupSwitch::groupNames().indexOf(group)),
             ParameterGroupSwitch::Result::Switched);
    QCOMPARE(TestFiles::read(path("PARAM.db")), QByteArray("group parameters"));
    QCOMPARE(TestFiles::read(path(entry)), taken ? QByteArray("from the group") : QByteArray("live"));
    const QString top = entry.section(QLatin1Char('/'), 0, 0);
    QCOMPARE(log.count(top + QStringLiteral(" is no part of a group")), taken ? 0 : 1);
    QCOMPARE(TestFiles::read(path(groupFolder + '/' + entry)), QByteArray("from the group"));
    QVERIFY(!QFileInfo::exists(path("paraGroup.staging")));
    QVERIFY(!QFileInfo::exists(path("paraGroup.previous")));
}

void HostileFilesTest::updatePackageMustLieOnTheStick_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("linkTarget");
    QTest::addColumn<int>("result");
    const int copied = int(PackageTakeOver::Copied);
    const int refused = int(PackageTakeOver::WrongKind);
    QTest::newRow("package on the stick") << "stick/p.tar.gz" << "" << copied;
    QTest::newRow("package in a folder on the stick") << "stick/v2/p.tar.gz" << "" << copied;
    QTest::newRow("package that is a link") << "stick/p.tar.gz" << "outside/p.tar.gz" << refused;
    QTest::newRow("package in a linked folder") << "stick/v2/p.tar.gz" << "outside" << refused;
    QTest::newRow("package off the stick") << "outside/p.tar.gz" << "" << refused;
    QTest::newRow("path climbing off the stick") << "stick/../outside/p.tar.gz" << "" << refused;
}

void HostileFilesTest::updatePackageMustLieOnTheStick()
{
    QFETCH(QString, chosen);
    QFETCH(QString, linkTarget);
    QFETCH(int, result);
    QVERIFY(TestFiles::write(path("outside/p.tar.gz"), gzip));
    QVERIFY(QDir().mkpath(path("stick")));
    if (linkTarget.isEmpty()) {
        QVERIFY(TestFiles::write(path(chosen), gzip));
    } else {
        // The link is the package itself, or the folder it lies in.
        const QString linked = linkTarget.endsWith(QLatin1String(".tar.gz")) ? chosen : QFileInfo(chosen).path();
        QVERIFY(link(path(linkTarget), path(linked)));
    }
    QCOMPARE(int(takeOverUpdatePackage(path(chosen))), result);
    QCOMPARE(QFileInfo::exists(path("newupdate.tar.gz")), result == int(PackageTakeOver::Copied));
    QCOMPARE(TestFiles::read(path("outside/p.tar.gz")), gzip);
}

void HostileFilesTest::groupNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("separator") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("shell character") << "x;rm" << false;
    QTest::newRow("leading dot") << ".new-x" << false;
    QTest::newRow("control character") << "a\tb" << false;
    QTest::newRow("33 characters") << QString(33, QLatin1Char('g')) << false;
    QTest::newRow("blank at the end") << "mould " << false;
    QTest::newRow("32 characters") << QString(32, QLatin1Char('g')) << true;
    QTest::newRow("letters, digits, blank, dash") << "Mould A-1.2" << true;
    QTest::newRow("Chinese") << QStringLiteral("模具一") << true;
}

void HostileFilesTest::groupNames()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    // The group folder exists, as on a station.
    QVERIFY(QDir().mkpath(QString::fromLatin1(ParameterGroupSwitch::GroupFolder)));
    QCOMPARE(isPlainGroupName(name), plain);
    QCOMPARE(groupFolderPath(name).isEmpty(), !plain);
}

QTEST_MAIN(HostileFilesTest)
#include "tst_HostileFiles.moc"
