#ifndef PLATFORM_STREAMSDK_STREAMSIMULATION_H
#define PLATFORM_STREAMSDK_STREAMSIMULATION_H

// The simulated side of the raw stream library: sources a test registers by host and port and
// the frames they send. With no source registered no stream can be created, as on a machine
// without cameras. Safe to call from any thread.

#include <cstdint>
#include <string>
#include <vector>

namespace streamsim {

struct StartCall
{
    std::string host;
    int port = 0;
    std::string path;
    int maxPacketSize = 0;
};

// Forgets every source and what was recorded; streams still running stop delivering.
void reset();

void addSource(const std::string &host, int port);
void removeSource(const std::string &host, int port);

// Queues a frame of the source; a started stream of it delivers queued frames in order.
// samples may hold any number of values (a frame of the wrong size is sent as given).
void sendFrame(const std::string &host, int port, uint32_t width, uint32_t height, std::vector<uint16_t> samples);
// A callback with status and no frame.
void sendStatus(const std::string &host, int port, int status);
// With a period above 0 the source sends its last frame again every periodMs while nothing
// else is queued.
void repeatFrames(const std::string &host, int port, int periodMs);

// Every successful start since the last reset, in order.
std::vector<StartCall> startCalls();
// Frames handed to callbacks since the last reset.
int deliveredFrames();
// Streams that exist (created, not yet destroyed).
int liveStreams();

} // namespace streamsim

#endif
