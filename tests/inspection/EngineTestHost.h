#ifndef TESTS_INSPECTION_ENGINETESTHOST_H
#define TESTS_INSPECTION_ENGINETESTHOST_H

// A plain camera view for the detection engine: buffers as cv::Mat, the detection settings in
// a record of its own, regions added in one call. Shared by the engine tests and benchmarks.

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "inspection/CammerSingleton.h"
#include "inspection/Circle.h"
#include "inspection/ClustomRect.h"
#include "inspection/DetectionResults.h"
#include "inspection/EngineHost.h"

#include <QJsonObject>
#include <QPair>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

// The detection settings a new station starts with; stage 0 enabled.
struct DetectionSettings
{
    SystemParameters record;
    SystemParameters *previous;

    DetectionSettings() : previous(currentParams)
    {
        record.SetDefaults();
        record[Param::StageEnabled] = 1;      // stage 0
        record[Param::StageEnabled + 1] = 1;      // stage 1
        record[Param::MotionCorrection] = 0;      // motion correction on
        record[Param::TemplateCount] = 10;     // templates per stage
        record[Param::Amplify] = 0;      // amplify
        record[Param::FilterSize] = 3;      // filter size
        record[Param::AlarmArea] = 100;    // alarm area
        record[Param::PositioningOffset] = 8000;   // positioning searches the whole frame
        record[Param::MinimumSpot] = 3;      // minimum spot
        currentParams = &record;
    }
    ~DetectionSettings() { currentParams = previous; }
    qint32 &operator[](int index) { return record[index]; }
};

struct EngineTestHost : EngineHost
{
    static constexpr int Slots = 10;

    int camera = 0;
    int width;
    int height;
    bool colour;
    cv::Mat frame, registered, positioned, plane, result;
    std::vector<std::vector<cv::Mat>> templates;
    std::vector<std::vector<bool>> valid;
    cv::Mat ignore[CammerSingleton::StageCount];
    std::vector<cv::Mat> masks = std::vector<cv::Mat>(CammerSingleton::RegionSlotCount);
    std::vector<cv::Mat> editMasks = std::vector<cv::Mat>(CammerSingleton::RegionSlotCount);
    CammerSingleton config{0};
    CammerSingleton edit{0};
    int shownTemplate = 0;
    bool previewShown = false;
    int repaints = 0;
    std::unique_ptr<DetectionResults> results = std::make_unique<DetectionResults>();
    QVector<QPair<int, int>> queries;
    std::function<QJsonObject(int, int)> answer;

    EngineTestHost(int w, int h, bool isColour = false) : width(w), height(h), colour(isColour)
    {
        const int type = colour ? CV_8UC4 : CV_8UC1;
        frame = cv::Mat::zeros(h, w, type);
        registered = cv::Mat::zeros(h, w, type);
        positioned = cv::Mat::zeros(h, w, type);
        plane = cv::Mat::zeros(h, w, CV_8UC1);
        result = cv::Mat::zeros(h, w, CV_8UC1);
        // Template buffers come with setTemplate: eight cameras of 80 slots each would not fit.
        templates.assign(CammerSingleton::StageCount, std::vector<cv::Mat>(Slots));
        valid.assign(CammerSingleton::StageCount, std::vector<bool>(Slots, false));
        for (int s = 0; s < CammerSingleton::StageCount; ++s) {
            config.shapes.append(QList<ROIInterface *>());
            edit.shapes.append(QList<ROIInterface *>());
        }
    }

    void setTemplate(int stage, int index, const cv::Mat &image)
    {
        image.copyTo(templates[size_t(stage)][size_t(index)]);
        valid[size_t(stage)][size_t(index)] = true;
    }
    void setFrame(const cv::Mat &image) { image.copyTo(frame); }

    // Appends a region to a stage of the active configuration (and the same to the edit copy);
    // the configurations own the shapes. Returns its slot.
    int addRegion(int stage, ROIInterface *shape, int tool, int p1 = 3, int p2 = 25, int p3 = 100)
    {
        shape->updateBounds();
        const int i = config.roiCount[stage]++;
        const int slot = CammerSingleton::slot(stage, i);
        config.param1[slot] = p1;
        config.param2[slot] = p2;
        config.param3[slot] = p3;
        config.toolType[slot] = tool;
        config.shapeType[slot] = shape->typeId();
        config.shapes[stage].append(shape);
        masks[size_t(slot)] = shape->mask();
        edit.copyFrom(config);
        editMasks = masks;
        return slot;
    }
    int addRect(int stage, const cv::Rect &r, int tool, int p1 = 3, int p2 = 25, int p3 = 100)
    {
        auto *shape = new ClustomRect();
        shape->setRect(r.x, r.y, r.width, r.height);
        return addRegion(stage, shape, tool, p1, p2, p3);
    }
    int addCircle(int stage, cv::Point centre, int radius, int tool, int p1 = 3, int p2 = 25, int p3 = 100)
    {
        auto *shape = new Circle();
        shape->xc = centre.x;
        shape->yc = centre.y;
        shape->r = radius;
        shape->normalize();
        return addRegion(stage, shape, tool, p1, p2, p3);
    }

    int cameraIndex() const override { return camera; }
    int imageWidth() const override { return width; }
    int imageHeight() const override { return height; }
    bool isColor() const override { return colour; }
    cv::Mat frameImage() override { return frame; }
    cv::Mat registeredImage() override { return registered; }
    cv::Mat positionedImage() override { return positioned; }
    cv::Mat colourPlane() override { return plane; }
    cv::Mat resultMask() override { return result; }
    cv::Mat templateImage(int stage, int index) override
    {
        if (stage < 0 || stage >= CammerSingleton::StageCount || index < 0 || index >= Slots)
            return cv::Mat();
        return templates[size_t(stage)][size_t(index)];
    }
    bool templateValid(int stage, int index) const override
    {
        return stage >= 0 && stage < CammerSingleton::StageCount && index >= 0 && index < Slots
            && valid[size_t(stage)][size_t(index)];
    }
    int validTemplateCount(int stage) const override
    {
        int n = 0;
        for (bool v : valid[size_t(stage)])
            n += v ? 1 : 0;
        return n;
    }
    cv::Mat ignoreMask(int stage) override { return ignore[stage]; }
    cv::Mat roiMask(int slot) override { return masks[size_t(slot)]; }
    cv::Mat editRoiMask(int slot) override { return editMasks[size_t(slot)]; }
    const CammerSingleton *editConfig() const override { return &edit; }
    int currentTemplate() const override { return shownTemplate; }
    DetectionResults &detectionResults() override { return *results; }
    QJsonObject QueryCamera(int detect, int funcNO) override
    {
        queries.append(qMakePair(detect, funcNO));
        return answer ? answer(detect, funcNO) : QJsonObject();
    }
    void markPreviewShown() override { previewShown = true; }
    void repaintView() override { ++repaints; }
};

#endif
