// Verdicts of the detection engine on generated mould frames at the default settings: good
// frames pass, left-over parts are NG, ignored areas pass, moved frames are positioned back,
// also after registration.

#include "core/ParameterNames.h"
#include "inspection/DetectAlgorithm.h"
#include "tests/inspection/MouldScene.h"
#include "tests/support/FakeStationHost.h"

#include <QtTest>

#include <opencv2/imgproc.hpp>

#include <cmath>

Q_DECLARE_METATYPE(cv::Point2f)

namespace {

// Mean absolute difference over the image less a border.
double interiorDifference(const cv::Mat &a, const cv::Mat &b, int border)
{
    const cv::Rect inner(border, border, a.cols - 2 * border, a.rows - 2 * border);
    cv::Mat diff;
    cv::absdiff(a(inner), b(inner), diff);
    return cv::mean(diff)[0];
}

} // namespace

class DetectVerdictTest : public QObject
{
    Q_OBJECT

private slots:
    void goodFramesPass_data();
    void goodFramesPass();
    void leftOverPartsAreNg_data();
    void leftOverPartsAreNg();
    void partsInIgnoredAreasPass_data();
    void partsInIgnoredAreasPass();
    void movedFramesArePositionedBack_data();
    void movedFramesArePositionedBack();
    void registeredAndPositionedFramesKeepTheirRegions_data();
    void registeredAndPositionedFramesKeepTheirRegions();
    void turnedFramesJudgedInTheirRegionsMatchTheWholeFrame_data();
    void turnedFramesJudgedInTheirRegionsMatchTheWholeFrame();
    void motionCorrectionOffLeavesTheImage();
    void colourCameraJudgesItsPlane();
};

void DetectVerdictTest::goodFramesPass_data()
{
    QTest::addColumn<int>("noiseSeed");
    QTest::addColumn<double>("gain");
    QTest::addColumn<double>("offset");
    QTest::newRow("next cycle") << 1 << 1.0 << 0.0;
    QTest::newRow("another cycle") << 2 << 1.0 << 0.0;
    QTest::newRow("a little more light") << 3 << 1.04 << 2.0;
    QTest::newRow("a little less light") << 4 << 0.97 << -2.0;
}

void DetectVerdictTest::goodFramesPass()
{
    QFETCH(int, noiseSeed);
    QFETCH(double, gain);
    QFETCH(double, offset);
    DetectionSettings settings;
    FakeStationHost station;
    MouldScene scene;
    synth::Conditions conditions;
    conditions.noiseSeed = std::uint32_t(noiseSeed);
    conditions.gain = gain;
    conditions.offset = offset;
    QVERIFY(scene.judge(synth::renderMould(scene.layout, {}, conditions)));
    for (int i = 0; i < int(scene.regions.size()); ++i)
        QCOMPARE(scene.host.results->roiValue[i], 0);
    QVERIFY(station.records.isEmpty());
}

void DetectVerdictTest::leftOverPartsAreNg_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("grey");
    QTest::addColumn<bool>("acrossBorder");
    for (int size : {12, 16, 30}) {
        for (int grey : {215, 45}) {
            const QByteArray kind = grey > 128 ? "bright" : "dark";
            QTest::newRow(QByteArray::number(size) + " px " + kind + " in a cavity") << size << grey << false;
            QTest::newRow(QByteArray::number(size) + " px " + kind + " across a region border")
                << size << grey << true;
        }
    }
}

void DetectVerdictTest::leftOverPartsAreNg()
{
    QFETCH(int, size);
    QFETCH(int, grey);
    QFETCH(bool, acrossBorder);
    DetectionSettings settings;
    FakeStationHost station;
    MouldScene scene;
    const cv::Point2f where = acrossBorder ? scene.regionBorder() : scene.cavityCentre(1);
    QVERIFY(!scene.judge(synth::renderMould(scene.layout, {MouldScene::part(where, size, grey)})));
    // The verdict sits on the region(s) under the part; a region elsewhere stays OK.
    if (acrossBorder) {
        QVERIFY(!scene.host.results->roiOk[0][0] || !scene.host.results->roiOk[0][1]);
        QVERIFY(scene.host.results->roiValue[0] > 0);
        QVERIFY(scene.host.results->roiValue[1] > 0);
    } else {
        QVERIFY(!scene.host.results->roiOk[0][2]);
    }
    QVERIFY(scene.host.results->roiOk[0][3]);
    // The part shows in the result mask and among the boxes.
    const cv::Rect box(int(where.x) - size / 2, int(where.y) - size / 2, size, size);
    QVERIFY(cv::countNonZero(scene.host.result(box)) > size * size / 2);
    const int slot = acrossBorder ? 1 : 2;
    QVERIFY(scene.host.results->roiBoxes[slot][0][0] >= 1);
}

void DetectVerdictTest::partsInIgnoredAreasPass_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("maskValue");
    QTest::addColumn<cv::Point2f>("offset");
    QTest::addColumn<bool>("ok");
    // The ignore mask file may hold any non-zero value for an ignored pixel.
    QTest::newRow("ignore mask of 255") << "mask" << 255 << cv::Point2f(0, 0) << true;
    QTest::newRow("ignore mask of 1") << "mask" << 1 << cv::Point2f(0, 0) << true;
    QTest::newRow("ignore circle") << "circle" << 0 << cv::Point2f(0, 0) << true;
    // Painted corners of the circle's square stay ignored beside the circle.
    QTest::newRow("painted corner beside an ignore circle") << "both" << 255 << cv::Point2f(-30, -30) << true;
    QTest::newRow("corner of an ignore circle, not painted") << "circle" << 0 << cv::Point2f(-30, -30) << false;
}

void DetectVerdictTest::partsInIgnoredAreasPass()
{
    QFETCH(QString, how);
    QFETCH(int, maskValue);
    QFETCH(cv::Point2f, offset);
    QFETCH(bool, ok);
    DetectionSettings settings;
    FakeStationHost station;
    MouldScene scene;
    const cv::Point2f centre = scene.cavityCentre(1);
    const int radius = 38;
    const cv::Point2f where = centre + offset;
    if (how != "circle") {
        // Painted: a disc where the part lies.
        scene.host.ignore[0] = cv::Mat::zeros(scene.host.height, scene.host.width, CV_8UC1);
        cv::circle(scene.host.ignore[0], cv::Point(where), 16, cv::Scalar(maskValue), cv::FILLED);
    }
    if (how != "mask")
        scene.host.addCircle(0, cv::Point(centre), radius, IgnoreTool);
    QCOMPARE(scene.judge(synth::renderMould(scene.layout, {MouldScene::part(where, 14, 215)})), ok);
}

void DetectVerdictTest::movedFramesArePositionedBack_data()
{
    QTest::addColumn<cv::Point2f>("shift");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<int>("angleRange");
    QTest::addColumn<int>("searchMargin");
    QTest::newRow("(7, -3)") << cv::Point2f(7, -3) << 0.0 << 0 << 8000;
    QTest::newRow("(-25, 40)") << cv::Point2f(-25, 40) << 0.0 << 0 << 8000;
    QTest::newRow("(-25, 40), searched within 50") << cv::Point2f(-25, 40) << 0.0 << 0 << 50;
    QTest::newRow("(30, 30)") << cv::Point2f(30, 30) << 0.0 << 0 << 8000;
    QTest::newRow("turned 4.3 degrees, range 10") << cv::Point2f(0, 0) << 4.3 << 10 << 8000;
    QTest::newRow("(12, -9), turned -2.5 degrees, range 10") << cv::Point2f(12, -9) << -2.5 << 10 << 50;
}

void DetectVerdictTest::movedFramesArePositionedBack()
{
    QFETCH(cv::Point2f, shift);
    QFETCH(double, rotation);
    QFETCH(int, angleRange);
    QFETCH(int, searchMargin);
    DetectionSettings settings;
    settings[Param::RotationRange] = angleRange;
    settings[Param::PositioningOffset] = searchMargin;
    FakeStationHost station;
    MouldScene scene;
    synth::Conditions moved;
    moved.shift = shift;
    moved.rotation = rotation;
    QVERIFY(scene.judge(synth::renderMould(scene.layout, {}, moved)));

    // Without noise and vignetting (which stay with the camera) the difference measures the
    // positioning alone.
    synth::Conditions still;
    still.noise = 0;
    still.vignetting = 0;
    const cv::Mat reference = synth::renderMould(scene.layout, {}, still);
    still.shift = shift;
    still.rotation = rotation;
    scene.host.setFrame(synth::renderMould(scene.layout, {}, still));
    QVERIFY(interiorDifference(scene.host.frame, reference, 60) > 5);
    scene.engine->registerImage(0);
    scene.engine->locate(0);
    const double difference = interiorDifference(scene.host.positioned, reference, 60);
    QVERIFY2(difference <= 2.0, qPrintable(QString::number(difference)));

    // A part left in the moved mould is still found.
    const cv::Mat withPart
        = synth::renderMould(scene.layout, {MouldScene::part(scene.cavityCentre(2), 14, 45)}, moved);
    QVERIFY(!scene.judge(withPart));
}

void DetectVerdictTest::registeredAndPositionedFramesKeepTheirRegions_data()
{
    QTest::addColumn<cv::Point2f>("shift");
    QTest::addColumn<double>("rotation");
    QTest::newRow("(25, 0)") << cv::Point2f(25, 0) << 0.0;
    QTest::newRow("(-25, 25)") << cv::Point2f(-25, 25) << 0.0;
    QTest::newRow("(18, -22), turned 1.5") << cv::Point2f(18, -22) << 1.5;
    QTest::newRow("(-25, -25), turned -1.5") << cv::Point2f(-25, -25) << -1.5;
    QTest::newRow("(3, 2), turned 0.7") << cv::Point2f(3, 2) << 0.7;
}

void DetectVerdictTest::registeredAndPositionedFramesKeepTheirRegions()
{
    // Registration aligns the frame, positioning then finds its target where the template had
    // it: neither may move a region off its template, or a good frame turns NG.
    QFETCH(cv::Point2f, shift);
    QFETCH(double, rotation);
    DetectionSettings settings;
    settings[Param::Registration] = 1;
    FakeStationHost station;
    MouldScene scene;
    synth::Conditions moved;
    moved.shift = shift;
    moved.rotation = rotation;
    QVERIFY(scene.judge(synth::renderMould(scene.layout, {}, moved)));

    synth::Conditions still;
    still.noise = 0;
    still.vignetting = 0;
    const cv::Mat reference = synth::renderMould(scene.layout, {}, still);
    still.shift = shift;
    still.rotation = rotation;
    scene.host.setFrame(synth::renderMould(scene.layout, {}, still));
    scene.engine->registerImage(0);
    scene.engine->locate(0);
    for (const cv::Rect &r : scene.regions) {
        cv::Mat a;
        cv::Mat b;
        reference(r).convertTo(a, CV_32F);
        scene.host.positioned(r).convertTo(b, CV_32F);
        const cv::Point2d offset = cv::phaseCorrelate(a, b);
        QVERIFY2(std::hypot(offset.x, offset.y) <= 1.0,
                 qPrintable(QStringLiteral("region at %1, %2 off by %3, %4").arg(r.x).arg(r.y).arg(offset.x).arg(offset.y)));
    }
}

void DetectVerdictTest::turnedFramesJudgedInTheirRegionsMatchTheWholeFrame_data()
{
    QTest::addColumn<cv::Point2f>("shift");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<int>("partGrey");
    QTest::addColumn<bool>("acrossBorder");
    QTest::addColumn<int>("matchBrightness");
    QTest::newRow("turned 4.3 degrees, good") << cv::Point2f(0, 0) << 4.3 << 0 << false << 0;
    QTest::newRow("(12, -9), turned -2.5, dark part") << cv::Point2f(12, -9) << -2.5 << 45 << false << 0;
    QTest::newRow("(-6, 5), turned 7, bright part across a region border") << cv::Point2f(-6, 5) << 7.0 << 215 << true
                                                                          << 0;
    QTest::newRow("turned -9, dark part, brightness matched") << cv::Point2f(3, 3) << -9.0 << 45 << false << 1;
}

void DetectVerdictTest::turnedFramesJudgedInTheirRegionsMatchTheWholeFrame()
{
    // judge turns the frame only inside the regions; verdicts, values, boxes and marks must be
    // those of the whole turned frame, and the completed picture the whole turned frame.
    QFETCH(cv::Point2f, shift);
    QFETCH(double, rotation);
    QFETCH(int, partGrey);
    QFETCH(bool, acrossBorder);
    QFETCH(int, matchBrightness);
    DetectionSettings settings;
    settings[Param::RotationRange] = 10;
    settings[Param::MatchBrightness] = matchBrightness;
    FakeStationHost station;
    MouldScene scene;
    scene.prepare();
    synth::Conditions moved;
    moved.shift = shift;
    moved.rotation = rotation;
    std::vector<synth::LeftPart> parts;
    if (partGrey)
        parts.push_back(MouldScene::part(acrossBorder ? scene.regionBorder() : scene.cavityCentre(2), 16, partGrey));
    scene.host.setFrame(synth::renderMould(scene.layout, parts, moved));

    scene.engine->registerImage(0);
    scene.engine->locate(0);
    scene.engine->run(0);
    const MouldScene::Outcome whole = scene.outcome();
    const cv::Mat &wholePicture = whole.positioned;
    scene.host.positioned.setTo(0);

    scene.engine->judge(0);
    scene.engine->publish();
    const MouldScene::Outcome inRegions = scene.outcome();
    QCOMPARE(inRegions.ok, whole.ok);
    QCOMPARE(inRegions.ok, partGrey == 0);
    QCOMPARE(inRegions.regionOk, whole.regionOk);
    QCOMPARE(inRegions.values, whole.values);
    QCOMPARE(inRegions.boxes, whole.boxes);
    QCOMPARE(cv::norm(inRegions.marks, whole.marks, cv::NORM_INF), 0.0);
    cv::Mat judged = cv::Mat::zeros(wholePicture.size(), CV_8UC1);
    for (const cv::Rect &r : scene.regions) {
        QCOMPARE(cv::norm(scene.host.positioned(r), wholePicture(r), cv::NORM_INF), 0.0);
        judged(r).setTo(255);
    }
    // Without brightness matching nothing else was turned yet.
    if (!matchBrightness)
        QCOMPARE(cv::countNonZero(scene.host.positioned & ~judged), 0);
    scene.engine->completePositionedImage();
    QCOMPARE(cv::norm(scene.host.positioned, wholePicture, cv::NORM_INF), 0.0);
}

void DetectVerdictTest::motionCorrectionOffLeavesTheImage()
{
    DetectionSettings settings;
    settings[Param::MotionCorrection] = -1;
    FakeStationHost station;
    MouldScene scene;
    synth::Conditions moved;
    moved.shift = cv::Point2f(7, -3);
    scene.host.setFrame(synth::renderMould(scene.layout, {}, moved));
    scene.prepare();
    scene.engine->registerImage(0);
    scene.engine->locate();
    QCOMPARE(cv::norm(scene.host.positioned, scene.host.frame, cv::NORM_INF), 0.0);
}

void DetectVerdictTest::colourCameraJudgesItsPlane()
{
    DetectionSettings settings;
    FakeStationHost station;
    const cv::Size size(320, 240);
    const synth::MouldLayout layout = synth::makeMouldLayout(5, size);
    EngineTestHost host(size.width, size.height, true);
    // A tinted mould: the hue plane sees the steel, the part differs in colour.
    auto tinted = [&](const std::vector<synth::LeftPart> &parts, std::uint32_t noise) {
        synth::Conditions c;
        c.noiseSeed = noise;
        const cv::Mat grey = synth::renderMould(layout, parts, c);
        cv::Mat colour;
        cv::Mat channels[4] = {grey, grey * 0.8, grey * 0.6, cv::Mat::zeros(size, CV_8UC1)};
        cv::merge(channels, 4, colour);
        return colour;
    };
    host.setTemplate(0, 0, tinted({}, 100));
    host.setTemplate(0, 1, tinted({}, 101));
    const cv::Rect cavity = layout.cavities[0].rect;
    host.addRect(0, cv::Rect(cavity.x - 4, cavity.y - 4, cavity.width + 8, cavity.height + 8), DefectTool);
    DetectAlgorithm engine(&host.config, &host);
    auto judge = [&](const cv::Mat &frame) {
        host.setFrame(frame);
        engine.registerImage(0);
        engine.locate(0);
        engine.run(0);
        return host.results->resultOk;
    };
    QVERIFY(judge(tinted({}, 7)));
    // Colour frames are never moved: the registered frame passes as it came.
    QCOMPARE(cv::norm(host.positioned, host.frame, cv::NORM_INF), 0.0);

    synth::LeftPart part = MouldScene::part(cv::Point2f(cavity.x + cavity.width / 2.0f, cavity.y + cavity.height / 2.0f),
                                            16, 215);
    const cv::Mat grey = synth::renderMould(layout, {part}, synth::Conditions());
    cv::Mat frame = tinted({}, 8);
    // The part is plastic of another colour than the tinted steel.
    cv::Mat partMask;
    cv::inRange(grey, cv::Scalar(200), cv::Scalar(230), partMask);
    frame.setTo(cv::Scalar(40, 60, 230, 0), partMask);
    QVERIFY(!judge(frame));
}

QTEST_GUILESS_MAIN(DetectVerdictTest)
#include "DetectVerdictTest.moc"
