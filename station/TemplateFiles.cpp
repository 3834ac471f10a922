#include "station/TemplateFiles.h"

#include <QImage>

#include <cstring>

namespace {

bool validSize(int width, int height)
{
    return width > 0 && height > 0;
}

// Loads path and checks its size and bit depth; a null image when it does not match.
QImage loadChecked(const QString &path, int width, int height, int depth)
{
    if (!validSize(width, height))
        return QImage();
    QImage image(path);
    if (image.isNull() || image.width() != width || image.height() != height || image.depth() != depth)
        return QImage();
    return image;
}

bool loadGrey8(const QString &path, int width, int height, uchar *destination)
{
    const QImage image = loadChecked(path, width, height, 8)
                             .convertToFormat(QImage::Format_Grayscale8);
    if (image.isNull() || !destination)
        return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(destination + size_t(y) * size_t(width), image.constScanLine(y), size_t(width));
    return true;
}

bool loadColour32(const QString &path, int width, int height, uchar *destination)
{
    const QImage image = loadChecked(path, width, height, 32).convertToFormat(QImage::Format_RGB32);
    if (image.isNull() || !destination)
        return false;
    for (int y = 0; y < height; ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *out = destination + size_t(y) * size_t(width) * 4;
        for (int x = 0; x < width; ++x, out += 4) {
            out[0] = uchar(qBlue(in[x]));
            out[1] = uchar(qGreen(in[x]));
            out[2] = uchar(qRed(in[x]));
            out[3] = 0;
        }
    }
    return true;
}

bool saveImage(const QImage &image, const QString &path)
{
    if (image.save(path, "BMP"))
        return true;
    qWarning("%s could not be written", qPrintable(path));
    return false;
}

bool saveGrey8(const QString &path, int width, int height, const uchar *source)
{
    if (!validSize(width, height) || !source)
        return false;
    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull())
        return false;
    image.setColorTable(greyColourTable());
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), source + size_t(y) * size_t(width), size_t(width));
    return saveImage(image, path);
}

bool saveColour32(const QString &path, int width, int height, const uchar *source)
{
    if (!validSize(width, height) || !source)
        return false;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    for (int y = 0; y < height; ++y) {
        const uchar *in = source + size_t(y) * size_t(width) * 4;
        QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x, in += 4)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return saveImage(image, path);
}

} // namespace

QString stageFolder(int camera, int stage)
{
    return QStringLiteral("./cammer%1%2").arg(camera + 1).arg(stage + 1);
}

QString templateFilePath(int camera, int stage, int slot)
{
    return QStringLiteral("%1/template%2.bmp").arg(stageFolder(camera, stage)).arg(slot);
}

QString ignoreMaskFilePath(int camera, int stage)
{
    return stageFolder(camera, stage) + QStringLiteral("/ignorepoint.bmp");
}

const QVector<QRgb> &greyColourTable()
{
    static const QVector<QRgb> table = [] {
        QVector<QRgb> greys(256);
        for (int i = 0; i < greys.size(); ++i)
            greys[i] = qRgb(i, i, i);
        return greys;
    }();
    return table;
}

bool loadTemplateImage(const QString &path, int width, int height, bool colour, uchar *destination)
{
    return colour ? loadColour32(path, width, height, destination)
                  : loadGrey8(path, width, height, destination);
}

bool saveTemplateImage(const QString &path, int width, int height, bool colour, const uchar *source)
{
    return colour ? saveColour32(path, width, height, source) : saveGrey8(path, width, height, source);
}

bool loadIgnoreMask(const QString &path, int width, int height, uchar *destination)
{
    return loadGrey8(path, width, height, destination);
}

bool saveIgnoreMask(const QString &path, int width, int height, const uchar *source)
{
    return saveGrey8(path, width, height, source);
}

void fillDefaultTemplate(uchar *destination, int width, int height, bool colour)
{
    if (!destination || !validSize(width, height))
        return;
    const int pixelBytes = colour ? 4 : 1;
    const int left = width / 4;
    const int top = height / 4;
    for (int y = 0; y < height; ++y) {
        uchar *row = destination + size_t(y) * size_t(width) * size_t(pixelBytes);
        const bool rowInside = y >= top && y <= 3 * top;
        for (int x = 0; x < width; ++x) {
            const uchar value = rowInside && x >= left && x <= 3 * left ? 255 : 0;
            uchar *pixel = row + x * pixelBytes;
            std::memset(pixel, value, size_t(pixelBytes));
            if (colour)
                pixel[3] = 0;
        }
    }
}
