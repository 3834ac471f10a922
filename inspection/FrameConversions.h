#ifndef INSPECTION_FRAMECONVERSIONS_H
#define INSPECTION_FRAMECONVERSIONS_H

#include <QPoint>
#include <QtGlobal>

#include <opencv2/core.hpp>

#include <vector>

// Pixel format conversions between the camera SDKs, the detection engine and the display, and
// the image moves that apply the positioning result. Raw buffers hold width x height pixels,
// each row right after the previous one; 32-bit colour is Qt's RGB32 in memory (bytes B, G,
// R, 0). All functions are stateless and safe on any thread that owns the buffers. A null
// buffer or a size below 1 does nothing.

// 8-bit grey to 32-bit: every pixel becomes v * 0x010101 (bytes v, v, v, 0).
void gray8ToRgb32(const uchar *src, uint *dst, int width, int height);
// The same into a byte buffer of width * height * 4 bytes (need not be aligned).
void gray8ToRgb32(const uchar *src, uchar *dst, int width, int height);

// The SDKs' 24-bit R, G, B to 32-bit B, G, R, 0.
void rgb24ToRgb32(uchar *dst, const uchar *src, int width, int height);

// 32-bit to 8-bit grey: (T0[b0] + T1[b1] + T2[b2]) / 1024 with Tk[i] = floor(i * wk * 1024)
// for w = 0.299, 0.587, 0.114 on bytes 0, 1, 2. Byte 0 is blue in RGB32, so blue carries the
// 0.299 weight; live frames and templates go through the same function and compare alike.
// White gives 254.
void rgb32ToGray(uchar *dst, const uint *src, int width, int height);

// 32-bit to 8-bit hue, bytes 0, 1, 2 taken as red, green, blue: the hue sector (0 to 6, ties
// to byte 0, then byte 1) scaled by 42.5 and truncated; grey and black pixels give 0.
void rgb32ToHue(uchar *dst, const uint *src, int width, int height);

// dst(x, y) = src(x - dx, y - dy), 0 where that lies outside: positive dx moves the content
// to the right, positive dy downwards. src must be a non-empty 8-bit single-channel image; dst
// is written in place when it already has src's size and type, else (re)allocated. Returns
// false, leaving dst alone, for an unusable src.
bool shiftImage(const cv::Mat &src, cv::Mat &dst, int dx, int dy);

// Moves the content by shift and then rotates it by angle degrees (counter-clockwise, as
// cv::getRotationMatrix2D) about centre, bilinear, 0 where the result draws from outside the
// image. Same preconditions and result as shiftImage; angle 0 equals shiftImage.
bool rotateImage(const cv::Mat &src, cv::Mat &dst, const QPoint &shift, const QPoint &centre, double angle);

// Writes only the pixels inside area (clipped to the image) of what rotateImage gives; the rest
// of dst is left alone. Every pixel depends on its place in the whole image alone, so the parts
// written equal the same parts of rotateImage's result to the bit. dst must already have src's
// size and type and must not share src's pixels; false, leaving dst alone, otherwise.
bool rotateImagePart(const cv::Mat &src, cv::Mat &dst, const cv::Rect &area, const QPoint &shift,
                     const QPoint &centre, double angle);

// rotateImagePart for several areas at once (they may overlap): the same pixels, quicker than
// one call an area when the areas are many and small.
bool rotateImageParts(const cv::Mat &src, cv::Mat &dst, const std::vector<cv::Rect> &areas, const QPoint &shift,
                      const QPoint &centre, double angle);

#endif
