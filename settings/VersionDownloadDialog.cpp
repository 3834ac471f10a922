#include "settings/VersionDownloadDialog.h"

#include "core/AtomicFile.h"
#include "core/Globals.h"
#include "platform/system/SystemActions.h"
#include "settings/LongWork.h"
#include "settings/MaintenanceLocations.h"
#include "uikit/BoxPainting.h"
#include "uikit/ColorButton.h"
#include "uikit/StyleHelpers.h"
#include "uikit/UiKitGlobals.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDateTime>
#include <QDir>
#include <QDomDocument>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <memory>

namespace {

const char *const archiveExtensions[] = {"gz", "tar", "rar"};

// A large box when the screen is wider than 1024.
bool largeScreen()
{
    return mainViewWidth > 1024;
}

// url's folder with one more path part; the part is taken as text, so that nothing in a name
// from the listing ("?", "#", ":") can make it another address.
QString childUrl(const QString &url, const QString &part, bool folder)
{
    QUrl child(url);
    QString path = child.path(QUrl::FullyDecoded);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    child.setPath(path + part + (folder ? QStringLiteral("/") : QString()), QUrl::DecodedMode);
    return child.toString(QUrl::FullyEncoded);
}

QString listingKey(const QString &url)
{
    return QUrl(url).adjusted(QUrl::NormalizePathSegments | QUrl::StripTrailingSlash).toString();
}

struct Reply
{
    bool finished = false;
    bool ok = false;
    int status = 0;
    QByteArray body;
};

// One GET through a manager of its own, waited for in a local event loop.
Reply fetch(const QString &url, int waitMs)
{
    Reply result;
    QNetworkAccessManager manager;
    // A redirect is no package and no listing: it is not followed.
    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(waitMs);
    if (!reply->isFinished())
        loop.exec();
    if (!reply->isFinished()) {
        reply->abort();
        return result;
    }
    result.finished = true;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.ok = reply->error() == QNetworkReply::NoError;
    result.body = reply->readAll();
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != result.body.size()) {
        qWarning("%s: %lld bytes announced, %lld received", qPrintable(url), length.toLongLong(),
                 qlonglong(result.body.size()));
        result.ok = false;
    }
    return result;
}

} // namespace

v_SelectBox::v_SelectBox(int x, int y, QWidget *parent, int buttonCount)
    : QDialog(parent)
    , boxX(x)
    , boxY(y)
    , buttonCount(buttonCount)
{
    setWindowFlags(Qt::CustomizeWindowHint);
    const bool large = largeScreen();
    if (buttonCount == 2) {
        okButton = new ColorButton(uiText(122), this, 0);
        cancelButton = new ColorButton(uiText(123), this, 0);
        okButton->setGeometry(large ? QRect(100, 220, 220, 100) : QRect(30, 105, 140, 60));
        cancelButton->setGeometry(large ? QRect(430, 220, 220, 100) : QRect(240, 105, 140, 60));
        connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    } else if (buttonCount == 1) {
        okButton = new ColorButton(uiText(121), this, 0);
        okButton->setGeometry(large ? QRect(265, 220, 220, 100) : QRect(140, 105, 140, 60));
    }
    if (okButton)
        connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    placeBox();
}

void v_SelectBox::placeBox()
{
    setGeometry(largeScreen() ? QRect(boxX, boxY, 750, 370) : QRect(boxX, boxY, 420, 180));
}

void v_SelectBox::showEvent(QShowEvent *event)
{
    placeBox();
    QDialog::showEvent(event);
}

void v_SelectBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintBoardBackground(painter, size());
    const QRect text = buttonCount > 0 ? QRect(0, 0, width(), height() / 2) : rect();
    painter.setPen(Qt::red);
    painter.setFont(QFont(QStringLiteral("SimHei"), largeScreen() ? 40 : 20));
    painter.drawText(text, Qt::AlignCenter, message);
    paintBoardFrame(painter, size());
}

VersionDownloadDialog::VersionDownloadDialog(QWidget *parent)
    : QDialog(parent)
{
    listingUrl = maintenanceLocations().updateServer;
    FetchVersionList(listingUrl, -1, 0);

    // Before the geometry: changing the flags later would let the window system place it anew.
    setWindowFlags(Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    if (largeScreen())
        resize(1280, 960);
    else
        resize(700, 500);
    move(mainViewWidth / 2 - width() / 2, mainViewHeight / 2 - height() / 2);
    exitButton = new ColorButton(QStringLiteral("退出"), this, 0);

    for (int c = 0; c < versionLists.size(); ++c) {
        auto *group = new QButtonGroup(this);
        const QStringList &names = versionLists.at(c).first;
        for (int j = 0; j < names.size(); ++j) {
            auto *button = new ColorButton(names.at(j), this, 0);
            group->addButton(button, j);
            button->hide();
            connect(button, &QPushButton::clicked, this, [this, button] { StartDownload(button); });
        }
        buttonGroups.append(group);
        columnPageCount.append(int(std::ceil(names.size() / double(PageSize))));
        columnPage.append(0);
        ShowPage(c);
    }

    prevGroup = new QButtonGroup(this);
    nextGroup = new QButtonGroup(this);
    const int w = width();
    const int h = height();
    for (int i = 0; i < columnTitles.size(); ++i) {
        // Untitled columns (packages of the top listing) have no page buttons.
        if (columnTitles.at(i).isEmpty())
            continue;
        auto *previous = new ColorButton(QStringLiteral("上一页"), this, 0);
        auto *next = new ColorButton(QStringLiteral("下一页"), this, 0);
        for (ColorButton *b : {previous, next})
            b->setStyleSheet(QStringLiteral("background:transprent;"));
        previous->setGeometry(w / 12 + i * (w / 3) - 50, h - 100, 100, 50);
        next->setGeometry(i * (w / 3) + w / 4 - 50, h - 100, 100, 50);
        prevGroup->addButton(previous, i);
        nextGroup->addButton(next, i);
    }
    connect(prevGroup, &QButtonGroup::idClicked, this, &VersionDownloadDialog::slotToLastPage);
    connect(nextGroup, &QButtonGroup::idClicked, this, &VersionDownloadDialog::slotToNextPage);

    exitButton->setGeometry(w - 155, 5, 150, 50);
    connect(exitButton, &QPushButton::clicked, this, &VersionDownloadDialog::acceptDialog);
    setDarkStyleSheet(this);
}

void VersionDownloadDialog::FetchVersionList(QString url, int column, int depth)
{
    // url is a copy: listingUrl, which it may start as, changes with every listing read.
    // A listing that names itself, or folders that nest without end, are read once and not
    // deeper than MaxDepth below the top.
    const QString key = listingKey(url);
    if (depth > MaxDepth || visited.contains(key)) {
        qInfo("listing %s not read (depth %d or read before)", qPrintable(url), depth);
        return;
    }
    visited.insert(key);
    const Reply reply = fetch(url, ListingWaitMs);
    if (!reply.finished) {
        serverReachable = false;
        qInfo("error");
        return;
    }
    if (!reply.ok || reply.status != 200) {
        qInfo("listing %s: no listing (HTTP status %d)", qPrintable(url), reply.status);
        return;
    }
    serverReachable = true;
    listingUrl = url;
    QString text = QString::fromUtf8(reply.body);
    text.remove(QStringLiteral("<hr>"));
    ParseListing(text, url, column, depth);
}

void VersionDownloadDialog::ParseListing(const QString &text, const QString &url, int column, int depth)
{
    QDomDocument document;
    QString error;
    int line = 0;
    int col = 0;
    if (!document.setContent(text, false, &error, &line, &col)) {
        qInfo("Error: Parse error at line %d, column %d: %s", line, col, qPrintable(error));
        return;
    }
    CollectVersions(document.documentElement(), url, column, depth);
}

void VersionDownloadDialog::CollectVersions(const QDomElement &root, const QString &url, int column, int depth)
{
    QStringList pieces;
    QStringList names;
    QStringList urls;
    for (QDomElement body = root.firstChildElement(); !body.isNull(); body = body.nextSiblingElement()) {
        if (body.tagName() != QLatin1String("body"))
            continue;
        for (const QString &part : body.text().split(QLatin1Char('/')))
            pieces += part.split(QStringLiteral("\r\n"));

        for (int i = 0; i + 1 < pieces.size(); ++i) {
            const QString &piece = pieces.at(i);
            for (const char *extension : archiveExtensions) {
                const QString dotted = QLatin1Char('.') + QLatin1String(extension);
                const int at = piece.lastIndexOf(dotted);
                if (at < 0)
                    continue;
                const QString candidate = piece.left(at + dotted.size());
                if (candidate.startsWith(QLatin1String("V17")) || candidate.startsWith(QLatin1String("v17"))) {
                    names << candidate;
                    urls << childUrl(url, candidate, false);
                }
                break;
            }
        }
        if (!names.isEmpty())
            break;

        for (int i = 0; i + 2 < pieces.size(); ++i) {
            const QString &name = pieces.at(i);
            if (!pieces.at(i + 1).startsWith(QLatin1Char(' ')) || name.isEmpty()
                || name == QLatin1String(".") || name == QLatin1String(".."))
                continue;
            const QString child = childUrl(url, name, true);
            if (depth + 1 > MaxDepth || visited.contains(listingKey(child)))
                continue;
            if (!name.contains(QLatin1Char('V'))) {
                // Its own column, whatever its listing holds.
                columnTitles.append(name);
                versionLists.append(qMakePair(QStringList(), QStringList()));
                FetchVersionList(child, columnTitles.size() - 1, depth + 1);
            } else if (name == QLatin1String("V17")) {
                FetchVersionList(child, -1, depth + 1);
            }
        }
    }
    if (names.isEmpty())
        return;
    if (column < 0) {
        columnTitles.append(QString());
        versionLists.append(qMakePair(names, urls));
    } else {
        versionLists[column].first += names;
        versionLists[column].second += urls;
    }
}

void VersionDownloadDialog::ShowPage(int column)
{
    if (column < 0 || column >= buttonGroups.size())
        return;
    const QList<QAbstractButton *> buttons = buttonGroups.at(column)->buttons();
    const int first = columnPage.at(column) * PageSize;
    for (QAbstractButton *button : buttons) {
        const int k = buttonGroups.at(column)->id(button) - first;
        if (k < 0 || k >= PageSize)
            continue;
        button->setGeometry(width() / 3 * column + width() / 6 - 100, 180 + 80 * k, 200, 50);
        button->show();
    }
}

void VersionDownloadDialog::HidePage(int column)
{
    if (column < 0 || column >= buttonGroups.size())
        return;
    for (QAbstractButton *button : buttonGroups.at(column)->buttons())
        button->hide();
}

void VersionDownloadDialog::slotToLastPage(int id)
{
    if (id < 0 || id >= buttonGroups.size())
        return;
    HidePage(id);
    if (columnPage[id] != 0)
        --columnPage[id];
    ShowPage(id);
}

void VersionDownloadDialog::slotToNextPage(int id)
{
    if (id < 0 || id >= buttonGroups.size())
        return;
    HidePage(id);
    if (columnPage[id] + 1 < columnPageCount[id])
        ++columnPage[id];
    ShowPage(id);
}

void VersionDownloadDialog::acceptDialog()
{
    QDialog::accept();
}

void VersionDownloadDialog::SetButtonsEnabled(bool enabled)
{
    for (QButtonGroup *group : qAsConst(buttonGroups))
        for (QAbstractButton *button : group->buttons())
            button->setEnabled(enabled);
}

void VersionDownloadDialog::StartDownload(QAbstractButton *button)
{
    exitButton->setEnabled(false);
    SetButtonsEnabled(false);
    const int x = width() / 2 - 375;
    const int y = height() / 2 - 185;
    v_SelectBox question(x, y, this, 2);
    question.message = QStringLiteral("是否开始下载该版本?");
    if (question.exec() == 1) {
        // Modal while it works: nothing else of the dialog can be pressed meanwhile.
        v_SelectBox progress(x, y, this, 0);
        progress.message = QStringLiteral("下载中...");
        progress.setWindowModality(Qt::ApplicationModal);
        progress.show();
        const bool ok = DownloadVersion(button->text());
        v_SelectBox result(x, y, this, 1);
        progress.close();
        result.message = ok ? QStringLiteral("下载成功\n重启后自动更新") : QStringLiteral("下载失败");
        result.exec();
    }
    SetButtonsEnabled(true);
    exitButton->setEnabled(true);
}

QString VersionDownloadDialog::PackageSuffix(const QString &name)
{
    if (name.endsWith(QLatin1String(".tar.gz")))
        return QStringLiteral(".tar.gz");
    for (const char *extension : archiveExtensions) {
        const QString dotted = QLatin1Char('.') + QLatin1String(extension);
        if (name.endsWith(dotted))
            return dotted;
    }
    return QString();
}

bool VersionDownloadDialog::DownloadVersion(const QString &name)
{
    QString url;
    for (const auto &list : qAsConst(versionLists)) {
        const int at = list.first.indexOf(name);
        if (at >= 0) {
            url = list.second.at(at);
            break;
        }
    }
    const QString suffix = PackageSuffix(name);
    if (url.isEmpty() || suffix.isEmpty()) {
        qWarning("package %s is not in the listing", qPrintable(name));
        return false;
    }
    const Reply reply = fetch(url, packageWaitMs);
    if (!reply.finished) {
        qInfo("error");
        return false;
    }
    if (!reply.ok || reply.status != 200 || reply.body.isEmpty()) {
        qWarning("package %s: HTTP status %d, %lld bytes; nothing is changed", qPrintable(name),
                 reply.status, qlonglong(reply.body.size()));
        return false;
    }

    // The old backups and packages go only once the new ones are in place.
    QString backup;
    if (!makeBackup(&backup))
        return false;
    const QString target = QDir(maintenanceLocations().installFolder).filePath(QStringLiteral("newupdate") + suffix);
    if (!writeFileAtomically(target, reply.body)) {
        qInfo("path error");
        return false;
    }
    systemActions()->syncDisks();
    removeOldUpdatePackages(QFileInfo(target).fileName());
    removeOldBackups(QFileInfo(backup).fileName());
    return true;
}

bool VersionDownloadDialog::makeBackup(QString *backup)
{
    const MaintenanceLocations where = maintenanceLocations();
    const QFileInfo install(where.installFolder);
    if (!install.isDir()) {
        qInfo("path error");
        return false;
    }
    *backup = QDir(where.backupFolder)
                  .filePath(install.fileName() + QLatin1Char('-')
                            + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-hh:mm:ss"))
                            + QStringLiteral(".tar.gz"));
    const QStringList arguments = {QStringLiteral("--force-local"), QStringLiteral("-zcf"), *backup,
                                   QStringLiteral("-C"), install.absolutePath(), install.fileName()};
    const QString file = *backup;
    const bool made = runLongWork(this, [&arguments, &file] {
        return systemActions()->runProgram(QStringLiteral("tar"), arguments, 10 * 60 * 1000) == 0
               && QFileInfo(file).size() > 0;
    });
    if (!made) {
        qWarning("backup %s of %s failed; the package is not kept", qPrintable(file),
                 qPrintable(install.filePath()));
        systemActions()->removeFile(file);
    }
    return made;
}

void VersionDownloadDialog::removeOldBackups(const QString &keep)
{
    const MaintenanceLocations where = maintenanceLocations();
    const QString prefix = QFileInfo(where.installFolder).fileName() + QLatin1Char('-');
    const QDir folder(where.backupFolder);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (name != keep && name.startsWith(prefix) && name.contains(QLatin1String(".tar.gz")))
            systemActions()->removeFile(folder.filePath(name));
    }
}

void VersionDownloadDialog::removeOldUpdatePackages(const QString &keep)
{
    const QDir folder(maintenanceLocations().installFolder);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (name != keep && name.split(QLatin1Char('.')).first() == QLatin1String("newupdate"))
            systemActions()->removeFile(folder.filePath(name));
    }
}

void VersionDownloadDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (skinPixmaps[0] && !skinPixmaps[0]->isNull())
        painter.drawPixmap(rect(), *skinPixmaps[0]);
    if (skinPixmaps[1] && !skinPixmaps[1]->isNull())
        painter.drawPixmap(QRect(0, 0, width(), 60), *skinPixmaps[1]);
    painter.setPen(QColor(0, 255, 255));
    painter.setFont(QFont(QStringLiteral("SimHei"), 32));
    painter.drawText(QRect(0, 0, width(), 60), Qt::AlignCenter, QStringLiteral("版本库"));
    const int third = width() / 3;
    for (int i = 1; i < columnTitles.size(); ++i) {
        if (!skinPixmaps[2] || skinPixmaps[2]->isNull())
            break;
        painter.save();
        painter.translate(i * third, 170);
        painter.rotate(90);
        painter.drawPixmap(QRect(0, -10, height() - 260, 10), *skinPixmaps[2]);
        painter.restore();
    }
    painter.setPen(QColor(255, 255, 0));
    for (int i = 0; i < columnTitles.size(); ++i)
        painter.drawText(QRect(width() / 6 + i * third - 100, 100, 200, 50), Qt::AlignCenter,
                         columnTitles.at(i));
}
