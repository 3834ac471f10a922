// The version download against a loopback HTTP server: columns per listing, paging, URLs from
// their own listing, self-referencing folders, a slow server, a redirect that must fail, and a
// download that leaves exactly one package and one backup.

#include "platform/system/RecordingSystemActions.h"
#include "settings/MaintenanceLocations.h"
#include "settings/VersionDownloadDialog.h"
#include "tests/settings/LoopbackHttpServer.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A directory listing as the update server's web server writes it.
QByteArray listing(const QByteArray &path, const QList<QByteArray> &entries)
{
    QByteArray page = "<html>\r\n<head><title>Index of " + path + "</title></head>\r\n<body>\r\n<h1>Index of "
                      + path + "</h1><hr><pre><a href=\"../\">../</a>\r\n";
    for (const QByteArray &entry : entries) {
        page += "<a href=\"" + entry + "\">" + entry + "</a>";
        page += QByteArray(40 - entry.size(), ' ') + "09-Dec-2026 10:00    "
                + (entry.endsWith('/') ? "-" : "1048576") + "\r\n";
    }
    return page + "</pre><hr></body>\r\n</html>\r\n";
}

QList<QByteArray> packages(const QByteArray &prefix, int count)
{
    QList<QByteArray> names;
    for (int i = 1; i <= count; ++i)
        names << prefix + QByteArray::number(i) + ".tar.gz";
    return names;
}

bool writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

int shownButtons(QButtonGroup *group)
{
    int n = 0;
    for (QAbstractButton *button : group->buttons())
        n += button->isHidden() ? 0 : 1;
    return n;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class VersionDownloadTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void topLevelPackagesHaveNoPageButtons();
    void oneColumnPerSubFolder();
    void slowServerIsUnreachable();
    void suffixFromTheEnd_data();
    void suffixFromTheEnd();
    void downloadKeepsOnePackageAndOneBackup();
    void redirectFailsAndTouchesNothing();

private:
    QString install() const { return dir->filePath(QStringLiteral("root/bin-AOI")); }
    QString backups() const { return dir->filePath(QStringLiteral("root")); }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<LoopbackHttpServer> server;
    RecordingSystemActions actions;
};

void VersionDownloadTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    server = std::make_unique<LoopbackHttpServer>();
    QVERIFY(server->isListening());
    QVERIFY(writeFile(install() + QStringLiteral("/mouldmonitor"), "program"));
    MaintenanceLocations where;
    where.installFolder = install();
    where.backupFolder = backups();
    where.usbFolder = dir->filePath(QStringLiteral("stick"));
    where.updateServer = server->url("/monitor/");
    setMaintenanceLocations(where);
    actions.actions.clear();
}

void VersionDownloadTest::cleanup()
{
    server.reset();
    dir.reset();
}

// Nine packages of its own, a V16 package and a text file: one untitled column, seven
// buttons on the first page, no page buttons.
void VersionDownloadTest::topLevelPackagesHaveNoPageButtons()
{
    server->set("/monitor/", 200, listing("/monitor/", packages("V17_", 9) + QList<QByteArray>{"V16_old.tar.gz", "readme.txt"}));
    VersionDownloadDialog versions;
    QVERIFY(versions.serverReachable);
    QCOMPARE(versions.versionLists.size(), 1);
    QCOMPARE(versions.columnTitles, QVector<QString>{QString()});
    QCOMPARE(versions.versionLists.at(0).first.size(), 9);
    QCOMPARE(versions.versionLists.at(0).first.first(), QStringLiteral("V17_1.tar.gz"));
    QCOMPARE(versions.versionLists.at(0).second.first(), server->url("/monitor/V17_1.tar.gz"));
    QCOMPARE(shownButtons(versions.buttonGroups.at(0)), 7);
    QVERIFY(versions.prevGroup->buttons().isEmpty());
    QVERIFY(versions.nextGroup->buttons().isEmpty());
}

void VersionDownloadTest::oneColumnPerSubFolder()
{
    server->set("/monitor/", 200, listing("/monitor/", {"2023/", "empty/", "loop/", "V17/"}));
    server->set("/monitor/2023/", 200, listing("/monitor/2023/", packages("V17_2023_", 9)));
    server->set("/monitor/empty/", 200, listing("/monitor/empty/", {"notes.txt"}));
    // A folder that lists itself, at every depth.
    for (const char *path : {"/monitor/loop/", "/monitor/loop/loop/", "/monitor/loop/loop/loop/"})
        server->set(path, 200, listing(path, {"loop/"}));
    server->set("/monitor/V17/", 200, listing("/monitor/V17/", {"V17_b.rar"}));

    VersionDownloadDialog versions;
    QVERIFY(versions.serverReachable);
    const int columns = versions.versionLists.size();
    QCOMPARE(versions.columnTitles.size(), columns);
    QCOMPARE(versions.buttonGroups.size(), columns);
    QCOMPARE(versions.columnTitles.mid(0, 3), QVector<QString>({"2023", "empty", "loop"}));
    QCOMPARE(versions.versionLists.at(0).first.size(), 9);
    QVERIFY(versions.versionLists.at(1).first.isEmpty());
    // The V17 folder's packages come from its own listing.
    QCOMPARE(versions.columnTitles.last(), QString());
    QCOMPARE(versions.versionLists.last().first, QStringList{"V17_b.rar"});
    QCOMPARE(versions.versionLists.last().second, QStringList{server->url("/monitor/V17/V17_b.rar")});
    QVERIFY(!server->requested.contains("/monitor/loop/loop/loop/"));

    // Paging of the first column: 7 then 2; the ends show the same page again.
    QCOMPARE(versions.columnPageCount.at(0), 2);
    QCOMPARE(shownButtons(versions.buttonGroups.at(0)), 7);
    versions.nextGroup->button(0)->click();
    versions.nextGroup->button(0)->click();
    QCOMPARE(versions.columnPage.at(0), 1);
    QCOMPARE(shownButtons(versions.buttonGroups.at(0)), 2);
    versions.prevGroup->button(0)->click();
    versions.prevGroup->button(0)->click();
    QCOMPARE(versions.columnPage.at(0), 0);
    QCOMPARE(shownButtons(versions.buttonGroups.at(0)), 7);
    QVERIFY(!versions.nextGroup->button(columns - 1));
}

void VersionDownloadTest::slowServerIsUnreachable()
{
    server->set("/monitor/", 200, listing("/monitor/", packages("V17_", 1)), 2 * VersionDownloadDialog::ListingWaitMs);
    VersionDownloadDialog versions;
    QVERIFY(!versions.serverReachable);
}

void VersionDownloadTest::suffixFromTheEnd_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("tar in the version") << "V17_tar_1.tar.gz" << ".tar.gz";
    QTest::newRow("gz alone") << "V17_gzip.gz" << ".gz";
    QTest::newRow("tar") << "v17_rar.tar" << ".tar";
    QTest::newRow("rar") << "V17_1.rar" << ".rar";
    QTest::newRow("zip") << "V17_tar.zip" << "";
}

void VersionDownloadTest::suffixFromTheEnd()
{
    QFETCH(QString, name);
    QFETCH(QString, suffix);
    QCOMPARE(VersionDownloadDialog::PackageSuffix(name), suffix);
}

void VersionDownloadTest::downloadKeepsOnePackageAndOneBackup()
{
    const QByteArray package = QByteArray("\x1f\x8b\x08\x00", 4) + " the new version";
    server->set("/monitor/", 200, listing("/monitor/", {"V17_tar_2.tar.gz"}));
    server->set("/monitor/V17_tar_2.tar.gz", 200, package);
    QVERIFY(writeFile(install() + QStringLiteral("/newupdate.rar"), "older package"));
    QVERIFY(writeFile(backups() + QStringLiteral("/bin-AOI-2020-01-01-00:00:00.tar.gz"), "old backup"));
    QVERIFY(writeFile(backups() + QStringLiteral("/bin-AOI-2021-01-01-00:00:00.tar.gz"), "old backup"));
    QVERIFY(writeFile(backups() + QStringLiteral("/other.tar.gz"), "not ours"));

    VersionDownloadDialog versions;
    QVERIFY(versions.DownloadVersion(QStringLiteral("V17_tar_2.tar.gz")));
    QStringList packagesLeft = QDir(install()).entryList({"newupdate*"}, QDir::Files);
    QCOMPARE(packagesLeft, QStringList{"newupdate.tar.gz"});
    QFile file(install() + QStringLiteral("/newupdate.tar.gz"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), package);
    const QStringList backupsLeft = QDir(backups()).entryList({"*.tar.gz"}, QDir::Files);
    QCOMPARE(backupsLeft.size(), 2);
    QVERIFY(backupsLeft.contains(QStringLiteral("other.tar.gz")));
    QVERIFY(QFileInfo(backups() + QLatin1Char('/') + sorted(backupsLeft).first()).size() > 20);
    QVERIFY(sorted(backupsLeft).first().startsWith(QStringLiteral("bin-AOI-")));
    QVERIFY(sorted(backupsLeft).first() > QStringLiteral("bin-AOI-2022"));
}

void VersionDownloadTest::redirectFailsAndTouchesNothing()
{
    server->set("/monitor/", 200, listing("/monitor/", {"V17_1.tar.gz"}));
    server->set("/monitor/V17_1.tar.gz", 302, "<html>moved</html>", 0, "Location: /login\r\n");
    QVERIFY(writeFile(install() + QStringLiteral("/newupdate.rar"), "older package"));
    QVERIFY(writeFile(backups() + QStringLiteral("/bin-AOI-2020-01-01-00:00:00.tar.gz"), "old backup"));
    VersionDownloadDialog versions;
    QVERIFY(!versions.DownloadVersion(QStringLiteral("V17_1.tar.gz")));
    QCOMPARE(QDir(install()).entryList({"newupdate*"}, QDir::Files), QStringList{"newupdate.rar"});
    QCOMPARE(QDir(backups()).entryList({"*.tar.gz"}, QDir::Files),
             QStringList{"bin-AOI-2020-01-01-00:00:00.tar.gz"});
    QCOMPARE(actions.count(QStringLiteral("run")), 0);
}

QTEST_MAIN(VersionDownloadTest)
#include "tst_VersionDownload.moc"
