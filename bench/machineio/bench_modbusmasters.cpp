// Modbus TCP under load: 1, 8, 64 and 256 libmodbus masters poll the server back to back for
// a fixed time while 1,000 idle connections were opened before them, as a plant's supervision,
// a few engineering tools and a flood of stale connections would. Reported per master count:
// requests per second, errors (failed reads and refused or closed connections of a polling
// master) and the round trip percentiles. Goal: 0 errors at every count; the server keeps at
// most ModbusServer::MaxClients connections, closing idle ones, never a master that polls.
//
// The server and the idle connections live in processes of their own: libmodbus waits with
// select(), which takes no descriptor above 1023, so the masters' process keeps its descriptors
// few. The run takes MM_BENCH_SECONDS (default 20) per master count. The descriptor soft limit
// is raised to the hard one at start (the server's process holds up to 800 descriptors, the
// flood's 1,000).

#include "bench/SampleStatistics.h"
#include "machineio/ModbusServer.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <modbus.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int IdleConnections = 1000;
constexpr int ReadCount = 10;

using Clock = std::chrono::steady_clock;

quint16 serverPort = 0;

int runSeconds()
{
    const char *text = std::getenv("MM_BENCH_SECONDS");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 20;
}

// Blocks until the other end of the pipe is closed.
void waitForClose(int fd)
{
    char byte;
    while (::read(fd, &byte, 1) > 0) {
    }
}

// A process of its own that holds IdleConnections connections that never send anything, until
// the object ends.
class IdleFlood
{
public:
    explicit IdleFlood(quint16 port)
    {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int opened = openConnections(port);
            if (::write(ready[1], &opened, sizeof opened) != ssize_t(sizeof opened))
                ::_exit(1);
            waitForClose(release[0]);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        releaseFd = release[1];
        if (child < 0 || ::read(ready[0], &count, sizeof count) != ssize_t(sizeof count))
            count = 0;
        ::close(ready[0]);
    }
    ~IdleFlood()
    {
        if (releaseFd >= 0)
            ::close(releaseFd);
        if (child > 0)
            ::waitpid(child, nullptr, 0);
    }
    int opened() const { return count; }

private:
    // The connections stay open until the process ends.
    static int openConnections(quint16 port)
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int opened = 0;
        for (int i = 0; i < IdleConnections; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            if (fd < 0)
                break;
            if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
                ++opened;
        }
        return opened;
    }

    pid_t child = -1;
    int releaseFd = -1;
    int count = 0;
};

// One master: reads registers back to back until stopped; a failed read or connect counts as
// an error and the master connects anew, as a supervision program does.
struct Master
{
    std::vector<double> latenciesUs;
    long reads = 0;
    long errors = 0;
    long connectErrors = 0;
    int firstErrno = 0;

    void run(quint16 port, const std::atomic<bool> &go, const std::atomic<bool> &stop)
    {
        modbus_t *context = modbus_new_tcp("127.0.0.1", port);
        modbus_set_slave(context, 1);
        modbus_set_response_timeout(context, 2, 0);
        latenciesUs.reserve(1 << 16);
        bool connected = false;
        while (!go.load())
            std::this_thread::yield();
        while (!stop.load()) {
            if (!connected) {
                connected = modbus_connect(context) == 0;
                if (!connected) {
                    if (errors == 0)
                        firstErrno = errno;
                    ++errors;
                    ++connectErrors;
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    continue;
                }
            }
            uint16_t values[ReadCount];
            const auto start = Clock::now();
            if (modbus_read_registers(context, 0, ReadCount, values) != ReadCount || values[1] != 1) {
                if (errors == 0)
                    firstErrno = errno;
                ++errors;
                modbus_close(context);
                connected = false;
                continue;
            }
            latenciesUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            ++reads;
        }
        modbus_close(context);
        modbus_free(context);
    }
};

void BM_PollingMasters(benchmark::State &state)
{
    const int masterCount = int(state.range(0));
    const quint16 port = serverPort;
    for (auto _ : state) {
        const IdleFlood idle(port);
        if (idle.opened() < IdleConnections) {
            state.SkipWithError("cannot open the idle connections (raise ulimit -n)");
            return;
        }
        std::vector<Master> masters(static_cast<size_t>(masterCount));
        std::atomic<bool> go{false};
        std::atomic<bool> stop{false};
        std::vector<std::thread> threads;
        for (Master &master : masters)
            threads.emplace_back([&master, port, &go, &stop] { master.run(port, go, stop); });
        const auto start = Clock::now();
        go.store(true);
        std::this_thread::sleep_for(std::chrono::seconds(runSeconds()));
        stop.store(true);
        for (std::thread &thread : threads)
            thread.join();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);

        long reads = 0;
        long errors = 0;
        long connectErrors = 0;
        std::vector<double> all;
        for (const Master &master : masters) {
            reads += master.reads;
            errors += master.errors;
            connectErrors += master.connectErrors;
            if (master.firstErrno != 0)
                std::fprintf(stderr, "first failure: %s\n", modbus_strerror(master.firstErrno));
            all.insert(all.end(), master.latenciesUs.begin(), master.latenciesUs.end());
        }
        state.counters["req/s"] = double(reads) / seconds;
        state.counters["errors"] = double(errors);
        state.counters["connect_errors"] = double(connectErrors);
        state.counters["p50_us"] = percentile(all, 0.50);
        state.counters["p99_us"] = percentile(all, 0.99);
    }
}

BENCHMARK(BM_PollingMasters)
    ->Name("masters_beside_1000_idle")
    ->Arg(1)
    ->Arg(8)
    ->Arg(64)
    ->Arg(256)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

void raiseDescriptorLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// The server in a process of its own, until the pipe to it is closed; returns its port, 0 when
// it could not listen.
quint16 startServerProcess(int *release)
{
    int ready[2];
    int stop[2];
    if (::pipe(ready) != 0 || ::pipe(stop) != 0)
        return 0;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        ::close(stop[1]);
        int argc = 1;
        char name[] = "modbus-server";
        char *argv[] = {name, nullptr};
        QCoreApplication application(argc, argv);
        ModbusServer server(QHostAddress::LocalHost, 0);
        for (int i = 0; i < 500; ++i)
            server.SetReadRegister(i, short(i));
        const quint16 port = server.serverPort();
        if (::write(ready[1], &port, sizeof port) != ssize_t(sizeof port))
            ::_exit(1);
        waitForClose(stop[0]);
        server.Stop();
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(stop[0]);
    *release = stop[1];
    quint16 port = 0;
    if (child < 0 || ::read(ready[0], &port, sizeof port) != ssize_t(sizeof port))
        port = 0;
    ::close(ready[0]);
    return port;
}

} // namespace

int main(int argc, char **argv)
{
    raiseDescriptorLimit();
    int release = -1;
    serverPort = startServerProcess(&release);
    if (serverPort == 0)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ::close(release);
    ::wait(nullptr);
    return 0;
}
