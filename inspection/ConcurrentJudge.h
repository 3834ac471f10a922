#ifndef INSPECTION_CONCURRENTJUDGE_H
#define INSPECTION_CONCURRENTJUDGE_H

#include <QThreadPool>

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
    std::vector<bool> judge(const std::vector<DetectAlgorithm *> &engines, int stage);

private:
    QThreadPool pool;
};

#endif
