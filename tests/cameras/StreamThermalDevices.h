#ifndef TESTS_CAMERAS_STREAMTHERMALDEVICES_H
#define TESTS_CAMERAS_STREAMTHERMALDEVICES_H

// Stream thermal cameras for tests: the fake camera's REST interface on a loopback address,
// its raw stream on the simulated stream library, and the driver pointed at both.

#include "cameras/CameraFotric.h"
#include "cameras/FotricDevice.h"
#include "inspection/FrameConversions.h"
#include "platform/streamsdk/StreamSimulation.h"
#include "tests/cameras/FakeThermalCamera.h"

#include <QString>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <memory>
#include <vector>

namespace streamthermal {

constexpr int Width = 64;
constexpr int Height = 48;

// The probed hosts are 127.0.1.1 to 127.0.4.1: all loopback, and nothing but the fake camera
// listens on its port there.
inline QString loopbackPattern()
{
    return QStringLiteral("127.0.%1.1");
}
inline std::string probedHost(int i)
{
    return "127.0." + std::to_string(i) + ".1";
}

// A camera answering at probed host i, with its raw stream registered; the driver's ports
// point at it.
struct Camera
{
    explicit Camera(int i = 2, int width = Width, int height = Height)
        : host(probedHost(i))
        , rest(host)
    {
        rest.setSize(width, height);
        CameraFotric::probeHostPattern = loopbackPattern();
        FotricDevice::restPort = rest.port();
        streamsim::addSource(host, FotricDevice::streamPort);
    }
    ~Camera() { streamsim::removeSource(host, FotricDevice::streamPort); }

    void sendFrame(const std::vector<uint16_t> &samples, int width = Width, int height = Height)
    {
        streamsim::sendFrame(host, FotricDevice::streamPort, uint32_t(width), uint32_t(height), samples);
    }

    std::string host;
    FakeThermalCamera rest;
};

// Samples rising along the rows and down the columns from base.
inline std::vector<uint16_t> ramp(int width = Width, int height = Height, int base = 1000, int step = 7)
{
    std::vector<uint16_t> samples(size_t(width * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            samples[size_t(y * width + x)] = uint16_t(base + (x + 3 * y) * step);
    }
    return samples;
}

// The camera the prototype enumerates first, created for camera number `number` and opened;
// null when none is found or it does not open.
inline std::unique_ptr<CameraInterface> openCamera(bool colour = false, int number = 0)
{
    CameraFotric prototype;
    const QList<CameraInfo> found = prototype.enumerate();
    if (found.isEmpty())
        return nullptr;
    std::unique_ptr<CameraInterface> camera = prototype.create(found.first());
    camera->setCameraNumber(number);
    camera->setColorOutput(colour);
    return camera->open() ? std::move(camera) : nullptr;
}

// What the camera shows for raw samples in grey: the palette colours, their grey, a 3 x 3
// median and a bilateral filter, each step done by OpenCV on images of its own.
inline std::vector<uchar> greyReference(const std::vector<uint16_t> &samples, int width, int height)
{
    const auto range = std::minmax_element(samples.begin(), samples.end());
    const int64_t lo = *range.first;
    const int64_t span = std::max<int64_t>(*range.second - lo, 1);
    cv::Mat index(height, width, CV_8UC1);
    for (int i = 0; i < width * height; ++i)
        index.data[i] = uchar((samples[size_t(i)] - lo) * 255 / span);
    cv::Mat table(1, 256, CV_8UC4);
    for (int i = 0; i < 256; ++i)
        table.at<cv::Vec4b>(0, i) = {thermalPalette[size_t(i)].blue, thermalPalette[size_t(i)].green,
                                     thermalPalette[size_t(i)].red, 0};
    cv::Mat colours;
    cv::Mat index4;
    cv::cvtColor(index, index4, cv::COLOR_GRAY2BGRA);
    cv::LUT(index4, table, colours);
    cv::Mat grey(height, width, CV_8UC1);
    rgb32ToGray(grey.data, reinterpret_cast<const uint *>(colours.data), width, height);
    cv::Mat median;
    cv::medianBlur(grey, median, 3);
    cv::Mat filtered;
    cv::bilateralFilter(median, filtered, 3, 50, 25);
    return std::vector<uchar>(filtered.data, filtered.data + width * height);
}

} // namespace streamthermal

#endif
