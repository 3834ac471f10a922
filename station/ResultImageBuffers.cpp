#include "station/ResultImageBuffers.h"

#include <cstring>

ResultImageBuffers *imageSaveBuffers = nullptr;

void ResultImageBuffers::allocate(const QVector<QSize> &cameraSizes, int stageCount)
{
    sizes = cameraSizes.mid(0, MaxCameras);
    stages = qBound(0, stageCount, MaxStages);
    buffers.clear();
    buffers.reserve(sizes.size() * stages * SlotCount);
    for (int camera = 0; camera < sizes.size(); ++camera) {
        for (int i = 0; i < stages * SlotCount; ++i)
            buffers.append(QByteArray(bufferBytes(camera), '\0'));
    }
    std::memset(pending, 0, sizeof pending);
    std::memset(firstNgRegion, 0, sizeof firstNgRegion);
}

uchar *ResultImageBuffers::buffer(int camera, int stage, int slot)
{
    if (camera < 0 || camera >= sizes.size() || stage < 0 || stage >= stages || slot < 0
        || slot >= SlotCount)
        return nullptr;
    QByteArray &bytes = buffers[(camera * stages + stage) * SlotCount + slot];
    return bytes.isEmpty() ? nullptr : reinterpret_cast<uchar *>(bytes.data());
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
