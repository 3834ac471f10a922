#include "cameras/FrameHandoff.h"

#include <cstring>

void FrameHandoff::allocate(int frameLength)
{
    QMutexLocker locker(&mutex);
    buffer = QByteArray(qMax(frameLength, 0), '\0');
    newFrame = false;
}

int FrameHandoff::frameLength() const
{
    QMutexLocker locker(&mutex);
    return buffer.size();
}

void FrameHandoff::publish(const uchar *data, int length)
{
    if (!data || length <= 0)
        return;
    publishWith([data, length](uchar *frame, int frameLength) {
        std::memcpy(frame, data, size_t(qMin(length, frameLength)));
    });
}

bool FrameHandoff::takeNewFrame(uchar *destination, int destinationSize)
{
    return copyOut(destination, destinationSize, true);
}

bool FrameHandoff::copyFrame(uchar *destination, int destinationSize)
{
    return copyOut(destination, destinationSize, false);
}

bool FrameHandoff::hasNewFrame() const
{
    QMutexLocker locker(&mutex);
    return newFrame;
}

bool FrameHandoff::clearNewFrame()
{
    QMutexLocker locker(&mutex);
    const bool wasNew = newFrame;
    newFrame = false;
    return wasNew;
}

bool FrameHandoff::copyOut(uchar *destination, int destinationSize, bool onlyWhenNew)
{
    // A pull without a place to put the frame leaves the frame pending.
    if (!destination || destinationSize <= 0)
        return false;
    QMutexLocker locker(&mutex);
    const bool wasNew = newFrame;
    newFrame = false;
    if (wasNew || !onlyWhenNew)
        std::memcpy(destination, buffer.constData(), size_t(qMin(destinationSize, buffer.size())));
    return wasNew;
}

bool FrameHandoff::frameCountDelta(int *frames)
{
    const int count = frameCounter.load(std::memory_order_relaxed);
    // Wraps like the 32-bit counter it is; unsigned arithmetic keeps that defined.
    lastDelta = int(unsigned(count) - unsigned(previousCount));
    previousCount = count;
    if (frames)
        *frames = lastDelta;
    return lastDelta != 0;
}
