// Speed of the registration of a 1280 x 1024 frame (moved 12 / -7 pixels, turned 1.5 degrees,
// 1 % keystone), split into features, matching, estimation, the settling on grey values and warp,
// and as a whole, beside
// bare SIFT detectAndCompute plus a brute-force two-nearest matching with the ratio test on the
// same scaled area. Goal: the whole within 1.5x of that reference, and repeatable (the same
// frame always gives the same transform).

#include "bench/inspection/RatioReporter.h"
#include "inspection/DetectionRuntime.h"
#include "inspection/ImageRegistration.h"
#include "tools/framegen/MouldSynth.h"

#include <benchmark/benchmark.h>

#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>

namespace {

const cv::Size FrameSize(1280, 1024);

struct Scene
{
    ImageRegistration slot;
    cv::Mat frame;
    cv::Mat mask = cv::Mat::zeros(FrameSize, CV_8UC1);
    cv::Mat warped;
    std::vector<cv::Point2f> framePoints;
    std::vector<cv::Point2f> referencePoints;
    cv::Mat transform;
    cv::Mat referenceDescriptors;

    Scene()
    {
        const synth::MouldLayout layout = synth::makeMouldLayout(6, FrameSize);
        synth::Conditions sampling;
        sampling.noiseSeed = 100;
        // The stage's default registration area.
        mask(cv::Rect(FrameSize.width / 4, FrameSize.height / 4, FrameSize.width * 3 / 4, FrameSize.height * 3 / 4))
            .setTo(255);
        slot.setReference(synth::renderMould(layout, {}, sampling), mask);
        synth::Conditions camera;
        camera.shift = cv::Point2f(12, -7);
        camera.rotation = 1.5;
        camera.keystone = 0.01;
        frame = synth::renderMould(layout, {}, camera);
        slot.detectFrameFeatures(frame);
        slot.matchPoints(0.4f, framePoints, referencePoints);
        slot.estimate(framePoints, referencePoints, FrameSize, transform);
        referenceDescriptors = slot.features[1].descriptors.getMat(cv::ACCESS_READ).clone();
    }
};

Scene &scene()
{
    static Scene s;
    return s;
}

void features(benchmark::State &state)
{
    Scene &s = scene();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.slot.detectFrameFeatures(s.frame));
    state.counters["keypoints"] = double(s.slot.features[0].keypoints.size());
}

void matching(benchmark::State &state)
{
    Scene &s = scene();
    s.slot.detectFrameFeatures(s.frame);
    std::vector<cv::Point2f> a, b;
    for (auto _ : state)
        s.slot.matchPoints(0.4f, a, b);
    state.counters["matches"] = double(a.size());
}

void estimation(benchmark::State &state)
{
    Scene &s = scene();
    cv::Mat h;
    ImageRegistration::Outcome outcome = ImageRegistration::Failed;
    for (auto _ : state)
        benchmark::DoNotOptimize(outcome = s.slot.estimate(s.framePoints, s.referencePoints, FrameSize, h));
    state.counters["aligned"] = outcome == ImageRegistration::Aligned ? 1 : 0;
}

void refinement(benchmark::State &state)
{
    Scene &s = scene();
    IntensityRefinement::Result result;
    for (auto _ : state) {
        cv::Mat h = s.transform.clone();
        benchmark::DoNotOptimize(result = s.slot.refinement.refine(s.frame, h));
    }
    state.counters["settled"] = result.settled ? 1 : 0;
    state.counters["iterations"] = result.iterations;
    state.counters["samples"] = s.slot.refinement.sampleCount();
}

void warp(benchmark::State &state)
{
    Scene &s = scene();
    for (auto _ : state)
        cv::warpPerspective(s.frame, s.warped, s.transform, FrameSize, cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                            cv::Scalar::all(0));
}

void registration(benchmark::State &state)
{
    Scene &s = scene();
    bool aligned = false;
    for (auto _ : state)
        benchmark::DoNotOptimize(aligned = s.slot.align(s.frame, s.warped, 0.4f));
    state.counters["aligned"] = aligned ? 1 : 0;
    // The same frame must always give the same transform.
    const cv::Mat first = s.slot.lastHomography().clone();
    bool repeatable = true;
    for (int i = 0; i < 5; ++i) {
        s.slot.align(s.frame, s.warped, 0.4f);
        repeatable = repeatable && cv::norm(s.slot.lastHomography(), first, cv::NORM_INF) == 0;
    }
    state.counters["repeatable"] = repeatable ? 1 : 0;
}

// What registration cannot do without: SIFT on the scaled frame and matching against the
// reference's descriptors.
void bareSift(benchmark::State &state)
{
    Scene &s = scene();
    const cv::Ptr<cv::SIFT> sift = cv::SIFT::create(0, 3, 0.04, 10.0, 1.6);
    cv::BFMatcher matcher(cv::NORM_L2);
    cv::Mat scaled;
    cv::Mat scaledMask;
    std::vector<cv::KeyPoint> keypoints;
    cv::Mat descriptors;
    std::vector<std::vector<cv::DMatch>> pairs;
    size_t good = 0;
    for (auto _ : state) {
        cv::resize(s.frame(s.slot.featureArea), scaled, cv::Size(), s.slot.scale, s.slot.scale, cv::INTER_LINEAR_EXACT);
        cv::resize(s.mask(s.slot.featureArea), scaledMask, scaled.size(), 0, 0, cv::INTER_LINEAR_EXACT);
        sift->detectAndCompute(scaled, scaledMask, keypoints, descriptors);
        pairs.clear();   // knnMatch appends
        matcher.knnMatch(descriptors, s.referenceDescriptors, pairs, 2);
        good = 0;
        for (const auto &p : pairs)
            good += (p.size() == 2 && p[0].distance < 0.6f * p[1].distance) ? 1 : 0;
    }
    state.counters["keypoints"] = double(keypoints.size());
    state.counters["matches"] = double(good);
}

BENCHMARK(features)->Name("registration_features")->Unit(benchmark::kMillisecond);
BENCHMARK(matching)->Name("registration_matching")->Unit(benchmark::kMillisecond);
BENCHMARK(estimation)->Name("registration_estimation")->Unit(benchmark::kMillisecond);
BENCHMARK(refinement)->Name("registration_refinement")->Unit(benchmark::kMillisecond);
BENCHMARK(warp)->Name("registration_warp")->Unit(benchmark::kMillisecond);
BENCHMARK(registration)->Name("registration")->Unit(benchmark::kMillisecond);
BENCHMARK(bareSift)->Name("registration/bare_sift_and_matching")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    setupDetectionRuntime(nullptr);
    return runWithRatios(argc, argv);
}
