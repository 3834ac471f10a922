#include "tools/framegen/MouldSynth.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>

namespace synth {

namespace {

// Mean grey of the steel; the recesses and parts are drawn relative to the textures around it.
constexpr double SteelGrey = 145;
// Smallest frame that can hold a mould; anything smaller is bare steel.
constexpr int SmallestMould = 64;

cv::Rect inflated(const cv::Rect &rect, int by)
{
    return cv::Rect(rect.x - by, rect.y - by, rect.width + 2 * by, rect.height + 2 * by);
}

void fillRoundedRect(cv::Mat &image, const cv::Rect &rect, int radius, const cv::Scalar &value)
{
    radius = std::max(0, std::min(radius, std::min(rect.width, rect.height) / 2));
    cv::rectangle(image, cv::Rect(rect.x + radius, rect.y, rect.width - 2 * radius, rect.height),
                  value, cv::FILLED);
    cv::rectangle(image, cv::Rect(rect.x, rect.y + radius, rect.width, rect.height - 2 * radius),
                  value, cv::FILLED);
    const int right = rect.x + rect.width - 1 - radius;
    const int bottom = rect.y + rect.height - 1 - radius;
    for (const cv::Point &corner : {cv::Point(rect.x + radius, rect.y + radius), cv::Point(right, rect.y + radius),
                                    cv::Point(rect.x + radius, bottom), cv::Point(right, bottom)})
        cv::circle(image, corner, radius, value, cv::FILLED);
}

// Mask of the band between two rounded rectangles around rect (outer and inner growth).
cv::Mat roundedBand(cv::Size size, const Cavity &cavity, int outer, int inner)
{
    cv::Mat band = cv::Mat::zeros(size, CV_8U);
    fillRoundedRect(band, inflated(cavity.rect, outer), cavity.cornerRadius + outer, cv::Scalar(255));
    fillRoundedRect(band, inflated(cavity.rect, inner), cavity.cornerRadius + inner, cv::Scalar(0));
    return band;
}

// Brushed steel: grain streaked along the rows, large soft blotches and fine speckle.
cv::Mat steelTexture(cv::Size size, std::uint32_t seed)
{
    cv::RNG rng(0x5EED0000ULL + seed);
    cv::Mat grain(size, CV_32F);
    rng.fill(grain, cv::RNG::NORMAL, 0, 1);
    cv::blur(grain, grain, cv::Size(41, 1));
    cv::blur(grain, grain, cv::Size(41, 1));
    cv::Scalar mean, deviation;
    cv::meanStdDev(grain, mean, deviation);
    grain = (grain - mean[0]) * (9.0 / std::max(deviation[0], 1e-6));

    cv::Mat blotches(std::max(2, size.height / 90), std::max(2, size.width / 90), CV_32F);
    rng.fill(blotches, cv::RNG::NORMAL, 0, 7);
    cv::resize(blotches, blotches, size, 0, 0, cv::INTER_CUBIC);

    cv::Mat speckle(size, CV_32F);
    rng.fill(speckle, cv::RNG::NORMAL, 0, 3);
    return grain + blotches + speckle + SteelGrey;
}

void drawCavity(cv::Mat &image, const Cavity &cavity)
{
    const cv::Size size = image.size();
    // Polished chamfer around the cavity, then the darker recess with the shadow of its wall.
    cv::add(image, cv::Scalar(40), image, roundedBand(size, cavity, 9, 3));
    cv::Mat recess = cv::Mat::zeros(size, CV_8U);
    fillRoundedRect(recess, cavity.rect, cavity.cornerRadius, cv::Scalar(255));
    cv::Mat floor = image * 0.55 + 15;
    floor.copyTo(image, recess);
    cv::subtract(image, cv::Scalar(35), image, roundedBand(size, cavity, 0, -4));

    for (const cv::Point &pin : cavity.pins) {
        const int r = cavity.pinRadius;
        cv::circle(image, pin, r, cv::Scalar(175), cv::FILLED);
        cv::circle(image, pin, r, cv::Scalar(55), 2);
        cv::circle(image, pin - cv::Point(r / 3, r / 3), std::max(1, r / 4), cv::Scalar(235), cv::FILLED);
    }
}

void drawFiducial(cv::Mat &image, const Fiducial &mark)
{
    const int s = mark.size;
    const int arm = std::max(2, s / 5);
    const cv::Point o = mark.origin;
    cv::rectangle(image, cv::Rect(o.x - s * 3 / 10, o.y - s * 3 / 10, s * 16 / 10, s * 16 / 10),
                  cv::Scalar(60), cv::FILLED);
    cv::rectangle(image, cv::Rect(o.x, o.y, s, arm), cv::Scalar(235), cv::FILLED);
    cv::rectangle(image, cv::Rect(o.x, o.y, arm, s * 6 / 10), cv::Scalar(235), cv::FILLED);
    cv::circle(image, cv::Point(o.x + s * 85 / 100, o.y + s * 45 / 100), std::max(1, s / 10),
               cv::Scalar(235), cv::FILLED);
}

void drawPart(cv::Mat &image, const LeftPart &part)
{
    if (part.size.width < 1 || part.size.height < 1)
        return;
    cv::Point2f corners[4];
    cv::RotatedRect(part.centre, part.size, part.angle).points(corners);
    std::vector<cv::Point> outline, shadowOutline;
    for (const cv::Point2f &corner : corners) {
        outline.emplace_back(cvRound(corner.x), cvRound(corner.y));
        shadowOutline.emplace_back(cvRound(corner.x) + 6, cvRound(corner.y) + 8);
    }
    cv::Mat shadow = cv::Mat::zeros(image.size(), CV_32F);
    cv::fillConvexPoly(shadow, shadowOutline, cv::Scalar(-50));
    cv::GaussianBlur(shadow, shadow, cv::Size(0, 0), 5);
    image += shadow;
    cv::fillConvexPoly(image, outline, cv::Scalar(part.grey));
    cv::polylines(image, outline, true, cv::Scalar(part.grey * 0.8), 2);
}

void applyVignetting(cv::Mat &image, double strength)
{
    if (strength <= 0)
        return;
    const double cx = (image.cols - 1) / 2.0;
    const double cy = (image.rows - 1) / 2.0;
    const double corner = cx * cx + cy * cy;
    for (int y = 0; y < image.rows; ++y) {
        float *row = image.ptr<float>(y);
        const double dy2 = (y - cy) * (y - cy);
        for (int x = 0; x < image.cols; ++x)
            row[x] = float(row[x] * (1.0 - strength * ((x - cx) * (x - cx) + dy2) / corner));
    }
}

cv::Mat render(const MouldLayout &layout, const std::vector<LeftPart> &parts,
               const Conditions &conditions)
{
    cv::Mat image = steelTexture(layout.size, layout.seed);
    for (const Cavity &cavity : layout.cavities)
        drawCavity(image, cavity);
    if (layout.fiducial.size > 0)
        drawFiducial(image, layout.fiducial);
    for (const LeftPart &part : parts)
        drawPart(image, part);
    cv::GaussianBlur(image, image, cv::Size(0, 0), 0.9);

    if (conditions.keystone != 0) {
        cv::warpPerspective(image, image, cv::Mat(cameraTransform(image.size(), conditions)), image.size(),
                            cv::INTER_LINEAR, cv::BORDER_REFLECT);
    } else if (conditions.shift != cv::Point2f(0, 0) || conditions.rotation != 0) {
        const cv::Matx33d move = cameraTransform(image.size(), conditions);
        cv::warpAffine(image, image, cv::Mat(move.get_minor<2, 3>(0, 0)), image.size(), cv::INTER_LINEAR,
                       cv::BORDER_REFLECT);
    }
    image = image * conditions.gain + conditions.offset;
    applyVignetting(image, conditions.vignetting);
    if (conditions.noise > 0) {
        cv::Mat noise(image.size(), CV_32F);
        cv::RNG(0x4015E000ULL + conditions.noiseSeed).fill(noise, cv::RNG::NORMAL, 0, conditions.noise);
        image += noise;
    }
    cv::Mat frame;
    image.convertTo(frame, CV_8U);
    return frame;
}

void reportFailure(const char *what, const cv::Exception &error)
{
    std::fprintf(stderr, "synth: %s failed: %s\n", what, error.what());
}

} // namespace

MouldLayout makeMouldLayout(std::uint32_t seed, cv::Size size)
{
    MouldLayout layout;
    layout.size = size;
    layout.seed = seed;
    if (size.width < SmallestMould || size.height < SmallestMould)
        return layout;

    cv::RNG rng(0x1A1007ULL + seed);
    const int columns = rng.uniform(2, 4);
    const int rows = rng.uniform(1, 3);
    // The cavities take the right part of the frame; the fiducial sits in the left margin.
    const cv::Rect2d area(0.18 * size.width, 0.12 * size.height, 0.76 * size.width, 0.78 * size.height);
    const double cellWidth = area.width / columns;
    const double cellHeight = area.height / rows;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const double x = area.x + column * cellWidth + cellWidth * rng.uniform(0.10, 0.16);
            const double y = area.y + row * cellHeight + cellHeight * rng.uniform(0.10, 0.16);
            Cavity cavity;
            cavity.rect = cv::Rect(cvRound(x), cvRound(y), cvRound(cellWidth * 0.72), cvRound(cellHeight * 0.72));
            const int shorter = std::min(cavity.rect.width, cavity.rect.height);
            cavity.cornerRadius = cvRound(shorter * rng.uniform(0.08, 0.2));
            cavity.pinRadius = std::max(3, cvRound(shorter * rng.uniform(0.035, 0.05)));
            const cv::Point centre = (cavity.rect.tl() + cavity.rect.br()) / 2;
            const int dx = cvRound(cavity.rect.width * 0.32);
            const int dy = cvRound(cavity.rect.height * 0.30);
            const cv::Point spots[4] = {centre + cv::Point(-dx, -dy), centre + cv::Point(dx, dy),
                                        centre + cv::Point(dx, -dy), centre + cv::Point(-dx, dy)};
            const int pins = rng.uniform(2, 5);
            cavity.pins.assign(spots, spots + pins);
            layout.cavities.push_back(cavity);
        }
    }
    layout.fiducial.size = std::max(12, cvRound(0.045 * size.width));
    layout.fiducial.origin = cv::Point(cvRound(size.width * rng.uniform(0.04, 0.07)),
                                       cvRound(size.height * rng.uniform(0.15, 0.65)));
    return layout;
}

LeftPart partInCavity(const MouldLayout &layout, int cavity, float scale, int grey)
{
    LeftPart part;
    if (cavity < 0 || cavity >= int(layout.cavities.size()) || scale <= 0)
        return LeftPart{{0, 0}, {0, 0}, 0, grey};
    const cv::Rect &rect = layout.cavities[size_t(cavity)].rect;
    cv::RNG rng(0x9A57ULL + layout.seed * 31ULL + std::uint64_t(cavity));
    part.centre = cv::Point2f(rect.x + rect.width / 2.0f, rect.y + rect.height / 2.0f);
    part.size = cv::Size2f(rect.width * scale, rect.height * scale * 0.8f);
    part.angle = rng.uniform(-12.0f, 12.0f);
    part.grey = grey;
    return part;
}

cv::Mat renderMould(const MouldLayout &layout, const std::vector<LeftPart> &parts,
                    const Conditions &conditions)
{
    if (layout.size.width <= 0 || layout.size.height <= 0)
        return cv::Mat();
    try {
        return render(layout, parts, conditions);
    } catch (const cv::Exception &error) {
        reportFailure("renderMould", error);
        return cv::Mat();
    }
}

cv::Matx33d cameraTransform(cv::Size size, const Conditions &conditions)
{
    const cv::Point2f centre((size.width - 1) / 2.0f, (size.height - 1) / 2.0f);
    const cv::Mat roll = cv::getRotationMatrix2D(centre, conditions.rotation, 1.0);
    cv::Matx33d move = cv::Matx33d::eye();
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            move(r, c) = roll.at<double>(r, c);
    move(0, 2) += conditions.shift.x;
    move(1, 2) += conditions.shift.y;
    if (conditions.keystone == 0)
        return move;
    // The top corners move inwards by half the keystone each, the bottom ones stay.
    const float w = static_cast<float>(size.width - 1);
    const float h = static_cast<float>(size.height - 1);
    const float inset = static_cast<float>(conditions.keystone * (size.width - 1) / 2.0);
    const cv::Point2f from[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    const cv::Point2f to[4] = {{inset, 0}, {w - inset, 0}, {w, h}, {0, h}};
    const cv::Matx33d tilt(cv::getPerspectiveTransform(from, to));
    return tilt * move;
}

cv::Point2d transformPoint(const cv::Matx33d &transform, cv::Point2d p)
{
    const cv::Vec3d q = transform * cv::Vec3d(p.x, p.y, 1.0);
    return cv::Point2d(q[0] / q[2], q[1] / q[2]);
}

cv::Mat degenerateFrame(Degenerate kind, cv::Size size, std::uint32_t seed)
{
    if (size.width <= 0 || size.height <= 0)
        return cv::Mat();
    switch (kind) {
    case Degenerate::Black:
        return cv::Mat::zeros(size, CV_8U);
    case Degenerate::Saturated:
        return cv::Mat(size, CV_8U, cv::Scalar(255));
    case Degenerate::Flat:
        return cv::Mat(size, CV_8U, cv::Scalar(128));
    case Degenerate::Noise: {
        cv::Mat noise(size, CV_8U);
        cv::RNG(0xD06E0000ULL + seed).fill(noise, cv::RNG::UNIFORM, 0, 256);
        return noise;
    }
    }
    return cv::Mat();
}

cv::Mat faintFrame(const cv::Mat &frame, std::uint32_t seed)
{
    if (frame.empty() || frame.type() != CV_8UC1)
        return cv::Mat();
    cv::Mat blurred;
    cv::GaussianBlur(frame, blurred, cv::Size(0, 0), 3.0);
    cv::Mat out;
    blurred.convertTo(out, CV_32F, 0.5, 72);
    cv::Mat noise(frame.size(), CV_32F);
    cv::RNG(seed).fill(noise, cv::RNG::NORMAL, 0, 2);
    out += noise;
    out.convertTo(out, CV_8U);
    return out;
}

} // namespace synth
