#ifndef BENCH_INSPECTION_PYRAMIDMATCH_H
#define BENCH_INSPECTION_PYRAMIDMATCH_H

// The plain reference of the positioning benchmarks: cv::matchTemplate (normalised correlation)
// over the whole search image on the coarsest pyramid level, for every angle step when turning,
// then a window of +-2 pixels and +-2 angle steps on every finer level.

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace bench {

struct PyramidMatch
{
    cv::Point2d centre;   // of the template, in the search image
    double angle = 0;     // degrees, as cv::getRotationMatrix2D
    double score = -1;
};

inline cv::Mat turned(const cv::Mat &templ, double angle)
{
    if (angle == 0)
        return templ;
    const cv::Point2f centre((templ.cols - 1) / 2.0f, (templ.rows - 1) / 2.0f);
    cv::Mat out;
    cv::warpAffine(templ, out, cv::getRotationMatrix2D(centre, angle, 1.0), templ.size(), cv::INTER_LINEAR,
                   cv::BORDER_REPLICATE);
    return out;
}

// Best top-left corner of templ in search (whole image, or the window around near).
inline void bestIn(const cv::Mat &search, const cv::Mat &templ, cv::Rect window, double angle, PyramidMatch &best,
                   cv::Point &corner)
{
    window &= cv::Rect(0, 0, search.cols, search.rows);
    if (window.width < templ.cols || window.height < templ.rows)
        return;
    cv::Mat result;
    cv::matchTemplate(search(window), turned(templ, angle), result, cv::TM_CCOEFF_NORMED);
    double high = 0;
    cv::Point at;
    cv::minMaxLoc(result, nullptr, &high, nullptr, &at);
    if (high > best.score) {
        best.score = high;
        best.angle = angle;
        corner = at + window.tl();
    }
}

inline PyramidMatch matchPyramid(const cv::Mat &search, const cv::Mat &templ, int angleRange)
{
    const int smaller = std::min(templ.rows, templ.cols);
    const int levels = std::max(1, 1 + int(std::floor(std::log2(smaller / 10.0))));
    std::vector<cv::Mat> s(static_cast<size_t>(levels));
    std::vector<cv::Mat> t(static_cast<size_t>(levels));
    s[0] = search;
    t[0] = templ;
    for (size_t k = 1; k < s.size(); ++k) {
        cv::pyrDown(s[k - 1], s[k]);
        cv::pyrDown(t[k - 1], t[k]);
    }
    const size_t coarse = s.size() - 1;
    // One angle step moves the template's corner by about a pixel.
    double step = angleRange > 0 ? std::atan(2.0 / std::hypot(t[coarse].cols, t[coarse].rows)) * 180 / CV_PI : 0;
    PyramidMatch best;
    cv::Point corner;
    if (angleRange > 0) {
        for (double a = -angleRange; a <= angleRange; a += step)
            bestIn(s[coarse], t[coarse], cv::Rect(0, 0, s[coarse].cols, s[coarse].rows), a, best, corner);
    } else {
        bestIn(s[coarse], t[coarse], cv::Rect(0, 0, s[coarse].cols, s[coarse].rows), 0, best, corner);
    }
    for (int k = int(coarse) - 1; k >= 0; --k) {
        const cv::Mat &level = s[size_t(k)];
        const cv::Mat &part = t[size_t(k)];
        const cv::Rect window(corner.x * 2 - 2, corner.y * 2 - 2, part.cols + 4, part.rows + 4);
        const double around = best.angle;
        best.score = -1;
        if (angleRange > 0) {
            step /= 2;
            for (int i = -2; i <= 2; ++i)
                bestIn(level, part, window, around + i * step, best, corner);
        } else {
            bestIn(level, part, window, 0, best, corner);
        }
    }
    best.centre = cv::Point2d(corner.x + templ.cols / 2, corner.y + templ.rows / 2);
    return best;
}

} // namespace bench

#endif
