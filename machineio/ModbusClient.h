#ifndef MACHINEIO_MODBUSCLIENT_H
#define MACHINEIO_MODBUSCLIENT_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class ModbusRegisters;
class QTcpSocket;

// One master's connection to the Modbus server, on the server's thread. It frames the master's
// requests from its own receive buffer and answers them in order, within bounds that keep one
// master from hurting the others:
// - answers the master does not take (more than MaxUnsentBytes waiting to be sent) stop the
//   reading of its requests until they drain; with the socket's read buffer bounded too, such
//   a master is held back by TCP's own flow control instead of filling our memory;
// - at most RequestsPerTurn requests are answered before the other clients get their turn;
// - a request left incomplete for IncompleteRequestMs after its first byte closes the
//   connection, as a master that stopped half way will not finish it.
// The client deletes itself (and its socket) once the connection is closed.
class ModbusClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int ReadBufferBytes = 4096;
    static constexpr qint64 MaxUnsentBytes = 4096;
    static constexpr int RequestsPerTurn = 16;
    static constexpr int IncompleteRequestMs = 500;

    // Takes the socket over. written gets the indices that each write request stored.
    ModbusClient(QTcpSocket *socket, ModbusRegisters *registers,
                 std::function<void(const QList<int> &)> written, QObject *parent);

    // Monotonic milliseconds of the last request taken, or of the connection when none came.
    qint64 lastRequestMs() const { return lastRequest; }
    bool hasRequested() const { return requested; }
    bool isClosing() const { return closing; }
    QString peer() const;
    // Closes the connection at once; the reason is logged when given.
    void drop(const char *reason);

private:
    void HandleRequest();
    bool takeBytes();
    void scheduleTurn();

    QTcpSocket *const socket;
    ModbusRegisters *const registers;
    const std::function<void(const QList<int> &)> written;
    QByteArray buffer;
    // The answer to the request in hand and the registers it stored, kept from request to
    // request.
    QByteArray reply;
    QList<int> stored;
    QTimer incompleteTimer;
    qint64 lastRequest = 0;
    bool requested = false;
    bool turnScheduled = false;
    bool closing = false;
};

#endif
