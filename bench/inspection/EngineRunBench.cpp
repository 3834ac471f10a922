// Speed of the detection engine's per-region evaluation (run) of one stage with 50 regions,
// mono 1280 x 1024 and colour 2448 x 2048, filter sizes 3, 15 and 51, each beside plain OpenCV
// calls judging the same regions. The trigger of 8 cameras and its goals, with the cases taking
// turns in one run, are in TriggerGoalsBench.cpp.

#include "bench/inspection/EngineBenchScene.h"
#include "bench/inspection/RatioReporter.h"
#include "core/ParameterNames.h"
#include "inspection/DetectionRuntime.h"

#include <benchmark/benchmark.h>

#include <opencv2/imgproc.hpp>

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
    cv::Mat result = cv::Mat::zeros(c.host.positioned.size(), CV_8UC1);
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::plainRegions(c.host.positioned, c.templatePlane, c.regions, filter, &result));
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

} // namespace

int main(int argc, char **argv)
{
    bench::silenceMessages();
    setupDetectionRuntime(&settings().record);
    return runWithRatios(argc, argv);
}
