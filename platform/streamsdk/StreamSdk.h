#ifndef PLATFORM_STREAMSDK_STREAMSDK_H
#define PLATFORM_STREAMSDK_STREAMSDK_H

// The raw stream of a stream thermal camera: frames of unsigned 16-bit samples, delivered to a
// callback on a thread of the library's own.

#include <cstdint>

extern "C" {

typedef struct streamsdk_stream streamsdk_stream;

// One raw frame. samples points to sample_count values in row order; a frame holds
// width x height samples when it is whole.
struct streamsdk_frame
{
    const uint16_t *samples;
    uint32_t sample_count;
    uint32_t width;
    uint32_t height;
    uint64_t sequence;
};

// status 0 carries a frame; any other status (the stream broke off, a frame was lost) carries
// none. Called on the stream's thread; frame is valid only during the call.
typedef void (*streamsdk_frame_callback)(int status, const streamsdk_frame *frame, void *context);

enum {
    STREAMSDK_OK = 0,
    STREAMSDK_BAD_ARGUMENT = 1,
    STREAMSDK_NO_SOURCE = 2,      // nothing streams at that host and port
    STREAMSDK_ALREADY_STARTED = 3,
    STREAMSDK_STATUS_LOST = 10    // a callback status: the source went away
};

// 0 and a new stream in *handle on success; *handle is left alone otherwise.
int streamsdk_create_stream(const char *host, int port, streamsdk_stream **handle);
// Starts delivering the frames of path to callback; max_packet_size is the largest packet
// the camera sends, as its stream description gives it.
int streamsdk_start_stream(streamsdk_stream *handle, const char *path, int max_packet_size,
                           streamsdk_frame_callback callback, void *context);
// Returns once the callback is not running and will not be called again.
int streamsdk_stop_stream(streamsdk_stream *handle);
// Stops the stream if it runs and frees it.
void streamsdk_destroy_stream(streamsdk_stream *handle);

}

#endif
