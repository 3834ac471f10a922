#include "station/TemplateFiles.h"

#include "core/AtomicFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cstring>

namespace {

bool validSize(int width, int height)
{
    return width > 0 && height > 0;
}

// Little-endian fields of a bitmap header.
quint32 le32(const QByteArray &bytes, int at)
{
    return quint32(uchar(bytes[at])) | quint32(uchar(bytes[at + 1])) << 8
           | quint32(uchar(bytes[at + 2])) << 16 | quint32(uchar(bytes[at + 3])) << 24;
}

// A bitmap cut short (a full disk, a power cut) still decodes, its missing rows filled with
// whatever the decoder had: the header's sizes tell how long the file must be.
bool isCutShortBitmap(const QByteArray &bytes)
{
    constexpr int InfoHeaderEnd = 34;
    if (!bytes.startsWith("BM") || bytes.size() < InfoHeaderEnd)
        return bytes.startsWith("BM");
    const quint64 size = quint64(bytes.size());
    if (le32(bytes, 2) > size)
        return true;
    const quint32 compression = le32(bytes, 30);
    if (compression != 0 && compression != 3)   // run-length files carry no fixed length
        return false;
    const quint64 width = quint64(qAbs(qint64(qint32(le32(bytes, 18)))));
    const quint64 height = quint64(qAbs(qint64(qint32(le32(bytes, 22)))));
    const quint64 bits = quint64(uchar(bytes[28])) | quint64(uchar(bytes[29])) << 8;
    const quint64 stride = (width * bits + 31) / 32 * 4;
    return quint64(le32(bytes, 10)) + stride * height > size;
}

// Loads path and checks its size and bit depth; a null image when it does not match, with the
// reason in *problem. A file that does not exist is no problem: most slots are empty.
QImage loadChecked(const QString &path, int width, int height, int depth, QString *problem)
{
    if (!validSize(width, height) || !QFileInfo(path).isFile())
        return QImage();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("unreadable (%1)").arg(file.errorString());
        return QImage();
    }
    // Room for the largest well-formed file of this size (header, colour table, padded rows);
    // a longer file is no bitmap of ours anyway and is cut before it is decoded.
    const qint64 largest = 2048 + qint64(width + 4) * height * 4;
    const QByteArray bytes = file.read(largest);
    if (isCutShortBitmap(bytes)) {
        *problem = QStringLiteral("unreadable (cut short at %1 bytes)").arg(bytes.size());
        return QImage();
    }
    QImage image;
    if (!image.loadFromData(bytes)) {
        *problem = QStringLiteral("unreadable (no image)");
        return QImage();
    }
    if (image.width() != width || image.height() != height || image.depth() != depth) {
        *problem = QStringLiteral("%1 x %2 pixels of %3 bits, %4 x %5 of %6 bits expected")
                       .arg(image.width())
                       .arg(image.height())
                       .arg(image.depth())
                       .arg(width)
                       .arg(height)
                       .arg(depth);
        return QImage();
    }
    return image;
}

bool loadGrey8(const QString &path, int width, int height, uchar *destination, QString *problem)
{
    const QImage image = loadChecked(path, width, height, 8, problem)
                             .convertToFormat(QImage::Format_Grayscale8);
    if (image.isNull() || !destination)
        return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(destination + size_t(y) * size_t(width), image.constScanLine(y), size_t(width));
    return true;
}

bool loadColour32(const QString &path, int width, int height, uchar *destination, QString *problem)
{
    const QImage image =
        loadChecked(path, width, height, 32, problem).convertToFormat(QImage::Format_RGB32);
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

// A new image whose every byte, the row padding too, is 0: the bitmap writer copies whole
// padded rows, and padding left as the allocator gave it would put stray heap bytes into the
// file (and make two saves of the same pixels differ).
QImage zeroedImage(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    if (!image.isNull())
        std::memset(image.bits(), 0, size_t(image.sizeInBytes()));
    return image;
}

// The bitmap is made in memory and replaces the file only when every byte was written: a
// full disk must not leave a cut-short template behind.
bool saveImage(const QImage &image, const QString &path)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "BMP")) {
        qWarning("%s could not be encoded", qPrintable(path));
        return false;
    }
    return writeFileAtomically(path, bytes);
}

bool saveGrey8(const QString &path, int width, int height, const uchar *source)
{
    if (!validSize(width, height) || !source)
        return false;
    QImage image = zeroedImage(width, height, QImage::Format_Indexed8);
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
    QImage image = zeroedImage(width, height, QImage::Format_RGB32);
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

bool loadTemplateImage(const QString &path, int width, int height, bool colour, uchar *destination,
                       QString *problem)
{
    QString ignored;
    QString *reason = problem ? problem : &ignored;
    reason->clear();
    return colour ? loadColour32(path, width, height, destination, reason)
                  : loadGrey8(path, width, height, destination, reason);
}

bool saveTemplateImage(const QString &path, int width, int height, bool colour, const uchar *source)
{
    return colour ? saveColour32(path, width, height, source) : saveGrey8(path, width, height, source);
}

bool loadIgnoreMask(const QString &path, int width, int height, uchar *destination,
                    QString *problem)
{
    QString ignored;
    QString *reason = problem ? problem : &ignored;
    reason->clear();
    return loadGrey8(path, width, height, destination, reason);
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
