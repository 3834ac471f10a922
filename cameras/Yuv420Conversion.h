#ifndef CAMERAS_YUV420CONVERSION_H
#define CAMERAS_YUV420CONVERSION_H

#include <QtGlobal>

// Conversions of the network thermal camera's decoded pictures: planar YUV 4:2:0 with the Y
// plane (width x height bytes) followed by V and then U (width/2 x height/2 bytes each), rows
// without padding.
//
// For the pixel in row r and column c: Y = Y[r * width + c], V and U from their planes at
// (r / 2) * (width / 2) + c / 2, each minus 128; with every product taken in double precision
// and truncated toward zero,
//     B = Y + 1.732446 U,   G = Y - 0.698001 U - 0.703125 V,   R = Y + 1.370705 V,
// each clamped to 0..255. These are the camera maker's coefficients, not the usual ones.
//
// Both return false without writing when a buffer is missing, width x height is below 1,
// width is below 2, or a side is odd (the chroma planes would not cover the last row or
// column).

// Bytes B, G, R, 0 per pixel.
bool yuv420ToBgra(const uchar *yv12, uchar *bgra, int width, int height);
// One byte per pixel: (0.587 G + 0.299 R + 0.114 B) of the clamped values, truncated.
bool yuv420ToGray(const uchar *yv12, uchar *grey, int width, int height);

#endif
