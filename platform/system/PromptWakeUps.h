#ifndef PLATFORM_SYSTEM_PROMPTWAKEUPS_H
#define PLATFORM_SYSTEM_PROMPTWAKEUPS_H

// While it lives, the thread that made it runs as soon as it wakes, ahead of normal threads
// that keep the processors busy (the judging threads). For threads that sleep nearly all the
// time and must act the moment something arrives: the I/O board link, a thread waiting out a
// judge for input edges. What the thread had before comes back when the object goes.
//
// Where the system allows it (root, or a real-time limit for the user), the thread takes the
// lowest real-time priority; threads it starts meanwhile start as normal threads. Otherwise it
// asks for the shortest time slices a normal thread may have, which needs no privilege and
// keeps its share of the processors; a system without them leaves the thread as it was. A
// thread that is not a normal thread (already real-time, or idle) is left alone.
//
// Made and destroyed on the same thread.
class PromptWakeUps
{
public:
    enum class Mode { Unchanged, ShortSlices, RealTime };

    PromptWakeUps();
    ~PromptWakeUps();
    PromptWakeUps(const PromptWakeUps &) = delete;
    PromptWakeUps &operator=(const PromptWakeUps &) = delete;

    Mode mode() const { return taken; }

private:
    Mode taken = Mode::Unchanged;
    // The thread's nice value before, for the way back.
    int nice = 0;
};

#endif
