#include "settings/PackageDownload.h"

#include "platform/system/SystemActions.h"

#include <QDir>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

const char temporaryPrefix[] = ".newupdate-";

} // namespace

PackageDownload::PackageDownload(const QString &folder)
    : folder(folder)
    , file(QDir(folder).filePath(QLatin1String(temporaryPrefix) + QStringLiteral("XXXXXX")))
{
}

PackageDownload::Result PackageDownload::fetch(const QString &url, qint64 maxBytes, int waitMs)
{
    // What a download cut short by a power failure left behind.
    const QDir where(folder);
    for (const QString &stale : where.entryList({QLatin1String(temporaryPrefix) + QLatin1Char('*')},
                                                QDir::Files | QDir::Hidden | QDir::System))
        systemActions()->removeFile(where.filePath(stale));
    // Named at once (Qt would otherwise keep it unnamed until asked), so that it can be left
    // out of the backup by its name.
    if (!file.open() || file.fileName().isEmpty()) {
        qWarning("package %s: no temporary file beside its target: %s", qPrintable(url),
                 qPrintable(file.errorString()));
        return Result::Failed;
    }
    Result result = Result::Complete;
    bool stopped = false;
    qint64 received = 0;
    QNetworkAccessManager manager;
    // A redirect is no package: it is not followed.
    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    reply->setReadBufferSize(ReadBufferBytes);
    const auto stop = [&](Result why, const char *reason) {
        if (stopped)
            return;
        stopped = true;
        result = why;
        qWarning("package %s: %s; nothing is changed", qPrintable(url), reason);
        reply->abort();
    };
    const auto status = [&] { return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); };
    const auto announced = [&] { return reply->header(QNetworkRequest::ContentLengthHeader); };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, [&] {
        if (status() != 200)
            stop(Result::Failed, "the server answers with an error or a redirect");
        else if (announced().isValid() && announced().toLongLong() > maxBytes)
            stop(Result::TooLarge, "announced larger than a package may be");
    });
    const auto take = [&] {
        while (!stopped && reply->bytesAvailable() > 0) {
            const QByteArray chunk = reply->read(ReadBufferBytes);
            received += chunk.size();
            if (received > maxBytes)
                stop(Result::TooLarge, "larger than a package may be");
            else if (file.write(chunk) != chunk.size())
                stop(Result::Failed, "the temporary file cannot be written");
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, take);
    // The handlers go before the locals they use.
    struct Disconnect
    {
        QObject *sender;
        ~Disconnect() { QObject::disconnect(sender, nullptr, nullptr, nullptr); }
    } disconnect{reply.get()};

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(waitMs);
    if (!reply->isFinished())
        loop.exec();
    if (!reply->isFinished()) {
        stopped = true;
        reply->abort();
        return Result::TimedOut;
    }
    take();
    if (stopped)
        return result;
    if (reply->error() != QNetworkReply::NoError || status() != 200 || received == 0) {
        qWarning("package %s: HTTP status %d, %lld bytes; nothing is changed", qPrintable(url),
                 status(), received);
        return Result::Failed;
    }
    if (announced().isValid() && announced().toLongLong() != received) {
        qWarning("package %s: %lld bytes announced, %lld received", qPrintable(url),
                 announced().toLongLong(), received);
        return Result::Failed;
    }
    if (!file.flush()) {
        qWarning("package %s: the temporary file cannot be written", qPrintable(url));
        return Result::Failed;
    }
    return Result::Complete;
}

bool PackageDownload::placeAs(const QString &target)
{
    file.close();
    if (!systemActions()->replaceFile(file.fileName(), target))
        return false;
    file.setAutoRemove(false);
    return true;
}
