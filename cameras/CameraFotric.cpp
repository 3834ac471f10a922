#include "cameras/CameraFotric.h"

#include "cameras/FotricDevice.h"
#include "inspection/FrameConversions.h"
#include "platform/streamsdk/StreamSdk.h"

#include <QThread>

#include <opencv2/imgproc.hpp>

#include <algorithm>

QString CameraFotric::probeHostPattern = QStringLiteral("192.168.%1.100");

namespace {

constexpr char CalibrationModePath[] = "/sensor/cali-mode";
// The camera needs a moment after its stream ends before it takes a new connection.
constexpr int CloseSettleMs = 200;
// From this isConnected call on since the last reconnect the camera counts as lost.
constexpr int LostAfterChecks = 3;
constexpr int MedianKernel = 3;
constexpr int BilateralDiameter = 3;
constexpr double BilateralColourSigma = 50;
constexpr double BilateralSpaceSigma = 25;

} // namespace

CameraFotric::CameraFotric() = default;

CameraFotric::~CameraFotric()
{
    // No raw frame may arrive in a destroyed camera.
    device.reset();
}

void CameraFotric::getSize(int *w, int *h) const
{
    if (w)
        *w = width;
    if (h)
        *h = height;
}

QList<CameraInfo> CameraFotric::enumerate()
{
    QList<CameraInfo> found;
    for (int i = 1; i <= ProbedHosts; ++i) {
        const QByteArray address = probeHostPattern.arg(i).toLocal8Bit();
        const FotricDevice probe(address, QByteArray(), QByteArray());
        if (!probe.answers())
            continue;
        CameraInfo camera;
        camera.index = int(found.size());
        camera.iid = iid();
        camera.setName(address);
        camera.setText(address);
        found << camera;
    }
    return found;
}

std::unique_ptr<CameraInterface> CameraFotric::create(const CameraInfo &device)
{
    auto camera = std::make_unique<CameraFotric>();
    camera->info = device;
    camera->host = device.nameBytes();
    camera->cameraNumber = device.channel;
    return camera;
}

bool CameraFotric::open()
{
    device.reset();
    auto opened = std::make_unique<FotricDevice>(host, QByteArray(), QByteArray());
    if (!opened->answers()) {
        qInfo("stream thermal camera %s does not answer", host.constData());
        return false;
    }
    // Without the size the raw frames cannot be read.
    if (!opened->hasSize()) {
        qWarning("stream thermal camera %s did not report its frame size", host.constData());
        return false;
    }
    width = opened->frameWidth();
    height = opened->frameHeight();
    const int pixels = width * height;
    frameIsColour = colorOutput;
    output.allocate(frameIsColour ? pixels * 4 : pixels);
    work.assign(size_t(pixels), 0);
    palette = thermalPalette;
    droppedFrameLogged = false;
    missedChecks = 0;
    opened->authorize();
    opened->put(CalibrationModePath, Json::Value("auto"));
    device = std::move(opened);
    return true;
}

void CameraFotric::close()
{
    device.reset();
    QThread::msleep(CloseSettleMs);
}

bool CameraFotric::startGrab()
{
    if (device && !device->hasStream())
        device->startStream(&CameraFotric::frameArrived, this);
    return true;
}

void CameraFotric::stopGrab()
{
    if (device)
        device->stopStream();
}

bool CameraFotric::getImage(uchar *destination, int destinationSize)
{
    return output.takeNewFrame(destination, destinationSize);
}

bool CameraFotric::isConnected()
{
    if (++missedChecks >= LostAfterChecks) {
        output.clearNewFrame();
        return false;
    }
    return output.hasNewFrame();
}

bool CameraFotric::reconnect()
{
    if (!output.hasNewFrame())
        return false;
    missedChecks = 0;
    return true;
}

void CameraFotric::frameArrived(int status, const streamsdk_frame *frame, void *context)
{
    if (status != 0 || !frame || !context)
        return;
    static_cast<CameraFotric *>(context)->convertFrame(*frame);
}

void CameraFotric::paletteMap(const uint16_t *samples, int w, int h, const ThermalPalette &colours, uchar *pixels)
{
    const size_t count = size_t(w) * size_t(h);
    if (!samples || !pixels || count == 0)
        return;
    const auto range = std::minmax_element(samples, samples + count);
    const int64_t lo = *range.first;
    const int64_t hi = *range.second;
    const int64_t span = lo < hi ? hi - lo : 1;
    for (size_t i = 0; i < count; ++i) {
        const PaletteEntry &c = colours[size_t((samples[i] - lo) * 255 / span)];
        uchar *pixel = pixels + i * 4;
        pixel[0] = c.blue;
        pixel[1] = c.green;
        pixel[2] = c.red;
        pixel[3] = 0;
    }
}

void CameraFotric::convertFrame(const streamsdk_frame &frame)
{
    const size_t pixels = size_t(width) * size_t(height);
    if (!frame.samples || int64_t(frame.width) != width || int64_t(frame.height) != height
        || frame.sample_count < pixels) {
        if (!droppedFrameLogged.exchange(true))
            qWarning("camera %s: dropped a %u x %u frame of %u samples; frames are %d x %d", host.constData(),
                     frame.width, frame.height, frame.sample_count, width, height);
        return;
    }
    droppedFrameLogged = false;
    output.publishWith([&](uchar *out, int length) {
        if (frameIsColour) {
            if (size_t(length) == pixels * 4)
                paletteMap(frame.samples, width, height, palette, out);
            return;
        }
        if (size_t(length) != pixels)
            return;
        auto *scratch = reinterpret_cast<uchar *>(work.data());
        paletteMap(frame.samples, width, height, palette, scratch);
        rgb32ToGray(out, work.data(), width, height);
        cv::Mat grey(height, width, CV_8UC1, out);
        cv::Mat median(height, width, CV_8UC1, scratch);
        cv::medianBlur(grey, median, MedianKernel);
        cv::bilateralFilter(median, grey, BilateralDiameter, BilateralColourSigma, BilateralSpaceSigma);
    });
}
