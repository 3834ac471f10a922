#include "cameras/HKHotCameraThread.h"

#include <utility>

HKHotCameraThread::HKHotCameraThread(std::function<void()> convert, QObject *camera)
    : QThread(camera)
    , convert(std::move(convert))
{
}

HKHotCameraThread::~HKHotCameraThread()
{
    requestStop();
    wait();
}

void HKHotCameraThread::startConverting()
{
    {
        QMutexLocker locker(&stopMutex);
        running = true;
    }
    start();
}

void HKHotCameraThread::requestStop()
{
    QMutexLocker locker(&stopMutex);
    running = false;
    stopCondition.wakeAll();
}

bool HKHotCameraThread::pause(int ms)
{
    QMutexLocker locker(&stopMutex);
    if (running)
        stopCondition.wait(&stopMutex, ulong(ms));
    return running;
}

void HKHotCameraThread::run()
{
    if (!pause(StartDelayMs))
        return;
    do {
        convert();
    } while (pause(PassMs));
}
