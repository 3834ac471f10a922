#ifndef PLATFORM_GPIO_LAMPLIBRARY_H
#define PLATFORM_GPIO_LAMPLIBRARY_H

#include <cstdint>

// The entry points of the status-lamp library "LDIO_DLL", resolved by name at run time.
// GPIO_Init returns 0xFFFF on failure; GPIO_Write returns 1 on success. Channels 0 to 3 are
// the green and red lamps of the two lamp towers.
extern "C" {
typedef std::uint16_t (*GpioVerFunction)();
typedef std::uint16_t (*GpioInitFunction)(std::uint32_t mask);
typedef std::uint16_t (*GpioReadFunction)(std::uint8_t channel);
typedef std::uint16_t (*GpioWriteFunction)(std::uint8_t channel, std::uint8_t value);
}

constexpr std::uint16_t GpioInitFailed = 0xFFFF;
constexpr std::uint16_t GpioWriteOk = 1;
constexpr int GpioLampChannels = 4;

// Our own build of the library (platform/gpio) keeps the lamp states in memory, where GPIO_Read
// returns them, and answers these extra calls so that a test can watch and break it:
//   LDIO_SetFailures(initFails, writeFails)  makes GPIO_Init and GPIO_Write fail while non-zero;
//   LDIO_WriteAttempts()                     counts GPIO_Write calls, successful or not;
//   LDIO_Reset()                             clears failures, states, counter and the init flag.
extern "C" {
typedef void (*LdioSetFailuresFunction)(int initFails, int writeFails);
typedef int (*LdioWriteAttemptsFunction)();
typedef void (*LdioResetFunction)();
}

#endif
