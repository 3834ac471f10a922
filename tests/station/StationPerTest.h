#ifndef TESTS_STATION_STATIONPERTEST_H
#define TESTS_STATION_STATIONPERTEST_H

#include "tests/station/StationHarness.h"

#include <QByteArrayList>
#include <QtTest>

// Starts the harness's station for each test function, and keeps it running across the rows of
// the table functions named: rows that only show, store or refuse a value need no fresh station
// each, as long as each row undoes what it changed. A row that fails ends the station, so the
// row after it starts on a fresh one.
class StationPerTest
{
public:
    StationPerTest(StationHarness &harness, QByteArrayList sharedTables)
        : harness(harness)
        , shared(std::move(sharedTables))
    {
    }

    // In init(): true once the station runs, kept from the row before or started now.
    bool begin()
    {
        if (!keptFor.isEmpty() && keptFor == QTest::currentTestFunction())
            return true;
        if (!keptFor.isEmpty())
            harness.stop();
        keptFor.clear();
        return harness.start();
    }

    // In cleanup(): stops the station, unless the next row of the same table may take it over.
    void end()
    {
        const QByteArray function = QTest::currentTestFunction();
        if (shared.contains(function) && !QTest::currentTestFailed()) {
            keptFor = function;
            return;
        }
        keptFor.clear();
        harness.stop();
    }

private:
    StationHarness &harness;
    const QByteArrayList shared;
    QByteArray keptFor;
};

#endif
