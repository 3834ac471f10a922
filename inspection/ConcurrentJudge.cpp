#include "inspection/ConcurrentJudge.h"

#include "inspection/DetectAlgorithm.h"
#include "inspection/DetectionRuntime.h"
#include "platform/system/PromptWakeUps.h"

#include <QSemaphore>

#include <algorithm>
#include <atomic>

namespace {

constexpr int WaitingTickMs = 1;

} // namespace

ConcurrentJudge::ConcurrentJudge()
{
    // As many threads as the detection uses; a caller that takes a share starts one less.
    pool.setMaxThreadCount(std::max(1, DetectionThreads));
    // Kept for the next trigger instead of started anew on each.
    pool.setExpiryTimeout(-1);
}

ConcurrentJudge::~ConcurrentJudge()
{
    pool.waitForDone();
}

std::function<void()> ConcurrentJudge::waker() const
{
    // One waiting wake-up is as good as many: a station that judges nothing for a long time
    // does not pile them up.
    return [wakeups = wakeups] {
        if (wakeups->available() == 0)
            wakeups->release();
    };
}

std::vector<bool> ConcurrentJudge::judge(const std::vector<DetectAlgorithm *> &engines, int stage,
                                         const std::function<void()> &whileWaiting)
{
    std::vector<bool> judged(engines.size(), false);
    std::vector<DetectAlgorithm *> work;
    for (size_t i = 0; i < engines.size(); ++i) {
        if (engines[i] && engines[i]->judgesOffThread(stage)) {
            judged[i] = true;
            work.push_back(engines[i]);
        }
    }
    // Whoever is free takes the next camera.
    std::atomic<size_t> next{0};
    const auto share = [&] {
        for (size_t i = next++; i < work.size(); i = next++) {
            if (engineGate)
                engineGate(stage);
            work[i]->judge(stage);
        }
    };
    const bool callerShares = !whileWaiting;
    const int threads = callerShares ? pool.maxThreadCount() - 1 : pool.maxThreadCount();
    const int helpers = std::max(0, std::min(threads, static_cast<int>(work.size()) - (callerShares ? 1 : 0)));
    // Wake-ups left from an earlier judge or from idle times are no news for this one.
    wakeups->tryAcquire(wakeups->available());
    QSemaphore finished;
    for (int h = 0; h < helpers; ++h) {
        // After its release of finished a thread reads only what outlives this call.
        pool.start([&, callerShares] {
            share();
            finished.release();
            if (!callerShares)
                wakeups->release();
        });
    }
    if (callerShares) {
        share();
        finished.acquire(helpers);
    } else {
        // The caller's wake-ups must not wait behind the judging threads' time slices.
        const PromptWakeUps prompt;
        while (!finished.tryAcquire(helpers)) {
            wakeups->tryAcquire(1, WaitingTickMs);
            whileWaiting();
        }
    }
    return judged;
}
