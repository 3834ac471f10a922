#include "cameras/TemperatureQuery.h"

#include <QJsonDocument>

TemperatureRequest temperatureRequest(const QVariant &request)
{
    const QJsonObject asked = request.toJsonObject();
    const QJsonValue detect = asked.value(QStringLiteral("detect"));
    const QJsonValue funcNO = asked.value(QStringLiteral("funcNO"));
    TemperatureRequest read;
    read.stage = detect.isDouble() ? detect.toInt(-1) : -1;
    read.region = funcNO.isDouble() ? funcNO.toInt(-1) : -1;
    return read;
}

void answerTemperatureQuery(const TemperatureRequest &request, const QJsonObject &answer, QVariant *reply)
{
    qDebug("temperature query %d/%d: %s", request.stage, request.region,
           QJsonDocument(answer).toJson(QJsonDocument::Compact).constData());
    if (reply)
        *reply = QVariant(answer);
}
