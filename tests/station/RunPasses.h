#ifndef TESTS_STATION_RUNPASSES_H
#define TESTS_STATION_RUNPASSES_H

#include "station/MoJuWizard.h"

#include <QtTest>

// True once the station has ended n more run passes: for a check that something did not
// happen, over that many passes rather than over a time a slow machine may spend on one.
inline bool runPassesEnded(const MoJuWizard *station, int n, int timeoutMs)
{
    const quint64 target = station->runPasses + quint64(n);
    return QTest::qWaitFor([&] { return station->runPasses >= target; }, timeoutMs);
}

#endif
