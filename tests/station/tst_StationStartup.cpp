// The station's start-up as a supervising host and the machine see it: the host reads the
// loaded state from its first answer on, every cycle after the host sees the station run is
// counted, and a warning at start-up holds neither detection nor the outputs nor the counters.

#include "core/ParameterNames.h"
#include "core/UiTexts.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "tests/station/StationHarness.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"

#include <QApplication>
#include <QFile>
#include <QMutex>
#include <QTcpServer>
#include <QtTest>

#include <modbus.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

constexpr int Timeout = StationHarness::Timeout;
constexpr int LoadedTotal = 40;
constexpr int LoadedNg = 3;
constexpr int LoadedGroup = 3;
constexpr int StatisticsFileErrorEntry = 544;

// "count.txt" as the station writes it with one camera.
bool writeCounts(int total, int ng)
{
    QString line = QStringLiteral("%1 %2 ").arg(total).arg(ng);
    for (int c = 1; c < 8; ++c)
        line += QStringLiteral("0 0 ");
    line += QStringLiteral("%1 %2 ").arg(total).arg(ng);
    QFile file(QStringLiteral("count.txt"));
    return file.open(QIODevice::WriteOnly) && file.write(line.toLatin1()) > 0;
}

// A port nothing listens on now.
quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// A host that polls the station's port from before the station starts: it connects as soon as
// the port opens and reads the run state, the group and the counts back to back. Once it reads
// that the station runs, it drives the given mould cycles on the board at once.
class StartupHost
{
public:
    struct Answer
    {
        int running;
        int group;
        int total;
        int ng;
    };

    // board: the board to drive, asked for once the station runs.
    StartupHost(quint16 port, std::function<BoardSimulator &()> board, int cycles)
        : thread([this, port, board, cycles] { run(port, board, cycles); })
    {
    }
    ~StartupHost()
    {
        stop.store(true);
        thread.join();
    }

    QVector<Answer> answers() const
    {
        QMutexLocker locker(&mutex);
        return seen;
    }
    bool cyclesDriven() const { return driven.load(); }
    int failures() const { return failed.load(); }

private:
    void run(quint16 port, const std::function<BoardSimulator &()> &board, int cycles)
    {
        modbus_t *master = modbus_new_tcp("127.0.0.1", int(port));
        modbus_set_slave(master, 1);
        modbus_set_response_timeout(master, 5, 0);
        bool connected = false;
        bool cyclesStarted = false;
        while (!stop.load()) {
            if (!connected) {
                connected = modbus_connect(master) == 0;
                if (!connected)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            uint16_t head[3] = {};
            uint16_t counts[4] = {};
            if (modbus_read_registers(master, 0, 3, head) != 3 || modbus_read_registers(master, 50, 4, counts) != 4) {
                failed.fetch_add(1);
                continue;
            }
            {
                QMutexLocker locker(&mutex);
                seen.append({head[0], head[2], counts[0] << 16 | counts[1], counts[2] << 16 | counts[3]});
            }
            if (head[0] == 1 && !cyclesStarted) {
                cyclesStarted = true;
                driveCycles(board(), cycles);
                driven.store(true);
            }
        }
        modbus_close(master);
        modbus_free(master);
    }

    // Mould-open pulses as a machine gives them, one cycle after the other.
    void driveCycles(BoardSimulator &board, int cycles)
    {
        for (int i = 0; i < cycles && !stop.load(); ++i) {
            board.setInputWord(0x001);
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            board.setInputWord(0x000);
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
        }
    }

    mutable QMutex mutex;
    QVector<Answer> seen;
    std::atomic<bool> stop{false};
    std::atomic<bool> driven{false};
    std::atomic<int> failed{0};
    std::thread thread;
};

} // namespace

class StationStartupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void hostSeesTheLoadedStateAndEveryCycle();
    void damagedCountFileWarnsWithoutHoldingTheMachine();

private:
    StationHarness harness;
};

void StationStartupTest::initTestCase()
{
    QVERIFY(harness.prepare());
}

void StationStartupTest::cleanup()
{
    harness.stop();
    MoJuWizard::modbusPort = 0;
}

// A host polls from before the port opens: its every answer holds the counts and the group
// the station loaded and the station running, and the cycles it starts the moment it reads
// that are all counted.
void StationStartupTest::hostSeesTheLoadedStateAndEveryCycle()
{
    QVERIFY(writeCounts(LoadedTotal, LoadedNg));
    harness.settings()[Param::ParameterGroup] = LoadedGroup;
    MoJuWizard::modbusPort = freePort();
    QVERIFY(MoJuWizard::modbusPort != 0);
    constexpr int Cycles = 4;
    // The harness makes its board before the station.
    auto host = std::make_unique<StartupHost>(
        MoJuWizard::modbusPort, [this]() -> BoardSimulator & { return harness.board(); }, Cycles);
    QVERIFY(harness.start());
    QTRY_VERIFY_WITH_TIMEOUT(host->cyclesDriven(), Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(harness.readRegisters(50, 2), (QVector<int>{0, LoadedTotal + Cycles}), Timeout);
    const QVector<StartupHost::Answer> answers = host->answers();
    host.reset();

    QVERIFY(!answers.isEmpty());
    QCOMPARE(cycleTotalCount, LoadedTotal + Cycles);
    for (const StartupHost::Answer &answer : answers) {
        QCOMPARE(answer.running, 1);
        QCOMPARE(answer.group, LoadedGroup);
        QVERIFY2(answer.total >= LoadedTotal, qPrintable(QString::number(answer.total)));
        QCOMPARE(answer.ng, LoadedNg);
    }
}

// A damaged count database is moved aside and the operator is warned, on top of the station,
// without a modal loop: meanwhile the outputs are written and cycles are judged and counted.
void StationStartupTest::damagedCountFileWarnsWithoutHoldingTheMachine()
{
    {
        QFile damaged(QStringLiteral("ResStatistics.db"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        QVERIFY(damaged.write(QByteArray(4096, '\x5A')) == 4096);
    }
    bool modalSeen = false;
    // A modal box would hold start() inside its loop: it is noted and closed.
    QTimer modalWatch;
    QObject::connect(&modalWatch, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            modalSeen = true;
            modal->close();
        }
    });
    modalWatch.start(50);
    QVERIFY(harness.start());
    QVERIFY(!modalSeen);

    Warnbox *shown = nullptr;
    const auto findWarning = [&shown] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<Warnbox *>(widget);
            if (box && box->isVisible() && box->text() == uiText(StatisticsFileErrorEntry))
                shown = box;
        }
        return shown != nullptr;
    };
    QTRY_VERIFY_WITH_TIMEOUT(findWarning(), Timeout);
    QVERIFY(!shown->isModal());
    QCOMPARE(harness.readRegister(0), 1);

    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(harness.readRegisters(50, 2), (QVector<int>{0, 1}), Timeout);
    QVERIFY(!harness.outputWords().isEmpty());
    // Still there for the operator.
    QVERIFY(shown->isVisible());
    QVERIFY(!modalSeen);
}

QTEST_MAIN(StationStartupTest)
#include "tst_StationStartup.moc"
