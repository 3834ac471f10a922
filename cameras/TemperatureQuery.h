#ifndef CAMERAS_TEMPERATUREQUERY_H
#define CAMERAS_TEMPERATUREQUERY_H

#include <QJsonObject>
#include <QVariant>

// The detection engine's temperature query as the thermal drivers read and answer it.
struct TemperatureRequest
{
    int stage = -1;
    int region = -1;
};

// The detect stage and region of a request {"detect", "funcNO"}; -1 for a member that is
// missing or not a number.
TemperatureRequest temperatureRequest(const QVariant &request);

// Logs the answer and hands it to the caller. An answer without "value" is a failed
// measurement for the engine.
void answerTemperatureQuery(const TemperatureRequest &request, const QJsonObject &answer, QVariant *reply);

#endif
