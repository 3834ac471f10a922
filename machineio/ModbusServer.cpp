#include "machineio/ModbusServer.h"

#include "machineio/ModbusClient.h"
#include "machineio/MonotonicClock.h"

#include <QSemaphore>
#include <QTcpServer>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// The client limit and failed accepts are reported at most this often while they go on.
constexpr qint64 LimitReportMs = 10000;
// After an accept failed for want of descriptors or memory, new connections wait this long.
constexpr qint64 AcceptPauseMs = 1000;
// Connections the kernel completes before the loop takes them (the kernel may cap it).
constexpr int ListenBacklog = 1024;
// Without a wake-up descriptor, the loop looks for Stop at least this often.
constexpr int StopCheckMs = 100;

bool reportDue(qint64 *reportedMs, qint64 nowMs)
{
    if (*reportedMs >= 0 && nowMs - *reportedMs < LimitReportMs)
        return false;
    *reportedMs = nowMs;
    return true;
}

} // namespace

ModbusServer::ModbusServer(QObject *parent) : ModbusServer(QHostAddress::Any, DefaultPort, parent)
{
}

ModbusServer::ModbusServer(const QHostAddress &address, quint16 port, QObject *parent)
    : ModbusServer(address, port, Listening::Now, parent)
{
}

ModbusServer::ModbusServer(const QHostAddress &address, quint16 port, Listening when, QObject *parent)
    : QObject(parent), address(address), port(port), socketThreadPool_(new QThreadPool)
{
    qRegisterMetaType<QList<int>>("QList<int>");
    socketThreadPool_->setMaxThreadCount(1);
    wakeDescriptor = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    connect(this, &ModbusServer::readyToClose, this, &ModbusServer::wake, Qt::DirectConnection);
    if (when == Listening::Now)
        Start();
}

void ModbusServer::Start()
{
    if (started)
        return;
    started = true;
    // The loop signals this semaphore once it has tried to listen.
    QSemaphore listenTried;
    loopRunning.store(true);
    QtConcurrent::run(socketThreadPool_.data(), [this, &listenTried] {
        serverLoop(&listenTried);
    });
    listenTried.acquire();
}

ModbusServer::~ModbusServer()
{
    Stop();
    if (wakeDescriptor >= 0)
        ::close(wakeDescriptor);
}

void ModbusServer::Stop()
{
    if (loopRunning.load())
        emit readyToClose();
    if (!socketThreadPool_->waitForDone())
        qWarning("socketThreadPool_->waitForDone error!");
}

void ModbusServer::wake()
{
    stopRequested.store(true);
    if (wakeDescriptor >= 0)
        ::eventfd_write(wakeDescriptor, 1);
}

void ModbusServer::serverLoop(QSemaphore *listenTried)
{
    // Made and destroyed on this thread. It binds and listens; this loop accepts.
    QTcpServer server;
    const bool listening = Listen(&server);
    listenTried->release();
    if (listening)
        serveClients(int(server.socketDescriptor()));
    clients.clear();
    clientSockets.store(0);
    boundPort.store(0);
    loopRunning.store(false);
}

bool ModbusServer::Listen(QTcpServer *server)
{
    if (!server->listen(address, port)) {
        qWarning("ModbusServer: cannot listen on %s port %u: %s", qPrintable(address.toString()),
                 unsigned(port), qPrintable(server->errorString()));
        return false;
    }
    // Connections are taken by serveClients, never by the TCP server's own notifier.
    server->pauseAccepting();
    const int listener = int(server->socketDescriptor());
    // The TCP server's backlog holds 50 connections: masters that connect at once beyond that
    // wait for their SYN to be sent again, a second or more, and a master's connect times out.
    // The kernel takes a new backlog for a socket that listens already.
    if (::listen(listener, ListenBacklog) != 0)
        qWarning("ModbusServer: the backlog stays at the TCP server's: %s", std::strerror(errno));
    ::fcntl(listener, F_SETFL, ::fcntl(listener, F_GETFL) | O_NONBLOCK);
    boundPort.store(server->serverPort());
    return true;
}

// Waits for the listening socket, the clients and the wake-up descriptor at once; a client is
// read, answered and written only when its descriptor is ready, so a slow or vanished master
// never holds the loop.
void ModbusServer::serveClients(int listener)
{
    std::vector<pollfd> polled;
    constexpr size_t FirstClient = 2;
    while (!stopRequested.load()) {
        qint64 nowMs = monotonicMs();
        const bool accepting = nowMs >= acceptPausedUntilMs;
        polled.clear();
        polled.push_back({wakeDescriptor, POLLIN, 0});
        polled.push_back({listener, short(accepting ? POLLIN : 0), 0});
        bool turnDue = false;
        qint64 deadlineMs = accepting ? -1 : acceptPausedUntilMs;
        for (const std::unique_ptr<ModbusClient> &client : clients) {
            polled.push_back({client->descriptor(), client->events(), 0});
            turnDue = turnDue || client->wantsTurn();
            const qint64 due = client->deadlineMs();
            if (due >= 0 && (deadlineMs < 0 || due < deadlineMs))
                deadlineMs = due;
        }
        int timeoutMs = -1;
        if (turnDue)
            timeoutMs = 0;
        else if (deadlineMs >= 0)
            timeoutMs = int(qMax<qint64>(0, deadlineMs - nowMs)); // at most a second ahead
        if (wakeDescriptor < 0 && (timeoutMs < 0 || timeoutMs > StopCheckMs))
            timeoutMs = StopCheckMs;
        if (::poll(polled.data(), nfds_t(polled.size()), timeoutMs) < 0) {
            if (errno == EINTR)
                continue;
            qWarning("ModbusServer: waiting for clients failed: %s", std::strerror(errno));
            return;
        }
        nowMs = monotonicMs();
        if (polled[0].revents & POLLIN) {
            eventfd_t count = 0;
            ::eventfd_read(wakeDescriptor, &count);
        }
        // Clients accepted below were not polled in this pass.
        const size_t polledClients = clients.size();
        for (size_t i = 0; i < polledClients; ++i) {
            ModbusClient &client = *clients[i];
            const short ready = polled[FirstClient + i].revents;
            if (ready & (POLLOUT | POLLERR | POLLHUP))
                client.flush(nowMs);
            if ((ready & (POLLIN | POLLERR | POLLHUP)) || client.wantsTurn())
                client.HandleRequest(nowMs);
            client.expire(nowMs);
        }
        clients.erase(std::remove_if(clients.begin(), clients.end(),
                                     [](const std::unique_ptr<ModbusClient> &c) { return c->isClosing(); }),
                      clients.end());
        if (polled[1].revents & POLLIN)
            OnNewConnection(listener, nowMs);
        clientSockets.store(int(clients.size()));
    }
}

void ModbusServer::OnNewConnection(int listener, qint64 nowMs)
{
    for (;;) {
        const int descriptor = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            // Out of descriptors or memory: the connection waits in the backlog meanwhile.
            if (reportDue(&acceptReportedMs, nowMs))
                qWarning("ModbusServer: cannot accept a connection: %s", std::strerror(errno));
            acceptPausedUntilMs = nowMs + AcceptPauseMs;
            return;
        }
        if (!makeRoomForClient(nowMs)) {
            ::close(descriptor);
            continue;
        }
        clients.push_back(std::make_unique<ModbusClient>(
            descriptor, &registers, [this](const QList<int> &stored) { emit sigWriteChange(stored); },
            nowMs));
    }
}

bool ModbusServer::makeRoomForClient(qint64 nowMs)
{
    if (int(clients.size()) < MaxClients)
        return true;
    // Connections that never asked anything go first, the oldest of them; then the client
    // whose last request lies longest back.
    const auto quietest = std::min_element(
        clients.begin(), clients.end(),
        [](const std::unique_ptr<ModbusClient> &a, const std::unique_ptr<ModbusClient> &b) {
            return std::make_pair(a->hasRequested(), a->lastRequestMs())
                < std::make_pair(b->hasRequested(), b->lastRequestMs());
        });
    // A master that polls keeps its place: the newcomer is refused instead.
    if ((*quietest)->hasRequested() && nowMs - (*quietest)->lastRequestMs() <= IdleCloseMs) {
        if (reportDue(&refusalReportedMs, nowMs))
            qWarning("ModbusServer: %d clients are connected and every one polls; new connections "
                     "are refused", MaxClients);
        return false;
    }
    if (reportDue(&limitReportedMs, nowMs))
        qWarning("ModbusServer: %d clients are connected; each new one closes an idle client "
                 "(first %s)", MaxClients, qPrintable((*quietest)->peer()));
    clients.erase(quietest);
    return true;
}

void ModbusServer::SetReadRegister(int index, short value)
{
    registers.setRead(index, quint16(value));
}

void ModbusServer::SetReadRegisters(int start, const QVector<short> &values)
{
    registers.setReads(start, values);
}

void ModbusServer::GetWriteRegister(int index, ushort *out) const
{
    if (out && index >= 0 && index < ModbusRegisters::Count)
        *out = registers.written(index);
}
