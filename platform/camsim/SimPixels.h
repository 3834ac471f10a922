#ifndef PLATFORM_CAMSIM_SIMPIXELS_H
#define PLATFORM_CAMSIM_SIMPIXELS_H

#include <QByteArray>
#include <QtGlobal>

namespace camsim {

// The pixel layouts a simulated sensor delivers and the SDKs convert between. Buffers are
// tightly packed, rows top to bottom.
enum class PixelLayout {
    Mono8,     // 1 byte per pixel
    Rgb8,      // 3 bytes per pixel, R, G, B
    BayerRg8   // 1 byte per pixel, R G / G B mosaic starting with R at (0, 0)
};

int bytesPerPixel(PixelLayout layout);
// width × height × bytes per pixel; 0 for a size below 1.
int frameBytes(PixelLayout layout, int width, int height);

// The grey value of a colour, weights of 77, 150 and 29 in 256ths (equal channels keep their
// value).
inline uchar greyOf(uchar r, uchar g, uchar b)
{
    return uchar((77 * r + 150 * g + 29 * b) >> 8);
}

// Converts a frame; false when a layout pair is not supported or a buffer is too small.
// Mosaics are developed per 2 × 2 cell, so a uniform colour keeps its exact value.
bool convertPixels(PixelLayout from, const uchar *src, int srcBytes, PixelLayout to, uchar *dst,
                   int dstBytes, int width, int height);

} // namespace camsim

#endif
