#include "platform/hcnetsdk/StreamPackets.h"

#include <cstring>

namespace hcnetsim {

namespace {

constexpr char HeaderMagic[4] = {'S', 'I', 'M', 'H'};
constexpr char PictureMagic[4] = {'S', 'I', 'M', 'V'};

void putWord(uint8_t *at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

uint32_t word(const uint8_t *at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

} // namespace

std::vector<uint8_t> streamHeader()
{
    std::vector<uint8_t> header(StreamHeaderBytes, 0);
    std::memcpy(header.data(), HeaderMagic, sizeof HeaderMagic);
    return header;
}

bool isStreamHeader(const uint8_t *data, size_t size)
{
    return data && size >= sizeof HeaderMagic && std::memcmp(data, HeaderMagic, sizeof HeaderMagic) == 0;
}

std::vector<uint8_t> encodePicture(int32_t width, int32_t height, const std::vector<uint8_t> &bytes)
{
    std::vector<uint8_t> packet(PictureHeadBytes + bytes.size());
    std::memcpy(packet.data(), PictureMagic, sizeof PictureMagic);
    putWord(packet.data() + 4, uint32_t(width));
    putWord(packet.data() + 8, uint32_t(height));
    putWord(packet.data() + 12, uint32_t(bytes.size()));
    if (!bytes.empty())
        std::memcpy(packet.data() + PictureHeadBytes, bytes.data(), bytes.size());
    return packet;
}

bool decodePicture(const uint8_t *data, size_t size, DecodedPicture &picture)
{
    if (!data || size < PictureHeadBytes || std::memcmp(data, PictureMagic, sizeof PictureMagic) != 0)
        return false;
    const uint32_t length = word(data + 12);
    if (length != size - PictureHeadBytes)
        return false;
    picture.width = int32_t(word(data + 4));
    picture.height = int32_t(word(data + 8));
    picture.bytes = data + PictureHeadBytes;
    picture.length = length;
    return true;
}

} // namespace hcnetsim
