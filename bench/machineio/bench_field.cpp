// The machine link when the field misbehaves, each figure beside a plain reference of the same
// run:
// - another master's read round trip and the process's memory while one master sends requests
//   without reading the answers, beside the same master on a quiet server;
// - output latency (output word published -> applied by the board) against boards answering in
//   1, 10 and 30 ms, beside a frame written straight to the same board;
// - time from a replaced port (the new board linked under the port's name) to the first answered
//   poll, beside a link started on a board that is already there.

#include "bench/SampleStatistics.h"
#include "core/Globals.h"
#include "core/SystemParameters.h"
#include "machineio/ControlPort.h"
#include "machineio/IOFrames.h"
#include "machineio/ModbusServer.h"
#include "tools/boardsim/BoardSimulator.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <modbus.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Resident memory of this process in MB.
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

void report(benchmark::State &state, const std::vector<double> &ms)
{
    state.counters["p50_ms"] = percentile(ms, 0.50);
    state.counters["max_ms"] = ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end());
    state.SetIterationTime(mean(ms) / 1e3);
}

// --- Modbus: one master that does not read ------------------------------------------------

constexpr int RoundTrips = 400;
double quietP50 = 0;

// Sends read requests of 125 registers without ever reading, until stopped.
class NonReadingMaster
{
public:
    explicit NonReadingMaster(quint16 port)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
        thread = std::thread([this] {
            const QByteArray requests = QByteArray::fromHex("00000000000601030000007D").repeated(512);
            while (!stop.load()) {
                const int offset = int(sent % requests.size());
                const ssize_t n = ::send(fd, requests.constData() + offset, size_t(requests.size() - offset),
                                         MSG_DONTWAIT | MSG_NOSIGNAL);
                if (n > 0)
                    sent += n;
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    ~NonReadingMaster()
    {
        stop.store(true);
        thread.join();
        ::close(fd);
    }
    qint64 bytesSent() const { return sent; }

private:
    int fd = -1;
    std::atomic<bool> stop{false};
    std::atomic<qint64> sent{0};
    std::thread thread;
};

std::vector<double> readRoundTrips(quint16 port)
{
    std::vector<double> ms;
    modbus_t *master = modbus_new_tcp("127.0.0.1", port);
    modbus_set_slave(master, 1);
    modbus_set_response_timeout(master, 5, 0);
    if (modbus_connect(master) != 0) {
        modbus_free(master);
        return ms;
    }
    uint16_t values[10];
    for (int i = 0; i < RoundTrips; ++i) {
        const auto start = Clock::now();
        if (modbus_read_registers(master, 0, 10, values) != 10)
            break;
        ms.push_back(msSince(start));
        // A host polls now and then, not back to back.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    modbus_close(master);
    modbus_free(master);
    return ms;
}

void BM_ModbusReadQuiet_Reference(benchmark::State &state)
{
    ModbusServer server(QHostAddress::LocalHost, 0);
    for (auto _ : state) {
        const std::vector<double> ms = readRoundTrips(server.serverPort());
        if (ms.size() != size_t(RoundTrips)) {
            state.SkipWithError("reads failed");
            return;
        }
        quietP50 = percentile(ms, 0.5);
        report(state, ms);
        state.counters["rss_mb"] = residentMb();
    }
}

void BM_ModbusReadBesideNonReadingMaster(benchmark::State &state)
{
    ModbusServer server(QHostAddress::LocalHost, 0);
    for (auto _ : state) {
        const double before = residentMb();
        NonReadingMaster flooder(server.serverPort());
        // Let it fill what the connection holds.
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const std::vector<double> ms = readRoundTrips(server.serverPort());
        const double during = residentMb();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        if (ms.size() != size_t(RoundTrips)) {
            state.SkipWithError("reads failed");
            return;
        }
        report(state, ms);
        state.counters["p50_vs_quiet"] = quietP50 > 0 ? percentile(ms, 0.5) / quietP50 : 0;
        state.counters["rss_growth_mb"] = residentMb() - before;
        state.counters["rss_growth_reading_mb"] = during - before;
        state.counters["flood_sent_mb"] = double(flooder.bytesSent()) / 1e6;
    }
}

// --- Output latency against slow boards ---------------------------------------------------

constexpr int OutputSamples = 40;

bool waitFor(const std::function<bool()> &done, int ms)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Starts the link's polling thread; true once the board has answered more than `replies` polls.
bool startPolling(ControlPort &port, QObject &receiver, quint64 replies)
{
    port.StartIOThread(&receiver, [] {});
    return waitFor([&] { return port.StatusReplyCount() > replies; }, 5000);
}

void BM_OutputLatency(benchmark::State &state)
{
    const int delay = int(state.range(0));
    BoardSimulator board;
    board.setRecording(false);
    board.setReplyDelayMs(delay);
    ControlPort port(board.slaveName());
    QObject receiver;
    if (!startPolling(port, receiver, 10)) {
        state.SkipWithError("the board is not polled");
        return;
    }
    for (auto _ : state) {
        std::vector<double> ms;
        bool on = false;
        for (int i = 0; i < OutputSamples; ++i) {
            port.TouchHeartbeat();
            on = !on;
            const qint64 published = BoardSimulator::nowNs();
            port.SetOutput(4, on);
            port.PublishOutputs();
            const int expected = on ? 0x010 : 0x000;
            if (!waitFor([&] { return board.outputWord() == expected; }, 5000)) {
                state.SkipWithError("the output word did not reach the board");
                return;
            }
            ms.push_back(double(board.outputsChangedNs() - published) / 1e6);
            // The next sample starts at another point of the polling.
            std::this_thread::sleep_for(std::chrono::microseconds(3000 + 1777 * (i % 13)));
        }
        report(state, ms);
        state.counters["board_queue_max"] = board.maxQueued();
    }
}

// A command-1 frame written straight to the same board, nothing else on the line.
void BM_OutputLatencyDirectFrame_Reference(benchmark::State &state)
{
    const int delay = int(state.range(0));
    BoardSimulator board;
    board.setRecording(false);
    board.setReplyDelayMs(delay);
    const int fd = ::open(board.slaveName().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    for (auto _ : state) {
        std::vector<double> ms;
        for (int i = 0; i < OutputSamples; ++i) {
            const int expected = i % 2 ? 0x000 : 0x010;
            const IORequestFrame frame = makeRequestFrame(IOFrame::SetOutputs, expected);
            const qint64 written = BoardSimulator::nowNs();
            if (::write(fd, frame.data(), frame.size()) != qint64(frame.size())
                || !waitFor([&] { return board.outputWord() == expected; }, 5000)) {
                state.SkipWithError("the frame did not reach the board");
                ::close(fd);
                return;
            }
            ms.push_back(double(board.outputsChangedNs() - written) / 1e6);
        }
        report(state, ms);
    }
    ::close(fd);
}

// --- A replaced port ----------------------------------------------------------------------

constexpr int Replacements = 5;

void BM_ReplacedPortToFirstAnsweredPoll(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("board"));
    auto board = std::make_unique<BoardSimulator>();
    board->linkAs(path);
    ControlPort port(path);
    QObject receiver;
    if (!startPolling(port, receiver, 10)) {
        state.SkipWithError("the board is not polled");
        return;
    }
    for (auto _ : state) {
        std::vector<double> ms;
        for (int i = 0; i < Replacements; ++i) {
            port.TouchHeartbeat();
            board.reset();
            // The new device appears a moment after the old one went, at another point of the
            // reopening interval each time.
            std::this_thread::sleep_for(std::chrono::milliseconds(50 + 97 * i));
            board = std::make_unique<BoardSimulator>();
            const quint64 replies = port.StatusReplyCount();
            const auto linked = Clock::now();
            board->linkAs(path);
            if (!waitFor([&] { return port.StatusReplyCount() > replies; }, 5000)) {
                state.SkipWithError("the new board is not polled");
                return;
            }
            ms.push_back(msSince(linked));
        }
        report(state, ms);
    }
}

// A link started on a board that is already there: opening the port and the first poll.
void BM_FreshLinkToFirstAnsweredPoll_Reference(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<double> ms;
        for (int i = 0; i < Replacements; ++i) {
            BoardSimulator board;
            const auto start = Clock::now();
            ControlPort port(board.slaveName());
            QObject receiver;
            if (!startPolling(port, receiver, 0)) {
                state.SkipWithError("the board is not polled");
                return;
            }
            ms.push_back(msSince(start));
        }
        report(state, ms);
    }
}

BENCHMARK(BM_ModbusReadQuiet_Reference)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModbusReadBesideNonReadingMaster)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputLatency)->Arg(1)->Arg(10)->Arg(30)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputLatencyDirectFrame_Reference)->Arg(1)->Arg(10)->Arg(30)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplacedPortToFirstAnsweredPoll)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreshLinkToFirstAnsweredPoll_Reference)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    SystemParameters params;
    QMutex mutex;
    currentParams = &params;
    ioMutex = &mutex;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    currentParams = nullptr;
    ioMutex = nullptr;
    return 0;
}
