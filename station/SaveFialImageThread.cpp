#include "station/SaveFialImageThread.h"

#include "core/Clock.h"
#include "station/ResultImageBuffers.h"
#include "station/StationGlobals.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QRegularExpression>

#include <algorithm>

namespace {

// Waiting for the next image; the archiver is woken at once when one is queued or a stop is
// asked for, so this only bounds how long a missed wake could delay it.
constexpr int IdleWaitMs = 100;
// Far more images of one folder in one second than any camera delivers.
constexpr int MaxNameSuffix = 10000;

const QString TimeFormat = QStringLiteral("yyyy-MM-dd_hh.mm.ss");
// A file being written; the folder listings (".jpg" at the end) skip it.
const QString PartialSuffix = QStringLiteral(".part");
const QString PartialPattern = QStringLiteral("*.jpg.part");

// A file's place among files of the same modification time (the clock ticks coarsely, so
// images written in a burst share one): the time in its name, then its "_k" suffix.
struct NameOrder
{
    QString time;
    int suffix = 0;
};

NameOrder nameOrder(const QString &baseName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(?:\\d+_)?(\\d{4}-\\d\\d-\\d\\d_\\d\\d\\.\\d\\d\\.\\d\\d)(?:_(\\d+))?$"));
    const QRegularExpressionMatch match = pattern.match(baseName);
    if (!match.hasMatch())
        return {};
    return {match.captured(1), match.captured(2).toInt()};
}

bool newerFirst(const QFileInfo &a, const QFileInfo &b)
{
    const qint64 ta = a.lastModified().toMSecsSinceEpoch();
    const qint64 tb = b.lastModified().toMSecsSinceEpoch();
    if (ta != tb)
        return ta > tb;
    const NameOrder na = nameOrder(a.completeBaseName());
    const NameOrder nb = nameOrder(b.completeBaseName());
    if (na.time != nb.time)
        return na.time > nb.time;
    return na.suffix > nb.suffix;
}

// Leaves the newest keep - 1 JPEG files of the folder, so that it holds keep with the next,
// and removes what a write cut short (a power cut) left behind.
void pruneFolder(const QDir &folder, int keep)
{
    for (const QFileInfo &leftover : folder.entryInfoList({PartialPattern}, QDir::Files))
        QFile::remove(leftover.absoluteFilePath());
    QFileInfoList files = folder.entryInfoList({QStringLiteral("*.jpg")}, QDir::Files);
    if (files.size() < keep)
        return;
    std::sort(files.begin(), files.end(), newerFirst);
    int stuck = 0;
    for (int i = keep - 1; i < files.size(); ++i)
        stuck += QFile::remove(files.at(i).absoluteFilePath()) ? 0 : 1;
    if (stuck > 0)
        qWarning("%d old result images of %s cannot be removed", stuck,
                 qPrintable(folder.absolutePath()));
}

} // namespace

SaveFialImageThread::SaveFialImageThread(ResultImageBuffers *imageBuffers)
    : buffers(imageBuffers ? imageBuffers : imageSaveBuffers)
    , ngKeep(ngImagesToKeep)
    , okKeep(okImagesToKeep)
{
}

SaveFialImageThread::~SaveFialImageThread()
{
    requestStop();
    wait();
}

void SaveFialImageThread::requestStop(bool writeQueued)
{
    if (writeQueued)
        writeQueuedOnStop.store(true);
    stopFlag.store(true);
    if (buffers)
        buffers->wakeArchiver();
}

void SaveFialImageThread::run()
{
    if (!buffers) {
        qWarning("result image archiver: no result images; nothing is archived");
        return;
    }
    ArchiveImage image;
    while (!stopFlag.load()) {
        if (!buffers->takeNext(&image, IdleWaitMs, stopFlag))
            continue;
        write(image);
        buffers->finished(std::move(image));
    }
    if (writeQueuedOnStop.load()) {
        const std::atomic<bool> keepTaking{false};
        while (buffers->takeNext(&image, 0, keepTaking)) {
            write(image);
            buffers->finished(std::move(image));
        }
    }
}

void SaveFialImageThread::write(const ArchiveImage &image)
{
    const QString path = writeImage(image, image.ngFolder ? ngKeep : okKeep);
    // Said once when saving starts failing (a full or missing disk) and once when it works
    // again, not for every image.
    if (path.isEmpty() && !saveFailed)
        qWarning("result image of camera %d stage %d cannot be saved; result images are not "
                 "archived until a save works again",
                 image.camera + 1, image.stage + 1);
    else if (!path.isEmpty() && saveFailed)
        qInfo("result images are archived again (%s)", qPrintable(path));
    saveFailed = path.isEmpty();
}

QString SaveFialImageThread::writeImage(const ArchiveImage &image, int keep)
{
    const int width = image.size.width();
    const int height = image.size.height();
    if (width <= 0 || height <= 0 || image.pixels.size() != qint64(width) * height * 4)
        return QString();
    const QString folderPath = alarmImageFolder(image.camera, image.stage, image.ngFolder);
    if (!QDir().mkpath(folderPath))
        return QString();
    const QDir folder(folderPath);
    pruneFolder(folder, qMax(1, keep));

    const QString path = fileNameFor(folder, image.firstNgRegion);
    if (path.isEmpty())
        return QString();
    const QImage picture(reinterpret_cast<const uchar *>(image.pixels.constData()), width, height,
                         width * 4, QImage::Format_RGB32);
    // Written under a name the folder listings skip and renamed when complete, so the image
    // browser never shows a half-written picture. No sync to disk: a result image lost to a
    // power cut costs less than a pause of the archiver on every image.
    const QString partial = path + PartialSuffix;
    QFile file(partial);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    QImageWriter writer(&file, "jpg");
    const bool written = writer.write(picture);
    file.close();
    if (!written || file.error() != QFileDevice::NoError || !QFile::rename(partial, path)) {
        QFile::remove(partial);
        return QString();
    }
    return path;
}

QString SaveFialImageThread::fileNameFor(const QDir &folder, int firstNgRegion)
{
    QString base = wallClock()->now().toString(TimeFormat);
    if (firstNgRegion > 0)
        base = QStringLiteral("%1_%2").arg(firstNgRegion).arg(base);
    QString name = base;
    for (int suffix = 2; QFileInfo::exists(folder.absoluteFilePath(name + QStringLiteral(".jpg")));
         ++suffix) {
        if (suffix > MaxNameSuffix)
            return QString();
        name = QStringLiteral("%1_%2").arg(base).arg(suffix);
    }
    return folder.absoluteFilePath(name + QStringLiteral(".jpg"));
}
