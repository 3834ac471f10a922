#ifndef SETTINGS_VERSIONLISTING_H
#define SETTINGS_VERSIONLISTING_H

#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QStringList>
#include <QVector>

class QNetworkAccessManager;
class QNetworkReply;

// Reads the update server's listing and the listings of its sub-folders without blocking the
// thread it lives on: a few requests at a time go out through its event loop, each answered
// within waitMs or given up. Whatever a server sends, the reading stays bounded: at most
// MaxListings listings, MaxDepth folders below the top, MaxListingBytes per listing, each
// listing read without recursion (ListingText.h). cancel() ends it early; what was read by
// then is kept.
//
// The result, once finished() was emitted, is the dialog's columns: a sub-folder without "V"
// in its name is a titled column, a sub-folder "V17" is read as a further listing, and a
// listing with packages fills the column it belongs to (an untitled one of its own when it
// is the top listing or a "V17" folder). Columns follow the listings' text order, depth
// first, whatever order the answers arrive in.
class VersionListing : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxDepth = 2;
    static constexpr int MaxListings = 32;
    static constexpr int ParallelRequests = 4;
    static constexpr qint64 MaxListingBytes = 256 * 1024;

    explicit VersionListing(int waitMs, QObject *parent = nullptr);
    ~VersionListing() override;

    void start(const QString &url);
    void cancel();
    bool isFinished() const { return done; }

    // True until a listing is not answered in time, true again when a later one answers.
    bool serverReachable = true;
    // The listing read last with success.
    QString listingUrl;
    QVector<QString> columnTitles;
    // Per column: the package names and, at the same positions, their URLs.
    QList<QPair<QStringList, QStringList>> versionLists;

signals:
    // answered: listings answered (or given up) so far; known: listings to be read in all,
    // as far as known now.
    void progress(int answered, int known);
    void finished();

private:
    struct Listing
    {
        QString url;
        int depth = 0;
        bool titled = false;
        QString title;
        QVector<int> children;
        QStringList names;
        QStringList urls;
        QNetworkReply *reply = nullptr;
        QByteArray body;
        bool timedOut = false;
        bool tooLarge = false;
    };

    void sendWaiting();
    void request(int index);
    void received(int index);
    void answered(int index);
    void read(int index, QNetworkReply &reply);
    void addFolders(int index, const QStringList &folders);
    void assemble(int index, int column);
    void finish();

    QNetworkAccessManager *manager;
    QVector<Listing> listings;
    QSet<QString> visited;
    int waitMs;
    int next = 0;
    int inFlight = 0;
    int answeredCount = 0;
    bool cancelled = false;
    bool boundLogged = false;
    bool done = false;
};

#endif
