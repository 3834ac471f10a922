// The temperature side of the network thermal camera on the simulated network SDK: the
// thermometry defaults and settings it writes, the rules it makes of the operator's regions,
// and its answers to temperature queries from the camera's reports.

#include "cameras/HikIRCamera.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "inspection/Circle.h"
#include "inspection/ClustomRect.h"
#include "inspection/RePolygon.h"
#include "tests/cameras/ThermalDevices.h"
#include "tests/support/ManualClock.h"

#include <QtTest>

#include <QJsonDocument>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr int Timeout = 10000;
constexpr int Subnet = 5;
// The camera number the tests give the camera, and so the settings it reads.
constexpr int Number = 2;

std::unique_ptr<CameraInterface> openCamera(int k = 0, int number = Number)
{
    return thermal::openCamera(k, false, number);
}

NET_DVR_THERMOMETRY_BASICPARAM lastBasicParameters()
{
    NET_DVR_THERMOMETRY_BASICPARAM p{};
    const std::vector<hcnetsim::SetCall> written = thermal::writesOf(NET_DVR_SET_THERMOMETRY_BASICPARAM);
    if (!written.empty())
        thermal::decode(written.back(), p);
    return p;
}

ROIInterface *rectangle(int left, int top, int right, int bottom)
{
    auto *shape = new ClustomRect;
    shape->setCoords(left, top, right, bottom);
    return shape;
}

// A polygon of n vertices on a circle, vertex i at angle i * 360 / n.
ROIInterface *polygon(int n, int cx, int cy, int radius)
{
    QVector<QPoint> vertices;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n;
        vertices << QPoint(cx + int(std::lround(radius * std::cos(a))), cy + int(std::lround(radius * std::sin(a))));
    }
    auto *shape = new RePolygon(n, vertices.constData());
    shape->updateBounds();
    return shape;
}

ROIInterface *circle(int xc, int yc, int r)
{
    auto *shape = new Circle;
    shape->fromJson(QJsonObject{{"xc", xc}, {"yc", yc}, {"r", r}, {"rn", 0}});
    return shape;
}

struct Regions
{
    CammerSingleton config{0};

    Regions()
    {
        for (int s = 0; s < CammerSingleton::StageCount; ++s)
            config.shapes.append(QList<ROIInterface *>());
    }
    // Appends a region to stage; its shape type is the shape's.
    void add(int stage, ROIInterface *shape, int tool = 9, int p1 = 100, int p2 = 0, int p3 = 0)
    {
        const int slot = CammerSingleton::slot(stage, config.roiCount[stage]++);
        config.toolType[slot] = tool;
        config.shapeType[slot] = shape->typeId();
        config.param1[slot] = p1;
        config.param2[slot] = p2;
        config.param3[slot] = p3;
        config.shapes[stage].append(shape);
    }
    void upload(CameraInterface &camera) { camera.setConfig(QVariant::fromValue(&config), 0); }
};

QJsonObject ask(CameraInterface &camera, const QJsonObject &request)
{
    QVariant reply;
    camera.query(QVariant(request), &reply, 0);
    return reply.toJsonObject();
}

QJsonObject ask(CameraInterface &camera, int detect, int funcNO)
{
    return ask(camera, QJsonObject{{"detect", detect}, {"funcNO", funcNO}});
}

bool report(int channel, const NET_DVR_THERMOMETRY_UPLOAD &upload)
{
    hcnetsim::reportThermometry(thermal::cameraAddress(Subnet), channel, upload);
    return hcnetsim::waitForReports(Timeout);
}

} // namespace

class HikIRThermometryTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void defaultsFollowTheCameraNumber_data();
    void defaultsFollowTheCameraNumber();
    void settersWriteTheBasicParameters_data();
    void settersWriteTheBasicParameters();
    void rulesFromRegions();
    void packedParametersAndOffset();
    void queryKinds_data();
    void queryKinds();
    void answersWithoutValue_data();
    void answersWithoutValue();
    void oldReadingsAnswerWithoutValue();

private:
    SystemParameters settings;
    std::vector<std::string> locals;
};

void HikIRThermometryTest::init()
{
    hcnetsim::reset();
    locals.clear();
    settings = SystemParameters();
    currentParams = &settings;
    thermal::addCamera(locals, Subnet, "THERMAL", 2);
}

void HikIRThermometryTest::cleanup()
{
    hcnetsim::reset();
    currentParams = nullptr;
}

void HikIRThermometryTest::defaultsFollowTheCameraNumber_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("range");
    QTest::newRow("level above the largest range") << Number << 7 << 2;
    QTest::newRow("level 1") << Number << 1 << 1;
    QTest::newRow("no camera number keeps the camera's range") << -1 << 7 << 1;
}

// At open the thermal channel gets its thermometry defaults, with the range of its own camera
// number's contrast setting (not its neighbours').
void HikIRThermometryTest::defaultsFollowTheCameraNumber()
{
    QFETCH(int, number);
    QFETCH(int, level);
    QFETCH(int, range);
    settings[Param::Contrast + Number] = level;
    settings[Param::Contrast + Number - 1] = 0;
    settings[Param::Contrast + Number + 1] = 0;
    NET_DVR_THERMOMETRY_BASICPARAM camera{};
    camera.dwSize = sizeof camera;
    camera.byThermometryRange = 1;
    hcnetsim::setRecord(thermal::cameraAddress(Subnet), NET_DVR_GET_THERMOMETRY_BASICPARAM, 2, thermal::bytesOf(camera));
    std::unique_ptr<CameraInterface> ir = openCamera(0, number);
    QVERIFY(ir);

    const std::vector<hcnetsim::SetCall> written = thermal::writesOf(NET_DVR_SET_THERMOMETRY_BASICPARAM);
    QCOMPARE(written.size(), size_t(1));
    QCOMPARE(written.front().channel, 2);
    const NET_DVR_THERMOMETRY_BASICPARAM p = lastBasicParameters();
    QCOMPARE(int(p.byEnabled), 1);
    QCOMPARE(int(p.byStreamOverlay), 0);
    QCOMPARE(int(p.byThermometryRange), range);
    QCOMPARE(int(p.byThermometryUnit), 0);
    QCOMPARE(int(p.byShowTempStripEnable), 0);
    QCOMPARE(p.fEmissivity, 0.2f);
    QCOMPARE(int(p.byDistanceUnit), 2);
    QCOMPARE(p.iEnviroTemperature, 28);
    QCOMPARE(int(p.byReflectiveEnabled), 1);
    QCOMPARE(int(p.wDistance), 1);
    QCOMPARE(p.fReflectiveTemperature, 26.0f);
    QCOMPARE(int(p.byDisplayMaxTemperatureEnabled), 1);
    QCOMPARE(int(p.byDisplayMinTemperatureEnabled), 1);
    QCOMPARE(int(p.byDisplayAverageTemperatureEnabled), 1);
    QCOMPARE(int(p.byThermometryInfoDisplayposition), 1);
    QCOMPARE(int(p.byemissivityMode), 255);

    const std::vector<hcnetsim::SetCall> modes = thermal::writesOf(NET_DVR_SET_RECORD_3306);
    QCOMPARE(modes.size(), size_t(1));
    NET_DVR_RECORD_3305 mode;
    QVERIFY(thermal::decode(modes.front(), mode));
    QCOMPARE(int(mode.wMode), 2);
}

void HikIRThermometryTest::settersWriteTheBasicParameters_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("setter");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("writes");
    QTest::newRow("contrast 7") << 0 << 3 << 7 << 2 << 1;
    QTest::newRow("contrast 1") << 0 << 3 << 1 << 1 << 1;
    QTest::newRow("contrast below 0") << 0 << 3 << -5 << 0 << 1;
    QTest::newRow("gain writes back unchanged") << 0 << 1 << 50 << 1 << 1;
    QTest::newRow("exposure writes back unchanged") << 0 << 0 << 50 << 1 << 1;
    QTest::newRow("visible-light channel") << 1 << 3 << 2 << -1 << 0;
}

void HikIRThermometryTest::settersWriteTheBasicParameters()
{
    QFETCH(int, k);
    QFETCH(int, setter);
    QFETCH(int, value);
    QFETCH(int, range);
    QFETCH(int, writes);
    settings[Param::Contrast + Number] = 1;
    std::unique_ptr<CameraInterface> camera = openCamera(k);
    QVERIFY(camera);
    const size_t before = thermal::writesOf(NET_DVR_SET_THERMOMETRY_BASICPARAM).size();
    const NET_DVR_THERMOMETRY_BASICPARAM opened = lastBasicParameters();
    switch (setter) {
    case 0: camera->setExposure(value); break;
    case 1: camera->setGain(value); break;
    default: camera->setContrast(value); break;
    }
    QCOMPARE(thermal::writesOf(NET_DVR_SET_THERMOMETRY_BASICPARAM).size(), before + size_t(writes));
    if (writes == 0)
        return;
    NET_DVR_THERMOMETRY_BASICPARAM p = lastBasicParameters();
    QCOMPARE(int(p.byThermometryRange), range);
    p.byThermometryRange = opened.byThermometryRange;
    QVERIFY(std::memcmp(&p, &opened, sizeof p) == 0);
}

// Temperature rectangles and polygons of regions 0 to 9 of stages 0 and 1 become the camera's
// rules: point rules at the centroid on stage 0, box rules over the first 10 corners on
// stage 1. Circles and other tools get none; the camera's own rules past entry 21 stay.
void HikIRThermometryTest::rulesFromRegions()
{
    settings[Param::ThermalDistance + Number] = thermal::packed(350, 9);
    NET_DVR_THERMOMETRY_PRESETINFO own{};
    own.dwSize = sizeof own;
    own.wPresetNo = 1;
    own.struPresetInfo[29].byEnabled = 1;
    own.struPresetInfo[29].byRuleID = 30;
    own.struPresetInfo[3].byEnabled = 1;
    own.struPresetInfo[3].wDistance = 77;
    hcnetsim::setRecord(thermal::cameraAddress(Subnet), NET_DVR_GET_THERMOMETRY_PRESETINFO, 2, thermal::bytesOf(own));
    std::unique_ptr<CameraInterface> camera = openCamera();
    QVERIFY(camera);

    Regions regions;
    regions.add(0, rectangle(64, 128, 191, 191));
    regions.add(0, polygon(12, 320, 256, 100));
    regions.add(0, circle(400, 300, 50));
    regions.add(0, rectangle(10, 10, 50, 50), 0);
    regions.add(1, rectangle(64, 128, 191, 191));
    regions.add(1, polygon(12, 320, 256, 100));
    regions.upload(*camera);

    const std::vector<hcnetsim::SetCall> written = thermal::writesOf(NET_DVR_SET_THERMOMETRY_PRESETINFO);
    QCOMPARE(written.size(), size_t(1));
    NET_DVR_THERMOMETRY_COND condition;
    QCOMPARE(written.front().condition.size(), sizeof condition);
    std::memcpy(&condition, written.front().condition.data(), sizeof condition);
    QCOMPARE(condition.dwChannel, 2u);
    QCOMPARE(int(condition.wPresetNo), 1);
    NET_DVR_THERMOMETRY_PRESETINFO preset;
    QVERIFY(thermal::decode(written.front(), preset));
    QCOMPARE(preset.dwSize, 8168u);

    const auto entry = [&preset](int rule) -> const NET_DVR_THERMOMETRY_PRESETINFO_PARAM & {
        return preset.struPresetInfo[rule - 1];
    };
    // Rule 1: the rectangle's centre, normalised.
    QCOMPARE(int(entry(1).byEnabled), 1);
    QCOMPARE(int(entry(1).byRuleID), 1);
    QCOMPARE(int(entry(1).byRuleCalibType), 0);
    QCOMPARE(entry(1).struPoint.fX, float(127.5 / 640));
    QCOMPARE(entry(1).struPoint.fY, float(159.5 / 512));
    QCOMPARE(int(entry(1).wDistance), 350);
    QCOMPARE(QByteArray(entry(1).szRuleName), QByteArray("ID:1"));
    // Rule 2: the regular polygon's centroid is its centre.
    QCOMPARE(int(entry(2).byEnabled), 1);
    QCOMPARE(int(entry(2).byRuleCalibType), 0);
    QVERIFY(qAbs(entry(2).struPoint.fX - 0.5f) < 1e-3f);
    QVERIFY(qAbs(entry(2).struPoint.fY - 0.5f) < 1e-3f);
    // The circle and the defect region: reset, disabled, the camera's distance kept.
    for (int rule : {3, 4}) {
        QCOMPARE(int(entry(rule).byEnabled), 0);
        QCOMPARE(int(entry(rule).byRuleID), rule);
        QCOMPARE(entry(rule).fEmissivity, 0.9f);
        QCOMPARE(entry(rule).struPoint.fX, 0.5f);
        QCOMPARE(int(entry(rule).struRegion.dwPointNum), 10);
    }
    QCOMPARE(int(entry(4).wDistance), 77);
    // Rule 11: the rectangle's four corners.
    QCOMPARE(int(entry(11).byEnabled), 1);
    QCOMPARE(int(entry(11).byRuleCalibType), 1);
    QCOMPARE(int(entry(11).struRegion.dwPointNum), 4);
    const QPointF corners[] = {{64, 128}, {191, 128}, {191, 191}, {64, 191}};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(entry(11).struRegion.struPos[i].fX, float(corners[i].x() / 640));
        QCOMPARE(entry(11).struRegion.struPos[i].fY, float(corners[i].y() / 512));
    }
    // Rule 12: the first 10 of the 12 vertices.
    QCOMPARE(int(entry(12).struRegion.dwPointNum), 10);
    QCOMPARE(entry(12).struRegion.struPos[9].fX, float(std::lround(320 + 100 * std::cos(2 * M_PI * 9 / 12)) / 640.0));
    // Entries up to 21 are reset, the camera's own rule 30 stays.
    QCOMPARE(int(entry(21).byEnabled), 0);
    QCOMPARE(int(entry(30).byEnabled), 1);
    QCOMPARE(int(entry(30).byRuleID), 30);
}

// P1 packs emissivity x 100 (low half) and a signed offset (high half), P3 the reflected
// temperature (high half); the offset is added to what the camera reports.
void HikIRThermometryTest::packedParametersAndOffset()
{
    std::unique_ptr<CameraInterface> camera = openCamera();
    QVERIFY(camera);
    Regions regions;
    regions.add(1, rectangle(64, 128, 191, 191), 9, 95 + (-3 * 65536), thermal::packed(20, 1), thermal::packed(80, 35));
    regions.upload(*camera);
    NET_DVR_THERMOMETRY_PRESETINFO preset;
    QVERIFY(thermal::decode(thermal::writesOf(NET_DVR_SET_THERMOMETRY_PRESETINFO).back(), preset));
    QCOMPARE(preset.struPresetInfo[10].fEmissivity, 0.95f);
    QCOMPARE(preset.struPresetInfo[10].fReflectiveTemperature, 35.0f);
    QCOMPARE(int(preset.struPresetInfo[10].byReflectiveEnabled), 1);
    QCOMPARE(int(preset.struPresetInfo[10].byemissivityMode), 255);

    QVERIFY(report(2, thermal::boxReport(11, 40.5f, 50.25f, 60.75f, {0.1f, 0.2f}, {0.3f, 0.4f})));
    const QJsonObject answer = ask(*camera, 1, 0);
    QCOMPARE(answer.value("value").toDouble(), 47.25);
    QVERIFY(!answer.contains("point_x"));
}

void HikIRThermometryTest::queryKinds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::newRow("1 average, no point") << 1 << 55.5 << -1.0 << -1.0;
    QTest::newRow("2 maximum at the hottest point") << 2 << 70.25 << double(0.75f) << double(0.125f);
    QTest::newRow("0 minimum at the coldest point") << 0 << 30.5 << double(0.25f) << double(0.875f);
    QTest::newRow("3 minimum at the coldest point") << 3 << 30.5 << double(0.25f) << double(0.875f);
}

// The region's temperature kind (high half of P2) picks what the answer carries.
void HikIRThermometryTest::queryKinds()
{
    QFETCH(int, kind);
    QFETCH(double, value);
    QFETCH(double, x);
    QFETCH(double, y);
    std::unique_ptr<CameraInterface> camera = openCamera();
    QVERIFY(camera);
    Regions regions;
    regions.add(1, rectangle(10, 10, 100, 100));
    regions.add(1, rectangle(200, 10, 300, 100), 9, 100, thermal::packed(10, kind));
    regions.upload(*camera);
    QVERIFY(report(2, thermal::boxReport(12, 30.5f, 55.5f, 70.25f, {0.75f, 0.125f}, {0.25f, 0.875f})));

    const QJsonObject answer = ask(*camera, 1, 1);
    QCOMPARE(answer.value("value").toDouble(), value);
    if (x < 0) {
        QCOMPARE(answer.keys(), QStringList{"value"});
    } else {
        QCOMPARE(answer.value("point_x").toDouble(), x);
        QCOMPARE(answer.value("point_y").toDouble(), y);
    }
}

void HikIRThermometryTest::answersWithoutValue_data()
{
    QTest::addColumn<QJsonObject>("request");
    QTest::newRow("stage 2 has no rules") << QJsonObject{{"detect", 2}, {"funcNO", 0}};
    QTest::newRow("stage 4 lies past the rule table") << QJsonObject{{"detect", 4}, {"funcNO", 9}};
    QTest::newRow("region 10 of stage 0 is not stage 1's region 0") << QJsonObject{{"detect", 0}, {"funcNO", 10}};
    QTest::newRow("region 49 of stage 1") << QJsonObject{{"detect", 1}, {"funcNO", 49}};
    QTest::newRow("negative region") << QJsonObject{{"detect", 0}, {"funcNO", -1}};
    QTest::newRow("no stage") << QJsonObject{{"funcNO", 0}};
    QTest::newRow("a text for a number") << QJsonObject{{"detect", "0"}, {"funcNO", 0}};
    QTest::newRow("a circle has no rule") << QJsonObject{{"detect", 0}, {"funcNO", 1}};
    QTest::newRow("a rule never reported") << QJsonObject{{"detect", 0}, {"funcNO", 2}};
}

// A query the camera cannot answer from a reading of its own gets an answer without a value,
// never the reading of another region or a zero that looks like a temperature.
void HikIRThermometryTest::answersWithoutValue()
{
    QFETCH(QJsonObject, request);
    std::unique_ptr<CameraInterface> camera = openCamera();
    QVERIFY(camera);
    Regions regions;
    regions.add(0, rectangle(10, 10, 100, 100));
    regions.add(0, circle(300, 300, 40));
    regions.add(0, rectangle(200, 10, 300, 100));
    regions.add(1, rectangle(10, 10, 100, 100));
    regions.upload(*camera);
    // Rules 1 and 11 and those the camera has of its own report; rule 3 never does, and a
    // report for a rule number past the table is ignored.
    for (int rule : {1, 2, 11, 21, 31, 41, 50, 60, 255})
        QVERIFY(report(2, thermal::pointReport(rule, 45.0f)));
    QCOMPARE(ask(*camera, 0, 0).value("value").toDouble(), 45.0);

    const QJsonObject answer = ask(*camera, request);
    QVERIFY2(!answer.contains("value"), QJsonDocument(answer).toJson().constData());
}

// Readings age: once the camera stops reporting, its last temperature no longer counts; the
// next report counts again. A reading is never half old, half new.
void HikIRThermometryTest::oldReadingsAnswerWithoutValue()
{
    ManualClock clock(QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
    std::unique_ptr<CameraInterface> camera = openCamera();
    QVERIFY(camera);
    Regions regions;
    regions.add(0, rectangle(10, 10, 100, 100), 9, 100, thermal::packed(0, 2));
    regions.upload(*camera);
    QVERIFY(!ask(*camera, 0, 0).contains("value"));
    QVERIFY(report(2, thermal::pointReport(1, 61.0f, 0.3f, 0.6f)));

    const QDateTime reported = clock.now();
    clock.set(reported.addMSecs(HikIRCamera::ReadingLifetimeMs));
    QJsonObject answer = ask(*camera, 0, 0);
    QCOMPARE(answer.value("value").toDouble(), 61.0);
    // A point rule's hottest point is where it measures.
    QCOMPARE(answer.value("point_x").toDouble(), double(0.3f));
    QCOMPARE(answer.value("point_y").toDouble(), double(0.6f));

    clock.set(reported.addMSecs(HikIRCamera::ReadingLifetimeMs + 1));
    QVERIFY(!ask(*camera, 0, 0).contains("value"));
    // A clock set back makes the reading look as if it came from the future: not trusted either.
    clock.set(reported.addSecs(-60));
    QVERIFY(!ask(*camera, 0, 0).contains("value"));

    QVERIFY(report(2, thermal::pointReport(1, 62.0f)));
    QCOMPARE(ask(*camera, 0, 0).value("value").toDouble(), 62.0);
}

QTEST_GUILESS_MAIN(HikIRThermometryTest)
#include "tst_HikIRThermometry.moc"
