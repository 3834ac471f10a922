#ifndef TESTS_SETTINGS_LOOPBACKHTTPSERVER_H
#define TESTS_SETTINGS_LOOPBACKHTTPSERVER_H

#include <QByteArray>
#include <QHash>
#include <QTcpServer>

// A tiny HTTP/1.1 server on 127.0.0.1 with a port of its own: each GET path is answered with
// the reply set for it (status, extra header lines, body, and a delay before answering),
// anything else with 404. One request per connection; the connection closes after the reply.
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
    QString url(const QByteArray &path) const;
    // Requests received, by path.
    QList<QByteArray> requested;

private:
    void serve();

    QHash<QByteArray, Answer> answers;
};

#endif
