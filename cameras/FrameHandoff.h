#ifndef CAMERAS_FRAMEHANDOFF_H
#define CAMERAS_FRAMEHANDOFF_H

#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>

// The frame buffer that a camera driver shares between the thread that delivers frames (an
// SDK callback or a decoding thread) and the GUI thread that pulls them.
//
// The buffer and the new-frame flag are only touched under the lock, so a reader either gets
// a whole frame and learns that it is new, or gets nothing; a frame arriving during a pull is
// kept for the next one. The frame counter is atomic because the once-a-second frame-rate
// check reads it without the lock.
class FrameHandoff
{
public:
    FrameHandoff() = default;
    FrameHandoff(const FrameHandoff &) = delete;
    FrameHandoff &operator=(const FrameHandoff &) = delete;

    // Replaces the buffer by a zeroed one of frameLength bytes and drops a pending frame.
    // Called when the driver opens its device (the size is known then).
    void allocate(int frameLength);
    int frameLength() const;

    // Delivering side. publish copies at most the frame length from data; publishWith lets
    // the driver write (convert) straight into the buffer, under the lock, as
    // fill(uchar *buffer, int frameLength). Both count the frame and mark it new; nothing
    // happens while no buffer is allocated.
    void publish(const uchar *data, int length);
    template <typename Fill>
    void publishWith(Fill &&fill)
    {
        QMutexLocker locker(&mutex);
        if (buffer.isEmpty())
            return;
        fill(reinterpret_cast<uchar *>(buffer.data()), buffer.size());
        frameCounter.fetch_add(1, std::memory_order_relaxed);
        newFrame = true;
    }
    // Replaces the buffer content without counting a frame or marking it new (stored frames
    // that the operator steps through).
    template <typename Fill>
    void replaceWith(Fill &&fill)
    {
        QMutexLocker locker(&mutex);
        if (!buffer.isEmpty())
            fill(reinterpret_cast<uchar *>(buffer.data()), buffer.size());
    }

    // Pulling side (GUI thread). takeNewFrame copies the frame only when it is new;
    // copyFrame copies it always. Both copy at most destinationSize bytes, clear the
    // new-frame flag and return whether the frame was new.
    bool takeNewFrame(uchar *destination, int destinationSize);
    bool copyFrame(uchar *destination, int destinationSize);
    // Whether a frame is pending, and dropping it, without copying; for drivers that judge
    // their connection by pending frames.
    bool hasNewFrame() const;
    bool clearNewFrame();

    // Frames delivered since the previous call: stores the difference in *frames (when given)
    // and returns whether it is not zero.
    bool frameCountDelta(int *frames);
    int lastFrameCountDelta() const { return lastDelta; }

private:
    bool copyOut(uchar *destination, int destinationSize, bool onlyWhenNew);

    mutable QMutex mutex;
    QByteArray buffer;
    bool newFrame = false;
    std::atomic<int> frameCounter{0};
    // Read and written by the frame-rate check on the GUI thread only.
    int previousCount = 0;
    int lastDelta = 0;
};

#endif
