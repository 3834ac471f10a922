// A thread that asks for prompt wake-ups gets real-time scheduling where the process may have
// it, short slices otherwise, and has its own scheduling back afterwards; a thread that is not a
// normal one is left as it is.

#include "platform/system/PromptWakeUps.h"

#include <QtTest>

#include <linux/capability.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

namespace {

struct Seen
{
    PromptWakeUps::Mode mode = PromptWakeUps::Mode::Unchanged;
    int policyDuring = -1;
    int policyAfter = -1;
    int niceAfter = 0;
};

// The process's real-time limit, the soft one lowered for as long as the object lives.
class RealTimeLimit
{
public:
    RealTimeLimit() { getrlimit(RLIMIT_RTPRIO, &saved); }
    ~RealTimeLimit() { setrlimit(RLIMIT_RTPRIO, &saved); }
    bool lowerToNone()
    {
        rlimit none = saved;
        none.rlim_cur = 0;
        return setrlimit(RLIMIT_RTPRIO, &none) == 0;
    }
    bool allowsRealTime() const { return saved.rlim_cur >= 1; }

private:
    rlimit saved = {};
};

// Capabilities belong to a thread: these read and drop the calling thread's.
bool threadMayChangeScheduling()
{
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    return syscall(SYS_capget, &header, data) == 0 && (data[0].effective & (1u << CAP_SYS_NICE)) != 0;
}

bool dropSchedulingCapability()
{
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective &= ~(1u << CAP_SYS_NICE);
    return syscall(SYS_capset, &header, data) == 0;
}

// Whether a thread of this process may take real-time scheduling: with the capability (root),
// or with a real-time limit of at least the lowest priority.
bool processMayTakeRealTime()
{
    return threadMayChangeScheduling() || RealTimeLimit().allowsRealTime();
}

// Runs on a thread of its own, so the test's thread keeps its scheduling whatever happens;
// without real time, that thread may not take it.
Seen onOwnThread(int startPolicy, int startNice, bool realTime = true)
{
    Seen seen;
    RealTimeLimit limit;
    if (!realTime && !limit.lowerToNone())
        return seen;
    std::thread([&] {
        if (!realTime && !dropSchedulingCapability())
            return;
        sched_param none = {};
        if (sched_setscheduler(0, startPolicy, &none) != 0 || setpriority(PRIO_PROCESS, 0, startNice) != 0)
            return;
        {
            const PromptWakeUps prompt;
            seen.mode = prompt.mode();
            seen.policyDuring = sched_getscheduler(0);
        }
        seen.policyAfter = sched_getscheduler(0);
        seen.niceAfter = getpriority(PRIO_PROCESS, 0);
    }).join();
    return seen;
}

} // namespace

class PromptWakeUpsTest : public QObject
{
    Q_OBJECT

private slots:
    void normalThreadGetsItsSchedulingBack_data();
    void normalThreadGetsItsSchedulingBack();
    void otherThreadsAreLeftAlone_data();
    void otherThreadsAreLeftAlone();
};

void PromptWakeUpsTest::normalThreadGetsItsSchedulingBack_data()
{
    QTest::addColumn<int>("nice");
    QTest::addColumn<bool>("realTime");
    QTest::newRow("nice 0, real time allowed") << 0 << true;
    QTest::newRow("nice 5, real time allowed") << 5 << true;
    QTest::newRow("nice 0, no real time") << 0 << false;
    QTest::newRow("nice 5, no real time") << 5 << false;
}

void PromptWakeUpsTest::normalThreadGetsItsSchedulingBack()
{
    QFETCH(int, nice);
    QFETCH(bool, realTime);
    if (realTime && !processMayTakeRealTime())
        QSKIP("this process may not take real-time scheduling (neither root nor a real-time limit)");
    const Seen seen = onOwnThread(SCHED_OTHER, nice, realTime);
    QVERIFY(seen.policyAfter >= 0);
    if (realTime) {
        QCOMPARE(int(seen.mode), int(PromptWakeUps::Mode::RealTime));
        // Threads it starts meanwhile start as normal threads.
        QCOMPARE(seen.policyDuring, int(SCHED_FIFO | SCHED_RESET_ON_FORK));
    } else {
        // Short slices need no privilege.
        QCOMPARE(int(seen.mode), int(PromptWakeUps::Mode::ShortSlices));
        QCOMPARE(seen.policyDuring, int(SCHED_OTHER));
    }
    QCOMPARE(seen.policyAfter, int(SCHED_OTHER));
    QCOMPARE(seen.niceAfter, nice);
}

void PromptWakeUpsTest::otherThreadsAreLeftAlone_data()
{
    QTest::addColumn<int>("policy");
    QTest::newRow("batch") << int(SCHED_BATCH);
    QTest::newRow("idle") << int(SCHED_IDLE);
}

void PromptWakeUpsTest::otherThreadsAreLeftAlone()
{
    QFETCH(int, policy);
    const Seen seen = onOwnThread(policy, 0);
    QVERIFY(seen.policyAfter >= 0);
    QCOMPARE(int(seen.mode), int(PromptWakeUps::Mode::Unchanged));
    QCOMPARE(seen.policyDuring, policy);
    QCOMPARE(seen.policyAfter, policy);
}

QTEST_GUILESS_MAIN(PromptWakeUpsTest)
#include "PromptWakeUpsTest.moc"
