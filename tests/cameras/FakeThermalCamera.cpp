#include "tests/cameras/FakeThermalCamera.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int PollMs = 20;
// Longer than any request of the client takes to arrive on loopback.
constexpr int ReadLimitMs = 2000;

std::string reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 404: return "Not Found";
    default: return "Status";
    }
}

bool sendAll(int socket, const std::string &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += size_t(n);
    }
    return true;
}

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

} // namespace

FakeThermalCamera::FakeThermalCamera(const std::string &address)
    : host(address)
{
    width = 384;
    height = 288;
    maxPacketSize = 8192;
    instrumentJson = R"({"ambient-t":25,"distance":2.0,"emissivity":0.97,"humidity":0.45,"reflect-t":25,)"
                     R"("unit":"C"})";
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0)
        return;
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = 0;
    if (::inet_pton(AF_INET, address.c_str(), &bound.sin_addr) != 1
        || ::bind(listener, reinterpret_cast<sockaddr *>(&bound), sizeof bound) != 0 || ::listen(listener, 16) != 0) {
        ::close(listener);
        listener = -1;
        return;
    }
    socklen_t length = sizeof bound;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&bound), &length);
    boundPort = ntohs(bound.sin_port);
    thread = std::thread(&FakeThermalCamera::serve, this);
}

FakeThermalCamera::~FakeThermalCamera()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
    if (listener >= 0)
        ::close(listener);
}

void FakeThermalCamera::setSize(int w, int h)
{
    std::lock_guard<std::mutex> lock(mutex);
    width = w;
    height = h;
}

void FakeThermalCamera::setMaxPacketSize(int bytes)
{
    std::lock_guard<std::mutex> lock(mutex);
    maxPacketSize = bytes;
}

void FakeThermalCamera::setInstrument(const std::string &json)
{
    std::lock_guard<std::mutex> lock(mutex);
    instrumentJson = json;
}

std::string FakeThermalCamera::instrument() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return instrumentJson;
}

void FakeThermalCamera::setPointTemperature(const std::string &label, double t)
{
    std::lock_guard<std::mutex> lock(mutex);
    values["points/" + label] = R"({"t":)" + number(t) + "}";
}

void FakeThermalCamera::setRegionTemperatures(const std::string &label, double average, double maximum, double minimum)
{
    std::lock_guard<std::mutex> lock(mutex);
    values["regions/" + label] = R"({"avg":{"t":)" + number(average) + R"(},"max":{"t":)" + number(maximum)
        + R"(},"min":{"t":)" + number(minimum) + "}}";
}

void FakeThermalCamera::setReply(const std::string &method, const std::string &path, int status,
                                 const std::string &body)
{
    std::lock_guard<std::mutex> lock(mutex);
    replies[method + " " + path] = Reply{status, body};
}

void FakeThermalCamera::setFault(Fault kind, const std::string &prefix, int delayMs)
{
    std::lock_guard<std::mutex> lock(mutex);
    fault = kind;
    faultPrefix = prefix;
    faultDelayMs = delayMs;
}

std::string FakeThermalCamera::object(const std::string &kindAndLabel) const
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = objects.find(kindAndLabel);
    return found == objects.end() ? std::string() : found->second;
}

std::vector<FakeThermalCamera::Request> FakeThermalCamera::requests() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return recorded;
}

std::vector<FakeThermalCamera::Request> FakeThermalCamera::requestsTo(const std::string &method,
                                                                      const std::string &path) const
{
    std::vector<Request> found;
    for (const Request &r : requests()) {
        if (r.method == method && r.path == path)
            found.push_back(r);
    }
    return found;
}

void FakeThermalCamera::clearRecords()
{
    std::lock_guard<std::mutex> lock(mutex);
    recorded.clear();
    accepted = 0;
}

bool FakeThermalCamera::pause(int milliseconds) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        if (stopping)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void FakeThermalCamera::serve()
{
    while (!stopping) {
        pollfd waiting{listener, POLLIN, 0};
        if (::poll(&waiting, 1, PollMs) <= 0)
            continue;
        const int client = ::accept(listener, nullptr, nullptr);
        if (client < 0)
            continue;
        ++accepted;
        handle(client);
        ::close(client);
    }
}

void FakeThermalCamera::handle(int client)
{
    // Head, then a body of Content-Length bytes.
    std::string received;
    size_t headEnd = std::string::npos;
    size_t wanted = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReadLimitMs);
    while (!stopping && std::chrono::steady_clock::now() < deadline) {
        if (headEnd != std::string::npos && received.size() >= headEnd + 4 + wanted)
            break;
        pollfd readable{client, POLLIN, 0};
        if (::poll(&readable, 1, PollMs) <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
        if (n <= 0)
            return;
        received.append(chunk, size_t(n));
        if (headEnd == std::string::npos && (headEnd = received.find("\r\n\r\n")) != std::string::npos) {
            std::string head = received.substr(0, headEnd);
            for (char &c : head)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            const size_t field = head.find("content-length:");
            if (field != std::string::npos)
                wanted = size_t(std::strtoul(head.c_str() + field + 15, nullptr, 10));
        }
    }
    if (headEnd == std::string::npos || received.size() < headEnd + 4 + wanted)
        return;

    Request request;
    const size_t methodEnd = received.find(' ');
    const size_t pathEnd = received.find(' ', methodEnd + 1);
    if (methodEnd == std::string::npos || pathEnd == std::string::npos)
        return;
    request.method = received.substr(0, methodEnd);
    request.path = received.substr(methodEnd + 1, pathEnd - methodEnd - 1);
    request.body = received.substr(headEnd + 4, wanted);

    Fault kind;
    int delayMs;
    {
        std::lock_guard<std::mutex> lock(mutex);
        recorded.push_back(request);
        const bool matches = request.path.compare(0, faultPrefix.size(), faultPrefix) == 0;
        kind = matches ? fault : Fault::None;
        delayMs = faultDelayMs;
    }
    if (kind == Fault::NeverAnswer) {
        // Until the client hangs up or the camera goes away.
        while (!stopping) {
            pollfd closed{client, POLLIN, 0};
            char byte;
            if (::poll(&closed, 1, PollMs) > 0 && ::recv(client, &byte, 1, 0) <= 0)
                return;
        }
        return;
    }
    if (kind == Fault::Delay && !pause(delayMs))
        return;

    const Reply reply = answer(request);
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reason(reply.status)
        + "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(reply.body.size())
        + "\r\nConnection: close\r\n\r\n";
    if (kind == Fault::CloseMidReply) {
        sendAll(client, head + reply.body.substr(0, reply.body.size() / 2));
        return;
    }
    sendAll(client, head + reply.body);
}

FakeThermalCamera::Reply FakeThermalCamera::answer(const Request &request)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto replaced = replies.find(request.method + " " + request.path);
    if (replaced != replies.end())
        return replaced->second;

    const std::string &path = request.path;
    const bool get = request.method == "GET";
    const bool put = request.method == "PUT";
    if (get && path == "/sensor/dimension")
        return {200, R"({"h":)" + std::to_string(height) + R"(,"w":)" + std::to_string(width) + "}"};
    if (get && path == "/admin/boot-id")
        return {200, R"("5f0c2a9e-0001")"};
    if (get && path == "/stream/video/raw")
        return {200, R"({"max-packet-size":)" + std::to_string(maxPacketSize) + R"(,"format":"raw16"})"};
    if (path == "/isp/instrument/jconfig") {
        if (get)
            return {200, instrumentJson};
        if (put) {
            instrumentJson = request.body;
            return {200, std::string()};
        }
    }
    if (put && path == "/sensor/cali-mode")
        return {200, std::string()};
    if (request.method == "POST" && path == "/sensor/cali")
        return {200, std::string()};

    const std::string objectsPrefix = "/isp/instrument/objects/";
    if (path.compare(0, objectsPrefix.size(), objectsPrefix) == 0) {
        std::string name = path.substr(objectsPrefix.size());
        const size_t queryAt = name.find('?');
        if (get && queryAt != std::string::npos && name.substr(queryAt) == "?value") {
            const auto found = values.find(name.substr(0, queryAt));
            if (found != values.end())
                return {200, found->second};
        } else if (put && queryAt == std::string::npos) {
            // A new object is created, a known one replaced.
            const bool known = objects.count(name) != 0;
            objects[name] = request.body;
            return {known ? 200 : 201, std::string()};
        }
    }
    return {404, std::string()};
}
