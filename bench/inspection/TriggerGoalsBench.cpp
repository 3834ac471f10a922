// One trigger of 8 cameras beside its goals. The cases of a goal take turns in one run: every
// round runs each case of the group once (the order turned by one each round), and the figures
// are the medians over the rounds, the ratios the medians of the ratios within a round, so that
// a change of load or clock hits both sides of a ratio alike. The cameras are judged as the
// station does, two at a time (ConcurrentJudge), and the rows handed out afterwards. Run it
// pinned to two cores (taskset -c a,b) in a Release build, as ./bench.sh does.
//
// Frames: the benchmark frame (a part in one cavity; the difference masks almost empty), the
// light 30 grey levels brighter than the templates, a part in every cavity, and sensor noise
// of 8 grey levels. The plain OpenCV reference does the engine's region work and nothing more
// (bench::plainRegions), the cameras shared out over two threads as well.
//
// Arguments: [--rounds N] [--only TEXT] (only the groups whose title holds TEXT).

#include "bench/GoalRow.h"
#include "bench/SampleStatistics.h"
#include "bench/inspection/EngineBenchScene.h"
#include "core/ParameterNames.h"
#include "inspection/ConcurrentJudge.h"
#include "inspection/DetectionResults.h"
#include "inspection/DetectionRuntime.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::Scene;

DetectionSettings &settings()
{
    static DetectionSettings s;
    return s;
}

constexpr size_t CameraCount = 8;
constexpr double TickMs = 100;

struct Case
{
    std::string label;
    cv::Size size{1280, 1024};
    Scene scene = Scene::Benchmark;
    int filter = 3;
    bool colour = false;
    bool grey = false;   // a colour camera judged on grey instead of hue
    int angle = 0;
    int registration = 0;
    bool positioning = true;
    int templates = 1;
    int amplify = 0;
    // The plain OpenCV region work on the cameras of the group's first case instead of the engine.
    bool plain = false;
};

void apply(const Case &c)
{
    settings()[Param::FilterSize] = c.filter;
    settings()[Param::RotationRange] = c.angle;
    settings()[Param::Registration] = c.registration;
    settings()[Param::Amplify] = c.amplify;
    settings()[Param::MotionCorrection] = c.positioning ? 0 : -1;
    colorToGray = c.grey;
}

struct Station
{
    std::vector<std::unique_ptr<bench::Camera>> cameras;
    std::vector<DetectAlgorithm *> engines;
    std::vector<cv::Mat> plainResults;
};

std::unique_ptr<Station> build(const Case &c)
{
    apply(c);
    auto s = std::make_unique<Station>();
    for (size_t i = 0; i < CameraCount; ++i) {
        bench::CameraSetup setup;
        setup.size = c.size;
        setup.colour = c.colour;
        setup.seed = std::uint32_t(10 + i);
        setup.templates = c.templates;
        auto camera = std::make_unique<bench::Camera>(setup);
        camera->capture(cv::Point2f(float(i) - 4, 3 - float(i)), c.angle ? 0.5 * double(i) - 2 : 0.0, c.scene);
        // The station's buffers are warm after its first cycle; so are these.
        camera->trigger();
        s->engines.push_back(camera->engine.get());
        s->plainResults.push_back(cv::Mat::zeros(c.size, CV_8UC1));
        s->cameras.push_back(std::move(camera));
    }
    return s;
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

double cpuMsNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double wallMsNow()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

long faultsNow()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt + u.ru_majflt;
}

// What the cameras found, folded into one number: equal for equal verdicts, values and boxes.
std::uint64_t fingerprint(const Station &s)
{
    std::uint64_t h = 1469598103934665603ull;
    const auto mix = [&h](std::int64_t v) { h = (h ^ std::uint64_t(v)) * 1099511628211ull; };
    for (const auto &camera : s.cameras) {
        const DetectionResults &r = *camera->host.results;
        mix(r.resultOk ? 1 : 0);
        for (int slot = 0; slot < DetectAlgorithm::MaxRegions; ++slot) {
            mix(r.roiValue[slot]);
            for (int b = 0; b <= std::min(r.roiBoxes[slot][0][0], 3); ++b)
                for (int k = 0; k < 4; ++k)
                    mix(r.roiBoxes[slot][b][k]);
        }
    }
    return h;
}

struct Samples
{
    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<double> faults;
    std::vector<std::uint64_t> prints;
};

struct Group
{
    std::string title;
    std::vector<Case> cases;   // the first is the base of the ratios
    std::function<void(const Group &, const std::vector<Samples> &)> goals;
};

// One round's trigger of a case; the figures per trigger go into its samples.
void measure(const Case &c, Station &s, ConcurrentJudge &judge, int triggers, Samples &out)
{
    apply(c);
    const long faults = faultsNow();
    const double cpu = cpuMsNow();
    const double wall = wallMsNow();
    for (int t = 0; t < triggers; ++t) {
        if (c.plain) {
            sharedOutOverTwo(CameraCount, [&](size_t i) {
                bench::Camera &camera = *s.cameras[i];
                const int ng = bench::plainRegions(camera.host.frame, camera.templatePlane, camera.regions, c.filter,
                                                   &s.plainResults[i]);
                camera.host.results->roiValue[0] = ng;
            });
        } else {
            judge.judge(s.engines, 0);
            for (DetectAlgorithm *engine : s.engines)
                engine->publish();
        }
    }
    out.wall.push_back((wallMsNow() - wall) / triggers);
    out.cpu.push_back((cpuMsNow() - cpu) / triggers);
    out.faults.push_back(double(faultsNow() - faults) / triggers);
    if (!c.plain)
        out.prints.push_back(fingerprint(s));
}

// Median over the rounds of case / base.
double ratio(const std::vector<double> &a, const std::vector<double> &b, bool largest = false)
{
    std::vector<double> r;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (b[i] > 0)
            r.push_back(a[i] / b[i]);
    if (r.empty())
        return 0;
    return largest ? *std::max_element(r.begin(), r.end()) : percentile(r, 0.5);
}

bool repeatable(const Samples &s)
{
    return std::all_of(s.prints.begin(), s.prints.end(), [&](std::uint64_t p) { return p == s.prints.front(); });
}

// Frame-buffer bytes the judging of one camera writes outside its regions (each buffer filled
// with a marker first), and in all.
void writtenBytes(bench::Camera &camera, double &outside, double &total)
{
    EngineTestHost &h = camera.host;
    cv::Mat inRegions = cv::Mat::zeros(h.height, h.width, CV_8UC1);
    for (const cv::Rect &r : camera.regions)
        inRegions(r).setTo(255);
    cv::Mat *buffers[] = {&h.registered, &h.positioned, &h.plane, &h.result};
    for (cv::Mat *b : buffers)
        b->setTo(cv::Scalar::all(0x5A));
    camera.engine->judge(0);
    camera.engine->publish();
    outside = 0;
    total = 0;
    for (cv::Mat *b : buffers) {
        cv::Mat changed;
        cv::compare(*b, cv::Scalar::all(0x5A), changed, cv::CMP_NE);
        if (changed.channels() > 1) {
            cv::Mat flat = changed.reshape(1, changed.rows);
            total += cv::countNonZero(flat);
            std::vector<cv::Mat> planes;
            cv::split(changed, planes);
            for (const cv::Mat &p : planes) {
                cv::Mat out;
                cv::bitwise_and(p, ~inRegions, out);
                outside += cv::countNonZero(out);
            }
        } else {
            total += cv::countNonZero(changed);
            cv::Mat out;
            cv::bitwise_and(changed, ~inRegions, out);
            outside += cv::countNonZero(out);
        }
    }
    // The frame buffers as they were, for the rounds that follow.
    camera.engine->completePositionedImage();
    camera.trigger();
}

void printTable(const Group &g, const std::vector<Samples> &samples)
{
    std::printf("\n%s (medians of %zu rounds; ratios to \"%s\" within each round)\n", g.title.c_str(),
                samples.front().cpu.size(), g.cases.front().label.c_str());
    std::printf("  %-44s %9s %9s %8s %8s %9s %8s\n", "case", "wall ms", "CPU ms", "wall x", "CPU x", "max CPU x",
                "faults");
    for (size_t i = 0; i < g.cases.size(); ++i) {
        const Samples &s = samples[i];
        std::printf("  %-44s %9.1f %9.1f %8.2f %8.2f %9.2f %8.0f%s\n", g.cases[i].label.c_str(),
                    percentile(s.wall, 0.5), percentile(s.cpu, 0.5), ratio(s.wall, samples[0].wall),
                    ratio(s.cpu, samples[0].cpu), ratio(s.cpu, samples[0].cpu, true), percentile(s.faults, 0.5),
                    repeatable(s) ? "" : "  results differ between rounds");
    }
    std::fflush(stdout);
}

void runGroup(const Group &g, int rounds)
{
    std::vector<std::unique_ptr<Station>> stations;
    for (const Case &c : g.cases)
        stations.push_back(c.plain ? nullptr : build(c));
    ConcurrentJudge judge;
    std::vector<Samples> samples(g.cases.size());
    const auto stationOf = [&](size_t i) -> Station & { return g.cases[i].plain ? *stations.front() : *stations[i]; };
    // One round unmeasured: the judge's threads, the plain reference's buffers.
    Samples warm;
    for (size_t i = 0; i < g.cases.size(); ++i)
        measure(g.cases[i], stationOf(i), judge, 1, warm);
    for (int r = 0; r < rounds; ++r)
        for (size_t k = 0; k < g.cases.size(); ++k) {
            const size_t i = (k + size_t(r)) % g.cases.size();
            measure(g.cases[i], stationOf(i), judge, 2, samples[i]);
        }
    printTable(g, samples);
    if (g.goals)
        g.goals(g, samples);
    if (g.title.find("bytes") != std::string::npos) {
        apply(g.cases.front());
        double outside = 0;
        double total = 0;
        writtenBytes(*stations.front()->cameras.front(), outside, total);
        printGoal(g.cases.front().label + ": frame-buffer bytes written outside the regions",
                  formatted("%.2f MB (%.2f MB written in all)", outside / 1e6, total / 1e6), "0 MB", outside == 0);
        printGoal(g.cases.front().label + ": page faults per trigger",
                  formatted("%.0f", percentile(samples.front().faults, 0.5)), "0",
                  percentile(samples.front().faults, 0.5) == 0);
    }
}

Case with(Case c, const std::string &label, const std::function<void(Case &)> &change)
{
    change(c);
    c.label = label;
    return c;
}

std::string sizeText(cv::Size s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }

// The hard frames of one size and filter: each within 2x the benchmark frame and the tick.
Group hardFrames(cv::Size size, int filter, bool colour, bool grey)
{
    Case base;
    base.size = size;
    base.filter = filter;
    base.colour = colour;
    base.grey = grey;
    const std::string kind = colour ? (grey ? "colour (grey) " : "colour (hue) ") : "";
    base.label = kind + sizeText(size) + " filter " + std::to_string(filter) + ", benchmark frame";
    Group g;
    g.title = "hard frames, " + kind + sizeText(size) + ", filter " + std::to_string(filter);
    g.cases.push_back(base);
    for (Scene scene : {Scene::Light, Scene::Parts, Scene::Noise})
        g.cases.push_back(with(base, kind + sizeText(size) + " filter " + std::to_string(filter) + ", " + bench::sceneName(scene),
                               [&](Case &c) { c.scene = scene; }));
    g.goals = [](const Group &group, const std::vector<Samples> &s) {
        for (size_t i = 1; i < group.cases.size(); ++i) {
            const double r = std::max(ratio(s[i].wall, s[0].wall), ratio(s[i].cpu, s[0].cpu));
            const double wall = percentile(s[i].wall, 0.5);
            printGoal(group.cases[i].label,
                      formatted("%.2fx the benchmark frame, %.1f ms", r, wall), "<= 2x and <= 100 ms",
                      r <= 2 && wall <= TickMs);
        }
    };
    return g;
}

std::vector<Group> groups()
{
    std::vector<Group> all;
    const cv::Size sxga(1280, 1024);
    const cv::Size hd(1920, 1080);
    const cv::Size large(2448, 2048);
    for (cv::Size size : {sxga, hd})
        for (int filter : {3, 51})
            all.push_back(hardFrames(size, filter, false, false));
    for (cv::Size size : {sxga, hd})
        for (bool grey : {false, true})
            all.push_back(hardFrames(size, 3, true, grey));

    // The filter sizes and frame sizes of the benchmark frame.
    {
        Group g;
        g.title = "filter and frame sizes, benchmark frame";
        Case base;
        base.label = "1280x1024, 50 regions, filter 3";
        g.cases = {base, with(base, "1280x1024, filter 15", [](Case &c) { c.filter = 15; }),
                   with(base, "1280x1024, filter 51", [](Case &c) { c.filter = 51; }),
                   with(base, "1920x1080, filter 3", [&](Case &c) { c.size = hd; }),
                   with(base, "1920x1080, filter 51", [&](Case &c) { c.size = hd, c.filter = 51; })};
        g.goals = [](const Group &group, const std::vector<Samples> &s) {
            for (size_t i : {size_t(0), size_t(3)})
                printGoal(group.cases[i].label, formatted("%.1f ms", percentile(s[i].wall, 0.5)), "<= 40 ms",
                          percentile(s[i].wall, 0.5) <= 40);
            for (size_t i : {size_t(1), size_t(2)}) {
                const double r = std::max(ratio(s[i].wall, s[0].wall), ratio(s[i].cpu, s[0].cpu));
                printGoal(group.cases[i].label, formatted("%.2fx filter 3", r), "<= 1.3x", r <= 1.3);
            }
            const double r = std::max(ratio(s[4].wall, s[3].wall), ratio(s[4].cpu, s[3].cpu));
            printGoal(group.cases[4].label, formatted("%.2fx filter 3", r), "<= 1.3x", r <= 1.3);
        };
        all.push_back(g);
    }

    // The trigger's CPU without positioning beside the plain region work.
    for (cv::Size size : {sxga, large}) {
        Group g;
        g.title = "trigger CPU without positioning, " + sizeText(size);
        Case base;
        base.size = size;
        base.positioning = false;
        base.label = sizeText(size) + ", no positioning";
        g.cases = {base, with(base, sizeText(size) + ", plain OpenCV region work", [](Case &c) { c.plain = true; })};
        g.goals = [](const Group &group, const std::vector<Samples> &s) {
            const double r = ratio(s[0].cpu, s[1].cpu);
            printGoal(group.cases[0].label + ": CPU / plain OpenCV", formatted("%.2fx", r), "<= 1.3x", r <= 1.3);
        };
        all.push_back(g);
    }

    // The large frame with positioning: its time, its bytes written and its page faults.
    {
        Group g;
        g.title = "2448x2048 with positioning, bytes written";
        Case base;
        base.size = large;
        base.label = "2448x2048, 50 regions";
        g.cases = {base};
        g.goals = [](const Group &group, const std::vector<Samples> &s) {
            printGoal(group.cases[0].label, formatted("%.1f ms", percentile(s[0].wall, 0.5)), "<= 100 ms",
                      percentile(s[0].wall, 0.5) <= 100);
        };
        all.push_back(g);
    }

    {
        Group g;
        g.title = "angle correction";
        Case base;
        base.label = "1280x1024, no angle correction";
        g.cases = {base, with(base, "angle correction +-10", [](Case &c) { c.angle = 10; })};
        g.goals = [](const Group &group, const std::vector<Samples> &s) {
            const double median = std::max(ratio(s[1].wall, s[0].wall), ratio(s[1].cpu, s[0].cpu));
            const double worst = std::max(ratio(s[1].wall, s[0].wall, true), ratio(s[1].cpu, s[0].cpu, true));
            printGoal(group.cases[1].label, formatted("%.2fx median, %.2fx worst round", median, worst),
                      "<= 1.3x, no round > 1.5x", median <= 1.3 && worst <= 1.5);
        };
        all.push_back(g);
    }

    {
        Group g;
        g.title = "registration";
        Case base;
        base.label = "1280x1024, registration off";
        g.cases = {base, with(base, "registration on", [](Case &c) { c.registration = 1; })};
        g.goals = [](const Group &group, const std::vector<Samples> &s) {
            const double r = std::max(ratio(s[1].wall, s[0].wall), ratio(s[1].cpu, s[0].cpu));
            const char *figure = repeatable(s[1]) ? "%.2fx off, %.1f ms, same results" : "%.2fx off, %.1f ms, results differ";
            printGoal(group.cases[1].label, formatted(figure, r, percentile(s[1].wall, 0.5)),
                      "<= 4x, <= 200 ms, same results", r <= 4 && percentile(s[1].wall, 0.5) <= 200 && repeatable(s[1]));
            if (!repeatable(s[1]))
                std::printf("  registration on: the results differ between rounds\n");
        };
        all.push_back(g);
    }

    {
        Group g;
        g.title = "best-sample model";
        Case base;
        base.amplify = 4;
        base.label = "best-sample model, 1 template";
        g.cases = {base, with(base, "best-sample model, 10 templates", [](Case &c) { c.templates = 10; })};
        g.goals = [](const Group &group, const std::vector<Samples> &s) {
            printGoal(group.cases[0].label, formatted("%.1f ms", percentile(s[0].wall, 0.5)), "<= 100 ms",
                      percentile(s[0].wall, 0.5) <= 100);
            const double r = std::max(ratio(s[1].wall, s[0].wall), ratio(s[1].cpu, s[0].cpu));
            printGoal(group.cases[1].label, formatted("%.2fx 1 template", r), "<= 1.5x", r <= 1.5);
        };
        all.push_back(g);
    }
    return all;
}

} // namespace

int main(int argc, char **argv)
{
    bench::silenceMessages();
    setupDetectionRuntime(&settings().record);
    int rounds = 7;
    std::string only;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--only") == 0)
            only = argv[i + 1];
    }
    for (const Group &g : groups())
        if (only.empty() || g.title.find(only) != std::string::npos)
            runGroup(g, rounds);
    return 0;
}
