#ifndef CAMERAS_CAMERAINFO_H
#define CAMERAS_CAMERAINFO_H

#include <QByteArray>
#include <QString>

// One device that a driver family found: enumeration fills it, creation consumes it, and each
// driver keeps a copy of the record of its own device.
struct CameraInfo
{
    static constexpr int NameBytes = 64;
    static constexpr int TextBytes = 129;

    // Position of the device in its driver's own device list; -1 when no enumeration filled it.
    qint32 index = -1;
    // Sub-device number; -1 unless the driver uses channels.
    qint32 channel = -1;
    // Identifier of the driver family that found the device.
    QString iid;
    // The device's identity (serial number, device name or network address), zero-terminated;
    // the binding to camera slots compares it. Empty for simulated cameras.
    char name[NameBytes] = {};
    // A second text that only some drivers fill (a network address).
    char text[TextBytes] = {};
    // Channel kind of a multi-channel device ("IRCamera", "RGBCamera"); empty elsewhere.
    QString kind;

    // Device data is not trusted to be terminated: these stop at the first NUL or at the
    // capacity, whichever comes first, and always leave the field terminated.
    void setName(const QByteArray &bytes) { copyField(name, NameBytes, bytes); }
    void setText(const QByteArray &bytes) { copyField(text, TextBytes, bytes); }
    QByteArray nameBytes() const { return fieldBytes(name, NameBytes); }
    QByteArray textBytes() const { return fieldBytes(text, TextBytes); }

private:
    static void copyField(char *field, int capacity, const QByteArray &bytes);
    static QByteArray fieldBytes(const char *field, int capacity);
};

#endif
