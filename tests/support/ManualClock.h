#ifndef TESTS_SUPPORT_MANUALCLOCK_H
#define TESTS_SUPPORT_MANUALCLOCK_H

#include "core/Clock.h"

#include <QMutex>
#include <QMutexLocker>

// A wall clock the test sets by hand. Installs itself for its lifetime. Reader threads may
// ask it for the time while the test moves it, so it is guarded.
class ManualClock : public Clock
{
public:
    explicit ManualClock(const QDateTime &start) : time(start), previous(setWallClock(this)) {}
    ~ManualClock() override { setWallClock(previous); }

    QDateTime now() const override
    {
        QMutexLocker locker(&mutex);
        return time;
    }

    void set(const QDateTime &newTime)
    {
        QMutexLocker locker(&mutex);
        time = newTime;
    }

private:
    mutable QMutex mutex;
    QDateTime time;
    Clock *previous;
};

#endif
