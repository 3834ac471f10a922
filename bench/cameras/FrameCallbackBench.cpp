// The machine-vision drivers' frame callback at 1920 x 1080 colour: the SDK's 24-bit frame
// converted to the 32-bit frame straight into the hand-off, beside memcpy of the 32-bit frame's
// bytes in the same run; and how long each side holds the hand-off's lock per frame (the
// callback while it converts, the camera view while it copies the frame out). Goal: the
// callback within 2x memcpy.

#include "cameras/Do3thinkCamera.h"
#include "cameras/FrameHandoff.h"
#include "inspection/FrameConversions.h"

#include "bench/SampleStatistics.h"
#include "bench/inspection/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr size_t Pixels = size_t(Width) * Height;
constexpr size_t FrameBytes = Pixels * 4;

using Clock = std::chrono::steady_clock;

// A colour camera of the size above, opened as far as the hand-off goes; frame() is what each
// driver's frame callback does once the frame passed its checks.
class CallbackCamera : public Do3thinkCamera
{
public:
    CallbackCamera()
    {
        width = Width;
        height = Height;
        colorOutput = true;
        allocateFrames();
    }
    bool frame(const uchar *rgb) { return publishRgb24(rgb); }
};

struct Frames
{
    std::vector<uchar> rgb24 = std::vector<uchar>(Pixels * 3);
    std::vector<uchar> rgb32 = std::vector<uchar>(FrameBytes);
    std::vector<uchar> copyTarget = std::vector<uchar>(FrameBytes);

    Frames()
    {
        std::mt19937 random(7);
        for (uchar &byte : rgb24)
            byte = uchar(random());
        for (uchar &byte : rgb32)
            byte = uchar(random());
    }
};

Frames &frames()
{
    static Frames f;
    return f;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void frameMemcpy(benchmark::State &state)
{
    Frames &f = frames();
    for (auto _ : state) {
        std::memcpy(f.copyTarget.data(), f.rgb32.data(), FrameBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(FrameBytes));
}

void frameCallback(benchmark::State &state)
{
    Frames &f = frames();
    CallbackCamera camera;
    for (auto _ : state) {
        benchmark::DoNotOptimize(camera.frame(f.rgb24.data()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(FrameBytes));
}

void setHoldCounters(benchmark::State &state, const std::vector<double> &held)
{
    state.counters["held_p50_ms"] = percentile(held, 0.5) * 1e3;
    state.counters["held_p99_ms"] = percentile(held, 0.99) * 1e3;
}

// The callback's side: from the moment it has the lock until it lets go.
void publishLockHeld(benchmark::State &state)
{
    Frames &f = frames();
    FrameHandoff handoff;
    handoff.allocate(int(FrameBytes));
    std::vector<double> held;
    for (auto _ : state) {
        Clock::time_point locked;
        handoff.publishWith([&](uchar *frame, int) {
            locked = Clock::now();
            rgb24ToRgb32(frame, f.rgb24.data(), Width, Height);
        });
        const double seconds = secondsSince(locked);
        held.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    setHoldCounters(state, held);
}

// The camera view's side: a whole pull of a new frame, which holds the lock all along.
void pullLockHeld(benchmark::State &state)
{
    Frames &f = frames();
    FrameHandoff handoff;
    handoff.allocate(int(FrameBytes));
    std::vector<double> held;
    for (auto _ : state) {
        state.PauseTiming();
        handoff.publish(f.rgb32.data(), int(FrameBytes));
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(handoff.takeNewFrame(f.copyTarget.data(), int(FrameBytes)));
        const double seconds = secondsSince(start);
        held.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    setHoldCounters(state, held);
}

BENCHMARK(frameCallback)->Name("frameCallback");
BENCHMARK(frameMemcpy)->Name("frameCallback/memcpy");
BENCHMARK(publishLockHeld)->Name("lockHeldByCallback")->UseManualTime();
BENCHMARK(frameMemcpy)->Name("lockHeldByCallback/memcpy");
BENCHMARK(pullLockHeld)->Name("lockHeldByPull")->UseManualTime();
BENCHMARK(frameMemcpy)->Name("lockHeldByPull/memcpy");

} // namespace

int main(int argc, char **argv)
{
    return runWithRatios(argc, argv, [](const RatioReporter &reporter) {
        const double memcpyTime = reporter.secondsOf("frameCallback/memcpy");
        if (memcpyTime <= 0)
            return;
        const double callback = reporter.secondsOf("frameCallback");
        const double byCallback = reporter.secondsOf("lockHeldByCallback/manual_time");
        const double byPull = reporter.secondsOf("lockHeldByPull/manual_time");
        std::printf("\nframe callback: %.2fx memcpy (goal: within 2x)\n", callback / memcpyTime);
        std::printf("lock held per frame: by the callback %.3f ms (%.2fx memcpy), by the pull %.3f ms (%.2fx)\n",
                    byCallback * 1e3, byCallback / memcpyTime, byPull * 1e3, byPull / memcpyTime);
    });
}
