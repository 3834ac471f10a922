#include "machineio/ControlPort.h"
#include "machineio/IOFrames.h"
#include "tools/boardsim/BoardSimulator.h"
#include "tests/machineio/IOTestGlobals.h"
#include "tests/support/MessageRecorder.h"

#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

#include <dlfcn.h>
#include <sys/time.h>
#include <time.h>

namespace {

// Seconds added to the wall clock as this process sees it: stands in for an operator who sets
// the date and time on the settings page, without touching the machine's clock.
std::atomic<long> wallClockShift{0};

template<typename Function>
Function nextDefinition(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

// The wall clock of this test program, shifted by wallClockShift; every other clock passes.
extern "C" int clock_gettime(clockid_t id, struct timespec *time)
{
    using Function = int (*)(clockid_t, struct timespec *);
    static const Function system = nextDefinition<Function>("clock_gettime");
    const int result = system(id, time);
    if (result == 0 && (id == CLOCK_REALTIME || id == CLOCK_REALTIME_COARSE))
        time->tv_sec += wallClockShift.load();
    return result;
}

extern "C" int gettimeofday(struct timeval *__restrict time, void *__restrict zone)
{
    using Function = int (*)(struct timeval *, void *);
    static const Function system = nextDefinition<Function>("gettimeofday");
    const int result = system(time, zone);
    if (result == 0 && time)
        time->tv_sec += wallClockShift.load();
    return result;
}

namespace {

// Sets the wall clock by seconds for its lifetime.
class WallClockShift
{
public:
    explicit WallClockShift(long seconds) { wallClockShift.store(seconds); }
    ~WallClockShift() { wallClockShift.store(0); }
};

// Keeps the warnings logged while it lives, from any thread.
class WarningLog
{
public:
    WarningLog()
    {
        active = this;
        previous = qInstallMessageHandler(handler);
    }
    ~WarningLog()
    {
        qInstallMessageHandler(previous);
        active = nullptr;
    }
    int count(const QString &part) const
    {
        QMutexLocker locker(&mutex);
        int n = 0;
        for (const QString &message : messages)
            n += message.contains(part);
        return n;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type == QtWarningMsg) {
            QMutexLocker locker(&active->mutex);
            active->messages << text;
        }
        active->previous(type, context, text);
    }

    static WarningLog *active;
    QtMessageHandler previous = nullptr;
    mutable QMutex mutex;
    QStringList messages;
};

WarningLog *WarningLog::active = nullptr;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The requests other than command 1, in order.
QByteArrayList scheduledRequests(const BoardSimulator &board)
{
    QByteArrayList frames;
    for (const BoardSimulator::Request &request : board.requests()) {
        if (request.bytes[1] != char(IOFrame::SetOutputs))
            frames << request.bytes;
    }
    return frames;
}

QByteArrayList outputFrames(const BoardSimulator &board)
{
    QByteArrayList frames;
    for (const BoardSimulator::Request &request : board.requests()) {
        if (request.bytes[1] == char(IOFrame::SetOutputs))
            frames << request.bytes;
    }
    return frames;
}

// Stamps the port's GUI heartbeat every 100 ms while the event loop runs, as the station's run
// pass does; without it the polling thread stops serving the board 10 s after it started, and a
// test that runs that long on a loaded machine waits for polls that never come.
class HeartbeatKeeper
{
public:
    explicit HeartbeatKeeper(ControlPort &port)
    {
        QObject::connect(&timer, &QTimer::timeout, [&port] { port.TouchHeartbeat(); });
        timer.start(100);
    }
    void stop() { timer.stop(); }

private:
    QTimer timer;
};

// The link on the slave side of a pseudo-terminal, the simulated board on the master side.
struct Link
{
    BoardSimulator board;
    ControlPort port{board.slaveName()};
    QObject receiver;
    HeartbeatKeeper heartbeat{port};

    // Starts the polling thread with its change signal going to slot; true once the board
    // is being polled.
    bool start(const std::function<void()> &slot = [] {})
    {
        if (!board.isValid())
            return false;
        port.StartIOThread(&receiver, slot);
        return QTest::qWaitFor([this] { return board.requestCount() > 3; }, 5000);
    }
};

} // namespace

// End to end: ControlPort and its polling thread on the slave side of a pseudo-terminal, a
// simulated I/O board on the master side.
class TestSerialLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void requestSchedule();
    void outputChangeReachesBoard();
    void inputChangeReachesReceiver();
    void announcedInputWordIsStored();
    void inputWakerRunsOnChanges();
    void silentHeartbeatStopsTraffic();
    void wallClockSetKeepsPolling_data();
    void wallClockSetKeepsPolling();
    void silentBoardIsReported();
    void portThatCannotOpen();
    void portThatAppearsLaterIsOpened();
    void replacedPortIsOpenedAgain();
    void startingInputsAreNoEdge_data();
    void startingInputsAreNoEdge();
    void slowBoardHasOneRequestInFlight_data();
    void slowBoardHasOneRequestInFlight();

private:
    std::unique_ptr<IOTestGlobals> globals;
};

void TestSerialLink::init()
{
    globals = std::make_unique<IOTestGlobals>();
}

void TestSerialLink::cleanup()
{
    globals.reset();
}

void TestSerialLink::requestSchedule()
{
    Link link;
    QVERIFY(link.start());
    const BoardSimulator &board = link.board;
    QTRY_VERIFY_WITH_TIMEOUT(scheduledRequests(board).size() >= 211, 20000);
    QCOMPARE(board.requests().first().bytes, hex("5F02000061F5"));
    const QByteArrayList frames = scheduledRequests(board);
    for (int i = 0; i < 211; ++i) {
        const QByteArray expected = i == 199 ? hex("5F03000062F5")
                                  : i == 209 ? hex("5F04000063F5")
                                             : hex("5F02000061F5");
        QCOMPARE(frames[i], expected);
    }
}

void TestSerialLink::outputChangeReachesBoard()
{
    Link link;
    QVERIFY(link.start());
    const BoardSimulator &board = link.board;
    ControlPort &port = link.port;

    // Idle levels all low: the board is sent 0xFFFFFC00 after each status reply.
    const QByteArray idle = hex("5F0100FC5CF5");
    QTRY_VERIFY_WITH_TIMEOUT(!outputFrames(board).isEmpty(), 5000);
    QCOMPARE(outputFrames(board).first(), idle);

    port.SetOutput(2, true);
    port.PublishOutputs();
    const QByteArray alarm = hex("5F0104FC60F5");
    QTRY_VERIFY_WITH_TIMEOUT(outputFrames(board).contains(alarm), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(outputFrames(board).count(alarm) >= 3, 5000);
    const QByteArrayList frames = outputFrames(board);
    const int first = frames.indexOf(alarm);
    for (int i = 0; i < frames.size(); ++i)
        QCOMPARE(frames[i], i < first ? idle : alarm);
}

void TestSerialLink::inputChangeReachesReceiver()
{
    Link link;
    BoardSimulator &board = link.board;
    ControlPort &port = link.port;
    QString edges;
    QVERIFY(link.start([&] {
        for (int input = 0; input < 8; ++input) {
            if (port.CheckInput(input))
                edges += QString::number(input);
        }
    }));

    board.setInputWord(0x005);
    QTRY_COMPARE_WITH_TIMEOUT(edges, QStringLiteral("02"), 5000);
    QVERIFY(port.GetIOState(false, 0));
    QVERIFY(!port.GetIOState(false, 1));
    QVERIFY(port.GetIOState(false, 2));

    board.setInputWord(0x204);
    QTRY_VERIFY_WITH_TIMEOUT(port.GetIOState(false, 9), 5000);
    QCOMPARE(edges, QStringLiteral("02"));
    QVERIFY(!port.GetIOState(false, 0));
}

// A receiver that runs the moment the change is announced (the GUI thread may be idle and
// take the queued call before the polling thread goes on) must find the new word stored;
// otherwise the edge waits for the receiver's next pass.
void TestSerialLink::announcedInputWordIsStored()
{
    Link link;
    QVERIFY(link.start());
    QMutex seenMutex;
    QList<qint32> seen;
    connect(link.port.pollingThread(), &IOThread::sigIOChange, &link.receiver, [&] {
        QMutexLocker words(ioMutex);
        QMutexLocker list(&seenMutex);
        seen << ioInputWord;
    }, Qt::DirectConnection);
    const auto seenWords = [&] {
        QMutexLocker list(&seenMutex);
        return seen;
    };

    link.board.setInputWord(0x005);
    QTRY_COMPARE_WITH_TIMEOUT(seenWords(), QList<qint32>{0x005}, 5000);
    link.board.setInputWord(0x204);
    QTRY_COMPARE_WITH_TIMEOUT(seenWords(), (QList<qint32>{0x005, 0x204}), 5000);
}

// A thread that waits for something else meanwhile is woken by the polling thread itself, on
// each changed word only, and finds the word stored; a waker set before the thread starts is
// kept for it.
void TestSerialLink::inputWakerRunsOnChanges()
{
    Link link;
    QMutex seenMutex;
    QList<qint32> seen;
    bool offGuiThread = true;
    link.port.WakeOnInputChange([&] {
        QMutexLocker words(ioMutex);
        QMutexLocker list(&seenMutex);
        seen << ioInputWord;
        offGuiThread = offGuiThread && QThread::currentThread() != qApp->thread();
    });
    QVERIFY(link.start());
    const auto seenWords = [&] {
        QMutexLocker list(&seenMutex);
        return seen;
    };

    link.board.setInputWord(0x005);
    QTRY_COMPARE_WITH_TIMEOUT(seenWords(), QList<qint32>{0x005}, 5000);
    const quint64 replies = link.port.StatusReplyCount();
    QTRY_VERIFY_WITH_TIMEOUT(link.port.StatusReplyCount() > replies + 3, 5000);
    link.board.setInputWord(0x204);
    QTRY_COMPARE_WITH_TIMEOUT(seenWords(), (QList<qint32>{0x005, 0x204}), 5000);
    QMutexLocker list(&seenMutex);
    QVERIFY(offGuiThread);
}

void TestSerialLink::silentHeartbeatStopsTraffic()
{
    WarningLog log;
    Link link;
    QVERIFY(link.start());
    const BoardSimulator &board = link.board;
    ControlPort &port = link.port;

    link.heartbeat.stop();
    port.pollingThread()->setHeartbeat(IOThread::heartbeatNow() - 11);
    // The thread says so on each pass it sits out: after its second such pass the frames of
    // the last served pass have long reached the board, and over the next one none follows.
    const QString silent = QStringLiteral("main_thread > 10s");
    QTRY_VERIFY_WITH_TIMEOUT(log.count(silent) >= 2, 5000);
    const int stopped = board.requestCount();
    QTRY_VERIFY_WITH_TIMEOUT(log.count(silent) >= 3, 5000);
    QCOMPARE(board.requestCount(), stopped);

    port.TouchHeartbeat();
    QTRY_VERIFY_WITH_TIMEOUT(board.requestCount() > stopped, 5000);
    QVERIFY(port.IsBoardAnswering());
}

void TestSerialLink::wallClockSetKeepsPolling_data()
{
    QTest::addColumn<long>("seconds");
    QTest::newRow("an hour forward") << 3600L;
    QTest::newRow("a year forward") << 365L * 86400;
    QTest::newRow("an hour back") << -3600L;
}

// The date and time set while the GUI thread lives: the heartbeat it stamped before is still
// fresh, so the board is polled on without a pause and no silence is reported.
void TestSerialLink::wallClockSetKeepsPolling()
{
    QFETCH(long, seconds);
    MessageRecorder log;
    Link link;
    QVERIFY(link.start());
    link.port.TouchHeartbeat();

    const qint64 before = QDateTime::currentSecsSinceEpoch();
    const WallClockShift shift(seconds);
    QVERIFY(qAbs(QDateTime::currentSecsSinceEpoch() - before - seconds) <= 5);
    const int polled = link.board.requestCount();
    QTRY_VERIFY_WITH_TIMEOUT(link.board.requestCount() > polled + 100, 5000);
    QCOMPARE(log.count(QStringLiteral("main_thread > 10s")), 0);
    QVERIFY(link.port.IsBoardAnswering());
}

void TestSerialLink::silentBoardIsReported()
{
    WarningLog log;
    Link link;
    BoardSimulator &board = link.board;
    ControlPort &port = link.port;
    QVERIFY(!port.IsBoardAnswering());
    QVERIFY(link.start());
    QVERIFY(port.IsBoardAnswering());

    board.setAnswering(false);
    const QString notAnswering = QStringLiteral("is not answering");
    QTRY_VERIFY_WITH_TIMEOUT(!port.IsBoardAnswering(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(notAnswering), 1, 5000);
    // Still polling, but reported once only.
    const int polled = board.requestCount();
    QTRY_VERIFY_WITH_TIMEOUT(board.requestCount() > polled + 50, 5000);
    QCOMPARE(log.count(notAnswering), 1);

    board.setAnswering(true);
    QTRY_VERIFY_WITH_TIMEOUT(port.IsBoardAnswering(), 5000);
}

void TestSerialLink::portThatCannotOpen()
{
    WarningLog log;
    QTemporaryDir dir;
    ControlPort port(dir.filePath(QStringLiteral("missing-tty")));
    QObject receiver;
    port.StartIOThread(&receiver, [] {});
    const QString cannotOpen = QStringLiteral("cannot open the I/O board port");
    QTRY_COMPARE_WITH_TIMEOUT(log.count(cannotOpen), 1, 5000);
    QVERIFY(!port.IsBoardAnswering());
    // The thread keeps trying in short steps without logging again.
    const quint64 tried = port.pollingThread()->openAttemptCount();
    QTRY_VERIFY_WITH_TIMEOUT(port.pollingThread()->openAttemptCount() >= tried + 2, 5000);
    QCOMPARE(log.count(cannotOpen), 1);
    QVERIFY(!port.IsBoardAnswering());
}

// A port that cannot be opened at start is tried again, quietly, until it can.
void TestSerialLink::portThatAppearsLaterIsOpened()
{
    MessageRecorder log;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("board"));
    ControlPort port(path);
    HeartbeatKeeper heartbeat(port);
    QObject receiver;
    port.StartIOThread(&receiver, [] {});
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("cannot open the I/O board port")), 1, 5000);

    BoardSimulator board;
    QVERIFY(board.linkAs(path));
    QTRY_VERIFY_WITH_TIMEOUT(port.StatusReplyCount() > 0, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(port.IsBoardAnswering(), 5000);
    QCOMPARE(log.count(QStringLiteral("cannot open the I/O board port")), 1);
}

// The device behind the port's name is replaced (a USB adapter that enumerated again, a board
// power-cycled behind a link): the link opens the name again, finds the new board and sends it
// the output word in force right after its first answer, without waiting for a change.
void TestSerialLink::replacedPortIsOpenedAgain()
{
    MessageRecorder log;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("board"));
    auto first = std::make_unique<BoardSimulator>();
    QVERIFY(first->linkAs(path));
    ControlPort port(path);
    HeartbeatKeeper heartbeat(port);
    QList<bool> answering;
    connect(&port, &ControlPort::sigBoardAnswering, &port, [&](bool on) { answering << on; });
    QObject receiver;
    port.StartIOThread(&receiver, [] {});
    QTRY_VERIFY_WITH_TIMEOUT(port.StatusReplyCount() > 3, 5000);
    port.SetOutput(2, true);
    port.PublishOutputs();
    QTRY_COMPARE_WITH_TIMEOUT(first->outputWord(), 0x004, 5000);

    first.reset();
    // Long enough for the loss to count as silence.
    QTRY_VERIFY_WITH_TIMEOUT(!answering.isEmpty(), 5000);
    QVERIFY(!port.IsBoardAnswering());
    BoardSimulator second;
    QVERIFY(second.linkAs(path));
    QTRY_VERIFY_WITH_TIMEOUT(port.IsBoardAnswering(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(answering, (QList<bool>{false, true}), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(second.outputWord(), 0x004, 5000);
    // Polled first; its first answer is followed by the word in force before the next poll.
    const QList<BoardSimulator::Request> requests = second.requests();
    QVERIFY(requests.size() >= 2);
    QCOMPARE(requests[0].bytes, hex("5F02000061F5"));
    QCOMPARE(requests[1].bytes, hex("5F0104FC60F5"));

    // Lost and back: each said once.
    QCOMPARE(log.count(QStringLiteral("is not answering")), 1);
    QCOMPARE(log.count(QStringLiteral("answers again")), 1);
    QVERIFY(log.count(QStringLiteral("failed")) <= 1);
}

void TestSerialLink::startingInputsAreNoEdge_data()
{
    QTest::addColumn<QByteArray>("stale");
    QTest::newRow("input already on") << QByteArray();
    QTest::newRow("stale replies with the input off")
        << boardStatus(0x000, 0) + boardStatus(0x000, 0) + boardStatus(0x000, 0);
    QTest::newRow("stale reply split, then garbage") << boardStatus(0x000, 0).left(5) + QByteArray("\x5F\x02");
}

// A station started while the mould-open end is on sees no edge: what waited on the port from
// before is discarded and the first word the board sends is the starting state. The next real
// edge counts once.
void TestSerialLink::startingInputsAreNoEdge()
{
    QFETCH(QByteArray, stale);
    BoardSimulator board;
    QVERIFY(board.isValid());
    board.setInputWord(0x001);
    if (!stale.isEmpty())
        board.sendRaw(stale);
    ControlPort port(board.slaveName());
    HeartbeatKeeper heartbeat(port);
    QString edges;
    QObject receiver;
    port.StartIOThread(&receiver, [&] {
        for (int input = 0; input < 8; ++input) {
            if (port.CheckInput(input))
                edges += QString::number(input);
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(port.GetIOState(false, 0), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(port.StatusReplyCount() > 5, 5000);
    QCOMPARE(edges, QString());

    board.setInputWord(0x000);
    QTRY_VERIFY_WITH_TIMEOUT(!port.GetIOState(false, 0), 5000);
    board.setInputWord(0x001);
    QTRY_COMPARE_WITH_TIMEOUT(edges, QStringLiteral("0"), 5000);
}

void TestSerialLink::slowBoardHasOneRequestInFlight_data()
{
    QTest::addColumn<int>("replyDelayMs");
    QTest::newRow("1 ms") << 1;
    QTest::newRow("10 ms") << 10;
    QTest::newRow("30 ms") << 30;
}

// A board slower than the 5 ms pass is not flooded: one poll waits for its answer, so at most
// that poll, the output word sent after the previous answer and a changed output word wait at
// the board (and a poll re-sent for each time-out), and every output change reaches it.
void TestSerialLink::slowBoardHasOneRequestInFlight()
{
    QFETCH(int, replyDelayMs);
    Link link;
    link.board.setReplyDelayMs(replyDelayMs);
    QVERIFY(link.start());
    QTRY_VERIFY_WITH_TIMEOUT(link.port.StatusReplyCount() > 10, 10000);
    for (int i = 0; i < 6; ++i) {
        const bool on = i % 2 == 0;
        link.port.SetOutput(4, on);
        link.port.PublishOutputs();
        QTRY_COMPARE_WITH_TIMEOUT(link.board.outputWord(), on ? 0x010 : 0x000, 10000);
    }
    // Polling goes on at the board's pace.
    const quint64 replies = link.port.StatusReplyCount();
    QTRY_VERIFY_WITH_TIMEOUT(link.port.StatusReplyCount() > replies + 10, 10000);
    // A poll that timed out (a loaded machine may hold the reply past the time-out) is sent
    // again while it still waits at the board: one more may queue for each.
    const quint64 timeouts = link.port.RequestTimeoutCount();
    QVERIFY2(quint64(link.board.maxQueued()) <= 3 + timeouts,
             qPrintable(QStringLiteral("%1 queued, %2 time-outs").arg(link.board.maxQueued()).arg(timeouts)));
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
