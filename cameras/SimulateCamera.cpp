#include "cameras/SimulateCamera.h"

#include <QImage>

#include <cstring>

SimulateCamera::SimulateCamera() = default;

bool SimulateCamera::open()
{
    // Zeroed, then the image the first trigger loads, so the views show the mould from the
    // start; black when it is missing.
    frames.allocate(Width * Height * bytesPerPixel());
    loadStoredImage(nextFramePath());
    return true;
}

void SimulateCamera::setColorOutput(bool on)
{
    colorOutput = on;
    // The frame length follows at once; an open camera starts again from a black frame.
    if (frames.frameLength() > 0)
        frames.allocate(Width * Height * bytesPerPixel());
}

void SimulateCamera::getSize(int *width, int *height) const
{
    if (width)
        *width = Width;
    if (height)
        *height = Height;
}

bool SimulateCamera::getImage(uchar *destination, int destinationSize)
{
    return frames.copyFrame(destination, destinationSize);
}

QList<CameraInfo> SimulateCamera::enumerate()
{
    QList<CameraInfo> devices;
    for (int index = 0; index < 2; ++index) {
        CameraInfo device;
        device.index = index;
        device.iid = iid();
        devices << device;
    }
    return devices;
}

std::unique_ptr<CameraInterface> SimulateCamera::create(const CameraInfo &device)
{
    auto camera = std::make_unique<SimulateCamera>();
    camera->info = device;
    camera->deviceIndex = device.index;
    camera->identity = QString::fromLatin1(device.nameBytes());
    return camera;
}

QString SimulateCamera::nextFramePath() const
{
    return QStringLiteral("cammer%1/template%2.bmp").arg(deviceIndex * 10 + 15).arg(imageCounter);
}

void SimulateCamera::nextSimulatedFrame()
{
    const QString path = nextFramePath();
    imageCounter = 1 - imageCounter;
    loadStoredImage(path);
}

void SimulateCamera::loadStoredImage(const QString &path)
{
    // A missing, unreadable or wrongly sized image leaves the previous frame in place.
    const QImage image(path);
    if (image.isNull()) {
        qInfo("simulated camera %d: no stored image %s", deviceIndex, qUtf8Printable(path));
        return;
    }
    if (image.width() != Width || image.height() != Height) {
        qInfo("simulated camera %d: %s is %dx%d, not %dx%d", deviceIndex, qUtf8Printable(path),
              image.width(), image.height(), Width, Height);
        return;
    }
    copyImage(image);
}

void SimulateCamera::copyImage(const QImage &image)
{
    // Stored images come in whatever format the file has; frames are 8-bit grey, or 4 bytes
    // B, G, R, 0 per pixel like every driver's colour frames.
    const QImage converted = image.convertToFormat(colorOutput ? QImage::Format_RGB32
                                                               : QImage::Format_Grayscale8);
    if (converted.isNull()) {
        qWarning("simulated camera %d: stored image cannot be converted", deviceIndex);
        return;
    }
    const bool colour = colorOutput;
    frames.replaceWith([&converted, colour](uchar *frame, int frameLength) {
        const int rowBytes = Width * (colour ? 4 : 1);
        const int rows = qMin(Height, frameLength / rowBytes);
        for (int y = 0; y < rows; ++y) {
            uchar *out = frame + y * rowBytes;
            if (!colour) {
                std::memcpy(out, converted.constScanLine(y), size_t(rowBytes));
                continue;
            }
            const QRgb *in = reinterpret_cast<const QRgb *>(converted.constScanLine(y));
            for (int x = 0; x < Width; ++x, out += 4) {
                out[0] = uchar(qBlue(in[x]));
                out[1] = uchar(qGreen(in[x]));
                out[2] = uchar(qRed(in[x]));
                out[3] = 0;
            }
        }
    });
}
