#include "cameras/HikIRCamera.h"

#include "cameras/HKHotCameraThread.h"
#include "cameras/HikIRSdk.h"
#include "cameras/Yuv420Conversion.h"
#include "platform/hcnetsdk/PlayM4.h"

#include <QMap>
#include <QStringList>
#include <QThread>
#include <QWidget>

#include <cstring>

QString HikIRCamera::probeAddressPattern = QStringLiteral("192.168.%1.64");

namespace {

constexpr char FactoryUser[] = "admin";
constexpr char FactoryPassword[] = "mnop4826";
constexpr char ThermalKind[] = "IRCamera";
constexpr char VisibleKind[] = "RGBCamera";
constexpr uint32_t ConnectTimeMs = 3000;
constexpr uint32_t ConnectTries = 3;
constexpr uint32_t ReconnectIntervalMs = 10000;
// The player's stream buffer, as the maker's samples size it.
constexpr uint32_t StreamBufferBytes = 46086480;
// The player keeps one decoded picture for display.
constexpr uint32_t DisplayBuffers = 1;
constexpr int FeedRetryPauseMs = 2;

// Player port -> camera, for the decoded-picture callback, which only knows its port. The
// callback looks the camera up and copies under this lock, so a stopping camera that removes
// its port never has a picture copied into it afterwards.
QMutex portCameraMutex;
QMap<int32_t, HikIRCamera *> portCameraMap;

// Login handle -> camera, for the connection reports: the SDK has one report callback for the
// whole process, so the reports are routed by the login they name, not by whichever camera
// registered the callback last.
QMutex loginCameraMutex;
QMap<int32_t, HikIRCamera *> loginCameraMap;

const char *reportText(uint32_t code)
{
    switch (code) {
    case EXCEPTION_INTERACTION: return "用户交互时异常";
    case EXCEPTION_PREVIEW_RECONNECT: return "预览时重连";
    case PREVIEW_RECONNECT_SUCCESS: return "预览时重连成功";
    case INTERACTION_RESTORED: return "用户交互恢复";
    case USER_RELOGIN: return "用户重登陆";
    case USER_RELOGIN_SUCCESS: return "用户重登陆成功";
    default: return nullptr;
    }
}

} // namespace

namespace hikir {

int32_t login(const QByteArray &address, NET_DVR_DEVICEINFO_V40 *device)
{
    NET_DVR_USER_LOGIN_INFO login;
    std::memset(&login, 0, sizeof login);
    std::memcpy(login.sDeviceAddress, address.constData(),
                size_t(qMin(int(address.size()), int(sizeof login.sDeviceAddress) - 1)));
    login.wPort = HikIRCamera::LoginPort;
    std::memcpy(login.sUserName, FactoryUser, sizeof FactoryUser);
    std::memcpy(login.sPassword, FactoryPassword, sizeof FactoryPassword);
    NET_DVR_DEVICEINFO_V40 unused;
    NET_DVR_DEVICEINFO_V40 *info = device ? device : &unused;
    std::memset(info, 0, sizeof *info);
    return NET_DVR_Login_V40(&login, info);
}

} // namespace hikir

HikIRCamera::HikIRCamera() = default;

HikIRCamera::~HikIRCamera()
{
    // Nothing of the SDK may call back into a destroyed camera.
    if (loginHandle >= 0 || realPlayHandle >= 0)
        close();
}

QSize HikIRCamera::resolutionSize(int code)
{
    switch (code) {
    case 1: return QSize(352, 288);
    case 3: return QSize(704, 576);
    case 12: return QSize(384, 288);
    case 16: return QSize(640, 480);
    case 17: return QSize(1600, 1200);
    case 18: return QSize(800, 600);
    case 19: return QSize(1280, 720);
    case 20: return QSize(1280, 960);
    case 76: return QSize(640, 512);
    case 98: return QSize(2688, 1520);
    default: return QSize();
    }
}

void HikIRCamera::setDisplayWidget(QWidget *widget)
{
    // Kept, not drawn into: the frames reach the view through getImage.
    displayWidget = widget;
}

void HikIRCamera::getSize(int *w, int *h) const
{
    if (w)
        *w = width;
    if (h)
        *h = height;
}

bool HikIRCamera::getImage(uchar *destination, int destinationSize)
{
    return output.takeNewFrame(destination, destinationSize);
}

QList<CameraInfo> HikIRCamera::enumerate()
{
    QList<CameraInfo> found;
    NET_DVR_Init();
    // Before the first probe, so an address without a camera costs the short time-out.
    NET_DVR_SetConnectTime(ConnectTimeMs, ConnectTries);
    char addresses[NET_DVR_MAX_LOCAL_ADDRESSES][NET_DVR_LOCAL_ADDRESS_BYTES];
    std::memset(addresses, 0, sizeof addresses);
    uint32_t count = 1;
    int bind = 0;
    if (!NET_DVR_GetLocalIP(addresses, &count, &bind)) {
        qInfo("NET_DVR_GetLocalIP failed, error code: %u", NET_DVR_GetLastError());
        return found;
    }
    const int addressCount = qMin(int(count), NET_DVR_MAX_LOCAL_ADDRESSES);
    for (int i = 0; i < addressCount; ++i) {
        const QByteArray local(addresses[i], int(qstrnlen(addresses[i], NET_DVR_LOCAL_ADDRESS_BYTES)));
        for (CameraInfo device : probe(i, local)) {
            device.channel = int(found.size());
            found << device;
        }
    }
    if (found.isEmpty())
        NET_DVR_Cleanup();
    NET_DVR_SetLogToFile(0, "./sdkLog1", 0);
    NET_DVR_SetLogPrint(0);
    return found;
}

QList<CameraInfo> HikIRCamera::probe(int index, const QByteArray &localAddress)
{
    NET_DVR_SetValidIP(uint32_t(index), 0);
    const QList<QByteArray> fields = localAddress.split('.');
    bool ok = false;
    const int subnet = fields.size() == 4 ? fields.at(2).toInt(&ok) : -1;
    if (!ok || subnet < 0 || subnet > 255) {
        qInfo("local address %s is not an IPv4 address; not probed", localAddress.constData());
        return {};
    }
    const QByteArray address = probeAddressPattern.arg(subnet).toLatin1();
    NET_DVR_DEVICEINFO_V40 device;
    const int32_t handle = hikir::login(address, &device);
    if (handle < 0) {
        qInfo("Login DVR failed ..., error code: %u", NET_DVR_GetLastError());
        return {};
    }
    CameraInfo thermal;
    thermal.iid = iid();
    // The serial fills all 48 bytes of some devices, without a terminating NUL.
    const char *serialBytes = reinterpret_cast<const char *>(device.sSerialNumber);
    thermal.setName(QByteArray(serialBytes, int(qstrnlen(serialBytes, sizeof device.sSerialNumber))));
    thermal.setText(address);
    thermal.kind = QString::fromLatin1(ThermalKind);
    QList<CameraInfo> devices{thermal};

    NET_DVR_DEVICE_RECORD record{};
    uint32_t returned = 0;
    if (NET_DVR_GetDVRConfig(handle, NET_DVR_GET_DEVICECFG, 1, &record, sizeof record, &returned)
        && record.byChanNum == 2) {
        CameraInfo visible = thermal;
        visible.kind = QString::fromLatin1(VisibleKind);
        devices << visible;
    }
    NET_DVR_Logout(handle);
    return devices;
}

std::unique_ptr<CameraInterface> HikIRCamera::create(const CameraInfo &device)
{
    auto camera = std::make_unique<HikIRCamera>();
    camera->info = device;
    camera->serialText = QString::fromLatin1(device.nameBytes());
    return camera;
}

bool HikIRCamera::open()
{
    if (loginHandle >= 0)
        close();
    NET_DVR_SetConnectTime(ConnectTimeMs, ConnectTries);
    NET_DVR_SetReconnect(ReconnectIntervalMs, 1);
    const int32_t handle = hikir::login(info.textBytes(), nullptr);
    if (handle < 0) {
        qWarning("Login DVR failed ... LastError[%u]", NET_DVR_GetLastError());
        return false;
    }
    loginHandle = handle;
    chooseChannel();
    hikir::rewriteDvrRecord<NET_DVR_GET_RECORD_3368, NET_DVR_SET_RECORD_3369>(
        loginHandle, channel, [](NET_DVR_RECORD_3368 &record) { record.byFlag = 0; });
    startTemperatureReports();
    watchConnection();
    readResolution();
    if (!converter)
        converter = new HKHotCameraThread([this] { convertDecodedPicture(); }, this);
    allocateBuffers();
    if (type == ThermalCameraType)
        applyThermometryDefaults();
    online = true;
    return true;
}

void HikIRCamera::chooseChannel()
{
    channel = 1;
    type = ThermalCameraType;
    NET_DVR_DEVICE_RECORD record{};
    uint32_t returned = 0;
    if (!NET_DVR_GetDVRConfig(loginHandle, NET_DVR_GET_DEVICECFG, 1, &record, sizeof record, &returned)) {
        qInfo("device record of %s not read, error code: %u", info.textBytes().constData(), NET_DVR_GetLastError());
        return;
    }
    if (record.byChanNum != 2)
        return;
    if (info.kind == QLatin1String(VisibleKind)) {
        channel = 1;
        type = VisibleLightCameraType;
    } else {
        channel = 2;
    }
}

void HikIRCamera::readResolution()
{
    NET_DVR_STREAM_RECORD_COND condition{};
    condition.dwSize = sizeof condition;
    condition.struStreamInfo.dwSize = sizeof condition.struStreamInfo;
    condition.struStreamInfo.dwChannel = uint32_t(channel);
    condition.dwStreamType = 0;
    NET_DVR_STREAM_RECORD reply{};
    uint32_t status = 0;
    if (!NET_DVR_GetDeviceConfig(loginHandle, NET_DVR_GET_STREAM_RECORD, 1, &condition, sizeof condition, &status,
                                 &reply, sizeof reply)) {
        qInfo("stream record not read, error code: %u; frames taken as %d x %d", NET_DVR_GetLastError(), width, height);
        return;
    }
    const uint32_t code = reply.dwResolution >= 255 ? reply.dwResolution : reply.byResolution;
    const QSize size = resolutionSize(int(qMin(code, uint32_t(INT_MAX))));
    if (size.isValid()) {
        width = size.width();
        height = size.height();
    }
    qDebug("resolution code %u: %d x %d", code, width, height);
}

void HikIRCamera::allocateBuffers()
{
    const int pixels = width * height;
    pictureBytes = pixels * 3 / 2;
    frameIsColour = colorOutput;
    output.allocate(frameIsColour ? pixels * 4 : pixels);
    decoded.allocate(pictureBytes);
    converting.assign(size_t(pictureBytes), 0);
    statusBuffer.assign(StatusBufferBytes, 0);
}

void HikIRCamera::close()
{
    stopGrab();
    stopTemperatureReports();
    unwatchConnection();
    if (loginHandle >= 0) {
        NET_DVR_Logout(loginHandle);
        loginHandle = -1;
    }
    if (converter) {
        converter->requestStop();
        converter->wait();
        delete converter;
        converter = nullptr;
    }
    online = false;
}

bool HikIRCamera::startGrab()
{
    if (realPlayHandle >= 0)
        return true;
    if (loginHandle < 0)
        return false;
    NET_DVR_PREVIEWINFO preview;
    std::memset(&preview, 0, sizeof preview);
    preview.lChannel = channel;
    const int32_t handle = NET_DVR_RealPlay_V40(loginHandle, &preview, &HikIRCamera::streamData, this);
    if (handle < 0) {
        qWarning("NET_DVR_RealPlay_V40 failed, error code: %u", NET_DVR_GetLastError());
        return false;
    }
    realPlayHandle = handle;
    if (converter) {
        converter->wait();
        converter->startConverting();
    }
    return true;
}

void HikIRCamera::stopGrab()
{
    if (realPlayHandle < 0)
        return;
    // Ends the SDK's stream thread first, so no header can open a new player port meanwhile.
    NET_DVR_StopRealPlay(realPlayHandle);
    realPlayHandle = -1;
    releasePlayer();
    if (converter) {
        converter->requestStop();
        converter->wait();
    }
}

void HikIRCamera::releasePlayer()
{
    const int32_t port = playerPort.exchange(-1);
    if (port < 0)
        return;
    {
        QMutexLocker locker(&portCameraMutex);
        portCameraMap.remove(port);
    }
    PlayM4_Stop(port);
    PlayM4_CloseStream(port);
    PlayM4_FreePort(port);
}

void HikIRCamera::watchConnection()
{
    {
        QMutexLocker locker(&loginCameraMutex);
        loginCameraMap.insert(loginHandle, this);
    }
    NET_DVR_SetExceptionCallBack_V30(0, nullptr, &HikIRCamera::connectionReport, nullptr);
}

void HikIRCamera::unwatchConnection()
{
    QMutexLocker locker(&loginCameraMutex);
    for (auto it = loginCameraMap.begin(); it != loginCameraMap.end();)
        it = it.value() == this ? loginCameraMap.erase(it) : std::next(it);
}

void HikIRCamera::streamData(int32_t, uint32_t dataType, uint8_t *buffer, uint32_t size, void *user)
{
    auto *camera = static_cast<HikIRCamera *>(user);
    if (!camera)
        return;
    if (dataType == NET_DVR_SYSHEAD) {
        camera->onStreamHeader(buffer, size);
    } else if (dataType == NET_DVR_STREAMDATA) {
        const int32_t port = camera->playerPort.load();
        // A full player buffer drops this block; the pause lets the player catch up.
        if (size > 0 && buffer && port >= 0 && !PlayM4_InputData(port, buffer, size)
            && PlayM4_GetLastError(port) == PLAYM4_BUF_OVER)
            QThread::msleep(FeedRetryPauseMs);
    }
}

void HikIRCamera::onStreamHeader(const uint8_t *header, uint32_t size)
{
    if (playerPort.load() >= 0)
        return;
    int32_t port = -1;
    if (!PlayM4_GetPort(&port))
        return;
    playerPort = port;
    if (size == 0 || !header)
        return;
    if (!PlayM4_SetStreamOpenMode(port, STREAME_REALTIME) || !PlayM4_OpenStream(port, header, size, StreamBufferBytes)
        || !PlayM4_SetDisplayCallBackEx(port, &HikIRCamera::decodedPicture, nullptr)
        || !PlayM4_SetDisplayBuf(port, DisplayBuffers))
        return;
    if (!PlayM4_Play(port, nullptr)) {
        qWarning("PlayM4_Play failed, error code: %u", PlayM4_GetLastError(port));
        return;
    }
    QMutexLocker locker(&portCameraMutex);
    portCameraMap.insert(port, this);
}

void HikIRCamera::decodedPicture(DISPLAY_INFO *picture)
{
    if (!picture)
        return;
    QMutexLocker locker(&portCameraMutex);
    if (HikIRCamera *camera = portCameraMap.value(picture->nPort))
        camera->takeDecodedPicture(*picture);
}

void HikIRCamera::takeDecodedPicture(const DISPLAY_INFO &picture)
{
    // Only a whole picture of the size read at open fits the frame the views were built for.
    if (picture.nType != T_YV12 || picture.nWidth != width || picture.nHeight != height || !picture.pBuf
        || picture.nBufLen < pictureBytes) {
        if (!droppedPictureLogged.exchange(true))
            qWarning("camera %s: dropped a %d x %d picture of %d bytes; frames are %d x %d", qUtf8Printable(serialText),
                     picture.nWidth, picture.nHeight, picture.nBufLen, width, height);
        return;
    }
    droppedPictureLogged = false;
    decoded.publish(reinterpret_cast<const uchar *>(picture.pBuf), pictureBytes);
}

void HikIRCamera::convertDecodedPicture()
{
    ++conversionPasses;
    if (!decoded.takeNewFrame(converting.data(), int(converting.size())))
        return;
    output.publishWith([this](uchar *frame, int length) {
        const int pixels = width * height;
        if (frameIsColour && length == pixels * 4)
            yuv420ToBgra(converting.data(), frame, width, height);
        else if (!frameIsColour && length == pixels)
            yuv420ToGray(converting.data(), frame, width, height);
    });
}

void HikIRCamera::connectionReport(uint32_t code, int32_t userId, int32_t, void *)
{
    if (const char *text = reportText(code))
        qInfo("%s (login %d)", text, userId);
    else
        qInfo("事件：%u (login %d)", code, userId);
    QMutexLocker locker(&loginCameraMutex);
    if (HikIRCamera *camera = loginCameraMap.value(userId))
        camera->onConnectionReport(code);
}

void HikIRCamera::onConnectionReport(uint32_t code)
{
    if (code == EXCEPTION_PREVIEW_RECONNECT) {
        if (online.exchange(false))
            qInfo("camera %s disconnect", qUtf8Printable(serialText));
    } else if (code == PREVIEW_RECONNECT_SUCCESS) {
        online = true;
        qInfo("camera %s reconnect", qUtf8Printable(serialText));
    }
}
