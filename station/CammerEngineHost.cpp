#include "station/CammerEngineHost.h"

#include "station/CammerWidget.h"

CammerEngineHost::CammerEngineHost(CammerWidget &cameraView) : view(cameraView)
{
}

int CammerEngineHost::cameraIndex() const
{
    return view.cameraIndex;
}

int CammerEngineHost::imageWidth() const
{
    return view.imageWidth;
}

int CammerEngineHost::imageHeight() const
{
    return view.imageHeight;
}

bool CammerEngineHost::isColor() const
{
    return view.isColor;
}

cv::Mat CammerEngineHost::framePicture(std::vector<uchar> &buffer) const
{
    if (view.frameBytes <= 0 || buffer.size() != size_t(view.frameBytes))
        return cv::Mat();
    return cv::Mat(view.imageHeight, view.imageWidth, view.isColor ? CV_8UC4 : CV_8UC1, buffer.data());
}

cv::Mat CammerEngineHost::plane(std::vector<uchar> &buffer) const
{
    if (view.pixelCount <= 0 || buffer.size() != size_t(view.pixelCount))
        return cv::Mat();
    return cv::Mat(view.imageHeight, view.imageWidth, CV_8UC1, buffer.data());
}

cv::Mat CammerEngineHost::frameImage()
{
    return framePicture(view.frameImage);
}

cv::Mat CammerEngineHost::registeredImage()
{
    return framePicture(view.registeredImage);
}

cv::Mat CammerEngineHost::positionedImage()
{
    return framePicture(view.positionedImage);
}

cv::Mat CammerEngineHost::colourPlane()
{
    return plane(view.colourPlane);
}

cv::Mat CammerEngineHost::resultMask()
{
    return plane(view.resultMask);
}

cv::Mat CammerEngineHost::templateImage(int stage, int index)
{
    if (stage < 0 || stage >= int(view.templates.size()) || index < 0
        || index >= int(view.templates[size_t(stage)].size()))
        return cv::Mat();
    return framePicture(view.templates[size_t(stage)][size_t(index)]);
}

bool CammerEngineHost::templateValid(int stage, int index) const
{
    return stage >= 0 && stage < int(view.templateValid.size()) && index >= 0
        && index < int(view.templateValid[size_t(stage)].size())
        && view.templateValid[size_t(stage)][size_t(index)] != 0;
}

int CammerEngineHost::validTemplateCount(int stage) const
{
    return stage >= 0 && stage < CammerWidget::StageCount ? view.validTemplateCount[stage] : 0;
}

cv::Mat CammerEngineHost::ignoreMask(int stage)
{
    if (stage < 0 || stage >= int(view.ignoreMasks.size()))
        return cv::Mat();
    return plane(view.ignoreMasks[size_t(stage)]);
}

cv::Mat CammerEngineHost::roiMask(int slot)
{
    return slot >= 0 && slot < CammerWidget::RegionSlotCount ? view.roiMasks[slot] : cv::Mat();
}

cv::Mat CammerEngineHost::editRoiMask(int slot)
{
    return slot >= 0 && slot < CammerWidget::RegionSlotCount ? view.editRoiMasks[slot] : cv::Mat();
}

const CammerSingleton *CammerEngineHost::editConfig() const
{
    return view.editConfig.get();
}

int CammerEngineHost::currentTemplate() const
{
    return view.currentTemplate;
}

DetectionResults &CammerEngineHost::detectionResults()
{
    return *view.results;
}

QJsonObject CammerEngineHost::QueryCamera(int detect, int funcNO)
{
    return view.QueryCamera(detect, funcNO);
}

void CammerEngineHost::markPreviewShown()
{
    view.previewShown = true;
}

void CammerEngineHost::repaintView()
{
    view.update();
}
