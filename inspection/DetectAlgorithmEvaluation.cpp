// The per-region evaluation of DetectAlgorithm: run and preview.

#include "inspection/DetectAlgorithm.h"

#include "core/Clock.h"
#include "core/StationHost.h"
#include "core/TemperatureChartData.h"
#include "inspection/BinaryMorphology.h"
#include "inspection/DetectAlgorithmInternals.h"
#include "inspection/DetectionResults.h"
#include "inspection/EngineHost.h"
#include "inspection/OpenCvGuard.h"
#include "inspection/ROIInterface.h"

#include <QJsonValue>
#include <QtDebug>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>
#include <cmath>

using namespace detection;

namespace {

// Larger kernels than this only cost time: no region is that small and still meaningful.
constexpr int MaxKernel = 255;

int lowByte(int v) { return v & 0xFF; }
int secondByte(int v) { return (v >> 8) & 0xFF; }
// The lower 16 bits as a signed number.
int lowHalf(int v) { return static_cast<qint16>(static_cast<quint16>(v & 0xFFFF)); }

bool isGreyRangeTool(int tool)
{
    return tool == SpotTool || tool == BlackAreaTool || tool == WhiteAreaTool || tool == WhiteCountTool;
}

// The grey range a pixel tool marks.
void greyRange(int tool, int p1, int p2, int &lo, int &hi)
{
    if (tool == SpotTool) {
        lo = std::min(lowByte(p1), secondByte(p1));
        hi = std::max(lowByte(p1), secondByte(p1));
    } else if (tool == BlackAreaTool) {
        lo = 0;
        hi = lowByte(p2);
    } else {
        lo = lowByte(p2);
        hi = 255;
    }
}

// Opening (or closing) with the elliptic kernel; the marks are 0 or 255, so the run-based
// morphology gives OpenCV's pixels at a cost that hardly grows with the kernel.
void morphology(cv::Mat &mask, int operation, int size)
{
    const int k = std::clamp(size, 1, MaxKernel);
    if (operation == cv::MORPH_CLOSE)
        closeBinary(mask, k);
    else
        openBinary(mask, k);
}

// The marks of a grey-range tool: pixels in range among the used ones, closed first for the
// blob count, then opened.
cv::Mat greyRangeMarks(int tool, int p1, int p2, const cv::Mat &image, const cv::Mat &used, int filter)
{
    int lo = 0;
    int hi = 0;
    greyRange(tool, p1, p2, lo, hi);
    cv::Mat marks;
    grayRangeMask(image, marks, lo, hi);
    cv::bitwise_and(marks, used, marks);
    if (tool == WhiteCountTool)
        morphology(marks, cv::MORPH_CLOSE, std::max(p1, 1));
    morphology(marks, cv::MORPH_OPEN, tool == WhiteCountTool ? std::max(p1, 1) : filter);
    return marks;
}

// The integer part of the running sum of the contours' areas.
int summedArea(const std::vector<std::vector<cv::Point>> &contours)
{
    double total = 0;
    for (const std::vector<cv::Point> &c : contours)
        total = std::trunc(total + cv::contourArea(c));
    return total < INT_MAX ? static_cast<int>(total) : INT_MAX;
}

// A measured number as an int, false when it is none.
bool wholeNumber(const QJsonValue &value, int &out)
{
    if (!value.isDouble())
        return false;
    const double v = std::trunc(value.toDouble());
    if (!std::isfinite(v) || v < INT_MIN || v > INT_MAX)
        return false;
    out = static_cast<int>(v);
    return true;
}

} // namespace

void grayRangeMask(const cv::Mat &image, cv::Mat &out, int lo, int hi)
{
    if (image.empty() || image.type() != CV_8UC1)
        return;
    if (lo > hi) {
        out = cv::Mat::zeros(image.size(), CV_8UC1);
        return;
    }
    cv::inRange(image, cv::Scalar(lo), cv::Scalar(hi), out);
}

void DetectAlgorithm::reportRegionError(int stage, int code, Evaluation &evaluation)
{
    view->detectionResults().resultOk = false;
    const QString text = QStringLiteral("REG RUN ERROR = %1, %2, %3").arg(view->cameraIndex()).arg(stage).arg(code);
    qWarning("%s", qPrintable(text));
    evaluation.errors.append(text);
}

void DetectAlgorithm::recordBoxes(int slot, const Region &geometry, const std::vector<std::vector<cv::Point>> &contours)
{
    int (*boxes)[4] = view->detectionResults().roiBoxes[slot];
    const int count = std::min(static_cast<int>(contours.size()), MaxBoxes);
    for (int n = 0; n < count; ++n) {
        const cv::Rect box = cv::boundingRect(contours[size_t(n)]) + geometry.rect.tl();
        boxes[n + 1][0] = box.x;
        boxes[n + 1][1] = box.y;
        boxes[n + 1][2] = box.x + box.width;
        boxes[n + 1][3] = box.y + box.height;
    }
    boxes[0][0] = count;
}

void DetectAlgorithm::run(int stage)
{
    evaluate(stage);
    publish();
}

void DetectAlgorithm::judge(int stage)
{
    // A frame that registration leaves as it came is read where it lies, not copied.
    position(stage, true, view && !align(stage));
    evaluate(stage);
}

void DetectAlgorithm::clearMarks(cv::Mat &resultMask, const std::vector<cv::Rect> &rewritten)
{
    if (markedMask != resultMask.data) {
        resultMask.setTo(0);
    } else {
        const cv::Rect whole(0, 0, resultMask.cols, resultMask.rows);
        for (const cv::Rect &r : markedAreas)
            if (std::find(rewritten.begin(), rewritten.end(), r) == rewritten.end())
                resultMask(r & whole).setTo(0);
    }
    markedMask = resultMask.data;
    markedAreas.clear();
}

bool DetectAlgorithm::judgesOffThread(int stage) const
{
    if (!config || !validStage(stage))
        return false;
    for (int i = 0; i < regionCount(*config, stage); ++i) {
        if (config->toolType[CammerSingleton::slot(stage, i)] == TemperatureTool)
            return false;
    }
    return true;
}

void DetectAlgorithm::evaluate(int stage)
{
    pending.reset();
    if (!view || !config)
        return;
    if (!validStage(stage)) {
        qWarning("Detection of stage %d refused: no such stage", stage);
        return;
    }
    DetectionResults &results = view->detectionResults();
    results.passVerdicts();
    const int count = regionCount(*config, stage);
    for (int i = 0; i < count; ++i)
        results.roiOk[stage][i] = true;
    const int camera = view->cameraIndex();
    if (camera >= 0 && camera < 8 && parameter(Param::CameraEnabled + camera) == 0)
        return;

    pending = std::make_unique<Evaluation>();
    Evaluation &evaluation = *pending;
    evaluation.stage = stage;
    evaluation.start = wallClock()->now();

    cv::Mat source = planeOf(view->positionedImage());
    evaluation.resultMask = view->resultMask();
    if (source.empty() || !fitsPlane(evaluation.resultMask)) {
        qCritical("Camera %d: image buffers do not fit the camera; stage %d judged NG", camera, stage);
        results.resultOk = false;
        return;
    }
    if (parameter(Param::MatchBrightness) != 0 && templateNorm[stage] > 0) {
        cv::Mat normalized;
        if (runGuarded("Brightness matching",
                       [&] { cv::normalize(source, normalized, templateNorm[stage], 0, cv::NORM_L2); }))
            source = normalized;
    }
    // Every region that judges pixels writes its whole rectangle of the mask again.
    std::vector<cv::Rect> rewritten;
    if (fitsPlane(validMask[stage])) {
        for (int i = 0; i < count; ++i) {
            const int slot = CammerSingleton::slot(stage, i);
            const int tool = config->toolType[slot];
            Region region;
            if (tool >= DefectTool && tool <= AngleCorrectionTool && tool != IgnoreTool && tool != PositionTool
                && tool != AngleCorrectionTool && tool != TemperatureTool
                && regionGeometry(shapeAt(*config, stage, i), view->roiMask(slot), region) == 0)
                rewritten.push_back(region.rect);
        }
    }
    clearMarks(evaluation.resultMask, rewritten);

    for (int i = 0; i < count; ++i)
        evaluateRegion(stage, i, source, evaluation);

    evaluation.publishes = !evaluation.details.isEmpty() || !evaluation.verdicts.isEmpty();
}

void DetectAlgorithm::publish()
{
    const std::unique_ptr<Evaluation> evaluation = std::move(pending);
    if (!evaluation || !view)
        return;
    if (stationHost) {
        for (const QString &text : evaluation->errors)
            stationHost->InsertRecord(text);
    }
    if (!evaluation->publishes)
        return;
    TemperatureChartData *store = TemperatureChartData::instance();
    CycleResult record = store->currentCycle();
    record.detect = evaluation->stage;
    record.detectStart = evaluation->start;
    record.roiDetail = evaluation->details;
    record.roiResult = evaluation->verdicts;
    record.result = view->detectionResults().resultOk ? 1 : 0;
    store->SetCurrentCycle(record);
    store->AppendCycleData();
    store->InsertResult();
}

void DetectAlgorithm::evaluateRegion(int stage, int i, const cv::Mat &source, Evaluation &evaluation)
{
    DetectionResults &results = view->detectionResults();
    const int slot = CammerSingleton::slot(stage, i);
    const int tool = config->toolType[slot];
    const int p1 = config->param1[slot];
    const int p2 = config->param2[slot];
    const int p3 = config->param3[slot];
    results.roiValue[slot] = 0;
    results.roiBoxes[slot][0][0] = 0;
    if (tool == IgnoreTool || tool == PositionTool || tool == AngleCorrectionTool)
        return;
    if (tool < DefectTool || tool > AngleCorrectionTool) {
        qWarning("Camera %d stage %d region %d: tool %d is not defined", view->cameraIndex(), stage, i + 1, tool);
        reportRegionError(stage, MaskError, evaluation);
        return;
    }
    Region region;
    const int code = regionGeometry(shapeAt(*config, stage, i), view->roiMask(slot), region);
    const int error = code == MaskError ? MaskError : !fitsPlane(validMask[stage]) ? ValidMaskError : code;
    if (error != 0) {
        reportRegionError(stage, error, evaluation);
        return;
    }
    if (tool == TemperatureTool) {
        evaluateTemperature(stage, i, evaluation);
        return;
    }

    int value = 0;
    int boxes = 0;
    float similarity = 0;
    const bool evaluated = runGuarded("Region evaluation", [&] {
        const cv::Mat image = source(region.rect);
        // The engine's own buffer, grown to the largest region: no allocation per region.
        if (marksBuffer.rows < region.rect.height || marksBuffer.cols < region.rect.width)
            marksBuffer.create(std::max(marksBuffer.rows, region.rect.height),
                               std::max(marksBuffer.cols, region.rect.width), CV_8UC1);
        cv::Mat marks = marksBuffer(cv::Rect(cv::Point(0, 0), region.rect.size()));
        marks.setTo(0);
        int filter = 1;
        if (tool == DefectTool) {
            filter = parameter(Param::RegionParameters) ? p1 : parameter(Param::FilterSize);
            if (contourModels[size_t(slot)].isReady())
                contourModels[size_t(slot)].compare(image, marks);
            morphology(marks, cv::MORPH_OPEN, filter);
        } else if (tool == SimilarityTool) {
            similarity = similarityMatchers[size_t(slot)].score(image, marks);
        } else if (isGreyRangeTool(tool)) {
            cv::Mat used;
            cv::bitwise_and(validMask[stage](region.rect), region.mask, used);
            marks = greyRangeMarks(tool, p1, p2, image, used, parameter(Param::MinimumSpot));
        }
        marks.copyTo(evaluation.resultMask(region.rect));
        markedAreas.push_back(region.rect);
        std::vector<std::vector<cv::Point>> contours;
        cv::findContours(marks, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        value = summedArea(contours);
        recordBoxes(slot, region, contours);
        boxes = results.roiBoxes[slot][0][0];
    });
    if (!evaluated) {
        // Its rectangle may still hold the marks of the last evaluation.
        runGuarded("Result mask", [&] { evaluation.resultMask(region.rect).setTo(0); });
        reportRegionError(stage, MaskError, evaluation);
        return;
    }

    bool ok = true;
    QList<int> row;
    switch (tool) {
    case SpotTool:
        ok = !(value < p2 || value > p3);
        row = {SpotTool, value, p2, p3, lowByte(p1), secondByte(p1)};
        break;
    case BlackAreaTool:
    case WhiteAreaTool:
        ok = !(value > p3);
        break;
    case SimilarityTool:
        value = static_cast<int>(similarity);
        ok = !(value < p2);
        break;
    case WhiteCountTool:
        value = boxes;
        ok = !(value > p3);
        break;
    default: {
        // Defect detection, and "nothing" (tool 8), which always measures 0.
        const int limit = parameter(Param::RegionParameters) ? p3 : parameter(Param::AlarmArea);
        ok = parameter(Param::InvertedArea) ? !(value < limit) : !(value > limit);
        row = {tool, value, p2, limit, p1};
        break;
    }
    }
    results.roiValue[slot] = value;
    results.roiOk[stage][i] = ok;
    results.regionResultOk = results.regionResultOk && ok;
    if (!ok)
        results.resultOk = false;
    evaluation.details.append(row);
    evaluation.verdicts.append(ok ? 1 : 0);
}

void DetectAlgorithm::evaluateTemperature(int stage, int i, Evaluation &evaluation)
{
    DetectionResults &results = view->detectionResults();
    const int slot = CammerSingleton::slot(stage, i);
    int (*boxes)[4] = results.roiBoxes[slot];
    boxes[0][0] = -1;
    boxes[0][1] = -1;
    const QJsonObject reply = view->QueryCamera(stage, i);
    int value = 0;
    // No reading is a failed measurement, never a temperature of 0 that passes an upper limit.
    if (!wholeNumber(reply.value(QStringLiteral("value")), value)) {
        qWarning("Camera %d stage %d region %d: the camera gave no temperature", view->cameraIndex(), stage, i + 1);
        reportRegionError(stage, MaskError, evaluation);
        return;
    }
    results.roiValue[slot] = value;
    if (stationHost)
        stationHost->appendMeasurementValue(value);
    const QJsonValue px = reply.value(QStringLiteral("point_x"));
    const QJsonValue py = reply.value(QStringLiteral("point_y"));
    if (px.isDouble() && py.isDouble()) {
        const double x = std::trunc(px.toDouble() * view->imageWidth());
        const double y = std::trunc(py.toDouble() * view->imageHeight());
        if (std::isfinite(x) && std::isfinite(y) && std::abs(x) < INT_MAX && std::abs(y) < INT_MAX) {
            boxes[0][0] = static_cast<int>(x);
            boxes[0][1] = static_cast<int>(y);
        }
    }
    const int p1 = config->param1[slot];
    const int p2 = config->param2[slot];
    const int p3 = config->param3[slot];
    const int lo = std::min(lowHalf(p2), lowHalf(p3));
    const int hi = std::max(lowHalf(p2), lowHalf(p3));
    const bool ok = value >= lo && value <= hi;
    results.roiOk[stage][i] = ok;
    results.temperatureResultOk = results.temperatureResultOk && ok;
    if (!ok && parameter(Param::TemperatureNoStop) == 0)
        results.resultOk = false;
    evaluation.details.append(QList<int>{TemperatureTool, value, lowHalf(p2), lowHalf(p3), lowHalf(p1)});
    evaluation.verdicts.append(ok ? 1 : 0);
}

void DetectAlgorithm::preview(int stage, int i)
{
    if (!view || !validStage(stage) || i < 0 || i >= MaxRegions)
        return;
    const CammerSingleton *edit = view->editConfig();
    DetectionResults &results = view->detectionResults();
    const int slot = CammerSingleton::slot(stage, i);
    const cv::Mat image = view->isColor() ? view->colourPlane() : view->templateImage(stage, view->currentTemplate());
    cv::Mat result = view->resultMask();
    if (!fitsPlane(result))
        return;
    clearMarks(result);
    results.roiValue[slot] = 0;
    results.roiBoxes[slot][0][0] = 0;
    if (!edit || i >= regionCount(*edit, stage))
        return;
    const int tool = edit->toolType[slot];
    if (tool == DefectTool || tool == IgnoreTool || tool == PositionTool || tool == SimilarityTool
        || tool == AngleCorrectionTool || tool < DefectTool || tool > AngleCorrectionTool) {
        view->repaintView();
        return;
    }
    Region region;
    if (regionGeometry(shapeAt(*edit, stage, i), view->editRoiMask(slot), region) != 0 || !fitsPlane(image))
        return;
    runGuarded("Region preview", [&] {
        cv::Mat marks;
        if (isGreyRangeTool(tool)) {
            // A stage that was never prepared has no valid mask yet: the shape alone limits it.
            cv::Mat used = region.mask;
            if (fitsPlane(validMask[stage]))
                cv::bitwise_and(validMask[stage](region.rect), region.mask, used);
            marks = greyRangeMarks(tool, edit->param1[slot], edit->param2[slot], image(region.rect), used,
                                   parameter(Param::MinimumSpot));
            marks.copyTo(result(region.rect));
            markedAreas.push_back(region.rect);
        }
        if (tool == TemperatureTool || marks.empty())
            return;
        std::vector<std::vector<cv::Point>> contours;
        cv::findContours(marks, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
        results.roiValue[slot] = tool == WhiteCountTool ? static_cast<int>(contours.size()) : summedArea(contours);
    });
    view->markPreviewShown();
    view->repaintView();
}
