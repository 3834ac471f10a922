#include "station/ResultImageBuffers.h"

#include "core/Globals.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

ResultImageBuffers *imageSaveBuffers = nullptr;

namespace {

// Room for one more image of every camera and stage in use: a cycle's worth, so a burst of
// fast cycles is absorbed without holding the GUI thread.
constexpr int MinQueueLimit = 4;

} // namespace

ResultImageBuffers::ResultImageBuffers() : sharedLock(imageSaveMutex)
{
}

void ResultImageBuffers::allocate(const QVector<QSize> &cameraSizes, int stageCount)
{
    QMutexLocker locker(lock());
    sizes = cameraSizes.mid(0, MaxCameras);
    stages = qBound(0, stageCount, MaxStages);
    limit = qMax(MinQueueLimit, sizes.size() * stages);
    const int slotTotal = sizes.size() * stages * SlotCount;
    pictures.clear();
    pictures.reserve(slotTotal);
    for (int camera = 0; camera < sizes.size(); ++camera) {
        for (int i = 0; i < stages * SlotCount; ++i)
            pictures.append(QByteArray(bufferBytes(camera), '\0'));
    }
    regionNumbers.fill(0, slotTotal);
    pendingCount.fill(0, slotTotal);
    queue.clear();
    inWriting = 0;
    spares.fill({}, sizes.size());
}

int ResultImageBuffers::index(int camera, int stage, int slot) const
{
    if (camera < 0 || camera >= sizes.size() || stage < 0 || stage >= stages || slot < 0
        || slot >= SlotCount)
        return -1;
    return (camera * stages + stage) * SlotCount + slot;
}

uchar *ResultImageBuffers::buffer(int camera, int stage, int slot)
{
    const int i = index(camera, stage, slot);
    if (i < 0 || pictures[i].isEmpty())
        return nullptr;
    return reinterpret_cast<uchar *>(pictures[i].data());
}

int ResultImageBuffers::bufferBytes(int camera) const
{
    if (camera < 0 || camera >= sizes.size())
        return 0;
    const QSize size = sizes.at(camera);
    if (size.width() <= 0 || size.height() <= 0)
        return 0;
    // A size whose bytes do not fit an int gets no buffer.
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    return bytes > 0x7fffff00 ? 0 : int(bytes);
}

QSize ResultImageBuffers::imageSize(int camera) const
{
    return bufferBytes(camera) > 0 ? sizes.at(camera) : QSize();
}

int ResultImageBuffers::firstNgRegion(int camera, int stage, int slot) const
{
    const int i = index(camera, stage, slot);
    return i < 0 ? 0 : regionNumbers[i];
}

void ResultImageBuffers::setFirstNgRegion(int camera, int stage, int slot, int region)
{
    const int i = index(camera, stage, slot);
    if (i >= 0)
        regionNumbers[i] = region;
}

// Spares are the buffers of written images; a new one is zeroed, so a slot never holds
// bytes nobody wrote.
QByteArray ResultImageBuffers::spareBuffer(int camera)
{
    QVector<QByteArray> &list = spares[camera];
    if (!list.isEmpty())
        return list.takeLast();
    return QByteArray(bufferBytes(camera), '\0');
}

bool ResultImageBuffers::flag(int camera, int stage, int slot, bool ngFolder)
{
    const int i = index(camera, stage, slot);
    if (i < 0 || pictures[i].isEmpty())
        return false;
    QMutexLocker locker(lock());
    const QDeadlineTimer deadline(QueueFullWaitMs);
    while (int(queue.size()) >= limit) {
        if (!roomInQueue.wait(lock(), deadline)) {
            qWarning("result image archive: the queue stays full; the %s image of camera %d "
                     "stage %d is not archived",
                     slot == NgSlot ? "NG" : "OK", camera + 1, stage + 1);
            return false;
        }
    }
    ArchiveImage image;
    image.camera = camera;
    image.stage = stage;
    image.slot = slot;
    image.ngFolder = ngFolder;
    image.firstNgRegion = regionNumbers[i];
    image.size = sizes.at(camera);
    image.pixels = pictures[i];
    // The slot gets a buffer of its own again before the next rendering writes to it.
    pictures[i] = spareBuffer(camera);
    queue.push_back(std::move(image));
    ++pendingCount[i];
    imageQueued.wakeAll();
    return true;
}

bool ResultImageBuffers::pending(int camera, int stage, int slot) const
{
    const int i = index(camera, stage, slot);
    QMutexLocker locker(lock());
    return i >= 0 && pendingCount[i] > 0;
}

int ResultImageBuffers::waitingImages() const
{
    QMutexLocker locker(lock());
    return int(queue.size()) + inWriting;
}

bool ResultImageBuffers::takeNext(ArchiveImage *image, int waitMs, const std::atomic<bool> &stop)
{
    QMutexLocker locker(lock());
    if (queue.empty() && !stop.load())
        imageQueued.wait(lock(), ulong(qMax(0, waitMs)));
    if (queue.empty() || stop.load())
        return false;
    *image = std::move(queue.front());
    queue.pop_front();
    ++inWriting;
    roomInQueue.wakeAll();
    return true;
}

void ResultImageBuffers::finished(ArchiveImage &&image)
{
    QMutexLocker locker(lock());
    inWriting = qMax(0, inWriting - 1);
    const int i = index(image.camera, image.stage, image.slot);
    if (i >= 0)
        pendingCount[i] = qMax(0, pendingCount[i] - 1);
    if (image.camera >= 0 && image.camera < spares.size()
        && image.pixels.size() == bufferBytes(image.camera))
        spares[image.camera].append(std::move(image.pixels));
}

void ResultImageBuffers::wakeArchiver()
{
    QMutexLocker locker(lock());
    imageQueued.wakeAll();
}

QString alarmImageFolder(int camera, int stage, bool ngFolder)
{
    return QStringLiteral("./alarmimage/camera%1/detect%2/%3")
        .arg(camera + 1)
        .arg(stage + 1)
        .arg(ngFolder ? QStringLiteral("NG") : QStringLiteral("OK"));
}
