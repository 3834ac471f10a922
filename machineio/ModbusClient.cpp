#include "machineio/ModbusClient.h"

#include "machineio/ModbusRequest.h"

#include <sys/socket.h>

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>

namespace {

// The longest Modbus TCP request: the header up to the length field and 254 bytes after it.
constexpr int MaxRequestBytes = 6 + 254;

qint64 monotonicMs()
{
    QElapsedTimer timer;
    timer.start();
    return timer.msecsSinceReference();
}

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

ModbusClient::ModbusClient(QTcpSocket *socket, ModbusRegisters *registers,
                           std::function<void(const QList<int> &)> written, QObject *parent)
    : QObject(parent), socket(socket), registers(registers), written(std::move(written)),
      lastRequest(monotonicMs())
{
    socket->setParent(this);
    socket->setReadBufferSize(ReadBufferBytes);
    // Reserved once, so emptying them keeps their memory for the next request.
    buffer.reserve(MaxRequestBytes);
    reply.reserve(MaxRequestBytes);
    incompleteTimer.setSingleShot(true);
    incompleteTimer.setInterval(IncompleteRequestMs);
    connect(&incompleteTimer, &QTimer::timeout, this,
            [this] { drop("its request stayed incomplete"); });
    connect(socket, &QTcpSocket::readyRead, this, &ModbusClient::HandleRequest);
    // Answers drained: a held-back master is read again.
    connect(socket, &QTcpSocket::bytesWritten, this, &ModbusClient::HandleRequest);
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        closing = true;
        incompleteTimer.stop();
        deleteLater();
    });
    if (socket->bytesAvailable() > 0)
        scheduleTurn();
}

QString ModbusClient::peer() const
{
    return QStringLiteral("%1 port %2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
}

void ModbusClient::drop(const char *reason)
{
    if (closing)
        return;
    closing = true;
    if (reason)
        qWarning("ModbusServer: closing %s, %s", qPrintable(peer()), reason);
    incompleteTimer.stop();
    socket->abort();
    deleteLater();
}

void ModbusClient::scheduleTurn()
{
    if (turnScheduled)
        return;
    turnScheduled = true;
    QMetaObject::invokeMethod(this, &ModbusClient::HandleRequest, Qt::QueuedConnection);
}

bool ModbusClient::takeBytes()
{
    const int room = MaxRequestBytes - buffer.size();
    if (room <= 0 || socket->bytesAvailable() <= 0)
        return false;
    // Read into the kept buffer: no array is made and freed per request.
    const int held = buffer.size();
    buffer.resize(MaxRequestBytes);
    const qint64 got = socket->read(buffer.data() + held, room);
    buffer.resize(held + int(qMax<qint64>(0, got)));
    return got > 0;
}

void ModbusClient::HandleRequest()
{
    turnScheduled = false;
    if (closing)
        return;
    bool tookRequest = false;
    for (int answered = 0;;) {
        // Held back or busy with its requests: no request of its waits on the master, so the
        // incomplete-request clock does not run.
        if (socket->bytesToWrite() > MaxUnsentBytes) {
            incompleteTimer.stop();
            return;
        }
        if (answered == RequestsPerTurn) {
            incompleteTimer.stop();
            scheduleTurn();
            return;
        }
        const ModbusFraming framing = takeModbusRequest(&buffer, registers, &reply, &stored);
        if (framing == ModbusFraming::Incomplete) {
            if (!takeBytes())
                break;
            continue;
        }
        if (framing == ModbusFraming::Unframeable) {
            drop("its requests cannot be framed");
            return;
        }
        ++answered;
        tookRequest = true;
        requested = true;
        lastRequest = monotonicMs();
        if (!reply.isEmpty())
            sendReply(socket, reply);
        if (!stored.isEmpty())
            written(stored);
    }
    // All the master sent is taken. A request begun is given IncompleteRequestMs from its first
    // byte, or from when the master's turn came, if that was later.
    if (buffer.isEmpty())
        incompleteTimer.stop();
    else if (tookRequest || !incompleteTimer.isActive())
        incompleteTimer.start();
}
