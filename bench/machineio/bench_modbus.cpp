// Modbus TCP: requests per second and round trip of a 125-register read, with 1 and 8 clients,
// for our server beside a minimal libmodbus server answering the same requests in the same run.
// Run it on one core (taskset -c N): client, server and reference then share it, so the time
// per request is the CPU cost of a request. Goal: ours no dearer than libmodbus.

#include "bench/SampleStatistics.h"
#include "bench/inspection/RatioReporter.h"
#include "machineio/ModbusServer.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <modbus.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int ReadCount = 125;
constexpr int ReplySize = 9 + 2 * ReadCount;
constexpr int RequestsPerRun = 8000;

using Clock = std::chrono::steady_clock;

// The plain libmodbus server of its own examples: one thread, select() over the clients,
// modbus_receive() and modbus_reply() on a 500-register mapping.
class LibmodbusServer
{
public:
    LibmodbusServer()
    {
        context = modbus_new_tcp("127.0.0.1", 0);
        mapping = modbus_mapping_new(0, 0, 500, 0);
        listener = modbus_tcp_listen(context, 16);
        sockaddr_in address = {};
        socklen_t size = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr *>(&address), &size);
        boundPort = ntohs(address.sin_port);
        for (int i = 0; i < 500; ++i)
            mapping->tab_registers[i] = uint16_t(i);
        thread = std::thread([this] { serve(); });
    }
    ~LibmodbusServer()
    {
        stop.store(true);
        thread.join();
        close(listener);
        modbus_mapping_free(mapping);
        modbus_free(context);
    }
    quint16 port() const { return boundPort; }

private:
    void serve()
    {
        fd_set clients;
        FD_ZERO(&clients);
        FD_SET(listener, &clients);
        int highest = listener;
        uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
        while (!stop.load()) {
            fd_set ready = clients;
            timeval timeout = {0, 100000};
            if (select(highest + 1, &ready, nullptr, nullptr, &timeout) <= 0)
                continue;
            for (int fd = 0; fd <= highest; ++fd) {
                if (!FD_ISSET(fd, &ready))
                    continue;
                if (fd == listener) {
                    const int client = accept(listener, nullptr, nullptr);
                    if (client >= 0) {
                        FD_SET(client, &clients);
                        highest = std::max(highest, client);
                    }
                    continue;
                }
                modbus_set_socket(context, fd);
                const int size = modbus_receive(context, query);
                if (size > 0) {
                    modbus_reply(context, query, size, mapping);
                } else if (size == -1) {
                    close(fd);
                    FD_CLR(fd, &clients);
                }
            }
        }
        for (int fd = 0; fd <= highest; ++fd) {
            if (fd != listener && FD_ISSET(fd, &clients))
                close(fd);
        }
    }

    modbus_t *context = nullptr;
    modbus_mapping_t *mapping = nullptr;
    int listener = -1;
    quint16 boundPort = 0;
    std::atomic<bool> stop{false};
    std::thread thread;
};

// A master on a plain socket: sends one read request and waits for the whole reply.
class Client
{
public:
    explicit Client(quint16 port)
    {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~Client() { close(fd); }
    bool isConnected() const { return connected; }

    bool readRegisters(quint16 transaction)
    {
        const uint8_t request[12] = {uint8_t(transaction >> 8), uint8_t(transaction), 0, 0, 0, 6, 1, 3,
                                     0, 0, 0, ReadCount};
        if (send(fd, request, sizeof request, 0) != ssize_t(sizeof request))
            return false;
        uint8_t reply[ReplySize];
        int received = 0;
        while (received < ReplySize) {
            const ssize_t got = recv(fd, reply + received, size_t(ReplySize - received), 0);
            if (got <= 0)
                return false;
            received += int(got);
        }
        return reply[0] == request[0] && reply[1] == request[1] && reply[7] == 3;
    }

private:
    int fd = -1;
    bool connected = false;
};

// Runs RequestsPerRun reads spread over the clients per iteration; reports the throughput and
// the round trip percentiles over all requests.
void runReads(benchmark::State &state, quint16 port)
{
    const int clientCount = int(state.range(0));
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < clientCount; ++i) {
        clients.push_back(std::make_unique<Client>(port));
        if (!clients.back()->isConnected()) {
            state.SkipWithError("cannot connect");
            return;
        }
    }
    std::vector<std::vector<double>> latencies(clients.size());
    std::atomic<bool> failed{false};
    double seconds = 0;
    long requests = 0;
    for (auto _ : state) {
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int c = 0; c < clientCount; ++c) {
            threads.emplace_back([&, c] {
                while (!go.load())
                    std::this_thread::yield();
                for (int r = 0; r < RequestsPerRun / clientCount; ++r) {
                    const auto start = Clock::now();
                    if (!clients[size_t(c)]->readRegisters(quint16(r))) {
                        failed.store(true);
                        return;
                    }
                    latencies[size_t(c)].push_back(
                        std::chrono::duration<double, std::micro>(Clock::now() - start).count());
                }
            });
        }
        const auto start = Clock::now();
        go.store(true);
        for (std::thread &thread : threads)
            thread.join();
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        requests += RequestsPerRun / clientCount * clientCount;
    }
    if (failed.load()) {
        state.SkipWithError("a request failed");
        return;
    }
    std::vector<double> all;
    for (const std::vector<double> &samples : latencies)
        all.insert(all.end(), samples.begin(), samples.end());
    state.counters["req/s"] = double(requests) / seconds;
    state.counters["p50_us"] = percentile(all, 0.50);
    state.counters["p99_us"] = percentile(all, 0.99);
}

std::unique_ptr<ModbusServer> ourServer;
std::unique_ptr<LibmodbusServer> referenceServer;

void BM_Read125_ModbusServer(benchmark::State &state)
{
    runReads(state, ourServer->serverPort());
}

void BM_Read125_LibmodbusReference(benchmark::State &state)
{
    runReads(state, referenceServer->port());
}

BENCHMARK(BM_Read125_ModbusServer)
    ->Name("read125")
    ->Arg(1)
    ->Arg(8)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read125_LibmodbusReference)
    ->Name("read125/libmodbus")
    ->Arg(1)
    ->Arg(8)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void printGoal(const RatioReporter &reporter)
{
    const double ours = reporter.secondsOf("read125/1/iterations:3/manual_time");
    const double theirs = reporter.secondsOf("read125/libmodbus/1/iterations:3/manual_time");
    if (ours <= 0 || theirs <= 0)
        return;
    std::printf("  one client: %.1f us a request, libmodbus %.1f us: %.2fx (goal <= 1.00x: %s)\n",
                ours / RequestsPerRun * 1e6, theirs / RequestsPerRun * 1e6, ours / theirs,
                ours <= theirs ? "met" : "MISSED");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ourServer = std::make_unique<ModbusServer>(QHostAddress::LocalHost, 0);
    for (int i = 0; i < 500; ++i)
        ourServer->SetReadRegister(i, short(i));
    referenceServer = std::make_unique<LibmodbusServer>();
    if (!ourServer->isListening() || referenceServer->port() == 0)
        return 1;

    const int result = runWithRatios(argc, argv, printGoal);
    ourServer.reset();
    referenceServer.reset();
    return result;
}
