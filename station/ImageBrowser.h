#ifndef STATION_IMAGEBROWSER_H
#define STATION_IMAGEBROWSER_H

class QWidget;

// What the station's screens need of the image browser (ImagePickForm), a window at the left
// edge of the screen that implements it: the image title's camera name shows and hides it;
// opening the region page or latching an alarm points it at what the page shows. GUI thread.
class ImageBrowser
{
public:
    virtual ~ImageBrowser() = default;

    virtual QWidget *browserWidget() = 0;
    // Image source as the region page counts them (0 templates, 1 live, ...).
    virtual void selectSource(int source) = 0;
    // Camera index, or cameraCount for all cameras.
    virtual void selectCamera(int camera) = 0;
    virtual void selectDetect(int stage) = 0;
};

#endif
