#ifndef INSPECTION_DETECTALGORITHM_H
#define INSPECTION_DETECTALGORITHM_H

#include "inspection/CammerSingleton.h"
#include "inspection/ContourModel.h"
#include "inspection/ImageRegistration.h"
#include "inspection/PositioningModel.h"
#include "inspection/SimilarityMatcher.h"

#include <QList>
#include <QPoint>
#include <QRect>

#include <opencv2/core.hpp>

#include <memory>
#include <vector>

class EngineHost;
class ROIInterface;

// Region tool types of the detection configuration.
enum ToolType {
    DefectTool = 0,
    SpotTool = 1,
    IgnoreTool = 2,
    PositionTool = 3,
    BlackAreaTool = 4,
    WhiteAreaTool = 5,
    SimilarityTool = 6,
    WhiteCountTool = 7,
    NoTool = 8,
    TemperatureTool = 9,
    AngleCorrectionTool = 10,
};

// 255 where lo <= pixel <= hi, 0 elsewhere; lo > hi gives an empty mask.
void grayRangeMask(const cv::Mat &image, cv::Mat &out, int lo, int hi);

// The detection engine of one camera, owned by its camera view. Preparation per detect stage
// (always in this order): the registration reference, the positioning model, then the stage's
// valid-pixel mask and one comparison model per region from the stage's templates. Per frame,
// in this order: registerImage, locate, run. It owns no image buffer: it works on the view's
// buffers through the EngineHost. GUI thread only, except judge (see there).
class DetectAlgorithm
{
public:
    static constexpr int StageCount = CammerSingleton::StageCount;
    static constexpr int MaxRegions = CammerSingleton::MaxRegions;
    static constexpr int SlotCount = CammerSingleton::RegionSlotCount;
    // Boxes kept per region.
    static constexpr int MaxBoxes = 99;

    // Region errors of run: the stage is NG, the region keeps its own verdict.
    enum RegionError {
        MaskError = -1,        // no usable mask, undefined tool, failed measurement
        ValidMaskError = -2,   // the stage was never prepared
        OutsideError = -3      // nothing of the region lies in the image
    };

    // config: the view's active configuration; both must outlive the engine. Prepares every
    // enabled stage.
    DetectAlgorithm(CammerSingleton *config, EngineHost *view);
    ~DetectAlgorithm();

    DetectAlgorithm(const DetectAlgorithm &) = delete;
    DetectAlgorithm &operator=(const DetectAlgorithm &) = delete;

    void buildRegistrationReference(int stage);
    void buildPositioningModel(int stage);
    void prepareComparators(int stage);

    // frameImage aligned into registeredImage (or copied as it came). Always true.
    bool registerImage(int stage);
    // registeredImage moved (and turned) into positionedImage so that the positioning target
    // sits where it sat in the template; for the run controller's current detect stage.
    void locate();
    void locate(int stage);
    // After judge a turned frame is written into positionedImage only where the stage's regions
    // judge it; this writes the rest (the picture shown, stored or kept), once. Nothing to do
    // otherwise. Call it before positionedImage is read outside the engine; same thread rules
    // as judge.
    void completePositionedImage();
    // Evaluates every region of the stage on positionedImage: evaluate, then publish.
    void run(int stage);
    // The pixel work of run: every region judged, the view's results, values, boxes and result
    // mask written. The rows and region errors wait for publish.
    void evaluate(int stage);
    // Hands the rows of the last evaluate to the result store and its region errors to the
    // operation record; nothing when there is none. GUI thread.
    void publish();
    // registerImage, locate and evaluate of one frame; a turned frame is written only where
    // it is judged (see completePositionedImage), and a frame that registration leaves as it
    // came is read where it lies, without a copy in registeredImage. It touches only this engine and its
    // view's buffers and results, so the engines of several cameras may judge at the same time
    // on worker threads, while the GUI thread waits for them; publish follows on the GUI thread.
    // Not for a stage that asks the camera (judgesOffThread).
    void judge(int stage);
    // The stage has no temperature region, whose reading asks the camera driver.
    bool judgesOffThread(int stage) const;
    // Evaluates one region of the edit copy on the image the region editor shows.
    void preview(int stage, int region);

    CammerSingleton *config;
    EngineHost *view;
    cv::Mat validMask[StageCount];
    std::vector<ContourModel> contourModels;
    std::vector<SimilarityMatcher> similarityMatchers;
    ImageRegistration registrations[StageCount];
    double templateNorm[StageCount] = {};
    PositioningModel positioningModels[StageCount];
    int anchorX[StageCount] = {};
    int anchorY[StageCount] = {};
    cv::Rect searchRect[StageCount];

private:
    struct Region;
    struct Evaluation;

    bool fitsFrame(const cv::Mat &image) const;
    bool fitsPlane(const cv::Mat &image) const;
    // The 8-bit plane of a template or frame: itself for mono, converted into the colour
    // plane for colour. Empty when it cannot be had.
    cv::Mat planeOf(const cv::Mat &image);
    void passOn(const cv::Mat &from, cv::Mat &to) const;
    // The area registration takes its features from: the angle-correction shapes, or by default
    // the image right of and below its first quarter.
    cv::Mat registrationMask(int stage) const;
    // The region's rectangle clipped to the image and its mask cropped to match.
    int regionGeometry(const ROIInterface *shape, const cv::Mat &shapeMask, Region &region) const;

    // Aligns frameImage into registeredImage when the stage registers and that succeeds; false
    // when the frame is to be taken as it came (nothing written then).
    bool align(int stage);
    // locate; with regionsOnly a turned frame is written only inside the stage's regions and
    // the rest is left for completePositionedImage. fromFrame: registration left the frame as it
    // came, without copying it into registeredImage; the frame is read instead.
    void position(int stage, bool regionsOnly, bool fromFrame = false);
    // Writes the turned frame inside every region of the stage that could be judged.
    bool turnRegions(int stage, const cv::Mat &registered, cv::Mat &positioned);
    // Clears what the last evaluation or preview marked in the result mask: the rectangles it
    // wrote, or the whole mask when they are not known. Rectangles that are about to be written
    // whole again (rewritten) are left.
    void clearMarks(cv::Mat &resultMask, const std::vector<cv::Rect> &rewritten = {});

    void evaluateRegion(int stage, int region, const cv::Mat &source, Evaluation &evaluation);
    void evaluateTemperature(int stage, int region, Evaluation &evaluation);
    void reportRegionError(int stage, int code, Evaluation &evaluation);
    void recordBoxes(int slot, const Region &geometry, const std::vector<std::vector<cv::Point>> &contours);

    // What the last evaluate left for publish.
    std::unique_ptr<Evaluation> pending;

    // The turn of the last position that wrote only the regions, while the rest of
    // positionedImage waits for completePositionedImage.
    struct Turn
    {
        bool waiting = false;
        // Turned from the frame itself: registration left it as it came.
        bool fromFrame = false;
        QPoint shift;
        QPoint centre;
        double angle = 0;
    };
    Turn unfinishedTurn;
    // The result mask and the rectangles of it the last evaluation or preview wrote; every other
    // pixel of it is 0.
    const uchar *markedMask = nullptr;
    std::vector<cv::Rect> markedAreas;
    // The marks of one region, kept from region to region and trigger to trigger.
    cv::Mat marksBuffer;
};

#endif
