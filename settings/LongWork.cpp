#include "settings/LongWork.h"

#include "station/FileWorkScope.h"
#include "station/MoJuWizard.h"
#include "station/RunCodes.h"

#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <memory>

bool runLongWork(QWidget *busyWidget, const std::function<bool()> &work)
{
    // The nested loop below serves every event: the widget may be gone when it returns.
    const QPointer<QWidget> busy(busyWidget);
    const FileWorkScope working;
    const bool wasDetecting = mainWindow && mainWindow->RunState == RunStates::Detecting;
    if (wasDetecting)
        mainWindow->StopDetect();
    const bool wasEnabled = busy && busy->isEnabled();
    if (busy)
        busy->setEnabled(false);

    std::atomic<bool> ok{false};
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] { ok = work(); }));
    // Queued to this thread: a quick job that ends before exec() still ends the loop.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();

    if (busy && wasEnabled)
        busy->setEnabled(true);
    if (wasDetecting && mainWindow && mainWindow->RunState == RunStates::Stopped)
        mainWindow->StartDetect();
    return ok;
}
