#ifndef BENCH_INSPECTION_ENGINEBENCHSCENE_H
#define BENCH_INSPECTION_ENGINEBENCHSCENE_H

// A camera of the benchmarks: a generated mould, its templates, defect regions in a grid over
// the mould, and the plain OpenCV work that judges the same regions for reference.

#include "inspection/DetectAlgorithm.h"
#include "tests/inspection/EngineTestHost.h"
#include "tools/framegen/MouldSynth.h"

#include <QtGlobal>

#include <opencv2/imgproc.hpp>

#include <memory>
#include <vector>

namespace bench {

// The engine logs and hands every result to the result store, which holds rows back while no
// database is open; the benchmarks keep that quiet.
inline void silenceMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

inline cv::Mat tinted(const cv::Mat &grey)
{
    cv::Mat colour;
    const cv::Mat channels[4] = {grey, grey * 0.8, grey * 0.6, cv::Mat::zeros(grey.size(), CV_8UC1)};
    cv::merge(channels, 4, colour);
    return colour;
}

// The frame a benchmark camera takes: the benchmark frame (a part in one cavity, masks almost
// empty), the light 30 grey levels brighter than the templates (every pixel of every region
// marked), a part in every cavity, or sensor noise of 8 grey levels.
enum class Scene { Benchmark, Light, Parts, Noise };

inline const char *sceneName(Scene scene)
{
    switch (scene) {
    case Scene::Light:
        return "light +30";
    case Scene::Parts:
        return "a part in every cavity";
    case Scene::Noise:
        return "noise 8";
    default:
        return "benchmark frame";
    }
}

// What a benchmark camera is made of.
struct CameraSetup
{
    cv::Size size{1280, 1024};
    bool colour = false;
    std::uint32_t seed = 3;
    int regions = 50;
    int templates = 1;
};

struct Camera
{
    synth::MouldLayout layout;
    EngineTestHost host;
    std::unique_ptr<DetectAlgorithm> engine;
    std::vector<cv::Rect> regions;
    cv::Mat templatePlane;

    // The engine prepares itself with the detection settings in force when it is built.
    explicit Camera(const CameraSetup &setup)
        : layout(synth::makeMouldLayout(setup.seed, setup.size))
        , host(setup.size.width, setup.size.height, setup.colour)
    {
        const cv::Size size = setup.size;
        // Templates sampled under slightly different light and noise, as a station collects them.
        for (int t = 0; t < std::max(1, std::min(setup.templates, EngineTestHost::Slots)); ++t) {
            synth::Conditions sampling;
            sampling.noiseSeed = 100 + std::uint32_t(t);
            sampling.offset = (t % 3) - 1;
            const cv::Mat grey = synth::renderMould(layout, {}, sampling);
            host.setTemplate(0, t, setup.colour ? tinted(grey) : grey);
            if (t == 0)
                templatePlane = grey;
        }
        // Up to 10 x 5 regions over the middle of the image, row by row.
        const int w = size.width * 8 / 100;
        const int h = size.height * 14 / 100;
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 10; ++c)
                if (int(regions.size()) < setup.regions)
                    regions.emplace_back(size.width / 10 + c * (w + w / 8), size.height / 10 + r * (h + h / 8), w, h);
        for (const cv::Rect &rect : regions)
            host.addRect(0, rect, DefectTool);
        engine = std::make_unique<DetectAlgorithm>(&host.config, &host);
    }

    Camera(cv::Size size, bool colour, std::uint32_t seed = 3)
        : Camera(CameraSetup{size, colour, seed, 50, 1})
    {
    }

    // A captured frame: the mould moved (and turned) a little, a part left in one cavity, or
    // one of the hard frames.
    void capture(cv::Point2f shift = cv::Point2f(7, -3), double rotation = 0, Scene scene = Scene::Benchmark)
    {
        synth::Conditions conditions;
        conditions.shift = shift;
        conditions.rotation = rotation;
        std::vector<synth::LeftPart> parts{synth::partInCavity(layout, 0, 0.3f)};
        if (scene == Scene::Light)
            conditions.offset = 30;
        else if (scene == Scene::Noise)
            conditions.noise = 8;
        else if (scene == Scene::Parts)
            for (int i = 1; i < int(layout.cavities.size()); ++i)
                parts.push_back(synth::partInCavity(layout, i, 0.6f));
        const cv::Mat grey = synth::renderMould(layout, parts, conditions);
        host.setFrame(host.colour ? tinted(grey) : grey);
    }

    void trigger()
    {
        engine->registerImage(0);
        engine->locate(0);
        engine->run(0);
    }
};

// The same regions judged with plain OpenCV calls, the engine's region work and nothing more:
// the difference to the template beyond the sensitivity, the opening with the filter kernel,
// the marks written into the result mask, the contours with their areas and boxes. A colour
// frame is converted to grey inside the regions only.
inline int plainRegions(const cv::Mat &frame, const cv::Mat &templ, const std::vector<cv::Rect> &regions, int filter,
                        cv::Mat *result = nullptr)
{
    const cv::Mat kernel = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(filter, filter));
    int ng = 0;
    cv::Mat grey;
    cv::Mat diff;
    cv::Mat marks;
    std::vector<std::vector<cv::Point>> contours;
    for (const cv::Rect &r : regions) {
        if (frame.channels() == 4)
            cv::cvtColor(frame(r), grey, cv::COLOR_BGRA2GRAY);
        else
            grey = frame(r);
        cv::absdiff(grey, templ(r), diff);
        cv::threshold(diff, marks, 25, 255, cv::THRESH_BINARY);
        cv::morphologyEx(marks, marks, cv::MORPH_OPEN, kernel);
        if (result)
            marks.copyTo((*result)(r));
        cv::findContours(marks, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        double area = 0;
        int boxes = 0;
        for (const auto &c : contours) {
            area += cv::contourArea(c);
            boxes += cv::boundingRect(c).width > 0 ? 1 : 0;
        }
        ng += area > 100 || boxes > 99 ? 1 : 0;
    }
    return ng;
}

} // namespace bench

#endif
