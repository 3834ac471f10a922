#include "platform/restc/Restc.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

struct restc_connection
{
    CURL *curl = nullptr;
    std::string baseUrl;
    long timeoutMs = RESTC_DEFAULT_TIMEOUT_MS;
};

namespace {

std::mutex authorizationMutex;
std::string authorizationUser;
std::string authorizationPassword;

bool initialiseLibrary()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

// Where the reply body goes: the caller's buffer up to its capacity; the rest is counted, not
// kept, so the caller learns that the reply did not fit.
struct ReplySink
{
    char *buffer = nullptr;
    size_t capacity = 0;
    size_t total = 0;
};

size_t takeReply(char *data, size_t size, size_t count, void *user)
{
    auto *sink = static_cast<ReplySink *>(user);
    const size_t bytes = size * count;
    if (sink->total < sink->capacity) {
        const size_t room = sink->capacity - sink->total;
        std::memcpy(sink->buffer + sink->total, data, std::min(room, bytes));
    }
    sink->total += bytes;
    return bytes;
}

int request(restc_connection *connection, const char *method, const char *path, int flags, char *buffer,
            int capacity, int *length, bool sendsBody)
{
    if (!connection)
        return RESTC_NO_CONNECTION;
    if (!path || !buffer || !length || capacity < 0 || flags != 0)
        return RESTC_BAD_ARGUMENT;
    const int bodyLength = sendsBody ? *length : 0;
    if (bodyLength < 0 || bodyLength > capacity)
        return RESTC_BAD_ARGUMENT;
    *length = 0;

    CURL *curl = connection->curl;
    curl_easy_reset(curl);
    const std::string url = connection->baseUrl + path;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, connection->timeoutMs);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connection->timeoutMs);
    // Each request has a connection of its own, closed when the reply is in.
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");

    std::string user;
    std::string password;
    {
        std::lock_guard<std::mutex> lock(authorizationMutex);
        user = authorizationUser;
        password = authorizationPassword;
    }
    if (!user.empty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
    }

    // The body is copied before the buffer is handed over for the reply.
    const std::string body(buffer, size_t(bodyLength));
    curl_slist *headers = nullptr;
    if (sendsBody) {
        headers = curl_slist_append(headers, "Content-Type: application/json");
        // The body goes at once; the cameras do not answer 100-continue.
        headers = curl_slist_append(headers, "Expect:");
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(body.size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    } else {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    }

    ReplySink sink{buffer, size_t(capacity), 0};
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &takeReply);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    // The handle keeps pointers to the headers, the body and the sink: drop them now.
    curl_easy_reset(curl);
    curl_slist_free_all(headers);
    if (result != CURLE_OK || status < 100 || status > 599)
        return RESTC_TRANSPORT_ERROR;
    *length = int(std::min<size_t>(sink.total, size_t(INT32_MAX)));
    return int(status);
}

} // namespace

restc_connection *restc_create_connection(const char *host, int port)
{
    if (!host || !*host || port < 1 || port > 65535 || !initialiseLibrary())
        return nullptr;
    CURL *curl = curl_easy_init();
    if (!curl)
        return nullptr;
    auto *connection = new restc_connection;
    connection->curl = curl;
    connection->baseUrl = std::string("http://") + host + ":" + std::to_string(port);
    return connection;
}

void restc_destroy_connection(restc_connection *connection)
{
    if (!connection)
        return;
    curl_easy_cleanup(connection->curl);
    delete connection;
}

void restc_set_timeout(restc_connection *connection, int milliseconds)
{
    if (connection)
        connection->timeoutMs = milliseconds > 0 ? milliseconds : RESTC_DEFAULT_TIMEOUT_MS;
}

void restc_set_authroization(const char *user, const char *password)
{
    std::lock_guard<std::mutex> lock(authorizationMutex);
    authorizationUser = user ? user : "";
    authorizationPassword = password ? password : "";
}

int restc_get(restc_connection *connection, const char *path, int flags, char *buffer, int capacity, int *length)
{
    return request(connection, "GET", path, flags, buffer, capacity, length, false);
}

int restc_put(restc_connection *connection, const char *path, int flags, char *buffer, int capacity, int *length)
{
    return request(connection, "PUT", path, flags, buffer, capacity, length, true);
}

int restc_post(restc_connection *connection, const char *path, int flags, char *buffer, int capacity, int *length)
{
    return request(connection, "POST", path, flags, buffer, capacity, length, true);
}
