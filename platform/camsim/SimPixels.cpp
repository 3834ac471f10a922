#include "platform/camsim/SimPixels.h"

#include <cstring>

namespace camsim {

namespace {

// The colour at (x, y) of a mosaic, taken from its 2 × 2 cell (the last row or column of an
// odd size reuses the cell before it).
void cellColour(const uchar *mosaic, int width, int height, int x, int y, uchar *rgb)
{
    const int cx = qMin(x & ~1, qMax(width - 2, 0));
    const int cy = qMin(y & ~1, qMax(height - 2, 0));
    const int x1 = qMin(cx + 1, width - 1);
    const int y1 = qMin(cy + 1, height - 1);
    rgb[0] = mosaic[cy * width + cx];
    rgb[1] = uchar((mosaic[cy * width + x1] + mosaic[y1 * width + cx]) / 2);
    rgb[2] = mosaic[y1 * width + x1];
}

} // namespace

int bytesPerPixel(PixelLayout layout)
{
    return layout == PixelLayout::Rgb8 ? 3 : 1;
}

int frameBytes(PixelLayout layout, int width, int height)
{
    if (width < 1 || height < 1)
        return 0;
    return width * height * bytesPerPixel(layout);
}

bool convertPixels(PixelLayout from, const uchar *src, int srcBytes, PixelLayout to, uchar *dst,
                   int dstBytes, int width, int height)
{
    const int pixels = frameBytes(PixelLayout::Mono8, width, height);
    if (!src || !dst || pixels == 0 || srcBytes < frameBytes(from, width, height)
        || dstBytes < frameBytes(to, width, height))
        return false;
    if (from == to) {
        std::memcpy(dst, src, size_t(frameBytes(to, width, height)));
        return true;
    }
    if (to == PixelLayout::BayerRg8)
        return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int i = y * width + x;
            uchar rgb[3];
            if (from == PixelLayout::Mono8)
                rgb[0] = rgb[1] = rgb[2] = src[i];
            else if (from == PixelLayout::Rgb8)
                std::memcpy(rgb, src + 3 * i, 3);
            else
                cellColour(src, width, height, x, y, rgb);
            if (to == PixelLayout::Mono8)
                dst[i] = greyOf(rgb[0], rgb[1], rgb[2]);
            else
                std::memcpy(dst + 3 * i, rgb, 3);
        }
    }
    return true;
}

} // namespace camsim
