#include "settings/VersionDownloadDialog.h"

#include "core/Globals.h"
#include "platform/system/SystemActions.h"
#include "settings/LongWork.h"
#include "settings/MaintenanceLocations.h"
#include "settings/PackageDownload.h"
#include "settings/UpdatePackage.h"
#include "uikit/BoxPainting.h"
#include "uikit/ColorButton.h"
#include "uikit/StyleHelpers.h"
#include "uikit/UiKitGlobals.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>

#include <cmath>

namespace {

const char *const archiveExtensions[] = {"gz", "tar", "rar"};

// A large box when the screen is wider than 1024.
bool largeScreen()
{
    return mainViewWidth > 1024;
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
    // Before the geometry: changing the flags later would let the window system place it anew.
    // A window of its own (Qt::Dialog), not a child of the opener: the opener's page is smaller
    // than the dialog and would cut off its lower rows and page buttons.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    if (largeScreen())
        resize(1280, 960);
    else
        resize(700, 500);
    move(mainViewWidth / 2 - width() / 2, mainViewHeight / 2 - height() / 2);
    const int w = width();
    const int h = height();
    exitButton = new ColorButton(QStringLiteral("退出"), this, 0);
    exitButton->setGeometry(w - 155, 5, 150, 50);
    connect(exitButton, &QPushButton::clicked, this, &VersionDownloadDialog::acceptDialog);

    // Where the package buttons come once the listings are read.
    listingProgress = new QLabel(this);
    listingProgress->setAlignment(Qt::AlignCenter);
    listingProgress->setGeometry(w / 2 - 300, h / 2 - 120, 600, 50);
    listingBar = new QProgressBar(this);
    listingBar->setTextVisible(false);
    listingBar->setStyleSheet(QStringLiteral("QProgressBar{border:1px solid #BDBDBD;background-color:#616161;}"
                                             "QProgressBar::chunk{background-color:#2687F2;}"));
    listingBar->setGeometry(w / 2 - 300, h / 2 - 60, 600, 24);
    cancelButton = new ColorButton(tr("取消"), this, 0);
    cancelButton->setGeometry(w / 2 - 75, h / 2, 150, 50);
    setDarkStyleSheet(this);

    listingUrl = maintenanceLocations().updateServer;
    FetchVersionList(listingUrl);
    // Shown while reading: the column titles and lines are painted anew.
    update();

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
    for (int i = 0; i < columnTitles.size(); ++i) {
        // Untitled columns (packages of the top listing) have no page buttons.
        if (columnTitles.at(i).isEmpty())
            continue;
        auto *previous = new ColorButton(QStringLiteral("上一页"), this, 0);
        auto *next = new ColorButton(QStringLiteral("下一页"), this, 0);
        for (ColorButton *b : {previous, next}) {
            b->setStyleSheet(QStringLiteral("background:transprent;"));
            b->show();
        }
        previous->setGeometry(w / 12 + i * (w / 3) - 50, h - 100, 100, 50);
        next->setGeometry(i * (w / 3) + w / 4 - 50, h - 100, 100, 50);
        prevGroup->addButton(previous, i);
        nextGroup->addButton(next, i);
    }
    connect(prevGroup, &QButtonGroup::idClicked, this, &VersionDownloadDialog::slotToLastPage);
    connect(nextGroup, &QButtonGroup::idClicked, this, &VersionDownloadDialog::slotToNextPage);
}

void VersionDownloadDialog::FetchVersionList(const QString &url)
{
    VersionListing listing(ListingWaitMs);
    QEventLoop loop;
    connect(&listing, &VersionListing::finished, &loop, &QEventLoop::quit);
    connect(&listing, &VersionListing::progress, this, &VersionDownloadDialog::showListingProgress);
    connect(cancelButton, &QPushButton::clicked, &listing, &VersionListing::cancel);
    // Leaving is cancelling first: the reading ends with the dialog's own loop.
    exitButton->setEnabled(false);
    listing.start(url);
    if (!listing.isFinished()) {
        // Nothing else is started while the listings are read; the answers and the operator's
        // cancel come through this loop.
        setWindowModality(Qt::ApplicationModal);
        show();
        loop.exec();
    }
    listingProgress->hide();
    listingBar->hide();
    cancelButton->hide();
    exitButton->setEnabled(true);
    serverReachable = listing.serverReachable;
    if (!listing.listingUrl.isEmpty())
        listingUrl = listing.listingUrl;
    columnTitles = listing.columnTitles;
    versionLists = listing.versionLists;
    // The opener shows its warning in the dialog's place.
    if (!serverReachable)
        hide();
}

void VersionDownloadDialog::showListingProgress(int answered, int known)
{
    listingProgress->setText(tr("正在读取版本库：%1 / %2").arg(answered).arg(known));
    listingBar->setRange(0, known);
    listingBar->setValue(answered);
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
    if (question.exec() == QDialog::Accepted) {
        // Modal while it works: nothing else of the dialog can be pressed meanwhile.
        v_SelectBox progress(x, y, this, 0);
        progress.message = QStringLiteral("下载中...");
        progress.setWindowModality(Qt::ApplicationModal);
        progress.show();
        int column = 0;
        while (column < buttonGroups.size() && buttonGroups.at(column)->id(button) < 0)
            ++column;
        const bool ok = column < buttonGroups.size()
                        && DownloadVersion(column, buttonGroups.at(column)->id(button));
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
    int column = -1;
    int row = -1;
    int offers = 0;
    for (int c = 0; c < versionLists.size(); ++c) {
        const int at = versionLists.at(c).first.indexOf(name);
        if (at >= 0 && offers++ == 0) {
            column = c;
            row = at;
        }
    }
    if (offers != 1) {
        qWarning("package %s is offered %d times; which one is meant is not known", qPrintable(name), offers);
        return false;
    }
    return DownloadVersion(column, row);
}

bool VersionDownloadDialog::DownloadVersion(int column, int row)
{
    if (column < 0 || column >= versionLists.size() || row < 0
        || row >= versionLists.at(column).first.size() || row >= versionLists.at(column).second.size()) {
        qWarning("no package at column %d, row %d", column, row);
        return false;
    }
    const QString name = versionLists.at(column).first.at(row);
    const QString url = versionLists.at(column).second.at(row);
    const QString suffix = PackageSuffix(name);
    const QString install = maintenanceLocations().installFolder;
    if (suffix.isEmpty() || !QFileInfo(install).isDir()) {
        qInfo("path error");
        return false;
    }
    PackageDownload download(install);
    switch (download.fetch(url, maxPackageBytes, packageWaitMs)) {
    case PackageDownload::Result::Complete:
        break;
    case PackageDownload::Result::TimedOut:
        qInfo("error");
        return false;
    case PackageDownload::Result::Failed:
    case PackageDownload::Result::TooLarge:
        return false;
    }
    if (!hasPackageSignature(download.fileName(), suffix)) {
        qWarning("package %s is no %s archive; nothing is changed", qPrintable(name), qPrintable(suffix));
        return false;
    }

    // The old backups and packages go only once the new ones are in place.
    QString backup;
    if (!makeBackup(&backup, QFileInfo(download.fileName()).fileName()))
        return false;
    const QString target = QDir(install).filePath(QStringLiteral("newupdate") + suffix);
    if (!download.placeAs(target)) {
        qInfo("path error");
        return false;
    }
    systemActions()->syncDisks();
    removeOldUpdatePackages(QFileInfo(target).fileName());
    removeOldBackups(QFileInfo(backup).fileName());
    return true;
}

// leaveOut: the package arriving in the program folder, which is no part of the program.
bool VersionDownloadDialog::makeBackup(QString *backup, const QString &leaveOut)
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
    const QStringList arguments = {QStringLiteral("--force-local"), QStringLiteral("--exclude=") + leaveOut,
                                   QStringLiteral("-zcf"), *backup, QStringLiteral("-C"),
                                   install.absolutePath(), install.fileName()};
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
