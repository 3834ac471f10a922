#include "tests/settings/LoopbackHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

LoopbackHttpServer::LoopbackHttpServer()
{
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, &LoopbackHttpServer::serve);
}

QString LoopbackHttpServer::url(const QByteArray &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(QString::fromLatin1(path));
}

void LoopbackHttpServer::serve()
{
    while (QTcpSocket *socket = nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            if (!socket->property("answered").isNull())
                return;
            const QByteArray request = socket->peek(socket->bytesAvailable());
            if (!request.contains("\r\n\r\n"))
                return;
            socket->setProperty("answered", true);
            const QByteArray path = request.split(' ').value(1);
            requested << path;
            if (streams.contains(path)) {
                startStream(socket, streams.value(path));
                return;
            }
            const Answer answer = answers.value(path, Answer{404, "not found", 0, {}});
            const QByteArray reply = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\n"
                                     + "Content-Length: " + QByteArray::number(answer.body.size())
                                     + "\r\nConnection: close\r\n" + answer.headers + "\r\n" + answer.body;
            QPointer<QTcpSocket> guarded(socket);
            QTimer::singleShot(answer.delayMs, this, [guarded, reply] {
                if (!guarded)
                    return;
                guarded->write(reply);
                guarded->disconnectFromHost();
            });
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void LoopbackHttpServer::release()
{
    released = true;
    for (QTcpSocket *socket : findChildren<QTcpSocket *>())
        pump(socket);
}

void LoopbackHttpServer::startStream(QTcpSocket *socket, const Stream &stream)
{
    QByteArray header = "HTTP/1.1 200 X\r\nConnection: close\r\n";
    if (stream.announced >= 0)
        header += "Content-Length: " + QByteArray::number(stream.announced) + "\r\n";
    socket->setProperty("sent", qint64(0));
    socket->setProperty("head", stream.head);
    socket->setProperty("total", stream.total);
    socket->setProperty("holdAt", stream.holdAt);
    socket->write(header + "\r\n");
    connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket] { pump(socket); });
    pump(socket);
}

// Keeps about a megabyte on its way: the body is made as the client reads, never held whole.
void LoopbackHttpServer::pump(QTcpSocket *socket)
{
    if (socket->property("total").isNull() || socket->state() != QAbstractSocket::ConnectedState)
        return;
    constexpr qint64 Chunk = 64 * 1024;
    const QByteArray head = socket->property("head").toByteArray();
    const qint64 total = socket->property("total").toLongLong();
    const qint64 holdAt = socket->property("holdAt").toLongLong();
    qint64 sent = socket->property("sent").toLongLong();
    while (socket->bytesToWrite() < 16 * Chunk && (total < 0 || sent < total)) {
        qint64 size = total < 0 ? Chunk : qMin(Chunk, total - sent);
        if (holdAt >= 0 && !released) {
            if (sent >= holdAt)
                break;
            size = qMin(size, holdAt - sent);
        }
        QByteArray block(int(size), 'x');
        if (sent < head.size())
            block.replace(0, int(qMin<qint64>(head.size() - sent, size)), head.mid(int(sent), int(size)));
        socket->write(block);
        sent += size;
        sentBytes += size;
    }
    socket->setProperty("sent", sent);
    if (total >= 0 && sent >= total)
        socket->disconnectFromHost();
}
