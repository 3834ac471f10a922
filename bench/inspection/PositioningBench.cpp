// Speed of the positioning search on a 1280 x 1024 frame: the default target (the centred half)
// and a 60 x 40 target, searched within 50 pixels around it and over the whole frame, without
// rotation and within +-10 degrees; each beside a cv::matchTemplate pyramid search that finds
// the same position (the counter "agree" is 1 when both lie within 1.5 pixels). Goal: no
// slower than that reference.

#include "bench/inspection/PyramidMatch.h"
#include "bench/inspection/RatioReporter.h"
#include "inspection/DetectionRuntime.h"
#include "inspection/PositioningModel.h"
#include "tools/framegen/MouldSynth.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

namespace {

const cv::Size FrameSize(1280, 1024);

struct Scene
{
    synth::MouldLayout layout = synth::makeMouldLayout(3, FrameSize);
    cv::Mat templ;
    cv::Mat still;
    cv::Mat turned;

    Scene()
    {
        synth::Conditions sampling;
        sampling.noiseSeed = 100;
        templ = synth::renderMould(layout, {}, sampling);
        synth::Conditions moved;
        moved.shift = cv::Point2f(7, -3);
        still = synth::renderMould(layout, {}, moved);
        moved.rotation = 4.3;
        turned = synth::renderMould(layout, {}, moved);
    }

    cv::Rect target(bool small) const
    {
        if (!small)
            return cv::Rect(FrameSize.width / 4, FrameSize.height / 4, FrameSize.width / 2, FrameSize.height / 2);
        const int margin = layout.fiducial.size / 5;
        return cv::Rect(layout.fiducial.origin.x - margin, layout.fiducial.origin.y - margin, 60, 40);
    }

    cv::Rect searchArea(const cv::Rect &t, bool whole) const
    {
        if (whole)
            return cv::Rect(0, 0, FrameSize.width, FrameSize.height);
        return cv::Rect(t.x - 50, t.y - 50, t.width + 100, t.height + 100) & cv::Rect(0, 0, FrameSize.width, FrameSize.height);
    }
};

const Scene &scene()
{
    static const Scene s;
    return s;
}

// range(0): 60 x 40 target, range(1): whole frame, range(2): angle range.
void positioning(benchmark::State &state)
{
    const Scene &s = scene();
    const cv::Rect target = s.target(state.range(0) != 0);
    const cv::Rect area = s.searchArea(target, state.range(1) != 0);
    const int range = int(state.range(2));
    const cv::Point anchor(target.x + target.width / 2 - area.x, target.y + target.height / 2 - area.y);
    PositioningModel model;
    model.create(s.templ(target), range, anchor.x, anchor.y, cv::Mat(target.size(), CV_8UC1, cv::Scalar(255)));
    const cv::Mat frame = (range ? s.turned : s.still)(area);
    int dx = 0;
    int dy = 0;
    double angle = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(model.find(frame, dx, dy, angle));
    const bench::PyramidMatch reference = bench::matchPyramid(frame, s.templ(target), range);
    const double agree = std::hypot(anchor.x - dx - reference.centre.x, anchor.y - dy - reference.centre.y);
    state.counters["agree"] = agree <= 1.5 ? 1 : 0;
    state.counters["angle"] = angle;
}

void matchTemplatePyramid(benchmark::State &state)
{
    const Scene &s = scene();
    const cv::Rect target = s.target(state.range(0) != 0);
    const cv::Rect area = s.searchArea(target, state.range(1) != 0);
    const int range = int(state.range(2));
    const cv::Mat frame = (range ? s.turned : s.still)(area);
    const cv::Mat templ = s.templ(target).clone();
    double angle = 0;
    for (auto _ : state) {
        const bench::PyramidMatch m = bench::matchPyramid(frame, templ, range);
        angle = m.angle;
        benchmark::DoNotOptimize(m.centre);
    }
    state.counters["angle"] = angle;
}

void configurations(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"small", "whole", "range"});
    for (int small : {0, 1})
        for (int whole : {0, 1})
            for (int range : {0, 10})
                b->Args({small, whole, range});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(positioning)->Name("positioning")->Apply(configurations);
BENCHMARK(matchTemplatePyramid)->Name("positioning/matchTemplate_pyramid")->Apply(configurations);

} // namespace

int main(int argc, char **argv)
{
    setupDetectionRuntime(nullptr);
    return runWithRatios(argc, argv);
}
