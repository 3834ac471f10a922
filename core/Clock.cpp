#include "core/Clock.h"

#include <atomic>

namespace {

Clock systemClock;
std::atomic<Clock *> installedClock{nullptr};

} // namespace

QDateTime Clock::now() const
{
    return QDateTime::currentDateTime();
}

Clock *wallClock()
{
    Clock *clock = installedClock.load();
    return clock ? clock : &systemClock;
}

Clock *setWallClock(Clock *clock)
{
    Clock *previous = installedClock.exchange(clock);
    return previous ? previous : &systemClock;
}
