#ifndef TOOLS_FRAMEGEN_MOULDSYNTH_H
#define TOOLS_FRAMEGEN_MOULDSYNTH_H

#include <opencv2/core.hpp>

#include <cstdint>
#include <vector>

// Synthetic camera frames of an open injection mould, drawn from a seed: brushed steel with
// vignetting, cavities with bevelled rims, ejector pins, an asymmetric fiducial mark, and
// moulded parts left behind. The same seed always gives the same mould; the conditions move
// the camera, change the light and add sensor noise, so a test can build the frames it needs
// (and the verdict it expects) at run time. Nothing here throws: invalid input gives an
// empty matrix.
namespace synth {

struct Cavity
{
    cv::Rect rect;
    int cornerRadius = 0;
    std::vector<cv::Point> pins;   // ejector pin centres
    int pinRadius = 0;
};

// An L-shaped mark with a dot beside the end of its long arm: no rotation or mirroring maps
// it onto itself, so a positioning model can find its angle.
struct Fiducial
{
    cv::Point origin;   // corner of the L
    int size = 0;       // length of the long arm
};

struct MouldLayout
{
    cv::Size size;
    std::uint32_t seed = 0;
    std::vector<Cavity> cavities;
    Fiducial fiducial;
};

// A moulded part left in the mould (or any foreign object): a filled rotated rectangle
// casting a soft shadow.
struct LeftPart
{
    cv::Point2f centre;
    cv::Size2f size;
    float angle = 0;    // degrees
    int grey = 215;     // bright plastic; dark parts show against the steel too
};

// How the frame is taken: camera shift and roll (applied to the mould, about the image
// centre), keystone (a camera tilted up: the top edge this share of the width narrower than
// the bottom, after shift and roll), light (value × gain + offset), lens vignetting (darkening
// at the corners, 0 none) and sensor noise (standard deviation, 0 none).
struct Conditions
{
    cv::Point2f shift{0, 0};
    double rotation = 0;
    double gain = 1;
    double offset = 0;
    double vignetting = 0.35;
    double noise = 2;
    std::uint32_t noiseSeed = 1;
    double keystone = 0;
};

enum class Degenerate {
    Black,      // lens cap, no light
    Saturated,  // everything at 255
    Flat,       // one mid grey, no texture
    Noise       // uniform random values, no structure
};

MouldLayout makeMouldLayout(std::uint32_t seed, cv::Size size = cv::Size(1920, 1080));

// A part lying in the given cavity, centred, `scale` times the cavity's size, turned by a
// small angle drawn from the layout's seed. An invalid cavity index gives an empty part.
LeftPart partInCavity(const MouldLayout &layout, int cavity, float scale = 0.6f, int grey = 215);

// The frame as 8-bit grey (CV_8UC1, layout.size).
cv::Mat renderMould(const MouldLayout &layout, const std::vector<LeftPart> &parts = {},
                    const Conditions &conditions = Conditions());

// Where the camera sees a point of the mould: the 3 x 3 homography from mould (template)
// coordinates to frame coordinates that renderMould applies for these conditions.
cv::Matx33d cameraTransform(cv::Size size, const Conditions &conditions);
// A point mapped by a homography.
cv::Point2d transformPoint(const cv::Matx33d &transform, cv::Point2d p);

cv::Mat degenerateFrame(Degenerate kind, cv::Size size, std::uint32_t seed = 1);

// The frame with little texture and contrast (a dull, defocused view): blurred, its contrast
// halved, with fresh sensor noise from the seed.
cv::Mat faintFrame(const cv::Mat &frame, std::uint32_t seed);

} // namespace synth

#endif
