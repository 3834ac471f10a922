#include "inspection/ConcurrentJudge.h"

#include "inspection/DetectAlgorithm.h"
#include "inspection/DetectionRuntime.h"

#include <QSemaphore>

#include <algorithm>
#include <atomic>

ConcurrentJudge::ConcurrentJudge()
{
    pool.setMaxThreadCount(std::max(1, DetectionThreads - 1));
    // Kept for the next trigger instead of started anew on each.
    pool.setExpiryTimeout(-1);
}

ConcurrentJudge::~ConcurrentJudge()
{
    pool.waitForDone();
}

std::vector<bool> ConcurrentJudge::judge(const std::vector<DetectAlgorithm *> &engines, int stage)
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
        for (size_t i = next++; i < work.size(); i = next++)
            work[i]->judge(stage);
    };
    const int helpers = std::min(pool.maxThreadCount(), static_cast<int>(work.size()) - 1);
    QSemaphore finished;
    for (int h = 0; h < helpers; ++h) {
        pool.start([&] {
            share();
            finished.release();
        });
    }
    share();
    finished.acquire(std::max(helpers, 0));
    return judged;
}
