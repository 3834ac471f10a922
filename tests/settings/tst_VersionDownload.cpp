// The version download against a loopback HTTP server: columns per listing, paging, URLs from
// their own listing, self-referencing folders, a slow server, a redirect that must fail, and a
// download that leaves exactly one package and one backup.
//
// Then against a server that is wrong or hostile: listings nested without end or too large,
// folders without number or slow to answer, the same package name in two folders, and
// packages that are too large, endless, or arrive slowly. The station must not crash, must stay
// usable and cancellable, must fetch the file the operator pressed, and must never hold a
// package in memory nor put an incomplete one in place.

#include "platform/system/RecordingSystemActions.h"
#include "settings/ListingText.h"
#include "settings/MaintenanceLocations.h"
#include "settings/PackageDownload.h"
#include "settings/VersionDownloadDialog.h"
#include "settings/VersionListing.h"
#include "tests/settings/LoopbackHttpServer.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/ScreenCheck.h"
#include "tests/support/TestFiles.h"
#include "uikit/ColorButton.h"
#include "uikit/UiKitGlobals.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

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

const QByteArray gzipHead("\x1f\x8b\x08\x00", 4);

// A listing with one package whose line lies inside `levels` nested elements.
QByteArray nested(int levels)
{
    QByteArray page = "<html><body>";
    for (int i = 0; i < levels; ++i)
        page += "<i>";
    page += "V17_deep.tar.gz/  09-Dec-2026 10:00  1\r\nend";
    for (int i = 0; i < levels; ++i)
        page += "</i>";
    return page + "</body></html>";
}

// Runs `check` every 10 ms from whatever event loop runs meanwhile, until it returns true.
class Poller : public QObject
{
public:
    explicit Poller(std::function<bool()> check) : check(std::move(check))
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            if (this->check())
                timer.stop();
        });
        timer.start(10);
    }

private:
    std::function<bool()> check;
    QTimer timer;
};

// Answers the boxes of a download through their buttons: YES to the question, OK to the
// result, whose message it keeps.
QString answerDownloadBoxes(QWidget *dialog, bool *asked)
{
    for (v_SelectBox *box : dialog->findChildren<v_SelectBox *>()) {
        if (!box->isVisible() || !box->okButton || !box->okButton->isVisible())
            continue;
        if (box->buttonCount == 2)
            *asked = true;
        const QString message = box->message;
        QTest::mouseClick(box->okButton, Qt::LeftButton);
        return box->buttonCount == 1 ? message : QString();
    }
    return QString();
}

QStringList temporaryPackages(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".newupdate-*")}, QDir::Files | QDir::Hidden);
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
    void pagesTurnOnTheScreenOverASmallOpener();
    void slowServerIsUnreachable();
    void suffixFromTheEnd_data();
    void suffixFromTheEnd();
    void downloadKeepsOnePackageAndOneBackup();
    void redirectFailsAndTouchesNothing();
    void nestingIsBounded_data();
    void nestingIsBounded();
    void deeplyNestedListingDoesNotCrash();
    void listingSizeIsBounded();
    void folderCountIsBounded();
    void readingShowsProgressAndCancels();
    void eachButtonFetchesItsOwnPackage();
    void packageSizeIsBounded_data();
    void packageSizeIsBounded();
    void packageArrivesOnDiskBesideItsTarget();

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

// Opened from a page smaller than itself on the full-size screen, the dialog is a window of its
// own: every button lies inside it, and the page buttons turn the pages when touched.
void VersionDownloadTest::pagesTurnOnTheScreenOverASmallOpener()
{
    const QSize screen(mainViewWidth, mainViewHeight);
    mainViewWidth = 1920;
    mainViewHeight = 1080;
    server->set("/monitor/", 200, listing("/monitor/", {"2023/"}));
    server->set("/monitor/2023/", 200, listing("/monitor/2023/", packages("V17_2023_", 9)));
    QWidget opener;
    opener.resize(800, 600);
    opener.show();
    VersionDownloadDialog versions(&opener);
    versions.show();
    mainViewWidth = screen.width();
    mainViewHeight = screen.height();
    QVERIFY(versions.isWindow());
    QCOMPARE(ScreenCheck::controlsOutsideWindow(versions.window()), QStringList());
    QAbstractButton *next = versions.nextGroup->button(0);
    QVERIFY(ScreenCheck::touch(next));
    QCOMPARE(versions.columnPage.at(0), 1);
    QCOMPARE(shownButtons(versions.buttonGroups.at(0)), 2);
    QVERIFY(ScreenCheck::touch(versions.prevGroup->button(0)));
    QCOMPARE(versions.columnPage.at(0), 0);
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

void VersionDownloadTest::nestingIsBounded_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<bool>("read");
    QTest::newRow("a web server's page") << 3 << true;
    QTest::newRow("at the bound") << MaxListingNesting - 2 << true;
    QTest::newRow("past the bound") << MaxListingNesting << false;
    QTest::newRow("30000 levels") << 30000 << false;
}

// html and body are two levels of their own.
void VersionDownloadTest::nestingIsBounded()
{
    QFETCH(int, levels);
    QFETCH(bool, read);
    QStringList pieces;
    QString error;
    QCOMPARE(ParseListing(QString::fromLatin1(nested(levels)), &pieces, &error), read);
    if (read)
        QCOMPARE(CollectVersions(pieces).packages, QStringList{"V17_deep.tar.gz"});
    else
        QVERIFY2(error.contains(QLatin1String("nests deeper")), qPrintable(error));
}

// 30000 nested elements (210 KB) overflowed the stack of a recursive parser.
void VersionDownloadTest::deeplyNestedListingDoesNotCrash()
{
    server->set("/monitor/", 200, nested(30000));
    MessageRecorder log;
    VersionDownloadDialog versions;
    QVERIFY(versions.serverReachable);
    QVERIFY(versions.versionLists.isEmpty());
    QCOMPARE(log.count(QStringLiteral("nests deeper")), 1);
}

// A listing past the bound is not read, with or without its length announced; its packages
// are not offered.
void VersionDownloadTest::listingSizeIsBounded()
{
    QByteArray large = listing("/monitor/", {"V17_1.tar.gz"});
    large.insert(large.indexOf("</pre>"), QByteArray(int(VersionListing::MaxListingBytes), ' '));
    server->set("/monitor/", 200, listing("/monitor/", {"a/", "b/"}));
    server->set("/monitor/a/", 200, large);
    LoopbackHttpServer::Stream endless;
    endless.head = listing("/monitor/b/", {"V17_2.tar.gz"}).replace("</pre>", "");
    server->setStream("/monitor/b/", endless);
    MessageRecorder log;
    VersionDownloadDialog versions;
    QCOMPARE(versions.columnTitles, QVector<QString>({"a", "b"}));
    QVERIFY(versions.versionLists.at(0).first.isEmpty());
    QVERIFY(versions.versionLists.at(1).first.isEmpty());
    QCOMPARE(log.count(QStringLiteral("is not read")), 2);
    // The endless one is not read much past the bound.
    QVERIFY(server->streamed() < 8 << 20);
}

// 40 folders of 40 folders each: 1641 listings were read one after another in the dialog's
// constructor; the number read is bounded.
void VersionDownloadTest::folderCountIsBounded()
{
    QList<QByteArray> folders;
    for (int i = 0; i < 40; ++i)
        folders << "f" + QByteArray::number(i) + "/";
    server->set("/monitor/", 200, listing("/monitor/", folders));
    for (const QByteArray &folder : folders) {
        const QByteArray path = "/monitor/" + folder;
        server->set(path, 200, listing(path, folders));
        for (const QByteArray &inner : folders)
            server->set(path + inner, 200, listing(path + inner, {"V17_1.tar.gz"}));
    }
    VersionDownloadDialog versions;
    QVERIFY(versions.serverReachable);
    QCOMPARE(server->requested.size(), VersionListing::MaxListings);
    QCOMPARE(versions.columnTitles.size(), versions.versionLists.size());
    QCOMPARE(versions.buttonGroups.size(), versions.versionLists.size());
    // The folders read first: the top listing's, in its order.
    QCOMPARE(versions.columnTitles.first(), QStringLiteral("f0"));
}

// While slow listings are read the dialog shows how far it is and a cancel button, pressed
// from a timer of the GUI thread while the dialog is being built; pressing it ends the
// reading at once with what was read, and the dialog can be left.
void VersionDownloadTest::readingShowsProgressAndCancels()
{
    QList<QByteArray> folders;
    for (int i = 0; i < 12; ++i)
        folders << "f" + QByteArray::number(i) + "/";
    server->set("/monitor/", 200, listing("/monitor/", folders));
    for (const QByteArray &folder : folders)
        server->set("/monitor/" + folder, 200, listing("/monitor/" + folder, {"V17_1.tar.gz"}),
                    VersionDownloadDialog::ListingWaitMs * 8 / 10);
    QString shownProgress;
    bool barShown = false;
    bool exitDisabled = false;
    bool cancelInside = false;
    bool cancelled = false;
    Poller press([&] {
        auto *dialog = qobject_cast<VersionDownloadDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || !dialog->cancelButton->isVisible()
            || server->requested.size() < 2)
            return false;
        shownProgress = dialog->listingProgress->text();
        barShown = dialog->listingBar->isVisible();
        exitDisabled = !dialog->exitButton->isEnabled();
        cancelInside = dialog->rect().contains(dialog->cancelButton->geometry())
                       && dialog->rect().contains(dialog->listingProgress->geometry());
        QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
        cancelled = true;
        return true;
    });
    QElapsedTimer clock;
    clock.start();
    VersionDownloadDialog versions;
    const qint64 took = clock.elapsed();
    const int requestsAtEnd = server->requested.size();
    QVERIFY(cancelled);
    QVERIFY(barShown);
    QVERIFY(exitDisabled);
    QVERIFY(cancelInside);
    QVERIFY2(shownProgress.contains(QLatin1String("/ ")), qPrintable(shownProgress));
    QVERIFY(versions.serverReachable);
    QVERIFY(requestsAtEnd < 1 + folders.size());
    QVERIFY(took < folders.size() * VersionDownloadDialog::ListingWaitMs * 8 / 10);
    QVERIFY(versions.cancelButton->isHidden());
    QVERIFY(versions.listingProgress->isHidden());
    QVERIFY(versions.exitButton->isEnabled());
    // No request goes out after the cancel: the server sees at most those under way then,
    // though without it the next ones would have gone out as the first answers came.
    QTest::qWait(VersionDownloadDialog::ListingWaitMs);
    QVERIFY(server->requested.size() <= 1 + VersionListing::ParallelRequests);
}

// The same name in two folders: the button of the second column fetches the second folder's
// file, pressed on the screen and confirmed in the boxes.
void VersionDownloadTest::eachButtonFetchesItsOwnPackage()
{
    server->set("/monitor/", 200, listing("/monitor/", {"a/", "b/"}));
    server->set("/monitor/a/", 200, listing("/monitor/a/", {"V17_1.tar.gz"}));
    server->set("/monitor/b/", 200, listing("/monitor/b/", {"V17_1.tar.gz"}));
    server->set("/monitor/a/V17_1.tar.gz", 200, gzipHead + "from a");
    server->set("/monitor/b/V17_1.tar.gz", 200, gzipHead + "from b");
    VersionDownloadDialog versions;
    QCOMPARE(versions.buttonGroups.size(), 2);
    // A name alone does not say which.
    QVERIFY(!versions.DownloadVersion(QStringLiteral("V17_1.tar.gz")));

    QAbstractButton *second = versions.buttonGroups.at(1)->button(0);
    QVERIFY(second->isVisible());
    bool asked = false;
    QString result;
    Poller answer([&] {
        const QString message = answerDownloadBoxes(&versions, &asked);
        result = message.isEmpty() ? result : message;
        return !result.isEmpty();
    });
    QTest::mouseClick(second, Qt::LeftButton);
    QVERIFY(asked);
    QCOMPARE(result, QStringLiteral("下载成功\n重启后自动更新"));
    QCOMPARE(TestFiles::read(install() + QStringLiteral("/newupdate.tar.gz")), gzipHead + "from b");
    QVERIFY(server->requested.contains("/monitor/b/V17_1.tar.gz"));
    QVERIFY(!server->requested.contains("/monitor/a/V17_1.tar.gz"));
}

void VersionDownloadTest::packageSizeIsBounded_data()
{
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("announced");
    QTest::addColumn<bool>("stored");
    const qint64 bound = 4 << 20;
    QTest::newRow("at the bound") << bound << bound << true;
    QTest::newRow("at the bound, length not announced") << bound << qint64(-1) << true;
    QTest::newRow("past the bound, announced") << 3 * bound << 3 * bound << false;
    QTest::newRow("past the bound, length not announced") << 3 * bound << qint64(-1) << false;
    QTest::newRow("announced past the bound, sent within") << bound / 2 << 3 * bound << false;
    QTest::newRow("endless") << qint64(-1) << qint64(-1) << false;
    QTest::newRow("shorter than announced") << bound / 2 << bound << false;
}

// A package past the bound is cut off while it arrives: nothing is backed up, replaced or
// left behind, and the server is not read much past the bound.
void VersionDownloadTest::packageSizeIsBounded()
{
    QFETCH(qint64, total);
    QFETCH(qint64, announced);
    QFETCH(bool, stored);
    server->set("/monitor/", 200, listing("/monitor/", {"V17_1.tar.gz"}));
    LoopbackHttpServer::Stream stream;
    stream.head = gzipHead;
    stream.total = total;
    stream.announced = announced;
    server->setStream("/monitor/V17_1.tar.gz", stream);
    QVERIFY(TestFiles::write(install() + QStringLiteral("/newupdate.rar"), "older package"));
    VersionDownloadDialog versions;
    versions.maxPackageBytes = 4 << 20;
    QCOMPARE(versions.DownloadVersion(0, 0), stored);
    QVERIFY(temporaryPackages(install()).isEmpty());
    if (stored) {
        QCOMPARE(QFileInfo(install() + QStringLiteral("/newupdate.tar.gz")).size(), total);
        QCOMPARE(actions.count(QStringLiteral("run")), 1);
        return;
    }
    QVERIFY(!QFileInfo::exists(install() + QStringLiteral("/newupdate.tar.gz")));
    QCOMPARE(TestFiles::read(install() + QStringLiteral("/newupdate.rar")), QByteArray("older package"));
    QCOMPARE(actions.count(QStringLiteral("run")), 0);
    QVERIFY(server->streamed() < versions.maxPackageBytes + 64 * PackageDownload::ReadBufferBytes);
}

// The package is on disk while it arrives, in a hidden file beside its target, and the target
// appears only once it is complete; the backup leaves the arriving file out.
void VersionDownloadTest::packageArrivesOnDiskBesideItsTarget()
{
    const qint64 total = 6 << 20;
    const qint64 holdAt = 3 << 20;
    server->set("/monitor/", 200, listing("/monitor/", {"V17_1.tar.gz"}));
    LoopbackHttpServer::Stream stream;
    stream.head = gzipHead;
    stream.total = total;
    stream.announced = total;
    stream.holdAt = holdAt;
    server->setStream("/monitor/V17_1.tar.gz", stream);
    VersionDownloadDialog versions;
    const QString target = install() + QStringLiteral("/newupdate.tar.gz");
    bool seenOnDisk = false;
    bool targetThen = true;
    Poller watch([&] {
        const QStringList arriving = temporaryPackages(install());
        // Most of what was sent, whatever the file's own buffer still holds.
        if (arriving.size() != 1 || QFileInfo(install() + '/' + arriving.first()).size() < holdAt / 2
            || server->streamed() < holdAt)
            return false;
        seenOnDisk = true;
        targetThen = QFileInfo::exists(target);
        server->release();
        return true;
    });
    QVERIFY(versions.DownloadVersion(0, 0));
    QVERIFY(seenOnDisk);
    QVERIFY(!targetThen);
    QCOMPARE(QFileInfo(target).size(), total);
    QCOMPARE(TestFiles::read(target).left(4), gzipHead);
    QVERIFY(temporaryPackages(install()).isEmpty());

    const QStringList archives = QDir(backups()).entryList({QStringLiteral("bin-AOI-*.tar.gz")}, QDir::Files);
    QCOMPARE(archives.size(), 1);
    QProcess list;
    list.start(QStringLiteral("tar"), {QStringLiteral("--force-local"), QStringLiteral("-tzf"),
                                       QDir(backups()).filePath(archives.first())});
    QVERIFY(list.waitForFinished(30000));
    const QByteArray members = list.readAllStandardOutput();
    QVERIFY2(members.contains("bin-AOI/mouldmonitor"), members.constData());
    QVERIFY2(!members.contains(".newupdate-"), members.constData());
}

QTEST_MAIN(VersionDownloadTest)
#include "tst_VersionDownload.moc"
