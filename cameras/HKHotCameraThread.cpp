#include "cameras/HKHotCameraThread.h"

#include "cameras/HikIRCamera.h"

HKHotCameraThread::HKHotCameraThread(HikIRCamera *camera) : QThread(camera), camera(camera) {}

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
        camera->convertDecodedPicture();
    } while (pause(PassMs));
}
