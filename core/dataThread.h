#ifndef CORE_DATATHREAD_H
#define CORE_DATATHREAD_H

#include <QThread>

class TemperatureChartData;

// The result store's reader: one range read per start, then it ends. Its signals are emitted
// on this thread; the windows receive them queued and then read the store on the GUI thread.
class dataThread : public QThread
{
    Q_OBJECT

public:
    explicit dataThread(TemperatureChartData *store, QObject *parent = nullptr);

signals:
    void readTempFinished();
    void readResFinished();

protected:
    void run() override;

private:
    TemperatureChartData *store;
};

#endif
