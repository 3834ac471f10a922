#include "inspection/IntensityRefinement.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

// Pixels beyond the area that the smoothing of the reference reads.
constexpr int Smoothing = 4;

using Matrix3 = cv::Matx33d;

// The warp of the parameters, in normalised coordinates: [[1+p0, p2, p4], [p1, 1+p3, p5], [p6, p7, 1]].
Matrix3 warpOf(const cv::Vec<double, 8> &p)
{
    return Matrix3(1 + p[0], p[2], p[4], p[1], 1 + p[3], p[5], p[6], p[7], 1);
}

cv::Point2d apply(const Matrix3 &m, double x, double y)
{
    const double z = m(2, 0) * x + m(2, 1) * y + m(2, 2);
    return cv::Point2d((m(0, 0) * x + m(0, 1) * y + m(0, 2)) / z, (m(1, 0) * x + m(1, 1) * y + m(1, 2)) / z);
}

// Bilinear grey value of an 8-bit image; false outside.
bool sample(const cv::Mat &image, double x, double y, double &value)
{
    if (!(x >= 0 && y >= 0 && x < image.cols - 1 && y < image.rows - 1))
        return false;
    const int x0 = int(x);
    const int y0 = int(y);
    const double fx = x - x0;
    const double fy = y - y0;
    const uchar *row0 = image.ptr<uchar>(y0) + x0;
    const uchar *row1 = image.ptr<uchar>(y0 + 1) + x0;
    const double top = row0[0] + fx * (row0[1] - row0[0]);
    const double bottom = row1[0] + fx * (row1[1] - row1[0]);
    value = top + fy * (bottom - top);
    return true;
}

// Largest distance between where two transforms put the corners of a rectangle.
double cornerDistance(const Matrix3 &a, const Matrix3 &b, const cv::Rect &area)
{
    const double x0 = area.x;
    const double y0 = area.y;
    const double x1 = area.x + area.width - 1;
    const double y1 = area.y + area.height - 1;
    double worst = 0;
    for (const cv::Point2d &c : {cv::Point2d(x0, y0), cv::Point2d(x1, y0), cv::Point2d(x1, y1), cv::Point2d(x0, y1)}) {
        const cv::Point2d p = apply(a, c.x, c.y);
        const cv::Point2d q = apply(b, c.x, c.y);
        worst = std::max(worst, std::hypot(p.x - q.x, p.y - q.y));
    }
    return worst;
}

} // namespace

void IntensityRefinement::clear()
{
    samples.clear();
    area = cv::Rect();
}

void IntensityRefinement::setReference(const cv::Mat &grey, const cv::Mat &mask)
{
    clear();
    if (grey.empty() || grey.type() != CV_8UC1)
        return;
    const bool masked = !mask.empty() && mask.type() == CV_8UC1 && mask.size() == grey.size();
    const cv::Rect whole(0, 0, grey.cols, grey.rows);
    const cv::Rect used = masked ? cv::boundingRect(mask) & whole : whole;
    // One pixel of the border has no full derivative.
    area = cv::Rect(used.x + 1, used.y + 1, used.width - 2, used.height - 2) & cv::Rect(1, 1, grey.cols - 2, grey.rows - 2);
    if (area.width < MinCellSize || area.height < MinCellSize) {
        area = cv::Rect();
        return;
    }
    // Derivatives of the slightly smoothed reference: sensor noise in them would only slow the
    // steps down (it adds to the curvature but never to the agreement).
    const cv::Rect around = cv::Rect(area.x - Smoothing, area.y - Smoothing, area.width + 2 * Smoothing,
                                     area.height + 2 * Smoothing)
        & whole;
    cv::Mat smooth;
    cv::GaussianBlur(grey(around), smooth, cv::Size(0, 0), 1.0);
    cv::Mat gx;
    cv::Mat gy;
    cv::Sobel(smooth, gx, CV_32F, 1, 0, 3, 1.0 / 8);
    cv::Sobel(smooth, gy, CV_32F, 0, 1, 3, 1.0 / 8);
    cv::Mat rx;
    cv::Mat ry;
    cv::Sobel(grey(around), rx, CV_32F, 1, 0, 3, 1.0 / 8);
    cv::Sobel(grey(around), ry, CV_32F, 0, 1, 3, 1.0 / 8);
    const cv::Point shift = around.tl();
    centre = cv::Point2d(area.x + (area.width - 1) * 0.5, area.y + (area.height - 1) * 0.5);
    spread = std::max(area.width, area.height) * 0.5;

    struct Candidate
    {
        float strength;
        int x, y;
    };
    std::vector<Candidate> cell;
    const float minStrength = float(MinGradient * MinGradient);
    const int cellSize = std::max(
        MinCellSize, int(std::ceil(std::sqrt(double(area.width) * double(area.height) / double(MaxCells)))));
    for (int cy = area.y; cy < area.y + area.height; cy += cellSize) {
        for (int cx = area.x; cx < area.x + area.width; cx += cellSize) {
            cell.clear();
            const int xEnd = std::min(cx + cellSize, area.x + area.width);
            const int yEnd = std::min(cy + cellSize, area.y + area.height);
            for (int y = cy; y < yEnd; ++y) {
                const float *dx = gx.ptr<float>(y - shift.y) - shift.x;
                const float *dy = gy.ptr<float>(y - shift.y) - shift.x;
                const uchar *m = masked ? mask.ptr<uchar>(y) : nullptr;
                for (int x = cx; x < xEnd; ++x) {
                    if (m && !m[x])
                        continue;
                    const float strength = dx[x] * dx[x] + dy[x] * dy[x];
                    if (strength >= minStrength)
                        cell.push_back({strength, x, y});
                }
            }
            // The steepest first; a tie keeps the row-major order.
            const size_t keep = std::min(cell.size(), size_t(SamplesPerCell));
            std::partial_sort(cell.begin(), cell.begin() + std::ptrdiff_t(keep), cell.end(),
                              [](const Candidate &a, const Candidate &b) {
                                  if (a.strength != b.strength)
                                      return a.strength > b.strength;
                                  return a.y != b.y ? a.y < b.y : a.x < b.x;
                              });
            for (size_t i = 0; i < keep; ++i) {
                const Candidate &c = cell[i];
                Sample s;
                s.x = float(c.x);
                s.y = float(c.y);
                s.value = grey.at<uchar>(c.y, c.x);
                const double u = (c.x - centre.x) / spread;
                const double v = (c.y - centre.y) / spread;
                s.u = float(u);
                s.v = float(v);
                // Derivatives per unit of the normalised coordinates.
                const double tu = rx.at<float>(c.y - shift.y, c.x - shift.x) * spread;
                const double tv = ry.at<float>(c.y - shift.y, c.x - shift.x) * spread;
                const double radial = tu * u + tv * v;
                const double row[8] = {tu * u, tv * u, tu * v, tv * v, tu, tv, -u * radial, -v * radial};
                for (int k = 0; k < 8; ++k)
                    s.descent[k] = float(row[k]);
                samples.push_back(s);
            }
        }
    }
    if (!ready()) {
        clear();
        return;
    }
    fullHessian = cv::Matx<double, 8, 8>::zeros();
    for (const Sample &s : samples)
        for (int a = 0; a < 8; ++a)
            for (int b = a; b < 8; ++b)
                fullHessian(a, b) += double(s.descent[a]) * s.descent[b];
}

IntensityRefinement::Result IntensityRefinement::refine(const cv::Mat &frame, cv::Mat &frameToReference) const
{
    Result result;
    if (!ready() || frame.empty() || frame.type() != CV_8UC1 || frameToReference.size() != cv::Size(3, 3)
        || frameToReference.type() != CV_64F)
        return result;
    const Matrix3 toNormal(1 / spread, 0, -centre.x / spread, 0, 1 / spread, -centre.y / spread, 0, 0, 1);
    const Matrix3 fromNormal(spread, 0, centre.x, 0, spread, centre.y, 0, 0, 1);
    const Matrix3 start = Matrix3(frameToReference).inv();    // reference pixel -> frame pixel
    Matrix3 warp = toNormal * start * fromNormal;
    warp *= 1.0 / warp(2, 2);

    const size_t n = samples.size();
    std::vector<double> values(n);
    std::vector<double> weights(n, 1.0);
    std::vector<double> magnitudes;
    magnitudes.reserve(n);
    std::vector<unsigned char> inside(n);
    const double halfW = (area.width - 1) * 0.5 / spread;
    const double halfH = (area.height - 1) * 0.5 / spread;
    bool converged = false;
    for (int iteration = 0; iteration < MaxIterations; ++iteration) {
        result.iterations = iteration + 1;
        const Matrix3 toFrame = fromNormal * warp * toNormal;
        // The frame at the transform, and the light that maps it onto the reference: a gain
        // that may change linearly across the area (the lens darkens its edges, and the camera
        // moved) and an offset.
        cv::Matx44d normal = cv::Matx44d::zeros();
        cv::Vec4d right = cv::Vec4d::all(0);
        size_t count = 0;
        for (size_t i = 0; i < n; ++i) {
            const Sample &s = samples[i];
            const cv::Point2d p = apply(toFrame, s.x, s.y);
            inside[i] = sample(frame, p.x, p.y, values[i]) ? 1 : 0;
            if (!inside[i])
                continue;
            ++count;
            const double f[4] = {values[i], values[i] * s.u, values[i] * s.v, 1.0};
            const double w = weights[i];
            for (int a = 0; a < 4; ++a) {
                right[a] += w * f[a] * s.value;
                for (int b = a; b < 4; ++b)
                    normal(a, b) += w * f[a] * f[b];
            }
        }
        if (count * 2 < n || count < size_t(MinSamples))
            return result;
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < a; ++b)
                normal(a, b) = normal(b, a);
        cv::Vec4d light;
        if (!cv::solve(normal, right, light, cv::DECOMP_CHOLESKY))
            return result;
        // How well the frame, in the reference's light, agrees with the reference.
        double sp = 0, st = 0, spp = 0, spt = 0, stt = 0;
        for (size_t i = 0; i < n; ++i) {
            if (!inside[i])
                continue;
            const Sample &s = samples[i];
            const double predicted = values[i] * (light[0] + light[1] * s.u + light[2] * s.v) + light[3];
            values[i] = predicted;
            sp += predicted;
            st += s.value;
            spp += predicted * predicted;
            spt += predicted * s.value;
            stt += double(s.value) * s.value;
        }
        const double varP = spp * double(count) - sp * sp;
        const double varT = stt * double(count) - st * st;
        if (!(varP > 0) || !(varT > 0))
            return result;
        result.agreement = (spt * double(count) - sp * st) / std::sqrt(varP * varT);

        // Residuals, weighted down where they are far beyond the typical one.
        magnitudes.clear();
        for (size_t i = 0; i < n; ++i) {
            if (inside[i]) {
                values[i] -= samples[i].value;
                magnitudes.push_back(std::abs(values[i]));
            }
        }
        const size_t middle = magnitudes.size() / 2;
        std::nth_element(magnitudes.begin(), magnitudes.begin() + std::ptrdiff_t(middle), magnitudes.end());
        const double limit = std::max(0.5, 1.4826 * magnitudes[middle]) * 1.345;
        // The curvature of all samples, less what the samples outside or weighted down lack.
        cv::Matx<double, 8, 8> hessian = fullHessian;
        cv::Vec<double, 8> gradient = cv::Vec<double, 8>::all(0);
        for (size_t i = 0; i < n; ++i) {
            const float *d = samples[i].descent;
            double w = 0;
            if (inside[i]) {
                const double r = values[i];
                w = std::abs(r) <= limit ? 1.0 : limit / std::abs(r);
                for (int a = 0; a < 8; ++a)
                    gradient[a] += w * d[a] * r;
            }
            weights[i] = w;
            if (w < 1) {
                for (int a = 0; a < 8; ++a) {
                    const double lack = (1 - w) * d[a];
                    for (int b = a; b < 8; ++b)
                        hessian(a, b) -= lack * d[b];
                }
            }
        }
        for (int a = 0; a < 8; ++a)
            for (int b = 0; b < a; ++b)
                hessian(a, b) = hessian(b, a);
        cv::Vec<double, 8> step;
        if (!cv::solve(hessian, gradient, step, cv::DECOMP_CHOLESKY))
            return result;
        const Matrix3 update = warpOf(step);
        warp = warp * update.inv();
        warp *= 1.0 / warp(2, 2);
        // How far the step moved the area's corners.
        double moved = 0;
        for (const cv::Point2d &c : {cv::Point2d(-halfW, -halfH), cv::Point2d(halfW, -halfH), cv::Point2d(halfW, halfH),
                                     cv::Point2d(-halfW, halfH)}) {
            const cv::Point2d p = apply(update, c.x, c.y);
            moved = std::max(moved, std::hypot(p.x - c.x, p.y - c.y) * spread);
        }
        if (!std::isfinite(moved))
            return result;
        if (moved < Converged) {
            converged = true;
            break;
        }
    }
    const Matrix3 finalToFrame = fromNormal * warp * toNormal;
    result.moved = cornerDistance(finalToFrame, start, area);
    result.settled = converged && result.moved <= MaxMove && result.agreement >= MinAgreement;
    if (result.settled) {
        Matrix3 back = finalToFrame.inv();
        back *= 1.0 / back(2, 2);
        cv::Mat(back).copyTo(frameToReference);
    }
    return result;
}
