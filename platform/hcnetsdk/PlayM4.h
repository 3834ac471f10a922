#ifndef PLATFORM_HCNETSDK_PLAYM4_H
#define PLATFORM_HCNETSDK_PLAYM4_H

// Our stand-in for the player library that decodes the network thermal cameras' stream. A port
// is opened with the stream's header, fed with the stream data, and hands every decoded
// picture to the display callback on the port's own decoding thread. The pictures are planar
// YV12: the Y plane (width x height bytes), then V and U (width/2 x height/2 bytes each).

#include <cstdint>

enum : uint32_t {
    PLAYM4_NOERROR = 0,
    PLAYM4_PARA_OVER = 1,
    PLAYM4_ORDER_ERROR = 2,
    PLAYM4_BUF_OVER = 11,
    PLAYM4_NO_PORT = 12,
};

enum : int32_t {
    STREAME_REALTIME = 0,
    STREAME_FILE = 1,
};

// Picture types of DISPLAY_INFO::nType.
enum : int32_t {
    T_YV12 = 3,
};

struct DISPLAY_INFO
{
    int32_t nPort;
    char *pBuf;
    int32_t nBufLen;
    int32_t nWidth;
    int32_t nHeight;
    int32_t nStamp;
    int32_t nType;
    void *nUser;
};

using DisplayCallBackEx = void (*)(DISPLAY_INFO *info);

// Every call but PlayM4_GetLastError returns non-zero on success.
int PlayM4_GetPort(int32_t *port);
int PlayM4_FreePort(int32_t port);
int PlayM4_SetStreamOpenMode(int32_t port, int32_t mode);
int PlayM4_OpenStream(int32_t port, const uint8_t *header, uint32_t headerSize, uint32_t bufferSize);
int PlayM4_CloseStream(int32_t port);
int PlayM4_SetDisplayCallBackEx(int32_t port, DisplayCallBackEx callback, void *user);
int PlayM4_SetDisplayBuf(int32_t port, uint32_t pictures);
int PlayM4_Play(int32_t port, void *window);
int PlayM4_Stop(int32_t port);
// Fails with PLAYM4_BUF_OVER while the stream buffer cannot take the data; the data is not
// kept then.
int PlayM4_InputData(int32_t port, const uint8_t *data, uint32_t size);
uint32_t PlayM4_GetLastError(int32_t port);

#endif
