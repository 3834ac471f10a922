#include "station/ViewResultImageRenderer.h"

#include "cameras/CameraDiscovery.h"
#include "station/CammerWidget.h"

CammerWidget *ViewResultImageRenderer::view(int camera) const
{
    return cameraSlot(camera) ? views[camera] : nullptr;
}

void ViewResultImageRenderer::SaveFailImage(int camera, int detect, int ok)
{
    if (CammerWidget *v = view(camera))
        v->SaveFailImage(detect, ok);
}

void ViewResultImageRenderer::UpdateFailImage(int camera, int detect, int slot, int resultCode)
{
    if (CammerWidget *v = view(camera))
        v->UpdateFailImage(detect, slot, resultCode);
}

void ViewResultImageRenderer::StartAlarmBlink(int camera)
{
    if (CammerWidget *v = view(camera))
        v->StartAlarmBlink();
}
