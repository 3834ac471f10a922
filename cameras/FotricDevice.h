#ifndef CAMERAS_FOTRICDEVICE_H
#define CAMERAS_FOTRICDEVICE_H

#include "platform/streamsdk/StreamSdk.h"

#include <QByteArray>

#include <json/value.h>

// The connection settings of one stream thermal camera and its raw stream. Creating one asks
// the camera for its frame size; deleting one stops and destroys its stream.
// GUI thread only (the stream's callback runs on the stream library's thread).
class FotricDevice
{
public:
    // The camera's REST and raw stream ports; settings so that tests can reach a camera
    // served on loopback.
    static int restPort;
    static int streamPort;
    // The time-out of the requests below, the REST client's default unless a test of a camera
    // that answers late sets a shorter one.
    static int requestTimeoutMs;
    // Frame size and presence are asked with a short time-out: enumeration probes addresses
    // where nothing may answer.
    static constexpr int QuickTimeoutMs = 500;
    // Larger frames than this are not taken from a camera's answer.
    static constexpr int MaxSide = 8192;

    FotricDevice(const QByteArray &host, const QByteArray &user, const QByteArray &password);
    ~FotricDevice();
    FotricDevice(const FotricDevice &) = delete;
    FotricDevice &operator=(const FotricDevice &) = delete;

    // Whether the camera reported a usable frame size.
    bool hasSize() const { return width > 0 && height > 0; }
    int frameWidth() const { return width; }
    int frameHeight() const { return height; }

    // Whether the camera answers its boot identity with 200.
    bool answers() const;

    // Requests with requestTimeoutMs; see RestConnection for the results.
    int get(const char *path, Json::Value *reply) const;
    int put(const char *path, const Json::Value &body) const;
    int post(const char *path, const Json::Value &body) const;
    // Sends the device's credentials with the requests that follow.
    void authorize() const;

    bool hasStream() const { return stream != nullptr; }
    // Creates the raw stream and starts it with the packet size the camera describes; false
    // (and no stream) when either fails.
    bool startStream(streamsdk_frame_callback callback, void *context);
    // Stops and destroys the stream; afterwards there is none.
    void stopStream();

private:
    void readSize();

    QByteArray host;
    QByteArray user;
    QByteArray password;
    int width = 0;
    int height = 0;
    streamsdk_stream *stream = nullptr;
};

#endif
