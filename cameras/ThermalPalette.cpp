#include "cameras/ThermalPalette.h"

#include <cstddef>

namespace {

struct KeyColour
{
    int row;
    PaletteEntry colour;
};

// Every sixteenth row and the last; the rows between run evenly from one key to the next.
constexpr KeyColour keyColours[] = {
    {0, {0, 15, 20}},       {16, {18, 0, 102}},     {32, {74, 0, 145}},     {48, {123, 0, 162}},
    {64, {161, 8, 154}},    {80, {193, 28, 129}},   {96, {215, 54, 93}},    {112, {220, 83, 57}},
    {128, {220, 114, 22}},  {144, {220, 145, 0}},   {160, {220, 178, 0}},   {176, {220, 206, 14}},
    {192, {220, 230, 65}},  {208, {220, 230, 157}}, {224, {220, 230, 189}}, {240, {220, 230, 205}},
    {255, {220, 230, 220}},
};

constexpr uint8_t between(uint8_t from, uint8_t to, int step, int steps)
{
    return uint8_t((from * (steps - step) + to * step + steps / 2) / steps);
}

constexpr ThermalPalette ramp()
{
    ThermalPalette palette{};
    for (size_t k = 0; k + 1 < std::size(keyColours); ++k) {
        const KeyColour &a = keyColours[k];
        const KeyColour &b = keyColours[k + 1];
        const int steps = b.row - a.row;
        for (int step = 0; step <= steps; ++step) {
            palette[size_t(a.row + step)] = {between(a.colour.red, b.colour.red, step, steps),
                                             between(a.colour.green, b.colour.green, step, steps),
                                             between(a.colour.blue, b.colour.blue, step, steps)};
        }
    }
    return palette;
}

} // namespace

const ThermalPalette thermalPalette = ramp();
