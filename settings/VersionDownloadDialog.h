#ifndef SETTINGS_VERSIONDOWNLOADDIALOG_H
#define SETTINGS_VERSIONDOWNLOADDIALOG_H

#include "settings/VersionListing.h"

#include <QDialog>
#include <QPair>
#include <QStringList>
#include <QVector>

class ColorButton;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class QProgressBar;

// The small box of the version download: a question (2 buttons), a progress notice (none) or
// a result (1). exec() returns 1 for OK and 0 for cancel.
class v_SelectBox : public QDialog
{
    Q_OBJECT

public:
    v_SelectBox(int x, int y, QWidget *parent, int buttonCount);

    ColorButton *okButton = nullptr;
    ColorButton *cancelButton = nullptr;
    QString message;
    int boxX;
    int boxY;
    int buttonCount;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void placeBox();
};

// The package library of the update server: reads the server's listing (and the listings of
// its sub-folders) while it is built, showing its progress and a way to cancel, shows one
// column of package buttons per listing, and on a confirmed choice downloads the package,
// backs up the program folder and leaves the package as the update file that the next start
// unpacks. The server's address and the folders come from maintenanceLocations().
class VersionDownloadDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PageSize = 7;
    // Sub-folders below the top listing that are still read.
    static constexpr int MaxDepth = VersionListing::MaxDepth;
    static constexpr int ListingWaitMs = 1000;
    // The largest package taken: a larger one is cut off while it arrives, and nothing is
    // changed.
    static constexpr qint64 MaxPackageBytes = qint64(256) << 20;

    explicit VersionDownloadDialog(QWidget *parent = nullptr);

    // Downloads the package of that column and row and makes it the update file; true on
    // success.
    bool DownloadVersion(int column, int row);
    // The same for the package of that name, when exactly one column offers it.
    bool DownloadVersion(const QString &name);
    // The update file's extension, taken from the end of the package name: ".tar.gz", ".gz",
    // ".tar" or ".rar"; empty for any other name.
    static QString PackageSuffix(const QString &name);

    bool serverReachable = true;
    // The listing fetched last with success.
    QString listingUrl;
    // One entry per column, all of the same length: its buttons, shown page, page count,
    // title (empty for an untitled column) and package names with their URLs.
    QVector<QButtonGroup *> buttonGroups;
    QVector<int> columnPage;
    QVector<int> columnPageCount;
    QVector<QString> columnTitles;
    QList<QPair<QStringList, QStringList>> versionLists;
    QButtonGroup *prevGroup = nullptr;
    QButtonGroup *nextGroup = nullptr;
    ColorButton *exitButton = nullptr;
    // Shown while the listings are read.
    QLabel *listingProgress = nullptr;
    QProgressBar *listingBar = nullptr;
    ColorButton *cancelButton = nullptr;
    // How long a package may take to arrive, and how large it may be.
    int packageWaitMs = 30000;
    qint64 maxPackageBytes = MaxPackageBytes;

public slots:
    void slotToLastPage(int id);
    void slotToNextPage(int id);
    void acceptDialog();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Reads the listings, the dialog showing meanwhile, until they are read or cancelled.
    void FetchVersionList(const QString &url);
    void showListingProgress(int answered, int known);
    void ShowPage(int column);
    void HidePage(int column);
    void SetButtonsEnabled(bool enabled);
    void StartDownload(QAbstractButton *button);
    bool makeBackup(QString *backup, const QString &leaveOut);
    void removeOldBackups(const QString &keep);
    void removeOldUpdatePackages(const QString &keep);
};

#endif
