#include "machineio/ModbusRequest.h"

#include "machineio/ModbusRegisters.h"

#include <initializer_list>

namespace {

constexpr int HeaderSize = 7;       // transaction id, protocol id, length, unit id
constexpr int LengthBeforeUnit = 6; // bytes up to and including the length field
constexpr int MaxLength = 254;      // unit id + the largest PDU (253 bytes)
constexpr quint8 ServedUnit = 1;
// The longest reply: header, function, byte count and 125 registers.
constexpr int MaxReplyBytes = HeaderSize + 2 + 2 * 125;

constexpr quint8 ReadHoldingRegisters = 0x03;
constexpr quint8 WriteMultipleRegisters = 0x10;
constexpr int MaxReadCount = 125;
constexpr int MaxWriteCount = 123;

constexpr quint8 IllegalFunction = 0x01;
constexpr quint8 IllegalDataAddress = 0x02;
constexpr quint8 IllegalDataValue = 0x03;

quint16 be16(const uchar *bytes)
{
    return quint16(bytes[0] << 8 | bytes[1]);
}

void putBe16(char *out, int value)
{
    out[0] = char((value >> 8) & 0xFF);
    out[1] = char(value & 0xFF);
}

// The header and the first PDU bytes of a reply, in one append. length counts the unit id and
// the PDU.
void appendStart(QByteArray *out, quint16 transaction, int length, std::initializer_list<char> pdu)
{
    char bytes[HeaderSize + 6];
    putBe16(bytes, transaction);
    putBe16(bytes + 2, 0);
    putBe16(bytes + 4, length);
    bytes[6] = char(ServedUnit);
    int size = HeaderSize;
    for (char c : pdu)
        bytes[size++] = c;
    out->append(bytes, size);
}

void exceptionReply(QByteArray *out, quint16 transaction, quint8 function, quint8 code)
{
    appendStart(out, transaction, 3, {char(function | 0x80), char(code)});
}

bool rangeFits(int start, int count)
{
    return start + count <= ModbusRegisters::Count;
}

// pdu: function code and its data; size: bytes of the PDU.
void answerRead(const uchar *pdu, int size, quint16 transaction, ModbusRegisters *registers,
                QByteArray *reply)
{
    if (size != 5)
        return exceptionReply(reply, transaction, ReadHoldingRegisters, IllegalDataValue);
    const int start = be16(pdu + 1);
    const int count = be16(pdu + 3);
    if (count < 1 || count > MaxReadCount)
        return exceptionReply(reply, transaction, ReadHoldingRegisters, IllegalDataValue);
    if (!rangeFits(start, count))
        return exceptionReply(reply, transaction, ReadHoldingRegisters, IllegalDataAddress);
    appendStart(reply, transaction, 3 + 2 * count, {char(ReadHoldingRegisters), char(2 * count)});
    registers->appendReadBlock(start, count, reply);
}

void answerWrite(const uchar *pdu, int size, quint16 transaction, ModbusRegisters *registers,
                 QByteArray *reply, QList<int> *written)
{
    constexpr int Fixed = 6; // function, start, count, byte count
    if (size < Fixed)
        return exceptionReply(reply, transaction, WriteMultipleRegisters, IllegalDataValue);
    const int start = be16(pdu + 1);
    const int count = be16(pdu + 3);
    const int byteCount = pdu[5];
    if (count < 1 || count > MaxWriteCount || byteCount != 2 * count || size != Fixed + byteCount)
        return exceptionReply(reply, transaction, WriteMultipleRegisters, IllegalDataValue);
    if (!rangeFits(start, count))
        return exceptionReply(reply, transaction, WriteMultipleRegisters, IllegalDataAddress);
    *written = registers->storeWriteBlock(start, count, reinterpret_cast<const char *>(pdu + Fixed));
    appendStart(reply, transaction, 6,
                {char(WriteMultipleRegisters), char(start >> 8), char(start & 0xFF), char(count >> 8), char(count & 0xFF)});
}

} // namespace

ModbusFraming takeModbusRequest(QByteArray *buffer, ModbusRegisters *registers, QByteArray *reply,
                                QList<int> *written)
{
    // Emptied, not freed: a buffer kept from request to request is not allocated again.
    reply->resize(0);
    reply->reserve(MaxReplyBytes);
    if (!written->isEmpty())
        written->clear();
    if (buffer->size() < HeaderSize)
        return ModbusFraming::Incomplete;
    const auto *header = reinterpret_cast<const uchar *>(buffer->constData());
    const int length = be16(header + 4);
    if (length < 2 || length > MaxLength)
        return ModbusFraming::Unframeable;
    const int frameSize = LengthBeforeUnit + length;
    if (buffer->size() < frameSize)
        return ModbusFraming::Incomplete;

    const quint16 transaction = be16(header);
    const quint16 protocol = be16(header + 2);
    const quint8 unit = header[6];
    const uchar *pdu = header + HeaderSize;
    const int pduSize = length - 1;
    if (protocol == 0 && unit == ServedUnit) {
        switch (pdu[0]) {
        case ReadHoldingRegisters:
            answerRead(pdu, pduSize, transaction, registers, reply);
            break;
        case WriteMultipleRegisters:
            answerWrite(pdu, pduSize, transaction, registers, reply, written);
            break;
        default:
            exceptionReply(reply, transaction, pdu[0], IllegalFunction);
            break;
        }
    }
    buffer->remove(0, frameSize);
    return ModbusFraming::Taken;
}
