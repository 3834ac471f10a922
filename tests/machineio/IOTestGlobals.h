#ifndef TESTS_MACHINEIO_IOTESTGLOBALS_H
#define TESTS_MACHINEIO_IOTESTGLOBALS_H

#include "core/Globals.h"
#include "core/SystemParameters.h"
#include "machineio/IOGlobals.h"

#include <QMutex>

// Points the I/O link's globals at a fresh parameter record (all zero: idle levels low, no
// polarity, no spare input or output, standard machine) and a mutex of its own, and resets
// the shared words, for the lifetime of one test.
struct IOTestGlobals
{
    SystemParameters params;
    QMutex mutex;

    IOTestGlobals()
    {
        currentParams = &params;
        ioMutex = &mutex;
        ioInputWord = 0;
        ioOutputWord = -1;
        ioInputBaselines = 0;
        ioInputBaselineWord = 0;
        ioLastOutputWord = 0;
        doorOpenedSinceAlarm = false;
    }
    ~IOTestGlobals()
    {
        currentParams = nullptr;
        ioMutex = nullptr;
    }
};

#endif
