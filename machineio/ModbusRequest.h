#ifndef MACHINEIO_MODBUSREQUEST_H
#define MACHINEIO_MODBUSREQUEST_H

#include <QByteArray>
#include <QList>

class ModbusRegisters;

// Framing and answering of Modbus TCP requests for one client's byte stream.
//
// A request is an MBAP header (transaction id, protocol id, length, unit id; 16-bit fields big
// endian) followed by length - 1 PDU bytes. The header says how long the request is, so a
// request is taken only once all of it has arrived, and exactly that many bytes are consumed.
// Served: unit 1, functions 0x03 (read holding registers from ReadData) and 0x10 (write
// multiple registers into WriteData). Refused with the standard exception responses: other
// functions (illegal function), a read count outside 1..125, a write count outside 1..123 or a
// byte count that does not match (illegal data value), a range past register 499 (illegal data
// address). Requests for other units and frames with a protocol id other than 0 are consumed
// without an answer.
enum class ModbusFraming {
    Incomplete,  // more bytes needed; nothing consumed
    Taken,       // one request consumed; reply and written may be empty
    Unframeable, // the header's length is impossible: the stream cannot be followed
};

ModbusFraming takeModbusRequest(QByteArray *buffer, ModbusRegisters *registers, QByteArray *reply,
                                QList<int> *written);

#endif
