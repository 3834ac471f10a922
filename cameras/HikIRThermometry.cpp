// The temperature side of the network thermal camera: thermometry defaults at open, the
// real-time temperature reports, the upload of the operator's temperature regions as the
// camera's rules, the answers to the detection engine's temperature queries, and the camera
// settings that map onto thermometry parameters.

#include "cameras/HikIRCamera.h"

#include "cameras/HikIRSdk.h"
#include "cameras/TemperatureQuery.h"
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"


#include <cstring>

namespace {

// The contrast level serves as the thermometry range.
constexpr int ThermometryRangeSetting = Param::Contrast;
constexpr int MaxThermometryRange = 2;

enum BasicParameter { ExposureParameter, GainParameter, SharpnessParameter, ContrastParameter, GammaParameter };

constexpr uint16_t PresetNumber = 1;
constexpr int AverageKind = 1;
constexpr int MaximumKind = 2;

qint64 nowMs()
{
    return wallClock()->now().toMSecsSinceEpoch();
}

uint8_t thermometryRange(int level)
{
    return uint8_t(qBound(0, level, MaxThermometryRange));
}

// The basic thermometry parameters of a channel; both log as the camera's maker names them.
bool getBasicParameters(int32_t userId, int32_t channel, std::vector<uchar> &status, NET_DVR_THERMOMETRY_BASICPARAM &p)
{
    uint32_t condition = uint32_t(channel);
    NET_DVR_STD_CONFIG config = hikir::stdConfig(&condition, sizeof condition, nullptr, 0, &p, sizeof p, &status);
    if (!NET_DVR_GetSTDConfig(userId, NET_DVR_GET_THERMOMETRY_BASICPARAM, &config)) {
        qInfo("测温基本参数配置 get failed, error code: %u", NET_DVR_GetLastError());
        return false;
    }
    qInfo("测温基本参数配置 get is successful!");
    return true;
}

bool setBasicParameters(int32_t userId, int32_t channel, NET_DVR_THERMOMETRY_BASICPARAM &p)
{
    uint32_t condition = uint32_t(channel);
    NET_DVR_STD_CONFIG config = hikir::stdConfig(&condition, sizeof condition, &p, sizeof p, nullptr, 0);
    if (!NET_DVR_SetSTDConfig(userId, NET_DVR_SET_THERMOMETRY_BASICPARAM, &config)) {
        qInfo("测温基本参数配置 set failed, error code: %u", NET_DVR_GetLastError());
        return false;
    }
    qInfo("测温基本参数配置 set is successful!");
    return true;
}

NET_DVR_THERMOMETRY_COND presetCondition(int32_t channel)
{
    NET_DVR_THERMOMETRY_COND condition{};
    condition.dwSize = sizeof condition;
    condition.dwChannel = uint32_t(channel);
    condition.wPresetNo = PresetNumber;
    return condition;
}

// Text of a packed report time: year - 2000 in the top 6 bits, then month, day, hour, minute,
// second.
QByteArray reportTime(uint32_t t)
{
    return QString::asprintf("%4.4u%2.2u%2.2u%2.2u%2.2u%2.2u", (t >> 26) + 2000, (t >> 22) & 15, (t >> 17) & 31,
                                (t >> 12) & 31, (t >> 6) & 63, t & 63)
        .toLatin1();
}

} // namespace

bool HikIRCamera::cameraSetting(int base, int &value) const
{
    if (!currentParams || cameraNumber < 0 || cameraNumber >= CameraSlotCount)
        return false;
    value = (*currentParams)[base + cameraNumber];
    return true;
}

void HikIRCamera::applyThermometryDefaults()
{
    // Switches the channel's thermometry on.
    uint32_t condition = uint32_t(channel);
    NET_DVR_RECORD_6766 enable{};
    enable.dwSize = sizeof enable;
    enable.byEnable = 1;
    NET_DVR_STD_CONFIG config =
        hikir::stdConfig(&condition, sizeof condition, &enable, sizeof enable, nullptr, 0, &statusBuffer);
    if (!NET_DVR_SetSTDConfig(loginHandle, NET_DVR_SET_RECORD_6766, &config))
        qInfo("NET_DVR_SetSTDConfig %u failed, error code: %u", uint32_t(NET_DVR_SET_RECORD_6766), NET_DVR_GetLastError());

    NET_DVR_THERMOMETRY_BASICPARAM p{};
    if (getBasicParameters(loginHandle, channel, statusBuffer, p)) {
        p.byEnabled = 1;
        p.byStreamOverlay = 0;
        int range = 0;
        if (cameraSetting(ThermometryRangeSetting, range))
            p.byThermometryRange = thermometryRange(range);
        p.byThermometryUnit = 0;
        p.byShowTempStripEnable = 0;
        p.fEmissivity = 0.2f;
        p.byDistanceUnit = 2;
        p.iEnviroTemperature = 28;
        p.byReflectiveEnabled = 1;
        p.wDistance = 1;
        p.fReflectiveTemperature = 26.0f;
        p.byDisplayMaxTemperatureEnabled = 1;
        p.byDisplayMinTemperatureEnabled = 1;
        p.byDisplayAverageTemperatureEnabled = 1;
        p.byThermometryInfoDisplayposition = 1;
        p.byemissivityMode = 255;
        setBasicParameters(loginHandle, channel, p);
    }
    hikir::rewriteDvrRecord<NET_DVR_GET_RECORD_3305, NET_DVR_SET_RECORD_3306>(
        loginHandle, channel, [](NET_DVR_RECORD_3305 &record) { record.wMode = 2; });
    hikir::rewriteDvrRecord<NET_DVR_GET_RECORD_3EA, NET_DVR_SET_RECORD_3EB>(
        loginHandle, channel, [](NET_DVR_RECORD_3EA &record) {
            record.dwValue104 = 0;
            record.dwValue7676 = 0;
        });
}

void HikIRCamera::startTemperatureReports()
{
    NET_DVR_REALTIME_THERMOMETRY_COND condition{};
    condition.dwSize = sizeof condition;
    condition.dwChan = uint32_t(channel);
    condition.byRuleID = 0;
    reportHandle = NET_DVR_StartRemoteConfig(loginHandle, NET_DVR_GET_REALTIME_THERMOMETRY, &condition,
                                             sizeof condition, &HikIRCamera::temperatureReport, this);
    if (reportHandle < 0)
        qInfo("NET_DVR_GET_REALTIME_THERMOMETRY failed, error code: %u", NET_DVR_GetLastError());
    else
        qInfo("NET_DVR_GET_REALTIME_THERMOMETRY is successful!");
}

void HikIRCamera::stopTemperatureReports()
{
    // Returns once no report is being handed to this camera any more.
    if (reportHandle >= 0)
        NET_DVR_StopRemoteConfig(reportHandle);
    reportHandle = -1;
}

void HikIRCamera::temperatureReport(uint32_t type, void *buffer, uint32_t length, void *user)
{
    if (auto *camera = static_cast<HikIRCamera *>(user))
        camera->onTemperatureReport(type, buffer, length);
}

void HikIRCamera::onTemperatureReport(uint32_t type, const void *buffer, uint32_t length)
{
    if (!buffer)
        return;
    if (type == NET_SDK_CALLBACK_TYPE_STATUS) {
        uint32_t words[2] = {};
        std::memcpy(words, buffer, qMin(size_t(length), sizeof words));
        if (length >= sizeof(uint32_t) && words[0] == NET_SDK_CALLBACK_STATUS_SUCCESS)
            qInfo("dwStatus:NET_SDK_CALLBACK_STATUS_SUCCESS");
        else if (length >= sizeof words && words[0] == NET_SDK_CALLBACK_STATUS_FAILED)
            qInfo("NET_SDK_CALLBACK_STATUS_FAILED, error code: %u", words[1]);
        return;
    }
    if (type != NET_SDK_CALLBACK_TYPE_DATA)
        return;
    if (length < sizeof(NET_DVR_THERMOMETRY_UPLOAD)) {
        qInfo("temperature report of %u bytes ignored", length);
        return;
    }
    NET_DVR_THERMOMETRY_UPLOAD report;
    std::memcpy(&report, buffer, sizeof report);
    qInfo("实时测温结果:byRuleID[%d]wPresetNo[%d]byRuleCalibType[%d]byThermometryUnit[%d]byDataType[%d]dwAbsTime[%s]",
          report.byRuleID, report.wPresetNo, report.byRuleCalibType, report.byThermometryUnit, report.byDataType,
          reportTime(report.dwAbsTime).constData());

    Reading reading;
    if (report.byRuleCalibType == 0) {
        const NET_DVR_POINT_THERM_CFG &point = report.struPointThermCfg;
        qInfo("点测温信息:fTemperature[%f]", double(point.fTemperature));
        reading.minimum = reading.average = reading.maximum = point.fTemperature;
        // A point rule measures one place, which is its hottest and its coldest point.
        reading.hottestX = reading.coldestX = point.struPoint.fX;
        reading.hottestY = reading.coldestY = point.struPoint.fY;
    } else if (report.byRuleCalibType == 1 || report.byRuleCalibType == 2) {
        const NET_DVR_LINEPOLYGON_THERM_CFG &box = report.struLinePolygonThermCfg;
        qInfo("框/线测温信息:fMaxTemperature[%f]fMinTemperature[%f]fAverageTemperature[%f]fTemperatureDiff[%f]",
              double(box.fMaxTemperature), double(box.fMinTemperature), double(box.fAverageTemperature),
              double(box.fTemperatureDiff));
        reading.minimum = box.fMinTemperature;
        reading.average = box.fAverageTemperature;
        reading.maximum = box.fMaxTemperature;
        reading.hottestX = report.struHighestPoint.fX;
        reading.hottestY = report.struHighestPoint.fY;
        reading.coldestX = report.struLowestPoint.fX;
        reading.coldestY = report.struLowestPoint.fY;
    } else {
        return;
    }
    if (report.byRuleID < 1 || report.byRuleID > RuleCount)
        return;
    reading.stampMs = nowMs();
    reading.reported = true;
    QMutexLocker locker(&readingMutex);
    ruleTable[report.byRuleID - 1] = reading;
}

void HikIRCamera::setConfig(const QVariant &config, int kind)
{
    if (kind != 0 || !config.canConvert<CammerSingleton *>())
        return;
    const CammerSingleton *regions = config.value<CammerSingleton *>();
    if (!regions)
        return;

    NET_DVR_THERMOMETRY_PRESETINFO preset;
    std::memset(&preset, 0, sizeof preset);
    NET_DVR_THERMOMETRY_COND condition = presetCondition(channel);
    NET_DVR_STD_CONFIG get = hikir::stdConfig(&condition, sizeof condition, nullptr, 0, &preset, sizeof preset);
    if (NET_DVR_GetSTDConfig(loginHandle, NET_DVR_GET_THERMOMETRY_PRESETINFO, &get)) {
        qInfo("预置点 get is successful!");
    } else {
        // The operator's rules are written all the same; the camera's own rules beyond them
        // are lost with the record.
        qInfo("预置点 get failed, error code: %u", NET_DVR_GetLastError());
        std::memset(&preset, 0, sizeof preset);
    }
    preset.dwSize = sizeof preset;
    preset.wPresetNo = PresetNumber;

    int distance = -1;
    if (cameraSetting(Param::ThermalDistance, distance))
        distance &= 0xFFFF;
    ruleSlots = buildTemperatureRules(*regions, width, height, distance, preset);

    NET_DVR_STD_CONFIG set = hikir::stdConfig(&condition, sizeof condition, &preset, sizeof preset, nullptr, 0);
    if (NET_DVR_SetSTDConfig(loginHandle, NET_DVR_SET_THERMOMETRY_PRESETINFO, &set))
        qInfo("预置点设置 is successful!");
    else
        qInfo("预置点 failed, error code: %u", NET_DVR_GetLastError());
}

void HikIRCamera::query(const QVariant &request, QVariant *reply, int kind)
{
    if (kind != 0 || !reply)
        return;
    const TemperatureRequest asked = temperatureRequest(request);
    const int stage = asked.stage;
    const int region = asked.region;
    const int rule = temperatureRuleNumber(stage, region);

    // No rule, or no fresh reading of it: an answer without a value, which the engine judges
    // as a failed measurement rather than a temperature.
    QJsonObject answer;
    const int slot = rule > 0 ? CammerSingleton::slot(stage, region) : -1;
    if (rule > 0 && ruleSlots.measured[slot]) {
        Reading reading;
        {
            QMutexLocker locker(&readingMutex);
            reading = ruleTable[rule - 1];
        }
        const qint64 age = nowMs() - reading.stampMs;
        if (reading.reported && age >= 0 && age <= ReadingLifetimeMs) {
            const int mode = ruleSlots.mode[slot];
            float temperature = reading.minimum;
            if (mode == AverageKind) {
                temperature = reading.average;
            } else if (mode == MaximumKind) {
                temperature = reading.maximum;
                answer.insert(QStringLiteral("point_x"), reading.hottestX);
                answer.insert(QStringLiteral("point_y"), reading.hottestY);
            } else {
                answer.insert(QStringLiteral("point_x"), reading.coldestX);
                answer.insert(QStringLiteral("point_y"), reading.coldestY);
            }
            answer.insert(QStringLiteral("value"), double(temperature + float(ruleSlots.offset[slot])));
        }
    }
    answerTemperatureQuery(asked, answer, reply);
}

QJsonObject HikIRCamera::autoAdjust(bool start)
{
    if (start && loginHandle >= 0 && !NET_DVR_FocusOnePush(loginHandle, channel))
        qInfo("NET_DVR_FocusOnePush failed, error code: %u", NET_DVR_GetLastError());
    return QJsonObject();
}

void HikIRCamera::setExposure(int value)
{
    applyBasicParameter(ExposureParameter, value);
}

void HikIRCamera::setGain(int value)
{
    applyBasicParameter(GainParameter, value);
}

void HikIRCamera::setSharpness(int value)
{
    applyBasicParameter(SharpnessParameter, value);
}

void HikIRCamera::setContrast(int value)
{
    applyBasicParameter(ContrastParameter, value);
}

void HikIRCamera::setGamma(int value)
{
    applyBasicParameter(GammaParameter, value);
}

void HikIRCamera::applyBasicParameter(int which, int value)
{
    if (type != ThermalCameraType || loginHandle < 0)
        return;
    NET_DVR_THERMOMETRY_BASICPARAM p{};
    if (!getBasicParameters(loginHandle, channel, statusBuffer, p))
        return;
    if (which == ContrastParameter)
        p.byThermometryRange = thermometryRange(value);
    setBasicParameters(loginHandle, channel, p);
}
