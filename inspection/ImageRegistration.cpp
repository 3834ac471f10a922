#include "inspection/ImageRegistration.h"

#include "inspection/OpenCvGuard.h"

#include <opencv2/calib3d.hpp>
#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

// Feature detection and matching work on at most about this many pixels.
constexpr double FeaturePixels = 500000.0;
constexpr double RansacThreshold = 3.0;
// The RANSAC fit is refined on the matches that agree with it this closely: the 3-pixel
// threshold keeps keypoints that are a little off, and they cost accuracy at the corners.
constexpr double RefitThreshold = 1.0;
constexpr int RansacIterations = 2000;
constexpr double RansacConfidence = 0.995;

bool usableMask(const cv::Mat &mask, const cv::Size &size)
{
    return !mask.empty() && mask.type() == CV_8UC1 && mask.size() == size;
}

} // namespace

const char *registrationOutcomeText(ImageRegistration::Outcome outcome)
{
    switch (outcome) {
    case ImageRegistration::Aligned:
        return "aligned";
    case ImageRegistration::NoReference:
        return "no reference";
    case ImageRegistration::NoFeatures:
        return "no features in the frame";
    case ImageRegistration::TooFewMatches:
        return "too few matches";
    case ImageRegistration::TooFewInliers:
        return "the matches agree on no transform";
    case ImageRegistration::Implausible:
        return "the transform is no camera movement";
    case ImageRegistration::Failed:
        return "failed";
    }
    return "unknown";
}

void computeSiftFeatures(const ImageRegistration &slot, const cv::Mat &image, cv::detail::ImageFeatures &out,
                         int imageIndex)
{
    if (image.empty())
        return;
    cv::Mat grey;
    if (image.type() == CV_8UC3)
        cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
    else
        grey = image;
    cv::Mat scaled;
    if (slot.scale < 1.0f)
        cv::resize(grey, scaled, cv::Size(), slot.scale, slot.scale, cv::INTER_LINEAR_EXACT);
    else
        scaled = grey;
    const cv::Ptr<cv::SIFT> detector = cv::SIFT::create(0, 3, 0.04, 10.0, 1.6);
    if (usableMask(slot.referenceMask, scaled.size()))
        cv::detail::computeImageFeatures(detector, scaled, out, slot.referenceMask);
    else
        cv::detail::computeImageFeatures(detector, scaled, out);
    out.img_idx = imageIndex;
}

ImageRegistration::ImageRegistration()
    : features(2)
{
}

void ImageRegistration::clear()
{
    referenceMask.release();
    features.assign(2, cv::detail::ImageFeatures());
    scale = 1.0f;
    referenceReady = false;
    homography.release();
    outcome = NoReference;
}

void ImageRegistration::setReference(const cv::Mat &image, const cv::Mat &mask)
{
    features.resize(2);
    const double pixels = double(image.cols) * double(image.rows);
    if (pixels <= 0)
        return;
    if (!mask.empty() && !usableMask(mask, image.size())) {
        qWarning("Image registration: the reference mask does not fit the image; the reference is kept");
        return;
    }
    const bool built = runGuarded("Registration reference", [&] {
        scale = static_cast<float>(std::min(1.0, std::sqrt(FeaturePixels / pixels)));
        if (mask.empty())
            referenceMask.release();
        else if (scale < 1.0f)
            cv::resize(mask, referenceMask, cv::Size(), scale, scale, cv::INTER_LINEAR_EXACT);
        else
            referenceMask = mask.clone();
        features[1] = cv::detail::ImageFeatures();
        computeSiftFeatures(*this, image, features[1], 1);
    });
    referenceReady = built && !features[1].keypoints.empty();
    if (!referenceReady)
        qWarning("Image registration: the reference shows no features; frames pass unregistered");
}

bool ImageRegistration::detectFrameFeatures(const cv::Mat &source)
{
    features.resize(2);
    features[0] = cv::detail::ImageFeatures();
    computeSiftFeatures(*this, source, features[0], 0);
    return !features[0].keypoints.empty();
}

void ImageRegistration::matchPoints(float matchConfidence, std::vector<cv::Point2f> &frame,
                                    std::vector<cv::Point2f> &reference) const
{
    frame.clear();
    reference.clear();
    cv::detail::BestOf2NearestMatcher matcher(false, matchConfidence, 6, 6);
    cv::detail::MatchesInfo info;
    matcher(features[0], features[1], info);
    matcher.collectGarbage();
    const std::vector<cv::KeyPoint> &live = features[0].keypoints;
    const std::vector<cv::KeyPoint> &ref = features[1].keypoints;
    frame.reserve(info.matches.size());
    reference.reserve(info.matches.size());
    for (const cv::DMatch &m : info.matches) {
        if (m.queryIdx < 0 || m.queryIdx >= int(live.size()) || m.trainIdx < 0 || m.trainIdx >= int(ref.size()))
            continue;
        frame.push_back(live[size_t(m.queryIdx)].pt / scale);
        reference.push_back(ref[size_t(m.trainIdx)].pt / scale);
    }
}

ImageRegistration::Outcome ImageRegistration::estimate(const std::vector<cv::Point2f> &frame,
                                                       const std::vector<cv::Point2f> &reference,
                                                       const cv::Size &imageSize, cv::Mat &transform) const
{
    if (frame.size() < size_t(MinInliers) || frame.size() != reference.size())
        return TooFewMatches;
    cv::Mat inliers;
    cv::Mat h = cv::findHomography(frame, reference, cv::RANSAC, RansacThreshold, inliers, RansacIterations,
                                   RansacConfidence);
    if (h.empty() || inliers.empty())
        return TooFewInliers;
    const int agreeing = cv::countNonZero(inliers);
    if (agreeing < MinInliers || agreeing < MinInlierShare * double(frame.size()))
        return TooFewInliers;

    h.convertTo(h, CV_64F);
    std::vector<cv::Point2f> closeFrame;
    std::vector<cv::Point2f> closeReference;
    std::vector<cv::Point2f> mapped;
    cv::perspectiveTransform(frame, mapped, h);
    for (size_t i = 0; i < frame.size(); ++i) {
        if (cv::norm(mapped[i] - reference[i]) < RefitThreshold) {
            closeFrame.push_back(frame[i]);
            closeReference.push_back(reference[i]);
        }
    }
    if (closeFrame.size() >= size_t(MinInliers)) {
        cv::Mat refined = cv::findHomography(closeFrame, closeReference, 0);
        if (!refined.empty())
            refined.convertTo(h, CV_64F);
    }
    const double *m = h.ptr<double>();
    const double w = imageSize.width;
    const double hgt = imageSize.height;
    // Perspective: how much the projective divisor varies across the image.
    if (std::abs(m[6]) * w + std::abs(m[7]) * hgt > MaxPerspective)
        return Implausible;
    const double det = m[0] * m[4] - m[1] * m[3];
    if (!(det > MinScale * MinScale && det < MaxScale * MaxScale))
        return Implausible;
    const double limit = MaxCornerShift * std::max(w, hgt);
    const cv::Point2d corners[4] = {{0, 0}, {w - 1, 0}, {w - 1, hgt - 1}, {0, hgt - 1}};
    for (const cv::Point2d &c : corners) {
        const double z = m[6] * c.x + m[7] * c.y + m[8];
        if (!(z > 0))
            return Implausible;
        const double x = (m[0] * c.x + m[1] * c.y + m[2]) / z;
        const double y = (m[3] * c.x + m[4] * c.y + m[5]) / z;
        if (!(std::hypot(x - c.x, y - c.y) <= limit))
            return Implausible;
    }
    transform = h;
    return Aligned;
}

bool ImageRegistration::align(const cv::Mat &source, cv::Mat &destination, float matchConfidence)
{
    if (source.empty()) {
        outcome = Failed;
        return false;
    }
    if (!referenceReady) {
        outcome = NoReference;
        return false;
    }
    Outcome result = Failed;
    cv::Mat transform;
    const bool ran = runGuarded("Image registration", [&] {
        if (!detectFrameFeatures(source)) {
            result = NoFeatures;
            return;
        }
        std::vector<cv::Point2f> frame;
        std::vector<cv::Point2f> reference;
        matchPoints(matchConfidence, frame, reference);
        result = estimate(frame, reference, source.size(), transform);
        if (result != Aligned)
            return;
        // destination is usually a header over the camera view's buffer: written in place.
        cv::warpPerspective(source, destination, transform, source.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                            cv::Scalar::all(0));
    });
    if (!ran)
        result = Failed;
    outcome = result;
    if (result == Aligned)
        homography = transform;
    return result == Aligned;
}
