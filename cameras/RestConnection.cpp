#include "cameras/RestConnection.h"

#include "platform/restc/Restc.h"

#include <json/writer.h>

#include <cstring>
#include <exception>

namespace {

// Temperatures and emissivities go out as people write them (0.95, not 0.94999999999999996).
constexpr int RealDigits = 15;

} // namespace

RestConnection::RestConnection(const QByteArray &host, int port, int timeoutMs)
    : connection(restc_create_connection(host.constData(), port))
{
    if (!connection) {
        qWarning("no REST connection to %s:%d", host.constData(), port);
        return;
    }
    if (timeoutMs > 0)
        restc_set_timeout(connection, timeoutMs);
    buffer.assign(size_t(BufferBytes), '\0');
    reader.reset(Json::CharReaderBuilder().newCharReader());
}

RestConnection::~RestConnection()
{
    restc_destroy_connection(connection);
}

void RestConnection::setTimeout(int milliseconds)
{
    if (connection)
        restc_set_timeout(connection, milliseconds);
}

std::string RestConnection::bodyText(const Json::Value &body)
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["precision"] = RealDigits;
    return Json::writeString(builder, body);
}

int RestConnection::get(const char *path, Json::Value *reply)
{
    if (reply)
        *reply = Json::Value();
    if (!connection)
        return NoConnection;
    int length = 0;
    const int status = restc_get(connection, path, 0, buffer.data(), BufferBytes, &length);
    return readReply(status, length, reply);
}

int RestConnection::put(const char *path, const Json::Value &body, Json::Value *reply)
{
    return send(&restc_put, path, body, reply);
}

int RestConnection::post(const char *path, const Json::Value &body, Json::Value *reply)
{
    return send(&restc_post, path, body, reply);
}

int RestConnection::send(Method method, const char *path, const Json::Value &body, Json::Value *reply)
{
    if (reply)
        *reply = Json::Value();
    if (!connection)
        return NoConnection;
    const std::string text = bodyText(body);
    if (text.size() > size_t(BufferBytes)) {
        qWarning("request body of %d bytes for %s not sent", int(text.size()), path);
        return BodyTooLong;
    }
    std::memcpy(buffer.data(), text.data(), text.size());
    int length = int(text.size());
    const int status = method(connection, path, 0, buffer.data(), BufferBytes, &length);
    return readReply(status, length, reply);
}

int RestConnection::readReply(int status, int length, Json::Value *reply)
{
    if (!succeeded(status) || !reply || length <= 0)
        return status;
    if (length > BufferBytes) {
        qWarning("reply of %d bytes does not fit the %d-byte buffer; not read", length, BufferBytes);
        return ReplyTooLong;
    }
    Json::Value parsed;
    std::string errors;
    bool parsedOk = false;
    // The reader throws on some input it cannot take (nesting deeper than its limit); a reply
    // from the network must never end the program.
    try {
        parsedOk = reader->parse(buffer.data(), buffer.data() + length, &parsed, &errors);
    } catch (const std::exception &e) {
        errors = e.what();
    }
    if (!parsedOk) {
        qWarning("reply is not JSON: %s", errors.c_str());
        return MalformedReply;
    }
    *reply = std::move(parsed);
    return status;
}
