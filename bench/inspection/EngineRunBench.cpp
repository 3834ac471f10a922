// Speed of the per-region evaluation (run) of one stage with 50 regions, mono 1280 x 1024 and
// colour 2448 x 2048, filter sizes 3, 15 and 51, each beside plain OpenCV calls judging the
// same regions; and one trigger of 8 mono 1280 x 1024 cameras with positioning and 50 regions
// each, beside the station's 100 ms run tick. Run it pinned to two cores
// (taskset -c 0,1) in a Release build; OpenCV uses the station's thread setting.

#include "bench/inspection/EngineBenchScene.h"
#include "bench/inspection/PyramidMatch.h"
#include "bench/inspection/RatioReporter.h"
#include "core/ParameterNames.h"
#include "inspection/DetectionRuntime.h"

#include <benchmark/benchmark.h>

#include <opencv2/imgproc.hpp>

#include <array>
#include <memory>

namespace {

DetectionSettings &settings()
{
    static DetectionSettings s;
    return s;
}

// A camera whose frame has been registered and positioned, ready for run.
std::unique_ptr<bench::Camera> captured(cv::Size size, bool colour)
{
    auto c = std::make_unique<bench::Camera>(size, colour);
    c->capture();
    c->trigger();
    return c;
}

bench::Camera &camera(bool colour)
{
    static const std::unique_ptr<bench::Camera> mono = captured(cv::Size(1280, 1024), false);
    static const std::unique_ptr<bench::Camera> rgb = captured(cv::Size(2448, 2048), true);
    return colour ? *rgb : *mono;
}

void runStage(benchmark::State &state, bool colour)
{
    settings()[Param::FilterSize] = int(state.range(0));
    bench::Camera &c = camera(colour);
    for (auto _ : state) {
        c.engine->run(0);
        benchmark::DoNotOptimize(c.host.results->resultOk);
    }
}

void plainStage(benchmark::State &state, bool colour)
{
    const int filter = int(state.range(0));
    bench::Camera &c = camera(colour);
    cv::Mat plane;
    for (auto _ : state) {
        if (colour)
            cv::cvtColor(c.host.positioned, plane, cv::COLOR_BGRA2GRAY);
        else
            plane = c.host.positioned;
        benchmark::DoNotOptimize(bench::plainRegions(plane, c.templatePlane, c.regions, filter));
    }
}

void runMono(benchmark::State &state) { runStage(state, false); }
void plainMono(benchmark::State &state) { plainStage(state, false); }
void runColour(benchmark::State &state) { runStage(state, true); }
void plainColour(benchmark::State &state) { plainStage(state, true); }

BENCHMARK(runMono)->Name("run_mono_1280x1024")->Arg(3)->Arg(15)->Arg(51)->Unit(benchmark::kMillisecond);
BENCHMARK(plainMono)->Name("run_mono_1280x1024/plain_opencv")->Arg(3)->Arg(15)->Arg(51)->Unit(benchmark::kMillisecond);
BENCHMARK(runColour)->Name("run_colour_2448x2048")->Arg(3)->Arg(15)->Arg(51)->Unit(benchmark::kMillisecond);
BENCHMARK(plainColour)
    ->Name("run_colour_2448x2048/plain_opencv")
    ->Arg(3)
    ->Arg(15)
    ->Arg(51)
    ->Unit(benchmark::kMillisecond);

// Eight cameras, each with the default positioning target searched over the whole frame.
std::array<std::unique_ptr<bench::Camera>, 8> &cameras()
{
    static std::array<std::unique_ptr<bench::Camera>, 8> all;
    if (!all[0]) {
        settings()[Param::FilterSize] = 3;
        for (size_t i = 0; i < all.size(); ++i) {
            all[i] = std::make_unique<bench::Camera>(cv::Size(1280, 1024), false, std::uint32_t(10 + i));
            all[i]->capture(cv::Point2f(float(i) - 4, 3 - float(i)));
        }
    }
    return all;
}

void trigger(benchmark::State &state)
{
    auto &all = cameras();
    for (auto _ : state) {
        for (auto &c : all)
            c->trigger();
    }
}

// The same trigger in plain OpenCV: a matchTemplate pyramid search of the same target, the
// move, and the regions.
void plainTrigger(benchmark::State &state)
{
    auto &all = cameras();
    cv::Mat moved;
    for (auto _ : state) {
        for (auto &c : all) {
            const cv::Size size = c->host.frame.size();
            const cv::Rect target(size.width / 4, size.height / 4, size.width / 2, size.height / 2);
            const bench::PyramidMatch m = bench::matchPyramid(c->host.frame, c->templatePlane(target), 0);
            const cv::Point2d anchor(target.x + target.width / 2, target.y + target.height / 2);
            const cv::Mat shift = (cv::Mat_<double>(2, 3) << 1, 0, std::round(anchor.x - m.centre.x), 0, 1,
                                   std::round(anchor.y - m.centre.y));
            cv::warpAffine(c->host.frame, moved, shift, size);
            benchmark::DoNotOptimize(bench::plainRegions(moved, c->templatePlane, c->regions, 3));
        }
    }
}

BENCHMARK(trigger)->Name("trigger_8_cameras")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(plainTrigger)->Name("trigger_8_cameras/plain_opencv")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    bench::silenceMessages();
    setupDetectionRuntime(&settings().record);
    return runWithRatios(argc, argv, [](const RatioReporter &reporter) {
        const double seconds = reporter.secondsOf("trigger_8_cameras/real_time");
        if (seconds > 0)
            std::printf("  trigger_8_cameras: %.1f ms, %.2fx the station's 100 ms run tick\n", seconds * 1000,
                        seconds / 0.1);
    });
}
