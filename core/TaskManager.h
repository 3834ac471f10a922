#ifndef CORE_TASKMANAGER_H
#define CORE_TASKMANAGER_H

#include <QObject>
#include <QPointer>
#include <QWidget>

class QTimer;

// The repaint task: every 100 ms on the GUI thread it asks the bottom status bar's time
// display and the title bars of the visible camera panels to repaint. It reads no state
// itself; the widgets take their texts from the run controller when they paint.
class TaskManager : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 100;

    // Created on first use (with the given parent) and never destroyed; GUI thread only.
    static TaskManager *instance(QObject *parent = nullptr);

    // Starts the repeating timer; called once the main window is shown.
    void Start();

public slots:
    void SlotLoopShowTask();

private:
    explicit TaskManager(QObject *parent);

    QTimer *timer;
    // The status bar's time display, once found; it clears itself when the widget goes.
    QPointer<QWidget> statusDisplay;
};

#endif
