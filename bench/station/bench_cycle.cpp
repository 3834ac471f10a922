// The run controller with 8 cameras of 1920 x 1080 showing generated moulds, each with its
// template and 50 defect regions in both stages: the time of one Run pass (idle, and with a
// cycle start that captures and judges every camera at once) beside copying the same frames;
// and, with the I/O thread on a simulated board, the time from an input change on the wire to
// the output frames it causes, beside the I/O pass period; last, with the product stage in use
// too, an input edge sent while the cavity stage is judged.

#include "bench/SampleStatistics.h"
#include "cameras/CameraDiscovery.h"
#include "core/DefaultParameterFiles.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/ParameterManager.h"
#include "inspection/CammerSingleton.h"
#include "core/UiTexts.h"
#include "machineio/ControlPort.h"
#include "machineio/IOFrames.h"
#include "machineio/IOGlobals.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "station/TemplateFiles.h"
#include "tests/station/CycleCamera.h"
#include "tools/boardsim/BoardSimulator.h"
#include "tools/boardsim/DefectRegion.h"
#include "tools/framegen/MouldSynth.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QMutex>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int Cameras = 8;
constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int Samples = 40;
constexpr int CaptureDelayTenths = 1;
constexpr int Idle = 0x3FF;
constexpr int CloseForbidden = 0x001;
constexpr int EjectorOn = 0x002;
constexpr int EdgeSamples = 30;
constexpr int RegionsPerStage = 50;

struct Station
{
    std::unique_ptr<CycleCameraFamily> family;
    std::unique_ptr<BoardSimulator> board;
    std::unique_ptr<MoJuWizard> window;
    bool ioStarted = false;
};
Station *station = nullptr;

// Each camera sees its own generated mould; the mould is its template in stages 1 and 2, and
// 50 defect regions in a grid cover the mould in both, as a factory sets a camera up.
bool prepareMouldCameras(CycleCameraFamily &family)
{
    for (int c = 0; c < Cameras; ++c) {
        const synth::MouldLayout layout = synth::makeMouldLayout(std::uint32_t(40 + c), cv::Size(Width, Height));
        synth::Conditions conditions;
        conditions.noiseSeed = std::uint32_t(7 + c);
        const cv::Mat good = synth::renderMould(layout, {}, conditions);
        CammerSingleton config(c);
        QSqlQuery query = ParameterManager::instance()->paramQuery();
        if (good.empty() || !good.isContinuous() || !config.load(query, Width, Height))
            return false;
        const int w = Width * 8 / 100;
        const int h = Height * 14 / 100;
        for (int stage = 0; stage < 2; ++stage) {
            if (!QDir().mkpath(stageFolder(c, stage))
                || !saveTemplateImage(templateFilePath(c, stage, 0), Width, Height, false, good.data))
                return false;
            for (int i = 0; i < RegionsPerStage; ++i)
                addCavityDefectRegion(config, stage,
                                      cv::Rect(Width / 10 + (i % 10) * (w + w / 8), Height / 10 + (i / 10) * (h + h / 8),
                                               w - 12, h - 12));
        }
        if (!config.save(query))
            return false;
        family.controls[c].frame
            = QByteArray(reinterpret_cast<const char *>(good.data), int(good.total()));
    }
    return true;
}

void setInputWordDirectly(int word)
{
    QMutexLocker locker(ioMutex);
    ioInputWord = word;
}

// Runs the event loop until done() or the time-out has passed; false on time-out.
bool spinUntil(const std::function<bool()> &done, int timeoutMs = 1000)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(1);
    if (!done())
        loop.exec();
    return done();
}

void BM_RunPassIdle(benchmark::State &state)
{
    setInputWordDirectly(0);
    for (auto _ : state)
        station->window->Run();
}

// A pass that starts a cycle whose capture delay is 0: all eight cameras judged and the
// verdict taken in the pass; measured together with the idle pass that follows it.
void BM_RunPassWithCapture(benchmark::State &state)
{
    (*currentParams)[Param::CaptureDelay + 1] = 0;
    for (auto _ : state) {
        setInputWordDirectly(1);
        station->window->Run();
        setInputWordDirectly(0);
        station->window->Run();
    }
    state.counters["cycles"] = double(cycleTotalCount);
}

// The frames a pass moves: each camera's newest frame into its view, and into the picture shown.
void BM_CopyFrames_Reference(benchmark::State &state)
{
    std::vector<std::vector<uchar>> source(Cameras, std::vector<uchar>(Width * Height, 0x40));
    std::vector<std::vector<uchar>> frame(Cameras, std::vector<uchar>(Width * Height));
    std::vector<std::vector<uchar>> shown(Cameras, std::vector<uchar>(Width * Height));
    for (auto _ : state) {
        for (int c = 0; c < Cameras; ++c) {
            std::memcpy(frame[c].data(), source[c].data(), frame[c].size());
            shown[c] = frame[c];
        }
        benchmark::DoNotOptimize(shown.back().data());
    }
}

bool startIo()
{
    if (station->ioStarted)
        return true;
    controlPort->StartIOThread(station->window.get(), &MoJuWizard::Run);
    station->ioStarted = true;
    // Counted by this station's link: the board's own count goes on from an earlier station, and
    // an input set before the new link took its first word would be its starting state, no edge.
    return spinUntil([] { return controlPort->StatusReplyCount() > 20; });
}

// Mean gap between the board's polls: the I/O pass period.
double passPeriodMs()
{
    std::vector<double> arrivals;
    for (const BoardSimulator::Request &request : station->board->requests()) {
        if (quint8(request.bytes[1]) == IOFrame::Poll)
            arrivals.push_back(double(request.arrivalNs) / 1e6);
    }
    std::vector<double> gaps;
    for (size_t i = 1; i < arrivals.size(); ++i)
        gaps.push_back(arrivals[i] - arrivals[i - 1]);
    return mean(gaps);
}

// The mould-open end rises on the wire: the station forbids the mould at the cycle start and
// lets it go with the OK verdict after the capture delay.
void BM_InputToOutputFrame(benchmark::State &state)
{
    if (!startIo()) {
        state.SkipWithError("the I/O thread does not serve the board");
        return;
    }
    (*currentParams)[Param::CaptureDelay + 1] = CaptureDelayTenths;
    BoardSimulator &board = *station->board;
    for (auto _ : state) {
        std::vector<double> arming;
        std::vector<double> decision;
        for (int i = 0; i < Samples; ++i) {
            board.setInputWord(1);
            if (!spinUntil([&] { return board.outputWord() == (Idle & ~CloseForbidden); })) {
                state.SkipWithError("no cycle start on the wire");
                return;
            }
            const qint64 sent = board.inputSentNs();
            arming.push_back(double(board.outputsChangedNs() - sent) / 1e6);
            if (!spinUntil([&] { return board.outputWord() == Idle; })) {
                state.SkipWithError("no verdict on the wire");
                return;
            }
            decision.push_back(double(board.outputsChangedNs() - sent) / 1e6 - CaptureDelayTenths * 100.0);
            board.setInputWord(0);
            if (!spinUntil([] { return !controlPort->GetIOState(false, 0); })) {
                state.SkipWithError("the input did not fall");
                return;
            }
        }
        state.SetIterationTime(mean(decision) / 1e3 * Samples);
        const double period = passPeriodMs();
        state.counters["io_pass_ms"] = period;
        state.counters["start_p50_ms"] = percentile(arming, 0.5);
        state.counters["start_max_ms"] = *std::max_element(arming.begin(), arming.end());
        state.counters["decision_p50_ms"] = percentile(decision, 0.5);
        state.counters["decision_max_ms"] = *std::max_element(decision.begin(), decision.end());
        // The goal: within one run tick (100 ms) plus two I/O passes after the delay.
        state.counters["goal_ms"] = 100 + 2 * period;
    }
}

// The station built again with the product stage in use (set when the station is built), both
// stages on the mould-open end with a delay of 0.1 s each.
bool rebuildWithProductStage()
{
    station->window.reset();
    station->ioStarted = false;
    {
        QMutexLocker locker(ioMutex);
        ioInputWord = 0;
        ioOutputWord = -1;
    }
    ioLastOutputWord = 0;
    station->board->setInputWord(0);
    (*currentParams)[Param::StageEnabled] = 1;
    (*currentParams)[Param::ProductStage] = 1;
    (*currentParams)[Param::CaptureDelay] = CaptureDelayTenths;
    (*currentParams)[Param::CaptureDelay + 1] = CaptureDelayTenths;
    station->window = std::make_unique<MoJuWizard>();
    return cameraCount == Cameras && startIo();
}

// The first output word the board received after the steady-clock time sinceNs that matches.
double firstOutputAfterMs(qint64 sinceNs, const std::function<bool(int)> &matches)
{
    for (const BoardSimulator::Request &request : station->board->requests()) {
        const QByteArray &bytes = request.bytes;
        if (request.arrivalNs < sinceNs || bytes.size() != IOFrame::RequestSize
            || quint8(bytes[1]) != IOFrame::SetOutputs)
            continue;
        if (matches((quint8(bytes[2]) | quint8(bytes[3]) << 8) & 0x3FF))
            return double(request.arrivalNs - sinceNs) / 1e6;
    }
    return -1;
}

// A cycle runs both stages; while its cavity stage is judged the mould-open end rises again,
// sent from the judging thread as the first camera is taken, which waits until it is on the
// wire. Its cycle start holds the ejector (which the product stage's verdict had let go):
// "edge" is the time from that edge on the wire to the hold on the wire, "verdict" to the
// cavity verdict letting the mould go.
void BM_EdgeDuringJudge(benchmark::State &state)
{
    if (!rebuildWithProductStage()) {
        state.SkipWithError("the station with the product stage does not serve the board");
        return;
    }
    BoardSimulator &board = *station->board;
    std::atomic<bool> edgeOnCavity{false};
    // The camera taken first waits until the edge is on the wire, so that the edge comes while
    // the others are judged.
    station->window->setJudgeGate([&](int stage) {
        if (stage != 1 || !edgeOnCavity.exchange(false))
            return;
        const qint64 before = board.inputSentNs();
        board.setInputWord(1);
        const qint64 giveUp = BoardSimulator::nowNs() + qint64(50) * 1000000;
        while (board.inputSentNs() == before && BoardSimulator::nowNs() < giveUp)
            std::this_thread::yield();
    });
    for (auto _ : state) {
        std::vector<double> edge;
        std::vector<double> verdict;
        for (int i = 0; i < EdgeSamples; ++i) {
            const int cycles = cycleTotalCount;
            board.setInputWord(1);
            if (!spinUntil([&] { return controlPort->GetIOState(false, 0); })) {
                state.SkipWithError("no cycle start");
                return;
            }
            board.setInputWord(0);
            if (!spinUntil([] { return !controlPort->GetIOState(false, 0); })) {
                state.SkipWithError("the input did not fall");
                return;
            }
            edgeOnCavity = true;
            // The cycle, and the one the edge started.
            if (!spinUntil([&] { return cycleTotalCount >= cycles + 2 && board.outputWord() == Idle; }, 5000)) {
                state.SkipWithError("the two cycles did not end");
                return;
            }
            const qint64 sent = board.inputSentNs();
            edge.push_back(firstOutputAfterMs(sent, [](int word) { return (word & EjectorOn) == 0; }));
            verdict.push_back(firstOutputAfterMs(sent, [](int word) { return (word & CloseForbidden) != 0; }));
            board.setInputWord(0);
            if (!spinUntil([] { return !controlPort->GetIOState(false, 0); })) {
                state.SkipWithError("the input did not fall");
                return;
            }
        }
        state.SetIterationTime(mean(edge) / 1e3 * EdgeSamples);
        state.counters["io_pass_ms"] = passPeriodMs();
        state.counters["edge_p50_ms"] = percentile(edge, 0.5);
        state.counters["edge_p90_ms"] = percentile(edge, 0.9);
        state.counters["edge_max_ms"] = *std::max_element(edge.begin(), edge.end());
        state.counters["verdict_p50_ms"] = percentile(verdict, 0.5);
        state.counters["verdict_max_ms"] = *std::max_element(verdict.begin(), verdict.end());
    }
    station->window->setJudgeGate(nullptr);
}

BENCHMARK(BM_RunPassIdle)->Unit(benchmark::kMillisecond);
// Several cycles: the first one also fills the engines' buffers.
BENCHMARK(BM_RunPassWithCapture)->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyFrames_Reference)->Unit(benchmark::kMillisecond);
// CPU: every thread of the process over the 40 cycles (the machine is shared; wall times drift).
BENCHMARK(BM_InputToOutputFrame)->Iterations(1)->UseManualTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
// Last: it builds the station again.
BENCHMARK(BM_EdgeDuringJudge)->Iterations(1)->UseManualTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()))
        return 1;
    QMutex io;
    QMutex images;
    ioMutex = &io;
    imageSaveMutex = &images;
    MoJuWizard::modbusPort = 0;
    if (!loadUiTexts() || !QDir().mkpath(QStringLiteral("paraGroup/default"))
        || !writeDefaultParamDatabase(QStringLiteral("PARAM.db"))
        || !writeDefaultSerialDatabase(QStringLiteral("SN.db")))
        return 1;
    ParameterManager::instance()->Init();
    currentParams = ParameterManager::instance()->currentRecord();
    editParams = ParameterManager::instance()->editRecord();
    (*currentParams)[Param::NoSignalSeconds] = 0;

    Station theStation;
    station = &theStation;
    theStation.family = std::make_unique<CycleCameraFamily>(Width, Height, Cameras);
    if (!prepareMouldCameras(*theStation.family))
        return 1;
    theStation.board = std::make_unique<BoardSimulator>();
    if (!theStation.board->isValid() || !theStation.board->linkAs(QStringLiteral("COM1")))
        return 1;
    theStation.window = std::make_unique<MoJuWizard>();
    if (cameraCount != Cameras)
        return 1;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theStation.window.reset();
    station = nullptr;
    return 0;
}
