#include "core/dataThread.h"

#include "core/TemperatureChartData.h"

dataThread::dataThread(TemperatureChartData *store, QObject *parent)
    : QThread(parent), store(store)
{
}

void dataThread::run()
{
    const bool temperatures = store->chartMode() == 2;
    const bool results = store->resultMode() == 1;
    if (temperatures) {
        store->LoadTemperatures();
        if (!results)
            store->FinishRead();
        emit readTempFinished();
    }
    if (results) {
        store->LoadResults();
        store->BuildRangeAxis();
        store->ComputeHourlyCounts();
        store->FinishRead();
        emit readResFinished();
    }
    if (!temperatures && !results)
        store->FinishRead();
}
