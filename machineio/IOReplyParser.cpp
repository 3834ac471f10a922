#include "machineio/IOReplyParser.h"

#include <algorithm>
#include <cstring>

int IOReplyParser::append(const char *bytes, int count)
{
    if (!bytes || count <= 0)
        return 0;
    const int taken = std::min(count, freeSpace());
    std::memcpy(buffer.data() + fill, bytes, size_t(taken));
    fill += taken;
    return taken;
}

bool IOReplyParser::frameAt(int position) const
{
    const quint8 *frame = buffer.data() + position;
    return frame[0] == IOFrame::Start && frame[7] == IOFrame::End && frame[6] == byteSum(frame, 6);
}

bool IOReplyParser::next(IOReplyFrame *frame)
{
    while (fill - cursor >= IOFrame::ReplySize) {
        if (!frameAt(cursor)) {
            ++cursor;
            continue;
        }
        frame->type = buffer[size_t(cursor) + 1];
        std::copy_n(buffer.begin() + cursor + 2, 4, frame->data.begin());
        cursor += IOFrame::ReplySize;
        return true;
    }
    const int rest = fill - cursor;
    std::memmove(buffer.data(), buffer.data() + cursor, size_t(rest));
    fill = rest;
    cursor = 0;
    return false;
}
