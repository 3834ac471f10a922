#include "machineio/ModbusClient.h"

#include "machineio/ModbusRequest.h"

#include <QHostAddress>

#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The longest Modbus TCP request: the header up to the length field and 254 bytes after it.
constexpr int MaxRequestBytes = 6 + 254;

// A send or receive that failed for another reason than a full or empty socket buffer: the
// connection is gone.
bool connectionLost(ssize_t result)
{
    return result < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
}

} // namespace

ModbusClient::ModbusClient(int descriptor, ModbusRegisters *registers,
                           std::function<void(const QList<int> &)> written, qint64 nowMs)
    : fd(descriptor), registers(registers), written(std::move(written)), lastRequest(nowMs)
{
    // Reserved once, so emptying them keeps their memory for the next request.
    buffer.reserve(MaxRequestBytes);
    reply.reserve(MaxRequestBytes);
}

ModbusClient::~ModbusClient()
{
    ::close(fd);
}

short ModbusClient::events() const
{
    if (closing)
        return 0;
    short wanted = 0;
    if (!heldBack())
        wanted |= POLLIN;
    if (!unsent.isEmpty())
        wanted |= POLLOUT;
    return wanted;
}

QString ModbusClient::peer() const
{
    sockaddr_storage address = {};
    socklen_t size = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return QStringLiteral("a client that has gone");
    const QHostAddress host(reinterpret_cast<const sockaddr *>(&address));
    quint16 port = 0;
    if (address.ss_family == AF_INET)
        port = ntohs(reinterpret_cast<const sockaddr_in *>(&address)->sin_port);
    else if (address.ss_family == AF_INET6)
        port = ntohs(reinterpret_cast<const sockaddr_in6 *>(&address)->sin6_port);
    return QStringLiteral("%1 port %2").arg(host.toString()).arg(port);
}

void ModbusClient::drop(const char *reason)
{
    if (closing)
        return;
    if (reason)
        qWarning("ModbusServer: closing %s, %s", qPrintable(peer()), reason);
    closing = true;
    turnPending = false;
    incompleteDeadline = -1;
}

ModbusClient::Intake ModbusClient::takeBytes()
{
    // Never more than one request is read ahead: the rest waits in the kernel, where TCP's
    // flow control holds a master back that sends faster than its answers are taken.
    const int room = MaxRequestBytes - buffer.size();
    if (room <= 0)
        return Intake::Nothing;
    const int held = buffer.size();
    buffer.resize(MaxRequestBytes);
    ssize_t got;
    do
        got = ::recv(fd, buffer.data() + held, size_t(room), MSG_DONTWAIT);
    while (got < 0 && errno == EINTR);
    buffer.resize(held + int(qMax<ssize_t>(0, got)));
    if (got == 0 || connectionLost(got))
        return Intake::Gone;
    if (got < 0)
        return Intake::Nothing;
    // Less than there was room for: the kernel held no more just now. Whatever comes later
    // makes the descriptor readable again.
    return got < room ? Intake::Drained : Intake::More;
}

void ModbusClient::send(const char *bytes, int size)
{
    ssize_t sent = 0;
    // While nothing waits, the answer goes to the kernel at once; whatever it does not take is
    // kept behind, so answers keep their order.
    if (unsent.isEmpty()) {
        sent = ::send(fd, bytes, size_t(size), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (connectionLost(sent))
            return drop(nullptr);
        sent = qMax<ssize_t>(0, sent);
    }
    if (sent < size)
        unsent.append(bytes + sent, size - int(sent));
}

void ModbusClient::flush(qint64 nowMs)
{
    if (closing || unsent.isEmpty())
        return;
    const bool wasHeldBack = heldBack();
    const ssize_t sent = ::send(fd, unsent.constData(), size_t(unsent.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (connectionLost(sent))
        return drop(nullptr);
    if (sent > 0)
        unsent.remove(0, int(sent));
    if (wasHeldBack && !heldBack())
        HandleRequest(nowMs);
}

void ModbusClient::expire(qint64 nowMs)
{
    if (!closing && incompleteDeadline >= 0 && nowMs >= incompleteDeadline)
        drop("its request stayed incomplete");
}

void ModbusClient::HandleRequest(qint64 nowMs)
{
    turnPending = false;
    if (closing)
        return;
    bool tookRequest = false;
    bool drained = false;
    for (int answered = 0;;) {
        // Held back or busy with its requests: no request of its waits on the master, so the
        // incomplete-request clock does not run.
        if (heldBack()) {
            incompleteDeadline = -1;
            return;
        }
        if (answered == RequestsPerTurn) {
            incompleteDeadline = -1;
            turnPending = true;
            return;
        }
        const ModbusFraming framing = takeModbusRequest(&buffer, registers, &reply, &stored);
        if (framing == ModbusFraming::Incomplete) {
            if (drained)
                break;
            const Intake intake = takeBytes();
            if (intake == Intake::Gone)
                return drop(nullptr);
            if (intake == Intake::Nothing)
                break;
            drained = intake == Intake::Drained;
            continue;
        }
        if (framing == ModbusFraming::Unframeable)
            return drop("its requests cannot be framed");
        ++answered;
        tookRequest = true;
        requested = true;
        lastRequest = nowMs;
        if (!reply.isEmpty())
            send(reply.constData(), reply.size());
        if (!stored.isEmpty())
            written(stored);
        if (closing)
            return;
    }
    // All the master sent is taken. A request begun is given IncompleteRequestMs from its first
    // byte, or from when the master's turn came, if that was later.
    if (buffer.isEmpty())
        incompleteDeadline = -1;
    else if (tookRequest || incompleteDeadline < 0)
        incompleteDeadline = nowMs + IncompleteRequestMs;
}
