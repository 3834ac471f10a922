#ifndef TESTS_SETTINGS_LOOPBACKHTTPSERVER_H
#define TESTS_SETTINGS_LOOPBACKHTTPSERVER_H

#include <QByteArray>
#include <QHash>
#include <QTcpServer>

class QTcpSocket;

// A tiny HTTP/1.1 server on 127.0.0.1 with a port of its own: each GET path is answered with
// the reply set for it (status, extra header lines, body, and a delay before answering),
// anything else with 404. One request per connection; the connection closes after the reply.
// A streamed path sends a large or endless body as the client takes it, optionally holding
// after some bytes until release().
class LoopbackHttpServer : public QTcpServer
{
public:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        int delayMs = 0;
        QByteArray headers;   // extra lines, each ending in "\r\n"
    };

    LoopbackHttpServer();

    void set(const QByteArray &path, int status, const QByteArray &body, int delayMs = 0,
             const QByteArray &headers = QByteArray())
    {
        answers.insert(path, Answer{status, body, delayMs, headers});
    }
    struct Stream
    {
        QByteArray head;          // the body's first bytes; the rest is filler
        qint64 total = -1;        // body size, -1 for no end
        qint64 announced = -1;    // the Content-Length sent, -1 for none
        qint64 holdAt = -1;       // stop after this many bytes until release()
    };
    void setStream(const QByteArray &path, const Stream &stream) { streams.insert(path, stream); }
    // Streams held at their holdAt go on.
    void release();
    // Body bytes sent so far by every stream.
    qint64 streamed() const { return sentBytes; }

    QString url(const QByteArray &path) const;
    // Requests received, by path.
    QList<QByteArray> requested;

private:
    void serve();
    void startStream(QTcpSocket *socket, const Stream &stream);
    void pump(QTcpSocket *socket);

    QHash<QByteArray, Answer> answers;
    QHash<QByteArray, Stream> streams;
    bool released = false;
    qint64 sentBytes = 0;
};

#endif
