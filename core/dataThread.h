#ifndef CORE_DATATHREAD_H
#define CORE_DATATHREAD_H

#include "core/ResultQuery.h"

#include <QThread>

class TemperatureChartData;

// The result store's reader: one range read per start, then it ends. What it reads is fixed
// when the read starts, so a window that changes the store's query or modes meanwhile cannot
// change a read under way. Its signals carry the read's identity and are emitted on this
// thread; the windows receive them queued and then read the store on the GUI thread.
class dataThread : public QThread
{
    Q_OBJECT

public:
    explicit dataThread(TemperatureChartData *store, QObject *parent = nullptr);

    // Called by the store before each start, never while the thread runs.
    void setRead(quint64 read, const ResultQuery &range, bool temperatures, bool results);

signals:
    void readTempFinished(quint64 read);
    void readResFinished(quint64 read);

protected:
    void run() override;

private:
    TemperatureChartData *store;
    quint64 readId = 0;
    ResultQuery query;
    bool readTemperatures = false;
    bool readResults = false;
};

#endif
