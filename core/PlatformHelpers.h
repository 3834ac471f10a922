#ifndef CORE_PLATFORMHELPERS_H
#define CORE_PLATFORMHELPERS_H

#include "platform/gpio/LampLibrary.h"

#include <QString>

// Reaching the machine outside the program: the status lamps, the screen backlight, a USB
// stick at "/mnt", and the waits before a restart or exit. GUI thread only.

// Lamps may be driven; once false it stays false for the run.
extern bool gpioUsable;
// The lamp library's write entry point; null until the library is set up.
extern GpioWriteFunction gpioWrite;

// The name under which the lamp library is loaded: "LDIO_DLL.dll" on Windows; elsewhere our
// own build beside the executable ("LDIO_DLL" resolves to libLDIO_DLL.so there).
QString lampLibraryFileName();
// Loads the lamp library and resolves its entry points (start-up). Any failure clears
// gpioUsable and is logged; the library stays loaded for the run.
void loadLampLibrary(const QString &fileName = lampLibraryFileName());

// Drives one lamp channel: 0 lamp 3 green, 1 lamp 3 red, 2 lamp 2 green, 3 lamp 2 red.
void setStatusLed(int led, int value);

// Switches the backlight and records the state in the main window's screen-off flag.
void setBacklight(bool on);

// Mounts the first USB partition found by blkid at "/mnt"; returns "/mnt" when it is mounted
// there, otherwise an empty text. Callers copy and unmount themselves.
QString mountUsbDisk();

// Blocks the calling thread for 1000 ms.
void pauseOneSecond();

// pauseOneSecond, then ends the process with the given status at once: the log is flushed,
// and no static object is destroyed under threads that still run.
[[noreturn]] void exitAfterDelay(int status);

#endif
