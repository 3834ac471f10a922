#ifndef CAMERAS_THERMALPALETTE_H
#define CAMERAS_THERMALPALETTE_H

#include <array>
#include <cstdint>

struct PaletteEntry
{
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

using ThermalPalette = std::array<PaletteEntry, 256>;

// The 256 colours a raw thermal frame is shown in, coldest first: dark blue through violet,
// red, orange and yellow to near white.
extern const ThermalPalette thermalPalette;

#endif
