// Every tool type of the per-region evaluation with its parameters, the region errors with
// their operation-record text, and the editor's preview, on small drawn images.

#include "core/ParameterNames.h"
#include "core/TemperatureChartData.h"
#include "inspection/DetectAlgorithm.h"
#include "inspection/DetectionRuntime.h"
#include "tests/inspection/EngineTestHost.h"
#include "tests/support/FakeStationHost.h"

#include <QJsonObject>
#include <QtTest>

#include <opencv2/core/ocl.hpp>
#include <opencv2/imgproc.hpp>

using Blocks = QVector<QRect>;
using Settings = QVector<QPair<int, int>>;
using Row = QList<int>;
Q_DECLARE_METATYPE(Blocks)
Q_DECLARE_METATYPE(Settings)

namespace {

constexpr int Width = 200;
constexpr int Height = 160;
const cv::Rect Region(40, 30, 120, 100);
constexpr int Background = 100;

// The blocks of grey `grey` on the flat template.
cv::Mat paint(const Blocks &blocks, int grey)
{
    cv::Mat image(Height, Width, CV_8UC1, cv::Scalar(Background));
    for (const QRect &b : blocks)
        image(cv::Rect(b.x(), b.y(), b.width(), b.height())).setTo(grey);
    return image;
}

Blocks grid(int columns, int rows, int size, int pitch)
{
    Blocks blocks;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            blocks.append(QRect(Region.x + 2 + c * pitch, Region.y + 2 + r * pitch, size, size));
    return blocks;
}

// A record the engine never sends, to see whether it sent one.
CycleResult sentinel()
{
    CycleResult record;
    record.camera = 5;
    record.detect = 7;
    record.description = QStringLiteral("untouched");
    return record;
}

QJsonObject reading(double value)
{
    return QJsonObject{{"value", value}, {"point_x", 0.5}, {"point_y", 0.25}};
}

} // namespace

class DetectToolsTest : public QObject
{
    Q_OBJECT

private slots:
    void everyTool_data();
    void everyTool();
    void regionErrors_data();
    void regionErrors();
    void regionLeavingTheImageIsClipped();
    void disabledCameraIsOk();
    void runtimeIsPinned();
    void preview_data();
    void preview();
    void previewOfAStageNeverPrepared();
};

void DetectToolsTest::everyTool_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("p1");
    QTest::addColumn<int>("p2");
    QTest::addColumn<int>("p3");
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<Blocks>("blocks");
    QTest::addColumn<int>("grey");
    QTest::addColumn<double>("temperature");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("regionOk");
    QTest::addColumn<bool>("cameraOk");
    QTest::addColumn<bool>("reported");
    QTest::addColumn<Row>("detail");

    const Blocks none;
    const Blocks block20{QRect(60, 50, 20, 20)};
    const Settings defaults;
    // A 20 x 20 block has the contour area 19 x 19 = 361; the default 3 x 3 opening takes its
    // four corner pixels, which leaves 359.
    QTest::newRow("defect, clean") << 0 << 3 << 25 << 100 << defaults << none << 0 << 0.0 << 0 << true << true << true
                                   << Row{0, 0, 25, 100, 3};
    QTest::newRow("defect, bright block") << 0 << 3 << 25 << 100 << defaults << block20 << 200 << 0.0 << 359 << false
                                          << false << true << Row{0, 359, 25, 100, 3};
    QTest::newRow("defect, dark block within sensitivity")
        << 0 << 3 << 25 << 100 << defaults << block20 << 76 << 0.0 << 0 << true << true << true << Row{0, 0, 25, 100, 3};
    QTest::newRow("defect, own limit (170)") << 0 << 3 << 25 << 400 << Settings{{170, 1}} << block20 << 200 << 0.0
                                             << 359 << true << true << true << Row{0, 359, 25, 400, 3};
    QTest::newRow("defect, value at the limit") << 0 << 3 << 25 << 359 << Settings{{170, 1}} << block20 << 200 << 0.0
                                                << 359 << true << true << true << Row{0, 359, 25, 359, 3};
    QTest::newRow("defect, at the limit, inverted rule")
        << 0 << 3 << 25 << 359 << Settings{{170, 1}, {176, 1}} << block20 << 200 << 0.0 << 359 << true << true << true
        << Row{0, 359, 25, 359, 3};
    QTest::newRow("defect, inverted rule, nothing found")
        << 0 << 3 << 25 << 100 << Settings{{176, 1}} << none << 0 << 0.0 << 0 << false << false << true
        << Row{0, 0, 25, 100, 3};
    // The filter (parameter 149) removes specks narrower than itself.
    QTest::newRow("defect, speck below the filter")
        << 0 << 3 << 25 << 0 << Settings{{149, 9}, {150, 0}} << Blocks{QRect(60, 50, 6, 6)} << 200 << 0.0 << 0 << true
        << true << true << Row{0, 0, 25, 0, 3};

    QTest::newRow("spot, range 50..90 low byte first")
        << 1 << 0x5A32 << 50 << 500 << defaults << block20 << 70 << 0.0 << 359 << true << true << true
        << Row{1, 359, 50, 500, 0x32, 0x5A};
    QTest::newRow("spot, range 50..90 high byte first")
        << 1 << 0x325A << 50 << 500 << defaults << block20 << 70 << 0.0 << 359 << true << true << true
        << Row{1, 359, 50, 500, 0x5A, 0x32};
    QTest::newRow("spot, larger than the maximum")
        << 1 << 0x5A32 << 50 << 500 << defaults << Blocks{QRect(60, 50, 30, 30)} << 70 << 0.0 << 839 << false << false
        << true << Row{1, 839, 50, 500, 0x32, 0x5A};
    QTest::newRow("spot, smaller than the minimum")
        << 1 << 0x5A32 << 50 << 500 << defaults << Blocks{QRect(60, 50, 6, 6)} << 70 << 0.0 << 23 << false << false
        << true << Row{1, 23, 50, 500, 0x32, 0x5A};

    QTest::newRow("black area over the limit") << 4 << 0 << 60 << 300 << defaults << block20 << 30 << 0.0 << 359
                                               << false << false << true << Row{};
    // Only the low byte of P2 counts: 0x1FF is the range 0..255, the whole region.
    QTest::newRow("black area, low byte of 0x1FF") << 4 << 0 << 0x1FF << 20000 << defaults << none << 0 << 0.0
                                                   << 119 * 99 << true << true << true << Row{};
    QTest::newRow("white area under the limit") << 5 << 0 << 180 << 100 << defaults
                                                << Blocks{QRect(60, 50, 10, 10)} << 220 << 0.0 << 79 << true << true
                                                << true << Row{};
    QTest::newRow("white area over the limit") << 5 << 0 << 180 << 100 << defaults << block20 << 220 << 0.0 << 359
                                               << false << false << true << Row{};

    QTest::newRow("similarity, like the template") << 6 << 0 << 80 << 0 << defaults << none << 0 << 0.0 << 100 << true
                                                   << true << true << Row{};
    QTest::newRow("similarity, unlike the template") << 6 << 0 << 80 << 0 << defaults << block20 << 200 << 0.0 << 0
                                                     << false << false << true << Row{};

    QTest::newRow("white count, two blobs") << 7 << 3 << 180 << 2 << defaults << grid(2, 1, 8, 30) << 220 << 0.0 << 2
                                            << true << true << true << Row{};
    QTest::newRow("white count, three blobs") << 7 << 3 << 180 << 2 << defaults << grid(3, 1, 8, 30) << 220 << 0.0
                                              << 3 << false << false << true << Row{};
    // Two blobs two pixels apart are closed into one by a 5 x 5 kernel.
    QTest::newRow("white count, close blobs joined")
        << 7 << 5 << 180 << 1 << defaults << Blocks{QRect(60, 50, 8, 8), QRect(70, 50, 8, 8)} << 220 << 0.0 << 1
        << true << true << true << Row{};
    QTest::newRow("white count, 180 blobs report 99") << 7 << 0 << 180 << 150 << defaults << grid(15, 12, 3, 8) << 220
                                                      << 0.0 << 99 << true << true << true << Row{};

    QTest::newRow("nothing") << 8 << 3 << 25 << 100 << defaults << block20 << 200 << 0.0 << 0 << true << true << true
                             << Row{8, 0, 25, 100, 3};

    // Limits in the lower halves: 65616 = (1 << 16) + 80, 1310840 = (20 << 16) + 120.
    const int p1 = (5 << 16) + 95;
    QTest::newRow("temperature in range") << 9 << p1 << 65616 << 1310840 << defaults << none << 0 << 100.7 << 100
                                          << true << true << true << Row{9, 100, 80, 120, 95};
    QTest::newRow("temperature at the upper limit") << 9 << p1 << 65616 << 1310840 << defaults << none << 0 << 120.0
                                                    << 120 << true << true << true << Row{9, 120, 80, 120, 95};
    QTest::newRow("temperature above") << 9 << p1 << 65616 << 1310840 << defaults << none << 0 << 121.0 << 121
                                       << false << false << true << Row{9, 121, 80, 120, 95};
    QTest::newRow("temperature below") << 9 << p1 << 65616 << 1310840 << defaults << none << 0 << 79.0 << 79 << false
                                       << false << true << Row{9, 79, 80, 120, 95};
    QTest::newRow("temperature limits swapped, negative")
        << 9 << 0 << 0xFFF6 << 20 << defaults << none << 0 << -5.0 << -5 << true << true << true
        << Row{9, -5, -10, 20, 0};
    QTest::newRow("temperature NG kept apart (160)") << 9 << p1 << 65616 << 1310840 << Settings{{160, 1}} << none << 0
                                                     << 121.0 << 121 << false << true << true
                                                     << Row{9, 121, 80, 120, 95};

    QTest::newRow("ignore area") << 2 << 0 << 0 << 0 << defaults << block20 << 200 << 0.0 << 0 << true << true << false
                                 << Row{};
    QTest::newRow("target positioning") << 3 << 0 << 0 << 0 << defaults << block20 << 200 << 0.0 << 0 << true << true
                                        << false << Row{};
    QTest::newRow("angle correction") << 10 << 0 << 0 << 0 << defaults << block20 << 200 << 0.0 << 0 << true << true
                                      << false << Row{};
}

void DetectToolsTest::everyTool()
{
    QFETCH(int, tool);
    QFETCH(int, p1);
    QFETCH(int, p2);
    QFETCH(int, p3);
    QFETCH(Settings, settings);
    QFETCH(Blocks, blocks);
    QFETCH(int, grey);
    QFETCH(double, temperature);
    QFETCH(int, value);
    QFETCH(bool, regionOk);
    QFETCH(bool, cameraOk);
    QFETCH(bool, reported);
    QFETCH(Row, detail);

    DetectionSettings parameters;
    parameters[Param::MotionCorrection] = -1;
    for (const auto &s : settings)
        parameters[s.first] = s.second;
    FakeStationHost station;
    EngineTestHost host(Width, Height);
    host.setTemplate(0, 0, paint({}, 0));
    host.addRect(0, Region, tool, p1, p2, p3);
    host.answer = [&](int, int) { return reading(temperature); };
    DetectAlgorithm engine(&host.config, &host);
    TemperatureChartData::instance()->SetCurrentCycle(sentinel());

    host.setFrame(paint(blocks, grey));
    engine.registerImage(0);
    engine.locate(0);
    engine.run(0);

    QCOMPARE(host.results->roiValue[0], value);
    QCOMPARE(host.results->roiOk[0][0], regionOk);
    QCOMPARE(host.results->resultOk, cameraOk);
    QVERIFY(station.records.isEmpty());
    const CycleResult sent = TemperatureChartData::instance()->currentCycle();
    if (!reported) {
        QCOMPARE(sent.description, QStringLiteral("untouched"));
        return;
    }
    QCOMPARE(sent.detect, 0);
    QCOMPARE(sent.roiDetail, QList<QList<int>>{detail});
    QCOMPARE(sent.roiResult, QList<int>{regionOk ? 1 : 0});
    QCOMPARE(sent.result, cameraOk ? 1 : 0);
    if (tool == TemperatureTool) {
        QCOMPARE(station.measurementValues, QVector<int>{value});
        QCOMPARE(host.results->roiBoxes[0][0][0], Width / 2);
        QCOMPARE(host.results->roiBoxes[0][0][1], Height / 4);
        QCOMPARE(host.results->temperatureResultOk, regionOk);
        QVERIFY(host.results->regionResultOk);
        QCOMPARE(host.queries, (QVector<QPair<int, int>>{qMakePair(0, 0)}));
    } else if (!blocks.isEmpty() && value > 0 && tool != SimilarityTool && tool != WhiteCountTool) {
        // The first box is the first block, in image coordinates.
        const int *box = host.results->roiBoxes[0][1];
        const QRect &b = blocks.first();
        QCOMPARE(QRect(QPoint(box[0], box[1]), QPoint(box[2] - 1, box[3] - 1)), b);
        QCOMPARE(cv::countNonZero(host.result), b.width() * b.height() - 4);
    }
    if (tool == WhiteCountTool)
        QCOMPARE(host.results->roiBoxes[0][0][0], std::min(value, 99));
}

void DetectToolsTest::regionErrors_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("record");
    QTest::newRow("empty mask") << "empty mask" << 0 << "REG RUN ERROR = 0, 0, -1";
    QTest::newRow("mask of another size") << "mask size" << 0 << "REG RUN ERROR = 0, 0, -1";
    QTest::newRow("undefined tool") << "tool 12" << 0 << "REG RUN ERROR = 0, 0, -1";
    QTest::newRow("negative tool") << "tool -1" << 0 << "REG RUN ERROR = 0, 0, -1";
    QTest::newRow("temperature without value") << "no value" << 0 << "REG RUN ERROR = 0, 0, -1";
    QTest::newRow("temperature as text") << "text value" << 0 << "REG RUN ERROR = 0, 0, -1";
    QTest::newRow("temperature not a number") << "null value" << 0 << "REG RUN ERROR = 0, 0, -1";
    QTest::newRow("stage never prepared") << "unprepared" << 3 << "REG RUN ERROR = 0, 3, -2";
    QTest::newRow("region outside the image") << "outside" << 0 << "REG RUN ERROR = 0, 0, -3";
}

void DetectToolsTest::regionErrors()
{
    QFETCH(QString, fault);
    QFETCH(int, stage);
    QFETCH(QString, record);
    DetectionSettings parameters;
    FakeStationHost station;
    EngineTestHost host(Width, Height);
    host.setTemplate(stage, 0, paint({}, 0));
    const int tool = fault.startsWith("tool") ? fault.mid(5).toInt()
        : fault.contains("value")            ? int(TemperatureTool)
                                             : int(DefectTool);
    const cv::Rect where = fault == "outside" ? cv::Rect(Width + 10, 20, 40, 40) : Region;
    const int slot = host.addRect(stage, where, tool);
    if (fault == "empty mask")
        host.masks[size_t(slot)] = cv::Mat();
    if (fault == "mask size")
        host.masks[size_t(slot)] = cv::Mat(10, 10, CV_8UC1, cv::Scalar(255));
    host.answer = [&](int, int) {
        if (fault == "text value")
            return QJsonObject{{"value", "35"}};
        if (fault == "null value")
            return QJsonObject{{"value", QJsonValue::Null}};
        return QJsonObject{};
    };
    DetectAlgorithm engine(&host.config, &host);
    TemperatureChartData::instance()->SetCurrentCycle(sentinel());
    host.setFrame(paint({QRect(60, 50, 20, 20)}, 200));
    engine.registerImage(stage);
    engine.locate(stage);
    engine.run(stage);

    QCOMPARE(station.records, QStringList{record});
    QVERIFY(!host.results->resultOk);
    QVERIFY(host.results->roiOk[stage][0]);
    QVERIFY(station.measurementValues.isEmpty());
    QCOMPARE(TemperatureChartData::instance()->currentCycle().description, QStringLiteral("untouched"));
}

void DetectToolsTest::regionLeavingTheImageIsClipped()
{
    DetectionSettings parameters;
    FakeStationHost station;
    EngineTestHost host(Width, Height);
    host.setTemplate(0, 0, paint({}, 0));
    // Half of it lies beyond the right and bottom edges.
    host.addRect(0, cv::Rect(150, 110, 100, 100), WhiteAreaTool, 0, 180, 50);
    DetectAlgorithm engine(&host.config, &host);
    host.setFrame(paint({QRect(170, 130, 20, 20)}, 220));
    engine.registerImage(0);
    engine.locate(0);
    engine.run(0);
    QVERIFY(station.records.isEmpty());
    QCOMPARE(host.results->roiValue[0], 359);
    QVERIFY(!host.results->roiOk[0][0]);
    const int *box = host.results->roiBoxes[0][1];
    QCOMPARE(QVector<int>({box[0], box[1], box[2], box[3]}), QVector<int>({170, 130, 190, 150}));
}

void DetectToolsTest::disabledCameraIsOk()
{
    DetectionSettings parameters;
    parameters[Param::CameraEnabled] = 0;
    FakeStationHost station;
    EngineTestHost host(Width, Height);
    host.setTemplate(0, 0, paint({}, 0));
    host.addRect(0, Region, DefectTool);
    DetectAlgorithm engine(&host.config, &host);
    TemperatureChartData::instance()->SetCurrentCycle(sentinel());
    host.setFrame(paint({QRect(60, 50, 20, 20)}, 200));
    engine.registerImage(0);
    engine.locate(0);
    engine.run(0);
    QVERIFY(host.results->resultOk);
    QVERIFY(host.results->roiOk[0][0]);
    QCOMPARE(TemperatureChartData::instance()->currentCycle().description, QStringLiteral("untouched"));
}

void DetectToolsTest::runtimeIsPinned()
{
    DetectionSettings parameters;
    parameters[Param::ColourToGrey] = 1;
    setupDetectionRuntime(&parameters.record);
    QCOMPARE(cv::getNumThreads(), DetectionThreads);
    QVERIFY(!cv::ocl::useOpenCL());
    QVERIFY(colorToGray);
    parameters[Param::ColourToGrey] = 0;
    setupDetectionRuntime(&parameters.record);
    QVERIFY(!colorToGray);
}

void DetectToolsTest::preview_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("p1");
    QTest::addColumn<int>("p2");
    QTest::addColumn<Blocks>("blocks");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("marked");
    QTest::addColumn<bool>("shown");
    QTest::newRow("white area") << 5 << 0 << 180 << Blocks{QRect(60, 50, 20, 20)} << 361 << 400 << true;
    QTest::newRow("spot") << 1 << 0xFFC8 << 0 << Blocks{QRect(60, 50, 20, 20)} << 361 << 400 << true;
    // The preview counts every blob; only run keeps to 99.
    QTest::newRow("white count, 180 blobs") << 7 << 0 << 180 << grid(15, 12, 3, 8) << 180 << 180 * 9 << true;
    QTest::newRow("nothing") << 8 << 0 << 180 << Blocks{QRect(60, 50, 20, 20)} << 0 << 0 << true;
    QTest::newRow("defect only repaints") << 0 << 3 << 25 << Blocks{QRect(60, 50, 20, 20)} << 0 << 0 << false;
    QTest::newRow("similarity only repaints") << 6 << 0 << 80 << Blocks{QRect(60, 50, 20, 20)} << 0 << 0 << false;
}

void DetectToolsTest::preview()
{
    QFETCH(int, tool);
    QFETCH(int, p1);
    QFETCH(int, p2);
    QFETCH(Blocks, blocks);
    QFETCH(int, value);
    QFETCH(int, marked);
    QFETCH(bool, shown);
    DetectionSettings parameters;
    parameters[Param::MinimumSpot] = 1;
    FakeStationHost station;
    EngineTestHost host(Width, Height);
    host.setTemplate(0, 0, paint({}, 0));
    host.setTemplate(0, 1, paint(blocks, 220));
    host.addRect(0, Region, tool, p1, p2, 100);
    DetectAlgorithm engine(&host.config, &host);
    host.result.setTo(255);
    host.results->roiValue[0] = 12345;
    host.results->roiOk[0][0] = false;
    host.shownTemplate = 1;
    engine.preview(0, 0);
    QCOMPARE(host.results->roiValue[0], value);
    QCOMPARE(cv::countNonZero(host.result), marked);
    QCOMPARE(host.previewShown, shown);
    QCOMPARE(host.repaints, 1);
    // No verdict, no record.
    QVERIFY(!host.results->roiOk[0][0]);
    QVERIFY(station.records.isEmpty());
}

void DetectToolsTest::previewOfAStageNeverPrepared()
{
    DetectionSettings parameters;
    FakeStationHost station;
    EngineTestHost host(Width, Height);
    // Stage 5 is not enabled, so it was never prepared; the editor still previews it.
    host.setTemplate(5, 0, paint({QRect(60, 50, 20, 20)}, 220));
    host.addRect(5, Region, WhiteAreaTool, 0, 180, 100);
    DetectAlgorithm engine(&host.config, &host);
    engine.preview(5, 0);
    QCOMPARE(host.results->roiValue[CammerSingleton::slot(5, 0)], 359);
    // Beyond the regions, on a stage out of range, or of an undefined tool: nothing happens.
    engine.preview(5, 7);
    engine.preview(9, 0);
    engine.preview(-1, 0);
    host.edit.toolType[CammerSingleton::slot(5, 0)] = 42;
    engine.preview(5, 0);
    QCOMPARE(host.results->roiValue[CammerSingleton::slot(5, 0)], 0);
}

QTEST_GUILESS_MAIN(DetectToolsTest)
#include "DetectToolsTest.moc"
