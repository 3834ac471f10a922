// I/O board link on a pseudo-terminal with the simulated board: the pass period, the delay from
// a changed input on the wire to the receiver slot, and from a published output word to its
// frame on the wire. References: a bare 5 ms sleep loop and the one-way pty latency.

#include "bench/SampleStatistics.h"
#include "core/Globals.h"
#include "core/SystemParameters.h"
#include "machineio/ControlPort.h"
#include "machineio/IOFrames.h"
#include "machineio/IOGlobals.h"
#include "tools/boardsim/BoardSimulator.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMutex>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int Samples = 100;

struct LinkUnderTest
{
    BoardSimulator board;
    ControlPort port{board.slaveName()};
    QObject receiver;
    qint64 slotNs = 0;
    QEventLoop *waiting = nullptr;
};
std::unique_ptr<LinkUnderTest> theLink;

void report(benchmark::State &state, const std::vector<double> &ms)
{
    state.counters["p50_ms"] = percentile(ms, 0.50);
    state.counters["p99_ms"] = percentile(ms, 0.99);
    state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
}

// Arrival times of the scheduled requests (not command 1), in ms.
std::vector<double> scheduledArrivals()
{
    std::vector<double> times;
    for (const BoardSimulator::Request &request : theLink->board.requests()) {
        if (request.bytes[1] != char(IOFrame::SetOutputs))
            times.push_back(double(request.arrivalNs) / 1e6);
    }
    return times;
}

double passPeriodMs = 5.0;

void BM_PassPeriod(benchmark::State &state)
{
    for (auto _ : state) {
        const size_t before = scheduledArrivals().size();
        for (int i = 0; i < 10; ++i) {
            theLink->port.TouchHeartbeat();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        const std::vector<double> times = scheduledArrivals();
        std::vector<double> gaps;
        for (size_t i = before + 1; i < times.size(); ++i)
            gaps.push_back(times[i] - times[i - 1]);
        state.SetIterationTime(1.0);
        passPeriodMs = mean(gaps);
        state.counters["period_ms"] = passPeriodMs;
        state.counters["p99_gap_ms"] = percentile(gaps, 0.99);
    }
}

void BM_SleepLoop5ms_Reference(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<double> gaps;
        auto last = std::chrono::steady_clock::now();
        for (int i = 0; i < 200; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const auto now = std::chrono::steady_clock::now();
            gaps.push_back(std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        }
        state.SetIterationTime(1.0);
        state.counters["period_ms"] = mean(gaps);
        state.counters["p99_gap_ms"] = percentile(gaps, 0.99);
    }
}

void BM_InputToSlot(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<double> delays;
        int word = 0;
        for (int i = 0; i < Samples; ++i) {
            theLink->port.TouchHeartbeat();
            word ^= 1;
            QEventLoop loop;
            QTimer::singleShot(1000, &loop, &QEventLoop::quit);
            theLink->slotNs = 0;
            theLink->waiting = &loop;
            theLink->board.setInputWord(word);
            loop.exec();
            theLink->waiting = nullptr;
            if (theLink->slotNs == 0) {
                state.SkipWithError("the receiver was not called");
                return;
            }
            delays.push_back(double(theLink->slotNs - theLink->board.inputSentNs()) / 1e6);
        }
        state.SetIterationTime(mean(delays) / 1e3 * Samples);
        report(state, delays);
        state.counters["max_passes"] = *std::max_element(delays.begin(), delays.end()) / passPeriodMs;
    }
}

void BM_OutputToWire(benchmark::State &state)
{
    for (auto _ : state) {
        std::vector<double> delays;
        bool on = false;
        for (int i = 0; i < Samples; ++i) {
            theLink->port.TouchHeartbeat();
            on = !on;
            const qint64 published = BoardSimulator::nowNs();
            theLink->port.SetOutput(4, on);
            theLink->port.PublishOutputs();
            const int expected = on ? 0x010 : 0x000;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            while (theLink->board.outputWord() != expected && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            if (theLink->board.outputWord() != expected) {
                state.SkipWithError("the output word did not reach the board");
                return;
            }
            delays.push_back(double(theLink->board.outputsChangedNs() - published) / 1e6);
            // Start the next sample at a random point of the pass.
            std::this_thread::sleep_for(std::chrono::microseconds(1000 + 377 * (i % 11)));
        }
        state.SetIterationTime(mean(delays) / 1e3 * Samples);
        report(state, delays);
        state.counters["max_passes"] = *std::max_element(delays.begin(), delays.end()) / passPeriodMs;
    }
}

// One way through a pseudo-terminal: 8 bytes written on the master, read on the slave.
void BM_PtyOneWay_Reference(benchmark::State &state)
{
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    termios settings;
    tcgetattr(slave, &settings);
    cfmakeraw(&settings);
    tcsetattr(slave, TCSANOW, &settings);
    const QByteArray frame = boardStatus(1, 0);
    for (auto _ : state) {
        std::vector<double> delays;
        for (int i = 0; i < Samples; ++i) {
            const qint64 start = BoardSimulator::nowNs();
            if (write(master, frame.constData(), size_t(frame.size())) != frame.size())
                break;
            char bytes[8];
            int received = 0;
            while (received < 8) {
                pollfd descriptor = {slave, POLLIN, 0};
                poll(&descriptor, 1, 1000);
                const ssize_t got = read(slave, bytes + received, size_t(8 - received));
                if (got <= 0)
                    break;
                received += int(got);
            }
            delays.push_back(double(BoardSimulator::nowNs() - start) / 1e6);
        }
        state.SetIterationTime(mean(delays) / 1e3 * Samples);
        report(state, delays);
    }
    close(slave);
    close(master);
}

BENCHMARK(BM_PassPeriod)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SleepLoop5ms_Reference)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InputToSlot)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputToWire)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PtyOneWay_Reference)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    SystemParameters params;
    QMutex mutex;
    currentParams = &params;
    ioMutex = &mutex;

    theLink = std::make_unique<LinkUnderTest>();
    if (!theLink->board.isValid())
        return 1;
    theLink->port.StartIOThread(&theLink->receiver, [] {
        theLink->port.CheckInput(0);
        theLink->slotNs = BoardSimulator::nowNs();
        if (theLink->waiting)
            theLink->waiting->quit();
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (theLink->board.requestCount() < 10 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (theLink->board.requestCount() < 10)
        return 1;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theLink.reset();
    currentParams = nullptr;
    return 0;
}
