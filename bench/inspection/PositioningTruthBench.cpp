// How far the positioning can be trusted: frames generated with a known shift and turn, per
// class of scene (dense: the textured mould; sparse: the same mould blurred to little texture
// and contrast), target (small: 60 x 40 around the fiducial; corner: 60 x 40 on a cavity's
// rim, a few straight edges and no mark; cavity: one cavity among look-alikes; large: the
// centred half; partly outside: the fiducial's neighbourhood moved partly out of the frame)
// and rotation search (none, or +-10 degrees with turns up to 10 degrees). The whole frame is
// searched, the hardest case: every look-alike of the target is a candidate. Each class counts how often the found
// pose is right (the target's centre and corners within RightPixels of where the camera put
// them), wrong but reported found (must stay 0: a frame moved by a wrong pose carries parts out
// of their regions), and not found. Also the time per search.
// Then the registration against the same kind of truth: dense and sparse frames moved by up to
// 25 pixels and turned by up to 1.5 degrees, each registered twice; per class how often it
// aligned, the worst error of the fitted transform at the image corners, and whether the
// second run gave exactly the same transform.

#include "bench/inspection/PositioningScenes.h"
#include "bench/inspection/RatioReporter.h"
#include "inspection/DetectionRuntime.h"
#include "inspection/ImageRegistration.h"
#include "inspection/PositioningModel.h"
#include "tools/framegen/MouldSynth.h"

#include <benchmark/benchmark.h>

#include <opencv2/imgproc.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const cv::Size FrameSize(1280, 1024);
constexpr int Trials = 20;
constexpr double RightPixels = 2.0;
constexpr double MaxShift = 25.0;
constexpr double Pi = 3.14159265358979323846;

enum class Target { Small, Corner, Cavity, Large, PartlyOutside };

struct TruthClass
{
    const char *name;
    bool sparse;
    Target target;
    int range;
};

const TruthClass Classes[] = {
    {"dense, small", false, Target::Small, 0},
    {"dense, large", false, Target::Large, 0},
    {"dense, partly outside", false, Target::PartlyOutside, 0},
    {"sparse, small", true, Target::Small, 0},
    {"sparse, large", true, Target::Large, 0},
    {"sparse, partly outside", true, Target::PartlyOutside, 0},
    {"dense, small, turned", false, Target::Small, 10},
    {"dense, large, turned", false, Target::Large, 10},
    {"dense, partly outside, turned", false, Target::PartlyOutside, 10},
    {"sparse, small, turned", true, Target::Small, 10},
    {"sparse, large, turned", true, Target::Large, 10},
    {"sparse, partly outside, turned", true, Target::PartlyOutside, 10},
    {"dense, cavity corner", false, Target::Corner, 0},
    {"sparse, cavity corner", true, Target::Corner, 0},
    {"dense, cavity corner, turned", false, Target::Corner, 10},
    {"sparse, cavity corner, turned", true, Target::Corner, 10},
    {"dense, one of the cavities", false, Target::Cavity, 0},
    {"sparse, one of the cavities", true, Target::Cavity, 0},
    {"dense, one of the cavities, turned", false, Target::Cavity, 10},
    {"sparse, one of the cavities, turned", true, Target::Cavity, 10},
};

cv::Rect targetOf(const synth::MouldLayout &layout, Target target)
{
    const synth::Fiducial &f = layout.fiducial;
    switch (target) {
    case Target::Small:
        return cv::Rect(f.origin.x - f.size / 5, f.origin.y - f.size / 5, 60, 40);
    case Target::Corner: {
        const cv::Rect &cavity = layout.cavities.back().rect;
        return cv::Rect(cavity.x + cavity.width - 40, cavity.y + cavity.height - 25, 60, 40);
    }
    case Target::Cavity: {
        const cv::Rect &cavity = layout.cavities.front().rect;
        return cv::Rect(cavity.x - 12, cavity.y - 12, cavity.width + 24, cavity.height + 24);
    }
    case Target::Large:
        return cv::Rect(FrameSize.width / 4, FrameSize.height / 4, FrameSize.width / 2, FrameSize.height / 2);
    case Target::PartlyOutside:
        break;
    }
    const int side = f.size * 8 / 5;
    return cv::Rect(f.origin.x - f.size / 4, f.origin.y - f.size / 4 - side / 2, side, side + side / 2)
        & cv::Rect(cv::Point(0, 0), FrameSize);
}

struct Tally
{
    int right = 0;
    int wrong = 0;
    int missing = 0;
    double worstRight = 0;
    double worstWrong = 0;
    // Scores of the search: the lowest that was right, the highest that was wrong.
    double lowestRightScore = 1;
    double highestWrongScore = 0;
    double seconds = 0;
};

Tally tallies[sizeof Classes / sizeof Classes[0]];

// How far a found pose puts the target's centre and corners from where the camera put them
// (truth: template to frame coordinates). The model's angle turns clockwise on the screen.
double poseError(const cv::Rect &target, int dx, int dy, double angle, const cv::Matx33d &truth,
                 const std::vector<cv::Point2d> &more = {})
{
    const cv::Point2d anchor(target.x + target.width / 2, target.y + target.height / 2);
    const cv::Point2d centre(anchor.x - dx, anchor.y - dy);
    const double rad = angle * Pi / 180.0;
    std::vector<cv::Point2d> points{anchor, cv::Point2d(target.tl()), cv::Point2d(target.x + target.width, target.y),
                                    cv::Point2d(target.br()), cv::Point2d(target.x, target.y + target.height)};
    points.insert(points.end(), more.begin(), more.end());
    double error = 0;
    for (const cv::Point2d &p : points) {
        const cv::Point2d d = p - anchor;
        const cv::Point2d predicted(centre.x + d.x * std::cos(rad) - d.y * std::sin(rad),
                                    centre.y + d.x * std::sin(rad) + d.y * std::cos(rad));
        const cv::Point2d seen = synth::transformPoint(truth, p);
        error = std::max(error, std::hypot(predicted.x - seen.x, predicted.y - seen.y));
    }
    return error;
}

void count(Tally &tally, bool right, double error, double score, double agreement, const char *name, int frame)
{
    if (right) {
        ++tally.right;
        tally.worstRight = std::max(tally.worstRight, error);
        tally.lowestRightScore = std::min(tally.lowestRightScore, score);
        return;
    }
    std::printf("wrong but found: %s, frame %d: %.1f px off, edge score %.2f, agreement %.2f\n", name, frame, error, score,
                agreement);
    ++tally.wrong;
    tally.worstWrong = std::max(tally.worstWrong, error);
    tally.highestWrongScore = std::max(tally.highestWrongScore, score);
}

void truth(benchmark::State &state, size_t index)
{
    const TruthClass &c = Classes[index];
    Tally &tally = tallies[index];
    tally = Tally();
    for (auto _ : state) {
        for (int t = 0; t < Trials; ++t) {
            const std::uint32_t seed = std::uint32_t(1000 * index + t);
            cv::RNG rng(seed);
            const synth::MouldLayout layout = synth::makeMouldLayout(3 + std::uint32_t(t % 4), FrameSize);
            synth::Conditions sampling;
            sampling.noiseSeed = 100 + seed;
            cv::Mat templ = synth::renderMould(layout, {}, sampling);
            const cv::Rect target = targetOf(layout, c.target);
            synth::Conditions conditions;
            conditions.noiseSeed = 200 + seed;
            conditions.shift = cv::Point2f(float(rng.uniform(-MaxShift, MaxShift)), float(rng.uniform(-MaxShift, MaxShift)));
            if (c.target == Target::PartlyOutside) {
                // 15 to 40 % of the target's width leaves the frame on the left.
                const double out = rng.uniform(0.15, 0.40) * target.width;
                conditions.shift.x = float(-(target.x + out));
            }
            conditions.rotation = c.range ? rng.uniform(-double(c.range), double(c.range)) : 0.0;
            cv::Mat frame = synth::renderMould(layout, {}, conditions);
            if (c.sparse) {
                templ = synth::faintFrame(templ, seed);
                frame = synth::faintFrame(frame, seed + 7);
            }
            const cv::Point anchor(target.x + target.width / 2, target.y + target.height / 2);
            PositioningModel model;
            model.create(templ(target), c.range, anchor.x, anchor.y, cv::Mat(target.size(), CV_8UC1, cv::Scalar(255)));
            int dx = 0;
            int dy = 0;
            double angle = 0;
            const auto start = std::chrono::steady_clock::now();
            const bool found = model.find(frame, dx, dy, angle);
            tally.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (!found) {
                ++tally.missing;
                continue;
            }
            const double error = poseError(target, dx, dy, angle, synth::cameraTransform(FrameSize, conditions));
            count(tally, error <= RightPixels, error, model.lastScore(), model.lastCorrelation(), c.name, t);
        }
    }
    state.counters["right"] = tally.right;
    state.counters["wrong_found"] = tally.wrong;
    state.counters["not_found"] = tally.missing;
    state.counters["ms_per_find"] = tally.seconds * 1000 / Trials;
}


// Scenes drawn apart from the classes above (see PositioningScenes.h): camera turn up to turn
// degrees, searched within +-range. For the kinds that are not turned the frame's corners must
// also stay within FramePixels: the whole frame is moved by the pose, and a turn that is not
// there moves its far side.
struct GeneratedClass
{
    const char *name;
    bench::SceneKind kind;
    bool sparse;
    double turn;
    int range;
};

constexpr double FramePixels = 3.0;

const GeneratedClass Generated[] = {
    {"cut off 20-45 %, dense", bench::SceneKind::CutOff, false, 0, 0},
    {"cut off 20-45 %, sparse", bench::SceneKind::CutOff, true, 0, 0},
    {"cut off 20-45 %, dense, turned", bench::SceneKind::CutOff, false, 10, 10},
    {"cut off 20-45 %, sparse, turned", bench::SceneKind::CutOff, true, 10, 10},
    {"120 x 90 anywhere, sparse, turned", bench::SceneKind::Small, true, 10, 10},
    {"120 x 90 anywhere, dense, turned", bench::SceneKind::Small, false, 10, 10},
    {"any size anywhere, dense", bench::SceneKind::AnySize, false, 0, 0},
    {"any size anywhere, sparse", bench::SceneKind::AnySize, true, 0, 0},
    {"look-alikes far away, dense", bench::SceneKind::Lookalikes, false, 0, 0},
    {"look-alikes far away, sparse", bench::SceneKind::Lookalikes, true, 0, 0},
    {"look-alikes far away, dense, turned", bench::SceneKind::Lookalikes, false, 10, 10},
    {"look-alikes far away, sparse, turned", bench::SceneKind::Lookalikes, true, 10, 10},
    {"registered, beyond the edge, dense", bench::SceneKind::Registered, false, 1, 0},
    {"registered, beyond the edge, sparse", bench::SceneKind::Registered, true, 1, 0},
    {"registered, beyond the edge, dense, 5", bench::SceneKind::Registered, false, 1, 5},
    {"registered, beyond the edge, sparse, 5", bench::SceneKind::Registered, true, 1, 5},
    {"no turn, searched 5, dense", bench::SceneKind::NoTurn, false, 0, 5},
    {"no turn, searched 5, sparse", bench::SceneKind::NoTurn, true, 0, 5},
};

Tally generatedTallies[sizeof Generated / sizeof Generated[0]];

void generatedTruth(benchmark::State &state, size_t index)
{
    const GeneratedClass &c = Generated[index];
    Tally &tally = generatedTallies[index];
    tally = Tally();
    for (auto _ : state) {
        for (int t = 0; t < Trials; ++t) {
            const std::uint32_t seed = std::uint32_t(31000 + 97 * index + 13 * t);
            const bench::PositioningScene scene = bench::makePositioningScene(c.kind, c.sparse, c.turn, seed, FrameSize);
            const cv::Rect &target = scene.target;
            const cv::Point anchor(target.x + target.width / 2, target.y + target.height / 2);
            PositioningModel model;
            model.create(scene.templ(target), c.range, anchor.x, anchor.y, cv::Mat(target.size(), CV_8UC1, cv::Scalar(255)));
            int dx = 0;
            int dy = 0;
            double angle = 0;
            const auto start = std::chrono::steady_clock::now();
            const bool found = model.find(scene.frame, dx, dy, angle);
            tally.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (!found) {
                ++tally.missing;
                continue;
            }
            const double error = poseError(target, dx, dy, angle, scene.truth);
            bool right = error <= RightPixels;
            if (c.kind == bench::SceneKind::NoTurn) {
                const double w = FrameSize.width - 1;
                const double h = FrameSize.height - 1;
                const double far = poseError(target, dx, dy, angle, scene.truth,
                                             {cv::Point2d(0, 0), cv::Point2d(w, 0), cv::Point2d(w, h), cv::Point2d(0, h)});
                right = right && far <= FramePixels;
            }
            count(tally, right, error, model.lastScore(), model.lastCorrelation(), c.name, t);
        }
    }
    state.counters["right"] = tally.right;
    state.counters["wrong_found"] = tally.wrong;
    state.counters["not_found"] = tally.missing;
    state.counters["ms_per_find"] = tally.seconds * 1000 / Trials;
}

void printTruth(const RatioReporter &)
{
    std::printf("\npositioning against the truth (%d frames a class; right: within %.1f px at the target):\n", Trials,
                RightPixels);
    std::printf("  %-32s %6s %12s %10s %14s %10s %12s %12s %14s\n", "class", "right", "wrong-found", "not found",
                "worst right px", "ms/find", "right score", "wrong score", "worst wrong px");
    int wrong = 0;
    for (size_t i = 0; i < sizeof Classes / sizeof Classes[0]; ++i) {
        const Tally &t = tallies[i];
        wrong += t.wrong;
        std::printf("  %-32s %6d %12d %10d %14.2f %10.1f %12.2f %12.2f %14.1f\n", Classes[i].name, t.right, t.wrong, t.missing,
                    t.worstRight, t.seconds * 1000 / Trials, t.right ? t.lowestRightScore : 0.0,
                    t.wrong ? t.highestWrongScore : 0.0, t.worstWrong);
    }
    std::printf("  wrong but found in all: %d (goal 0: %s)\n", wrong, wrong == 0 ? "met" : "MISSED");
    std::printf("\ngenerated scenes (%d frames a class; not turned: also within %.1f px at the frame's corners):\n",
                Trials, FramePixels);
    wrong = 0;
    for (size_t i = 0; i < sizeof Generated / sizeof Generated[0]; ++i) {
        const Tally &t = generatedTallies[i];
        wrong += t.wrong;
        std::printf("  %-40s %6d %12d %10d %14.2f %10.1f %12.2f %12.2f %14.1f\n", Generated[i].name, t.right, t.wrong,
                    t.missing, t.worstRight, t.seconds * 1000 / Trials, t.right ? t.lowestRightScore : 0.0,
                    t.wrong ? t.highestWrongScore : 0.0, t.worstWrong);
    }
    std::printf("  wrong but found in the generated scenes: %d (goal 0: %s)\n", wrong, wrong == 0 ? "met" : "MISSED");
}

struct RegistrationTally
{
    int aligned = 0;
    int within = 0;
    int withinPixel = 0;
    int repeatable = 0;
    double worst = 0;
    double seconds = 0;
};

constexpr double MaxTurn = 1.5;
constexpr double RegistrationPixels = 0.5;
RegistrationTally registrationTallies[2];

void registrationTruth(benchmark::State &state, bool sparse)
{
    RegistrationTally &tally = registrationTallies[sparse ? 1 : 0];
    tally = RegistrationTally();
    for (auto _ : state) {
        for (int t = 0; t < Trials; ++t) {
            const std::uint32_t seed = std::uint32_t(5000 + 100 * sparse + t);
            cv::RNG rng(seed);
            const synth::MouldLayout layout = synth::makeMouldLayout(3 + std::uint32_t(t % 4), FrameSize);
            synth::Conditions sampling;
            sampling.noiseSeed = 100 + seed;
            cv::Mat templ = synth::renderMould(layout, {}, sampling);
            synth::Conditions conditions;
            conditions.noiseSeed = 200 + seed;
            conditions.shift = cv::Point2f(float(rng.uniform(-MaxShift, MaxShift)), float(rng.uniform(-MaxShift, MaxShift)));
            conditions.rotation = rng.uniform(-MaxTurn, MaxTurn);
            cv::Mat frame = synth::renderMould(layout, {}, conditions);
            if (sparse) {
                templ = synth::faintFrame(templ, seed);
                frame = synth::faintFrame(frame, seed + 7);
            }
            // The stage's default registration area.
            cv::Mat mask = cv::Mat::zeros(FrameSize, CV_8UC1);
            mask(cv::Rect(FrameSize.width / 4, FrameSize.height / 4, FrameSize.width * 3 / 4, FrameSize.height * 3 / 4))
                .setTo(255);
            ImageRegistration slot;
            slot.setReference(templ, mask);
            cv::Mat registered;
            const auto start = std::chrono::steady_clock::now();
            const bool aligned = slot.align(frame, registered, 0.4f);
            tally.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (!aligned)
                continue;
            ++tally.aligned;
            const cv::Mat first = slot.lastHomography().clone();
            if (slot.align(frame, registered, 0.4f) && cv::norm(slot.lastHomography(), first, cv::NORM_INF) == 0)
                ++tally.repeatable;
            // Each corner of the registration area, seen by the camera and mapped back.
            const cv::Matx33d camera = synth::cameraTransform(FrameSize, conditions);
            const cv::Matx33d back(first);
            const double x0 = FrameSize.width / 4.0;
            const double y0 = FrameSize.height / 4.0;
            const double x1 = FrameSize.width - 1.0;
            const double y1 = FrameSize.height - 1.0;
            double error = 0;
            for (const cv::Point2d &p : {cv::Point2d(x0, y0), cv::Point2d(x1, y0), cv::Point2d(x1, y1), cv::Point2d(x0, y1)}) {
                const cv::Point2d q = synth::transformPoint(back, synth::transformPoint(camera, p));
                error = std::max(error, std::hypot(q.x - p.x, q.y - p.y));
            }
            tally.worst = std::max(tally.worst, error);
            tally.within += error <= RegistrationPixels ? 1 : 0;
            tally.withinPixel += error <= 1.0 ? 1 : 0;
        }
    }
    state.counters["aligned"] = tally.aligned;
    state.counters["repeatable"] = tally.repeatable;
    state.counters["worst_px"] = tally.worst;
}

void printAll(const RatioReporter &reporter)
{
    printTruth(reporter);
    std::printf("\nregistration against the truth (%d frames a class, moved up to %.0f px, turned up to %.1f degrees):\n",
                Trials, MaxShift, MaxTurn);
    std::printf("  %-10s %8s %14s %12s %11s %12s %12s\n", "class", "aligned", "within 0.5 px", "within 1 px", "repeatable",
                "worst px", "ms/align");
    for (int i = 0; i < 2; ++i) {
        const RegistrationTally &t = registrationTallies[i];
        std::printf("  %-10s %8d %14d %12d %11d %12.2f %12.1f\n", i ? "sparse" : "dense", t.aligned, t.within,
                    t.withinPixel, t.repeatable, t.worst, t.seconds * 1000 / Trials);
    }
}

} // namespace

int main(int argc, char **argv)
{
    setupDetectionRuntime(nullptr);
    for (size_t i = 0; i < sizeof Classes / sizeof Classes[0]; ++i)
        benchmark::RegisterBenchmark((std::string("positioning_truth/") + Classes[i].name).c_str(), truth, i)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    for (size_t i = 0; i < sizeof Generated / sizeof Generated[0]; ++i)
        benchmark::RegisterBenchmark((std::string("positioning_generated/") + Generated[i].name).c_str(), generatedTruth, i)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    for (bool sparse : {false, true})
        benchmark::RegisterBenchmark(sparse ? "registration_truth/sparse" : "registration_truth/dense", registrationTruth,
                                     sparse)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    return runWithRatios(argc, argv, printAll);
}
