#include "core/TaskManager.h"

#include "core/StationHost.h"

#include <QTimer>
#include <QWidget>

namespace {

TaskManager *taskManager = nullptr;

// Object name and class of the status bar's date, time and cycle-time display. Matched by
// name so that the core needs no link to the station.
const char statusDisplayName[] = "DottomDock_Describe_part1";

} // namespace

TaskManager *TaskManager::instance(QObject *parent)
{
    if (!taskManager)
        taskManager = new TaskManager(parent);
    return taskManager;
}

TaskManager::TaskManager(QObject *parent)
    : QObject(parent)
    , timer(new QTimer(this))
{
    timer->setInterval(IntervalMs);
    connect(timer, &QTimer::timeout, this, &TaskManager::SlotLoopShowTask);
}

void TaskManager::Start()
{
    timer->start();
}

void TaskManager::SlotLoopShowTask()
{
    if (!stationHost)
        return;
    // Found once: searching the whole window every 100 ms costs more than the repaint.
    if (!statusDisplay) {
        if (QWidget *host = stationHost->hostWidget()) {
            const QList<QWidget *> candidates =
                host->findChildren<QWidget *>(QLatin1String(statusDisplayName));
            for (QWidget *candidate : candidates) {
                if (candidate->inherits(statusDisplayName)) {
                    statusDisplay = candidate;
                    break;
                }
            }
        }
    }
    if (statusDisplay)
        statusDisplay->update();
    stationHost->updateVisiblePanelTitles();
}
