#ifndef STATION_RESULTIMAGEBUFFERS_H
#define STATION_RESULTIMAGEBUFFERS_H

#include <QByteArray>
#include <QSize>
#include <QVector>

// The result images waiting for the result image archiver: per camera, detect stage and slot
// (0 NG, 1 OK) one picture of width x height 32-bit pixels, its pending flag, and per camera
// and stage the number of the first NG region drawn into the NG picture (0 none).
//
// Buffers exist only for the stages the machine mode uses (detectsPerCamera), not for all
// eight: a 5-megapixel camera needs 40 MB for the two stages of machine mode 0 instead of
// 320 MB. They are allocated once at start-up and never moved. Every access from the GUI
// thread or the archiver thread holds imageSaveMutex (core/Globals.h).
class ResultImageBuffers
{
public:
    static constexpr int MaxCameras = 8;
    static constexpr int MaxStages = 8;
    static constexpr int SlotCount = 2;
    static constexpr int NgSlot = 0;
    static constexpr int OkSlot = 1;

    // One size per camera; stages is clamped to 0..MaxStages. Clears every flag.
    void allocate(const QVector<QSize> &cameraSizes, int stages);

    // Null for a camera, stage or slot that has no buffer.
    uchar *buffer(int camera, int stage, int slot);
    int bufferBytes(int camera) const;
    int cameraCount() const { return sizes.size(); }
    int stageCount() const { return stages; }

    bool pending[MaxCameras][MaxStages][SlotCount] = {};
    int firstNgRegion[MaxCameras][MaxStages] = {};

private:
    int stages = 0;
    QVector<QSize> sizes;
    // Index (camera x stages + stage) x SlotCount + slot.
    QVector<QByteArray> buffers;
};

// The station's result images, owned by the main window; null before it exists.
extern ResultImageBuffers *imageSaveBuffers;

#endif
