#ifndef CORE_CLOCK_H
#define CORE_CLOCK_H

#include <QDateTime>

// The wall clock that day-bound logic reads (the statistics day, today's results, export
// folder names). Tests install a clock they can set, so a day roll-over can be tested without
// waiting for midnight or touching the system clock.
class Clock
{
public:
    virtual ~Clock() = default;

    // Local date and time.
    virtual QDateTime now() const;
};

// The process-wide clock. Never null: the system clock unless another one is installed.
Clock *wallClock();
// Installs a clock (tests) and returns the previous one; ownership stays with the caller.
// Null restores the system clock.
Clock *setWallClock(Clock *clock);

#endif
