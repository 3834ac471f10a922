#include "inspection/SimilarityMatcher.h"

#include "inspection/OpenCvGuard.h"
#include "inspection/PearsonCorrelation.h"

#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace {

bool fitsRegion(const cv::Mat &image, const cv::Mat &regionMask)
{
    return image.type() == CV_8UC1 && image.size() == regionMask.size();
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
        best = std::max(best, pearsonCorrelation(x, y));
    return static_cast<float>(best * 100);
}
