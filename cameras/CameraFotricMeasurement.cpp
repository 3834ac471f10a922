// The measurement side of the stream thermal camera: the operator's temperature rectangles as
// the camera's measurement objects, the detection engine's temperature queries, and the camera
// settings that map onto the camera's instrument configuration.

#include "cameras/CameraFotric.h"

#include "cameras/FotricDevice.h"
#include "cameras/JsonMembers.h"
#include "cameras/TemperatureQuery.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "inspection/DetectAlgorithm.h"

#include <algorithm>

namespace {

constexpr char InstrumentPath[] = "/isp/instrument/jconfig";
constexpr char CalibrationPath[] = "/sensor/cali";
constexpr char PointsPath[] = "/isp/instrument/objects/points/";
constexpr char RegionsPath[] = "/isp/instrument/objects/regions/";
constexpr char ValueQuery[] = "?value";

// Stage 0 regions are measured at their centre (point objects), stage 1 regions over their
// rectangle (region objects); other stages have no objects of their own.
constexpr int PointStage = 0;
constexpr int RegionStage = 1;
constexpr int MeasuredStages = 2;

constexpr int AverageKind = 1;
constexpr int MaximumKind = 2;
constexpr int AlarmTemperature = 100;

// The distance setting is kept in centimetres; the camera takes metres.
constexpr double CentimetresPerMetre = 100.0;

quint16 lowHalf(qint32 value)
{
    return quint16(quint32(value) & 0xFFFF);
}

qint16 highHalf(qint32 value)
{
    return qint16(quint16(quint32(value) >> 16));
}

QByteArray label(int stage, int region)
{
    return (stage == PointStage ? QByteArray("P") : QByteArray("R")) + QByteArray::number(region);
}

Json::Value xy(double x, double y, bool integral)
{
    Json::Value point(Json::objectValue);
    point["x"] = integral ? Json::Value(int(x)) : Json::Value(x);
    point["y"] = integral ? Json::Value(int(y)) : Json::Value(y);
    return point;
}

} // namespace

bool CameraFotric::cameraSetting(int base, int &value) const
{
    if (!currentParams || cameraNumber < 0 || cameraNumber >= CameraSlotCount)
        return false;
    value = (*currentParams)[base + cameraNumber];
    return true;
}

void CameraFotric::setConfig(const QVariant &config, int kind)
{
    if (kind != 0 || !config.canConvert<CammerSingleton *>())
        return;
    const CammerSingleton *regions = config.value<CammerSingleton *>();
    if (!regions)
        return;
    std::fill(std::begin(ruleMode), std::end(ruleMode), 0);
    std::fill(std::begin(measured), std::end(measured), false);
    if (!device)
        return;

    int distance = 0;
    const bool distanceKnown = cameraSetting(Param::Gamma, distance);
    for (int stage = 0; stage < MeasuredStages && stage < regions->shapes.size(); ++stage) {
        const QList<ROIInterface *> &shapes = regions->shapes.at(stage);
        const int count = std::min(qBound(0, regions->roiCount[stage], int(CammerSingleton::MaxRegions)),
                                   int(shapes.size()));
        for (int j = 0; j < count; ++j) {
            const int slot = CammerSingleton::slot(stage, j);
            if (regions->toolType[slot] != TemperatureTool || regions->shapeType[slot] != RectangleShape
                || !shapes.at(j))
                continue;
            const QRect rect = *shapes.at(j);
            const qint32 p1 = regions->param1[slot];
            ruleMode[slot] = highHalf(regions->param2[slot]);
            measured[slot] = true;

            Json::Value object(Json::objectValue);
            object["alarm-t"] = AlarmTemperature;
            object["api-visible"] = true;
            if (distanceKnown)
                object["distance"] = distance / CentimetresPerMetre;
            object["emissivity"] = lowHalf(p1) / 100.0;
            object["mb-slot"] = 0;
            object["osd-visible"] = true;
            object["offset"] = int(highHalf(p1));
            object["reflect-t"] = int(highHalf(regions->param3[slot]));
            const QByteArray name = label(stage, j);
            object["label"] = name.constData();
            QByteArray path;
            if (stage == PointStage) {
                const QPoint centre = rect.center();
                object["pos"] = xy(centre.x(), centre.y(), true);
                path = PointsPath + name;
            } else {
                Json::Value corners(Json::arrayValue);
                corners.append(xy(rect.left(), rect.top(), false));
                corners.append(xy(rect.left(), rect.bottom(), false));
                corners.append(xy(rect.right(), rect.bottom(), false));
                corners.append(xy(rect.right(), rect.top(), false));
                object["polygon"] = corners;
                object["avg"] = true;
                object["layer"] = 0;
                object["max"] = true;
                object["min"] = true;
                path = RegionsPath + name;
            }
            const int status = device->put(path.constData(), object);
            if (status != 200 && status != 201)
                qInfo("measurement object %s: status %d", name.constData(), status);
        }
    }
}

void CameraFotric::query(const QVariant &request, QVariant *reply, int kind)
{
    if (kind != 0 || !reply)
        return;
    const TemperatureRequest asked = temperatureRequest(request);
    const int stage = asked.stage;
    const int region = asked.region;

    // A region the camera does not measure, or a request that fails, gives an answer without a
    // value, which the engine judges as a failed measurement rather than a temperature.
    QJsonObject answer;
    const bool known = stage >= 0 && stage < MeasuredStages && region >= 0 && region < CammerSingleton::MaxRegions;
    const int slot = known ? CammerSingleton::slot(stage, region) : -1;
    if (known && measured[slot] && device) {
        const QByteArray path = (stage == PointStage ? PointsPath : RegionsPath) + label(stage, region) + ValueQuery;
        Json::Value value;
        const int status = device->get(path.constData(), &value);
        const Json::Value *measurement = &value;
        if (stage == RegionStage) {
            const int mode = ruleMode[slot];
            measurement = objectMember(value, mode == AverageKind ? "avg" : mode == MaximumKind ? "max" : "min");
        }
        double temperature = 0;
        if (status == 200 && measurement && numberMember(*measurement, "t", temperature))
            answer.insert(QStringLiteral("value"), temperature);
        else
            qInfo("temperature of %s not read (status %d)", label(stage, region).constData(), status);
    }
    answerTemperatureQuery(asked, answer, reply);
}

QJsonObject CameraFotric::autoAdjust(bool start)
{
    if (start && device)
        device->post(CalibrationPath, Json::Value());
    return QJsonObject();
}

void CameraFotric::setExposure(int value)
{
    updateInstrument("emissivity", value / 100.0, false);
}

void CameraFotric::setGain(int value)
{
    updateInstrument("reflect-t", value, true);
}

void CameraFotric::setSharpness(int value)
{
    updateInstrument("ambient-t", value, true);
}

void CameraFotric::setGamma(int value)
{
    updateInstrument("distance", value / CentimetresPerMetre, false);
}

void CameraFotric::updateInstrument(const char *member, double value, bool integral)
{
    if (!device)
        return;
    Json::Value configuration;
    const int status = device->get(InstrumentPath, &configuration);
    // Writing back anything but the whole configuration would reset the rest of it.
    if (status != 200 || !configuration.isObject()) {
        qInfo("instrument configuration not read (status %d); %s not changed", status, member);
        return;
    }
    configuration[member] = integral ? Json::Value(int(value)) : Json::Value(value);
    const int written = device->put(InstrumentPath, configuration);
    if (written != 200 && written != 201)
        qInfo("instrument configuration not written (status %d)", written);
}
