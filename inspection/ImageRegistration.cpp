#include "inspection/ImageRegistration.h"

#include "inspection/OpenCvGuard.h"

#include <opencv2/calib3d.hpp>
#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include <set>
#include <utility>

#include <algorithm>
#include <cmath>

namespace {

constexpr double RansacThreshold = 3.0;
// The RANSAC fit is refined on the matches that agree with it this closely: the 3-pixel
// threshold keeps keypoints that are a little off, and they cost accuracy at the corners.
constexpr double RefitThreshold = 1.0;
constexpr int RansacIterations = 2000;
constexpr double RansacConfidence = 0.995;
// The feature area reaches this far beyond the mask, so that SIFT's own border keeps no
// feature of the masked area away.
constexpr int FeatureMargin = 24;
// Corners tracked from the reference into the frame: how many, how far apart, their window.
constexpr int TrackedCorners = 400;
constexpr double CornerQuality = 0.05;
constexpr double CornerDistance = 12;
constexpr int TrackWindow = 21;
// Pyramid levels of the tracking from the untouched frame: a window of 21 pixels on level 3
// follows a movement of some 80 pixels, more than a camera moves between two checks.
constexpr int TrackLevels = 3;
// A tracked corner counts when it agrees with the fit this closely (full-resolution pixels).
constexpr double TrackThreshold = 0.75;

// A total order of keypoints, so that the features of an image never depend on how SIFT's
// threads shared the work.
bool before(const cv::KeyPoint &a, const cv::KeyPoint &b)
{
    if (a.pt.y != b.pt.y)
        return a.pt.y < b.pt.y;
    if (a.pt.x != b.pt.x)
        return a.pt.x < b.pt.x;
    if (a.size != b.size)
        return a.size < b.size;
    if (a.angle != b.angle)
        return a.angle < b.angle;
    if (a.response != b.response)
        return a.response < b.response;
    return a.octave < b.octave;
}

void sortFeatures(cv::detail::ImageFeatures &features)
{
    const size_t n = features.keypoints.size();
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return before(features.keypoints[a], features.keypoints[b]); });
    const cv::Mat descriptors = features.descriptors.getMat(cv::ACCESS_READ).clone();
    std::vector<cv::KeyPoint> keypoints(n);
    cv::Mat sorted(descriptors.size(), descriptors.type());
    for (size_t i = 0; i < n; ++i) {
        keypoints[i] = features.keypoints[order[i]];
        if (!descriptors.empty())
            descriptors.row(int(order[i])).copyTo(sorted.row(int(i)));
    }
    features.keypoints.swap(keypoints);
    sorted.copyTo(features.descriptors);
}

// The best-of-two-nearest rule both ways (a match whose nearest neighbour is clearly nearer
// than the second), as the stitching module's matcher applies it, but on exact nearest
// neighbours: its approximate search draws random trees, and the same frame then gave
// different transforms from run to run.
void bestOfTwo(const cv::Mat &live, const cv::Mat &reference, float confidence, std::vector<cv::DMatch> &matches)
{
    matches.clear();
    if (live.empty() || reference.empty())
        return;
    cv::BFMatcher matcher(cv::NORM_L2);
    std::vector<std::vector<cv::DMatch>> pairs;
    std::set<std::pair<int, int>> taken;
    matcher.knnMatch(live, reference, pairs, 2);
    for (const std::vector<cv::DMatch> &p : pairs) {
        if (p.size() < 2 || !(p[0].distance < (1.f - confidence) * p[1].distance))
            continue;
        matches.push_back(p[0]);
        taken.insert(std::make_pair(p[0].queryIdx, p[0].trainIdx));
    }
    pairs.clear();
    matcher.knnMatch(reference, live, pairs, 2);
    for (const std::vector<cv::DMatch> &p : pairs) {
        if (p.size() < 2 || !(p[0].distance < (1.f - confidence) * p[1].distance))
            continue;
        if (taken.count(std::make_pair(p[0].trainIdx, p[0].queryIdx)) == 0)
            matches.push_back(cv::DMatch(p[0].trainIdx, p[0].queryIdx, p[0].distance));
    }
}

bool usableMask(const cv::Mat &mask, const cv::Size &size)
{
    return !mask.empty() && mask.type() == CV_8UC1 && mask.size() == size;
}

cv::Size featureSize(cv::Size area, float scale)
{
    return cv::Size(std::max(1, cvRound(area.width * double(scale))), std::max(1, cvRound(area.height * double(scale))));
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
    case ImageRegistration::Unsettled:
        return "the frame does not settle on the reference";
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
    const cv::Rect area = slot.featureArea.empty() ? cv::Rect(0, 0, grey.cols, grey.rows)
                                                   : slot.featureArea & cv::Rect(0, 0, grey.cols, grey.rows);
    if (area.empty())
        return;
    cv::Mat scaled;
    if (slot.scale < 1.0f)
        cv::resize(grey(area), scaled, featureSize(area.size(), slot.scale), 0, 0, cv::INTER_LINEAR_EXACT);
    else
        scaled = grey(area);
    const cv::Ptr<cv::SIFT> detector = cv::SIFT::create(0, 3, 0.04, 10.0, 1.6);
    if (usableMask(slot.referenceMask, scaled.size()))
        cv::detail::computeImageFeatures(detector, scaled, out, slot.referenceMask);
    else
        cv::detail::computeImageFeatures(detector, scaled, out);
    sortFeatures(out);
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
    featureArea = cv::Rect();
    corners.clear();
    referencePyramid.clear();
    refinement.clear();
    referenceReady = false;
    homography.release();
    outcome = NoReference;
}

void ImageRegistration::setReference(const cv::Mat &image, const cv::Mat &mask)
{
    features.resize(2);
    if (image.empty())
        return;
    if (!mask.empty() && !usableMask(mask, image.size())) {
        qWarning("Image registration: the reference mask does not fit the image; the reference is kept");
        return;
    }
    const bool built = runGuarded("Registration reference", [&] {
        const cv::Rect whole(0, 0, image.cols, image.rows);
        const cv::Rect used = mask.empty() ? whole : cv::boundingRect(mask);
        featureArea = cv::Rect(used.x - FeatureMargin, used.y - FeatureMargin, used.width + 2 * FeatureMargin,
                               used.height + 2 * FeatureMargin)
            & whole;
        if (used.empty())
            featureArea = whole;
        const double pixels = double(featureArea.width) * double(featureArea.height);
        scale = static_cast<float>(std::min(1.0, std::sqrt(FeaturePixels / pixels)));
        if (mask.empty())
            referenceMask.release();
        else if (scale < 1.0f)
            cv::resize(mask(featureArea), referenceMask, featureSize(featureArea.size(), scale), 0, 0,
                       cv::INTER_LINEAR_EXACT);
        else
            referenceMask = mask(featureArea).clone();
        features[1] = cv::detail::ImageFeatures();
        computeSiftFeatures(*this, image, features[1], 1);
        cv::Mat grey;
        if (image.type() == CV_8UC3)
            cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
        else
            grey = image;
        corners.clear();
        if (mask.empty())
            cv::goodFeaturesToTrack(grey, corners, TrackedCorners, CornerQuality, CornerDistance);
        else
            cv::goodFeaturesToTrack(grey, corners, TrackedCorners, CornerQuality, CornerDistance, mask);
        referencePyramid.clear();
        cv::buildOpticalFlowPyramid(grey, referencePyramid, cv::Size(TrackWindow, TrackWindow), TrackLevels, true);
        refinement.setReference(grey, mask);
    });
    // A dull reference may show no features but still corners to track and grey values to
    // settle on; a frame that moved too far for the tracking then finds no matches.
    referenceReady = built && (!features[1].keypoints.empty() || (!corners.empty() && refinement.ready()));
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
    std::vector<cv::DMatch> matches;
    bestOfTwo(features[0].descriptors.getMat(cv::ACCESS_READ), features[1].descriptors.getMat(cv::ACCESS_READ),
              matchConfidence, matches);
    const std::vector<cv::KeyPoint> &live = features[0].keypoints;
    const std::vector<cv::KeyPoint> &ref = features[1].keypoints;
    const cv::Point2f origin(float(featureArea.x), float(featureArea.y));
    frame.reserve(matches.size());
    reference.reserve(matches.size());
    for (const cv::DMatch &m : matches) {
        if (m.queryIdx < 0 || m.queryIdx >= int(live.size()) || m.trainIdx < 0 || m.trainIdx >= int(ref.size()))
            continue;
        frame.push_back(origin + live[size_t(m.queryIdx)].pt / scale);
        reference.push_back(origin + ref[size_t(m.trainIdx)].pt / scale);
    }
}

ImageRegistration::Outcome ImageRegistration::estimate(const std::vector<cv::Point2f> &frame,
                                                       const std::vector<cv::Point2f> &reference,
                                                       const cv::Size &imageSize, cv::Mat &transform) const
{
    return fit(frame, reference, imageSize, RansacThreshold, RefitThreshold, transform);
}

bool ImageRegistration::estimateTracked(const std::vector<cv::Point2f> &frame, const std::vector<cv::Point2f> &reference,
                                        const cv::Size &imageSize, cv::Mat &transform) const
{
    return fit(frame, reference, imageSize, TrackThreshold, TrackThreshold, transform) == Aligned;
}

ImageRegistration::Outcome ImageRegistration::fit(const std::vector<cv::Point2f> &frame,
                                                  const std::vector<cv::Point2f> &reference, const cv::Size &imageSize,
                                                  double ransacThreshold, double refitThreshold, cv::Mat &transform)
{
    if (frame.size() < size_t(MinInliers) || frame.size() != reference.size())
        return TooFewMatches;
    cv::Mat inliers;
    cv::Mat h = cv::findHomography(frame, reference, cv::RANSAC, ransacThreshold, inliers, RansacIterations,
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
        if (cv::norm(mapped[i] - reference[i]) < refitThreshold) {
            closeFrame.push_back(frame[i]);
            closeReference.push_back(reference[i]);
        }
    }
    if (closeFrame.size() >= size_t(MinInliers)) {
        cv::Mat refined = cv::findHomography(closeFrame, closeReference, 0);
        if (!refined.empty())
            refined.convertTo(h, CV_64F);
    }
    const Outcome plausible = checkMovement(h, imageSize);
    if (plausible == Aligned)
        transform = h;
    return plausible;
}

ImageRegistration::Outcome ImageRegistration::checkMovement(const cv::Mat &h, const cv::Size &imageSize)
{
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
    return Aligned;
}

ImageRegistration::Outcome ImageRegistration::settle(const cv::Mat &source, cv::Mat &transform) const
{
    // A reference without enough structure for the grey values keeps the points' transform.
    if (!refinement.ready())
        return Aligned;
    cv::Mat grey;
    if (source.type() == CV_8UC3)
        cv::cvtColor(source, grey, cv::COLOR_BGR2GRAY);
    else
        grey = source;
    cv::Mat refined = transform.clone();
    if (!refinement.refine(grey, refined).settled)
        return Unsettled;
    const Outcome plausible = checkMovement(refined, source.size());
    if (plausible == Aligned)
        transform = refined;
    return plausible;
}

void ImageRegistration::trackPoints(const cv::Mat &source, const cv::Mat &rough, std::vector<cv::Point2f> &frame,
                                    std::vector<cv::Point2f> &reference) const
{
    frame.clear();
    reference.clear();
    if (corners.empty() || referencePyramid.empty() || source.type() != CV_8UC1)
        return;
    // Without a rough transform the corners start where they were and are followed down the
    // pyramid; with one they start where it puts them and are only settled on full resolution.
    std::vector<cv::Point2f> predicted = corners;
    if (!rough.empty())
        cv::perspectiveTransform(corners, predicted, rough.inv());
    std::vector<uchar> status;
    std::vector<float> error;
    cv::calcOpticalFlowPyrLK(referencePyramid, source, corners, predicted, status, error,
                             cv::Size(TrackWindow, TrackWindow), rough.empty() ? TrackLevels : 0,
                             cv::TermCriteria(cv::TermCriteria::COUNT + cv::TermCriteria::EPS, 30, 0.01),
                             cv::OPTFLOW_USE_INITIAL_FLOW, 1e-3);
    for (size_t i = 0; i < corners.size(); ++i) {
        if (status[i]) {
            frame.push_back(predicted[i]);
            reference.push_back(corners[i]);
        }
    }
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
        // A camera mostly moves little: the reference's corners tracked straight into the frame
        // give the transform at a fraction of the cost of features. Only when they do not agree
        // on one do the features find the movement. Both depend on nothing but the frame.
        std::vector<cv::Point2f> trackedFrame;
        std::vector<cv::Point2f> trackedReference;
        trackPoints(source, cv::Mat(), trackedFrame, trackedReference);
        if (estimateTracked(trackedFrame, trackedReference, source.size(), transform)) {
            result = Aligned;
        } else {
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
            // The features give the transform to a pixel or two; the tracked corners bring it
            // closer.
            trackPoints(source, transform, trackedFrame, trackedReference);
            cv::Mat exact;
            if (estimateTracked(trackedFrame, trackedReference, source.size(), exact))
                transform = exact;
        }
        // Points on a dull frame are few and a little off, and a homography turns that into
        // pixels at the image's corners: the grey values settle the transform, or refuse it.
        result = settle(source, transform);
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
