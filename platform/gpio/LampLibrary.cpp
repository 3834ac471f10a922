// Stand-in for the lamp board's library on machines without the board: behaves like the board
// (init, write, read back) and keeps the lamp states in memory.
#include "platform/gpio/LampLibrary.h"

#include <atomic>

#define LDIO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr std::uint16_t libraryVersion = 0x0100;

std::atomic<bool> initialised{false};
std::atomic<bool> initFails{false};
std::atomic<bool> writeFails{false};
std::atomic<int> writeAttempts{0};
std::atomic<std::uint8_t> lampStates[GpioLampChannels] = {};

} // namespace

LDIO_EXPORT std::uint16_t GPIO_Ver()
{
    return libraryVersion;
}

LDIO_EXPORT std::uint16_t GPIO_Init(std::uint32_t mask)
{
    if (initFails.load() || mask == 0) {
        initialised = false;
        return GpioInitFailed;
    }
    initialised = true;
    return 0;
}

// The lamp state of a channel, or 0xFFFF for a channel the board does not have.
LDIO_EXPORT std::uint16_t GPIO_Read(std::uint8_t channel)
{
    if (channel >= GpioLampChannels)
        return 0xFFFF;
    return lampStates[channel].load();
}

LDIO_EXPORT std::uint16_t GPIO_Write(std::uint8_t channel, std::uint8_t value)
{
    ++writeAttempts;
    if (!initialised.load() || writeFails.load() || channel >= GpioLampChannels)
        return 0;
    lampStates[channel] = value;
    return GpioWriteOk;
}

LDIO_EXPORT void LDIO_SetFailures(int failInit, int failWrite)
{
    initFails = failInit != 0;
    writeFails = failWrite != 0;
}

LDIO_EXPORT int LDIO_WriteAttempts()
{
    return writeAttempts.load();
}

LDIO_EXPORT void LDIO_Reset()
{
    initialised = false;
    initFails = false;
    writeFails = false;
    writeAttempts = 0;
    for (auto &state : lampStates)
        state = 0;
}
