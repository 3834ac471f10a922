// A thread that asks for prompt wake-ups gets real-time scheduling or short slices, as the
// system allows, and has its own scheduling back afterwards; a thread that is not a normal one
// is left as it is.

#include "platform/system/PromptWakeUps.h"

#include <QtTest>

#include <sched.h>
#include <sys/resource.h>

#include <thread>

namespace {

struct Seen
{
    PromptWakeUps::Mode mode = PromptWakeUps::Mode::Unchanged;
    int policyDuring = -1;
    int policyAfter = -1;
    int niceAfter = 0;
};

// Runs on a thread of its own, so the test's thread keeps its scheduling whatever happens.
Seen onOwnThread(int startPolicy, int startNice)
{
    Seen seen;
    std::thread([&] {
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
    QTest::newRow("nice 0") << 0;
    QTest::newRow("nice 5") << 5;
}

void PromptWakeUpsTest::normalThreadGetsItsSchedulingBack()
{
    QFETCH(int, nice);
    const Seen seen = onOwnThread(SCHED_OTHER, nice);
    QVERIFY(seen.policyAfter >= 0);
    switch (seen.mode) {
    case PromptWakeUps::Mode::RealTime:
        // Threads it starts meanwhile start as normal threads.
        QCOMPARE(seen.policyDuring, int(SCHED_FIFO | SCHED_RESET_ON_FORK));
        break;
    case PromptWakeUps::Mode::ShortSlices:
    case PromptWakeUps::Mode::Unchanged:
        QCOMPARE(seen.policyDuring, int(SCHED_OTHER));
        break;
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
