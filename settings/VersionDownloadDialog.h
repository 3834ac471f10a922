#ifndef SETTINGS_VERSIONDOWNLOADDIALOG_H
#define SETTINGS_VERSIONDOWNLOADDIALOG_H

#include <QDialog>
#include <QPair>
#include <QSet>
#include <QStringList>
#include <QVector>

class ColorButton;
class QAbstractButton;
class QButtonGroup;
class QDomElement;

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
// its sub-folders) while it is built, shows one column of package buttons per listing, and on
// a confirmed choice downloads the package, backs up the program folder and leaves the package
// as the update file that the next start unpacks. The server's address and the folders come
// from maintenanceLocations().
class VersionDownloadDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PageSize = 7;
    // Sub-folders below the top listing that are still read.
    static constexpr int MaxDepth = 2;
    static constexpr int ListingWaitMs = 1000;

    explicit VersionDownloadDialog(QWidget *parent = nullptr);

    // Downloads the package of that name and makes it the update file; true on success.
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
    // How long a package may take to arrive.
    int packageWaitMs = 30000;

public slots:
    void slotToLastPage(int id);
    void slotToNextPage(int id);
    void acceptDialog();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // column: the titled column this listing fills, or -1 (a column is made when it holds
    // packages).
    void FetchVersionList(QString url, int column, int depth);
    void ParseListing(const QString &text, const QString &url, int column, int depth);
    void CollectVersions(const QDomElement &root, const QString &url, int column, int depth);
    void ShowPage(int column);
    void HidePage(int column);
    void SetButtonsEnabled(bool enabled);
    void StartDownload(QAbstractButton *button);
    bool makeBackup(QString *backup);
    void removeOldBackups(const QString &keep);
    void removeOldUpdatePackages(const QString &keep);

    QSet<QString> visited;
};

#endif
