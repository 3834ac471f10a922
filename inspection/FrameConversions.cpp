#include "inspection/FrameConversions.h"

#include "inspection/OpenCvGuard.h"
#include "inspection/VectorPaths.h"

#include <QtDebug>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// Pixel count of a raw buffer, 0 when the call has nothing to do.
size_t pixelCount(const void *src, const void *dst, int width, int height)
{
    if (!src || !dst || width <= 0 || height <= 0)
        return 0;
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

// The hot loops are plain per-pixel code that the compiler vectorises; on x86-64 it also
// builds AVX2 and AVX-512 versions, chosen once at load time for the machine at hand.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define MM_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define MM_VECTOR_CLONES
#endif

// Grey weights: Tk[i] = floor(i * wk * 1024). Each table is also i * whole + ((i * fraction)
// >> 16) exactly, which vectorises where table look-ups do not; checked below at compile time.
constexpr double GreyWeights[3] = {0.299, 0.587, 0.114};

constexpr int greyTable(int k, int i)
{
    return static_cast<int>(i * GreyWeights[k] * 1024); // truncation is floor: all positive
}

constexpr int greyWhole(int k)
{
    return static_cast<int>(GreyWeights[k] * 1024);
}

constexpr int greyFraction(int k)
{
    const double scaled = (GreyWeights[k] * 1024 - greyWhole(k)) * 65536;
    const int down = static_cast<int>(scaled);
    return down == scaled ? down : down + 1; // ceiling
}

constexpr bool greySplitIsExact()
{
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 256; ++i) {
            if (i * greyWhole(k) + ((i * greyFraction(k)) >> 16) != greyTable(k, i))
                return false;
        }
    }
    return true;
}

static_assert(greyTable(0, 1) == 306 && greyTable(1, 1) == 601 && greyTable(2, 1) == 116, "grey tables");
static_assert(greyTable(0, 255) == 78074 && greyTable(1, 255) == 153277 && greyTable(2, 255) == 29767, "grey tables");
static_assert(greySplitIsExact(), "the split form must equal the grey tables for every byte");

constexpr uint32_t W0 = greyWhole(0), W1 = greyWhole(1), W2 = greyWhole(2);
constexpr uint32_t F0 = greyFraction(0), F1 = greyFraction(1), F2 = greyFraction(2);

MM_VECTOR_CLONES void greyKernel(uchar *__restrict dst, const uint *__restrict src, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = src[i];
        const uint32_t b0 = p & 0xFF;
        const uint32_t b1 = (p >> 8) & 0xFF;
        const uint32_t b2 = (p >> 16) & 0xFF;
        const uint32_t sum = b0 * W0 + ((b0 * F0) >> 16) + b1 * W1 + ((b1 * F1) >> 16) + b2 * W2 + ((b2 * F2) >> 16);
        dst[i] = static_cast<uchar>(sum >> 10);
    }
}

// Hue in single precision as the engine has always computed it. Written without branches so
// that it vectorises; a grey pixel (max = min) leaves num 0, add 0 and divisor 1, so gives 0.
MM_VECTOR_CLONES void hueKernel(uchar *__restrict dst, const uint *__restrict src, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = src[i];
        const int b0 = p & 0xFF;
        const int b1 = (p >> 8) & 0xFF;
        const int b2 = (p >> 16) & 0xFF;
        const int mx = std::max(b0, std::max(b1, b2));
        const int mn = std::min(b0, std::min(b1, b2));
        // Ties go to byte 0, then byte 1.
        const bool top0 = b0 == mx;
        const bool top1 = !top0 && b1 == mx;
        const int num = top0 ? b1 - b2 : (top1 ? b2 - b0 : b0 - b1);
        const float add = top0 ? (b1 < b2 ? 6.0f : 0.0f) : (top1 ? 2.0f : 4.0f);
        const float divisor = static_cast<float>(std::max(mx - mn, 1));
        const float h = static_cast<float>(num) / divisor + add;
        dst[i] = static_cast<uchar>(static_cast<int>(h * 42.5f));
    }
}

void greyExpandKernel(uchar *__restrict dst, const uchar *__restrict src, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const uint32_t v = src[i] * 0x010101u;
        std::memcpy(dst + 4 * i, &v, sizeof v);
    }
}

#if defined(__x86_64__) || defined(__i386__)
// Byte shuffles need SSSE3, which not every x86-64 target guarantees at compile time.
__attribute__((target("ssse3"))) size_t rgb24ToRgb32Vector(uchar *dst, const uchar *src, size_t n)
{
    const __m128i order = _mm_setr_epi8(2, 1, 0, -128, 5, 4, 3, -128, 8, 7, 6, -128, 11, 10, 9, -128);
    size_t i = 0;
    // Each step reads 16 bytes for 4 pixels (12 bytes): stop while 16 bytes remain readable.
    for (; i + 16 + 6 <= n; i += 16) {
        const uchar *in = src + 3 * i;
        __m128i *out = reinterpret_cast<__m128i *>(dst + 4 * i);
        _mm_storeu_si128(out, _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in)), order));
        _mm_storeu_si128(out + 1, _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 12)), order));
        _mm_storeu_si128(out + 2, _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 24)), order));
        _mm_storeu_si128(out + 3, _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 36)), order));
    }
    return i;
}
#endif

// Converts what the vector path can; returns how many pixels that was.
size_t rgb24ToRgb32Fast(uchar *dst, const uchar *src, size_t n)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool ssse3 = VectorPaths::allows(VectorPaths::Avx2) && __builtin_cpu_supports("ssse3");
    if (ssse3)
        return rgb24ToRgb32Vector(dst, src, n);
#endif
    Q_UNUSED(dst)
    Q_UNUSED(src)
    Q_UNUSED(n)
    return 0;
}

} // namespace

void gray8ToRgb32(const uchar *src, uchar *dst, int width, int height)
{
    greyExpandKernel(dst, src, pixelCount(src, dst, width, height));
}

void gray8ToRgb32(const uchar *src, uint *dst, int width, int height)
{
    gray8ToRgb32(src, reinterpret_cast<uchar *>(dst), width, height);
}

void rgb24ToRgb32(uchar *dst, const uchar *src, int width, int height)
{
    const size_t n = pixelCount(src, dst, width, height);
    for (size_t i = rgb24ToRgb32Fast(dst, src, n); i < n; ++i) {
        const uchar *in = src + 3 * i;
        uchar *out = dst + 4 * i;
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        out[3] = 0;
    }
}

void rgb32ToGray(uchar *dst, const uint *src, int width, int height)
{
    greyKernel(dst, src, pixelCount(src, dst, width, height));
}

void rgb32ToHue(uchar *dst, const uint *src, int width, int height)
{
    hueKernel(dst, src, pixelCount(src, dst, width, height));
}

namespace {

bool usableSource(const cv::Mat &src, const char *what)
{
    if (src.empty() || src.type() != CV_8UC1) {
        qWarning("%s: the source must be a non-empty 8-bit single-channel image", what);
        return false;
    }
    return true;
}

bool overlaps(const cv::Mat &a, const cv::Mat &b)
{
    return !a.empty() && !b.empty() && a.datastart < b.dataend && b.datastart < a.dataend;
}

} // namespace

bool shiftImage(const cv::Mat &src, cv::Mat &dst, int dx, int dy)
{
    if (!usableSource(src, "shiftImage"))
        return false;
    return runGuarded("shiftImage", [&] {
        // Moving within one buffer would read rows already written.
        const cv::Mat from = overlaps(src, dst) ? src.clone() : src;
        dst.create(from.size(), CV_8UC1);
        const int width = from.cols;
        const int height = from.rows;
        // Destination columns [x0, x1) take source columns [x0 - dx, x1 - dx).
        const long long x0 = std::max<long long>(0, dx);
        const long long x1 = std::min<long long>(width, static_cast<long long>(width) + dx);
        for (int y = 0; y < height; ++y) {
            uchar *out = dst.ptr<uchar>(y);
            const long long sy = static_cast<long long>(y) - dy;
            if (sy < 0 || sy >= height || x0 >= x1) {
                std::memset(out, 0, static_cast<size_t>(width));
                continue;
            }
            const uchar *in = from.ptr<uchar>(static_cast<int>(sy));
            std::memset(out, 0, static_cast<size_t>(x0));
            std::memcpy(out + x0, in + (x0 - dx), static_cast<size_t>(x1 - x0));
            std::memset(out + x1, 0, static_cast<size_t>(width - x1));
        }
    });
}

namespace {

// The affine map from a pixel of the moved image to the place it is drawn from: move by shift,
// then rotate about centre (as cv::getRotationMatrix2D), inverted as cv::warpAffine inverts it.
cv::Matx23d sourceOfMoved(const QPoint &shift, const QPoint &centre, double angle)
{
    cv::Mat m = cv::getRotationMatrix2D(cv::Point2f(static_cast<float>(centre.x()), static_cast<float>(centre.y())),
                                        angle, 1.0);
    // The rotation about the centre is A(u) = R u + (c - R c); moving first adds R * shift to
    // its offset.
    m.at<double>(0, 2) += m.at<double>(0, 0) * shift.x() + m.at<double>(0, 1) * shift.y();
    m.at<double>(1, 2) += m.at<double>(1, 0) * shift.x() + m.at<double>(1, 1) * shift.y();
    cv::Matx23d a(m);
    const double d = a(0, 0) * a(1, 1) - a(0, 1) * a(1, 0);
    const double inverseD = d != 0 ? 1.0 / d : 0.0;
    const double a11 = a(1, 1) * inverseD;
    const double a22 = a(0, 0) * inverseD;
    a(0, 0) = a11;
    a(0, 1) *= -inverseD;
    a(1, 0) *= -inverseD;
    a(1, 1) = a22;
    const double b1 = -a(0, 0) * a(0, 2) - a(0, 1) * a(1, 2);
    const double b2 = -a(1, 0) * a(0, 2) - a(1, 1) * a(1, 2);
    a(0, 2) = b1;
    a(1, 2) = b2;
    return a;
}

// One bilinear pixel as cv::remap computes it for 8-bit pixels: the 2 x 2 neighbours of
// (x, y) weighted by the 1/32 fractions fx, fy, 0 for a neighbour outside src. OpenCV's weights
// are the products (32 - fx or fx) * (32 - fy or fy) * 32 over 2^15, rounded half up; the
// factor 32 is taken out of both.
inline uchar bilinear(const cv::Mat &src, int x, int y, int fx, int fy)
{
    const auto at = [&](int px, int py) -> int {
        return (px >= 0 && py >= 0 && px < src.cols && py < src.rows) ? src.ptr<uchar>(py)[px] : 0;
    };
    const int top = (32 - fx) * at(x, y) + fx * at(x + 1, y);
    const int bottom = (32 - fx) * at(x, y + 1) + fx * at(x + 1, y + 1);
    return static_cast<uchar>(((32 - fy) * top + fy * bottom + 512) >> 10);
}

constexpr int PlaceBits = 10;
constexpr int TableBits = 5;
constexpr int TableSize = 1 << TableBits;

// The source place of a pixel in 1/32 pixel: whole part and fraction. The whole part is
// saturated to 16 bits as OpenCV stores it.
inline void split(int place, int &whole, int &fraction)
{
    whole = std::clamp(place >> TableBits, -32768, 32767);
    fraction = place & (TableSize - 1);
}

// A row of pixels whose places (1/1024 pixel, rounding included) are rowX + columnX[i],
// rowY + columnY[i]; OpenCV keeps them to 1/32 pixel.
void sampleRowPlain(const cv::Mat &src, uchar *out, int rowX, int rowY, const int *columnX, const int *columnY,
                    int begin, int end)
{
    const int lastX = src.cols - 2;
    const int lastY = src.rows - 2;
    const size_t step = src.step[0];
    for (int i = begin; i < end; ++i) {
        int x, y, fx, fy;
        split((rowX + columnX[i]) >> (PlaceBits - TableBits), x, fx);
        split((rowY + columnY[i]) >> (PlaceBits - TableBits), y, fy);
        if (x >= 0 && y >= 0 && x <= lastX && y <= lastY) {
            const uchar *a = src.data + size_t(y) * step + size_t(x);
            const uchar *b = a + step;
            const int top = (32 - fx) * a[0] + fx * a[1];
            const int bottom = (32 - fx) * b[0] + fx * b[1];
            out[i] = static_cast<uchar>(((32 - fy) * top + fy * bottom + 512) >> 10);
        } else {
            out[i] = bilinear(src, x, y, fx, fy);
        }
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
// Eight pixels at a time where all eight neighbourhoods lie inside and four bytes can be read
// from each neighbour row; the rest as sampleRowPlain.
__attribute__((target("avx2"))) void sampleRowWide(const cv::Mat &src, uchar *out, int rowX, int rowY,
                                                   const int *columnX, const int *columnY, int width)
{
    const __m256i startX = _mm256_set1_epi32(rowX);
    const __m256i startY = _mm256_set1_epi32(rowY);
    const __m256i low = _mm256_set1_epi32(TableSize - 1);
    const __m256i full = _mm256_set1_epi32(TableSize);
    // x in [0, cols - 4] and y in [0, rows - 2]: unsigned compares against the last allowed.
    const __m256i bias = _mm256_set1_epi32(int(0x80000000u));
    const __m256i lastX = _mm256_set1_epi32(int((unsigned(src.cols - 4)) ^ 0x80000000u));
    const __m256i lastY = _mm256_set1_epi32(int((unsigned(src.rows - 2)) ^ 0x80000000u));
    const __m256i stride = _mm256_set1_epi32(int(src.step[0]));
    const __m256i bytes = _mm256_set1_epi32(0xFF);
    const __m256i half = _mm256_set1_epi32(512);
    const __m256i one = _mm256_set1_epi32(1);
    // Column offsets 0 to 14 and row offsets 0 to 1 from the first column and the top row.
    const __m256i spanX = _mm256_set1_epi32(int(14u ^ 0x80000000u));
    const __m256i spanY = _mm256_set1_epi32(int(1u ^ 0x80000000u));
    const uchar *base = src.data;
    const size_t step = src.step[0];
    const __m128i order = _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    int i = 0;
    while (i < width) {
        // The last eight of a row overlap the eight before: every pixel depends on its place
        // alone, so writing one twice writes the same value.
        if (i + 8 > width && width >= 8)
            i = width - 8;
        if (i + 8 <= width && src.cols >= 4 && src.rows >= 2) {
            const __m256i cx = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(columnX + i));
            const __m256i cy = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(columnY + i));
            const __m256i px = _mm256_srai_epi32(_mm256_add_epi32(startX, cx), PlaceBits - TableBits);
            const __m256i py = _mm256_srai_epi32(_mm256_add_epi32(startY, cy), PlaceBits - TableBits);
            const __m256i x = _mm256_srai_epi32(px, TableBits);
            const __m256i y = _mm256_srai_epi32(py, TableBits);
            const __m256i outX = _mm256_cmpgt_epi32(_mm256_xor_si256(x, bias), lastX);
            const __m256i outY = _mm256_cmpgt_epi32(_mm256_xor_si256(y, bias), lastY);
            if (_mm256_testz_si256(_mm256_or_si256(outX, outY), _mm256_or_si256(outX, outY))) {
                const __m256i fx = _mm256_and_si256(px, low);
                const __m256i fy = _mm256_and_si256(py, low);
                // Each pixel's left and right neighbour of its upper row (a) and of its lower
                // row (b), as two 16-bit lanes.
                __m256i a;
                __m256i b;
                // Turned by a small angle, eight neighbouring pixels draw from at most three
                // rows and sixteen columns: three loads and byte shuffles pick their neighbours.
                const int left = _mm256_cvtsi256_si32(x);
                const int top = std::min(_mm256_cvtsi256_si32(y), _mm256_extract_epi32(y, 7));
                const __m256i dx = _mm256_sub_epi32(x, _mm256_set1_epi32(left));
                const __m256i dy = _mm256_sub_epi32(y, _mm256_set1_epi32(top));
                const __m256i far = _mm256_or_si256(_mm256_cmpgt_epi32(_mm256_xor_si256(dx, bias), spanX),
                                                    _mm256_cmpgt_epi32(_mm256_xor_si256(dy, bias), spanY));
                if (left + 16 <= src.cols && top + 2 < src.rows && _mm256_testz_si256(far, far)) {
                    const uchar *corner = base + size_t(top) * step + size_t(left);
                    const __m128i row0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(corner));
                    const __m128i row1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(corner + step));
                    const __m128i row2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(corner + 2 * step));
                    // Byte indices (dx, dx + 1) per pixel, and which pixels start a row lower.
                    const __m256i pickWide = _mm256_or_si256(dx, _mm256_slli_epi32(_mm256_add_epi32(dx, one), 8));
                    const __m128i pick = _mm256_castsi256_si128(
                        _mm256_permute4x64_epi64(_mm256_packus_epi32(pickWide, pickWide), 0x08));
                    const __m256i lowerWide = _mm256_cmpeq_epi32(dy, one);
                    const __m128i lower = _mm256_castsi256_si128(
                        _mm256_permute4x64_epi64(_mm256_packs_epi32(lowerWide, lowerWide), 0x08));
                    const __m128i at0 = _mm_shuffle_epi8(row0, pick);
                    const __m128i at1 = _mm_shuffle_epi8(row1, pick);
                    const __m128i at2 = _mm_shuffle_epi8(row2, pick);
                    a = _mm256_cvtepu8_epi16(_mm_blendv_epi8(at0, at1, lower));
                    b = _mm256_cvtepu8_epi16(_mm_blendv_epi8(at1, at2, lower));
                } else {
                    // Plain loads: gathers are slower than these on some processors.
                    alignas(32) int offsets[8];
                    _mm256_store_si256(reinterpret_cast<__m256i *>(offsets),
                                       _mm256_add_epi32(_mm256_mullo_epi32(y, stride), x));
                    alignas(32) std::uint32_t upper[8];
                    alignas(32) std::uint32_t under[8];
                    for (int k = 0; k < 8; ++k) {
                        std::uint16_t pair;
                        std::memcpy(&pair, base + offsets[k], 2);
                        upper[k] = pair;
                        std::memcpy(&pair, base + offsets[k] + step, 2);
                        under[k] = pair;
                    }
                    const __m256i loadedA = _mm256_load_si256(reinterpret_cast<const __m256i *>(upper));
                    const __m256i loadedB = _mm256_load_si256(reinterpret_cast<const __m256i *>(under));
                    a = _mm256_or_si256(_mm256_and_si256(loadedA, bytes),
                                        _mm256_slli_epi32(_mm256_and_si256(_mm256_srli_epi32(loadedA, 8), bytes), 16));
                    b = _mm256_or_si256(_mm256_and_si256(loadedB, bytes),
                                        _mm256_slli_epi32(_mm256_and_si256(_mm256_srli_epi32(loadedB, 8), bytes), 16));
                }
                // (32 - fx, fx) as a pair of 16-bit lanes against (left, right) of each row.
                const __m256i wx = _mm256_or_si256(_mm256_sub_epi32(full, fx), _mm256_slli_epi32(fx, 16));
                const __m256i upperSum = _mm256_madd_epi16(a, wx);
                const __m256i lowerSum = _mm256_madd_epi16(b, wx);
                const __m256i wy = _mm256_or_si256(_mm256_sub_epi32(full, fy), _mm256_slli_epi32(fy, 16));
                const __m256i rows = _mm256_or_si256(upperSum, _mm256_slli_epi32(lowerSum, 16));
                const __m256i sum = _mm256_srli_epi32(_mm256_add_epi32(_mm256_madd_epi16(rows, wy), half), 10);
                const __m128i lo = _mm_shuffle_epi8(_mm256_castsi256_si128(sum), order);
                const __m128i hi = _mm_shuffle_epi8(_mm256_extracti128_si256(sum, 1), order);
                const uint32_t l = uint32_t(_mm_cvtsi128_si32(lo));
                const uint32_t h = uint32_t(_mm_cvtsi128_si32(hi));
                std::memcpy(out + i, &l, 4);
                std::memcpy(out + i + 4, &h, 4);
                i += 8;
                continue;
            }
        }
        const int end = std::min(width, i + 8);
        sampleRowPlain(src, out, rowX, rowY, columnX, columnY, i, end);
        i = end;
    }
}

// GCC 12 takes the undefined upper lanes inside its AVX-512 intrinsics for uninitialised values.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
// Sixteen pixels at a time where their neighbourhoods lie within four rows and 32 columns of
// the frame (a turn of up to about seven degrees): the four rows are loaded once and one byte
// permutation picks every pixel's four neighbours; the rest as sampleRowWide.
__attribute__((target("avx2,avx512f,avx512bw,avx512vl,avx512vbmi"))) void
sampleRowPicked(const cv::Mat &src, uchar *out, int rowX, int rowY, const int *columnX, const int *columnY, int width)
{
    constexpr int Lanes = 16;
    constexpr int Span = 32;   // columns loaded from each row
    if (width < Lanes || src.cols < Span || src.rows < 4) {
        sampleRowWide(src, out, rowX, rowY, columnX, columnY, width);
        return;
    }
    const __m512i startX = _mm512_set1_epi32(rowX);
    const __m512i startY = _mm512_set1_epi32(rowY);
    const __m512i low = _mm512_set1_epi32(TableSize - 1);
    const __m512i full = _mm512_set1_epi32(TableSize);
    const __m512i half = _mm512_set1_epi32(512);
    // The byte index of a pixel's upper left neighbour into all four bytes of its lane, then
    // its right neighbour, and the two of the row below.
    const __m512i spread = _mm512_set4_epi32(0x0C0C0C0C, 0x08080808, 0x04040404, 0x00000000);
    const __m512i neighbours = _mm512_set1_epi32(0x21200100);
    const __m512i lastX = _mm512_set1_epi32(Span - 2);
    const __m512i lastY = _mm512_set1_epi32(2);
    const uchar *base = src.data;
    const size_t step = src.step[0];
    int i = 0;
    while (i < width) {
        // The last sixteen of a row overlap those before: a pixel depends on its place alone.
        if (i + Lanes > width)
            i = width - Lanes;
        const __m512i px = _mm512_srai_epi32(
            _mm512_add_epi32(startX, _mm512_loadu_si512(columnX + i)), PlaceBits - TableBits);
        const __m512i py = _mm512_srai_epi32(
            _mm512_add_epi32(startY, _mm512_loadu_si512(columnY + i)), PlaceBits - TableBits);
        const __m512i x = _mm512_srai_epi32(px, TableBits);
        const __m512i y = _mm512_srai_epi32(py, TableBits);
        // Places along a row move monotonically: the ends hold the smallest column and row.
        // Taken from the tables directly, they are known before the vector work is done.
        const int left = std::min(rowX + columnX[i], rowX + columnX[i + Lanes - 1]) >> PlaceBits;
        const int top = std::min(rowY + columnY[i], rowY + columnY[i + Lanes - 1]) >> PlaceBits;
        const __m512i dx = _mm512_sub_epi32(x, _mm512_set1_epi32(left));
        const __m512i dy = _mm512_sub_epi32(y, _mm512_set1_epi32(top));
        const __mmask16 far = _mm512_cmpgt_epu32_mask(dx, lastX) | _mm512_cmpgt_epu32_mask(dy, lastY);
        if (far != 0 || left < 0 || top < 0 || left + Span > src.cols || top + 4 > src.rows) {
            sampleRowWide(src, out + i, rowX, rowY, columnX + i, columnY + i, Lanes);
            i += Lanes;
            continue;
        }
        const uchar *corner = base + size_t(top) * step + size_t(left);
        const __m512i upper = _mm512_inserti64x4(
            _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(corner))),
            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(corner + step)), 1);
        const __m512i lower = _mm512_inserti64x4(
            _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(corner + 2 * step))),
            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(corner + 3 * step)), 1);
        const __m512i at = _mm512_add_epi32(_mm512_slli_epi32(dy, 5), dx);
        const __m512i pick = _mm512_add_epi8(_mm512_shuffle_epi8(at, spread), neighbours);
        // Per lane the bytes (upper left, upper right, lower left, lower right).
        const __m512i values = _mm512_permutex2var_epi8(upper, pick, lower);
        const __m512i fx = _mm512_and_si512(px, low);
        const __m512i fy = _mm512_and_si512(py, low);
        // Weights (32 - fx, fx) as bytes for both rows, (32 - fy, fy) as 16-bit pairs.
        const __m512i pairX = _mm512_or_si512(_mm512_sub_epi32(full, fx), _mm512_slli_epi32(fx, 8));
        const __m512i wx = _mm512_or_si512(pairX, _mm512_slli_epi32(pairX, 16));
        const __m512i wy = _mm512_or_si512(_mm512_sub_epi32(full, fy), _mm512_slli_epi32(fy, 16));
        const __m512i rows = _mm512_maddubs_epi16(values, wx);
        const __m512i sum = _mm512_srli_epi32(_mm512_add_epi32(_mm512_madd_epi16(rows, wy), half), 10);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm512_cvtepi32_epi8(sum));
        i += Lanes;
    }
}
#pragma GCC diagnostic pop
#endif

void sampleRow(const cv::Mat &src, uchar *out, int rowX, int rowY, const int *columnX, const int *columnY, int width)
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool picked = VectorPaths::allows(VectorPaths::Avx512) && __builtin_cpu_supports("avx512f")
        && __builtin_cpu_supports("avx512bw")
        && __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
    if (picked) {
        sampleRowPicked(src, out, rowX, rowY, columnX, columnY, width);
        return;
    }
    static const bool avx2 = VectorPaths::allows(VectorPaths::Avx2) && __builtin_cpu_supports("avx2");
    if (avx2) {
        sampleRowWide(src, out, rowX, rowY, columnX, columnY, width);
        return;
    }
#endif
    sampleRowPlain(src, out, rowX, rowY, columnX, columnY, 0, width);
}

// Bilinear sampling of src at the places `inverse` gives for the pixels of the areas (inside
// src, not empty), written into the same areas of dst; 0 where a neighbour lies outside src. The
// places are computed as cv::warpAffine computes them (fixed point, 1/1024 pixel: a row part
// plus a column part, both from absolute coordinates, rounded to 1/32 pixel for OpenCV's
// bilinear weights), and each pixel is weighted as cv::remap weights it, so a pixel never
// depends on the area it was computed in, and the whole image equals cv::warpAffine's. The areas
// are swept together, row by row and left to right, so that memory is read in long runs.
void sampleAreas(const cv::Mat &src, cv::Mat &dst, const std::vector<cv::Rect> &areas, const cv::Matx23d &inverse)
{
    constexpr int PrefetchRows = 4;
    constexpr int RoundDelta = (1 << PlaceBits) / TableSize / 2;
    const double scale = double(1 << PlaceBits);
    thread_local std::vector<cv::Rect> order;
    order.assign(areas.begin(), areas.end());
    std::sort(order.begin(), order.end(), [](const cv::Rect &l, const cv::Rect &r) { return l.x < r.x; });
    cv::Rect span = order.front();
    for (const cv::Rect &area : order)
        span |= area;
    thread_local std::vector<int> columnX;
    thread_local std::vector<int> columnY;
    columnX.resize(static_cast<size_t>(span.width));
    columnY.resize(static_cast<size_t>(span.width));
    for (int i = 0; i < span.width; ++i) {
        columnX[size_t(i)] = cv::saturate_cast<int>(inverse(0, 0) * (span.x + i) * scale);
        columnY[size_t(i)] = cv::saturate_cast<int>(inverse(1, 0) * (span.x + i) * scale);
    }
    const auto rowPlace = [&](int y, int &rowX, int &rowY) {
        rowX = cv::saturate_cast<int>((inverse(0, 1) * y + inverse(0, 2)) * scale) + RoundDelta;
        rowY = cv::saturate_cast<int>((inverse(1, 1) * y + inverse(1, 2)) * scale) + RoundDelta;
    };
    const auto covers = [](const cv::Rect &area, int y) { return y >= area.y && y < area.y + area.height; };
    const int end = span.y + span.height;
    for (int y = span.y; y < end; ++y) {
        // An area's rows are runs far apart in memory, too short for the processor to see them
        // coming: the source rows a few rows ahead draw from, and that row itself, are asked for
        // early.
        if (y + PrefetchRows < end) {
            const int ahead = y + PrefetchRows;
            int aheadX, aheadY;
            rowPlace(ahead, aheadX, aheadY);
            for (const cv::Rect &area : order) {
                if (!covers(area, ahead))
                    continue;
                uchar *target = dst.ptr<uchar>(ahead) + area.x;
                for (int i = area.x - span.x; i < area.x - span.x + area.width; i += 32) {
                    const int x = (aheadX + columnX[size_t(i)]) >> PlaceBits;
                    const int v = (aheadY + columnY[size_t(i)]) >> PlaceBits;
                    if (x >= 0 && v >= 0 && x < src.cols && v + 1 < src.rows) {
                        __builtin_prefetch(src.ptr<uchar>(v) + x);
                        __builtin_prefetch(src.ptr<uchar>(v + 1) + x);
                    }
                    __builtin_prefetch(target + (i - (area.x - span.x)), 1);
                }
                __builtin_prefetch(target + area.width - 1, 1);
            }
        }
        int rowX, rowY;
        rowPlace(y, rowX, rowY);
        for (const cv::Rect &area : order) {
            if (!covers(area, y))
                continue;
            const size_t first = size_t(area.x - span.x);
            sampleRow(src, dst.ptr<uchar>(y) + area.x, rowX, rowY, columnX.data() + first, columnY.data() + first,
                      area.width);
        }
    }
}

} // namespace

bool rotateImage(const cv::Mat &src, cv::Mat &dst, const QPoint &shift, const QPoint &centre, double angle)
{
    if (!usableSource(src, "rotateImage"))
        return false;
    return runGuarded("rotateImage", [&] {
        const cv::Mat from = overlaps(src, dst) ? src.clone() : src;
        dst.create(from.size(), CV_8UC1);
        sampleAreas(from, dst, {cv::Rect(0, 0, from.cols, from.rows)}, sourceOfMoved(shift, centre, angle));
    });
}

bool rotateImagePart(const cv::Mat &src, cv::Mat &dst, const cv::Rect &area, const QPoint &shift,
                     const QPoint &centre, double angle)
{
    return rotateImageParts(src, dst, {area}, shift, centre, angle);
}

bool rotateImageParts(const cv::Mat &src, cv::Mat &dst, const std::vector<cv::Rect> &areas, const QPoint &shift,
                      const QPoint &centre, double angle)
{
    if (!usableSource(src, "rotateImagePart"))
        return false;
    if (dst.size() != src.size() || dst.type() != CV_8UC1 || overlaps(src, dst)) {
        qWarning("rotateImagePart: the destination must be a separate image of the source's size and type");
        return false;
    }
    std::vector<cv::Rect> inside;
    inside.reserve(areas.size());
    for (const cv::Rect &area : areas) {
        const cv::Rect clipped = area & cv::Rect(0, 0, src.cols, src.rows);
        if (!clipped.empty())
            inside.push_back(clipped);
    }
    if (inside.empty())
        return true;
    return runGuarded("rotateImagePart", [&] { sampleAreas(src, dst, inside, sourceOfMoved(shift, centre, angle)); });
}
