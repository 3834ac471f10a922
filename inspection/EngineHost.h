#ifndef INSPECTION_ENGINEHOST_H
#define INSPECTION_ENGINEHOST_H

#include <QJsonObject>

#include <opencv2/core.hpp>

class CammerSingleton;
struct DetectionResults;

// What the detection engine needs of its camera view: the view owns every image buffer, the
// templates, the masks and the result arrays, and the engine reads and writes them through
// this interface. The camera view implements it; tests implement it with a plain struct.
// Images are cv::Mat headers laid over the view's buffers (no copies): W x H, CV_8UC1 for a
// mono camera, CV_8UC4 (bytes B, G, R, 0) for a colour camera. GUI thread only.
class EngineHost
{
public:
    virtual ~EngineHost() = default;

    // 0-based camera number.
    virtual int cameraIndex() const = 0;
    virtual int imageWidth() const = 0;
    virtual int imageHeight() const = 0;
    // The camera delivers 4-byte colour frames.
    virtual bool isColor() const = 0;

    // The newest frame, pulled in by the view before the run controller calls the engine.
    virtual cv::Mat frameImage() = 0;
    // The frame after registration, and after positioning; the engine writes both.
    virtual cv::Mat registeredImage() = 0;
    virtual cv::Mat positionedImage() = 0;
    // W x H CV_8UC1: the grey or hue plane of a colour frame or template (colour cameras).
    virtual cv::Mat colourPlane() = 0;
    // W x H CV_8UC1: 255 on the pixels the last evaluation or preview found.
    virtual cv::Mat resultMask() = 0;

    // Template slot index of a stage (frame layout); empty when the view holds no such slot.
    virtual cv::Mat templateImage(int stage, int index) = 0;
    virtual bool templateValid(int stage, int index) const = 0;
    virtual int validTemplateCount(int stage) const = 0;
    // W x H CV_8UC1, non-zero = pixel ignored; empty when the stage has none.
    virtual cv::Mat ignoreMask(int stage) = 0;
    // Shape mask (the size of its bounding rectangle, 255 inside) of region slot
    // stage * 50 + region of the active and of the edit configuration.
    virtual cv::Mat roiMask(int slot) = 0;
    virtual cv::Mat editRoiMask(int slot) = 0;
    // The edit copy the region editor works on (read by the preview).
    virtual const CammerSingleton *editConfig() const = 0;
    // The template the region editor shows.
    virtual int currentTemplate() const = 0;

    // The per-region results and the camera's verdicts.
    virtual DetectionResults &detectionResults() = 0;

    // Asks the camera for a measurement: {"detect": detect, "funcNO": funcNO}. A thermal camera
    // answers with "value" and optionally "point_x", "point_y" (fractions of the image size);
    // an empty object when it answers nothing. Synchronous.
    virtual QJsonObject QueryCamera(int detect, int funcNO) = 0;

    // A preview result is on show (the view clears the flag when it paints).
    virtual void markPreviewShown() = 0;
    // Asks the view to repaint.
    virtual void repaintView() = 0;
};

#endif
