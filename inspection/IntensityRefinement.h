#ifndef INSPECTION_INTENSITYREFINEMENT_H
#define INSPECTION_INTENSITYREFINEMENT_H

#include <opencv2/core.hpp>

#include <vector>

// Settles a frame-to-reference homography on the grey values themselves: points (matched
// features, tracked corners) fix a transform only as well as they are spread and located, and
// on a dull, defocused view they are few and a pixel or more off, which a homography turns
// into several pixels at the image's corners. Here the reference's steepest pixels, spread over
// the whole area, are compared with the frame at the transform, and a Gauss-Newton step (the
// inverse compositional form: the reference's derivatives and the Jacobian are computed once)
// moves the transform until the frame agrees with the reference. Light (gain and offset) is
// fitted as it goes, and pixels that disagree strongly (a part in the mould, a reflection) are
// weighted down. Plain loops in a fixed order: the same frame always gives the same result.
class IntensityRefinement
{
public:
    // How a refinement ended.
    struct Result
    {
        bool settled = false;       // converged to a well-supported transform
        int iterations = 0;
        double agreement = 0;       // correlation of frame and reference at the result (samples)
        double moved = 0;           // largest movement of the area's corners from the start (pixels)
    };

    // The area is cut into at most MaxCells square cells of at least MinCellSize pixels a side,
    // and each gives its SamplesPerCell steepest pixels, so that every part of the area that
    // shows something has its say, and the time does not grow with the area.
    static constexpr int MaxCells = 1200;
    static constexpr int MinCellSize = 24;
    static constexpr int SamplesPerCell = 12;
    // A sample's gradient must stand out from sensor noise (grey values per pixel).
    static constexpr double MinGradient = 1.5;
    static constexpr int MinSamples = 200;
    static constexpr int MaxIterations = 30;
    // Converged when no corner of the area moves more than this in one step (pixels).
    static constexpr double Converged = 0.02;
    // A refinement that carries a corner farther than this from where the points put it has not
    // found the same place: the points and the grey values disagree.
    static constexpr double MaxMove = 8.0;
    // Frame and reference must agree at least this well at the result.
    static constexpr double MinAgreement = 0.5;

    // Takes the samples from an 8-bit grey reference within the mask (8-bit, the image's size,
    // non-zero = use; empty = the whole image).
    void setReference(const cv::Mat &grey, const cv::Mat &mask);
    void clear();
    bool ready() const { return int(samples.size()) >= MinSamples; }
    int sampleCount() const { return int(samples.size()); }

    // Refines frameToReference (3 x 3, CV_64F) on the 8-bit grey frame. Writes the refined
    // transform only when it settled.
    Result refine(const cv::Mat &frame, cv::Mat &frameToReference) const;

private:
    struct Sample
    {
        float x, y;            // reference pixel
        float u, v;            // the same, normalised
        float value;           // reference grey value
        float descent[8];      // steepest-descent row of the sample (normalised coordinates)
    };
    std::vector<Sample> samples;
    // Normalised coordinates: (pixel - centre) / spread.
    cv::Point2d centre;
    double spread = 1;
    cv::Rect area;
    // Sum of the samples' descent rows times their transposes (upper triangle).
    cv::Matx<double, 8, 8> fullHessian;
};

#endif
