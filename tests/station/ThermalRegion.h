#ifndef TESTS_STATION_THERMALREGION_H
#define TESTS_STATION_THERMALREGION_H

#include "core/ParameterManager.h"
#include "inspection/CammerSingleton.h"
#include "inspection/ClustomRect.h"
#include "inspection/DetectAlgorithm.h"
#include "tests/cameras/ThermalDevices.h"

#include <QRect>
#include <QSqlQuery>

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

#endif
