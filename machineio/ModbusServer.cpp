#include "machineio/ModbusServer.h"

#include "machineio/ModbusClient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <utility>

namespace {

// The client limit is reported at most this often while connections keep coming.
constexpr qint64 LimitReportMs = 10000;

} // namespace

ModbusServer::ModbusServer(QObject *parent) : ModbusServer(QHostAddress::Any, DefaultPort, parent)
{
}

ModbusServer::ModbusServer(const QHostAddress &address, quint16 port, QObject *parent)
    : QObject(parent), address(address), port(port), socketThreadPool_(new QThreadPool)
{
    qRegisterMetaType<QList<int>>("QList<int>");
    socketThreadPool_->setMaxThreadCount(1);
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
}

void ModbusServer::Stop()
{
    if (loopRunning.load())
        emit readyToClose();
    if (!socketThreadPool_->waitForDone())
        qWarning("socketThreadPool_->waitForDone error!");
}

void ModbusServer::serverLoop(QSemaphore *listenTried)
{
    QEventLoop loop;
    connect(this, &ModbusServer::readyToClose, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    // Created and destroyed on this thread; the client sockets are its children.
    QTcpServer server;
    const bool listening = Listen(&server);
    listenTried->release();
    if (listening)
        loop.exec();
    boundPort.store(0);
    loopRunning.store(false);
}

bool ModbusServer::Listen(QTcpServer *server)
{
    connect(server, &QTcpServer::newConnection, server, [this, server] { OnNewConnection(server); });
    if (!server->listen(address, port)) {
        qWarning("ModbusServer: cannot listen on %s port %u: %s", qPrintable(address.toString()),
                 unsigned(port), qPrintable(server->errorString()));
        return false;
    }
    boundPort.store(server->serverPort());
    return true;
}

void ModbusServer::OnNewConnection(QTcpServer *server)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        makeRoomForClient(server);
        auto *client = new ModbusClient(
            socket, &registers, [this](const QList<int> &stored) { emit sigWriteChange(stored); },
            server);
        ++clientSockets;
        connect(client, &QObject::destroyed, [this] { --clientSockets; });
    }
}

void ModbusServer::makeRoomForClient(QTcpServer *server)
{
    QList<ModbusClient *> open = server->findChildren<ModbusClient *>(QString(), Qt::FindDirectChildrenOnly);
    open.erase(std::remove_if(open.begin(), open.end(), [](ModbusClient *c) { return c->isClosing(); }),
               open.end());
    if (open.size() < MaxClients)
        return;
    // Connections that never asked anything go first, the oldest of them; a master that polls
    // keeps its place however long its pauses are while such connections pile up.
    ModbusClient *quietest = *std::min_element(open.begin(), open.end(), [](ModbusClient *a, ModbusClient *b) {
        return std::make_pair(a->hasRequested(), a->lastRequestMs())
            < std::make_pair(b->hasRequested(), b->lastRequestMs());
    });
    QElapsedTimer clock;
    clock.start();
    const qint64 now = clock.msecsSinceReference();
    if (limitReportedMs < 0 || now - limitReportedMs >= LimitReportMs) {
        limitReportedMs = now;
        qWarning("ModbusServer: %d clients are connected; each new one closes an idle client "
                 "(first %s)", MaxClients, qPrintable(quietest->peer()));
    }
    quietest->drop(nullptr);
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
