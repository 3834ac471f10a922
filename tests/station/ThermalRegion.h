#ifndef TESTS_STATION_THERMALREGION_H
#define TESTS_STATION_THERMALREGION_H

#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "inspection/CammerSingleton.h"
#include "inspection/ClustomRect.h"
#include "inspection/DetectAlgorithm.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "tests/cameras/ThermalDevices.h"
#include "tests/station/StationHarness.h"

#include <QRect>
#include <QSqlQuery>
#include <QtTest>

// A temperature rectangle stored as the next region of `stage` of camera 0, as an operator
// draws it: emissivity 0.95, no offset, reflected temperature 30, the given alarm limits and
// temperature kind.
inline bool storeTemperatureRegion(int width, int height, int stage, const QRect &rect, int lower, int upper,
                                   int kind)
{
    CammerSingleton config(0);
    QSqlQuery query = ParameterManager::instance()->paramQuery();
    if (!config.load(query, width, height))
        return false;
    auto *shape = new ClustomRect;
    shape->setRect(rect.x(), rect.y(), rect.width(), rect.height());
    const int slot = CammerSingleton::slot(stage, config.roiCount[stage]++);
    config.toolType[slot] = TemperatureTool;
    config.shapeType[slot] = shape->typeId();
    config.param1[slot] = thermal::packed(95, 0);
    config.param2[slot] = thermal::packed(lower, kind);
    config.param3[slot] = thermal::packed(upper, 30);
    config.shapes[stage].append(shape);
    return config.save(query);
}

// The thermal stations' cycles: one camera whose temperature region is the first of the stage
// a mould-open cycle judges with the default settings, with these limits and the maximum as
// its kind.
namespace thermalcycle {

constexpr int CavityStage = 1;
constexpr int LowerLimit = 40;
constexpr int UpperLimit = 80;
constexpr int MaximumKind = 2;
// The cavity stage's capture delay, in tenths of a second, and a delay that lets the camera
// deliver a frame after the cycle started.
constexpr int CaptureDelaySetting = Param::CaptureDelay + CavityStage;
constexpr int CaptureDelay = 3;

inline CammerWidget *view(StationHarness &harness)
{
    return harness.station()->cameraViews[0];
}

// The hottest temperature of the region and whether the cycle passes by it.
inline void addLimitCases()
{
    QTest::addColumn<double>("maximum");
    QTest::addColumn<bool>("ok");
    QTest::newRow("inside the limits") << 61.0 << true;
    QTest::newRow("on the upper limit") << double(UpperLimit) << true;
    QTest::newRow("above the upper limit") << 95.0 << false;
    QTest::newRow("below the lower limit") << 20.0 << false;
}

// The capture delay that lets the camera's frame arrive within the cycle.
inline void prepareCycle(StationHarness &harness)
{
    harness.settings()[CaptureDelaySetting] = CaptureDelay;
}

// One mould-open cycle, judged by the region whose hottest temperature the camera gives as
// maximum: OK or NG, the value in the view's results.
inline void checkJudgedCycle(StationHarness &harness, double maximum, bool ok)
{
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, StationHarness::Timeout);
    QCOMPARE(cycleNgCount, ok ? 0 : 1);
    QCOMPARE(harness.station()->DisplayMode, ok ? 1 : 2);
    QCOMPARE(view(harness)->results->roiValue[CammerSingleton::slot(CavityStage, 0)], int(maximum));
    QCOMPARE(view(harness)->results->roiOk[CavityStage][0], ok);
}

// A camera that gives no temperature: the region is a failed measurement, the cycle NG (never
// a passing 0 degrees), and the record says so.
inline void checkFailedMeasurement(StationHarness &harness)
{
    prepareCycle(harness);
    QVERIFY(!view(harness)->QueryCamera(CavityStage, 0).contains("value"));
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, StationHarness::Timeout);
    QCOMPARE(cycleNgCount, 1);
    QCOMPARE(harness.station()->DisplayMode, 2);
    bool recorded = false;
    for (const QString &remark : StationHarness::recordRemarks())
        recorded = recorded || remark.startsWith(QStringLiteral("REG RUN ERROR = 0, %1").arg(CavityStage));
    QVERIFY(recorded);
}

} // namespace thermalcycle

#endif
