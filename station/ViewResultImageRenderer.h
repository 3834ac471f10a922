#ifndef STATION_VIEWRESULTIMAGERENDERER_H
#define STATION_VIEWRESULTIMAGERENDERER_H

#include "core/Globals.h"
#include "station/ResultImageRenderer.h"

class CammerWidget;

// The station's result image rendering: each request goes to the camera's view. A camera
// without a view is skipped.
class ViewResultImageRenderer : public ResultImageRenderer
{
public:
    static constexpr int MaxCameras = CameraSlotCount;

    // views: the main window's camera views, read at each request.
    explicit ViewResultImageRenderer(CammerWidget *const (&views)[MaxCameras]) : views(views) {}

    void SaveFailImage(int camera, int detect, int ok) override;
    void UpdateFailImage(int camera, int detect, int slot, int resultCode) override;
    void StartAlarmBlink(int camera) override;

private:
    CammerWidget *view(int camera) const;

    CammerWidget *const (&views)[MaxCameras];
};

#endif
