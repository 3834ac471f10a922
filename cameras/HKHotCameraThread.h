#ifndef CAMERAS_HKHOTCAMERATHREAD_H
#define CAMERAS_HKHOTCAMERATHREAD_H

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

class HikIRCamera;

// The network thermal camera's conversion thread: after a start delay that gives the player
// time to decode its first picture, it converts the camera's newest decoded picture into its
// frame every 30 ms. A stop cuts a pause short; the owner waits for the thread after asking it
// to stop. Its parent is the camera.
class HKHotCameraThread : public QThread
{
public:
    static constexpr int StartDelayMs = 300;
    static constexpr int PassMs = 30;

    explicit HKHotCameraThread(HikIRCamera *camera);
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

    HikIRCamera *camera;
    QMutex stopMutex;
    QWaitCondition stopCondition;
    bool running = false;
};

#endif
