#ifndef CAMERAS_HIKIRCAMERA_H
#define CAMERAS_HIKIRCAMERA_H

#include "cameras/CameraInterface.h"
#include "cameras/FrameHandoff.h"
#include "cameras/HikIRRules.h"

#include <QMutex>
#include <QPointer>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <vector>

class HKHotCameraThread;
struct DISPLAY_INFO;

// The driver of network thermal cameras reached through the network SDK, whose stream the
// player library decodes. A device has a thermal channel and may have a visible-light one;
// each channel is a camera of its own.
//
// Threads: the SDK delivers the stream and the reports on threads of its own, the player hands
// decoded pictures over on its decoding thread, and HKHotCameraThread converts the newest
// picture into the frame every 30 ms; every interface operation runs on the GUI thread.
// The temperature side (rules, reports, queries, thermometry settings) is in
// HikIRThermometry.cpp.
class HikIRCamera : public CameraInterface
{
    Q_OBJECT

public:
    static constexpr int DefaultWidth = 1920;
    static constexpr int DefaultHeight = 1080;
    static constexpr quint16 LoginPort = 8000;
    static constexpr int RuleCount = 50;
    // A reading older than this no longer counts: the camera reports every rule about once a
    // second, so an older one means the camera stopped measuring.
    static constexpr qint64 ReadingLifetimeMs = 5000;
    static constexpr int StatusBufferBytes = 8192;

    // The address such cameras have from the factory on a local subnet; %1 becomes the third
    // field of the local address. Enumeration probes it on every local interface.
    static QString probeAddressPattern;

    HikIRCamera();
    ~HikIRCamera() override;

    bool open() override;
    void close() override;
    bool startGrab() override;
    void stopGrab() override;
    void release() override {}
    bool reconnect() override { return online.load(); }
    QJsonObject autoAdjust(bool start) override;
    void setExposure(int value) override;
    void setGain(int value) override;
    void setSharpness(int value) override;
    void setContrast(int value) override;
    void setGamma(int value) override;
    void setWideDynamicRange(bool) override {}
    void oneShotWhiteBalance() override {}
    void setAutoExposure(bool) override {}
    void setColorOutput(bool on) override { colorOutput = on; }
    void setDisplayWidget(QWidget *widget) override;
    void setMirror(bool, bool) override {}
    void setFrameRate(int) override {}
    void setConfig(const QVariant &config, int kind) override;
    void query(const QVariant &request, QVariant *reply, int kind) override;
    bool frameCountDelta(int *frames) override { return output.frameCountDelta(frames); }
    void setTriggerMode(bool) override {}
    void nextSimulatedFrame() override {}
    void setCameraNumber(int number) override { cameraNumber = number; }

    bool isColorOutput() const override { return colorOutput; }
    void getSize(int *width, int *height) const override;
    QString iid() const override { return QString::fromLatin1(HikIRCameraIid); }
    QString serial() const override { return serialText; }
    bool getImage(uchar *destination, int destinationSize) override;
    void restoreDefaults(SystemParameters *, int) override {}

    QList<CameraInfo> enumerate() override;
    int deviceCount() override { return 3; }
    std::unique_ptr<CameraInterface> create(const CameraInfo &info) override;

    CAMERA_TYPE cameraType() const override { return type; }
    bool isConnected() override { return online.load(); }

    // The frame size of the SDK's resolution code; an invalid size for a code it does not know.
    static QSize resolutionSize(int code);
    // The channel that open() chose (1 or 2).
    int channelNumber() const { return channel; }
    // Passes the conversion thread has made since the camera was made, with or without a new
    // picture to convert.
    quint64 conversionPassCount() const { return conversionPasses.load(); }

private:
    struct Reading
    {
        float minimum = 0;
        float average = 0;
        float maximum = 0;
        double hottestX = 0;
        double hottestY = 0;
        double coldestX = 0;
        double coldestY = 0;
        qint64 stampMs = 0;
        bool reported = false;
    };

    QList<CameraInfo> probe(int index, const QByteArray &localAddress);
    void chooseChannel();
    void readResolution();
    void allocateBuffers();
    void releasePlayer();
    void watchConnection();
    void unwatchConnection();

    // SDK and player threads.
    static void streamData(int32_t realHandle, uint32_t dataType, uint8_t *buffer, uint32_t size, void *user);
    static void decodedPicture(DISPLAY_INFO *picture);
    static void connectionReport(uint32_t code, int32_t userId, int32_t handle, void *user);
    static void temperatureReport(uint32_t type, void *buffer, uint32_t length, void *user);
    void onStreamHeader(const uint8_t *header, uint32_t size);
    void takeDecodedPicture(const DISPLAY_INFO &picture);
    void onConnectionReport(uint32_t code);
    void onTemperatureReport(uint32_t type, const void *buffer, uint32_t length);
    // Conversion thread.
    void convertDecodedPicture();

    // Thermometry (HikIRThermometry.cpp).
    void applyThermometryDefaults();
    void startTemperatureReports();
    void stopTemperatureReports();
    void applyBasicParameter(int which, int value);
    bool cameraSetting(int base, int &value) const;

    QString serialText;
    int32_t loginHandle = -2;
    int32_t channel = 1;
    CAMERA_TYPE type = ThermalCameraType;
    int cameraNumber = -1;
    int32_t realPlayHandle = -1;
    std::atomic<int32_t> playerPort{-1};
    int32_t reportHandle = -1;

    int width = DefaultWidth;
    int height = DefaultHeight;
    bool colorOutput = false;
    // Whether the frame was allocated for colour output; the conversion follows the frame.
    bool frameIsColour = false;
    int pictureBytes = 0;

    // The newest decoded picture, and the converted frame the GUI thread pulls.
    FrameHandoff decoded;
    FrameHandoff output;
    // The conversion thread's copy of the picture it converts.
    std::vector<uchar> converting;
    std::atomic<bool> droppedPictureLogged{false};
    std::atomic<quint64> conversionPasses{0};
    std::atomic<bool> online{false};

    HKHotCameraThread *converter = nullptr;
    QPointer<QWidget> displayWidget;
    std::vector<uchar> statusBuffer;

    // Written by the report thread, read by queries; guarded so a reading is never torn.
    mutable QMutex readingMutex;
    Reading ruleTable[RuleCount];
    // GUI thread only: what the last rule upload decided per region.
    TemperatureRuleSlots ruleSlots;
};

#endif
