#include "core/dataThread.h"

#include "core/TemperatureChartData.h"

dataThread::dataThread(TemperatureChartData *store, QObject *parent)
    : QThread(parent), store(store)
{
}

void dataThread::setRead(quint64 read, const ResultQuery &range, bool temperatures, bool results)
{
    readId = read;
    query = range;
    readTemperatures = temperatures;
    readResults = results;
}

void dataThread::run()
{
    // The store is free for the next read before the last signal goes out, so a window that
    // receives it may search again at once.
    if (readTemperatures) {
        store->LoadTemperatures(readId, query);
        if (!readResults)
            store->FinishRead();
        emit readTempFinished(readId);
    }
    if (readResults) {
        store->LoadResults(readId, query);
        store->FinishRead();
        emit readResFinished(readId);
    }
    if (!readTemperatures && !readResults)
        store->FinishRead();
}
