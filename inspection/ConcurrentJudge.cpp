#include "inspection/ConcurrentJudge.h"

#include "inspection/DetectAlgorithm.h"
#include "inspection/DetectionRuntime.h"

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
    QSemaphore finished;
    for (int h = 0; h < helpers; ++h) {
        pool.start([&] {
            share();
            finished.release();
        });
    }
    if (callerShares) {
        share();
        finished.acquire(helpers);
    } else {
        while (!finished.tryAcquire(helpers, WaitingTickMs))
            whileWaiting();
    }
    return judged;
}
