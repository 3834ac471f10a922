// Result images of a 2448 x 2048 colour camera: the JPEG encoding the archiver does beside
// cv::imencode of the same picture, one archived file (folder pruning, name, encoding, safe
// write) beside cv::imwrite, and the images per second the archiver thread sustains when
// images are handed over faster than it writes, beside writing them one after another with
// cv::imwrite. The figures are then set against a cycle of 8 cameras x 2 stages, and the
// archiver and a cv::imwrite loop take turns over several rounds for the goal's ratio.

#include "bench/GoalRow.h"
#include "bench/SampleStatistics.h"
#include "bench/inspection/RatioReporter.h"
#include "core/Globals.h"
#include "station/ResultImageBuffers.h"
#include "station/SaveFialImageThread.h"
#include "station/StationGlobals.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>

#include <opencv2/imgcodecs.hpp>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int Width = 2448;
constexpr int Height = 2048;
constexpr int Cameras = 2;
constexpr int Stages = 2;
constexpr int Keep = 50;
constexpr int ImagesPerRound = 16;
// A cycle of the largest station: every camera's both stages.
constexpr int ImagesPerCycle = 8 * 2;
// The pause the archiver used to make after every image.
constexpr double OldPauseSeconds = 0.2;

// A mould-like result picture: smooth shading, fine noise and a few sharp outlines, so the
// encoder meets what it meets on the panel rather than a flat colour.
QImage resultPicture()
{
    QImage image(Width, Height, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < Height; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            const int shade = 60 + (x * 3 + y * 2) % 120 + int(random() % 24);
            const bool outline = (x % 400 < 3) || (y % 300 < 3);
            row[x] = outline ? qRgb(255, 0, 0) : qRgb(shade, shade, shade + 8);
        }
    }
    return image;
}

const QImage &picture()
{
    static const QImage image = resultPicture();
    return image;
}

cv::Mat pictureMat()
{
    const QImage &image = picture();
    return cv::Mat(image.height(), image.width(), CV_8UC4, const_cast<uchar *>(image.constBits()),
                   size_t(image.bytesPerLine()));
}

// cv::imwrite into a folder of Keep files in rotation, at the archiver writer's quality (75).
bool imwriteNext(const cv::Mat &mat)
{
    static int n = 0;
    static const bool folder = QDir().mkpath(QStringLiteral("imwrite"));
    const std::vector<int> quality = {cv::IMWRITE_JPEG_QUALITY, 75};
    return folder && cv::imwrite("imwrite/" + std::to_string(n++ % Keep) + ".jpg", mat, quality);
}

ArchiveImage archiveImage(int camera, int stage)
{
    ArchiveImage image;
    image.camera = camera;
    image.stage = stage;
    image.slot = ResultImageBuffers::OkSlot;
    image.size = QSize(Width, Height);
    image.pixels = QByteArray(reinterpret_cast<const char *>(picture().constBits()),
                              int(picture().sizeInBytes()));
    return image;
}

void BM_ResultJpegEncode(benchmark::State &state)
{
    QByteArray bytes;
    for (auto _ : state) {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpg");
        if (!writer.write(picture()))
            state.SkipWithError("JPEG encoding failed");
    }
    state.counters["kB"] = double(bytes.size()) / 1024.0;
}

void BM_ResultJpegEncode_Reference(benchmark::State &state)
{
    const cv::Mat mat = pictureMat();
    std::vector<uchar> bytes;
    // The quality the archiver's writer uses.
    const std::vector<int> quality = {cv::IMWRITE_JPEG_QUALITY, 75};
    for (auto _ : state) {
        if (!cv::imencode(".jpg", mat, bytes, quality))
            state.SkipWithError("imencode failed");
    }
    state.counters["kB"] = double(bytes.size()) / 1024.0;
}

void BM_ResultImageWrite(benchmark::State &state)
{
    const ArchiveImage image = archiveImage(0, 0);
    for (auto _ : state) {
        if (SaveFialImageThread::writeImage(image, Keep).isEmpty())
            state.SkipWithError("result image not written");
    }
}

void BM_ResultImageWrite_Reference(benchmark::State &state)
{
    const cv::Mat mat = pictureMat();
    for (auto _ : state) {
        if (!imwriteNext(mat))
            state.SkipWithError("imwrite failed");
    }
}

// One round: the images handed over at once (the GUI thread waits whenever the queue is full),
// until the last is on disk.
void archiveRound(ResultImageBuffers &buffers)
{
    for (int i = 0; i < ImagesPerRound; ++i) {
        const int c = i % Cameras;
        const int d = (i / Cameras) % Stages;
        // The rendering's share: the picture into the slot's buffer.
        std::memcpy(buffers.buffer(c, d, ResultImageBuffers::OkSlot), picture().constBits(),
                    size_t(buffers.bufferBytes(c)));
        buffers.flag(c, d, ResultImageBuffers::OkSlot, false);
    }
    while (buffers.waitingImages() > 0)
        QThread::usleep(200);
}

// Rounds of images handed over at once (the GUI thread waits whenever the queue is full), each
// timed until the last is on disk.
void BM_ArchiverImagesPerSecond(benchmark::State &state)
{
    ResultImageBuffers buffers;
    buffers.allocate(QVector<QSize>(Cameras, QSize(Width, Height)), Stages);
    SaveFialImageThread archiver(&buffers);
    archiver.start();
    for (auto _ : state) {
        archiveRound(buffers);
    }
    state.SetItemsProcessed(state.iterations() * ImagesPerRound);
}

void BM_ArchiverImagesPerSecond_Reference(benchmark::State &state)
{
    const cv::Mat mat = pictureMat();
    for (auto _ : state) {
        for (int i = 0; i < ImagesPerRound; ++i) {
            if (!imwriteNext(mat))
                state.SkipWithError("imwrite failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * ImagesPerRound);
}

BENCHMARK(BM_ResultJpegEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResultJpegEncode_Reference)->Name("BM_ResultJpegEncode/imencode")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResultImageWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResultImageWrite_Reference)->Name("BM_ResultImageWrite/imwrite")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiverImagesPerSecond)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArchiverImagesPerSecond_Reference)
    ->Name("BM_ArchiverImagesPerSecond/imwrite")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void printCycleFigures(const RatioReporter &reporter)
{
    const double round = reporter.secondsOf("BM_ArchiverImagesPerSecond/real_time");
    const double write = reporter.secondsOf("BM_ResultImageWrite");
    if (round <= 0 || write <= 0)
        return;
    const double rate = ImagesPerRound / round;
    const double oldRate = 1.0 / (write + OldPauseSeconds);
    std::printf("\narchiver: %.1f images/s of %dx%d colour (%.2f s for the %d images of a cycle of "
                "8 cameras x 2 stages)\n",
                rate, Width, Height, ImagesPerCycle / rate, ImagesPerCycle);
    std::printf("with a 200 ms pause after every image it would be %.1f images/s (%.2f s a cycle); "
                "now %.1fx that\n",
                oldRate, ImagesPerCycle / oldRate, rate / oldRate);
}

// The archiver beside a plain cv::imwrite loop of the same images, in rounds that take turns:
// each round hands the archiver its images and waits until the last is on disk, then writes
// as many with cv::imwrite. The rate ratio of every round; its median is the figure.
void compareRounds(int rounds)
{
    ResultImageBuffers buffers;
    buffers.allocate(QVector<QSize>(Cameras, QSize(Width, Height)), Stages);
    SaveFialImageThread archiver(&buffers);
    archiver.start();
    const cv::Mat mat = pictureMat();
    std::vector<double> ratios;
    std::vector<double> archiverRates;
    std::vector<double> plainRates;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer clock;
        clock.start();
        archiveRound(buffers);
        const double archived = double(clock.nsecsElapsed()) / 1e9;
        clock.restart();
        for (int i = 0; i < ImagesPerRound; ++i)
            imwriteNext(mat);
        const double plain = double(clock.nsecsElapsed()) / 1e9;
        archiverRates.push_back(ImagesPerRound / archived);
        plainRates.push_back(ImagesPerRound / plain);
        ratios.push_back(plain / archived);
    }
    const double ratio = percentile(ratios, 0.5);
    std::printf("\narchiver beside cv::imwrite, %d rounds of %d images taking turns: %.1f against %.1f images/s "
                "(medians), %.2fx (median of the rounds' ratios; %.2fx to %.2fx)\n",
                rounds, ImagesPerRound, percentile(archiverRates, 0.5), percentile(plainRates, 0.5), ratio,
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
    printGoal("archiver images/s / plain cv::imwrite loop",
              formatted("%.2fx (%.1f against %.1f images/s)", ratio, percentile(archiverRates, 0.5),
                        percentile(plainRates, 0.5)),
              ">= 0.8x", ratio >= 0.8);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()))
        return 1;
    QMutex images;
    imageSaveMutex = &images;
    okImagesToKeep = Keep;
    ngImagesToKeep = Keep;
    const int result = runWithRatios(argc, argv, printCycleFigures);
    if (result == 0)
        compareRounds(12);
    return result;
}
