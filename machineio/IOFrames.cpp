#include "machineio/IOFrames.h"

quint8 byteSum(const quint8 *bytes, int length)
{
    quint32 sum = 0;
    for (int i = 0; i < length; ++i)
        sum += bytes[i];
    return quint8(sum & 0xFF);
}

IORequestFrame makeRequestFrame(int command, qint32 value)
{
    IORequestFrame frame = {IOFrame::Start, quint8(command), quint8(value & 0xFF),
                            quint8((value >> 8) & 0xFF), 0, IOFrame::End};
    frame[4] = byteSum(frame.data(), 4);
    return frame;
}
