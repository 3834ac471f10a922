#include "cameras/FotricDevice.h"

#include "cameras/JsonMembers.h"
#include "cameras/RestConnection.h"
#include "platform/restc/Restc.h"

int FotricDevice::restPort = 10080;
int FotricDevice::streamPort = 10081;
int FotricDevice::requestTimeoutMs = RESTC_DEFAULT_TIMEOUT_MS;

namespace {

constexpr char DimensionPath[] = "/sensor/dimension";
constexpr char BootIdPath[] = "/admin/boot-id";
constexpr char StreamDescriptionPath[] = "/stream/video/raw";
constexpr char StreamPath[] = "/video/raw";

} // namespace

FotricDevice::FotricDevice(const QByteArray &host, const QByteArray &user, const QByteArray &password)
    : host(host)
    , user(user)
    , password(password)
{
    authorize();
    readSize();
}

FotricDevice::~FotricDevice()
{
    stopStream();
}

void FotricDevice::authorize() const
{
    restc_set_authroization(user.constData(), password.constData());
}

void FotricDevice::readSize()
{
    RestConnection rest(host, restPort, QuickTimeoutMs);
    Json::Value reply;
    const int status = rest.get(DimensionPath, &reply);
    int w = 0;
    int h = 0;
    if (status != 200 || !intMember(reply, "w", w) || !intMember(reply, "h", h)) {
        qInfo("camera %s: no frame size (status %d)", host.constData(), status);
        return;
    }
    if (w < 1 || h < 1 || w > MaxSide || h > MaxSide) {
        qWarning("camera %s: frame size %d x %d not taken", host.constData(), w, h);
        return;
    }
    width = w;
    height = h;
}

bool FotricDevice::answers() const
{
    return RestConnection(host, restPort, QuickTimeoutMs).get(BootIdPath, nullptr) == 200;
}

int FotricDevice::get(const char *path, Json::Value *reply) const
{
    return RestConnection(host, restPort, requestTimeoutMs).get(path, reply);
}

int FotricDevice::put(const char *path, const Json::Value &body) const
{
    return RestConnection(host, restPort, requestTimeoutMs).put(path, body);
}

int FotricDevice::post(const char *path, const Json::Value &body) const
{
    return RestConnection(host, restPort, requestTimeoutMs).post(path, body);
}

bool FotricDevice::startStream(streamsdk_frame_callback callback, void *context)
{
    if (stream)
        return true;
    streamsdk_stream *created = nullptr;
    const int result = streamsdk_create_stream(host.constData(), streamPort, &created);
    if (result != STREAMSDK_OK || !created) {
        qInfo("camera %s: no raw stream (%d)", host.constData(), result);
        return false;
    }
    Json::Value description;
    const int status = get(StreamDescriptionPath, &description);
    int packetSize = 0;
    if (status != 200 || !intMember(description, "max-packet-size", packetSize) || packetSize <= 0) {
        qWarning("camera %s: no stream description (status %d)", host.constData(), status);
        streamsdk_destroy_stream(created);
        return false;
    }
    const int started = streamsdk_start_stream(created, StreamPath, packetSize, callback, context);
    if (started != STREAMSDK_OK) {
        qWarning("camera %s: raw stream not started (%d)", host.constData(), started);
        streamsdk_destroy_stream(created);
        return false;
    }
    stream = created;
    return true;
}

void FotricDevice::stopStream()
{
    if (!stream)
        return;
    streamsdk_stop_stream(stream);
    streamsdk_destroy_stream(stream);
    stream = nullptr;
}
