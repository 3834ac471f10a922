// The result images as the archiver stores them, painted on offscreen images: verdict and
// texts by image width, region labels, NG boxes and the operator's decision stamps.

#include "core/FontFallback.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/UiTexts.h"
#include "inspection/CammerSingleton.h"
#include "inspection/ClustomRect.h"
#include "inspection/DetectionResults.h"
#include "station/ResultImagePainter.h"
#include "station/RunCodes.h"

#include <QImage>
#include <QtTest>

#include <memory>

namespace {

constexpr QRgb Black = 0xFF000000;

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 160 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

bool isGreen(QRgb pixel)
{
    return qGreen(pixel) > 160 && qRed(pixel) < 90 && qBlue(pixel) < 90;
}

// The rows and columns holding pixels of the test within area, empty when none.
template <typename Test>
QRect pixelsWhere(const QImage &image, const QRect &area, Test test)
{
    QRect found;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (test(image.pixel(x, y)))
                found |= QRect(x, y, 1, 1);
        }
    }
    return found;
}

QImage blackImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Black);
    return image;
}

// A configuration whose stage 0 holds the given rectangles as regions of the given tools.
std::unique_ptr<CammerSingleton> stageOf(const QVector<QRect> &rects, const QVector<int> &tools)
{
    auto config = std::make_unique<CammerSingleton>(0);
    while (config->shapes.size() < CammerSingleton::StageCount)
        config->shapes.append(QList<ROIInterface *>());
    for (int r = 0; r < rects.size(); ++r) {
        auto *shape = new ClustomRect;
        shape->setRect(rects[r].x(), rects[r].y(), rects[r].width(), rects[r].height());
        config->shapes[0].append(shape);
        config->toolType[CammerSingleton::slot(0, r)] = tools.value(r);
    }
    config->roiCount[0] = rects.size();
    return config;
}

} // namespace

class ResultImagePainterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void verdictTextGrowsWithTheImage_data();
    void verdictTextGrowsWithTheImage();
    void regionLabels_data();
    void regionLabels();
    void regionsOutlinedByVerdictWithTheirBoxes();
    void boxCountsCannotReachBeyondTheRegionsBoxes();
    void decisionStamps_data();
    void decisionStamps();

private:
    ResultScene sceneOf(const CammerSingleton &config, const DetectionResults &results, bool ok = true)
    {
        ResultScene scene;
        scene.config = &config;
        scene.results = &results;
        scene.ok = ok;
        scene.params = &params;
        return scene;
    }

    SystemParameters params;
};

void ResultImagePainterTest::initTestCase()
{
    installFontFallbacks();
    QVERIFY(loadUiTexts());
    currentLanguage = 1;
    params.SetDefaults();
}

void ResultImagePainterTest::verdictTextGrowsWithTheImage_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("baseline");
    QTest::newRow("640 pixels") << 640 << 16 << 25;
    QTest::newRow("641 pixels") << 641 << 26 << 80;
}

// The verdict sits on its baseline at the left edge, in a size that follows the width, and
// the door note takes the line 30 pixels below.
void ResultImagePainterTest::verdictTextGrowsWithTheImage()
{
    QFETCH(int, width);
    QFETCH(int, pointSize);
    QFETCH(int, baseline);
    QCOMPARE(resultFont(width).family(), QStringLiteral("SimHei"));
    QCOMPARE(resultFont(width).pointSize(), pointSize);

    const auto config = stageOf({}, {});
    DetectionResults results;
    QImage image = blackImage(width, 200);
    ResultScene scene = sceneOf(*config, results, false);
    scene.doorText = QStringLiteral("Door");
    QCOMPARE(paintStageResult(image, scene), 0);

    // "NG": capital letters standing on the baseline, about two thirds of the font's height.
    const QRect verdict = pixelsWhere(image, QRect(0, 0, 100, baseline + 5), isRed);
    QVERIFY(!verdict.isEmpty());
    QVERIFY2(qAbs(verdict.bottom() - baseline) <= 1, qPrintable(QString::number(verdict.bottom())));
    const double fontPixels = pointSize * 96.0 / 72.0;
    QVERIFY2(verdict.height() > fontPixels * 0.5 && verdict.height() < fontPixels * 0.9,
             qPrintable(QString::number(verdict.height())));
    QVERIFY(verdict.left() >= 5 && verdict.left() <= 8);
    const QRect door = pixelsWhere(image, QRect(0, baseline + 6, 200, 30), isRed);
    QVERIFY(!door.isEmpty());
    QVERIFY(qAbs(door.bottom() - (baseline + 30)) <= 1);

    // The OK verdict is green.
    QImage okImage = blackImage(width, 200);
    scene.ok = true;
    paintStageResult(okImage, scene);
    QVERIFY(!pixelsWhere(okImage, QRect(0, 0, 100, baseline + 5), isGreen).isEmpty());
    QVERIFY(pixelsWhere(okImage, okImage.rect(), isRed).isEmpty());
}

void ResultImagePainterTest::regionLabels_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("p2");
    QTest::addColumn<int>("p3");
    QTest::addColumn<int>("perRegionParameters");
    QTest::addColumn<int>("regionCount");
    QTest::addColumn<int>("leftEdge");
    QTest::addColumn<QString>("label");

    // Setting 150 (the alarm area) is 20 in the test record.
    QTest::newRow("defect, common area") << 0 << 7 << 9 << 0 << 3 << 10 << "2:20/37";
    QTest::newRow("defect, own parameters") << 0 << 7 << 9 << 1 << 3 << 10 << "2:9/37";
    QTest::newRow("similarity") << 6 << 85 << 9 << 0 << 3 << 10 << "2:85/37";
    QTest::newRow("spots") << 1 << 3 << 12 << 0 << 3 << 10 << "2:3--12/37";
    QTest::newRow("temperature, low limit -20") << 9 << 0x7FFFFFEC << 0x00010050 << 0 << 3 << 10
                                                << "2:-20--80/37";
    QTest::newRow("white-spot count") << 7 << 3 << 12 << 0 << 3 << 10 << "2:12/37";
    QTest::newRow("10 regions") << 0 << 7 << 9 << 0 << 10 << 10 << "2:20/37";
    QTest::newRow("11 regions") << 0 << 7 << 9 << 0 << 11 << 10 << "2:37";
    QTest::newRow("165 pixels to the right edge") << 0 << 7 << 9 << 0 << 3 << 476 << "2:20/37";
    QTest::newRow("164 pixels to the right edge") << 0 << 7 << 9 << 0 << 3 << 477 << "2:37";
}

// The label's text, and that it is painted at the region's corner, 26 pixels up.
void ResultImagePainterTest::regionLabels()
{
    QFETCH(int, tool);
    QFETCH(int, p2);
    QFETCH(int, p3);
    QFETCH(int, perRegionParameters);
    QFETCH(int, regionCount);
    QFETCH(int, leftEdge);
    QFETCH(QString, label);
    constexpr int Width = 641;
    params[Param::AlarmArea] = 20;
    params[Param::RegionParameters] = perRegionParameters;

    QVector<QRect> rects;
    for (int r = 0; r < regionCount; ++r)
        rects << QRect(r == 1 ? leftEdge : 5 + r, 120, 40, 30);
    const auto config = stageOf(rects, QVector<int>(regionCount, 0));
    const int slot = CammerSingleton::slot(0, 1);
    config->toolType[slot] = tool;
    config->param2[slot] = p2;
    config->param3[slot] = p3;

    const QString limit = regionLimitText(*config, slot, &params);
    QCOMPARE(resultRegionLabel(1, regionCount, leftEdge, Width, limit, QStringLiteral("37")), label);

    // Only region 2 on the picture: its text stands between its corner raised by 26 pixels
    // and the corner, right of its left edge.
    const auto single = stageOf({QRect(leftEdge, 120, 40, 30)}, {tool});
    DetectionResults results;
    QImage image = blackImage(Width, 200);
    paintStageResult(image, sceneOf(*single, results));
    const QRect text = pixelsWhere(image, QRect(0, 90, Width, 29), isGreen);
    QVERIFY(!text.isEmpty());
    QVERIFY(text.left() >= leftEdge && text.top() >= 94);
}

// OK regions in green, NG regions in red with the boxes of what was found; the number of the
// first NG region comes back.
void ResultImagePainterTest::regionsOutlinedByVerdictWithTheirBoxes()
{
    const auto config = stageOf({QRect(20, 40, 60, 50), QRect(100, 40, 60, 50), QRect(180, 40, 60, 50)},
                                {0, 0, 0});
    DetectionResults results;
    results.roiOk[0][1] = false;
    results.roiOk[0][2] = false;
    int (*boxes)[4] = results.roiBoxes[CammerSingleton::slot(0, 1)];
    boxes[0][0] = 1;
    boxes[1][0] = 110;
    boxes[1][1] = 60;
    boxes[1][2] = 120;
    boxes[1][3] = 70;
    QImage image = blackImage(320, 200);
    QCOMPARE(paintStageResult(image, sceneOf(*config, results)), 2);

    QVERIFY(isGreen(image.pixel(50, 40)));
    QVERIFY(isRed(image.pixel(130, 40)));
    QVERIFY(isRed(image.pixel(210, 40)));
    // The box inside the second region: its edge, and nothing inside it.
    QVERIFY(isRed(image.pixel(115, 60)));
    QCOMPARE(image.pixel(115, 65), Black);
    QCOMPARE(image.pixel(50, 65), Black);
}

// A temperature alarm keeps its measured point where other regions keep their box count, and
// a count above 99 would read the next region's boxes: neither may draw a box that is not
// the region's. Here the stale boxes and the next region's first entry frame the picture.
void ResultImagePainterTest::boxCountsCannotReachBeyondTheRegionsBoxes()
{
    const auto config = stageOf({QRect(20, 40, 60, 50), QRect(100, 40, 60, 50), QRect(180, 40, 60, 50)},
                                {9, 0, 0});
    DetectionResults results;
    results.roiOk[0][0] = false;
    results.roiOk[0][1] = false;
    const int border[4] = {0, 0, 319, 199};
    int (*temperature)[4] = results.roiBoxes[CammerSingleton::slot(0, 0)];
    temperature[0][0] = 3;   // the measured point (3, 4)
    temperature[0][1] = 4;
    std::copy(border, border + 4, temperature[1]);
    int (*defect)[4] = results.roiBoxes[CammerSingleton::slot(0, 1)];
    defect[0][0] = 150;
    for (int i = 1; i < DetectionResults::BoxEntries; ++i) {
        defect[i][0] = 110;
        defect[i][1] = 60;
        defect[i][2] = 120;
        defect[i][3] = 70;
    }
    // What box 100 of the defect region would be.
    std::copy(border, border + 4, results.roiBoxes[CammerSingleton::slot(0, 2)][0]);

    QImage image = blackImage(320, 200);
    QCOMPARE(paintStageResult(image, sceneOf(*config, results)), 1);
    QVERIFY(isRed(image.pixel(115, 60)));
    QVERIFY(pixelsWhere(image, QRect(0, 199, 320, 1), isRed).isEmpty());
    QVERIFY(pixelsWhere(image, QRect(319, 0, 1, 200), isRed).isEmpty());
}

void ResultImagePainterTest::decisionStamps_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("stamp");
    using namespace ResultCodes;
    QTest::newRow("4 not detected") << int(NgAccepted) << "Alarm clear method:Don't Detect";
    QTest::newRow("5 taken as template") << int(NgAsTemplate) << "Alarm clear method:Add As Temp";
    QTest::newRow("7 examined again") << int(ExaminedAgain) << "Alarm clear method:Re-detected";
    QTest::newRow("8 OK after the examination") << int(NgRerendered) << "OK Image Re-detect";
    QTest::newRow("2 OK image") << int(OkToArchive) << "";
    QTest::newRow("3 NG kept") << int(NgKept) << "";
    QTest::newRow("9 NG to archive") << int(NgToArchive) << "";
}

// The stamp is red at the verdict's line, right of the verdict; a code without one leaves
// every pixel as it was.
void ResultImagePainterTest::decisionStamps()
{
    QFETCH(int, code);
    QFETCH(QString, stamp);
    QCOMPARE(decisionStampText(code), stamp);

    QImage image = blackImage(800, 200);
    const QImage before = image.copy();
    QCOMPARE(paintDecisionStamp(image, code), !stamp.isEmpty());
    if (stamp.isEmpty()) {
        QCOMPARE(image, before);
        return;
    }
    const QRect text = pixelsWhere(image, image.rect(), isRed);
    QVERIFY(text.left() >= 55 && text.left() <= 60);
    QVERIFY(qAbs(text.bottom() - 80) <= 10);
}

QTEST_MAIN(ResultImagePainterTest)
#include "tst_ResultImagePainter.moc"
