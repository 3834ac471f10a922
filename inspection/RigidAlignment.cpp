#include "inspection/RigidAlignment.h"

#include "inspection/VectorPaths.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>
#include <cmath>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

constexpr double Pi = 3.14159265358979323846;

// Smoothed 32-bit float copy of an 8-bit grey image; the smoothing keeps one pixel's noise
// from pulling the pose.
void smoothed(const cv::Mat &grey, cv::Mat &out)
{
    grey.convertTo(out, CV_32F);
    cv::GaussianBlur(out, out, cv::Size(3, 3), 0, 0);
}

// The frame (float, CV_32F) beneath the pixels x = 0 .. w - 1 of template row y at pose at,
// bilinear, for pixels that lie inside the frame; pixel by pixel as align computes them.
// Returns how many pixels from the first were written.
using SampleRow = int (*)(const cv::Mat &frame, const cv::Matx23d &at, int y, int w, float *out);

#if defined(__x86_64__) && defined(__GNUC__)
// Eight pixels at a time with the same operations in the same order: the same values to the bit.
// AVX-512 has fused multiply-adds, which round once where align rounds twice; they stay unused.
#pragma GCC push_options
#pragma GCC optimize("fp-contract=off")

// The places of eight pixels from x on: whole parts and fractions.
struct EightPlaces
{
    __m256i u;
    __m256i v;
    __m256 fu;
    __m256 fv;
};

struct RowPlaces
{
    __m256d stepU, stepV, rowU, rowV, shiftU, shiftV;
};

__attribute__((target("avx2"), always_inline)) inline RowPlaces rowPlaces(const cv::Matx23d &at, int y)
{
    return RowPlaces{_mm256_set1_pd(at(0, 0)), _mm256_set1_pd(at(1, 0)), _mm256_set1_pd(at(0, 1) * y),
                     _mm256_set1_pd(at(1, 1) * y), _mm256_set1_pd(at(0, 2)), _mm256_set1_pd(at(1, 2))};
}

__attribute__((target("avx2"), always_inline)) inline EightPlaces placesOf(const RowPlaces &row, int x)
{
    const __m256d first = _mm256_add_pd(_mm256_set1_pd(x), _mm256_setr_pd(0.0, 1.0, 2.0, 3.0));
    const __m256d second = _mm256_add_pd(first, _mm256_set1_pd(4.0));
    const __m256d u0 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(row.stepU, first), row.rowU), row.shiftU);
    const __m256d u1 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(row.stepU, second), row.rowU), row.shiftU);
    const __m256d v0 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(row.stepV, first), row.rowV), row.shiftV);
    const __m256d v1 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(row.stepV, second), row.rowV), row.shiftV);
    const __m128i wholeU0 = _mm256_cvttpd_epi32(u0);
    const __m128i wholeU1 = _mm256_cvttpd_epi32(u1);
    const __m128i wholeV0 = _mm256_cvttpd_epi32(v0);
    const __m128i wholeV1 = _mm256_cvttpd_epi32(v1);
    return EightPlaces{_mm256_set_m128i(wholeU1, wholeU0), _mm256_set_m128i(wholeV1, wholeV0),
                       _mm256_set_m128(_mm256_cvtpd_ps(_mm256_sub_pd(u1, _mm256_cvtepi32_pd(wholeU1))),
                                       _mm256_cvtpd_ps(_mm256_sub_pd(u0, _mm256_cvtepi32_pd(wholeU0)))),
                       _mm256_set_m128(_mm256_cvtpd_ps(_mm256_sub_pd(v1, _mm256_cvtepi32_pd(wholeV1))),
                                       _mm256_cvtpd_ps(_mm256_sub_pd(v0, _mm256_cvtepi32_pd(wholeV0))))};
}

// The four neighbours of eight places gathered one by one.
__attribute__((target("avx2"), always_inline)) inline void gathered(const float *base, int stride, const EightPlaces &p,
                                                                    __m256 &a0, __m256 &a1, __m256 &b0, __m256 &b1)
{
    const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(p.v, _mm256_set1_epi32(stride)), p.u);
    a0 = _mm256_i32gather_ps(base, at, 4);
    a1 = _mm256_i32gather_ps(base + 1, at, 4);
    b0 = _mm256_i32gather_ps(base + stride, at, 4);
    b1 = _mm256_i32gather_ps(base + stride + 1, at, 4);
}

__attribute__((target("avx2"), always_inline)) inline __m256 bilinear(const EightPlaces &p, __m256 a0, __m256 a1,
                                                                      __m256 b0, __m256 b1)
{
    const __m256 top = _mm256_add_ps(a0, _mm256_mul_ps(p.fu, _mm256_sub_ps(a1, a0)));
    const __m256 bottom = _mm256_add_ps(b0, _mm256_mul_ps(p.fu, _mm256_sub_ps(b1, b0)));
    return _mm256_add_ps(top, _mm256_mul_ps(p.fv, _mm256_sub_ps(bottom, top)));
}

__attribute__((target("avx2"))) int sampleRowGathered(const cv::Mat &frame, const cv::Matx23d &at, int y, int w,
                                                      float *out)
{
    const float *base = frame.ptr<float>(0);
    const int stride = int(frame.step1());
    const RowPlaces row = rowPlaces(at, y);
    int x = 0;
    for (; x + 8 <= w; x += 8) {
        const EightPlaces p = placesOf(row, x);
        __m256 a0, a1, b0, b1;
        gathered(base, stride, p, a0, a1, b0, b1);
        _mm256_storeu_ps(out + x, bilinear(p, a0, a1, b0, b1));
    }
    return x;
}

// A small turn puts eight neighbouring pixels within sixteen columns and two neighbouring rows:
// three rows are loaded once and the neighbours picked by permutations.
__attribute__((target("avx2,avx512f,avx512vl"))) int sampleRowPicked(const cv::Mat &frame, const cv::Matx23d &at, int y,
                                                                   int w, float *out)
{
    const float *base = frame.ptr<float>(0);
    const int stride = int(frame.step1());
    const RowPlaces row = rowPlaces(at, y);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i lastColumn = _mm256_set1_epi32(14);
    int x = 0;
    for (; x + 8 <= w; x += 8) {
        const EightPlaces p = placesOf(row, x);
        // Places along a row move monotonically: the ends hold the smallest column and row.
        const int left = std::min(_mm256_cvtsi256_si32(p.u), _mm256_extract_epi32(p.u, 7));
        const int top = std::min(_mm256_cvtsi256_si32(p.v), _mm256_extract_epi32(p.v, 7));
        const __m256i dx = _mm256_sub_epi32(p.u, _mm256_set1_epi32(left));
        const __m256i dy = _mm256_sub_epi32(p.v, _mm256_set1_epi32(top));
        __m256 a0, a1, b0, b1;
        if (left + 16 <= frame.cols && top + 2 < frame.rows
            && (_mm256_cmpgt_epu32_mask(dx, lastColumn) | _mm256_cmpgt_epu32_mask(dy, one)) == 0) {
            const float *r0 = base + ptrdiff_t(top) * stride + left;
            const float *r1 = r0 + stride;
            const float *r2 = r1 + stride;
            const __m256 r0l = _mm256_loadu_ps(r0), r0h = _mm256_loadu_ps(r0 + 8);
            const __m256 r1l = _mm256_loadu_ps(r1), r1h = _mm256_loadu_ps(r1 + 8);
            const __m256 r2l = _mm256_loadu_ps(r2), r2h = _mm256_loadu_ps(r2 + 8);
            const __mmask8 lower = _mm256_cmpeq_epi32_mask(dy, one);
            const __m256i next = _mm256_add_epi32(dx, one);
            a0 = _mm256_mask_blend_ps(lower, _mm256_permutex2var_ps(r0l, dx, r0h), _mm256_permutex2var_ps(r1l, dx, r1h));
            a1 = _mm256_mask_blend_ps(lower, _mm256_permutex2var_ps(r0l, next, r0h), _mm256_permutex2var_ps(r1l, next, r1h));
            b0 = _mm256_mask_blend_ps(lower, _mm256_permutex2var_ps(r1l, dx, r1h), _mm256_permutex2var_ps(r2l, dx, r2h));
            b1 = _mm256_mask_blend_ps(lower, _mm256_permutex2var_ps(r1l, next, r1h), _mm256_permutex2var_ps(r2l, next, r2h));
        } else {
            gathered(base, stride, p, a0, a1, b0, b1);
        }
        _mm256_storeu_ps(out + x, bilinear(p, a0, a1, b0, b1));
    }
    return x;
}
#pragma GCC pop_options
#endif

int sampleRowNone(const cv::Mat &, const cv::Matx23d &, int, int, float *) { return 0; }

// The wide sampler where the processor has it and the frame's offsets fit its 32-bit indices.
SampleRow wideSampler(const cv::Mat &frame)
{
    if (frame.total() + frame.step1() >= size_t(INT_MAX))
        return sampleRowNone;
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool picked = VectorPaths::allows(VectorPaths::Avx512) && __builtin_cpu_supports("avx512f")
        && __builtin_cpu_supports("avx512vl");
    if (picked)
        return sampleRowPicked;
    static const bool avx2 = VectorPaths::allows(VectorPaths::Avx2) && __builtin_cpu_supports("avx2");
    if (avx2)
        return sampleRowGathered;
#endif
    return sampleRowNone;
}

// The pose after a step: pose composed with the inverse of the step's turn about the
// template's centre and shift.
cv::Matx23d stepped(const cv::Matx23d &pose, double turn, double shiftX, double shiftY, const cv::Point2d &centre)
{
    const double c = std::cos(turn);
    const double s = std::sin(turn);
    // Inverse of x -> R (x - centre) + centre + shift: x -> R^T (x - centre - shift) + centre.
    const double px = centre.x + shiftX;
    const double py = centre.y + shiftY;
    const cv::Matx33d back(c, s, centre.x - (c * px + s * py), -s, c, centre.y - (-s * px + c * py), 0, 0, 1);
    const cv::Matx33d full(pose(0, 0), pose(0, 1), pose(0, 2), pose(1, 0), pose(1, 1), pose(1, 2), 0, 0, 1);
    const cv::Matx33d r = full * back;
    return cv::Matx23d(r(0, 0), r(0, 1), r(0, 2), r(1, 0), r(1, 1), r(1, 2));
}

// Largest distance between where two poses put the corners of a w x h template.
double cornerMove(const cv::Matx23d &a, const cv::Matx23d &b, int w, int h)
{
    double worst = 0;
    for (const cv::Point2d &p : {cv::Point2d(0, 0), cv::Point2d(w - 1, 0), cv::Point2d(0, h - 1), cv::Point2d(w - 1, h - 1)}) {
        const double dx = (a(0, 0) - b(0, 0)) * p.x + (a(0, 1) - b(0, 1)) * p.y + a(0, 2) - b(0, 2);
        const double dy = (a(1, 0) - b(1, 0)) * p.x + (a(1, 1) - b(1, 1)) * p.y + a(1, 2) - b(1, 2);
        worst = std::max(worst, std::hypot(dx, dy));
    }
    return worst;
}

cv::Point2d centreOf(const cv::Matx23d &pose, const cv::Point2d &c)
{
    return cv::Point2d(pose(0, 0) * c.x + pose(0, 1) * c.y + pose(0, 2), pose(1, 0) * c.x + pose(1, 1) * c.y + pose(1, 2));
}

} // namespace

void RigidAlignment::clear()
{
    smooth.release();
    turnDescent.clear();
    shiftXDescent.clear();
    shiftYDescent.clear();
}

void RigidAlignment::setTemplate(const cv::Mat &grey)
{
    clear();
    if (grey.empty() || grey.type() != CV_8UC1 || grey.cols < 3 || grey.rows < 3)
        return;
    smoothed(grey, smooth);
    const int w = smooth.cols;
    const int h = smooth.rows;
    centre = cv::Point2d((w - 1) / 2.0, (h - 1) / 2.0);
    const size_t n = size_t(w) * size_t(h);
    turnDescent.resize(n);
    shiftXDescent.resize(n);
    shiftYDescent.resize(n);
    total = 0;
    totalSquares = 0;
    hessian = cv::Matx33d::zeros();
    descentSum = cv::Vec3d(0, 0, 0);
    descentTemplate = cv::Vec3d(0, 0, 0);
    for (int y = 0; y < h; ++y) {
        const float *row = smooth.ptr<float>(y);
        const float *above = smooth.ptr<float>(std::max(y - 1, 0));
        const float *below = smooth.ptr<float>(std::min(y + 1, h - 1));
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            // Central differences; a border pixel takes the one-sided difference.
            const float gx = (row[std::min(x + 1, w - 1)] - row[std::max(x - 1, 0)]) / float(std::min(x + 1, w - 1) - std::max(x - 1, 0));
            const float gy = (below[x] - above[x]) / float(std::min(y + 1, h - 1) - std::max(y - 1, 0));
            const float d[3] = {float(gy * (x - centre.x) - gx * (y - centre.y)), gx, gy};
            turnDescent[i] = d[0];
            shiftXDescent[i] = d[1];
            shiftYDescent[i] = d[2];
            for (int r = 0; r < 3; ++r) {
                descentSum[r] += d[r];
                descentTemplate[r] += double(d[r]) * row[x];
                for (int c = 0; c < 3; ++c)
                    hessian(r, c) += double(d[r]) * d[c];
            }
            total += row[x];
            totalSquares += double(row[x]) * row[x];
        }
    }
}

bool RigidAlignment::align(const cv::Mat &frame, cv::Matx23d &pose, bool turn, int steps, Work &work, Reach reach) const
{
    if (!ready() || frame.empty() || frame.type() != CV_8UC1 || steps <= 0)
        return false;
    smoothed(frame, work.frame);
    const int w = smooth.cols;
    const int h = smooth.rows;
    const double lastX = work.frame.cols - 1;
    const double lastY = work.frame.rows - 1;
    auto inside = [&](double u, double v) { return u >= 0 && v >= 0 && u < lastX && v < lastY; };
    cv::Matx23d at = pose;
    const SampleRow wide = wideSampler(work.frame);
    for (int step = 0; step < steps; ++step) {
        // The frame beneath every template pixel (bilinear); pixels outside take no part. When
        // the four corners lie inside, every pixel does.
        bool whole = true;
        for (const cv::Point2d &c : {cv::Point2d(0, 0), cv::Point2d(w - 1, 0), cv::Point2d(0, h - 1), cv::Point2d(w - 1, h - 1)})
            whole = whole && inside(at(0, 0) * c.x + at(0, 1) * c.y + at(0, 2), at(1, 0) * c.x + at(1, 1) * c.y + at(1, 2));
        // Row by row, first the frame beneath every pixel, then the sums that the projections of
        // both sides (about their mean) onto the steepest-descent images are made of: the
        // sampling has no long chains, the sums have nothing else, and the processor works on
        // both at once.
        work.values.resize(size_t(w));
        work.seen.resize(size_t(w));
        float *values = work.values.data();
        uchar *seen = work.seen.data();
        const float *base = work.frame.ptr<float>(0);
        const size_t stride = work.frame.step1();
        int count = 0;
        double sumI = 0, sumII = 0, sumT = 0, sumTT = 0, sumIT = 0;
        cv::Vec3d sumD(0, 0, 0), sumDI(0, 0, 0), sumDT(0, 0, 0);
        cv::Matx33d hess = whole ? hessian : cv::Matx33d::zeros();
        double i0 = 0, i1 = 0, i2 = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = whole ? wide(work.frame, at, y, w, values) : 0; x < w; ++x) {
                const double u = at(0, 0) * x + at(0, 1) * y + at(0, 2);
                const double v = at(1, 0) * x + at(1, 1) * y + at(1, 2);
                if (!whole) {
                    seen[x] = inside(u, v);
                    if (!seen[x])
                        continue;
                }
                const int u0 = int(u);
                const int v0 = int(v);
                const float fu = float(u - u0);
                const float fv = float(v - v0);
                const float *a = base + size_t(v0) * stride + size_t(u0);
                const float *b = a + stride;
                const float top = a[0] + fu * (a[1] - a[0]);
                const float bottom = b[0] + fu * (b[1] - b[0]);
                values[x] = top + fv * (bottom - top);
            }
            const float *t = smooth.ptr<float>(y);
            const size_t row = size_t(y) * size_t(w);
            const float *d0 = turnDescent.data() + row;
            const float *d1 = shiftXDescent.data() + row;
            const float *d2 = shiftYDescent.data() + row;
            if (whole) {
                for (int x = 0; x < w; ++x) {
                    const double f = values[x];
                    sumI += f;
                    sumII += f * f;
                    sumIT += f * double(t[x]);
                    i0 += double(d0[x]) * f;
                    i1 += double(d1[x]) * f;
                    i2 += double(d2[x]) * f;
                }
                continue;
            }
            for (int x = 0; x < w; ++x) {
                if (!seen[x])
                    continue;
                const double value = values[x];
                const double own = t[x];
                const double d[3] = {d0[x], d1[x], d2[x]};
                ++count;
                sumI += value;
                sumII += value * value;
                sumIT += value * own;
                for (int r = 0; r < 3; ++r)
                    sumDI[r] += d[r] * value;
                sumT += own;
                sumTT += own * own;
                for (int r = 0; r < 3; ++r) {
                    sumD[r] += d[r];
                    sumDT[r] += d[r] * own;
                    for (int c = 0; c < 3; ++c)
                        hess(r, c) += d[r] * d[c];
                }
            }
        }
        if (whole) {
            count = w * h;
            sumDI = cv::Vec3d(i0, i1, i2);
        }
        if (count < MinSeen)
            return false;
        if (whole) {
            sumT = total;
            sumTT = totalSquares;
            sumD = descentSum;
            sumDT = descentTemplate;
        }
        const double meanI = sumI / count;
        const double meanT = sumT / count;
        const double spreadI = sumII - sumI * meanI;
        const double spreadT = sumTT - sumT * meanT;
        if (!(spreadI > 1e-6 * count) || !(spreadT > 1e-6 * count))
            return false;
        cv::Vec3d frameDescent = sumDI - meanI * sumD;
        cv::Vec3d templateDescent = sumDT - meanT * sumD;
        const double both = sumIT - count * meanI * meanT;
        if (!turn) {
            // The turn takes no part: its row and column decouple.
            for (int k = 1; k < 3; ++k)
                hess(0, k) = hess(k, 0) = 0;
            hess(0, 0) = 1;
            frameDescent[0] = templateDescent[0] = 0;
        }
        // The light: the frame's scale that maximises the correlation after the step, as in
        // the enhanced correlation coefficient; where that is undefined, the contrast ratio.
        cv::Vec3d templateStep;
        cv::Vec3d frameStep;
        if (!cv::solve(hess, templateDescent, templateStep, cv::DECOMP_CHOLESKY)
            || !cv::solve(hess, frameDescent, frameStep, cv::DECOMP_CHOLESKY))
            return false;
        const double numerator = spreadT - templateDescent.dot(templateStep);
        const double denominator = both - frameDescent.dot(templateStep);
        double gain = numerator / denominator;
        if (!(gain > 0) || !std::isfinite(gain))
            gain = std::sqrt(spreadT / spreadI);
        const cv::Vec3d delta = gain * frameStep - templateStep;
        const double dTurn = delta[0];
        const double dX = delta[1];
        const double dY = delta[2];
        if (!std::isfinite(dTurn) || !std::isfinite(dX) || !std::isfinite(dY))
            return false;
        const cv::Matx23d next = stepped(at, dTurn, dX, dY, centre);
        const double moved = cornerMove(at, next, w, h);
        at = next;
        const cv::Point2d from = centreOf(pose, centre);
        const cv::Point2d to = centreOf(at, centre);
        const double turned = std::remainder(std::atan2(at(1, 0), at(0, 0)) - std::atan2(pose(1, 0), pose(0, 0)), 2 * Pi);
        if (std::abs(to.x - from.x) > reach.shift || std::abs(to.y - from.y) > reach.shift
            || std::abs(turned) * 180 / Pi > reach.turn)
            return false;
        if (moved < Converged)
            break;
    }
    pose = at;
    return true;
}
