#include "settings/VersionListing.h"

#include "settings/ListingText.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

namespace {

QString listingKey(const QString &url)
{
    return QUrl(url).adjusted(QUrl::NormalizePathSegments | QUrl::StripTrailingSlash).toString();
}

} // namespace

VersionListing::VersionListing(int waitMs, QObject *parent)
    : QObject(parent)
    , manager(new QNetworkAccessManager(this))
    , waitMs(waitMs)
{
}

VersionListing::~VersionListing()
{
    // Nothing is told about a reading that ends with its owner.
    QObject::disconnect(this, nullptr, nullptr, nullptr);
    cancel();
}

void VersionListing::start(const QString &url)
{
    visited.insert(listingKey(url));
    Listing top;
    top.url = url;
    listings.append(top);
    emit progress(0, listings.size());
    sendWaiting();
}

void VersionListing::cancel()
{
    if (done)
        return;
    cancelled = true;
    next = listings.size();
    // Each abort answers its reply at once.
    for (int i = 0; i < listings.size(); ++i) {
        if (listings.at(i).reply)
            listings.at(i).reply->abort();
    }
}

void VersionListing::sendWaiting()
{
    while (!cancelled && inFlight < ParallelRequests && next < listings.size())
        request(next++);
    if (inFlight == 0 && next >= listings.size())
        finish();
}

void VersionListing::request(int index)
{
    // A redirect is no listing: it is not followed.
    QNetworkRequest request{QUrl(listings.at(index).url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = manager->get(request);
    listings[index].reply = reply;
    ++inFlight;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, index, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > MaxListingBytes) {
            listings[index].tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, index] { received(index); });
    connect(reply, &QNetworkReply::finished, this, [this, index] { answered(index); });
    QTimer::singleShot(waitMs, reply, [this, index, reply] {
        if (listings.at(index).reply != reply)
            return;
        listings[index].timedOut = true;
        reply->abort();
    });
}

void VersionListing::received(int index)
{
    Listing &listing = listings[index];
    // An aborted reply (too large, too slow, cancelled) has nothing more to read.
    if (listing.tooLarge || !listing.reply || !listing.reply->isOpen())
        return;
    listing.body += listing.reply->read(MaxListingBytes + 1 - listing.body.size());
    if (listing.body.size() > MaxListingBytes) {
        listing.tooLarge = true;
        listing.reply->abort();
    }
}

void VersionListing::answered(int index)
{
    received(index);
    QNetworkReply *reply = listings.at(index).reply;
    if (!reply)
        return;
    listings[index].reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    --inFlight;
    ++answeredCount;
    if (!cancelled)
        read(index, *reply);
    listings[index].body = QByteArray();
    emit progress(answeredCount, listings.size());
    sendWaiting();
}

void VersionListing::read(int index, QNetworkReply &reply)
{
    const Listing &listing = listings.at(index);
    if (listing.timedOut) {
        serverReachable = false;
        qInfo("error");
        return;
    }
    if (listing.tooLarge) {
        qWarning("listing %s is larger than %lld bytes and is not read", qPrintable(listing.url),
                 MaxListingBytes);
        return;
    }
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply.error() != QNetworkReply::NoError || status != 200) {
        qInfo("listing %s: no listing (HTTP status %d)", qPrintable(listing.url), status);
        return;
    }
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != listing.body.size()) {
        qWarning("%s: %lld bytes announced, %lld received", qPrintable(listing.url),
                 length.toLongLong(), qlonglong(listing.body.size()));
        return;
    }
    serverReachable = true;
    listingUrl = listing.url;
    QStringList pieces;
    QString error;
    if (!ParseListing(QString::fromUtf8(listing.body), &pieces, &error)) {
        qInfo("Error: %s", qPrintable(error));
        return;
    }
    const ListingEntries entries = CollectVersions(pieces);
    QStringList urls;
    for (const QString &name : entries.packages)
        urls << childUrl(listing.url, name, false);
    listings[index].names = entries.packages;
    listings[index].urls = urls;
    addFolders(index, entries.folders);
}

void VersionListing::addFolders(int index, const QStringList &folders)
{
    for (const QString &name : folders) {
        const Listing &parent = listings.at(index);
        if (parent.depth + 1 > MaxDepth)
            return;
        const QString url = childUrl(parent.url, name, true);
        const QString key = listingKey(url);
        const bool titled = !name.contains(QLatin1Char('V'));
        if (visited.contains(key) || (!titled && name != QLatin1String("V17")))
            continue;
        if (listings.size() >= MaxListings) {
            if (!boundLogged)
                qWarning("the update server offers more than %d listings; the rest are not read",
                         MaxListings);
            boundLogged = true;
            return;
        }
        visited.insert(key);
        Listing child;
        child.url = url;
        child.depth = parent.depth + 1;
        child.titled = titled;
        child.title = titled ? name : QString();
        listings[index].children.append(listings.size());
        listings.append(child);
    }
}

void VersionListing::assemble(int index, int column)
{
    const Listing &listing = listings.at(index);
    if (!listing.names.isEmpty()) {
        if (column < 0) {
            columnTitles.append(QString());
            versionLists.append(qMakePair(listing.names, listing.urls));
        } else {
            versionLists[column].first += listing.names;
            versionLists[column].second += listing.urls;
        }
        return;
    }
    for (int child : listing.children) {
        if (listings.at(child).titled) {
            // Its own column, whatever its listing holds.
            columnTitles.append(listings.at(child).title);
            versionLists.append(qMakePair(QStringList(), QStringList()));
            assemble(child, columnTitles.size() - 1);
        } else {
            assemble(child, -1);
        }
    }
}

void VersionListing::finish()
{
    if (done)
        return;
    done = true;
    if (!listings.isEmpty())
        assemble(0, -1);
    emit finished();
}
