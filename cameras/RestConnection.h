#ifndef CAMERAS_RESTCONNECTION_H
#define CAMERAS_RESTCONNECTION_H

#include <QByteArray>

#include <json/reader.h>
#include <json/value.h>

#include <memory>
#include <vector>

struct restc_connection;

// One connection of the REST client to a stream thermal camera, with JSON bodies and replies.
// The client is made for one request (or a few) and deleted; every request opens a TCP
// connection of its own. A request blocks the calling thread until the reply is in or the
// time-out has passed.
//
// Requests return the reply's HTTP status, or a negative status when no usable reply came:
// the library's own (no connection, transport error) or one of those below.
class RestConnection
{
public:
    // The buffer that carries the body out and the reply back.
    static constexpr int BufferBytes = 1024;

    // The client could not make a connection handle; nothing was sent.
    static constexpr int NoConnection = -1001;
    // The body is longer than the buffer; nothing was sent.
    static constexpr int BodyTooLong = -1002;
    // The reply did not fit into the buffer; it was not read.
    static constexpr int ReplyTooLong = -1003;
    // The reply is not JSON; it was not read.
    static constexpr int MalformedReply = -1004;

    // timeoutMs: that of every request; 0 for the client's default.
    RestConnection(const QByteArray &host, int port, int timeoutMs = 0);
    ~RestConnection();
    RestConnection(const RestConnection &) = delete;
    RestConnection &operator=(const RestConnection &) = delete;

    bool isValid() const { return connection != nullptr; }
    void setTimeout(int milliseconds);

    // reply (when given) receives the parsed reply of a 200 or 201 answer and stays null
    // otherwise.
    int get(const char *path, Json::Value *reply);
    int put(const char *path, const Json::Value &body, Json::Value *reply = nullptr);
    int post(const char *path, const Json::Value &body, Json::Value *reply = nullptr);

    // The compact one-line text a body is sent as.
    static std::string bodyText(const Json::Value &body);
    static bool succeeded(int status) { return status == 200 || status == 201; }

private:
    using Method = int (*)(restc_connection *, const char *, int, char *, int, int *);
    int send(Method method, const char *path, const Json::Value &body, Json::Value *reply);
    int readReply(int status, int length, Json::Value *reply);

    restc_connection *connection = nullptr;
    std::vector<char> buffer;
    std::unique_ptr<Json::CharReader> reader;
};

#endif
