#ifndef STATION_CAMMERENGINEHOST_H
#define STATION_CAMMERENGINEHOST_H

#include "inspection/EngineHost.h"

class CammerWidget;

// The camera view as its detection engine sees it: cv::Mat headers laid over the view's own
// buffers (no copies), its templates, masks, configurations and results. A part of the view,
// built with it; the view's members of the same names (cameraIndex, imageWidth, ...) keep
// their plain form for the rest of the station.
class CammerEngineHost : public EngineHost
{
public:
    explicit CammerEngineHost(CammerWidget &view);

    int cameraIndex() const override;
    int imageWidth() const override;
    int imageHeight() const override;
    bool isColor() const override;

    cv::Mat frameImage() override;
    cv::Mat registeredImage() override;
    cv::Mat positionedImage() override;
    cv::Mat colourPlane() override;
    cv::Mat resultMask() override;

    cv::Mat templateImage(int stage, int index) override;
    bool templateValid(int stage, int index) const override;
    int validTemplateCount(int stage) const override;
    cv::Mat ignoreMask(int stage) override;
    cv::Mat roiMask(int slot) override;
    cv::Mat editRoiMask(int slot) override;
    const CammerSingleton *editConfig() const override;
    int currentTemplate() const override;

    DetectionResults &detectionResults() override;
    QJsonObject QueryCamera(int detect, int funcNO) override;
    void markPreviewShown() override;
    void repaintView() override;

private:
    // A frame-sized picture over buffer (frame layout), empty when the buffer is not that size.
    cv::Mat framePicture(std::vector<uchar> &buffer) const;
    // A width x height 8-bit plane over buffer, empty when the buffer is not that size.
    cv::Mat plane(std::vector<uchar> &buffer) const;

    CammerWidget &view;
};

#endif
