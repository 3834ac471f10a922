// The network thermal camera's picture conversions (planar YUV 4:2:0, V before U) at its two
// usual sizes, each beside OpenCV converting the same picture. OpenCV runs on one thread, as
// the camera's conversion thread does. The conversion thread has 30 ms per picture.

#include "bench/inspection/RatioReporter.h"
#include "cameras/Yuv420Conversion.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <random>
#include <vector>

namespace {

// A picture with noise in every plane, so no branch or table entry is favoured.
cv::Mat picture(int width, int height)
{
    cv::Mat yv12(height * 3 / 2, width, CV_8UC1);
    std::mt19937 random(uint32_t(width ^ height));
    for (int r = 0; r < yv12.rows; ++r) {
        uchar *row = yv12.ptr(r);
        for (int c = 0; c < width; ++c)
            row[c] = uchar(random());
    }
    return yv12;
}

void setSize(benchmark::State &state, int width, int height)
{
    state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
    state.SetBytesProcessed(int64_t(state.iterations()) * width * height * 3 / 2);
}

void bgraOurs(benchmark::State &state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const cv::Mat yv12 = picture(width, height);
    std::vector<uchar> bgra(size_t(width * height * 4));
    for (auto _ : state) {
        yuv420ToBgra(yv12.data, bgra.data(), width, height);
        benchmark::DoNotOptimize(bgra.data());
    }
    setSize(state, width, height);
}

void bgraOpenCv(benchmark::State &state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const cv::Mat yv12 = picture(width, height);
    cv::Mat bgra(height, width, CV_8UC4);
    for (auto _ : state) {
        cv::cvtColor(yv12, bgra, cv::COLOR_YUV2BGRA_YV12);
        benchmark::DoNotOptimize(bgra.data);
    }
    setSize(state, width, height);
}

void greyOurs(benchmark::State &state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const cv::Mat yv12 = picture(width, height);
    std::vector<uchar> grey(size_t(width * height));
    for (auto _ : state) {
        yuv420ToGray(yv12.data, grey.data(), width, height);
        benchmark::DoNotOptimize(grey.data());
    }
    setSize(state, width, height);
}

// OpenCV has no grey of the colour picture in one step (its YUV-to-grey only copies the Y
// plane), so the reference converts to colour and then to grey.
void greyOpenCv(benchmark::State &state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const cv::Mat yv12 = picture(width, height);
    cv::Mat bgra(height, width, CV_8UC4);
    cv::Mat grey(height, width, CV_8UC1);
    for (auto _ : state) {
        cv::cvtColor(yv12, bgra, cv::COLOR_YUV2BGRA_YV12);
        cv::cvtColor(bgra, grey, cv::COLOR_BGRA2GRAY);
        benchmark::DoNotOptimize(grey.data);
    }
    setSize(state, width, height);
}

void sizes(benchmark::internal::Benchmark *b)
{
    b->Args({640, 512})->Args({2688, 1520})->Unit(benchmark::kMicrosecond);
}

BENCHMARK(bgraOurs)->Name("yuv420ToBgra")->Apply(sizes);
BENCHMARK(bgraOpenCv)->Name("yuv420ToBgra/cvtColor")->Apply(sizes);
BENCHMARK(greyOurs)->Name("yuv420ToGray")->Apply(sizes);
BENCHMARK(greyOpenCv)->Name("yuv420ToGray/cvtColor+cvtColor")->Apply(sizes);

} // namespace

int main(int argc, char **argv)
{
    cv::setNumThreads(1);
    return runWithRatios(argc, argv);
}
