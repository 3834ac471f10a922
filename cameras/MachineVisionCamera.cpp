#include "cameras/MachineVisionCamera.h"

#include "core/Globals.h"
#include "inspection/FrameConversions.h"

MachineVisionCamera::MachineVisionCamera() = default;

void MachineVisionCamera::getSize(int *frameWidth, int *frameHeight) const
{
    if (frameWidth)
        *frameWidth = width;
    if (frameHeight)
        *frameHeight = height;
}

bool MachineVisionCamera::getImage(uchar *destination, int destinationSize)
{
    return handoff.takeNewFrame(destination, destinationSize);
}

void MachineVisionCamera::bindRecord(const CameraInfo &record)
{
    info = record;
    identity = QString::fromLatin1(record.nameBytes());
    deviceIndex = record.index;
}

void MachineVisionCamera::allocateFrames()
{
    handoff.allocate(frameLength());
}

void MachineVisionCamera::publishGrey(const uchar *data, int length)
{
    handoff.publish(data, qMin(length, pixelCount()));
}

bool MachineVisionCamera::publishRgb24(const uchar *rgb)
{
    // The buffer is sized at open, while no frame arrives; a grey-sized one takes no colour.
    if (!rgb || handoff.frameLength() != pixelCount() * 4)
        return false;
    const int w = width;
    const int h = height;
    handoff.publishWith([rgb, w, h](uchar *frame, int) { rgb24ToRgb32(frame, rgb, w, h); });
    return true;
}

float MachineVisionCamera::frameRateFactor(int level)
{
    if (frameRateFactors.isEmpty())
        return 1.0f;
    return frameRateFactors.at(qBound(0, level, int(frameRateFactors.size()) - 1));
}
