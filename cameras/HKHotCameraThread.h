#ifndef CAMERAS_HKHOTCAMERATHREAD_H
#define CAMERAS_HKHOTCAMERATHREAD_H

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <functional>

// The network thermal camera's conversion thread: after a start delay that gives the player
// time to decode its first picture, it runs the camera's conversion of its newest decoded
// picture into its frame every 30 ms. A stop cuts a pause short; the owner waits for the
// thread after asking it to stop. Its parent is the camera.
class HKHotCameraThread : public QThread
{
public:
    static constexpr int StartDelayMs = 300;
    static constexpr int PassMs = 30;

    HKHotCameraThread(std::function<void()> convert, QObject *camera);
    ~HKHotCameraThread() override;

    // Sets the running flag and starts the thread; the caller has waited for a previous run.
    void startConverting();
    // Clears the running flag; does not wait.
    void requestStop();

protected:
    void run() override;

private:
    // False once a stop was asked for.
    bool pause(int ms);

    const std::function<void()> convert;
    QMutex stopMutex;
    QWaitCondition stopCondition;
    bool running = false;
};

#endif
