#ifndef MACHINEIO_MONOTONICCLOCK_H
#define MACHINEIO_MONOTONICCLOCK_H

#include <QElapsedTimer>

// Milliseconds of the monotonic clock: for deadlines and silences, never for dates.
inline qint64 monotonicMs()
{
    QElapsedTimer timer;
    timer.start();
    return timer.msecsSinceReference();
}

#endif
