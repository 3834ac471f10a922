// Speed of the detection engine. First the per-region evaluation (run) of one stage with 50
// regions, mono 1280 x 1024 and colour 2448 x 2048, filter sizes 3, 15 and 51, each beside plain
// OpenCV calls judging the same regions. Then one trigger of 8 cameras (registration,
// positioning and the regions of every camera), parameterised by frame size, region count,
// filter size, angle range, registration, template count and the Amplify setting, each beside
// plain OpenCV doing the same work (a matchTemplate pyramid for the positioning, SIFT with a
// brute-force matcher and a RANSAC homography for the registration). The summary prints every
// figure beside its goal, as ratios within this run. The trigger judges the cameras as the
// station does, two at a time (ConcurrentJudge); "trigger_8_cameras_one_by_one" judges them one
// after another for comparison, and the plain OpenCV reference also shares the cameras out over
// two threads. Run it pinned to two cores (taskset -c a,b) in a Release build; OpenCV uses the
// station's thread setting. The CPU column of the trigger is the CPU time of all threads: on a
// shared machine the wall time swings with the load, the CPU time hardly, and on two idle
// cores the wall time of a trigger judged two at a time is about half of it.

#include "bench/inspection/EngineBenchScene.h"
#include "bench/inspection/PyramidMatch.h"
#include "bench/inspection/RatioReporter.h"
#include "core/ParameterNames.h"
#include "inspection/ConcurrentJudge.h"
#include "inspection/DetectionRuntime.h"

#include <benchmark/benchmark.h>

#include <opencv2/calib3d.hpp>
#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <map>
#include <memory>
#include <string>

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

// One setting of the 8-camera trigger.
struct TriggerCase
{
    const char *label;
    int width;
    int height;
    int regions;
    int filter;
    int angle;
    int registration;
    int templates;
    int amplify;
    // The case this one is measured against in the summary (its label), and the goal: the
    // largest ratio to it, or, without a base, the largest time in milliseconds.
    const char *base;
    double goal;
};

const TriggerCase Cases[] = {
    {"1280x1024, 50 regions, defaults", 1280, 1024, 50, 3, 0, 0, 1, 0, nullptr, 40},
    {"1280x1024, 10 regions", 1280, 1024, 10, 3, 0, 0, 1, 0, nullptr, 40},
    {"1920x1080, 50 regions", 1920, 1080, 50, 3, 0, 0, 1, 0, nullptr, 40},
    {"2448x2048, 50 regions", 2448, 2048, 50, 3, 0, 0, 1, 0, nullptr, 100},
    {"filter size 15", 1280, 1024, 50, 15, 0, 0, 1, 0, "1280x1024, 50 regions, defaults", 1.3},
    {"filter size 51", 1280, 1024, 50, 51, 0, 0, 1, 0, "1280x1024, 50 regions, defaults", 1.3},
    {"1920x1080, filter size 51", 1920, 1080, 50, 51, 0, 0, 1, 0, "1920x1080, 50 regions", 1.3},
    {"angle correction +-10", 1280, 1024, 50, 3, 10, 0, 1, 0, "1280x1024, 50 regions, defaults", 1.5},
    {"registration on", 1280, 1024, 50, 3, 0, 1, 1, 0, nullptr, 200},
    {"best-sample model, 1 template", 1280, 1024, 50, 3, 0, 0, 1, 4, nullptr, 100},
    {"best-sample model, 10 templates", 1280, 1024, 50, 3, 0, 0, 10, 4, "best-sample model, 1 template", 1.5},
};

constexpr size_t CameraCount = 8;

// The eight cameras of one case, built once with the case's settings.
struct Station
{
    std::array<std::unique_ptr<bench::Camera>, CameraCount> cameras;
    // For the plain reference: SIFT of every camera's template on the scaled image.
    std::array<cv::Mat, CameraCount> referenceDescriptors;
    std::array<std::vector<cv::KeyPoint>, CameraCount> referenceKeypoints;
};

void applySettings(const TriggerCase &c)
{
    settings()[Param::FilterSize] = c.filter;
    settings()[Param::RotationRange] = c.angle;
    settings()[Param::Registration] = c.registration;
    settings()[Param::Amplify] = c.amplify;
}

Station &station(const TriggerCase &c)
{
    static std::map<const TriggerCase *, std::unique_ptr<Station>> built;
    std::unique_ptr<Station> &s = built[&c];
    if (!s) {
        built.clear();   // one case at a time: the large frames take memory
        std::unique_ptr<Station> &fresh = built[&c];
        fresh = std::make_unique<Station>();
        applySettings(c);
        for (size_t i = 0; i < CameraCount; ++i) {
            bench::CameraSetup setup;
            setup.size = cv::Size(c.width, c.height);
            setup.seed = std::uint32_t(10 + i);
            setup.regions = c.regions;
            setup.templates = c.templates;
            auto camera = std::make_unique<bench::Camera>(setup);
            camera->capture(cv::Point2f(float(i) - 4, 3 - float(i)), c.angle ? 0.5 * double(i) - 2 : 0.0);
            // The station's buffers are warm after its first cycle; so are these.
            camera->trigger();
            fresh->cameras[i] = std::move(camera);
        }
        return *fresh;
    }
    return *s;
}

double featureScale(cv::Size size) { return std::min(1.0, std::sqrt(500000.0 / (double(size.width) * size.height))); }

// The station's way: the cameras judged two at a time, the rows handed out in camera order.
void trigger(benchmark::State &state, const TriggerCase *c)
{
    Station &s = station(*c);
    applySettings(*c);
    ConcurrentJudge judge;
    std::vector<DetectAlgorithm *> engines;
    for (auto &camera : s.cameras)
        engines.push_back(camera->engine.get());
    for (auto _ : state) {
        judge.judge(engines, 0);
        for (DetectAlgorithm *engine : engines)
            engine->publish();
    }
}

void triggerOneByOne(benchmark::State &state, const TriggerCase *c)
{
    Station &s = station(*c);
    applySettings(*c);
    for (auto _ : state) {
        for (auto &camera : s.cameras)
            camera->trigger();
    }
}

// Runs work(0..n-1) on the calling thread and one more, whoever is free taking the next.
void sharedOutOverTwo(size_t n, const std::function<void(size_t)> &work)
{
    std::atomic<size_t> next{0};
    const auto share = [&] {
        for (size_t i = next++; i < n; i = next++)
            work(i);
    };
    std::thread helper(share);
    share();
    helper.join();
}

// The same trigger in plain OpenCV: SIFT, matching and a homography when registering, a
// matchTemplate pyramid search of the same target, the move, and the regions.
void plainTrigger(benchmark::State &state, const TriggerCase *c)
{
    Station &s = station(*c);
    const cv::Ptr<cv::SIFT> sift = cv::SIFT::create(0, 3, 0.04, 10.0, 1.6);
    const double scale = featureScale(cv::Size(c->width, c->height));
    if (c->registration) {
        for (size_t i = 0; i < CameraCount; ++i) {
            cv::Mat scaled;
            cv::resize(s.cameras[i]->templatePlane, scaled, cv::Size(), scale, scale, cv::INTER_LINEAR_EXACT);
            sift->detectAndCompute(scaled, cv::noArray(), s.referenceKeypoints[i], s.referenceDescriptors[i]);
        }
    }
    for (auto _ : state) {
        sharedOutOverTwo(CameraCount, [&](size_t i) {
            cv::Mat registered;
            cv::Mat moved;
            bench::Camera &camera = *s.cameras[i];
            const cv::Mat &frame = camera.host.frame;
            const cv::Size size = frame.size();
            registered = frame;
            if (c->registration) {
                cv::Mat scaled;
                std::vector<cv::KeyPoint> keypoints;
                cv::Mat descriptors;
                cv::resize(frame, scaled, cv::Size(), scale, scale, cv::INTER_LINEAR_EXACT);
                sift->detectAndCompute(scaled, cv::noArray(), keypoints, descriptors);
                std::vector<std::vector<cv::DMatch>> pairs;
                cv::BFMatcher(cv::NORM_L2).knnMatch(descriptors, s.referenceDescriptors[i], pairs, 2);
                std::vector<cv::Point2f> from, to;
                for (const auto &p : pairs) {
                    if (p.size() == 2 && p[0].distance < 0.6f * p[1].distance) {
                        from.push_back(keypoints[size_t(p[0].queryIdx)].pt / scale);
                        to.push_back(s.referenceKeypoints[i][size_t(p[0].trainIdx)].pt / scale);
                    }
                }
                if (from.size() >= 4) {
                    const cv::Mat h = cv::findHomography(from, to, cv::RANSAC, 3.0);
                    if (!h.empty())
                        cv::warpPerspective(frame, registered, h, size);
                }
            }
            const cv::Rect target(size.width / 4, size.height / 4, size.width / 2, size.height / 2);
            const bench::PyramidMatch m = bench::matchPyramid(registered, camera.templatePlane(target), c->angle);
            const cv::Point2d anchor(target.x + target.width / 2, target.y + target.height / 2);
            cv::Mat move = cv::getRotationMatrix2D(cv::Point2f(float(anchor.x), float(anchor.y)), m.angle, 1.0);
            move.at<double>(0, 2) += std::round(anchor.x - m.centre.x);
            move.at<double>(1, 2) += std::round(anchor.y - m.centre.y);
            cv::warpAffine(registered, moved, move, size);
            benchmark::DoNotOptimize(bench::plainRegions(moved, camera.templatePlane, camera.regions, c->filter));
        });
    }
}

std::string caseName(const TriggerCase &c)
{
    char name[160];
    std::snprintf(name, sizeof name, "width:%d/height:%d/regions:%d/filter:%d/angle:%d/registration:%d/templates:%d/amplify:%d",
                  c.width, c.height, c.regions, c.filter, c.angle, c.registration, c.templates, c.amplify);
    return name;
}

void registerTriggers()
{
    for (const TriggerCase &c : Cases) {
        benchmark::RegisterBenchmark(("trigger_8_cameras/" + caseName(c)).c_str(), trigger, &c)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
        benchmark::RegisterBenchmark(("trigger_8_cameras/plain_opencv/" + caseName(c)).c_str(), plainTrigger, &c)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
        benchmark::RegisterBenchmark(("trigger_8_cameras_one_by_one/" + caseName(c)).c_str(), triggerOneByOne, &c)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
    }
}

// Each figure beside its goal: the wall time of this run, and the CPU time of all threads,
// whose half is what two idle cores would take for a trigger judged two at a time.
void printGoals(const RatioReporter &reporter)
{
    const auto key = [](const char *prefix, const TriggerCase &c) {
        return std::string(prefix) + caseName(c) + "/process_time/real_time";
    };
    auto secondsOf = [&](const TriggerCase &c) { return reporter.secondsOf(key("trigger_8_cameras/", c)); };
    auto cpuOf = [&](const TriggerCase &c) { return reporter.cpuSecondsOf(key("trigger_8_cameras/", c)); };
    std::printf("\n8-camera trigger beside its goals (wall ms; CPU ms of all threads; half of it):\n");
    for (const TriggerCase &c : Cases) {
        const double ms = secondsOf(c) * 1000;
        if (ms <= 0)
            continue;
        const double cpuMs = cpuOf(c) * 1000;
        const double oneByOne = reporter.secondsOf(key("trigger_8_cameras_one_by_one/", c)) * 1000;
        const double oneByOneCpu = reporter.cpuSecondsOf(key("trigger_8_cameras_one_by_one/", c)) * 1000;
        if (oneByOne > 0)
            std::printf("  %-36s %8.1f ms  CPU %8.1f ms  one camera after another\n", c.label, oneByOne, oneByOneCpu);
        if (!c.base) {
            std::printf("  %-36s %8.1f ms  CPU %8.1f ms  half %6.1f ms  (goal <= %.0f ms: %s wall, %s on idle cores)\n",
                        c.label, ms, cpuMs, cpuMs / 2, c.goal, ms <= c.goal ? "met" : "MISSED",
                        cpuMs / 2 <= c.goal ? "met" : "MISSED");
            continue;
        }
        for (const TriggerCase &b : Cases) {
            if (std::string(b.label) != c.base)
                continue;
            const double base = secondsOf(b) * 1000;
            const double baseCpu = cpuOf(b) * 1000;
            if (base <= 0 || baseCpu <= 0)
                break;
            const double ratio = ms / base;
            const double cpuRatio = cpuMs / baseCpu;
            std::printf("  %-36s %8.1f ms  CPU %8.1f ms  %.2fx (CPU %.2fx) %s (goal <= %.1fx: %s)\n", c.label, ms, cpuMs,
                        ratio, cpuRatio, b.label, c.goal, std::max(ratio, cpuRatio) <= c.goal ? "met" : "MISSED");
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    bench::silenceMessages();
    setupDetectionRuntime(&settings().record);
    registerTriggers();
    return runWithRatios(argc, argv, printGoals);
}
