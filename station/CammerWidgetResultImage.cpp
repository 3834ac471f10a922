// The camera view's result images: the evaluated picture annotated into the result image
// slots that the archiver writes to disk, and the operator's decision stamped over them.

#include "station/CammerWidget.h"

#include "core/Globals.h"
#include "inspection/FrameConversions.h"
#include "station/MoJuWizard.h"
#include "station/ResultImageBuffers.h"
#include "station/ResultImagePainter.h"
#include "uikit/UiKitGlobals.h"

#include <QImage>

#include <cstring>

namespace {

constexpr int DoorCheckTextEntry = 265;

// The slot's picture as an image to paint on; null when the slot has none of the view's size.
QImage slotImage(int camera, int stage, int slot, int width, int height)
{
    if (!imageSaveBuffers || imageSaveBuffers->imageSize(camera) != QSize(width, height))
        return QImage();
    uchar *pixels = imageSaveBuffers->buffer(camera, stage, slot);
    return pixels ? QImage(pixels, width, height, width * 4, QImage::Format_RGB32) : QImage();
}

} // namespace

void CammerWidget::SaveFailImage(int detect, int ok)
{
    if (frameBytes <= 0 || detect < 0 || detect >= StageCount)
        return;
    const int slot = ok ? ResultImageBuffers::OkSlot : ResultImageBuffers::NgSlot;
    // The slot's picture belongs to the GUI thread until it is handed to the archiver, so it
    // is painted in place.
    QImage image = slotImage(cameraIndex, detect, slot, imageWidth, imageHeight);
    if (image.isNull())
        return;
    const std::vector<uchar> &judged = judgedPicture();
    if (isColor)
        std::memcpy(image.bits(), judged.data(), size_t(frameBytes));
    else
        gray8ToRgb32(judged.data(), image.bits(), imageWidth, imageHeight);

    ResultScene scene;
    scene.config = activeConfig.get();
    scene.stage = detect;
    scene.results = results.get();
    scene.ok = ok != 0;
    scene.params = currentParams;
    if (mainWindow && mainWindow->doorCheck)
        scene.doorText = uiText(DoorCheckTextEntry);
    // The number belongs to this picture: a later picture of the slot starts afresh.
    imageSaveBuffers->setFirstNgRegion(cameraIndex, detect, slot, paintStageResult(image, scene));
}

void CammerWidget::UpdateFailImage(int detect, int slot, int resultCode)
{
    QImage image = slotImage(cameraIndex, detect, slot, imageWidth, imageHeight);
    if (!image.isNull())
        paintDecisionStamp(image, resultCode);
}
