#include "machineio/ModbusClient.h"
#include "machineio/ModbusServer.h"
#include "platform/system/SystemActions.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QtTest>

#include <modbus.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

struct ModbusContextDeleter
{
    void operator()(modbus_t *context) const
    {
        modbus_close(context);
        modbus_free(context);
    }
};
using ModbusContext = std::unique_ptr<modbus_t, ModbusContextDeleter>;

ModbusContext connectLibmodbus(quint16 port)
{
    ModbusContext context(modbus_new_tcp("127.0.0.1", port));
    if (!context)
        return context;
    modbus_set_slave(context.get(), 1);
    modbus_set_response_timeout(context.get(), 5, 0);
    if (modbus_connect(context.get()) != 0)
        context.reset();
    return context;
}

// A plain socket client for requests that a master library would not send in pieces.
bool sendPart(QTcpSocket *socket, const QByteArray &bytes)
{
    socket->write(bytes);
    return socket->waitForBytesWritten(5000);
}

QByteArray receive(QTcpSocket *socket, int size)
{
    QByteArray bytes;
    while (bytes.size() < size && (socket->bytesAvailable() > 0 || socket->waitForReadyRead(5000)))
        bytes += socket->read(size - bytes.size());
    return bytes;
}

// A connected socket of the test's own, -1 when it cannot connect.
int connectPlainSocket(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Up to size bytes from a plain socket, waiting at most 5 s for each part.
QByteArray receivePlain(int fd, int size)
{
    QByteArray bytes(size, 0);
    int received = 0;
    pollfd readable = {fd, POLLIN, 0};
    while (received < size && ::poll(&readable, 1, 5000) == 1) {
        const ssize_t n = ::recv(fd, bytes.data() + received, size_t(size - received), 0);
        if (n <= 0)
            break;
        received += int(n);
    }
    bytes.truncate(received);
    return bytes;
}

// Reads register 0 on a plain socket: true when the answer came, with value.
bool readOnSocket(int fd, quint16 transaction, quint16 value)
{
    QByteArray read = hex("0000 0000 0006 01 03 0000 0001");
    read[0] = char(transaction >> 8);
    read[1] = char(transaction & 0xFF);
    if (::send(fd, read.constData(), size_t(read.size()), MSG_NOSIGNAL) != ssize_t(read.size()))
        return false;
    QByteArray expected = hex("0000 0000 0005 01 03 02 0000");
    expected[0] = read[0];
    expected[1] = read[1];
    expected[9] = char(value >> 8);
    expected[10] = char(value & 0xFF);
    return receivePlain(fd, expected.size()) == expected;
}

// The server closed the connection (end of stream within 5 s).
bool closedByServer(int fd)
{
    pollfd readable = {fd, POLLIN, 0};
    char byte;
    return ::poll(&readable, 1, 5000) == 1 && ::recv(fd, &byte, 1, 0) == 0;
}

// Plain sockets of the test's own, closed with it.
struct Sockets
{
    std::vector<int> fds;
    ~Sockets() { closeFirst(int(fds.size())); }
    void closeFirst(int n)
    {
        for (int i = 0; i < n; ++i)
            ::close(fds[size_t(i)]);
        fds.erase(fds.begin(), fds.begin() + n);
    }
};

// Masters on threads of their own that read registers back to back until stopped.
class PollingMasters
{
public:
    PollingMasters(quint16 port, int count)
    {
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([this, port] {
                ModbusContext master = connectLibmodbus(port);
                if (!master) {
                    errors.fetch_add(1);
                    return;
                }
                connected.fetch_add(1);
                while (!stop.load()) {
                    uint16_t values[3] = {};
                    if (modbus_read_registers(master.get(), 0, 3, values) == 3 && values[2] == 0x2222)
                        reads.fetch_add(1);
                    else
                        errors.fetch_add(1);
                }
            });
        }
    }
    ~PollingMasters()
    {
        stop.store(true);
        for (std::thread &thread : threads)
            thread.join();
    }

    std::atomic<int> connected{0};
    std::atomic<int> reads{0};
    std::atomic<int> errors{0};

private:
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
};

} // namespace

// The server on 127.0.0.1 with a free port, against real Modbus masters.
class TestModbusLoopback : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void mbpollReads();
    void mbpollWrites();
    void mbpollRefusals_data();
    void mbpollRefusals();
    void libmodbusWritesAndReads();
    void interleavedClients();
    void connectDisconnectCycles();
    void unframeableClientIsClosed();
    void listenFailureIsLogged();
    void clientThatDoesNotReadIsHeldBack();
    void incompleteRequestIsDropped_data();
    void incompleteRequestIsDropped();
    void idleFloodKeepsClientsBounded();
    void connectionWaitsWhileDescriptorsRunOut();
    void pollingMastersKeepTheirPlaces();
    void registersFilledBeforeListening();

private:
    QString mbpoll(const QStringList &arguments, int *exitCode);

    std::unique_ptr<ModbusServer> server;
    QList<QList<int>> writeSignals;
};

void TestModbusLoopback::init()
{
    server = std::make_unique<ModbusServer>(QHostAddress::LocalHost, 0);
    QVERIFY(server->isListening());
    QVERIFY(server->serverPort() != 0);
    writeSignals.clear();
    connect(server.get(), &ModbusServer::sigWriteChange, this,
            [this](const QList<int> &indices) { writeSignals << indices; });
}

void TestModbusLoopback::cleanup()
{
    server.reset();
}

QString TestModbusLoopback::mbpoll(const QStringList &arguments, int *exitCode)
{
    QString output;
    const QStringList common = {QStringLiteral("-m"), QStringLiteral("tcp"), QStringLiteral("-a"),
                                QStringLiteral("1"), QStringLiteral("-0"), QStringLiteral("-1"),
                                QStringLiteral("-o"), QStringLiteral("5"), QStringLiteral("-p"),
                                QString::number(server->serverPort())};
    *exitCode = systemActions()->runProgram(QStringLiteral("mbpoll"),
                                            common + arguments, 20000, &output);
    return output;
}

void TestModbusLoopback::mbpollReads()
{
    server->SetReadRegisters(10, {1, -2, 300, 0x7FFF});
    int exitCode = -1;
    const QString output = mbpoll({"-r", "10", "-c", "4", "127.0.0.1"}, &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(output));
    QVERIFY2(output.contains(QRegularExpression(QStringLiteral("\\[10\\]:\\s+1\\b"))), qPrintable(output));
    QVERIFY2(output.contains(QRegularExpression(QStringLiteral("\\[11\\]:\\s+65534 \\(-2\\)"))), qPrintable(output));
    QVERIFY2(output.contains(QRegularExpression(QStringLiteral("\\[12\\]:\\s+300\\b"))), qPrintable(output));
    QVERIFY2(output.contains(QRegularExpression(QStringLiteral("\\[13\\]:\\s+32767\\b"))), qPrintable(output));
}

void TestModbusLoopback::mbpollWrites()
{
    int exitCode = -1;
    const QString output = mbpoll({"-r", "20", "127.0.0.1", "--", "7", "65528", "9"}, &exitCode);
    QVERIFY2(exitCode == 0, qPrintable(output));
    const QVector<ushort> expected = {7, 0xFFF8, 9};
    for (int i = 0; i < expected.size(); ++i) {
        ushort value = 0;
        server->GetWriteRegister(20 + i, &value);
        QCOMPARE(value, expected[i]);
    }
    QTRY_COMPARE(writeSignals, (QList<QList<int>>{{20, 21, 22}}));
}

void TestModbusLoopback::mbpollRefusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");

    // A single value goes out as "write single register", which the server does not serve.
    QTest::newRow("write single register") << QStringList{"-r", "5", "127.0.0.1", "--", "3"}
                                           << "Illegal function";
    QTest::newRow("read past register 499") << QStringList{"-r", "495", "-c", "10", "127.0.0.1"}
                                            << "Illegal data address";
}

void TestModbusLoopback::mbpollRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    int exitCode = -1;
    const QString output = mbpoll(arguments, &exitCode);
    // Answered at once with the exception, not left to time out.
    QVERIFY2(output.contains(error, Qt::CaseInsensitive), qPrintable(output));
    QVERIFY2(!output.contains(QStringLiteral("timed out"), Qt::CaseInsensitive), qPrintable(output));
    QVERIFY(writeSignals.isEmpty());
}

void TestModbusLoopback::libmodbusWritesAndReads()
{
    ModbusContext context = connectLibmodbus(server->serverPort());
    QVERIFY(context);

    QRandomGenerator random(8);
    QVector<int> expected(ModbusRegisters::Count, 0);
    QList<QList<int>> expectedSignals;
    for (int round = 0; round < 300; ++round) {
        const int count = random.bounded(1, 124);
        const int start = random.bounded(0, ModbusRegisters::Count - count + 1);
        QVector<uint16_t> values(count);
        QList<int> indices;
        for (int i = 0; i < count; ++i) {
            values[i] = uint16_t(random.bounded(0x10000));
            expected[start + i] = values[i];
            indices << start + i;
        }
        expectedSignals << indices;
        QCOMPARE(modbus_write_registers(context.get(), start, count, values.constData()), count);
        for (int i = 0; i < count; ++i) {
            ushort value = 0;
            server->GetWriteRegister(start + i, &value);
            QCOMPARE(int(value), expected[start + i]);
        }
    }
    for (int i = 0; i < ModbusRegisters::Count; ++i) {
        ushort value = 0;
        server->GetWriteRegister(i, &value);
        QCOMPARE(int(value), expected[i]);
    }
    QTRY_COMPARE(writeSignals.size(), expectedSignals.size());
    QCOMPARE(writeSignals, expectedSignals);

    // Read-back of blocks the station publishes, across the whole map.
    QVector<short> published(ModbusRegisters::Count);
    for (int i = 0; i < published.size(); ++i)
        published[i] = short(random.bounded(0x10000));
    server->SetReadRegisters(0, published);
    for (int start = 0; start < ModbusRegisters::Count; start += 125) {
        QVector<uint16_t> values(125);
        QCOMPARE(modbus_read_registers(context.get(), start, 125, values.data()), 125);
        for (int i = 0; i < 125; ++i)
            QCOMPARE(values[i], uint16_t(published[start + i]));
    }
}

void TestModbusLoopback::interleavedClients()
{
    server->SetReadRegister(3, 0x1234);
    QTcpSocket first;
    QTcpSocket second;
    first.connectToHost(QHostAddress::LocalHost, server->serverPort());
    second.connectToHost(QHostAddress::LocalHost, server->serverPort());
    QVERIFY(first.waitForConnected(5000));
    QVERIFY(second.waitForConnected(5000));

    const QByteArray write = hex("0101 0000 000B 01 10 0040 0002 04 0A0B 0C0D");
    const QByteArray read = hex("0202 0000 0006 01 03 0003 0001");
    QVERIFY(sendPart(&first, write.left(9)));
    QVERIFY(sendPart(&second, read.left(5)));
    QVERIFY(sendPart(&first, write.mid(9)));
    QCOMPARE(receive(&first, 12), hex("0101 0000 0006 01 10 0040 0002"));
    QVERIFY(sendPart(&second, read.mid(5)));
    QCOMPARE(receive(&second, 11), hex("0202 0000 0005 01 03 02 1234"));

    ushort value = 0;
    server->GetWriteRegister(0x41, &value);
    QCOMPARE(value, ushort(0x0C0D));
    QTRY_COMPARE(writeSignals, (QList<QList<int>>{{0x40, 0x41}}));
}

void TestModbusLoopback::connectDisconnectCycles()
{
    const QByteArray read = hex("0001 0000 0006 01 03 0000 0001");
    auto cycle = [&](int index) {
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server->serverPort());
        if (!client.waitForConnected(5000))
            return false;
        // Every other client leaves half a request behind in its buffer.
        if (index % 2)
            client.write(read.left(5));
        else
            client.write(read);
        client.waitForBytesWritten(5000);
        if (index % 2 == 0 && receive(&client, 11).size() != 11)
            return false;
        client.disconnectFromHost();
        return true;
    };
    for (int i = 0; i < 1000; ++i)
        QVERIFY2(cycle(i), qPrintable(QStringLiteral("cycle %1").arg(i)));
    // The server deletes each client's socket once it has gone.
    QTRY_COMPARE_WITH_TIMEOUT(server->clientCount(), 0, 10000);

    QTcpSocket staying;
    staying.connectToHost(QHostAddress::LocalHost, server->serverPort());
    QVERIFY(staying.waitForConnected(5000));
    QTRY_COMPARE(server->clientCount(), 1);
}

void TestModbusLoopback::unframeableClientIsClosed()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("its requests cannot be framed")));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server->serverPort());
    QVERIFY(client.waitForConnected(5000));
    // A length no Modbus request can have: the stream cannot be followed any further.
    QVERIFY(sendPart(&client, hex("0001 0000 FFFF 01 03 0000 0001")));
    QVERIFY(client.state() == QAbstractSocket::UnconnectedState || client.waitForDisconnected(5000));
    QTRY_COMPARE(server->clientCount(), 0);
    QVERIFY(writeSignals.isEmpty());
}

void TestModbusLoopback::listenFailureIsLogged()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("ModbusServer: cannot listen on")));
    ModbusServer second(QHostAddress::LocalHost, server->serverPort());
    QVERIFY(!second.isListening());
    QCOMPARE(second.serverPort(), quint16(0));
    second.SetReadRegister(0, 1);
    second.Stop();
}

// A master that sends read requests and never reads the answers: the server stops reading it
// once its answers are not taken, so its sending comes to a halt instead of the server's memory
// growing, and another master is answered all along.
void TestModbusLoopback::clientThatDoesNotReadIsHeldBack()
{
    // A plain socket: nothing in this process reads its answers behind the test's back.
    const int fd = connectPlainSocket(server->serverPort());
    QVERIFY(fd >= 0);
    const auto closeLater = qScopeGuard([fd] { ::close(fd); });

    ModbusContext other = connectLibmodbus(server->serverPort());
    QVERIFY(other);
    server->SetReadRegister(7, 77);

    // 125 registers a request: each answer is 259 bytes for a 12-byte request.
    const QByteArray request = hex("0000 0000 0006 01 03 0000 007D");
    const QByteArray requests = request.repeated(256);
    qint64 sent = 0;
    int stalledPasses = 0;
    // Sends until the server has stopped taking requests for a while: the connection is full
    // in both directions.
    while (stalledPasses < 50 && sent < 64 * 1024 * 1024) {
        const int offset = int(sent % requests.size());
        const ssize_t n = ::send(fd, requests.constData() + offset, size_t(requests.size() - offset),
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            stalledPasses = 0;
            continue;
        }
        ++stalledPasses;
        uint16_t value = 0;
        QCOMPARE(modbus_read_registers(other.get(), 7, 1, &value), 1);
        QCOMPARE(value, uint16_t(77));
        QTest::qWait(10);
    }
    QVERIFY2(stalledPasses == 50, qPrintable(QStringLiteral("%1 bytes sent").arg(sent)));
    // Held back, not dropped: once it reads, it is answered in full.
    QCOMPARE(server->clientCount(), 2);
    const qint64 expected = sent / request.size() * 259;
    qint64 drained = 0;
    char chunk[65536];
    for (int quiet = 0; drained < expected && quiet < 5000;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            drained += n;
            quiet = 0;
        } else {
            ++quiet;
            QThread::msleep(1);
        }
    }
    QCOMPARE(drained, expected);
}

void TestModbusLoopback::incompleteRequestIsDropped_data()
{
    QTest::addColumn<QByteArray>("part");
    const QByteArray read = hex("0001 0000 0006 01 03 0000 0001");
    QTest::newRow("header only") << read.left(5);
    QTest::newRow("all but the last byte") << read.left(11);
    QTest::newRow("a whole request, then half of the next") << read + read.left(7);
}

// A master that stops half way through a request is closed after a while; what it completed
// is answered first.
void TestModbusLoopback::incompleteRequestIsDropped()
{
    QFETCH(QByteArray, part);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("its request stayed incomplete")));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server->serverPort());
    QVERIFY(client.waitForConnected(5000));
    QVERIFY(sendPart(&client, part));
    QVERIFY(client.waitForDisconnected(10000));
    QCOMPARE(client.readAll().size(), part.size() > 12 ? 11 : 0);
    QTRY_COMPARE(server->clientCount(), 0);

    // A request sent in pieces with short pauses is answered.
    QTcpSocket slow;
    slow.connectToHost(QHostAddress::LocalHost, server->serverPort());
    QVERIFY(slow.waitForConnected(5000));
    const QByteArray read = hex("0002 0000 0006 01 03 0000 0001");
    for (int i = 0; i < read.size(); i += 4) {
        QVERIFY(sendPart(&slow, read.mid(i, 4)));
        QTest::qWait(ModbusClient::IncompleteRequestMs / 5);
    }
    QCOMPARE(receive(&slow, 11), hex("0002 0000 0005 01 03 02 0000"));
}

// A flood of idle connections holds at most MaxClients sockets in the server; each new one
// closes the oldest idle one, so a master that polls keeps its connection and a master that
// comes later is served.
void TestModbusLoopback::idleFloodKeepsClientsBounded()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("clients are connected")));
    server->SetReadRegister(1, 11);
    ModbusContext polling = connectLibmodbus(server->serverPort());
    QVERIFY(polling);
    uint16_t value = 0;
    QCOMPARE(modbus_read_registers(polling.get(), 1, 1, &value), 1);
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 4 * ModbusServer::MaxClients; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, server->serverPort());
        QVERIFY(idle.back()->waitForConnected(5000));
        QTRY_VERIFY(server->clientCount() <= ModbusServer::MaxClients);
    }
    QTRY_COMPARE(server->clientCount(), ModbusServer::MaxClients);
    // The oldest were closed.
    QVERIFY(idle.front()->state() == QAbstractSocket::UnconnectedState
            || idle.front()->waitForDisconnected(5000));
    // Our ends of the connections the server closed are let go, so the new master's socket gets
    // a descriptor that libmodbus's select() can watch (below 1024).
    idle.erase(idle.begin(), idle.end() - ModbusServer::MaxClients);

    ModbusContext master = connectLibmodbus(server->serverPort());
    QVERIFY(master);
    QCOMPARE(modbus_read_registers(master.get(), 1, 1, &value), 1);
    QCOMPARE(value, uint16_t(11));
    value = 0;
    QCOMPARE(modbus_read_registers(polling.get(), 1, 1, &value), 1);
    QCOMPARE(value, uint16_t(11));
    QVERIFY(server->clientCount() <= ModbusServer::MaxClients);
}

// A connection the server cannot accept for want of descriptors waits in the backlog: the
// masters already connected are answered meanwhile, and the connection is taken and served once
// descriptors are free again.
void TestModbusLoopback::connectionWaitsWhileDescriptorsRunOut()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot accept a connection")));
    server->SetReadRegister(3, 33);
    ModbusContext polling = connectLibmodbus(server->serverPort());
    QVERIFY(polling);
    uint16_t value = 0;
    QCOMPARE(modbus_read_registers(polling.get(), 3, 1, &value), 1);

    rlimit saved = {};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::dup(0);
    QVERIFY(lowestFree >= 0);
    ::close(lowestFree);
    // One descriptor is left, for the new master's own socket.
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(lowestFree + 1);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    auto restore = qScopeGuard([&saved] { ::setrlimit(RLIMIT_NOFILE, &saved); });
    const int fd = connectPlainSocket(server->serverPort());
    QVERIFY(fd >= 0);
    const auto closeLater = qScopeGuard([fd] { ::close(fd); });
    // The server tried to accept, at the latest in the pass that answered the first of these.
    for (int i = 0; i < 2; ++i) {
        value = 0;
        QCOMPARE(modbus_read_registers(polling.get(), 3, 1, &value), 1);
        QCOMPARE(value, uint16_t(33));
    }
    restore.dismiss();
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);

    const QByteArray read = hex("0005 0000 0006 01 03 0003 0001");
    QCOMPARE(::send(fd, read.constData(), size_t(read.size()), MSG_NOSIGNAL), ssize_t(read.size()));
    QCOMPARE(receivePlain(fd, 11), hex("0005 0000 0005 01 03 02 0021"));
}

// Masters that poll fill every place: newcomers are refused, not the masters closed; places
// that masters give up go to newcomers, and a flood of idle connections after that closes
// idle connections only. Through all of it no polling master misses an answer.
void TestModbusLoopback::pollingMastersKeepTheirPlaces()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("new connections are refused")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("closes an idle client")));
    server->SetReadRegister(0, 0x0505);
    server->SetReadRegister(2, 0x2222);
    const quint16 port = server->serverPort();
    constexpr int Threads = 4;
    PollingMasters masters(port, Threads);
    QTRY_COMPARE(masters.connected.load(), Threads);

    Sockets polling;
    const auto everyOneAnswered = [&polling](int round) {
        for (size_t i = 0; i < polling.fds.size(); ++i) {
            if (!readOnSocket(polling.fds[i], quint16(round * 1000 + int(i)), 0x0505))
                return false;
        }
        return true;
    };
    for (int i = Threads; i < ModbusServer::MaxClients; ++i) {
        polling.fds.push_back(connectPlainSocket(port));
        QVERIFY(polling.fds.back() >= 0);
        QVERIFY(readOnSocket(polling.fds.back(), quint16(i), 0x0505));
    }
    QTRY_COMPARE(server->clientCount(), ModbusServer::MaxClients);

    Sockets idle;
    for (int i = 0; i < 64; ++i) {
        idle.fds.push_back(connectPlainSocket(port));
        QVERIFY(idle.fds.back() >= 0);
        QVERIFY2(closedByServer(idle.fds.back()), qPrintable(QString::number(i)));
    }
    QVERIFY(everyOneAnswered(1));
    idle.closeFirst(int(idle.fds.size()));

    // Masters that leave make room; the idle connections then only displace each other.
    constexpr int Leaving = 16;
    polling.closeFirst(Leaving);
    QTRY_COMPARE(server->clientCount(), ModbusServer::MaxClients - Leaving);
    for (int i = 0; i < 4 * Leaving; ++i) {
        idle.fds.push_back(connectPlainSocket(port));
        QVERIFY(idle.fds.back() >= 0);
    }
    // The newest idle connections hold the places.
    for (int i = 0; i < 3 * Leaving; ++i)
        QVERIFY2(closedByServer(idle.fds[size_t(i)]), qPrintable(QString::number(i)));
    // The last newcomers may still wait in the backlog.
    QTRY_COMPARE(server->clientCount(), ModbusServer::MaxClients);
    QVERIFY(everyOneAnswered(2));
    QVERIFY(masters.reads.load() > 0);
    QCOMPARE(masters.errors.load(), 0);
}

// A server made to wait serves nothing until it is started, and its first answer holds what was
// set before.
void TestModbusLoopback::registersFilledBeforeListening()
{
    ModbusServer waiting(QHostAddress::LocalHost, 0, ModbusServer::Listening::OnStart);
    QVERIFY(!waiting.isListening());
    QCOMPARE(waiting.serverPort(), quint16(0));
    waiting.SetReadRegisters(0, {1, 0, 3});
    waiting.Start();
    QVERIFY(waiting.isListening());
    const quint16 port = waiting.serverPort();
    waiting.Start();
    QCOMPARE(waiting.serverPort(), port);
    ModbusContext master = connectLibmodbus(port);
    QVERIFY(master);
    uint16_t values[3] = {};
    QCOMPARE(modbus_read_registers(master.get(), 0, 3, values), 3);
    QCOMPARE(QVector<uint16_t>(values, values + 3), (QVector<uint16_t>{1, 0, 3}));
}

QTEST_GUILESS_MAIN(TestModbusLoopback)
#include "tst_modbusloopback.moc"
