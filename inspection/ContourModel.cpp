#include "inspection/ContourModel.h"

#include "inspection/OpenCvGuard.h"

#include <QtDebug>

#include <opencv2/imgproc.hpp>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>

namespace {

// A band limit: the double sum truncated toward zero and kept within 8 bits.
uchar bandLimit(double v)
{
    if (v <= 0)
        return 0;
    if (v >= 255)
        return 255;
    return static_cast<uchar>(static_cast<int>(v));
}

bool fitsRegion(const cv::Mat &image, const cv::Mat &regionMask)
{
    return !regionMask.empty() && image.type() == CV_8UC1 && image.size() == regionMask.size();
}

// One row of the band comparison. Sixteen pixels at a time where SSE2 is there: a pixel lies
// outside when low - value or value - high, saturated at 0, is not 0.
void bandRow(uchar *__restrict out, const uchar *__restrict image, const uchar *__restrict low,
             const uchar *__restrict high, const uchar *__restrict mask, int width)
{
    int x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; x + 16 <= width; x += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(image + x));
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(low + x));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i *>(high + x));
        const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i *>(mask + x));
        const __m128i beyond = _mm_or_si128(_mm_subs_epu8(lo, v), _mm_subs_epu8(v, hi));
        // 255 where beyond is not 0 and the mask is set.
        const __m128i inside = _mm_or_si128(_mm_cmpeq_epi8(beyond, zero), _mm_cmpeq_epi8(m, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x), _mm_andnot_si128(inside, _mm_set1_epi8(-1)));
    }
#endif
    for (; x < width; ++x) {
        const uchar v = image[x];
        const bool outside = (v < low[x]) | (v > high[x]);
        out[x] = (mask[x] != 0) & outside ? 255 : 0;
    }
}

// Pixels of a row outside their band [low, high]. Sixteen at a time where SSE2 is there: a
// pixel lies outside when low - value or value - high, saturated at 0, is not 0, and the sum of
// absolute differences adds up the flags without widening every byte.
int outsideCount(const uchar *__restrict image, const uchar *__restrict low, const uchar *__restrict high, int width)
{
    int count = 0;
    int x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    __m128i sums = zero;
    for (; x + 16 <= width; x += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(image + x));
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(low + x));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i *>(high + x));
        const __m128i beyond = _mm_or_si128(_mm_subs_epu8(lo, v), _mm_subs_epu8(v, hi));
        const __m128i outside = _mm_andnot_si128(_mm_cmpeq_epi8(beyond, zero), one);
        sums = _mm_add_epi64(sums, _mm_sad_epu8(outside, zero));
    }
    count = _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums));
#endif
    for (; x < width; ++x)
        count += (image[x] < low[x]) | (image[x] > high[x]);
    return count;
}

void outsideMarks(uchar *__restrict out, const uchar *__restrict image, const uchar *__restrict low,
                  const uchar *__restrict high, int width)
{
    for (int x = 0; x < width; ++x)
        out[x] = (image[x] < low[x]) | (image[x] > high[x]) ? 255 : 0;
}

} // namespace

void ContourModel::init(int width, int height, const cv::Mat &mask, int newMode)
{
    mode = newMode;
    samples.clear();
    sampleDiffs.clear();
    if (width <= 0 || height <= 0) {
        qWarning("Contour model: region of %d x %d pixels cannot be learned", width, height);
        sum.release();
        mean.release();
        spread.release();
        upper.release();
        lower.release();
        regionMask.release();
        return;
    }
    const bool made = runGuarded("Contour model set-up", [&] {
        sum = cv::Mat::zeros(height, width, CV_32F);
        mean = cv::Mat::zeros(height, width, CV_32F);
        spread = cv::Mat::zeros(height, width, CV_32F);
        upper = cv::Mat::zeros(height, width, CV_8U);
        lower = cv::Mat::zeros(height, width, CV_8U);
        regionMask = cv::Mat::zeros(height, width, CV_8U);
    });
    if (!made) {
        regionMask.release(); // no sample fits, so the model never becomes ready
        return;
    }
    if (mask.type() == CV_8UC1 && mask.rows == height && mask.cols == width)
        mask.copyTo(regionMask);
    else
        qWarning("Contour model: region mask does not fit the %d x %d region; no pixel is evaluated", width, height);
}

void ContourModel::addSample(const cv::Mat &crop)
{
    if (!fitsRegion(crop, regionMask)) {
        qWarning("Contour model: a template crop that does not fit the region is skipped");
        return;
    }
    runGuarded("Contour model sample", [&] {
        cv::Mat copy = crop.clone();
        cv::add(sum, copy, sum, cv::noArray(), CV_32F);
        samples.push_back(copy);
    });
}

void ContourModel::learn(int sensitivity, int amplify, int low, int high)
{
    cannyLow = low;
    cannyHigh = high;
    if (samples.empty())
        return;
    if (amplify == BestSampleAmplify) {
        mode = BestSampleMode;
        tolerance = sensitivity;
        ready = runGuarded("Contour model learning", [&] { learnBestSample(); });
        return;
    }
    mode = BandMode;
    ready = runGuarded("Contour model learning", [&] { learnBand(sensitivity, amplify); });
    samples.clear();
}

void ContourModel::learnBand(int sensitivity, int amplify)
{
    const int n = static_cast<int>(samples.size());
    cv::Mat darkest;
    cv::Mat brightest;
    if (n == 1) {
        // One template: pixels on and near its edges accept any value.
        cv::Mat edges;
        cv::Canny(samples.front(), edges, cannyLow, cannyHigh, 3, false);
        // Larger than the region serves no purpose and would only cost memory.
        const int side = std::min(std::max(amplify, 1), 2 * std::max(edges.rows, edges.cols) + 1);
        const cv::Mat kernel = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(side, side));
        cv::dilate(edges, edges, kernel, cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::morphologyDefaultBorderValue());
        edges.convertTo(spread, CV_32F);
        sum.copyTo(mean);
    } else {
        mean = sum / n;
        cv::Mat squares = cv::Mat::zeros(mean.size(), CV_32F);
        cv::Mat asFloat;
        cv::Mat deviation;
        for (const cv::Mat &sample : samples) {
            sample.convertTo(asFloat, CV_32F);
            cv::subtract(mean, asFloat, deviation);
            cv::accumulateSquare(deviation, squares);
        }
        cv::sqrt(squares / n, spread);
        darkest = samples.front().clone();
        brightest = samples.front().clone();
        for (const cv::Mat &sample : samples) {
            cv::min(darkest, sample, darkest);
            cv::max(brightest, sample, brightest);
        }
    }

    const bool fromExtremes = amplify == 0 && n >= 2;
    const float k = amplify >= 1 ? static_cast<float>(amplify) : 2.0f;
    for (int y = 0; y < regionMask.rows; ++y) {
        const uchar *m = regionMask.ptr<uchar>(y);
        const float *mu = mean.ptr<float>(y);
        const float *sd = spread.ptr<float>(y);
        uchar *hi = upper.ptr<uchar>(y);
        uchar *lo = lower.ptr<uchar>(y);
        const uchar *dark = fromExtremes ? darkest.ptr<uchar>(y) : nullptr;
        const uchar *bright = fromExtremes ? brightest.ptr<uchar>(y) : nullptr;
        for (int x = 0; x < regionMask.cols; ++x) {
            if (!m[x]) {
                hi[x] = 0;
                lo[x] = 0;
            } else if (fromExtremes) {
                hi[x] = bandLimit(static_cast<double>(bright[x]) + sensitivity);
                lo[x] = bandLimit(static_cast<double>(dark[x]) - sensitivity);
            } else {
                const double t = std::max(static_cast<double>(k * sd[x]), static_cast<double>(sensitivity));
                hi[x] = bandLimit(std::min(static_cast<double>(mu[x]) + t, 255.0));
                lo[x] = bandLimit(std::max(static_cast<double>(mu[x]) - t, 0.0));
            }
        }
    }
}

void ContourModel::learnBestSample()
{
    sampleDiffs.assign(samples.size(), cv::Mat());
    sampleLow.assign(samples.size(), cv::Mat());
    sampleHigh.assign(samples.size(), cv::Mat());
    lastBest = 0;
    for (size_t s = 0; s < samples.size(); ++s) {
        sampleDiffs[s].create(samples.front().size(), CV_8U);
        cv::Mat &low = sampleLow[s];
        cv::Mat &high = sampleHigh[s];
        low.create(samples[s].size(), CV_8U);
        high.create(samples[s].size(), CV_8U);
        for (int y = 0; y < low.rows; ++y) {
            const uchar *t = samples[s].ptr<uchar>(y);
            const uchar *m = regionMask.ptr<uchar>(y);
            uchar *lo = low.ptr<uchar>(y);
            uchar *hi = high.ptr<uchar>(y);
            for (int x = 0; x < low.cols; ++x) {
                if (!m[x]) {
                    lo[x] = 0;
                    hi[x] = 255;
                } else if (tolerance < 0) {
                    // The band is empty: every value lies outside it.
                    lo[x] = 255;
                    hi[x] = 0;
                } else {
                    lo[x] = bandLimit(double(t[x]) - double(tolerance));
                    hi[x] = bandLimit(double(t[x]) + double(tolerance));
                }
            }
        }
    }
}

void ContourModel::reset()
{
    ready = false;
    if (mode == BestSampleMode) {
        samples.clear();
        sampleDiffs.clear();
        sampleLow.clear();
        sampleHigh.clear();
    }
}

void ContourModel::compare(const cv::Mat &image, cv::Mat &diff)
{
    if (!ready)
        return;
    if (!fitsRegion(image, regionMask)) {
        qWarning("Contour model: the frame crop does not fit the region; nothing is compared");
        return;
    }
    runGuarded("Contour model comparison", [&] {
        if (diff.size() != regionMask.size() || diff.type() != CV_8UC1)
            diff = cv::Mat::zeros(regionMask.size(), CV_8UC1);
        if (mode == BestSampleMode)
            compareBestSample(image, diff);
        else
            compareBand(image, diff);
    });
}

void ContourModel::compareBand(const cv::Mat &image, cv::Mat &diff) const
{
    for (int y = 0; y < image.rows; ++y)
        bandRow(diff.ptr<uchar>(y), image.ptr<uchar>(y), lower.ptr<uchar>(y), upper.ptr<uchar>(y),
                regionMask.ptr<uchar>(y), image.cols);
}

void ContourModel::compareBestSample(const cv::Mat &image, cv::Mat &diff)
{
    // Only the counts decide, so each sample is counted without writing its mask, and stops as
    // soon as it can no longer win; the winner's mask is written once at the end. The sample
    // that won last time goes first: frames of one mould mostly stay closest to one template.
    const size_t n = std::min(samples.size(), std::min(sampleLow.size(), sampleHigh.size()));
    if (n == 0 || sampleDiffs.size() < n)
        return;
    long long fewest = 99999999;
    size_t best = n;
    const size_t first = lastBest < n ? lastBest : 0;
    for (size_t k = 0; k < n; ++k) {
        const size_t s = k == 0 ? first : (k <= first ? k - 1 : k);
        // A later sample must have fewer differing pixels to win, an earlier one may tie.
        const long long bound = s < best ? fewest : fewest - 1;
        long long count = 0;
        for (int y = 0; y < image.rows && count <= bound; ++y)
            count += outsideCount(image.ptr<uchar>(y), sampleLow[s].ptr<uchar>(y), sampleHigh[s].ptr<uchar>(y),
                                  image.cols);
        if (count <= bound) {
            fewest = count;
            best = s;
        }
    }
    if (best == n)
        return;
    lastBest = best;
    cv::Mat &marks = sampleDiffs[best];
    for (int y = 0; y < image.rows; ++y)
        outsideMarks(marks.ptr<uchar>(y), image.ptr<uchar>(y), sampleLow[best].ptr<uchar>(y),
                     sampleHigh[best].ptr<uchar>(y), image.cols);
    marks.copyTo(diff);
}
