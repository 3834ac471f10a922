#include "platform/system/PromptWakeUps.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace {

#ifdef Q_OS_LINUX
// The kernel's record for sched_setattr and sched_getattr, in its first size, which every
// kernel since 3.14 takes.
struct SchedulingAttributes
{
    std::uint32_t size;
    std::uint32_t policy;
    std::uint64_t flags;
    std::int32_t nice;
    std::uint32_t priority;
    std::uint64_t runtimeNs;
    std::uint64_t deadlineNs;
    std::uint64_t periodNs;
};

constexpr std::uint64_t ResetOnFork = 0x01;
// The shortest slice a normal thread may ask for; 0 is the system's own. Kernels before
// per-thread slices take the request and ignore the slice.
constexpr std::uint64_t ShortSliceNs = 100000;

bool readAttributes(SchedulingAttributes *attributes)
{
    *attributes = {};
    return syscall(SYS_sched_getattr, 0, attributes, unsigned(sizeof *attributes), 0u) == 0;
}

bool writeAttributes(SchedulingAttributes attributes)
{
    attributes.size = sizeof attributes;
    return syscall(SYS_sched_setattr, 0, &attributes, 0u) == 0;
}

SchedulingAttributes normalThread(int nice, std::uint64_t sliceNs)
{
    SchedulingAttributes attributes = {};
    attributes.policy = SCHED_OTHER;
    attributes.nice = nice;
    attributes.runtimeNs = sliceNs;
    return attributes;
}
#endif

} // namespace

PromptWakeUps::PromptWakeUps()
{
#ifdef Q_OS_LINUX
    SchedulingAttributes before;
    if (!readAttributes(&before) || before.policy != SCHED_OTHER)
        return;
    nice = before.nice;
    SchedulingAttributes realTime = {};
    realTime.policy = SCHED_FIFO;
    realTime.priority = 1;
    realTime.flags = ResetOnFork;
    if (writeAttributes(realTime))
        taken = Mode::RealTime;
    else if (writeAttributes(normalThread(nice, ShortSliceNs)))
        taken = Mode::ShortSlices;
#endif
}

PromptWakeUps::~PromptWakeUps()
{
#ifdef Q_OS_LINUX
    // A thread may always go back to normal scheduling, and to a nice value it had.
    if (taken != Mode::Unchanged)
        writeAttributes(normalThread(nice, 0));
#endif
}
