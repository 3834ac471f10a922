// How far the positioning can be trusted: frames generated with a known shift and turn, per
// class of scene (dense: the textured mould; sparse: the same mould blurred to little texture
// and contrast), target (small: 60 x 40 around the fiducial; large: the centred half; partly
// outside: the fiducial's neighbourhood moved partly out of the frame) and rotation search
// (none, or +-10 degrees with turns up to 10 degrees). Each class counts how often the found
// pose is right (the target's centre and corners within RightPixels of where the camera put
// them), wrong but reported found (must stay 0: a frame moved by a wrong pose carries parts out
// of their regions), and not found. Also the time per search.

#include "bench/inspection/RatioReporter.h"
#include "inspection/DetectionRuntime.h"
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
constexpr int Trials = 12;
constexpr double RightPixels = 2.0;
constexpr double MaxShift = 25.0;
constexpr double Pi = 3.14159265358979323846;

enum class Target { Small, Large, PartlyOutside };

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
};

// Little texture: the mould blurred and its contrast halved, with fresh sensor noise.
cv::Mat sparseOf(const cv::Mat &frame, std::uint32_t seed)
{
    cv::Mat blurred;
    cv::GaussianBlur(frame, blurred, cv::Size(0, 0), 3.0);
    cv::Mat out;
    blurred.convertTo(out, CV_32F, 0.5, 72);
    cv::Mat noise(frame.size(), CV_32F);
    cv::RNG(seed).fill(noise, cv::RNG::NORMAL, 0, 2);
    out += noise;
    out.convertTo(out, CV_8U);
    return out;
}

cv::Rect targetOf(const synth::MouldLayout &layout, Target target)
{
    const synth::Fiducial &f = layout.fiducial;
    switch (target) {
    case Target::Small:
        return cv::Rect(f.origin.x - f.size / 5, f.origin.y - f.size / 5, 60, 40);
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
                templ = sparseOf(templ, seed);
                frame = sparseOf(frame, seed + 7);
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
            // Where the found pose puts the target's centre and corners beside where the camera
            // put them. The model's angle turns clockwise, the camera's roll counter-clockwise.
            const cv::Matx33d camera = synth::cameraTransform(FrameSize, conditions);
            const cv::Point2d centre(anchor.x - dx, anchor.y - dy);
            const double rad = angle * Pi / 180.0;
            double error = 0;
            const cv::Point2d points[5] = {cv::Point2d(anchor), cv::Point2d(target.tl()),
                                           cv::Point2d(target.x + target.width, target.y),
                                           cv::Point2d(target.br()), cv::Point2d(target.x, target.y + target.height)};
            for (const cv::Point2d &p : points) {
                const cv::Point2d d = p - cv::Point2d(anchor);
                const cv::Point2d predicted(centre.x + d.x * std::cos(rad) - d.y * std::sin(rad),
                                            centre.y + d.x * std::sin(rad) + d.y * std::cos(rad));
                const cv::Point2d seen = synth::transformPoint(camera, p);
                error = std::max(error, std::hypot(predicted.x - seen.x, predicted.y - seen.y));
            }
            if (error <= RightPixels) {
                ++tally.right;
                tally.worstRight = std::max(tally.worstRight, error);
                tally.lowestRightScore = std::min(tally.lowestRightScore, model.lastScore());
            } else {
                ++tally.wrong;
                tally.worstWrong = std::max(tally.worstWrong, error);
                tally.highestWrongScore = std::max(tally.highestWrongScore, model.lastScore());
            }
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
    std::printf("  %-32s %6s %12s %10s %14s %10s %12s %12s\n", "class", "right", "wrong-found", "not found",
                "worst right px", "ms/find", "right score", "wrong score");
    int wrong = 0;
    for (size_t i = 0; i < sizeof Classes / sizeof Classes[0]; ++i) {
        const Tally &t = tallies[i];
        wrong += t.wrong;
        std::printf("  %-32s %6d %12d %10d %14.2f %10.1f %12.2f %12.2f\n", Classes[i].name, t.right, t.wrong, t.missing,
                    t.worstRight, t.seconds * 1000 / Trials, t.right ? t.lowestRightScore : 0.0,
                    t.wrong ? t.highestWrongScore : 0.0);
    }
    std::printf("  wrong but found in all: %d (goal 0: %s)\n", wrong, wrong == 0 ? "met" : "MISSED");
}

} // namespace

int main(int argc, char **argv)
{
    setupDetectionRuntime(nullptr);
    for (size_t i = 0; i < sizeof Classes / sizeof Classes[0]; ++i)
        benchmark::RegisterBenchmark((std::string("positioning_truth/") + Classes[i].name).c_str(), truth, i)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    return runWithRatios(argc, argv, printTruth);
}
