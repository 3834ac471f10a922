#ifndef STATION_RESULTIMAGEBUFFERS_H
#define STATION_RESULTIMAGEBUFFERS_H

#include "core/Globals.h"

#include <QByteArray>
#include <QMutex>
#include <QSize>
#include <QString>
#include <QVector>
#include <QWaitCondition>

#include <atomic>
#include <deque>

// One result image handed to the result image archiver: its pixels (width x height 32-bit,
// Qt's RGB32), where it goes and the number of the first NG region drawn into it (0 none).
struct ArchiveImage
{
    int camera = -1;
    int stage = -1;
    int slot = -1;
    bool ngFolder = false;
    int firstNgRegion = 0;
    QSize size;
    QByteArray pixels;
};

// The result images of the camera views and the queue of those waiting for the result image
// archiver.
//
// Per camera, detect stage and slot (0 NG, 1 OK) one picture of width x height 32-bit pixels,
// rendered and stamped by the camera view on the GUI thread, with the number of the first NG
// region drawn into it. Pictures exist only for the stages the machine mode uses
// (detectsPerCamera): a 5-megapixel camera needs 40 MB for the two stages of machine mode 0
// instead of 320 MB.
//
// Flagging a picture for the archiver hands the picture itself over (the slot takes a spare
// buffer in exchange), so the next rendering into the slot can never overwrite an image that
// has not been written yet, and the folder and region number travel with it. The queue is
// first in, first out and bounded: when it is full the GUI thread waits for the archiver.
//
// The slot pictures and their region numbers belong to the GUI thread. The queue, the spare
// buffers and the pending flags are shared with the archiver thread under imageSaveMutex
// (core/Globals.h), or a lock of the object's own when there is none.
class ResultImageBuffers
{
public:
    static constexpr int MaxCameras = CameraSlotCount;
    static constexpr int MaxStages = MaxDetectsPerCamera;
    static constexpr int SlotCount = 2;
    static constexpr int NgSlot = 0;
    static constexpr int OkSlot = 1;
    // How long flag() waits for room in a full queue before the image is given up.
    static constexpr int QueueFullWaitMs = 3000;

    ResultImageBuffers();

    // One size per camera; stages is clamped to 0..MaxStages. Empties the queue. Before the
    // archiver starts.
    void allocate(const QVector<QSize> &cameraSizes, int stages);

    // GUI thread. Null for a camera, stage or slot that has no picture. The buffer changes
    // when the picture is flagged; do not keep the pointer across flag().
    uchar *buffer(int camera, int stage, int slot);
    int bufferBytes(int camera) const;
    QSize imageSize(int camera) const;
    int cameraCount() const { return sizes.size(); }
    int stageCount() const { return stages; }
    // GUI thread: the first NG region (1-based) drawn into a slot's picture, 0 none.
    int firstNgRegion(int camera, int stage, int slot) const;
    void setFirstNgRegion(int camera, int stage, int slot, int region);

    // GUI thread: hands the slot's picture to the archiver, to be written into the NG folder
    // or the OK folder of its camera and stage. Waits while the queue is full; false when no
    // room came within QueueFullWaitMs (the image is not archived) or the slot has no picture.
    bool flag(int camera, int stage, int slot, bool ngFolder);
    // An image of the slot is queued or being written.
    bool pending(int camera, int stage, int slot) const;
    // Images queued or being written.
    int waitingImages() const;
    int queueLimit() const { return limit; }

    // Archiver thread: the oldest queued image, waiting up to waitMs for one; false when
    // none came or stop became true (checked under the lock, so wakeArchiver() is never
    // missed).
    bool takeNext(ArchiveImage *image, int waitMs, const std::atomic<bool> &stop);
    // Archiver thread: the image taken is written (or given up); its buffer becomes a spare.
    void finished(ArchiveImage &&image);
    // Wakes an archiver waiting in takeNext.
    void wakeArchiver();

private:
    QMutex *lock() const { return sharedLock ? sharedLock : &ownLock; }
    int index(int camera, int stage, int slot) const;
    QByteArray spareBuffer(int camera);

    QMutex *const sharedLock;
    mutable QMutex ownLock;
    QWaitCondition imageQueued;
    QWaitCondition roomInQueue;

    int stages = 0;
    int limit = 0;
    QVector<QSize> sizes;
    // Index (camera x stages + stage) x SlotCount + slot.
    QVector<QByteArray> pictures;
    QVector<int> regionNumbers;

    // Shared with the archiver.
    std::deque<ArchiveImage> queue;
    QVector<int> pendingCount;
    int inWriting = 0;
    QVector<QVector<QByteArray>> spares;
};

// The station's result images, owned by the main window; null before it exists.
extern ResultImageBuffers *imageSaveBuffers;

// The result image folder of a camera and stage (0-based): "./alarmimage/camera%1/detect%2/NG"
// or ".../OK", numbered from 1.
QString alarmImageFolder(int camera, int stage, bool ngFolder);

#endif
