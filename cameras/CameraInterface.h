#ifndef CAMERAS_CAMERAINTERFACE_H
#define CAMERAS_CAMERAINTERFACE_H

#include "cameras/CameraInfo.h"

#include <QJsonObject>
#include <QMetaType>
#include <QObject>
#include <QVariant>

#include <memory>

class QWidget;
class SystemParameters;

// The camera kind. Callers take bit 1 (value 2) as the mark of a thermal camera and 0 as the
// mark of a simulated one.
enum CAMERA_TYPE : qint32 {
    SimulatedCameraType = 0,
    VisibleLightCameraType = 1,
    ThermalCameraType = 2
};
Q_DECLARE_METATYPE(CAMERA_TYPE)

// Driver identifiers: the result of iid(), the iid of every record a family enumerates and
// the key of the family's prototype.
constexpr char HikIRCameraIid[] = "hikircamera_IID";
constexpr char FotricCameraIid[] = "fotriccamera_IID";
constexpr char HikCameraIid[] = "hikcamera_IID";
constexpr char MindCameraIid[] = "mindcamera_IID";
constexpr char Do3thinkCameraIid[] = "do3thinkcamera_IID";
constexpr char SimulateCameraIid[] = "simulatecamera_IID";

// The one abstraction through which the rest of the system reaches a camera.
//
// Discovery keeps one never-opened object per driver family, the prototype, which enumerates
// the family's devices and creates device objects; each device object serves one camera for
// the whole run. Frames are pulled, never pushed: the delivering thread writes into the
// driver's FrameHandoff, the GUI thread copies the newest frame out with getImage().
// Every operation is called on the GUI thread. A driver accepts operations it has no use for
// and does nothing.
class CameraInterface : public QObject
{
    Q_OBJECT

public:
    CameraInterface();
    ~CameraInterface() override;

    // Connects the device chosen by create(), reads its size and colour capability and
    // allocates the frame buffer for the current colour mode; false: the camera is not used.
    virtual bool open() = 0;
    // Releases the device.
    virtual void close() = 0;
    virtual bool startGrab() = 0;
    virtual void stopGrab() = 0;
    // stopGrab() then close(), after the connection was found lost.
    virtual void release() = 0;
    // Brings a lost camera back; true when it streams again.
    virtual bool reconnect() = 0;
    // Starts (true) or finishes (false) an automatic adjustment; on finish a driver may
    // return the values it settled on as "ExposureTime" (microseconds) and "Gain" (0..64).
    virtual QJsonObject autoAdjust(bool start) = 0;

    // Settings, as the settings pages keep them.
    virtual void setExposure(int milliseconds) = 0;
    virtual void setGain(int level) = 0;              // 0..64
    virtual void setSharpness(int level) = 0;         // 0..100
    virtual void setContrast(int level) = 0;          // 0..200
    virtual void setGamma(int level) = 0;             // 0..250
    virtual void setWideDynamicRange(bool on) = 0;
    virtual void oneShotWhiteBalance() = 0;
    virtual void setAutoExposure(bool on) = 0;
    // 4-byte colour frames (B, G, R, 0) instead of 1-byte grey frames; comes before open().
    virtual void setColorOutput(bool on) = 0;
    virtual void setDisplayWidget(QWidget *widget) = 0;
    virtual void setMirror(bool horizontal, bool vertical) = 0;
    // 0 is the full rate, higher levels are slower.
    virtual void setFrameRate(int level) = 0;
    // Kind 0 with a QVariant holding the camera's detection configuration.
    virtual void setConfig(const QVariant &config, int kind) = 0;
    // Kind 0: request {"detect", "funcNO"}; the reply is read as {"value", "point_x",
    // "point_y"}. Drivers that measure nothing leave the reply untouched.
    virtual void query(const QVariant &request, QVariant *reply, int kind) = 0;
    // Frames received since the previous call, stored in *frames; true when not zero.
    virtual bool frameCountDelta(int *frames) = 0;
    // true: frames on the hardware trigger input; false: free run.
    virtual void setTriggerMode(bool hardware) = 0;
    // Loads the next stored image (simulated cameras only).
    virtual void nextSimulatedFrame() = 0;
    // The camera number (0-based, camera order) whose settings this device reads; set before
    // open(). Drivers that read no per-camera settings ignore it.
    virtual void setCameraNumber(int number) { Q_UNUSED(number) }

    virtual bool isColorOutput() const = 0;
    virtual void getSize(int *width, int *height) const = 0;
    virtual QString iid() const = 0;
    // The device's identity, which the camera slots are bound to.
    virtual QString serial() const = 0;
    // Copies the newest frame into destination, at most destinationSize bytes, and reports
    // whether it was new since the previous call. Grey frames are 1 byte per pixel, colour
    // frames 4 (B, G, R, 0), rows top to bottom without padding.
    virtual bool getImage(uchar *destination, int destinationSize) = 0;
    // Loads the device's factory settings and writes them into the record as the settings
    // pages keep them: [camera] exposure (ms), [8 + camera] gain, [16 + camera] sharpness,
    // [24 + camera] contrast, [32 + camera] gamma.
    virtual void restoreDefaults(SystemParameters *parameters, int camera) = 0;

    // Called on the prototype: the family's devices present now.
    virtual QList<CameraInfo> enumerate() = 0;
    virtual int deviceCount() = 0;
    // Called on the prototype: a new device object of the same family bound to info's device.
    virtual std::unique_ptr<CameraInterface> create(const CameraInfo &info) = 0;

    virtual CAMERA_TYPE cameraType() const = 0;
    virtual bool isConnected() = 0;
    // A copy of the record of this object's device.
    virtual CameraInfo cameraInfo() const;

protected:
    CameraInfo info;
};

#endif
