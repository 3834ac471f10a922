#include "inspection/DetectAlgorithm.h"

#include "core/Globals.h"
#include "core/StationHost.h"
#include "core/SystemParameters.h"
#include "inspection/DetectAlgorithmInternals.h"
#include "inspection/DetectionRuntime.h"
#include "inspection/EngineHost.h"
#include "inspection/FrameConversions.h"
#include "inspection/OpenCvGuard.h"
#include "inspection/ROIInterface.h"

#include <QtDebug>

#include <algorithm>
#include <cstring>

using namespace detection;

namespace detection {

int parameter(int index)
{
    if (!currentParams || index < 0 || index >= SystemParameters::Count)
        return 0;
    return (*currentParams)[index];
}

const ROIInterface *shapeAt(const CammerSingleton &config, int stage, int region)
{
    if (stage < 0 || stage >= config.shapes.size() || region < 0 || region >= config.shapes[stage].size())
        return nullptr;
    return config.shapes[stage][region];
}

int regionCount(const CammerSingleton &config, int stage)
{
    if (!validStage(stage))
        return 0;
    return std::clamp(config.roiCount[stage], 0, DetectAlgorithm::MaxRegions);
}

} // namespace detection

namespace {

// The rotation range of the positioning search, 0 without angle correction.
int rotationRange()
{
    const int range = parameter(Param::RotationRange);
    return (range >= 1 && range <= 180) ? range : 0;
}

// Templates a stage may hold (parameter 135, kept to its own range).
int maxTemplateCount() { return std::clamp(parameter(Param::TemplateCount), 1, 100); }

} // namespace

DetectAlgorithm::DetectAlgorithm(CammerSingleton *configuration, EngineHost *host)
    : config(configuration)
    , view(host)
    , contourModels(SlotCount)
    , similarityMatchers(SlotCount)
{
    if (!config || !view) {
        qCritical("Detection engine built without its configuration or camera view; it judges nothing");
        return;
    }
    for (int stage = 0; stage < StageCount; ++stage) {
        if (parameter(Param::StageEnabled + stage) == 0)
            continue;
        buildRegistrationReference(stage);
        buildPositioningModel(stage);
        prepareComparators(stage);
    }
}

DetectAlgorithm::~DetectAlgorithm() = default;

bool DetectAlgorithm::fitsFrame(const cv::Mat &image) const
{
    return !image.empty() && image.cols == view->imageWidth() && image.rows == view->imageHeight()
        && image.type() == (view->isColor() ? CV_8UC4 : CV_8UC1);
}

bool DetectAlgorithm::fitsPlane(const cv::Mat &image) const
{
    return !image.empty() && image.cols == view->imageWidth() && image.rows == view->imageHeight()
        && image.type() == CV_8UC1;
}

cv::Mat DetectAlgorithm::planeOf(const cv::Mat &image)
{
    if (!fitsFrame(image))
        return cv::Mat();
    if (!view->isColor())
        return image;
    cv::Mat plane = view->colourPlane();
    if (!fitsPlane(plane) || !image.isContinuous() || !plane.isContinuous())
        return cv::Mat();
    if (colorToGray)
        rgb32ToGray(plane.data, reinterpret_cast<const uint *>(image.data), image.cols, image.rows);
    else
        rgb32ToHue(plane.data, reinterpret_cast<const uint *>(image.data), image.cols, image.rows);
    return plane;
}

void DetectAlgorithm::passOn(const cv::Mat &from, cv::Mat &to) const
{
    if (fitsFrame(from) && fitsFrame(to) && from.data != to.data)
        runGuarded("Frame copy", [&] { from.copyTo(to); });
}

int DetectAlgorithm::regionGeometry(const ROIInterface *shape, const cv::Mat &shapeMask, Region &region) const
{
    if (!shape || shapeMask.empty() || shapeMask.type() != CV_8UC1 || shapeMask.cols != shape->width()
        || shapeMask.rows != shape->height())
        return MaskError;
    const cv::Rect whole(shape->x(), shape->y(), shape->width(), shape->height());
    region.rect = whole & cv::Rect(0, 0, view->imageWidth(), view->imageHeight());
    if (region.rect.width < 1 || region.rect.height < 1)
        return OutsideError;
    region.mask = shapeMask(cv::Rect(region.rect.x - whole.x, region.rect.y - whole.y, region.rect.width,
                                     region.rect.height));
    return 0;
}

void DetectAlgorithm::buildRegistrationReference(int stage)
{
    if (!validStage(stage) || !config || !view)
        return;
    if (parameter(Param::Registration) == 0 || view->isColor())
        return;
    const cv::Mat reference = view->templateImage(stage, 0);
    if (!fitsPlane(reference)) {
        qWarning("Camera %d stage %d: no first template to register against", view->cameraIndex(), stage);
        registrations[stage].clear();
        return;
    }
    runGuarded("Registration reference", [&] { registrations[stage].setReference(reference, registrationMask(stage)); });
}

cv::Mat DetectAlgorithm::registrationMask(int stage) const
{
    const int width = view->imageWidth();
    const int height = view->imageHeight();
    cv::Mat mask = cv::Mat::zeros(height, width, CV_8UC1);
    bool marked = false;
    bool lastUsable = false;
    for (int i = 0; i < regionCount(*config, stage); ++i) {
        const int slot = CammerSingleton::slot(stage, i);
        if (config->toolType[slot] != AngleCorrectionTool)
            continue;
        marked = true;
        Region region;
        lastUsable = regionGeometry(shapeAt(*config, stage, i), view->roiMask(slot), region) == 0;
        // Shapes are combined: one shape's corners must not clear another's pixels.
        if (lastUsable)
            cv::bitwise_or(mask(region.rect), region.mask, mask(region.rect));
    }
    if (!marked || !lastUsable)
        mask(cv::Rect(width / 4, height / 4, (3 * width) / 4, (3 * height) / 4) & cv::Rect(0, 0, width, height))
            .setTo(255);
    return mask;
}

void DetectAlgorithm::buildPositioningModel(int stage)
{
    if (!validStage(stage) || !config || !view)
        return;
    if (parameter(Param::MotionCorrection) == -1 || view->isColor())
        return;
    const int width = view->imageWidth();
    const int height = view->imageHeight();
    // Without a positioning region the centred half of the image is the target: room on every
    // side, so that a move in any direction can be found.
    cv::Rect rect(width / 4, height / 4, width / 2, height / 2);
    cv::Mat mask;
    for (int i = 0; i < regionCount(*config, stage); ++i) {
        const int slot = CammerSingleton::slot(stage, i);
        if (config->toolType[slot] != PositionTool)
            continue;
        Region region;
        const int code = regionGeometry(shapeAt(*config, stage, i), view->roiMask(slot), region);
        if (code == 0) {
            rect = region.rect;
            mask = region.mask;
        } else {
            qWarning("Camera %d stage %d: positioning region %d cannot be used (%d); the image centre is the target",
                     view->cameraIndex(), stage, i + 1, code);
        }
        break;
    }
    if (mask.empty())
        mask = cv::Mat(rect.height, rect.width, CV_8UC1, cv::Scalar(255));
    anchorX[stage] = rect.x + rect.width / 2;
    anchorY[stage] = rect.y + rect.height / 2;

    const cv::Mat image = view->templateImage(stage, 0);
    if (!fitsPlane(image)) {
        qWarning("Camera %d stage %d: no first template to position against", view->cameraIndex(), stage);
        positioningModels[stage].reset();
        return;
    }
    const int range = rotationRange() ? rotationRange() : parameter(Param::MotionCorrection);
    positioningModels[stage].create(image(rect), range, anchorX[stage], anchorY[stage], mask);

    const int margin = std::max(0, parameter(Param::PositioningOffset));
    const cv::Rect grown(rect.x - margin, rect.y - margin, rect.width + 2 * margin, rect.height + 2 * margin);
    searchRect[stage] = grown & cv::Rect(0, 0, width, height);

    // One search on the template itself sizes the model's buffers now, while the station loads,
    // so that the first cycle does not pay for them.
    if (positioningModels[stage].isReady() && !searchRect[stage].empty()) {
        int dx = 0;
        int dy = 0;
        double angle = 0;
        runGuarded("Positioning warm-up", [&] { positioningModels[stage].find(image(searchRect[stage]), dx, dy, angle); });
    }
}

void DetectAlgorithm::prepareComparators(int stage)
{
    if (!validStage(stage) || !config || !view)
        return;
    const int base = CammerSingleton::slot(stage, 0);
    for (int i = 0; i < MaxRegions; ++i) {
        if (contourModels[size_t(base + i)].isReady())
            contourModels[size_t(base + i)].reset();
        similarityMatchers[size_t(base + i)].clear();
    }

    const int width = view->imageWidth();
    const int height = view->imageHeight();
    cv::Mat &valid = validMask[stage];
    const cv::Mat ignore = view->ignoreMask(stage);
    const bool prepared = runGuarded("Stage preparation", [&] {
        // Any non-zero pixel of the ignore mask is ignored, whatever value the file gave it.
        if (fitsPlane(ignore)) {
            cv::compare(ignore, 0, valid, cv::CMP_EQ);
        } else {
            if (!ignore.empty())
                qWarning("Camera %d stage %d: the ignore mask does not fit the image; nothing is ignored by it",
                         view->cameraIndex(), stage);
            valid = cv::Mat(height, width, CV_8UC1, cv::Scalar(255));
        }
        // Ignore regions take out their shape only, and never give back a pixel the mask ignores.
        for (int i = 0; i < regionCount(*config, stage); ++i) {
            const int slot = base + i;
            if (config->toolType[slot] != IgnoreTool)
                continue;
            Region region;
            if (regionGeometry(shapeAt(*config, stage, i), view->roiMask(slot), region) == 0)
                valid(region.rect).setTo(0, region.mask);
        }
    });
    if (!prepared) {
        valid.release();
        return;
    }

    // The regions that learn from the templates, with their masks of valid pixels.
    struct Learner
    {
        int slot;
        int tool;
        cv::Rect rect;
    };
    std::vector<Learner> learners;
    for (int i = 0; i < regionCount(*config, stage); ++i) {
        const int slot = base + i;
        const int tool = config->toolType[slot];
        if (tool != DefectTool && tool != SimilarityTool)
            continue;
        Region region;
        if (regionGeometry(shapeAt(*config, stage, i), view->roiMask(slot), region) != 0)
            continue;
        runGuarded("Region preparation", [&] {
            cv::Mat used;
            cv::bitwise_and(valid(region.rect), region.mask, used);
            if (tool == SimilarityTool)
                similarityMatchers[size_t(slot)].setImage(region.rect.width, region.rect.height, used);
            else
                contourModels[size_t(slot)].init(region.rect.width, region.rect.height, used, 0);
            learners.push_back(Learner{slot, tool, region.rect});
        });
    }

    // Each template is converted and measured once and serves every region.
    const int wanted = view->validTemplateCount(stage);
    int used = 0;
    for (int j = 0; j < maxTemplateCount() && used < wanted; ++j) {
        if (!view->templateValid(stage, j))
            continue;
        const cv::Mat plane = planeOf(view->templateImage(stage, j));
        if (plane.empty()) {
            qWarning("Camera %d stage %d: template %d does not fit the camera; skipped", view->cameraIndex(), stage,
                     j + 1);
            continue;
        }
        runGuarded("Template sampling", [&] {
            templateNorm[stage] = cv::norm(plane, cv::NORM_L2);
            for (const Learner &l : learners) {
                if (l.tool == SimilarityTool)
                    similarityMatchers[size_t(l.slot)].addTemplate(plane(l.rect));
                else
                    contourModels[size_t(l.slot)].addSample(plane(l.rect));
            }
        });
        ++used;
    }
    for (const Learner &l : learners) {
        if (l.tool == SimilarityTool)
            similarityMatchers[size_t(l.slot)].train();
        else
            contourModels[size_t(l.slot)].learn(config->param2[l.slot], parameter(Param::Amplify), 100, 150);
    }
}

bool DetectAlgorithm::align(int stage)
{
    if (!view || !validStage(stage) || parameter(Param::Registration) == 0 || view->isColor())
        return false;
    ImageRegistration &slot = registrations[stage];
    if (!slot.hasReference())
        return false;
    const cv::Mat frame = view->frameImage();
    cv::Mat registered = view->registeredImage();
    if (!fitsFrame(frame) || !fitsFrame(registered))
        return false;
    if (slot.align(frame, registered, 0.4f))
        return true;
    qWarning("Camera %d stage %d: registration skipped (%s); the frame is judged as taken", view->cameraIndex(), stage,
             registrationOutcomeText(slot.lastOutcome()));
    return false;
}

bool DetectAlgorithm::registerImage(int stage)
{
    if (!view)
        return true;
    const cv::Mat frame = view->frameImage();
    cv::Mat registered = view->registeredImage();
    if (!fitsFrame(frame) || !fitsFrame(registered)) {
        qCritical("Camera %d: frame buffers do not fit the camera; nothing registered", view->cameraIndex());
        return true;
    }
    if (!align(stage))
        passOn(frame, registered);
    return true;
}

void DetectAlgorithm::locate()
{
    locate(stationHost ? stationHost->currentDetect() : 0);
}

void DetectAlgorithm::locate(int stage)
{
    position(stage, false);
}

void DetectAlgorithm::completePositionedImage()
{
    if (!unfinishedTurn.waiting || !view)
        return;
    const Turn turn = unfinishedTurn;
    unfinishedTurn.waiting = false;
    const cv::Mat registered = turn.fromFrame ? view->frameImage() : view->registeredImage();
    cv::Mat positioned = view->positionedImage();
    if (!fitsFrame(registered) || !fitsFrame(positioned))
        return;
    if (!rotateImage(registered, positioned, turn.shift, turn.centre, turn.angle))
        passOn(registered, positioned);
}

bool DetectAlgorithm::turnRegions(int stage, const cv::Mat &registered, cv::Mat &positioned)
{
    std::vector<cv::Rect> areas;
    for (int i = 0; i < regionCount(*config, stage); ++i) {
        const int slot = CammerSingleton::slot(stage, i);
        const int tool = config->toolType[slot];
        // Regions that judge no pixels of the frame need none.
        if (tool == IgnoreTool || tool == PositionTool || tool == AngleCorrectionTool || tool == TemperatureTool)
            continue;
        Region region;
        if (regionGeometry(shapeAt(*config, stage, i), view->roiMask(slot), region) != 0)
            continue;
        areas.push_back(region.rect);
    }
    // All at once: the regions are turned row by row across the frame.
    return areas.empty()
        || rotateImageParts(registered, positioned, areas, unfinishedTurn.shift, unfinishedTurn.centre, unfinishedTurn.angle);
}

void DetectAlgorithm::position(int stage, bool regionsOnly, bool fromFrame)
{
    unfinishedTurn.waiting = false;
    if (!view)
        return;
    // A frame that registration left as it came is moved from where it lies.
    const cv::Mat registered = fromFrame ? view->frameImage() : view->registeredImage();
    cv::Mat positioned = view->positionedImage();
    if (!fitsFrame(registered) || !fitsFrame(positioned)) {
        qCritical("Camera %d: frame buffers do not fit the camera; nothing positioned", view->cameraIndex());
        return;
    }
    if (!validStage(stage) || parameter(Param::MotionCorrection) == -1 || view->isColor()
        || !positioningModels[stage].isReady() || searchRect[stage].empty()) {
        passOn(registered, positioned);
        return;
    }
    int x = 0;
    int y = 0;
    double angle = 0;
    if (!positioningModels[stage].find(registered(searchRect[stage]), x, y, angle)) {
        qInfo("Camera %d stage %d: positioning target not found (score %.2f, grey agreement %.2f%s); the image is not "
              "moved",
              view->cameraIndex(), stage, positioningModels[stage].lastScore(), positioningModels[stage].lastCorrelation(),
              positioningModels[stage].lastAmbiguous() ? ", another place agrees as well" : "");
        passOn(registered, positioned);
        return;
    }
    const int dx = x - searchRect[stage].x;
    const int dy = y - searchRect[stage].y;
    if (!rotationRange()) {
        if (!shiftImage(registered, positioned, dx, dy))
            passOn(registered, positioned);
        return;
    }
    const QPoint shift(dx, dy);
    const QPoint centre(anchorX[stage], anchorY[stage]);
    // A turn costs a warp of the whole frame; the judgement needs its regions only. Brightness
    // matching measures the whole frame, so it has the whole frame turned at once.
    if (regionsOnly && parameter(Param::MatchBrightness) == 0 && registered.data != positioned.data) {
        unfinishedTurn = Turn{true, fromFrame, shift, centre, angle};
        if (turnRegions(stage, registered, positioned))
            return;
        unfinishedTurn.waiting = false;
    }
    if (!rotateImage(registered, positioned, shift, centre, angle))
        passOn(registered, positioned);
}
