#include "tools/framegen/MouldSynth.h"

#include <opencv2/imgproc.hpp>

#include <QtTest>

class MouldSynthTest : public QObject
{
    Q_OBJECT

private slots:
    void seedDecidesTheMould();
    void leftPartChangesOnlyItsSurroundings_data();
    void leftPartChangesOnlyItsSurroundings();
    void shiftMovesTheMould();
    void badSizesGiveNoFrame();
};

void MouldSynthTest::seedDecidesTheMould()
{
    const synth::MouldLayout layout = synth::makeMouldLayout(7);
    const cv::Mat first = synth::renderMould(layout);
    QCOMPARE(first.type(), CV_8UC1);
    QCOMPARE(first.cols, 1920);
    QCOMPARE(first.rows, 1080);
    QCOMPARE(cv::norm(first, synth::renderMould(synth::makeMouldLayout(7)), cv::NORM_INF), 0.0);
    QVERIFY(cv::norm(first, synth::renderMould(synth::makeMouldLayout(8)), cv::NORM_L1) > 0);
}

void MouldSynthTest::leftPartChangesOnlyItsSurroundings_data()
{
    QTest::addColumn<int>("cavity");
    QTest::addColumn<int>("grey");

    QTest::newRow("bright part") << 0 << 220;
    QTest::newRow("dark part") << 1 << 45;
}

void MouldSynthTest::leftPartChangesOnlyItsSurroundings()
{
    QFETCH(int, cavity);
    QFETCH(int, grey);

    const synth::MouldLayout layout = synth::makeMouldLayout(3);
    QVERIFY(int(layout.cavities.size()) > cavity);
    const synth::LeftPart part = synth::partInCavity(layout, cavity, 0.5f, grey);
    const cv::Mat empty = synth::renderMould(layout);
    const cv::Mat bad = synth::renderMould(layout, {part});
    cv::Mat difference;
    cv::absdiff(empty, bad, difference);

    // Away from the part and its shadow both frames are identical, noise included...
    const cv::Rect frame(cv::Point(0, 0), difference.size());
    const cv::Rect around = (cv::RotatedRect(part.centre, part.size, part.angle).boundingRect()
                             + cv::Size(60, 60) - cv::Point(30, 30)) & frame;
    cv::Mat outside = difference.clone();
    outside(around).setTo(0);
    QCOMPARE(cv::countNonZero(outside), 0);

    // ...and on the part itself they differ clearly.
    const cv::Rect core(cvRound(part.centre.x - part.size.width / 4), cvRound(part.centre.y - part.size.height / 4),
                        cvRound(part.size.width / 2), cvRound(part.size.height / 2));
    QVERIFY2(cv::mean(difference(core))[0] > 30, "the part does not stand out from the mould");
}

void MouldSynthTest::shiftMovesTheMould()
{
    const synth::MouldLayout layout = synth::makeMouldLayout(5, cv::Size(640, 360));
    synth::Conditions still;
    still.noise = 0;
    still.vignetting = 0;
    synth::Conditions moved = still;
    moved.shift = cv::Point2f(16, 8);

    const cv::Mat base = synth::renderMould(layout, {}, still);
    const cv::Mat shifted = synth::renderMould(layout, {}, moved);
    const cv::Rect inner(20, 20, 580, 320);
    QVERIFY(cv::norm(shifted(inner + cv::Point(16, 8)), base(inner), cv::NORM_INF) <= 1);
    QVERIFY(cv::norm(shifted(inner), base(inner), cv::NORM_INF) > 1);
}

void MouldSynthTest::badSizesGiveNoFrame()
{
    QVERIFY(synth::renderMould(synth::makeMouldLayout(1, cv::Size(0, 0))).empty());
    QVERIFY(synth::renderMould(synth::makeMouldLayout(1, cv::Size(-5, 10))).empty());
    // Too small for a mould: bare steel, still a frame.
    const synth::MouldLayout tiny = synth::makeMouldLayout(1, cv::Size(20, 10));
    QVERIFY(tiny.cavities.empty());
    QCOMPARE(synth::renderMould(tiny).size(), cv::Size(20, 10));
    QCOMPARE(synth::partInCavity(tiny, 0).size, cv::Size2f(0, 0));
    QVERIFY(synth::degenerateFrame(synth::Degenerate::Noise, cv::Size(0, 3)).empty());
}

QTEST_GUILESS_MAIN(MouldSynthTest)
#include "tst_MouldSynth.moc"
