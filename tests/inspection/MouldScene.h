#ifndef TESTS_INSPECTION_MOULDSCENE_H
#define TESTS_INSPECTION_MOULDSCENE_H

// A generated mould seen by one mono camera, with the regions an operator would draw: one
// defect region over each cavity (the first cavity split into two regions side by side) and
// the template taken from a good frame. Frames and their expected verdicts are made at run time.

#include "inspection/DetectAlgorithm.h"
#include "inspection/DetectionResults.h"
#include "tests/inspection/EngineTestHost.h"
#include "tools/framegen/MouldSynth.h"

#include <iterator>
#include <memory>
#include <vector>

struct MouldScene
{
    static constexpr int Stage = 0;
    // Regions keep this far from the image border, beyond the largest move the tests make.
    static constexpr int BorderMargin = 40;

    synth::MouldLayout layout;
    EngineTestHost host;
    std::unique_ptr<DetectAlgorithm> engine;
    // The two halves of cavity 0, then one region per further cavity.
    std::vector<cv::Rect> regions;

    explicit MouldScene(cv::Size size = cv::Size(640, 480), std::uint32_t seed = 3)
        : layout(synth::makeMouldLayout(seed, size))
        , host(size.width, size.height)
    {
        synth::Conditions sampling;
        sampling.noiseSeed = 100;
        host.setTemplate(Stage, 0, synth::renderMould(layout, {}, sampling));
        const cv::Rect inner(BorderMargin, BorderMargin, size.width - 2 * BorderMargin,
                             size.height - 2 * BorderMargin);
        for (size_t c = 0; c < layout.cavities.size(); ++c) {
            const cv::Rect r = cavityRegion(int(c)) & inner;
            if (c == 0) {
                regions.push_back(cv::Rect(r.x, r.y, r.width / 2, r.height));
                regions.push_back(cv::Rect(r.x + r.width / 2, r.y, r.width - r.width / 2, r.height));
            } else {
                regions.push_back(r);
            }
        }
        for (const cv::Rect &r : regions)
            host.addRect(Stage, r, DefectTool);
    }

    // The cavity with its rim.
    cv::Rect cavityRegion(int cavity) const
    {
        const cv::Rect &c = layout.cavities[size_t(cavity)].rect;
        return cv::Rect(c.x - 6, c.y - 6, c.width + 12, c.height + 12);
    }
    cv::Point2f cavityCentre(int cavity) const
    {
        const cv::Rect &c = layout.cavities[size_t(cavity)].rect;
        return cv::Point2f(c.x + c.width / 2.0f, c.y + c.height / 2.0f);
    }
    // On the line between the two regions of cavity 0, half way down.
    cv::Point2f regionBorder() const
    {
        return cv::Point2f(float(regions[1].x), cavityCentre(0).y);
    }

    // Builds the engine (which prepares the enabled stages) once the scene is complete.
    DetectAlgorithm &prepare()
    {
        engine = std::make_unique<DetectAlgorithm>(&host.config, &host);
        return *engine;
    }

    // One capture as the run controller makes it.
    bool judge(const cv::Mat &frame)
    {
        if (!engine)
            prepare();
        host.setFrame(frame);
        engine->registerImage(Stage);
        engine->locate(Stage);
        engine->run(Stage);
        return host.results->resultOk;
    }

    // What the last judgement left: the verdicts, values and boxes of every region, the
    // positioned picture and the result marks.
    struct Outcome
    {
        bool ok = true;
        std::vector<int> regionOk;
        std::vector<int> values;
        std::vector<int> boxes;
        cv::Mat positioned;
        cv::Mat marks;
    };
    Outcome outcome() const
    {
        Outcome o;
        const DetectionResults &r = *host.results;
        o.ok = r.resultOk;
        for (int i = 0; i < host.config.roiCount[Stage]; ++i) {
            o.regionOk.push_back(r.roiOk[Stage][i] ? 1 : 0);
            o.values.push_back(r.roiValue[i]);
            for (int b = 0; b <= r.roiBoxes[i][0][0]; ++b)
                o.boxes.insert(o.boxes.end(), std::begin(r.roiBoxes[i][b]), std::end(r.roiBoxes[i][b]));
        }
        o.positioned = host.positioned.clone();
        o.marks = host.result.clone();
        return o;
    }

    static synth::LeftPart part(cv::Point2f centre, int size, int grey)
    {
        synth::LeftPart p;
        p.centre = centre;
        p.size = cv::Size2f(float(size), float(size));
        p.angle = 0;
        p.grey = grey;
        return p;
    }
};

#endif
