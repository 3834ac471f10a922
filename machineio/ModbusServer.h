#ifndef MACHINEIO_MODBUSSERVER_H
#define MACHINEIO_MODBUSSERVER_H

#include "machineio/ModbusRegisters.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QVector>

#include <atomic>
#include <memory>
#include <vector>

class ModbusClient;
class QSemaphore;
class QThreadPool;
class QTcpServer;

// The Modbus TCP register server for the supervising host: ReadData is served to function 0x03,
// WriteData is written by function 0x10 (500 registers each, unit 1).
//
// The server runs its own poll loop on a pool of one thread; that loop owns the listening socket
// and the clients (ModbusClient, one receive buffer each, bounded so that no master can exhaust
// memory or starve the others) and reads and writes their descriptors directly, without a
// socket layer or event dispatcher between a request and its answer.
//
// At most MaxClients are served, so stale or flooding connections can neither use up the
// process's descriptors nor lock out a host that polls. A master that polls is never closed to
// make room: a new connection beyond the limit closes the oldest connection that never sent a
// request, or else the one whose last request lies longest back, if that is more than
// IdleCloseMs ago; when every client has asked something within that time, the newcomer is
// closed instead.
//
// A station builds the server before its registers hold their values and has it listen once
// they do (Listening::OnStart, then Start()), so that no master ever reads a register that the
// station has not filled yet. The GUI thread fills ReadData and reads WriteData through the
// setters and the getter; the indices of each write reach it through sigWriteChange, queued,
// after the values are stored.
class ModbusServer : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 DefaultPort = 502;
    static constexpr int MaxClients = 512;
    // A client whose last request (or whose connection, when it asked nothing) is older than
    // this may be closed for a newcomer when MaxClients are connected.
    static constexpr int IdleCloseMs = 60000;

    // Now: the constructor starts listening. OnStart: listening waits for Start().
    enum class Listening { Now, OnStart };

    // Listens on every address, port 502.
    explicit ModbusServer(QObject *parent = nullptr);
    // Listens on address and port (0: any free port, see serverPort()). Returns once listening
    // has been tried; a failure is logged and the station runs on without the server.
    ModbusServer(const QHostAddress &address, quint16 port, QObject *parent = nullptr);
    ModbusServer(const QHostAddress &address, quint16 port, Listening when, QObject *parent = nullptr);
    ~ModbusServer() override;

    // Starts listening, once; returns when it has been tried. Later calls do nothing.
    void Start();

    // Ends the server loop and waits for it; its sockets are closed.
    void Stop();

    bool isListening() const { return boundPort.load() != 0; }
    // The port bound, 0 when not listening.
    quint16 serverPort() const { return boundPort.load(); }
    // Client sockets the server holds; a client's socket is deleted once it has disconnected
    // or been closed.
    int clientCount() const { return clientSockets.load(); }

    // Indices outside 0..499 are ignored.
    void SetReadRegister(int index, short value);
    // Values past register 499 are dropped.
    void SetReadRegisters(int start, const QVector<short> &values);
    // *out is left untouched for an index outside 0..499.
    void GetWriteRegister(int index, ushort *out) const;

signals:
    // The indices one write request stored, ascending; emitted from the server thread.
    void sigWriteChange(QList<int> chg_WriteData_index);
    // Asks the server loop to end (handled at once, on the emitting thread).
    void readyToClose();

private:
    // The server thread's side.
    void serverLoop(QSemaphore *listenTried);
    bool Listen(QTcpServer *server);
    void serveClients(int listener);
    void OnNewConnection(int listener, qint64 nowMs);
    // True when a new client may be added, after closing an idle one if need be.
    bool makeRoomForClient(qint64 nowMs);
    void wake();

    const QHostAddress address;
    const quint16 port;
    QSharedPointer<QThreadPool> socketThreadPool_;
    ModbusRegisters registers;
    std::atomic<quint16> boundPort{0};
    std::atomic<bool> loopRunning{false};
    bool started = false;
    std::atomic<int> clientSockets{0};
    std::atomic<bool> stopRequested{false};
    // Made readable to end the server loop's wait; -1 when it could not be made (the loop then
    // looks at stopRequested at least every tenth of a second).
    int wakeDescriptor = -1;
    // Server thread only: the connected clients, when the client limit (closing an idle client
    // or refusing a newcomer) or a failed accept was last reported, and until when accepting pauses after a failed accept.
    std::vector<std::unique_ptr<ModbusClient>> clients;
    qint64 limitReportedMs = -1;
    qint64 refusalReportedMs = -1;
    qint64 acceptReportedMs = -1;
    qint64 acceptPausedUntilMs = -1;
};

#endif
