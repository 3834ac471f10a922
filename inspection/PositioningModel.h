#ifndef INSPECTION_POSITIONINGMODEL_H
#define INSPECTION_POSITIONINGMODEL_H

#include "inspection/RigidAlignment.h"

#include <opencv2/core.hpp>

#include <memory>
#include <vector>

// The learned edge points of a positioning target on a small image pyramid (level 0 = full
// resolution). Offsets are relative to the template's centre pixel (width / 2, height / 2),
// gradients are unit directions.
struct EdgeModel
{
    int levels = 0;
    std::vector<int> widths;
    std::vector<int> heights;
    std::vector<int> counts;
    std::vector<std::vector<float>> offsetX;
    std::vector<std::vector<float>> offsetY;
    std::vector<std::vector<float>> gradX;
    std::vector<std::vector<float>> gradY;
    // Per level the largest distance of a point from the centre.
    std::vector<float> radius;
    // Per level the (median-filtered) template and its mask, for the final settling and the
    // check of the pose.
    std::vector<cv::Mat> images;
    std::vector<cv::Mat> masks;

    void clear();
};

// Finds the operator's positioning target in a frame so that the engine can move (and turn)
// the frame back onto the template. An edge-gradient matcher: the template's edge points with
// their gradient directions are compared with the frame's gradient directions, coarse to fine
// on a pyramid; the score is the mean cosine between the two (1 = every edge point meets an
// edge of the same direction). GUI thread only.
class PositioningModel
{
public:
    // Smallest score that counts as found.
    static constexpr double MinScore = 0.1;
    // Smallest grey-value correlation of the target with the frame at a found pose. Edge
    // directions alone let a random place in a textured frame score well; the grey values of
    // the whole target agree only where it really lies.
    static constexpr double MinCorrelation = 0.5;
    // A found pose must agree better than any other place by this much; places farther apart
    // than MaxRivalDistance pixels are other places.
    static constexpr double MinCorrelationMargin = 0.15;
    static constexpr double MaxRivalDistance = 3.0;

    PositioningModel();
    ~PositioningModel();
    PositioningModel(const PositioningModel &) = delete;
    PositioningModel &operator=(const PositioningModel &) = delete;

    // Builds the model from an 8-bit grey template crop and its 8-bit mask of the same size
    // (edge points only under non-zero mask pixels). angleRange 0 searches position only,
    // 1..180 also the rotation within +-angleRange degrees. anchorX/anchorY: the target's
    // reference point in the full image. False (and not ready) for a negative range or an
    // unusable template or mask.
    bool create(const cv::Mat &templ, int angleRange, int anchorX, int anchorY, const cv::Mat &mask);
    bool isReady() const { return ready; }
    void reset();

    // Searches the 8-bit grey image. On success dx = anchorX - x, dy = anchorY - y rounded to
    // whole pixels for the found target centre (x, y) in the image's coordinates, and angle is
    // the target's rotation in degrees (positive clockwise on the screen; 0 without rotation
    // search). False when not ready, the image is
    // unusable or the best score stays below MinScore.
    bool find(const cv::Mat &image, int &dx, int &dy, double &angle) const;
    // The score of the last successful or failed find, for diagnostics and tests.
    double lastScore() const { return score; }
    // The grey-value correlation of the target with the frame at the last pose checked.
    double lastCorrelation() const { return correlation; }
    // Whether the last find was refused because another place agreed nearly as well.
    bool lastAmbiguous() const { return rivals; }

    bool ready = false;
    int angleRange = 0;
    int anchorX = 0;
    int anchorY = 0;
    // 3 position only, 4 position and rotation.
    int searchMode = 3;
    EdgeModel edgeModel;

private:
    struct Candidate;
    struct Field;
    struct LazyField;
    struct Scratch;

    bool build(const cv::Mat &templ, const cv::Mat &mask);
    int searchLevel(const cv::Size &image) const;
    double angleStep(int level) const;
    void coarseSearch(const cv::Mat &level, int index, std::vector<Candidate> &kept) const;
    bool refine(const cv::Mat &level, int index, double previousStep, Candidate &candidate) const;
    int checkLevel() const;
    cv::Matx23d levelPose(int level, const Candidate &candidate) const;
    void polish(const std::vector<cv::Mat> &pyramid, Candidate &candidate) const;
    double correlate(const std::vector<cv::Mat> &pyramid, const Candidate &candidate) const;
    int sweepLevel() const;
    void sweep(const std::vector<cv::Mat> &pyramid, const Candidate &pose, double agreement,
               std::vector<Candidate> &found) const;

    // Levels that the template's own size asks for; the search may start deeper when the
    // search area is large beside the target.
    int targetLevels = 0;
    // The grey-value settling of a found pose, prepared for the template on checkLevel().
    RigidAlignment settling;
    mutable double score = 0;
    mutable double correlation = 0;
    mutable bool rivals = false;
    // Pyramid and gradient buffers reused from frame to frame.
    std::unique_ptr<Scratch> scratch;
};

#endif
