// The station when the field misbehaves: a board that falls silent, goes away or answers
// slowly, a restart with stale bytes on the port, Modbus masters that do not read, stop half
// way or pile up connections, group switches, and the log lines of the alarm latch. The board
// is the simulator on a pseudo-terminal, the host a real Modbus master.

#include "core/Globals.h"
#include "core/SystemParameters.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "machineio/ModbusServer.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/ParameterGroupSwitch.h"
#include "station/ProductionCounters.h"
#include "tests/station/StationHarness.h"
#include "tests/support/MessageRecorder.h"
#include "uikit/UiKitGlobals.h"

#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

constexpr int Idle = 0x3FF;           // every output at its idle level (the default levels are 1)
constexpr int CloseForbidden = 0x001; // output 1 on: its bit leaves the idle level
constexpr int AlarmOn = 0x004;        // output 3
constexpr int Latched = Idle & ~CloseForbidden & ~AlarmOn;
constexpr int Timeout = StationHarness::Timeout;
constexpr int SafetyDoorBit = 0x002;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Words in which output 1 or the alarm output is at its idle level: the mould or the alarm let go.
QVector<int> releasingWords(const QVector<int> &words)
{
    QVector<int> releasing;
    for (int word : words) {
        if ((word & CloseForbidden) || (word & AlarmOn))
            releasing << word;
    }
    return releasing;
}

// A plain socket to the server that the test drives byte by byte; nothing reads it behind the
// test's back.
class RawClient
{
public:
    explicit RawClient(quint16 port)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    }
    ~RawClient()
    {
        if (fd >= 0)
            ::close(fd);
    }
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    bool isConnected() const { return connected; }
    // Sends what the connection takes without waiting; returns the bytes taken.
    qint64 sendSome(const QByteArray &bytes)
    {
        const ssize_t n = ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
        return n > 0 ? n : 0;
    }

private:
    int fd = -1;
    bool connected = false;
};

} // namespace

class FieldFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void silentBoardIsRecorded();
    void restartTakesInputsAsTheyAre_data();
    void restartTakesInputsAsTheyAre();
    void alarmLatchAndReleaseAreLogged();
    void everyFaultWhileLatched();
    // Last: a switch closes the parameter database for the restart.
    void switchToTheDefaultGroup();

private:
    MoJuWizard *station() const { return harness.station(); }
    // An NG cycle: a part left in camera 1's cavity.
    bool latchAlarm();
    int groupIndex(const QString &name) const { return ParameterGroupSwitch::groupNames().indexOf(name); }

    StationHarness harness;
};

void FieldFaultsTest::initTestCase()
{
    QVERIFY(harness.prepare());
    // A saved group beside the factory one: "alpha" (index 0, the current one), "default".
    QVERIFY(QDir().mkpath(QStringLiteral("paraGroup/alpha")));
    QVERIFY(QFile::copy(QStringLiteral("PARAM.db"), QStringLiteral("paraGroup/alpha/PARAM.db")));
}

void FieldFaultsTest::init()
{
    QVERIFY(harness.start());
}

void FieldFaultsTest::cleanup()
{
    harness.stop();
}

bool FieldFaultsTest::latchAlarm()
{
    harness.camera(0).frame = harness.partFrame(0);
    return harness.openMould()
        && QTest::qWaitFor([this] { return station()->DisplayMode == 2; }, Timeout)
        && QTest::qWaitFor([this] { return harness.boardOutputs() == Latched; }, Timeout);
}

// A board that stops answering leaves the station blind: a record row says so, the link says
// so to whoever asks, and a row says when the board answers again.
void FieldFaultsTest::silentBoardIsRecorded()
{
    harness.board().setAnswering(false);
    QTRY_VERIFY_WITH_TIMEOUT(!controlPort->IsBoardAnswering(), Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(StationHarness::recordRemarks().count(uiText(627)), 1, Timeout);
    // Cycles while it is silent are not seen.
    // Not over 20 polls of the board and 10 of the station's passes.
    harness.setInput(0, true);
    const int polled = harness.board().requestCount();
    const quint64 passes = station()->runPasses;
    QTRY_VERIFY_WITH_TIMEOUT(harness.board().requestCount() > polled + 20 && station()->runPasses > passes + 10,
                             Timeout);
    harness.setInput(0, false);
    QCOMPARE(cycleTotalCount, 0);

    harness.board().setAnswering(true);
    QTRY_VERIFY_WITH_TIMEOUT(controlPort->IsBoardAnswering(), Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(StationHarness::recordRemarks().count(uiText(628)), 1, Timeout);
    QCOMPARE(StationHarness::recordRemarks().count(uiText(627)), 1);
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
}

void FieldFaultsTest::restartTakesInputsAsTheyAre_data()
{
    QTest::addColumn<QByteArray>("waiting");
    QTest::newRow("mould open through the restart") << QByteArray();
    QTest::newRow("and old replies with the mould closed on the port")
        << boardStatus(0x000, 0) + boardStatus(0x000, 0) + boardStatus(0x000, 0) + boardStatus(0x000, 0);
}

// A station restarted while the mould-open end is on counts no cycle for it, whatever the
// port held from before; the next real cycle counts.
void FieldFaultsTest::restartTakesInputsAsTheyAre()
{
    QFETCH(QByteArray, waiting);
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(StationHarness::countText().section(QLatin1Char(' '), 16, 16), QStringLiteral("1"), Timeout);

    QVERIFY(harness.restartStation(waiting));
    QVERIFY(controlPort->GetIOState(false, 0) || QTest::qWaitFor([] { return controlPort->GetIOState(false, 0); }, Timeout));
    const quint64 replies = controlPort->StatusReplyCount();
    const quint64 passes = station()->runPasses;
    QTRY_VERIFY_WITH_TIMEOUT(controlPort->StatusReplyCount() > replies + 20 && station()->runPasses > passes + 10,
                             Timeout);
    QCOMPARE(cycleTotalCount, 1);
    QCOMPARE(station()->cyclePhase, 3);

    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 2, Timeout);
}

// An NG latch and its release each leave one log line naming the camera and the stage.
void FieldFaultsTest::alarmLatchAndReleaseAreLogged()
{
    MessageRecorder log;
    QVERIFY(latchAlarm());
    const QString latched = QStringLiteral("alarm latched: NG at camera 1, detect stage 2");
    QTRY_COMPARE_WITH_TIMEOUT(log.count(latched), 1, Timeout);

    // Examined again with the part still there: no new line.
    harness.setInput(1, true);
    QTRY_COMPARE_WITH_TIMEOUT(harness.regionPage.rechecks, 1, Timeout);
    harness.setInput(1, false);
    QTRY_VERIFY_WITH_TIMEOUT(!controlPort->GetIOState(false, 1), Timeout);
    QCOMPARE(log.count(latched), 1);
    QCOMPARE(log.count(QStringLiteral("alarm released")), 0);

    harness.camera(0).frame = harness.goodFrame(0);
    harness.setInput(1, true);
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 1, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("alarm released (the images pass again): camera 1, detect stage 2")), 1, Timeout);
    QCOMPARE(log.count(QStringLiteral("alarm released")), 1);
    QCOMPARE(log.count(latched), 1);
}

// While an alarm is latched, everything the field can throw at the station leaves output 1
// (mould close forbidden) and the alarm output on, on every board that is or comes on the
// port: a silent board, a slow one, a board replaced with old replies (the door seen closed)
// waiting on the port, masters that flood, stop half way or pile up connections, and a host
// that switches to the factory group.
void FieldFaultsTest::everyFaultWhileLatched()
{
    MessageRecorder log;
    QVERIFY(latchAlarm());
    const int fromLatch = harness.outputWords().lastIndexOf(Latched);
    QVERIFY(fromLatch >= 0);
    const quint16 modbusPort = station()->modbusServer->serverPort();

    // The board falls silent for longer than a second, then answers again.
    harness.board().setAnswering(false);
    QTRY_COMPARE_WITH_TIMEOUT(StationHarness::recordRemarks().count(uiText(627)), 1, Timeout);
    harness.board().setAnswering(true);
    QTRY_COMPARE_WITH_TIMEOUT(StationHarness::recordRemarks().count(uiText(628)), 1, Timeout);

    // A slow board.
    harness.board().setReplyDelayMs(30);
    quint64 replies = controlPort->StatusReplyCount();
    QTRY_VERIFY_WITH_TIMEOUT(controlPort->StatusReplyCount() > replies + 20, Timeout);
    harness.board().setReplyDelayMs(0);

    // The board is replaced; old replies with the door closed wait on the port, the new board
    // reports it open: taken as fresh, that would be the door opening.
    const QVector<int> firstBoard = harness.outputWords().mid(fromLatch);
    const int inputs = controlPort->GetIOState(false, 0) ? 0x001 : 0x000;
    QVERIFY(harness.replaceBoard(boardStatus(inputs | SafetyDoorBit, Latched).repeated(4)));
    QTRY_VERIFY_WITH_TIMEOUT(!harness.outputWords().isEmpty(), Timeout);
    QCOMPARE(harness.outputWords().first(), Latched);
    replies = controlPort->StatusReplyCount();
    QTRY_VERIFY_WITH_TIMEOUT(controlPort->StatusReplyCount() > replies + 20, Timeout);
    QVERIFY(!doorOpenedSinceAlarm);

    // Masters that misbehave, while the host reads the latch.
    RawClient flooder(modbusPort);
    QVERIFY(flooder.isConnected());
    const QByteArray read = QByteArray::fromHex("000100000006010300000064");
    const QByteArray reads = read.repeated(512);
    qint64 flooded = 0;
    for (int stalled = 0; stalled < 30;) {
        const qint64 n = flooder.sendSome(reads.mid(int(flooded % reads.size())));
        flooded += n;
        if (n > 0)
            continue;
        ++stalled;
        QCOMPARE(harness.readRegister(1), 2);
        QTest::qWait(10);
    }
    RawClient halfWay(modbusPort);
    QVERIFY(halfWay.isConnected());
    QCOMPARE(halfWay.sendSome(read.left(7)), qint64(7));
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 2 * ModbusServer::MaxClients; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, modbusPort);
        QVERIFY(idle.back()->waitForConnected(Timeout));
    }
    QTRY_VERIFY_WITH_TIMEOUT(station()->modbusServer->clientCount() <= ModbusServer::MaxClients, Timeout);
    QCOMPARE(harness.readRegister(1), 2);

    // The host switches to the factory group: refused while latched, nothing restarts.
    QVERIFY(harness.writeRegister(1, groupIndex(QStringLiteral("default"))));
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("refused while the alarm is latched")), 1, Timeout);
    QCOMPARE(harness.actions().count(QStringLiteral("restartApplication")), 0);

    // Through all of it the station stayed latched and no board saw the mould or the alarm let go.
    QCOMPARE(station()->DisplayMode, 2);
    QCOMPARE(harness.readRegister(1), 2);
    QCOMPARE(harness.boardOutputs(), Latched);
    QCOMPARE(releasingWords(firstBoard), QVector<int>());
    QCOMPARE(releasingWords(harness.outputWords()), QVector<int>());
    QCOMPARE(log.count(QStringLiteral("alarm released")), 0);
    QCOMPARE(cycleNgCount, 1);
}

// The factory group holds only its databases (and no template folders): a switch to it puts
// them in place, leaves the template folders as they are and copies no link found in the
// group, neither a file nor a folder outside the working folder.
void FieldFaultsTest::switchToTheDefaultGroup()
{
    QTemporaryDir outside;
    QVERIFY(outside.isValid());
    QFile secret(outside.filePath(QStringLiteral("secret.txt")));
    QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write("outside") == 7);
    secret.close();
    QVERIFY(QDir().mkpath(outside.filePath(QStringLiteral("folder"))));
    QVERIFY(QFile::link(secret.fileName(), QStringLiteral("paraGroup/default/secret.txt")));
    QVERIFY(QFile::link(outside.filePath(QStringLiteral("folder")), QStringLiteral("paraGroup/default/cammer21")));
    const QByteArray template12 = fileBytes(QStringLiteral("cammer12/template0.bmp"));
    QVERIFY(!template12.isEmpty());
    const QByteArray factoryParameters = fileBytes(QStringLiteral("paraGroup/default/PARAM.db"));
    const QByteArray factorySerials = fileBytes(QStringLiteral("paraGroup/default/SN.db"));

    QVERIFY(harness.writeRegister(1, groupIndex(QStringLiteral("default"))));
    QTRY_COMPARE_WITH_TIMEOUT(harness.actions().count(QStringLiteral("restartApplication")), 1, Timeout);
    QCOMPARE(fileBytes(QStringLiteral("PARAM.db")), factoryParameters);
    QCOMPARE(fileBytes(QStringLiteral("SN.db")), factorySerials);
    QCOMPARE(fileBytes(QStringLiteral("cammer12/template0.bmp")), template12);
    QVERIFY(!QFileInfo::exists(QStringLiteral("secret.txt")) && !QFileInfo(QStringLiteral("secret.txt")).isSymLink());
    QVERIFY(!QFileInfo::exists(QStringLiteral("cammer21")) && !QFileInfo(QStringLiteral("cammer21")).isSymLink());
    QCOMPARE(fileBytes(QStringLiteral("sysadd.txt")), QByteArray::number(groupIndex(QStringLiteral("default"))) + '\n');
    QVERIFY(StationHarness::recordRemarks().contains(uiText(286).arg(QStringLiteral("default"))));
}

QTEST_MAIN(FieldFaultsTest)
#include "tst_FieldFaults.moc"
