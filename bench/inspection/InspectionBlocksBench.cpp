// Speed of the frame conversions, the image moves and the contour comparison, each beside
// memcpy moving as many bytes as the call reads and writes (a memcpy of N bytes reads N and
// writes N, so it copies half the sum), and beside the matching OpenCV call, in the same run.
// Prints the ratios at the end; the goals are 2x memcpy for a conversion and 4x for a
// comparison.

#include "inspection/ContourModel.h"
#include "inspection/FrameConversions.h"

#include "bench/inspection/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int Width = 1280;
constexpr int Height = 1024;
constexpr size_t Pixels = size_t(Width) * Height;

// Source and destination buffers shared by every benchmark, filled with a varied scene.
struct Frames
{
    cv::Mat grey = cv::Mat(Height, Width, CV_8UC1);
    cv::Mat rgb24 = cv::Mat(Height, Width, CV_8UC3);
    cv::Mat rgb32 = cv::Mat(Height, Width, CV_8UC4);
    cv::Mat outGrey = cv::Mat(Height, Width, CV_8UC1);
    cv::Mat outRgb32 = cv::Mat(Height, Width, CV_8UC4);
    cv::Mat outRgb24 = cv::Mat(Height, Width, CV_8UC3);
    std::vector<uchar> copyTarget = std::vector<uchar>(Pixels * 4);

    Frames()
    {
        cv::RNG rng(7);
        rng.fill(grey, cv::RNG::UNIFORM, 0, 256);
        rng.fill(rgb24, cv::RNG::UNIFORM, 0, 256);
        rng.fill(rgb32, cv::RNG::UNIFORM, 0, 256);
    }
};

Frames &frames()
{
    static Frames f;
    return f;
}

void copyBytes(benchmark::State &state, const uchar *from, size_t bytes)
{
    uchar *to = frames().copyTarget.data();
    for (auto _ : state) {
        std::memcpy(to, from, bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

// Times one call per iteration.
template <typename Call>
void timeCalls(benchmark::State &state, Call call)
{
    for (auto _ : state) {
        call();
        benchmark::ClobberMemory();
    }
}

// memcpy moving the bytes a call reads and writes per pixel: (read + written) / 2 bytes copied.
void memcpyMoving(benchmark::State &state, int readPerPixel, int writtenPerPixel)
{
    copyBytes(state, frames().rgb32.data, Pixels * size_t(readPerPixel + writtenPerPixel) / 2);
}
void moving1To4(benchmark::State &state) { memcpyMoving(state, 1, 4); }
void moving3To4(benchmark::State &state) { memcpyMoving(state, 3, 4); }
void moving4To1(benchmark::State &state) { memcpyMoving(state, 4, 1); }
// The band comparison reads the frame crop, both limits and the region mask, and writes the marks.
void moving4To1Compare(benchmark::State &state) { memcpyMoving(state, 4, 1); }

void gray8ToRgb32Ours(benchmark::State &state)
{
    Frames &f = frames();
    timeCalls(state, [&] { gray8ToRgb32(f.grey.data, f.outRgb32.ptr<uint>(), Width, Height); });
}
void gray8ToRgb32OpenCv(benchmark::State &state)
{
    Frames &f = frames();
    timeCalls(state, [&] { cv::cvtColor(f.grey, f.outRgb32, cv::COLOR_GRAY2BGRA); });
}

void rgb24ToRgb32Ours(benchmark::State &state)
{
    Frames &f = frames();
    timeCalls(state, [&] { rgb24ToRgb32(f.outRgb32.data, f.rgb24.data, Width, Height); });
}
void rgb24ToRgb32OpenCv(benchmark::State &state)
{
    Frames &f = frames();
    timeCalls(state, [&] { cv::cvtColor(f.rgb24, f.outRgb32, cv::COLOR_RGB2BGRA); });
}

void rgb32ToGrayOurs(benchmark::State &state)
{
    Frames &f = frames();
    timeCalls(state, [&] { rgb32ToGray(f.outGrey.data, f.rgb32.ptr<uint>(), Width, Height); });
}
void rgb32ToGrayOpenCv(benchmark::State &state)
{
    Frames &f = frames();
    timeCalls(state, [&] { cv::cvtColor(f.rgb32, f.outGrey, cv::COLOR_BGRA2GRAY); });
}

void rgb32ToHueOurs(benchmark::State &state)
{
    Frames &f = frames();
    timeCalls(state, [&] { rgb32ToHue(f.outGrey.data, f.rgb32.ptr<uint>(), Width, Height); });
}
void rgb32ToHueOpenCv(benchmark::State &state)
{
    // OpenCV's nearest call: the full 3-channel HSV of the 4-byte frame.
    Frames &f = frames();
    timeCalls(state, [&] { cv::cvtColor(f.rgb32, f.outRgb24, cv::COLOR_BGR2HSV); });
}

void planeMemcpy(benchmark::State &state) { copyBytes(state, frames().grey.data, Pixels); }

void shiftImageOurs(benchmark::State &state)
{
    Frames &f = frames();
    timeCalls(state, [&] { shiftImage(f.grey, f.outGrey, 7, -5); });
}

void rotateImageOurs(benchmark::State &state)
{
    Frames &f = frames();
    timeCalls(state, [&] { rotateImage(f.grey, f.outGrey, QPoint(7, -5), QPoint(640, 512), 3.5); });
}
void rotateImageOpenCv(benchmark::State &state)
{
    Frames &f = frames();
    const cv::Mat m = cv::getRotationMatrix2D(cv::Point2f(640, 512), 3.5, 1.0);
    timeCalls(state, [&] {
        cv::warpAffine(f.grey, f.outGrey, m, f.grey.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    });
}

// The best-sample model (Amplify 4) with range(0) templates, each the frame under other noise:
// the frame is counted against every template, the closest one's marks are written.
void bestSampleWith(benchmark::State &state, int templates)
{
    Frames &f = frames();
    const cv::Mat mask(Height, Width, CV_8UC1, cv::Scalar(255));
    ContourModel model;
    model.init(Width, Height, mask, 0);
    cv::RNG rng(11);
    for (int t = 0; t < templates; ++t) {
        cv::Mat noise(Height, Width, CV_8UC1);
        rng.fill(noise, cv::RNG::UNIFORM, 0, 6);
        model.addSample(f.grey + noise);
    }
    model.learn(4, ContourModel::BestSampleAmplify, 100, 150);
    cv::Mat diff = cv::Mat::zeros(Height, Width, CV_8UC1);
    timeCalls(state, [&] { model.compare(f.grey, diff); });
}
void bestSampleCompare(benchmark::State &state) { bestSampleWith(state, int(state.range(0))); }
// The reference: the same model holding one template (goal: 10 templates within 1.5x of it).
void bestSampleOneTemplate(benchmark::State &state) { bestSampleWith(state, 1); }

// The band comparison reads the frame crop, both limits and the region mask.
void contourCompareOurs(benchmark::State &state)
{
    Frames &f = frames();
    cv::Mat mask(Height, Width, CV_8UC1, cv::Scalar(255));
    cv::circle(mask, cv::Point(Width / 2, Height / 2), Height / 3, cv::Scalar(0), cv::FILLED);
    ContourModel model;
    model.init(Width, Height, mask, 0);
    cv::Mat sample;
    cv::GaussianBlur(f.grey, sample, cv::Size(0, 0), 3.0);
    model.addSample(sample);
    model.addSample(sample + 12);
    model.learn(25, 1, 100, 150);
    cv::Mat diff = cv::Mat::zeros(Height, Width, CV_8UC1);
    timeCalls(state, [&] { model.compare(f.grey, diff); });
}

BENCHMARK(gray8ToRgb32Ours)->Name("gray8ToRgb32");
BENCHMARK(moving1To4)->Name("gray8ToRgb32/memcpy");
BENCHMARK(gray8ToRgb32OpenCv)->Name("gray8ToRgb32/cvtColor");
BENCHMARK(rgb24ToRgb32Ours)->Name("rgb24ToRgb32");
BENCHMARK(moving3To4)->Name("rgb24ToRgb32/memcpy");
BENCHMARK(rgb24ToRgb32OpenCv)->Name("rgb24ToRgb32/cvtColor");
BENCHMARK(rgb32ToGrayOurs)->Name("rgb32ToGray");
BENCHMARK(moving4To1)->Name("rgb32ToGray/memcpy");
BENCHMARK(rgb32ToGrayOpenCv)->Name("rgb32ToGray/cvtColor");
BENCHMARK(rgb32ToHueOurs)->Name("rgb32ToHue");
BENCHMARK(moving4To1)->Name("rgb32ToHue/memcpy");
BENCHMARK(rgb32ToHueOpenCv)->Name("rgb32ToHue/cvtColor");
BENCHMARK(shiftImageOurs)->Name("shiftImage");
BENCHMARK(planeMemcpy)->Name("shiftImage/memcpy");
BENCHMARK(rotateImageOurs)->Name("rotateImage");
BENCHMARK(planeMemcpy)->Name("rotateImage/memcpy");
BENCHMARK(rotateImageOpenCv)->Name("rotateImage/warpAffine");
BENCHMARK(contourCompareOurs)->Name("ContourModel::compare");
BENCHMARK(bestSampleCompare)->Name("ContourModel::compare_best_sample")->Arg(10);
BENCHMARK(bestSampleOneTemplate)->Name("ContourModel::compare_best_sample/one_template")->Arg(10);
BENCHMARK(moving4To1Compare)->Name("ContourModel::compare/memcpy");

} // namespace

int main(int argc, char **argv)
{
    cv::setNumThreads(1);
    return runWithRatios(argc, argv);
}
