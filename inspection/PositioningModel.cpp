#include "inspection/PositioningModel.h"

#include "inspection/OpenCvGuard.h"
#include "inspection/PearsonCorrelation.h"
#include "inspection/VectorPaths.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif


namespace {

// The deepest level built keeps at least this many pixels on the template's smaller side.
constexpr int MinCoarseSide = 8;
// The search starts no deeper than where the target keeps this many pixels on its smaller side.
constexpr int MinSearchSide = 16;
// A level needs this many edge points before the search may start on it.
constexpr int MinCoarsePoints = 12;
// Point comparisons the exhaustive coarse search may cost before a deeper level is taken.
constexpr double SearchBudget = 1.0e5;
// Distinct coarse peaks followed down the pyramid; a deep start level can rank the true
// position second among look-alikes (repeated cavities), the finer levels sort them out.
constexpr int KeptCandidates = 8;
// Edge points below which a level's Canny threshold is lowered.
constexpr int MinEdgePixels = 30;
// Points kept per level: more add time, not precision.
constexpr size_t MaxPoints = 2500;
// The pose is settled on the level where the template is at most this wide, by at most these
// many pixels and degrees.
constexpr int PolishSide = 200;
constexpr double MaxSettle = 3.0;
constexpr double MaxSettleTurn = 6.0;
// Steps of the grey-value settling. From a pose the edge search found it settles in two or
// three; one that has not settled after these is drifting away from the place (to a look-alike
// or along a repeated edge), and each further step costs as much as the first ones.
constexpr int MaxSettleSteps = 10;
// A target may lie partly outside the frame (a mould moved against a fiducial near the image
// border): at most this far (level-0 pixels) and never more than this share of its edge points.
// Its score is then taken over the points that can be seen; placing it wholly inside instead
// would find it wrongly, elsewhere.
constexpr int MaxHiddenPixels = 64;
constexpr double MinVisibleShare = 0.5;
// A search that started where the target is only a few pixels wide follows the best places by
// edges on that level, and a look-alike it dropped there may agree as well as the place it
// kept, or better. After such a search the whole frame is swept for other places that look like
// the target: on the level where the target keeps SweepSide pixels on its smaller side, the
// frame turned back by the found angle is compared with the template's grey values, and at most
// SweepRivals places agreeing within SweepMargin of the found one are followed to full
// resolution and checked like the places the search kept.
constexpr int SweepSide = 20;
constexpr double SweepMargin = 0.2;
constexpr int SweepRivals = 4;
constexpr double Pi = 3.14159265358979323846;
// The coarse search leaves a place once the mean cosine of the points summed so far (checked
// every eight) falls below this share of the mean it needs.
constexpr float KeepPace = 0.5f;

// Each pixel the truncated mean of the 2 x 2 block below it. dst is reused when it has the size.
void halve(const cv::Mat &src, cv::Mat &dst)
{
    dst.create(src.rows / 2, src.cols / 2, CV_8UC1);
    for (int y = 0; y < dst.rows; ++y) {
        const uchar *a = src.ptr<uchar>(2 * y);
        const uchar *b = src.ptr<uchar>(2 * y + 1);
        uchar *out = dst.ptr<uchar>(y);
        for (int x = 0; x < dst.cols; ++x)
            out[x] = static_cast<uchar>((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1]) >> 2);
    }
}

// A float matrix of the given size laid over a buffer that only grows, so that a search run
// every frame allocates (and faults in) nothing once it has run.
cv::Mat scratchOf(cv::Mat &buffer, cv::Size size)
{
    if (buffer.rows < size.height || buffer.cols < size.width)
        buffer.create(std::max(buffer.rows, size.height), std::max(buffer.cols, size.width), CV_32F);
    return buffer(cv::Rect(0, 0, size.width, size.height));
}

// Sobel derivatives and their inverse magnitude (0 where flat); written in place into matrices
// that already have the image's size.
void gradients(const cv::Mat &image, cv::Mat &gx, cv::Mat &gy, cv::Mat &inverse)
{
    cv::Sobel(image, gx, CV_32F, 1, 0, 3);
    cv::Sobel(image, gy, CV_32F, 0, 1, 3);
    cv::magnitude(gx, gy, inverse);
    for (int y = 0; y < inverse.rows; ++y) {
        float *m = inverse.ptr<float>(y);
        for (int x = 0; x < inverse.cols; ++x)
            m[x] = m[x] > 0 ? 1.0f / m[x] : 0.0f;
    }
}

int edgeCount(const cv::Mat &edges) { return cv::countNonZero(edges); }

// Edge map of one template level. The coarsest level keeps every clear edge (25/50 on the L2
// magnitude); finer levels only the stronger ones, relaxed when the target is faint.
cv::Mat edgeMap(const cv::Mat &image, int level, int levels)
{
    cv::Mat edges;
    if (level == levels - 1) {
        cv::Canny(image, edges, 25, 50, 3, true);
        return edges;
    }
    double high = 60 + (140 * (levels - 1 - level)) / (levels - 1);
    cv::Canny(image, edges, 2 * high / 3, high, 3, false);
    int count = edgeCount(edges);
    if (count < MinEdgePixels) {
        const double wanted = (0.015 * level / levels + 0.015) * image.cols * image.rows;
        while (count < wanted && high > 10) {
            high *= 0.8;
            cv::Canny(image, edges, 2 * high / 3, high, 3, false);
            count = edgeCount(edges);
        }
    }
    return edges;
}

// Keeps at most MaxPoints of a level's points, evenly spread over the point list.
void thin(EdgeModel &m, size_t level)
{
    const size_t n = m.offsetX[level].size();
    if (n <= MaxPoints)
        return;
    for (std::vector<float> *list : {&m.offsetX[level], &m.offsetY[level], &m.gradX[level], &m.gradY[level]}) {
        std::vector<float> kept(MaxPoints);
        for (size_t i = 0; i < MaxPoints; ++i)
            kept[i] = (*list)[i * n / MaxPoints];
        list->swap(kept);
    }
}

// Orders a level's points so that any run from the first one is spread over the whole target:
// the coarse search judges a place by its first points before it sums the rest.
void spread(EdgeModel &m, size_t level)
{
    const size_t n = m.offsetX[level].size();
    if (n < 3)
        return;
    size_t step = std::max<size_t>(1, static_cast<size_t>(0.618 * double(n)));
    while (std::gcd(step, n) != 1)
        ++step;
    for (std::vector<float> *list : {&m.offsetX[level], &m.offsetY[level], &m.gradX[level], &m.gradY[level]}) {
        std::vector<float> spreadOut(n);
        for (size_t i = 0; i < n; ++i)
            spreadOut[i] = (*list)[(i * step) % n];
        list->swap(spreadOut);
    }
}

} // namespace

// A position (and angle) under consideration on one pyramid level.
struct PositioningModel::Candidate
{
    int x = 0;
    int y = 0;
    double angle = 0;
    double score = 0;
    // Sub-pixel part of the position, found last on level 0 when turning.
    double sx = 0;
    double sy = 0;
    // The score on the level where the search started.
    double coarse = 0;
};

// Unit gradient directions of a level over a window, with a zero border so that model points
// falling outside the image read (0, 0) without a bounds test.
struct PositioningModel::Field
{
    int x0 = 0;
    int y0 = 0;
    int pad = 0;
    int stride = 0;
    std::vector<cv::Vec2f> cells;
    // Kept from call to call: only grow.
    cv::Mat gxBuffer;
    cv::Mat gyBuffer;
    cv::Mat inverseBuffer;

    const cv::Vec2f *at(int x, int y) const
    {
        return cells.data() + static_cast<ptrdiff_t>(y - y0 + pad) * stride + (x - x0 + pad);
    }

    // The window may reach beyond the level: cells outside it stay (0, 0).
    void fill(const cv::Mat &level, cv::Rect window, int border)
    {
        x0 = window.x;
        y0 = window.y;
        pad = border;
        stride = window.width + 2 * border;
        cells.assign(static_cast<size_t>(stride) * static_cast<size_t>(window.height + 2 * border), cv::Vec2f(0, 0));
        const cv::Rect inside = window & cv::Rect(0, 0, level.cols, level.rows);
        if (inside.empty())
            return;
        // A view into the level: Sobel reads the real neighbours around the window.
        cv::Mat gx = scratchOf(gxBuffer, inside.size());
        cv::Mat gy = scratchOf(gyBuffer, inside.size());
        cv::Mat inverse = scratchOf(inverseBuffer, inside.size());
        gradients(level(inside), gx, gy, inverse);
        for (int y = 0; y < inside.height; ++y) {
            const float *a = gx.ptr<float>(y);
            const float *b = gy.ptr<float>(y);
            const float *m = inverse.ptr<float>(y);
            cv::Vec2f *out = const_cast<cv::Vec2f *>(at(inside.x, inside.y + y));
            for (int x = 0; x < inside.width; ++x)
                out[x] = cv::Vec2f(a[x] * m[x], b[x] * m[x]);
        }
    }
};

// Unit gradient directions of a level computed only where a point asks for one, and kept for
// the other points and places of the same window: the finer levels sample a few thousand points
// around one place, and a whole window of gradients would cost many times that.
struct PositioningModel::LazyField
{
    const cv::Mat *level = nullptr;
    int x0 = 0;
    int y0 = 0;
    int stride = 0;
    int rows = 0;
    std::uint32_t generation = 0;
    std::vector<cv::Vec2f> cells;
    std::vector<std::uint32_t> stamps;

    void reset(const cv::Mat &image, const cv::Rect &window)
    {
        level = &image;
        x0 = window.x;
        y0 = window.y;
        stride = window.width;
        rows = window.height;
        const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(rows);
        if (cells.size() < size) {
            cells.resize(size);
            stamps.resize(size, 0);
        }
        if (++generation == 0) {
            std::fill(stamps.begin(), stamps.end(), 0);
            generation = 1;
        }
    }

    // Computes every cell of the window at once, as at() would one by one: when several turns
    // are scored around a place, most cells are asked for, and a straight pass over them costs
    // less than asking cell by cell. Afterwards cellsAt() may be read directly. The cells are not
    // marked as computed: at() would compute each again, to the same value.
    void fillAll()
    {
        const int w = level->cols;
        const int h = level->rows;
        for (int wy = 0; wy < rows; ++wy) {
            const int y = y0 + wy;
            cv::Vec2f *out = cells.data() + static_cast<size_t>(wy) * static_cast<size_t>(stride);
            if (y < 0 || y >= h) {
                std::fill(out, out + stride, cv::Vec2f(0, 0));
                continue;
            }
            // Columns whose three neighbours lie on the level without reflection.
            const int from = std::clamp(1 - x0, 0, stride);
            const int to = std::clamp(w - 1 - x0, from, stride);
            for (int wx = 0; wx < from; ++wx)
                out[wx] = x0 + wx >= 0 && x0 + wx < w ? direction(x0 + wx, y) : cv::Vec2f(0, 0);
            for (int wx = to; wx < stride; ++wx)
                out[wx] = x0 + wx >= 0 && x0 + wx < w ? direction(x0 + wx, y) : cv::Vec2f(0, 0);
            if (y == 0 || y == h - 1) {
                for (int wx = from; wx < to; ++wx)
                    out[wx] = direction(x0 + wx, y);
                continue;
            }
            directions(level->ptr<uchar>(y - 1) + x0 + from, level->ptr<uchar>(y) + x0 + from,
                       level->ptr<uchar>(y + 1) + x0 + from, reinterpret_cast<float *>(out + from), to - from);
        }
    }

#if defined(__x86_64__) && defined(__GNUC__)
// GCC 12 takes the undefined upper lanes inside its AVX-512 intrinsics for uninitialised values.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
    // directions() sixteen at a time, as far as whole sixteens reach; returns how far that is.
    // The sums are exact in integers and in single precision, square root and division are
    // exactly rounded: the same directions as one at a time.
    __attribute__((target("avx512f"), always_inline)) static inline __m512i load(const uchar *p)
    {
        return _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
    }

    __attribute__((target("avx512f"))) static int directionsWide(const uchar *up, const uchar *mid,
                                                                const uchar *down, float *out, int n)
    {
        const __m512i firstPairs = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
        const __m512i secondPairs = _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
        const __m512 zero = _mm512_setzero_ps();
        int i = 0;
        for (; i + 16 <= n; i += 16) {
            const __m512i upLeft = load(up + i - 1), upHere = load(up + i), upRight = load(up + i + 1);
            const __m512i midLeft = load(mid + i - 1), midRight = load(mid + i + 1);
            const __m512i downLeft = load(down + i - 1), downHere = load(down + i), downRight = load(down + i + 1);
            const __m512i right = _mm512_add_epi32(_mm512_add_epi32(upRight, downRight), _mm512_slli_epi32(midRight, 1));
            const __m512i left = _mm512_add_epi32(_mm512_add_epi32(upLeft, downLeft), _mm512_slli_epi32(midLeft, 1));
            const __m512i below = _mm512_add_epi32(_mm512_add_epi32(downLeft, downRight), _mm512_slli_epi32(downHere, 1));
            const __m512i above = _mm512_add_epi32(_mm512_add_epi32(upLeft, upRight), _mm512_slli_epi32(upHere, 1));
            const __m512 gx = _mm512_cvtepi32_ps(_mm512_sub_epi32(right, left));
            const __m512 gy = _mm512_cvtepi32_ps(_mm512_sub_epi32(below, above));
            const __m512 m = _mm512_sqrt_ps(_mm512_add_ps(_mm512_mul_ps(gx, gx), _mm512_mul_ps(gy, gy)));
            const __mmask16 edge = _mm512_cmp_ps_mask(m, zero, _CMP_GT_OQ);
            const __m512 ux = _mm512_maskz_div_ps(edge, gx, m);
            const __m512 uy = _mm512_maskz_div_ps(edge, gy, m);
            _mm512_storeu_ps(out + 2 * i, _mm512_permutex2var_ps(ux, firstPairs, uy));
            _mm512_storeu_ps(out + 2 * i + 16, _mm512_permutex2var_ps(ux, secondPairs, uy));
        }
        return i;
    }
#pragma GCC diagnostic pop
#endif

    // The cell of (x, y) after fillAll; the window holds every place asked for.
    const cv::Vec2f *cellsAt(int x, int y) const
    {
        return cells.data() + static_cast<ptrdiff_t>(y - y0) * stride + (x - x0);
    }

    // direction() for n neighbouring pixels away from the level's border, written as pairs.
    static void directions(const uchar *up, const uchar *mid, const uchar *down, float *out, int n)
    {
        int i = 0;
#if defined(__x86_64__) && defined(__GNUC__)
        static const bool wide = VectorPaths::allows(VectorPaths::Avx512) && __builtin_cpu_supports("avx512f");
        if (wide)
            i = directionsWide(up, mid, down, out, n);
#endif
#if defined(__SSE2__)
        // Four at a time: square root and division are exactly rounded in both forms.
        alignas(16) float gx[4];
        alignas(16) float gy[4];
        const __m128 zero = _mm_setzero_ps();
        const __m128 ones = _mm_set1_ps(1.0f);
        for (; i + 4 <= n; i += 4) {
            for (int k = 0; k < 4; ++k) {
                const int j = i + k;
                gx[k] = float(up[j + 1] + 2 * mid[j + 1] + down[j + 1] - up[j - 1] - 2 * mid[j - 1] - down[j - 1]);
                gy[k] = float(down[j - 1] + 2 * down[j] + down[j + 1] - up[j - 1] - 2 * up[j] - up[j + 1]);
            }
            const __m128 a = _mm_load_ps(gx);
            const __m128 b = _mm_load_ps(gy);
            const __m128 m = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(a, a), _mm_mul_ps(b, b)));
            const __m128 edge = _mm_cmpgt_ps(m, zero);
            const __m128 d = _mm_or_ps(_mm_and_ps(edge, m), _mm_andnot_ps(edge, ones));
            const __m128 ux = _mm_and_ps(edge, _mm_div_ps(a, d));
            const __m128 uy = _mm_and_ps(edge, _mm_div_ps(b, d));
            _mm_storeu_ps(out + 2 * i, _mm_unpacklo_ps(ux, uy));
            _mm_storeu_ps(out + 2 * i + 4, _mm_unpackhi_ps(ux, uy));
        }
#endif
        for (; i < n; ++i) {
            const float gx = float(up[i + 1] + 2 * mid[i + 1] + down[i + 1] - up[i - 1] - 2 * mid[i - 1] - down[i - 1]);
            const float gy = float(down[i - 1] + 2 * down[i] + down[i + 1] - up[i - 1] - 2 * up[i] - up[i + 1]);
            const float m = std::sqrt(gx * gx + gy * gy);
            out[2 * i] = m > 0 ? gx / m : 0.0f;
            out[2 * i + 1] = m > 0 ? gy / m : 0.0f;
        }
    }

    // The 3 x 3 Sobel direction at (x, y), the image border reflected as cv::Sobel does; (0, 0)
    // outside the level or the window, and where the level is flat.
    cv::Vec2f at(int x, int y)
    {
        const int wx = x - x0;
        const int wy = y - y0;
        if (x < 0 || y < 0 || x >= level->cols || y >= level->rows || wx < 0 || wy < 0 || wx >= stride || wy >= rows)
            return cv::Vec2f(0, 0);
        const size_t i = static_cast<size_t>(wy) * static_cast<size_t>(stride) + static_cast<size_t>(wx);
        if (stamps[i] != generation) {
            stamps[i] = generation;
            cells[i] = direction(x, y);
        }
        return cells[i];
    }

    cv::Vec2f direction(int x, int y) const
    {
        const int w = level->cols;
        const int h = level->rows;
        auto reflect = [](int v, int n) { return n == 1 ? 0 : (v < 0 ? -v : (v >= n ? 2 * n - 2 - v : v)); };
        const uchar *up = level->ptr<uchar>(reflect(y - 1, h));
        const uchar *mid = level->ptr<uchar>(y);
        const uchar *down = level->ptr<uchar>(reflect(y + 1, h));
        const int l = reflect(x - 1, w);
        const int r = reflect(x + 1, w);
        const float gx = float(up[r] + 2 * mid[r] + down[r] - up[l] - 2 * mid[l] - down[l]);
        const float gy = float(down[l] + 2 * down[x] + down[r] - up[l] - 2 * up[x] - up[r]);
        const float m = std::sqrt(gx * gx + gy * gy);
        return m > 0 ? cv::Vec2f(gx / m, gy / m) : cv::Vec2f(0, 0);
    }
};

namespace {

// The nearest whole number, halves away from zero, as std::lround gives it for the small
// offsets of model points, without a library call: the fraction v - t is exact.
inline int roundedOffset(double v)
{
    const int t = static_cast<int>(v);
    const double fraction = v - t;
    return t + (fraction >= 0.5 ? 1 : 0) - (fraction <= -0.5 ? 1 : 0);
}

// The model points of one level turned by an angle: linear offsets into a field (rounded to
// whole pixels) and the turned unit directions.
struct TurnedPoints
{
    std::vector<int> rx;
    std::vector<int> ry;
    std::vector<ptrdiff_t> offsets;
    std::vector<float> ux;
    std::vector<float> uy;

    // Turns the points; their extent is added to bounds.
    void turn(const EdgeModel &model, int level, double degrees, cv::Rect &bounds)
    {
        const size_t n = static_cast<size_t>(model.counts[static_cast<size_t>(level)]);
        rx.resize(n);
        ry.resize(n);
        ux.resize(n);
        uy.resize(n);
        const double rad = degrees * Pi / 180.0;
        const double c = std::cos(rad);
        const double s = std::sin(rad);
        const std::vector<float> &ox = model.offsetX[static_cast<size_t>(level)];
        const std::vector<float> &oy = model.offsetY[static_cast<size_t>(level)];
        const std::vector<float> &gx = model.gradX[static_cast<size_t>(level)];
        const std::vector<float> &gy = model.gradY[static_cast<size_t>(level)];
        int left = bounds.x;
        int top = bounds.y;
        int right = bounds.x + bounds.width;
        int bottom = bounds.y + bounds.height;
        for (size_t i = 0; i < n; ++i) {
            rx[i] = roundedOffset(ox[i] * c - oy[i] * s);
            ry[i] = roundedOffset(ox[i] * s + oy[i] * c);
            ux[i] = static_cast<float>(gx[i] * c - gy[i] * s);
            uy[i] = static_cast<float>(gx[i] * s + gy[i] * c);
            left = std::min(left, rx[i]);
            top = std::min(top, ry[i]);
            right = std::max(right, rx[i] + 1);
            bottom = std::max(bottom, ry[i] + 1);
        }
        bounds = cv::Rect(left, top, right - left, bottom - top);
    }

    // How many of the points fall inside a level of the given size around centre (x, y); the
    // extent of the points (from turn) answers most places without counting.
    int visible(int x, int y, cv::Size level, const cv::Rect &extent) const
    {
        if (x + extent.x >= 0 && y + extent.y >= 0 && x + extent.x + extent.width <= level.width
            && y + extent.y + extent.height <= level.height)
            return static_cast<int>(rx.size());
        int n = 0;
        for (size_t i = 0; i < rx.size(); ++i) {
            const int px = x + rx[i];
            const int py = y + ry[i];
            n += (px >= 0 && py >= 0 && px < level.width && py < level.height) ? 1 : 0;
        }
        return n;
    }

    // Offsets into a field of the given stride.
    void link(int stride)
    {
        offsets.resize(rx.size());
        for (size_t i = 0; i < rx.size(); ++i)
            offsets[i] = static_cast<ptrdiff_t>(ry[i]) * stride + rx[i];
    }

    // Sum of the cosines at a centre; gives up (returns -1) once the sum can no longer reach
    // need.
    float sum(const cv::Vec2f *centre, float need) const
    {
        const size_t n = offsets.size();
        const ptrdiff_t *o = offsets.data();
        const float *gx = ux.data();
        const float *gy = uy.data();
        float total = 0;
        size_t i = 0;
        // Tested every eight points: a hopeless place is still left early, at a fraction of
        // the tests.
        // The points come spread over the target (see spread), so the points summed so far
        // stand for all of them: a place whose mean falls below KeepPace of the mean needed is
        // left as well.
        const float pace = KeepPace * need / static_cast<float>(n);
        for (; i + 8 <= n; i += 8) {
            float part = 0;
            for (size_t j = i; j < i + 8; ++j) {
                const float *u = centre[o[j]].val;
                part += gx[j] * u[0] + gy[j] * u[1];
            }
            total += part;
            if (total + static_cast<float>(n - i - 8) < need || total < pace * static_cast<float>(i + 8))
                return -1;
        }
        for (; i < n; ++i) {
            const float *u = centre[o[i]].val;
            total += gx[i] * u[0] + gy[i] * u[1];
        }
        return total < need ? -1 : total;
    }
};

// The number of turned points inside any window of offsets, in constant time: a summed-area
// table over the points' extent. The coarse search asks it for every place near the border.
struct VisibleTable
{
    cv::Rect extent;
    std::vector<int> sums;   // (extent.height + 1) x (extent.width + 1)

    void build(const TurnedPoints &points, const cv::Rect &bounds)
    {
        extent = bounds;
        const int w = extent.width + 1;
        sums.assign(static_cast<size_t>(w) * static_cast<size_t>(extent.height + 1), 0);
        for (size_t i = 0; i < points.rx.size(); ++i)
            ++sums[static_cast<size_t>(points.ry[i] - extent.y + 1) * size_t(w) + size_t(points.rx[i] - extent.x + 1)];
        for (int y = 1; y <= extent.height; ++y)
            for (int x = 1; x <= extent.width; ++x)
                sums[size_t(y) * size_t(w) + size_t(x)] += sums[size_t(y - 1) * size_t(w) + size_t(x)]
                    + sums[size_t(y) * size_t(w) + size_t(x - 1)] - sums[size_t(y - 1) * size_t(w) + size_t(x - 1)];
    }

    // Points whose offset lies in [x0, x1) x [y0, y1).
    int count(int x0, int y0, int x1, int y1) const
    {
        const int w = extent.width + 1;
        x0 = std::clamp(x0 - extent.x, 0, extent.width);
        x1 = std::clamp(x1 - extent.x, 0, extent.width);
        y0 = std::clamp(y0 - extent.y, 0, extent.height);
        y1 = std::clamp(y1 - extent.y, 0, extent.height);
        if (x1 <= x0 || y1 <= y0)
            return 0;
        auto at = [&](int x, int y) { return sums[size_t(y) * size_t(w) + size_t(x)]; };
        return at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
    }

    // Points inside a level of the given size around centre (x, y).
    int visible(int x, int y, cv::Size level) const { return count(-x, -y, level.width - x, level.height - y); }
};

// The divisor of a place's score: the visible points, but never fewer than the share that
// must be seen, so that a sliver of the target at the border cannot win.
int scoreDivisor(int visible, int n)
{
    return std::max(visible, static_cast<int>(std::ceil(MinVisibleShare * n)));
}

} // namespace

// Buffers of the search, kept between frames.
struct PositioningModel::Scratch
{
    std::vector<cv::Mat> pyramid;
    Field coarse;
    LazyField fine;
    std::vector<TurnedPoints> turns;
    // The target's pixels and the frame's beneath them, for the check of a pose.
    std::vector<uchar> target;
    std::vector<uchar> there;
    // The sweep for look-alikes: the level turned upright, its agreement map and local maxima.
    cv::Mat upright;
    cv::Mat agreement;
    cv::Mat peaks;
    cv::Mat sweepMask;
    RigidAlignment::Work settling;
};


PositioningModel::PositioningModel()
    : scratch(std::make_unique<Scratch>())
{
}

PositioningModel::~PositioningModel() = default;

void EdgeModel::clear()
{
    levels = 0;
    widths.clear();
    heights.clear();
    counts.clear();
    offsetX.clear();
    offsetY.clear();
    gradX.clear();
    gradY.clear();
    radius.clear();
    images.clear();
    masks.clear();
}

void PositioningModel::reset()
{
    ready = false;
    edgeModel.clear();
    targetLevels = 0;
    settling.clear();
}

bool PositioningModel::create(const cv::Mat &templ, int range, int x, int y, const cv::Mat &mask)
{
    reset();
    if (range < 0) {
        qWarning("Positioning model: negative angle range %d", range);
        return false;
    }
    if (templ.empty() || templ.type() != CV_8UC1 || mask.type() != CV_8UC1 || mask.size() != templ.size()) {
        qWarning("Positioning model: the template crop or its mask cannot be used");
        return false;
    }
    angleRange = std::min(range, 180);
    anchorX = x;
    anchorY = y;
    searchMode = angleRange > 0 ? 4 : 3;
    ready = runGuarded("Positioning model", [&] { ready = build(templ, mask); }) && ready;
    if (!ready)
        reset();
    return ready;
}

bool PositioningModel::build(const cv::Mat &templ, const cv::Mat &mask)
{
    const int smaller = std::min(templ.rows, templ.cols);
    targetLevels = 1;
    while ((15 << targetLevels) <= smaller)
        ++targetLevels;
    int levels = targetLevels;
    while (levels < 12 && (smaller >> levels) >= MinCoarseSide)
        ++levels;

    std::vector<cv::Mat> images(static_cast<size_t>(levels));
    std::vector<cv::Mat> masks(static_cast<size_t>(levels));
    cv::medianBlur(templ, images[0], 3);
    masks[0] = mask;
    for (size_t k = 1; k < images.size(); ++k) {
        halve(images[k - 1], images[k]);
        halve(masks[k - 1], masks[k]);
    }

    EdgeModel &m = edgeModel;
    m.levels = levels;
    m.widths.assign(static_cast<size_t>(levels), 0);
    m.heights.assign(static_cast<size_t>(levels), 0);
    m.counts.assign(static_cast<size_t>(levels), 0);
    m.radius.assign(static_cast<size_t>(levels), 0.0f);
    m.offsetX.assign(static_cast<size_t>(levels), {});
    m.offsetY.assign(static_cast<size_t>(levels), {});
    m.gradX.assign(static_cast<size_t>(levels), {});
    m.gradY.assign(static_cast<size_t>(levels), {});
    m.images = images;
    m.masks = masks;
    for (int level = levels - 1; level >= 0; --level) {
        const size_t k = static_cast<size_t>(level);
        const cv::Mat &image = images[k];
        cv::Mat gx, gy, inverse;
        gradients(image, gx, gy, inverse);
        const cv::Mat edges = edgeMap(image, level, levels);
        const int cx = image.cols / 2;
        const int cy = image.rows / 2;
        float radius = 0;
        for (int y = 0; y < image.rows; ++y) {
            const uchar *e = edges.ptr<uchar>(y);
            const uchar *valid = masks[k].ptr<uchar>(y);
            const float *a = gx.ptr<float>(y);
            const float *b = gy.ptr<float>(y);
            const float *inv = inverse.ptr<float>(y);
            for (int x = 0; x < image.cols; ++x) {
                if (!e[x] || !valid[x] || inv[x] == 0)
                    continue;
                const float ox = static_cast<float>(x - cx);
                const float oy = static_cast<float>(y - cy);
                m.offsetX[k].push_back(ox);
                m.offsetY[k].push_back(oy);
                m.gradX[k].push_back(a[x] * inv[x]);
                m.gradY[k].push_back(b[x] * inv[x]);
                radius = std::max(radius, std::sqrt(ox * ox + oy * oy));
            }
        }
        thin(m, k);
        spread(m, k);
        m.widths[k] = image.cols;
        m.heights[k] = image.rows;
        m.counts[k] = static_cast<int>(m.offsetX[k].size());
        m.radius[k] = radius;
    }
    if (m.counts[0] == 0)
        qWarning("Positioning model: the target shows no edge; it will never be found");
    settling.setTemplate(m.images[size_t(checkLevel())]);
    return true;
}

double PositioningModel::angleStep(int level) const
{
    // A turn by one step moves the farthest point by about a pixel of the level: finer turns
    // find nothing new there, and the final settling takes the angle further.
    const double radius = std::max(1.0f, edgeModel.radius[static_cast<size_t>(level)]);
    return std::max(0.1 * double(1 << level), std::atan(1.0 / radius) * 180.0 / Pi);
}

int PositioningModel::searchLevel(const cv::Size &image) const
{
    const int levels = edgeModel.levels;
    int start = std::min(targetLevels, levels) - 1;
    auto work = [&](int level) {
        const size_t k = static_cast<size_t>(level);
        const double columns = std::max(1, (image.width >> level) - edgeModel.widths[k] + 1);
        const double rows = std::max(1, (image.height >> level) - edgeModel.heights[k] + 1);
        const double angles = searchMode == 4 ? std::floor(2.0 * angleRange / angleStep(level)) + 1 : 1;
        return columns * rows * angles * edgeModel.counts[k];
    };
    // Deeper than a target of MinSearchSide pixels, every look-alike of it scores as well as the
    // target itself, and the target may drop out of the places followed.
    auto distinct = [&](int level) {
        const size_t k = static_cast<size_t>(level);
        return std::min(edgeModel.widths[k], edgeModel.heights[k]) >= MinSearchSide;
    };
    while (start + 1 < levels && edgeModel.counts[static_cast<size_t>(start + 1)] >= MinCoarsePoints
           && distinct(start + 1) && work(start) > SearchBudget)
        ++start;
    return start;
}

void PositioningModel::coarseSearch(const cv::Mat &level, int index, std::vector<Candidate> &kept) const
{
    const size_t k = static_cast<size_t>(index);
    const int n = edgeModel.counts[k];
    if (n == 0)
        return;
    // How far the target's centre may leave the place where it lies wholly inside.
    const int hidden = std::min(MaxHiddenPixels >> index, std::min(edgeModel.widths[k], edgeModel.heights[k]) / 2);
    Field &field = scratch->coarse;
    const int border = static_cast<int>(std::ceil(edgeModel.radius[k])) + 2 + hidden;
    field.fill(level, cv::Rect(0, 0, level.cols, level.rows), border);

    const int halfW = edgeModel.widths[k] / 2;
    const int halfH = edgeModel.heights[k] / 2;
    const double step = angleStep(index);
    const int angles = searchMode == 4 ? static_cast<int>(std::floor(2.0 * angleRange / step)) + 1 : 1;
    const int need = static_cast<int>(std::ceil(MinVisibleShare * n));
    const int peakRadius = std::max(2, std::min(edgeModel.widths[k], edgeModel.heights[k]) / 4);
    TurnedPoints points;
    VisibleTable table;
    double best = 0;
    double threshold = 0;
    for (int a = 0; a < angles; ++a) {
        const double angle = searchMode == 4 ? -angleRange + a * step : 0.0;
        cv::Rect bounds;
        points.turn(edgeModel, index, angle, bounds);
        points.link(field.stride);
        table.build(points, bounds);
        for (int y = halfH - hidden; y <= level.rows - halfH + hidden; ++y) {
            const cv::Vec2f *row = field.at(0, y);
            const bool rowInside = y + bounds.y >= 0 && y + bounds.y + bounds.height <= level.rows;
            for (int x = halfW - hidden; x <= level.cols - halfW + hidden; ++x) {
                int visible = n;
                if (!rowInside || x + bounds.x < 0 || x + bounds.x + bounds.width > level.cols) {
                    visible = table.visible(x, y, level.size());
                    if (visible < need)
                        continue;
                }
                const int divisor = scoreDivisor(visible, n);
                const float total = points.sum(row + x, static_cast<float>(threshold * divisor));
                if (total < 0)
                    continue;
                const double s = total / divisor;
                if (s <= threshold)
                    continue;
                // Places closer than a quarter of the target are one peak; the better angle or
                // place wins. Nearer than that, the slopes of one broad peak would fill every
                // place kept and crowd out a distant rival that may be the true target.
                auto near = std::find_if(kept.begin(), kept.end(), [&](const Candidate &c) {
                    return std::abs(c.x - x) <= peakRadius && std::abs(c.y - y) <= peakRadius;
                });
                const Candidate here{x, y, angle, s, 0, 0, s};
                if (near != kept.end()) {
                    if (s > near->score)
                        *near = here;
                } else if (static_cast<int>(kept.size()) < KeptCandidates) {
                    kept.push_back(here);
                } else {
                    auto worst = std::min_element(kept.begin(), kept.end(),
                                                  [](const Candidate &l, const Candidate &r) { return l.score < r.score; });
                    *worst = here;
                }
                best = std::max(best, s);
                double weakest = best;
                for (const Candidate &c : kept)
                    weakest = std::min(weakest, c.score);
                // Places scoring well below the best peak are never followed.
                threshold = std::max(0.6 * best, static_cast<int>(kept.size()) < KeptCandidates ? 0.0 : weakest);
            }
        }
    }
}

bool PositioningModel::refine(const cv::Mat &level, int index, double previousStep, Candidate &candidate) const
{
    const size_t k = static_cast<size_t>(index);
    const int n = edgeModel.counts[k];
    if (n == 0)
        return false;
    const int cx = 2 * candidate.x;
    const int cy = 2 * candidate.y;
    double step = 0;
    double first = 0;
    int angles = 1;
    // On full resolution nine turns would cost the most of the whole search; the grey-value
    // settling that follows finds the angle more precisely than these steps could, but only
    // where the whole target lies in the frame.
    const int reach = static_cast<int>(std::ceil(edgeModel.radius[k])) + 3;
    const bool settled = index == 0 && cx - reach >= 0 && cy - reach >= 0 && cx + reach < level.cols
        && cy + reach < level.rows;
    if (searchMode == 4 && !settled) {
        // Never beyond the range searched: a turn outside it that happens to score on a few
        // edges is not the target.
        step = angleStep(index);
        first = std::max(candidate.angle - 2 * previousStep, double(-angleRange));
        const double last = std::min(candidate.angle + 2 * previousStep, double(angleRange));
        angles = std::max(1, static_cast<int>(static_cast<float>(last - first) / static_cast<float>(step)) + 1);
    } else if (searchMode == 4) {
        first = candidate.angle;
    }
    // Turn first, so that the gradients are computed just where the points can fall.
    std::vector<TurnedPoints> &turns = scratch->turns;
    turns.resize(static_cast<size_t>(angles));
    cv::Rect bounds;
    for (int a = 0; a < angles; ++a)
        turns[size_t(a)].turn(edgeModel, index, searchMode == 4 ? first + a * step : 0.0, bounds);
    LazyField &field = scratch->fine;
    field.reset(level, cv::Rect(cx - 2 + bounds.x, cy - 2 + bounds.y, bounds.width + 4, bounds.height + 4));
    // Several turns ask for most of the window; a single one for a small part of it.
    const bool dense = angles > 1;
    if (dense) {
        field.fillAll();
        for (int a = 0; a < angles; ++a)
            turns[size_t(a)].link(field.stride);
    }

    const int need = static_cast<int>(std::ceil(MinVisibleShare * n));
    // The score of a place and turn; -1 when too little of the target is seen there, or when
    // it can no longer reach floor (each point adds at most 1).
    const auto scoreAt = [&](const TurnedPoints &points, int x, int y, double floor) {
        const int visible = points.visible(x, y, level.size(), bounds);
        if (visible < need)
            return -1.0;
        const int divisor = scoreDivisor(visible, n);
        // A little below the floor: the sum's rounding must never leave a place that reaches it.
        const float reach = static_cast<float>(floor * divisor) - 0.01f;
        const size_t count = points.rx.size();
        float total = 0;
        if (dense) {
            const cv::Vec2f *centre = field.cellsAt(x, y);
            const ptrdiff_t *o = points.offsets.data();
            for (size_t i = 0; i < count; ++i) {
                const cv::Vec2f &u = centre[o[i]];
                total += points.ux[i] * u[0] + points.uy[i] * u[1];
                if ((i & 63) == 63 && total + 1.001f * static_cast<float>(count - i - 1) < reach)
                    return -1.0;
            }
            return double(total) / divisor;
        }
        for (size_t i = 0; i < count; ++i) {
            const cv::Vec2f u = field.at(x + points.rx[i], y + points.ry[i]);
            total += points.ux[i] * u[0] + points.uy[i] * u[1];
            if ((i & 63) == 63 && total + 1.001f * static_cast<float>(count - i - 1) < reach)
                return -1.0;
        }
        return double(total) / divisor;
    };
    // The middle turn at the candidate's place is scored first: whatever wins scores at least
    // that much, so places and turns below it are left early. The search order, and so its
    // result, stay the same.
    // The five places of a row (cx - 2 to cx + 2) of one turn summed side by side: five sums
    // that do not wait for each other, each in the same order as scoreAt's, so each place
    // scores exactly what scoreAt gives it. Places are left against the floor the row started
    // with; one that scoreAt would have left against a higher best scores below that best and
    // changes nothing. -1 for a place left or seen too little.
    constexpr int RowPlaces = 5;
    const auto scoreRow = [&](const TurnedPoints &points, int y, double floor, double *scores) {
        float total[RowPlaces] = {};
        float reach[RowPlaces];
        int divisor[RowPlaces];
        bool live[RowPlaces];
        int alive = 0;
        for (int k = 0; k < RowPlaces; ++k) {
            const int visible = points.visible(cx - 2 + k, y, level.size(), bounds);
            live[k] = visible >= need;
            divisor[k] = scoreDivisor(visible, n);
            reach[k] = static_cast<float>(floor * divisor[k]) - 0.01f;
            scores[k] = -1.0;
            alive += live[k] ? 1 : 0;
        }
        const cv::Vec2f *row = field.cellsAt(cx - 2, y);
        const ptrdiff_t *o = points.offsets.data();
        const float *ux = points.ux.data();
        const float *uy = points.uy.data();
        const size_t count = points.rx.size();
        for (size_t i = 0; i < count && alive > 0; ++i) {
            const cv::Vec2f *u = row + o[i];
            for (int k = 0; k < RowPlaces; ++k)
                total[k] += ux[i] * u[k][0] + uy[i] * u[k][1];
            if ((i & 63) == 63) {
                const float rest = 1.001f * static_cast<float>(count - i - 1);
                alive = 0;
                for (int k = 0; k < RowPlaces; ++k) {
                    live[k] = live[k] && !(total[k] + rest < reach[k]);
                    alive += live[k] ? 1 : 0;
                }
            }
        }
        for (int k = 0; k < RowPlaces && alive > 0; ++k)
            if (live[k])
                scores[k] = double(total[k]) / divisor[k];
    };
    const double floor = std::max(0.0, scoreAt(turns[size_t(angles / 2)], cx, cy, 0.0));
    Candidate best{cx, cy, candidate.angle, 0};
    for (int a = 0; a < angles; ++a) {
        const TurnedPoints &points = turns[size_t(a)];
        const double angle = searchMode == 4 ? first + a * step : 0.0;
        for (int y = cy - 2; y <= cy + 2; ++y) {
            if (dense) {
                double scores[RowPlaces];
                scoreRow(points, y, std::max(floor, best.score), scores);
                for (int k = 0; k < RowPlaces; ++k)
                    if (scores[k] > best.score)
                        best = Candidate{cx - 2 + k, y, angle, scores[k]};
                continue;
            }
            for (int x = cx - 2; x <= cx + 2; ++x) {
                const double s = scoreAt(points, x, y, std::max(floor, best.score));
                if (s > best.score)
                    best = Candidate{x, y, angle, s};
            }
        }
    }
    best.coarse = candidate.coarse;
    candidate = best;
    return best.score > 0;
}

int PositioningModel::checkLevel() const
{
    // The pose is settled and checked on the level where the template is at most PolishSide
    // pixels wide: precise enough, and cheap.
    int level = 0;
    while (level + 1 < edgeModel.levels
           && std::max(edgeModel.widths[size_t(level)], edgeModel.heights[size_t(level)]) > PolishSide)
        ++level;
    return level;
}

// Template coordinates of a level to frame coordinates of the same level for a pose.
cv::Matx23d PositioningModel::levelPose(int level, const Candidate &candidate) const
{
    const double scale = double(1 << level);
    const double offset = (scale - 1) / 2;   // level-0 coordinate of a level pixel's centre
    const cv::Point2d t((edgeModel.widths[0] / 2 - offset) / scale, (edgeModel.heights[0] / 2 - offset) / scale);
    const cv::Point2d f((candidate.x + candidate.sx - offset) / scale, (candidate.y + candidate.sy - offset) / scale);
    const double rad = candidate.angle * Pi / 180.0;
    const double c = std::cos(rad);
    const double s = std::sin(rad);
    return cv::Matx23d(c, -s, f.x - (c * t.x - s * t.y), s, c, f.y - (s * t.x + c * t.y));
}

void PositioningModel::polish(const std::vector<cv::Mat> &pyramid, Candidate &candidate) const
{
    // Gradient directions hardly change when a straight edge turns by a few tenths of a degree
    // or moves across by a fraction of a pixel, so the edge search leaves the angle loose on a
    // small target, and the position on a blurred one. Aligning the template's grey values
    // (a shift, with a turn when turning) from the found pose settles angle and
    // sub-pixel position.
    const int level = checkLevel();
    const cv::Mat &templ = edgeModel.images[size_t(level)];
    if (templ.cols < 8 || templ.rows < 8)
        return;
    const double scale = double(1 << level);
    const double offset = (scale - 1) / 2;
    const cv::Point2d t((edgeModel.widths[0] / 2 - offset) / scale, (edgeModel.heights[0] / 2 - offset) / scale);
    const cv::Matx23d pose = levelPose(level, candidate);
    const cv::Point2d f(pose(0, 0) * t.x + pose(0, 1) * t.y + pose(0, 2), pose(1, 0) * t.x + pose(1, 1) * t.y + pose(1, 2));
    // Only the neighbourhood of the target is smoothed and sampled.
    const int reach = static_cast<int>(std::ceil(std::hypot(templ.cols, templ.rows) / 2)) + 8;
    const cv::Rect near = cv::Rect(cvRound(f.x) - reach, cvRound(f.y) - reach, 2 * reach + 1, 2 * reach + 1)
        & cv::Rect(0, 0, pyramid[size_t(level)].cols, pyramid[size_t(level)].rows);
    if (near.width < templ.cols || near.height < templ.rows)
        return;
    cv::Matx23d warp(pose(0, 0), pose(0, 1), pose(0, 2) - near.x, pose(1, 0), pose(1, 1), pose(1, 2) - near.y);
    // A settling that carries the pose much farther than it may move is given up early: it is
    // drifting to a look-alike or along a repeated edge, and would be refused anyway.
    const RigidAlignment::Reach limits{(MaxSettle + 1) / scale, MaxSettleTurn + 1};
    if (!settling.align(pyramid[size_t(level)](near), warp, searchMode == 4, MaxSettleSteps, scratch->settling, limits))
        return;
    const double angle = std::atan2(warp(1, 0), warp(0, 0)) * 180.0 / Pi;
    const double x = warp(0, 0) * t.x + warp(0, 1) * t.y + warp(0, 2) + near.x;
    const double y = warp(1, 0) * t.x + warp(1, 1) * t.y + warp(1, 2) + near.y;
    // Only a settling of the found pose is taken, never a jump elsewhere.
    const double moveX = x * scale + offset - candidate.x;
    const double moveY = y * scale + offset - candidate.y;
    if (std::abs(moveX) > MaxSettle || std::abs(moveY) > MaxSettle || std::abs(angle - candidate.angle) > MaxSettleTurn
        || std::abs(angle) > angleRange)
        return;
    candidate.sx = moveX;
    candidate.sy = moveY;
    if (searchMode == 4)
        candidate.angle = angle;
}

double PositioningModel::correlate(const std::vector<cv::Mat> &pyramid, const Candidate &candidate) const
{
    // The frame laid back onto the template at the pose; pixels that come from outside the
    // frame take no part, and at least MinVisibleShare of the target must be seen.
    const int level = checkLevel();
    const cv::Mat &templ = edgeModel.images[size_t(level)];
    const cv::Mat &mask = edgeModel.masks[size_t(level)];
    const cv::Mat &frame = pyramid[size_t(level)];
    const cv::Mat pose(levelPose(level, candidate));
    cv::Mat back;
    cv::Mat seen;
    cv::warpAffine(frame, back, pose, templ.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT);
    cv::warpAffine(cv::Mat(frame.size(), CV_8UC1, cv::Scalar(255)), seen, pose, templ.size(),
                   cv::INTER_NEAREST | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT, cv::Scalar(0));
    const int wanted = cv::countNonZero(mask);
    cv::bitwise_and(seen, mask, seen);
    const int visible = cv::countNonZero(seen);
    if (wanted == 0 || visible < MinVisibleShare * wanted)
        return 0;
    std::vector<uchar> &target = scratch->target;
    std::vector<uchar> &there = scratch->there;
    target.clear();
    there.clear();
    for (int y = 0; y < templ.rows; ++y) {
        const uchar *t = templ.ptr<uchar>(y);
        const uchar *f = back.ptr<uchar>(y);
        const uchar *m = seen.ptr<uchar>(y);
        for (int x = 0; x < templ.cols; ++x) {
            if (m[x]) {
                target.push_back(t[x]);
                there.push_back(f[x]);
            }
        }
    }
    // A target without edges is never found, so "both flat" (1) cannot pass as agreement here.
    return pearsonCorrelation(target, there);
}

int PositioningModel::sweepLevel() const
{
    int level = 0;
    while (level + 1 < edgeModel.levels
           && std::min(edgeModel.widths[size_t(level + 1)], edgeModel.heights[size_t(level + 1)]) >= SweepSide)
        ++level;
    return level;
}

void PositioningModel::sweep(const std::vector<cv::Mat> &pyramid, const Candidate &pose, double agreement,
                             std::vector<Candidate> &found) const
{
    const int level = sweepLevel();
    const size_t k = static_cast<size_t>(level);
    const cv::Mat &templ = edgeModel.images[k];
    const cv::Mat &frame = pyramid[k];
    if (frame.cols < templ.cols || frame.rows < templ.rows)
        return;
    Scratch &s = *scratch;
    // Every look-alike lies turned like the found target (the camera turns the whole mould):
    // the frame is turned back about its centre so that they stand upright like the template.
    const double rad = pose.angle * Pi / 180.0;
    const double c = std::cos(rad);
    const double sn = std::sin(rad);
    const cv::Point2d pivot((frame.cols - 1) / 2.0, (frame.rows - 1) / 2.0);
    const cv::Mat *upright = &frame;
    if (pose.angle != 0) {
        const cv::Matx23d turn(c, -sn, pivot.x - (c * pivot.x - sn * pivot.y), sn, c,
                               pivot.y - (sn * pivot.x + c * pivot.y));
        cv::warpAffine(frame, s.upright, cv::Mat(turn), frame.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                       cv::BORDER_REPLICATE);
        upright = &s.upright;
    }
    const cv::Mat &mask = edgeModel.masks[k];
    if (cv::countNonZero(mask == 255) == int(mask.total())) {
        cv::matchTemplate(*upright, templ, s.agreement, cv::TM_CCOEFF_NORMED);
    } else {
        cv::threshold(mask, s.sweepMask, 127, 255, cv::THRESH_BINARY);
        cv::matchTemplate(*upright, templ, s.agreement, cv::TM_CCOEFF_NORMED, s.sweepMask);
        cv::patchNaNs(s.agreement, -1);
    }
    const cv::Mat &map = s.agreement;

    // Where the found pose lies on the map: the template's reference pixel on this level.
    const double scale = double(1 << level);
    const double offset = (scale - 1) / 2;
    const cv::Point2d t((edgeModel.widths[0] / 2 - offset) / scale, (edgeModel.heights[0] / 2 - offset) / scale);
    const cv::Point2d p((pose.x + pose.sx - offset) / scale - pivot.x, (pose.y + pose.sy - offset) / scale - pivot.y);
    const cv::Point here(cvRound(pivot.x + c * p.x + sn * p.y - t.x), cvRound(pivot.y - sn * p.x + c * p.y - t.y));
    // Its agreement there; a target partly outside the frame has none on the map, and its own
    // full-resolution agreement stands in.
    double own = agreement;
    const cv::Rect near = cv::Rect(here.x - 2, here.y - 2, 5, 5) & cv::Rect(0, 0, map.cols, map.rows);
    if (near.area() == 25) {
        double most = 0;
        cv::minMaxLoc(map(near), nullptr, &most);
        own = most;
    }
    const double threshold = own - SweepMargin;

    // Local maxima apart from the found place, best first, at least a quarter of the target apart.
    const int apart = std::max(2, std::min(templ.cols, templ.rows) / 4);
    cv::dilate(map, s.peaks, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2 * apart + 1, 2 * apart + 1)));
    std::vector<std::pair<float, cv::Point>> places;
    for (int y = 0; y < map.rows; ++y) {
        const float *value = map.ptr<float>(y);
        const float *top = s.peaks.ptr<float>(y);
        for (int x = 0; x < map.cols; ++x) {
            if (value[x] >= threshold && value[x] >= top[x] && (std::abs(x - here.x) > apart || std::abs(y - here.y) > apart))
                places.emplace_back(value[x], cv::Point(x, y));
        }
    }
    std::stable_sort(places.begin(), places.end(), [](const auto &l, const auto &r) { return l.first > r.first; });
    std::vector<cv::Point> taken;
    for (const auto &[value, at] : places) {
        if (static_cast<int>(taken.size()) >= SweepRivals)
            break;
        const bool close = std::any_of(taken.begin(), taken.end(), [&](const cv::Point &o) {
            return std::abs(o.x - at.x) <= apart && std::abs(o.y - at.y) <= apart;
        });
        if (close)
            continue;
        taken.push_back(at);
        // Back from the upright map to the level's own coordinates.
        const cv::Point2d q(at.x + t.x - pivot.x, at.y + t.y - pivot.y);
        Candidate rival;
        rival.x = cvRound(pivot.x + c * q.x - sn * q.y);
        rival.y = cvRound(pivot.y + sn * q.x + c * q.y);
        rival.angle = pose.angle;
        rival.score = value;
        rival.coarse = value;
        found.push_back(rival);
    }
}

bool PositioningModel::find(const cv::Mat &image, int &dx, int &dy, double &angle) const
{
    score = 0;
    if (!ready || image.empty() || image.type() != CV_8UC1)
        return false;
    Candidate found;
    correlation = 0;
    rivals = false;
    double bestScore = 0;
    bool accepted = false;
    const bool searched = runGuarded("Positioning search", [&] {
        const int start = searchLevel(image.size());
        std::vector<cv::Mat> &pyramid = scratch->pyramid;
        pyramid.resize(static_cast<size_t>(std::max({start, checkLevel(), sweepLevel()}) + 1));
        pyramid[0] = image;
        for (size_t k = 1; k < pyramid.size(); ++k)
            halve(pyramid[k - 1], pyramid[k]);

        std::vector<Candidate> candidates;
        coarseSearch(pyramid[static_cast<size_t>(start)], start, candidates);
        for (int level = start - 1; level >= 1 && !candidates.empty(); --level) {
            const double previousStep = angleStep(level + 1);
            double best = 0;
            std::vector<Candidate> next;
            for (Candidate c : candidates) {
                if (!refine(pyramid[static_cast<size_t>(level)], level, previousStep, c))
                    continue;
                const bool same = std::any_of(next.begin(), next.end(), [&](const Candidate &o) {
                    return o.x == c.x && o.y == c.y && o.angle == c.angle;
                });
                if (!same)
                    next.push_back(c);
                best = std::max(best, c.score);
            }
            next.erase(std::remove_if(next.begin(), next.end(), [&](const Candidate &c) { return c.score < 0.6 * best; }),
                       next.end());
            candidates.swap(next);
        }
        // Every candidate still standing is settled on full resolution and its grey values are
        // laid over the target's. The best agreement is the pose, but only when it agrees well
        // enough and no other place agrees nearly as well: a target that also fits elsewhere
        // (a cavity's corner among look-alike cavities, a faint target on a faint frame) cannot
        // tell where it lies, and a wrong pose must never be reported.
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const Candidate &l, const Candidate &r) { return l.score > r.score; });
        std::vector<std::pair<Candidate, double>> settled;
        // Places that refined to the very same pose settle and agree the same way: each pose is
        // settled and laid over the target once (the found pose, then the settled one).
        std::vector<std::pair<Candidate, std::pair<Candidate, double>>> done;
        auto samePose = [](const Candidate &l, const Candidate &r) {
            auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
            return l.x == r.x && l.y == r.y && same(l.angle, r.angle) && same(l.sx, r.sx) && same(l.sy, r.sy);
        };
        // Follows a place from the level above `from` down to full resolution and lays it over
        // the target.
        auto settle = [&](Candidate c, int from) {
            for (int level = from - 1; level >= 0; --level)
                if (!refine(pyramid[static_cast<size_t>(level)], level, angleStep(level + 1), c))
                    return;
            if (c.score < MinScore)
                return;
            const auto seen = std::find_if(done.begin(), done.end(), [&](const auto &d) { return samePose(d.first, c); });
            if (seen != done.end()) {
                c.angle = seen->second.first.angle;
                c.sx = seen->second.first.sx;
                c.sy = seen->second.first.sy;
                settled.emplace_back(c, seen->second.second);
                return;
            }
            const Candidate found = c;
            // Large targets are placed to a pixel by their many points; small ones, and turned
            // ones, are settled on their grey values.
            if (searchMode == 4 || checkLevel() == 0)
                polish(pyramid, c);
            settled.emplace_back(c, correlate(pyramid, c));
            done.emplace_back(found, settled.back());
        };
        for (const Candidate &c : candidates) {
            settle(c, start > 0 ? 1 : 0);
            if (!settled.empty())
                bestScore = std::max(bestScore, settled.back().first.score);
        }
        auto agreesBest = [](const auto &l, const auto &r) { return l.second < r.second; };
        auto best = std::max_element(settled.begin(), settled.end(), agreesBest);
        // A search that started on the sweep's level or finer has already compared every place
        // at that resolution; one that started deeper, where the target is a few pixels, has not.
        if (best != settled.end() && best->second >= MinCorrelation && start > sweepLevel()) {
            std::vector<Candidate> lookalikes;
            sweep(pyramid, best->first, best->second, lookalikes);
            for (const Candidate &c : lookalikes)
                settle(c, sweepLevel());
            best = std::max_element(settled.begin(), settled.end(), agreesBest);
        }
        pyramid[0].release();   // the caller's image, not ours to keep
        if (best == settled.end())
            return;
        correlation = best->second;
        const Candidate &pose = best->first;
        const bool rivalled = std::any_of(settled.begin(), settled.end(), [&](const auto &other) {
            const double apart = std::hypot(other.first.x + other.first.sx - pose.x - pose.sx,
                                            other.first.y + other.first.sy - pose.y - pose.sy);
            return apart > MaxRivalDistance && other.second > best->second - MinCorrelationMargin;
        });
        if (best->second >= MinCorrelation && !rivalled) {
            found = pose;
            accepted = true;
        } else if (rivalled) {
            rivals = true;
        }
    });
    if (!searched)
        return false;
    score = accepted ? found.score : bestScore;
    if (!accepted)
        return false;
    // The nearest whole pixel: the frame is moved by whole pixels.
    dx = static_cast<int>(std::lround(anchorX - (found.x + found.sx)));
    dy = static_cast<int>(std::lround(anchorY - (found.y + found.sy)));
    angle = searchMode == 4 ? found.angle : 0.0;
    return true;
}
