#ifndef MACHINEIO_IOREPLYPARSER_H
#define MACHINEIO_IOREPLYPARSER_H

#include "machineio/IOFrames.h"

#include <array>

// Reassembles reply frames from the bytes the board sends. Frames are found by length and
// checksum; bytes that do not start a valid frame are skipped one at a time, so the parser
// falls back into step after garbage or a damaged frame.
//
// The buffer has a fixed size and never drops bytes: append() takes at most freeSpace() bytes
// and the caller keeps the rest for later. Since next() leaves at most 7 bytes behind, a
// caller that parses after every append always finds room for more than a thousand bytes.
class IOReplyParser
{
public:
    static constexpr int Capacity = 1024;

    int freeSpace() const { return Capacity - fill; }
    // Forgets every byte held (the port was opened anew).
    void clear() { fill = cursor = 0; }
    int size() const { return fill; }

    // Copies up to freeSpace() bytes; returns how many were taken.
    int append(const char *bytes, int count);

    // Takes the next valid frame from the buffer. Returns false when fewer than 8 bytes are
    // left; those are kept at the start of the buffer as the beginning of the next frame.
    bool next(IOReplyFrame *frame);

private:
    bool frameAt(int position) const;

    std::array<quint8, Capacity> buffer = {};
    int fill = 0;
    int cursor = 0;
};

#endif
