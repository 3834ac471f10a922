#ifndef INSPECTION_IMAGEREGISTRATION_H
#define INSPECTION_IMAGEREGISTRATION_H

#include "inspection/IntensityRefinement.h"

#include <opencv2/core.hpp>
#include <opencv2/stitching/detail/matchers.hpp>

#include <vector>

// Aligns a mono frame to a detect stage's reference (its first template) so that small camera
// or mould movements, perspective included, do not show up as defects: SIFT features of the
// masked area on an image scaled to at most about 500,000 pixels (FeaturePixels), matched by
// the best-of-two-nearest rule and fitted by a RANSAC homography; that fit is then made exact
// at full resolution by tracking the reference's corners into the frame, settled on the grey
// values (IntensityRefinement), and the frame is warped at full resolution. Every step is
// deterministic: the same frame always gives the same transform. A transform is applied only
// when enough matches agree on it, it is a plausible camera movement and the frame's grey
// values settle on it; otherwise the frame passes unchanged. GUI thread only.
class ImageRegistration
{
public:
    // Why the last align did not move the frame.
    enum Outcome {
        Aligned,
        NoReference,      // no reference features (stage without a reference)
        NoFeatures,       // the frame shows nothing to match (uniform, texture-less)
        TooFewMatches,
        TooFewInliers,    // the matches do not agree on one transform
        Implausible,      // shift, scale or perspective beyond a camera movement
        Unsettled,        // the grey values do not confirm the transform the points gave
        Failed            // bad input or an OpenCV failure
    };

    // Pixels of the (masked) image the features are taken from: a rough fit needs few, and
    // SIFT's time grows with them; the precision comes from the tracking at full resolution.
    static constexpr double FeaturePixels = 125000.0;
    // Matches that must agree with the homography, absolutely and as a share of all matches.
    static constexpr int MinInliers = 16;
    static constexpr double MinInlierShare = 0.25;
    // Largest movement of an image corner, as a share of the image's longer side.
    static constexpr double MaxCornerShift = 0.15;
    // Scale (square root of the linear part's determinant) and perspective limits.
    static constexpr double MinScale = 0.8;
    static constexpr double MaxScale = 1.25;
    static constexpr double MaxPerspective = 0.1;

    ImageRegistration();

    // Learns the reference from an 8-bit image; the mask (8-bit, the image's size, non-zero
    // = use) limits the features of the reference and of every frame. An empty mask uses the
    // whole image; a mask of the wrong type or size keeps the previous reference.
    void setReference(const cv::Mat &image, const cv::Mat &mask);
    bool hasReference() const { return referenceReady; }
    void clear();

    // Warps source onto the reference into destination (source's size and type, written in
    // place when it already has them). False when the frame could not be aligned;
    // lastOutcome() says why and the caller passes the frame on as it came.
    bool align(const cv::Mat &source, cv::Mat &destination, float matchConfidence);
    Outcome lastOutcome() const { return outcome; }
    // The transform of the last successful align, frame to reference (3 x 3, CV_64F).
    const cv::Mat &lastHomography() const { return homography; }

    // The steps of align, one by one.
    // Features of a frame into features[0].
    bool detectFrameFeatures(const cv::Mat &source);
    // Point pairs (frame, reference) at full resolution from features[0] and features[1].
    void matchPoints(float matchConfidence, std::vector<cv::Point2f> &frame, std::vector<cv::Point2f> &reference) const;
    // The reference's corners tracked into the frame from where a rough frame-to-reference
    // homography puts them: point pairs (frame, reference) at sub-pixel precision.
    void trackPoints(const cv::Mat &source, const cv::Mat &rough, std::vector<cv::Point2f> &frame,
                     std::vector<cv::Point2f> &reference) const;
    // The frame-to-reference homography of the pairs, checked; Aligned when usable.
    Outcome estimate(const std::vector<cv::Point2f> &frame, const std::vector<cv::Point2f> &reference,
                     const cv::Size &imageSize, cv::Mat &transform) const;

    cv::Mat referenceMask;
    // Entry 0 the frame's features, entry 1 the reference's.
    std::vector<cv::detail::ImageFeatures> features;
    float scale = 1.0f;
    // Where the features are taken from: the mask's bounding box (full resolution).
    cv::Rect featureArea;
    // The reference's corners at full resolution and its pyramid with derivatives, for tracking.
    std::vector<cv::Point2f> corners;
    std::vector<cv::Mat> referencePyramid;
    // Settles the points' transform on the grey values of the registration area.
    IntensityRefinement refinement;

private:
    // The homography of pairs: RANSAC, refitted on the pairs that agree with it within
    // refitThreshold, and checked as a camera movement.
    static Outcome fit(const std::vector<cv::Point2f> &frame, const std::vector<cv::Point2f> &reference,
                       const cv::Size &imageSize, double ransacThreshold, double refitThreshold, cv::Mat &transform);
    // Whether a frame-to-reference homography (CV_64F) is a plausible camera movement.
    static Outcome checkMovement(const cv::Mat &h, const cv::Size &imageSize);
    // The transform settled on the grey values; Unsettled when they do not confirm it.
    Outcome settle(const cv::Mat &source, cv::Mat &transform) const;
    bool estimateTracked(const std::vector<cv::Point2f> &frame, const std::vector<cv::Point2f> &reference,
                         const cv::Size &imageSize, cv::Mat &transform) const;

    bool referenceReady = false;
    Outcome outcome = NoReference;
    cv::Mat homography;
};

// SIFT features of an image (converted to grey when it has 3 channels) within the slot's
// feature area scaled by the slot's scale, limited by the slot's reference mask when that fits;
// keypoint positions are those of the scaled whole image, in a fixed order.
void computeSiftFeatures(const ImageRegistration &slot, const cv::Mat &image, cv::detail::ImageFeatures &out,
                         int imageIndex);

// The text of an outcome, for the log.
const char *registrationOutcomeText(ImageRegistration::Outcome outcome);

#endif
