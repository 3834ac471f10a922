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
