#include "machineio/ModbusRegisters.h"

#include <QByteArray>
#include <QMutexLocker>

namespace {

bool inRange(int index)
{
    return index >= 0 && index < ModbusRegisters::Count;
}

} // namespace

void ModbusRegisters::setRead(int index, quint16 value)
{
    if (!inRange(index))
        return;
    QMutexLocker locker(&mutex);
    ReadData[size_t(index)] = value;
}

void ModbusRegisters::setReads(int start, const QVector<short> &values)
{
    QMutexLocker locker(&mutex);
    for (int i = 0; i < values.size(); ++i) {
        const int index = start + i;
        if (inRange(index))
            ReadData[size_t(index)] = quint16(values[i]);
    }
}

quint16 ModbusRegisters::read(int index) const
{
    if (!inRange(index))
        return 0;
    QMutexLocker locker(&mutex);
    return ReadData[size_t(index)];
}

quint16 ModbusRegisters::written(int index) const
{
    if (!inRange(index))
        return 0;
    QMutexLocker locker(&mutex);
    return WriteData[size_t(index)];
}

void ModbusRegisters::appendReadBlock(int start, int count, QByteArray *out) const
{
    Q_ASSERT(start >= 0 && count >= 0 && start + count <= Count);
    const int offset = out->size();
    out->resize(offset + 2 * count);
    char *bytes = out->data() + offset;
    QMutexLocker locker(&mutex);
    for (int i = 0; i < count; ++i) {
        const quint16 value = ReadData[size_t(start + i)];
        bytes[2 * i] = char(value >> 8);
        bytes[2 * i + 1] = char(value & 0xFF);
    }
}

QList<int> ModbusRegisters::storeWriteBlock(int start, int count, const char *bigEndian)
{
    Q_ASSERT(start >= 0 && count >= 0 && start + count <= Count);
    QList<int> indices;
    indices.reserve(count);
    const auto *bytes = reinterpret_cast<const uchar *>(bigEndian);
    QMutexLocker locker(&mutex);
    for (int i = 0; i < count; ++i) {
        WriteData[size_t(start + i)] = quint16(bytes[2 * i] << 8 | bytes[2 * i + 1]);
        indices << start + i;
    }
    return indices;
}
