#include "cameras/Yuv420Conversion.h"

#include <opencv2/core/hal/intrin.hpp>

#include <vector>

namespace {

// Every product of a chroma value is one of 256, so each is computed once, in double
// precision and truncated toward zero, exactly as the formula says; a pixel then only adds.
struct ChromaTables
{
    qint16 blue[256];
    qint16 red[256];
    qint16 greenU[256];
    qint16 greenV[256];

    ChromaTables()
    {
        for (int i = 0; i < 256; ++i) {
            const double d = i - 128;
            blue[i] = qint16(1.732446 * d);
            red[i] = qint16(1.370705 * d);
            greenU[i] = qint16(0.698001 * d);
            greenV[i] = qint16(0.703125 * d);
        }
    }
};

const ChromaTables &chromaTables()
{
    static const ChromaTables tables;
    return tables;
}

bool usable(const uchar *src, const uchar *dst, int width, int height)
{
    if (!src || !dst || width < 2 || height < 1 || (width | height) & 1)
        return false;
    // The largest picture whose 32-bit frame still fits an int.
    return qint64(width) * height * 4 <= qint64(INT_MAX);
}

inline uchar clampByte(int v)
{
    return uchar(v < 0 ? 0 : v > 255 ? 255 : v);
}

// The exact truncation of 0.587 G + 0.299 R + 0.114 B.
inline uchar greyOf(int b, int g, int r)
{
    return uchar((587 * g + 299 * r + 114 * b) / 1000);
}

// What one chroma row adds to Y in the two picture rows it covers, one value per chroma
// sample.
struct ChromaRow
{
    std::vector<qint16> blue, green, red;

    explicit ChromaRow(int samples) : blue(size_t(samples)), green(size_t(samples)), red(size_t(samples)) {}

    void fill(const uchar *v, const uchar *u)
    {
        const ChromaTables &t = chromaTables();
        const int samples = int(blue.size());
        for (int s = 0; s < samples; ++s) {
            blue[size_t(s)] = t.blue[u[s]];
            green[size_t(s)] = qint16(-(t.greenU[u[s]] + t.greenV[v[s]]));
            red[size_t(s)] = t.red[v[s]];
        }
    }
};

#if CV_SIMD
// B, G and R of one vector's worth of pixels starting at the even column x.
inline void bgrVectors(const uchar *y, const ChromaRow &c, int x, cv::v_uint8 &b, cv::v_uint8 &g, cv::v_uint8 &r)
{
    using namespace cv;
    v_uint16 y0, y1;
    v_expand(vx_load(y + x), y0, y1);
    const v_int16 s0 = v_reinterpret_as_s16(y0);
    const v_int16 s1 = v_reinterpret_as_s16(y1);
    const int s = x / 2;
    v_int16 lo, hi;
    v_zip(vx_load(c.blue.data() + s), vx_load(c.blue.data() + s), lo, hi);
    b = v_pack_u(s0 + lo, s1 + hi);
    v_zip(vx_load(c.green.data() + s), vx_load(c.green.data() + s), lo, hi);
    g = v_pack_u(s0 + lo, s1 + hi);
    v_zip(vx_load(c.red.data() + s), vx_load(c.red.data() + s), lo, hi);
    r = v_pack_u(s0 + lo, s1 + hi);
}

// Grey of 4 pixels whose (G, R) pairs and (B, 0) pairs are given.
inline cv::v_int32 greyQuarter(const cv::v_int16 &gr, const cv::v_int16 &b0)
{
    using namespace cv;
    static const v_int16 greenRed = v_reinterpret_as_s16(vx_setall_u32(587u | 299u << 16));
    static const v_int16 blue = v_reinterpret_as_s16(vx_setall_u32(114u));
    const v_int32 sum = v_dotprod(gr, greenRed) + v_dotprod(b0, blue);
    // Below 2^18, so the float is exact, and a correctly rounded quotient never crosses the
    // integer below it: the truncation equals the integer division.
    return v_trunc(v_cvt_f32(sum) / vx_setall_f32(1000.f));
}

inline cv::v_uint8 greyVector(const cv::v_uint8 &b, const cv::v_uint8 &g, const cv::v_uint8 &r)
{
    using namespace cv;
    v_uint16 b16[2], g16[2], r16[2];
    v_expand(b, b16[0], b16[1]);
    v_expand(g, g16[0], g16[1]);
    v_expand(r, r16[0], r16[1]);
    const v_int16 zero = vx_setzero_s16();
    v_int16 half[2];
    for (int h = 0; h < 2; ++h) {
        v_int16 gr0, gr1, bz0, bz1;
        v_zip(v_reinterpret_as_s16(g16[h]), v_reinterpret_as_s16(r16[h]), gr0, gr1);
        v_zip(v_reinterpret_as_s16(b16[h]), zero, bz0, bz1);
        half[h] = v_pack(greyQuarter(gr0, bz0), greyQuarter(gr1, bz1));
    }
    return v_pack_u(half[0], half[1]);
}
#endif

void bgraRow(const uchar *y, const ChromaRow &c, uchar *out, int width)
{
    int x = 0;
#if CV_SIMD
    const int step = cv::v_uint8::nlanes;
    const cv::v_uint8 zero = cv::vx_setzero_u8();
    for (; x <= width - step; x += step) {
        cv::v_uint8 b, g, r;
        bgrVectors(y, c, x, b, g, r);
        cv::v_store_interleave(out + 4 * x, b, g, r, zero);
    }
#endif
    for (; x < width; ++x) {
        const size_t s = size_t(x / 2);
        uchar *p = out + 4 * x;
        p[0] = clampByte(y[x] + c.blue[s]);
        p[1] = clampByte(y[x] + c.green[s]);
        p[2] = clampByte(y[x] + c.red[s]);
        p[3] = 0;
    }
}

void greyRow(const uchar *y, const ChromaRow &c, uchar *out, int width)
{
    int x = 0;
#if CV_SIMD
    const int step = cv::v_uint8::nlanes;
    for (; x <= width - step; x += step) {
        cv::v_uint8 b, g, r;
        bgrVectors(y, c, x, b, g, r);
        cv::v_store(out + x, greyVector(b, g, r));
    }
#endif
    for (; x < width; ++x) {
        const size_t s = size_t(x / 2);
        out[x] = greyOf(clampByte(y[x] + c.blue[s]), clampByte(y[x] + c.green[s]), clampByte(y[x] + c.red[s]));
    }
}

template <typename Row>
void convert(const uchar *yv12, uchar *dst, int width, int height, int bytesPerPixel, Row row)
{
    const int chromaWidth = width / 2;
    const size_t lumaBytes = size_t(width) * size_t(height);
    const uchar *vPlane = yv12 + lumaBytes;
    const uchar *uPlane = vPlane + lumaBytes / 4;
    ChromaRow chroma(chromaWidth);
    for (int r = 0; r < height; r += 2) {
        const size_t chromaAt = size_t(r / 2) * size_t(chromaWidth);
        chroma.fill(vPlane + chromaAt, uPlane + chromaAt);
        for (int k = r; k < r + 2; ++k)
            row(yv12 + size_t(k) * size_t(width), chroma, dst + size_t(k) * size_t(width) * size_t(bytesPerPixel), width);
    }
}

} // namespace

bool yuv420ToBgra(const uchar *yv12, uchar *bgra, int width, int height)
{
    if (!usable(yv12, bgra, width, height))
        return false;
    convert(yv12, bgra, width, height, 4, bgraRow);
    return true;
}

bool yuv420ToGray(const uchar *yv12, uchar *grey, int width, int height)
{
    if (!usable(yv12, grey, width, height))
        return false;
    convert(yv12, grey, width, height, 1, greyRow);
    return true;
}
