#include "machineio/ModbusServer.h"

#include "machineio/ModbusRequest.h"

#include <sys/socket.h>

#include <QEventLoop>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThreadPool>
#include <QtConcurrent>

namespace {

// QTcpSocket queues every write and arms a write notifier, which costs the loop two extra
// wake-ups per reply. While nothing is queued, the reply goes to the kernel at once; whatever
// it does not take is queued behind, so replies keep their order.
void sendReply(QTcpSocket *socket, const QByteArray &reply)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    qint64 sent = 0;
    if (socket->bytesToWrite() == 0) {
        const ssize_t result = ::send(int(socket->socketDescriptor()), reply.constData(),
                                      size_t(reply.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        sent = qMax<qint64>(0, result);
    }
    if (sent < reply.size())
        socket->write(reply.constData() + sent, reply.size() - sent);
}

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
        ++clientSockets;
        connect(socket, &QObject::destroyed, [this] { --clientSockets; });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // The lambda keeps this client's receive buffer; it goes with the socket.
        connect(socket, &QTcpSocket::readyRead, socket,
                [this, socket, buffer = QByteArray()]() mutable { HandleRequest(socket, &buffer); });
    }
}

void ModbusServer::HandleRequest(QTcpSocket *socket, QByteArray *buffer)
{
    *buffer += socket->readAll();
    QByteArray reply;
    QList<int> written;
    for (;;) {
        const ModbusFraming framing = takeModbusRequest(buffer, &registers, &reply, &written);
        if (framing == ModbusFraming::Incomplete)
            return;
        if (framing == ModbusFraming::Unframeable) {
            qWarning("ModbusServer: closing %s, its requests cannot be framed",
                     qPrintable(socket->peerAddress().toString()));
            socket->abort();
            socket->deleteLater();
            return;
        }
        if (!reply.isEmpty())
            sendReply(socket, reply);
        if (!written.isEmpty())
            emit sigWriteChange(written);
    }
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
