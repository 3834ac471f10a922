#ifndef PLATFORM_HCNETSDK_STREAMPACKETS_H
#define PLATFORM_HCNETSDK_STREAMPACKETS_H

// The simulated stream between a device and the player: a system header once, then one packet
// per picture (a 16-byte head with the picture's width, height and length, then its bytes).
// Internal to the layer.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hcnetsim {

constexpr uint32_t StreamHeaderBytes = 40;
constexpr size_t PictureHeadBytes = 16;

std::vector<uint8_t> streamHeader();
bool isStreamHeader(const uint8_t *data, size_t size);

std::vector<uint8_t> encodePicture(int32_t width, int32_t height, const std::vector<uint8_t> &bytes);

struct DecodedPicture
{
    int32_t width = 0;
    int32_t height = 0;
    const uint8_t *bytes = nullptr;
    uint32_t length = 0;
};
// False for anything that is not one whole packet.
bool decodePicture(const uint8_t *data, size_t size, DecodedPicture &picture);

} // namespace hcnetsim

#endif
