#ifndef MACHINEIO_MODBUSCLIENT_H
#define MACHINEIO_MODBUSCLIENT_H

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class ModbusRegisters;

// One master's connection to the Modbus server, on the server's thread. It owns the connected,
// non-blocking socket descriptor, frames the master's requests from its own receive buffer and
// answers them in order, within bounds that keep one master from hurting the others:
// - answers the master does not take (more than MaxUnsentBytes waiting to be sent) stop the
//   reading of its requests until they drain; as at most one request is read ahead, such a
//   master is held back by TCP's own flow control instead of filling our memory;
// - at most RequestsPerTurn requests are answered before the other clients get their turn;
// - a request left incomplete for IncompleteRequestMs after its first byte closes the
//   connection, as a master that stopped half way will not finish it.
// The server's loop polls the descriptor for events() and calls HandleRequest() when it is
// readable or the client wants another turn, flush() when it is writable, and expire() with the
// time.
class ModbusClient
{
public:
    static constexpr qint64 MaxUnsentBytes = 4096;
    static constexpr int RequestsPerTurn = 16;
    static constexpr int IncompleteRequestMs = 500;

    // Takes the descriptor over (closed by the destructor). written gets the indices that each
    // write request stored.
    ModbusClient(int descriptor, ModbusRegisters *registers,
                 std::function<void(const QList<int> &)> written, qint64 nowMs);
    ~ModbusClient();
    ModbusClient(const ModbusClient &) = delete;
    ModbusClient &operator=(const ModbusClient &) = delete;

    int descriptor() const { return fd; }
    // The poll events the client waits for: 0 once it is closing.
    short events() const;
    // It stopped after RequestsPerTurn requests with more at hand.
    bool wantsTurn() const { return turnPending; }
    // Monotonic milliseconds when an incomplete request closes the connection, -1 when none.
    qint64 deadlineMs() const { return incompleteDeadline; }

    // Reads and answers the requests at hand (the descriptor is readable, or a turn is due).
    void HandleRequest(qint64 nowMs);
    // Sends answers left waiting; a held-back master is read again once they have drained.
    void flush(qint64 nowMs);
    // Closes the connection when its incomplete request has waited too long.
    void expire(qint64 nowMs);

    // Monotonic milliseconds of the last request taken, or of the connection when none came.
    qint64 lastRequestMs() const { return lastRequest; }
    bool hasRequested() const { return requested; }
    bool isClosing() const { return closing; }
    QString peer() const;
    // Closes the connection: the server's loop drops the client. The reason is logged when given.
    void drop(const char *reason);

private:
    enum class Intake { More, Drained, Nothing, Gone };
    Intake takeBytes();
    void send(const char *bytes, int size);
    bool heldBack() const { return unsent.size() > MaxUnsentBytes; }

    const int fd;
    ModbusRegisters *const registers;
    const std::function<void(const QList<int> &)> written;
    QByteArray buffer;
    // The answer to the request in hand and the registers it stored, kept from request to
    // request; answers the kernel did not take yet wait in unsent.
    QByteArray reply;
    QList<int> stored;
    QByteArray unsent;
    qint64 incompleteDeadline = -1;
    qint64 lastRequest = 0;
    bool requested = false;
    bool turnPending = false;
    bool closing = false;
};

#endif
