#pragma once

// Scenes for the positioning drawn apart from the fixed truth classes: their own seeds, targets
// placed anywhere the kind allows, and the truth of every frame known. Kinds:
//  - cut off: a target around the fiducial, 20 to 45 % of it beyond one of the four frame edges;
//  - small: a 120 x 90 target anywhere in the mould (much of the mould is plain steel);
//  - any size: a target of 80 to 400 pixels a side anywhere in the mould;
//  - look-alikes: copies of the target, each with a small blemish of its own, pasted into the
//    mould at 9 to 12 places far from it (more than the search keeps on its coarsest level);
//  - registered: the fiducial's neighbourhood just beyond the left edge (2 to 8 pixels), the frame
//    registered onto the template first, as the engine does, and searched in the registered image;
//  - no turn: the mould moved but not turned, searched with a small turn range.
// A scene holds the template, the frame to search (registered when the kind asks for it), the
// target and the transform from template to searched-frame coordinates.

#include "inspection/ImageRegistration.h"
#include "tools/framegen/MouldSynth.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace bench {

enum class SceneKind { CutOff, Small, AnySize, Lookalikes, Registered, NoTurn };

struct PositioningScene
{
    cv::Mat templ;
    cv::Mat frame;
    cv::Rect target;
    // Template to searched-frame coordinates.
    cv::Matx33d truth = cv::Matx33d::eye();
    // Whether the frame was registered (registered kinds only).
    bool registered = false;
};

namespace scenes {

inline cv::Rect around(cv::Point centre, cv::Size size)
{
    return cv::Rect(centre.x - size.width / 2, centre.y - size.height / 2, size.width, size.height);
}

// A rect of the given size at a random place wholly inside the frame, margin pixels from its edges.
inline cv::Rect anywhere(cv::RNG &rng, cv::Size frame, cv::Size size, int margin)
{
    return cv::Rect(rng.uniform(margin, frame.width - size.width - margin + 1),
                    rng.uniform(margin, frame.height - size.height - margin + 1), size.width, size.height);
}

// Copies the target (with a blemish each) to far places of the template and, where the camera
// sees those places, of the frame.
inline void pasteLookalikes(cv::RNG &rng, const cv::Rect &target, const cv::Matx33d &camera, cv::Mat &templ,
                            cv::Mat &frame)
{
    const cv::Size size = templ.size();
    const cv::Mat original = templ(target).clone();
    cv::Mat footprint = cv::Mat::zeros(size, CV_8UC1);
    footprint(target).setTo(255);
    const cv::Mat move(camera.get_minor<2, 3>(0, 0));
    cv::Mat seen;
    cv::warpAffine(footprint, seen, move, size, cv::INTER_NEAREST);
    const cv::Mat frameCopy = frame.clone();
    const int copies = rng.uniform(9, 13);
    const int gap = std::max(target.width, target.height) / 2;
    std::vector<cv::Rect> taken{target};
    for (int tries = 0; tries < 400 && int(taken.size()) <= copies; ++tries) {
        const cv::Rect place = anywhere(rng, size, target.size(), 40);
        const cv::Rect grown(place.x - gap, place.y - gap, place.width + 2 * gap, place.height + 2 * gap);
        if (std::any_of(taken.begin(), taken.end(), [&](const cv::Rect &r) { return (r & grown).area() > 0; }))
            continue;
        taken.push_back(place);
        // A blemish: a small spot, darker or brighter, somewhere on the copy.
        const int radius = std::max(3, std::min(target.width, target.height) / 12);
        const cv::Point spot(rng.uniform(radius, target.width - radius), rng.uniform(radius, target.height - radius));
        const int grey = rng.uniform(0, 2) ? 30 : 230;
        original.copyTo(templ(place));
        cv::circle(templ(place), spot, radius, cv::Scalar(grey), cv::FILLED, cv::LINE_AA);
        // On the frame the copy lies where the camera puts the place: the target's view moved
        // by the turned offset between the two.
        const cv::Point2d d(place.x - target.x, place.y - target.y);
        const cv::Point2d turned(camera(0, 0) * d.x + camera(0, 1) * d.y, camera(1, 0) * d.x + camera(1, 1) * d.y);
        const cv::Mat shift = (cv::Mat_<double>(2, 3) << 1, 0, turned.x, 0, 1, turned.y);
        cv::Mat moved;
        cv::Mat movedSeen;
        cv::warpAffine(frameCopy, moved, shift, size, cv::INTER_LINEAR);
        cv::warpAffine(seen, movedSeen, shift, size, cv::INTER_NEAREST);
        moved.copyTo(frame, movedSeen);
        const cv::Point2d at(place.x + spot.x, place.y + spot.y);
        const cv::Point2d onFrame(camera(0, 0) * at.x + camera(0, 1) * at.y + camera(0, 2),
                                  camera(1, 0) * at.x + camera(1, 1) * at.y + camera(1, 2));
        cv::circle(frame, cv::Point(cvRound(onFrame.x * 16), cvRound(onFrame.y * 16)), radius * 16, cv::Scalar(grey),
                   cv::FILLED, cv::LINE_AA, 4);
    }
}

} // namespace scenes

// The scene of one seed. range is the turn the camera may make (degrees, 0 none).
inline PositioningScene makePositioningScene(SceneKind kind, bool sparse, double range, std::uint32_t seed,
                                             cv::Size frameSize)
{
    PositioningScene scene;
    cv::RNG rng(0x5CE7E5ULL + seed);
    const synth::MouldLayout layout = synth::makeMouldLayout(11 + seed % 17, frameSize);
    const synth::Fiducial &f = layout.fiducial;
    synth::Conditions sampling;
    sampling.noiseSeed = 7000 + seed;
    scene.templ = synth::renderMould(layout, {}, sampling);
    synth::Conditions conditions;
    conditions.noiseSeed = 9000 + seed;
    conditions.shift = cv::Point2f(float(rng.uniform(-25.0, 25.0)), float(rng.uniform(-25.0, 25.0)));
    conditions.rotation = range > 0 ? rng.uniform(-range, range) : 0.0;
    switch (kind) {
    case SceneKind::CutOff: {
        const cv::Size size(cvRound(f.size * rng.uniform(1.3, 2.4)), cvRound(f.size * rng.uniform(1.3, 2.4)));
        scene.target = scenes::around(f.origin + cv::Point(rng.uniform(-8, 9), rng.uniform(-8, 9)), size)
            & cv::Rect(cv::Point(0, 0), frameSize);
        const cv::Rect &t = scene.target;
        const double cut = rng.uniform(0.20, 0.45);
        switch (rng.uniform(0, 4)) {
        case 0:   // left
            conditions.shift.x = float(-(t.x + cut * t.width));
            break;
        case 1:   // right
            conditions.shift.x = float(frameSize.width - (t.x + (1 - cut) * t.width));
            break;
        case 2:   // top
            conditions.shift.y = float(-(t.y + cut * t.height));
            break;
        default:  // bottom
            conditions.shift.y = float(frameSize.height - (t.y + (1 - cut) * t.height));
            break;
        }
        break;
    }
    case SceneKind::Small:
        scene.target = scenes::anywhere(rng, frameSize, cv::Size(120, 90), 50);
        break;
    case SceneKind::AnySize:
        scene.target = scenes::anywhere(rng, frameSize, cv::Size(rng.uniform(80, 401), rng.uniform(80, 401)), 50);
        break;
    case SceneKind::Lookalikes:
        scene.target = scenes::around(f.origin + cv::Point(rng.uniform(-10, 11), rng.uniform(-10, 11)),
                                      cv::Size(rng.uniform(90, 161), rng.uniform(70, 131)))
            & cv::Rect(cv::Point(0, 0), frameSize);
        break;
    case SceneKind::Registered: {
        const int side = f.size * 8 / 5;
        scene.target = cv::Rect(f.origin.x - f.size / 4, f.origin.y - f.size / 4 - side / 2, side, side + side / 2)
            & cv::Rect(cv::Point(0, 0), frameSize);
        conditions.shift.x = float(-(scene.target.x + rng.uniform(2.0, 8.0)));
        break;
    }
    case SceneKind::NoTurn:
        scene.target = rng.uniform(0, 2)
            ? cv::Rect(frameSize.width / 4, frameSize.height / 4, frameSize.width / 2, frameSize.height / 2)
            : scenes::around(f.origin + cv::Point(40, 25), cv::Size(120, 90));
        conditions.rotation = 0;
        break;
    }
    scene.frame = synth::renderMould(layout, {}, conditions);
    scene.truth = synth::cameraTransform(frameSize, conditions);
    if (kind == SceneKind::Lookalikes)
        scenes::pasteLookalikes(rng, scene.target, scene.truth, scene.templ, scene.frame);
    if (sparse) {
        scene.templ = synth::faintFrame(scene.templ, 7100 + seed);
        scene.frame = synth::faintFrame(scene.frame, 7200 + seed);
    }
    if (kind == SceneKind::Registered) {
        // The engine's default registration area, and its registration of the frame.
        cv::Mat mask = cv::Mat::zeros(frameSize, CV_8UC1);
        mask(cv::Rect(frameSize.width / 4, frameSize.height / 4, frameSize.width * 3 / 4, frameSize.height * 3 / 4)
                 & cv::Rect(cv::Point(0, 0), frameSize))
            .setTo(255);
        ImageRegistration registration;
        registration.setReference(scene.templ, mask);
        cv::Mat registered;
        if (registration.align(scene.frame, registered, 0.4f)) {
            scene.frame = registered;
            scene.truth = cv::Matx33d(registration.lastHomography()) * scene.truth;
            scene.registered = true;
        }
    }
    return scene;
}

} // namespace bench
