#include "inspection/SimilarityMatcher.h"

#include "inspection/OpenCvGuard.h"

#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace {

// n * sum of squares can pass 64 bits for a large region; 128 bits hold any image.
__extension__ typedef __int128 Wide;

bool fitsRegion(const cv::Mat &image, const cv::Mat &regionMask)
{
    return image.type() == CV_8UC1 && image.size() == regionMask.size();
}

// Pearson correlation of the first n values of x and y, clamped to [-1, 1]; 1 when both are
// flat, 0 when only one is or there are no values.
double correlation(const std::vector<uchar> &x, const std::vector<uchar> &y)
{
    const size_t n = std::min(x.size(), y.size());
    if (n == 0)
        return 0;
    qint64 sx = 0;
    qint64 sy = 0;
    qint64 sxx = 0;
    qint64 syy = 0;
    qint64 sxy = 0;
    for (size_t i = 0; i < n; ++i) {
        const qint64 a = x[i];
        const qint64 b = y[i];
        sx += a;
        sy += b;
        sxx += a * a;
        syy += b * b;
        sxy += a * b;
    }
    const Wide count = static_cast<Wide>(n);
    // n times the centred sums; exact, and never negative for the two squares.
    const Wide cxx = count * sxx - static_cast<Wide>(sx) * sx;
    const Wide cyy = count * syy - static_cast<Wide>(sy) * sy;
    const Wide cxy = count * sxy - static_cast<Wide>(sx) * sy;
    if (cxx == 0 && cyy == 0)
        return 1;
    if (cxx == 0 || cyy == 0)
        return 0;
    const double r = static_cast<double>(cxy)
        / (std::sqrt(static_cast<double>(cxx)) * std::sqrt(static_cast<double>(cyy)));
    return std::clamp(r, -1.0, 1.0);
}

} // namespace

void SimilarityMatcher::clear()
{
    templateVectors.clear();
}

void SimilarityMatcher::setImage(int width, int height, const cv::Mat &mask)
{
    if (width <= 0 || height <= 0) {
        qWarning("Similarity matcher: region of %d x %d pixels cannot be used", width, height);
        regionMask.release();
        return;
    }
    const bool fits = mask.type() == CV_8UC1 && mask.rows == height && mask.cols == width;
    const bool made = runGuarded("Similarity matcher set-up", [&] {
        regionMask = fits ? mask.clone() : cv::Mat::zeros(height, width, CV_8U);
    });
    if (!made)
        regionMask.release();
    else if (!fits)
        qWarning("Similarity matcher: region mask does not fit the %d x %d region; no pixel is used", width, height);
}

void SimilarityMatcher::addTemplate(const cv::Mat &crop)
{
    runGuarded("Similarity template", [&] { templates.push_back(crop.clone()); });
}

void SimilarityMatcher::train()
{
    for (const cv::Mat &crop : templates) {
        if (regionMask.empty() || !fitsRegion(crop, regionMask)) {
            qWarning("Similarity matcher: a template crop that does not fit the region is skipped");
            continue;
        }
        templateVectors.push_back(validPixels(crop));
    }
    templates.clear();
}

std::vector<uchar> SimilarityMatcher::validPixels(const cv::Mat &image) const
{
    std::vector<uchar> values;
    values.reserve(image.total());
    for (int y = 0; y < image.rows; ++y) {
        const uchar *v = image.ptr<uchar>(y);
        const uchar *m = regionMask.ptr<uchar>(y);
        for (int x = 0; x < image.cols; ++x) {
            if (m[x])
                values.push_back(v[x]);
        }
    }
    return values;
}

float SimilarityMatcher::score(const cv::Mat &image, cv::Mat &diff) const
{
    runGuarded("Similarity result mask", [&] {
        if (!diff.empty())
            diff.setTo(0);
        else if (!regionMask.empty())
            diff = cv::Mat::zeros(regionMask.size(), CV_8UC1);
    });
    if (templateVectors.empty() || regionMask.empty())
        return 0;
    if (!fitsRegion(image, regionMask)) {
        qWarning("Similarity matcher: the frame crop does not fit the region; it scores 0");
        return 0;
    }
    const std::vector<uchar> x = validPixels(image);
    double best = 0;
    for (const std::vector<uchar> &y : templateVectors)
        best = std::max(best, correlation(x, y));
    return static_cast<float>(best * 100);
}
