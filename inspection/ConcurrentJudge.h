#ifndef INSPECTION_CONCURRENTJUDGE_H
#define INSPECTION_CONCURRENTJUDGE_H

#include <QSemaphore>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <vector>

class DetectAlgorithm;

// Judges the frames of several cameras at the same time: one trigger judges up to 8 cameras,
// and one after another they would use one core of the panel's two. Each engine is judged by
// one thread (its own buffers and models only); the calling thread takes its share and returns
// when every frame is judged. The rows then go out on the GUI thread (DetectAlgorithm::publish).
class ConcurrentJudge
{
public:
    // Threads judging besides the caller: the detection's thread count less the caller.
    ConcurrentJudge();
    ~ConcurrentJudge();
    ConcurrentJudge(const ConcurrentJudge &) = delete;
    ConcurrentJudge &operator=(const ConcurrentJudge &) = delete;

    // Registers, positions and evaluates the frame of every engine for the stage. Per engine,
    // true when it was judged here and only its publish is left; false for a missing engine or
    // a stage that must be judged on the GUI thread (it reads temperatures from the camera).
    //
    // With whileWaiting the caller judges nothing itself: every frame goes to the threads here
    // and the caller runs whileWaiting about once a millisecond, and at once when the waker
    // is called, until they are done, so that it stays free for what must not wait for the
    // judge. whileWaiting must not touch the engines.
    std::vector<bool> judge(const std::vector<DetectAlgorithm *> &engines, int stage,
                            const std::function<void()> &whileWaiting = {});

    // Has a caller waiting a judge out run whileWaiting now instead of at its next tick. Any
    // thread may call it, also after this object is gone (it then does nothing that matters).
    std::function<void()> waker() const;

    // Runs on the judging thread before each engine is judged (tests hold the judge with it).
    // Set while no judge runs.
    void setEngineGate(std::function<void(int stage)> gate) { engineGate = std::move(gate); }

private:
    QThreadPool pool;
    std::function<void(int stage)> engineGate;
    // Released by the waker and by each judging thread that is done; shared with the wakers.
    const std::shared_ptr<QSemaphore> wakeups = std::make_shared<QSemaphore>();
};

#endif
