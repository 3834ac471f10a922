#ifndef MACHINEIO_IOFRAMES_H
#define MACHINEIO_IOFRAMES_H

#include <QtGlobal>

#include <array>

// Wire format of the I/O board link (115200 8N1).
//
// Request, host to board, 6 bytes: 0x5F, command, value low, value high, checksum, 0xF5.
// Reply, board to host, 8 bytes: 0x5F, type, d0, d1, d2, d3, checksum, 0xF5.
// The checksum is the sum of the bytes before it, modulo 256.
namespace IOFrame {
constexpr quint8 Start = 0x5F;
constexpr quint8 End = 0xF5;
constexpr int RequestSize = 6;
constexpr int ReplySize = 8;

// Request commands.
constexpr int SetOutputs = 1;
constexpr int Poll = 2;
constexpr int InfoLow = 3;
constexpr int InfoHigh = 4;

// Reply types; other types are consumed and ignored.
constexpr int Status = 2;
} // namespace IOFrame

using IORequestFrame = std::array<quint8, IOFrame::RequestSize>;

// Sum of length bytes modulo 256.
quint8 byteSum(const quint8 *bytes, int length);

// The request carries bits 0..15 of value.
IORequestFrame makeRequestFrame(int command, qint32 value);

// One checked reply frame.
struct IOReplyFrame
{
    quint8 type = 0;
    std::array<quint8, 4> data = {};

    // Status reply: bit i is input i + 1 (10 bits).
    qint32 inputWord() const { return ((data[1] & 0x03) << 8) | data[0]; }
    // Status reply: the outputs the board drives, bit i is output i + 1 (10 bits).
    qint32 outputsInForce() const { return ((data[3] & 0x03) << 8) | data[2]; }
    // Information replies: a 32-bit value, d0 the lowest byte.
    qint32 infoValue() const
    {
        return qint32(quint32(data[0]) | quint32(data[1]) << 8 | quint32(data[2]) << 16
                      | quint32(data[3]) << 24);
    }
};

#endif
