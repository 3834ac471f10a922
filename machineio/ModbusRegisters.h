#ifndef MACHINEIO_MODBUSREGISTERS_H
#define MACHINEIO_MODBUSREGISTERS_H

#include <QList>
#include <QMutex>
#include <QVector>

#include <array>

// The two register arrays of the Modbus server: ReadData, filled by the GUI thread and served
// to function 0x03, and WriteData, written by function 0x10 and read by the GUI thread. One
// lock guards both, so a block written in one call (a 32-bit counter in two registers) is
// never served half old, half new.
class ModbusRegisters
{
public:
    static constexpr int Count = 500;

    // Indices outside 0..499 are ignored.
    void setRead(int index, quint16 value);
    void setReads(int start, const QVector<short> &values);
    quint16 read(int index) const;
    quint16 written(int index) const;

    // Callers check the range first: 0 <= start, start + count <= Count.
    // Appends count registers, high byte first.
    void appendReadBlock(int start, int count, QByteArray *out) const;
    // Stores count registers given high byte first; returns the indices stored, ascending.
    QList<int> storeWriteBlock(int start, int count, const char *bigEndian);

private:
    mutable QMutex mutex;
    std::array<quint16, Count> ReadData = {};
    std::array<quint16, Count> WriteData = {};
};

#endif
