#ifndef INSPECTION_RIGIDALIGNMENT_H
#define INSPECTION_RIGIDALIGNMENT_H

#include <opencv2/core.hpp>

#include <vector>

// Settles the pose of a small grey template on a frame by the grey values: a shift, or a turn
// and a shift. The inverse compositional Gauss-Newton form: the template's smoothed values,
// its steepest-descent images and their Hessian are computed once, when the template is set;
// a step then only samples the frame at the pose. Light is matched as it goes (both sides taken
// about their mean, the frame scaled to the template's contrast), and template pixels that the
// pose puts outside the frame take no part. Plain loops in a fixed order: the same frame always
// gives the same pose.
class RigidAlignment
{
public:
    // Buffers a caller reuses from call to call, so that settling allocates nothing once it ran.
    struct Work
    {
        cv::Mat frame;
        std::vector<float> values;   // the frame beneath each template pixel
        std::vector<uchar> seen;     // ... and whether it lies inside the frame
    };

    // Converged when no corner of the template moves more than this in one step (pixels).
    static constexpr double Converged = 0.01;
    // Fewer template pixels seen than this cannot settle a pose.
    static constexpr int MinSeen = 16;

    // Takes an 8-bit grey template; an empty one (or one smaller than 3 x 3) clears.
    void setTemplate(const cv::Mat &grey);
    void clear();
    bool ready() const { return !smooth.empty(); }
    cv::Size size() const { return smooth.size(); }

    // How far a settling may carry the template's centre (pixels, along either axis) and turn
    // it (degrees) from the start; one that goes farther is drifting to another place.
    struct Reach
    {
        double shift;
        double turn;
    };

    // pose maps template pixels to pixels of the 8-bit grey frame. It is moved by at most steps
    // Gauss-Newton steps (turning only when turn is set) and written back when the alignment
    // could be computed; false (pose untouched) when too little of the template lies in the
    // frame, the template shows no structure, or the pose leaves the reach.
    bool align(const cv::Mat &frame, cv::Matx23d &pose, bool turn, int steps, Work &work,
               Reach reach = {1e9, 1e9}) const;

private:
    cv::Mat smooth;                    // smoothed template, CV_32F
    std::vector<float> turnDescent;    // per pixel: the steepest-descent image of the turn
    std::vector<float> shiftXDescent;  // ... and of the two shifts
    std::vector<float> shiftYDescent;
    cv::Point2d centre;
    double total = 0;                  // sum of the smoothed template
    double totalSquares = 0;
    cv::Matx33d hessian;               // of all pixels (turn, x, y)
    cv::Vec3d descentSum;              // sums of the steepest-descent images
    cv::Vec3d descentTemplate;         // ... and of their products with the smoothed template
};

#endif
