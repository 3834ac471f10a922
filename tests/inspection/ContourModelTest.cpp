#include "inspection/ContourModel.h"

#include <QtTest>

namespace {

constexpr int Side = 24;

cv::Mat flat(int value, int width = Side, int height = Side)
{
    return cv::Mat(height, width, CV_8UC1, cv::Scalar(value));
}

cv::Mat fullMask(int width = Side, int height = Side)
{
    return flat(255, width, height);
}

// A model learned from flat templates of the given values over a fully valid region.
ContourModel learned(const QVector<int> &values, int sensitivity, int amplify)
{
    ContourModel model;
    model.init(Side, Side, fullMask(), 0);
    for (int v : values)
        model.addSample(flat(v));
    model.learn(sensitivity, amplify, 100, 150);
    return model;
}

int marked(ContourModel &model, const cv::Mat &frame)
{
    cv::Mat diff = cv::Mat::zeros(frame.size(), CV_8UC1);
    model.compare(frame, diff);
    return cv::countNonZero(diff);
}

} // namespace

class ContourModelTest : public QObject
{
    Q_OBJECT

private slots:
    void bands_data();
    void bands();
    void singleTemplateEdgesAcceptAnyValue();
    void pixelsOutsideTheMaskAreNeverMarked();
    void samplesSurviveTheirBuffer();
    void bestSample();
    void bestSampleFollowsTheRule_data();
    void bestSampleFollowsTheRule();
    void resetKeepsLimitsButComparesNothing();
    void unusableInputsMarkNothing();
};

void ContourModelTest::bands_data()
{
    QTest::addColumn<QVector<int>>("templates");
    QTest::addColumn<int>("sensitivity");
    QTest::addColumn<int>("amplify");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::newRow("one template: value +- sensitivity") << QVector<int>{100} << 20 << 2 << 80 << 120;
    QTest::newRow("amplify 0: darkest and brightest +- sensitivity") << QVector<int>{90, 110} << 5 << 0 << 85 << 115;
    QTest::newRow("amplify 1: mean +- standard deviation") << QVector<int>{90, 110} << 5 << 1 << 90 << 110;
    QTest::newRow("amplify 3: no spread leaves the sensitivity") << QVector<int>{100, 100, 100} << 15 << 3 << 85 << 115;
    QTest::newRow("cut at 255") << QVector<int>{250} << 20 << 2 << 230 << 255;
    QTest::newRow("cut at 0") << QVector<int>{5, 9} << 20 << 0 << 0 << 29;
    QTest::newRow("huge sensitivity") << QVector<int>{100, 120} << INT_MAX << 0 << 0 << 255;
}

void ContourModelTest::bands()
{
    QFETCH(QVector<int>, templates);
    QFETCH(int, sensitivity);
    QFETCH(int, amplify);
    QFETCH(int, lower);
    QFETCH(int, upper);
    ContourModel model = learned(templates, sensitivity, amplify);
    QVERIFY(model.isReady());
    QVERIFY(model.samples.empty());
    // The limits themselves are good; one step beyond them is marked.
    QCOMPARE(marked(model, flat(lower)), 0);
    QCOMPARE(marked(model, flat(upper)), 0);
    QCOMPARE(marked(model, flat(lower - 1)), lower > 0 ? Side * Side : 0);
    QCOMPARE(marked(model, flat(upper + 1)), upper < 255 ? Side * Side : 0);
}

void ContourModelTest::singleTemplateEdgesAcceptAnyValue()
{
    // Left half 50, right half 200: a vertical edge in the middle.
    cv::Mat sample = flat(50);
    sample(cv::Rect(Side / 2, 0, Side / 2, Side)).setTo(200);
    ContourModel model;
    model.init(Side, Side, fullMask(), 0);
    model.addSample(sample);
    model.learn(10, 2, 100, 150);
    // The edge zone: the Canny edge widened by the 2 x 2 kernel, two columns at the step.
    const cv::Mat edgeZone = model.spread > 0;
    QCOMPARE(cv::countNonZero(edgeZone), 2 * Side);
    QCOMPARE(cv::countNonZero(edgeZone(cv::Rect(Side / 2 - 2, 0, 4, Side))), 2 * Side);
    // Black everywhere: far from the edge every pixel is marked, on the edge none.
    cv::Mat diff = cv::Mat::zeros(sample.size(), CV_8UC1);
    model.compare(flat(0), diff);
    QCOMPARE(cv::norm(diff, ~edgeZone, cv::NORM_INF), 0.0);
    // Within the sensitivity away from the edge nothing is marked.
    cv::Mat near = sample.clone();
    near.colRange(0, Side / 2) += 10;
    near.colRange(Side / 2, Side) -= 10;
    model.compare(near, diff);
    QCOMPARE(cv::countNonZero(diff), 0);
}

void ContourModelTest::pixelsOutsideTheMaskAreNeverMarked()
{
    cv::Mat mask = fullMask();
    mask(cv::Rect(0, 0, Side, Side / 2)).setTo(0);
    ContourModel model;
    model.init(Side, Side, mask, 0);
    model.addSample(flat(100));
    model.addSample(flat(104));
    model.learn(3, 0, 100, 150);
    QCOMPARE(marked(model, flat(0)), Side * Side / 2);
    QCOMPARE(marked(model, flat(255)), Side * Side / 2);
}

void ContourModelTest::samplesSurviveTheirBuffer()
{
    // Every template of a colour camera passes through one plane, and so does the live frame:
    // the model must keep its own copies of the crops.
    cv::Mat plane(100, 100, CV_8UC1);
    const cv::Rect region(30, 40, Side, Side);
    ContourModel model;
    model.init(Side, Side, fullMask(), 0);
    plane.setTo(90);
    model.addSample(plane(region));
    plane.setTo(110);
    model.addSample(plane(region));
    plane.setTo(0);
    model.learn(5, 0, 100, 150);
    plane.setTo(100);
    QCOMPARE(marked(model, plane(region)), 0);
    plane.setTo(116);
    QCOMPARE(marked(model, plane(region)), Side * Side);
}

void ContourModelTest::bestSample()
{
    // Two pixels: the first template differs from the frame at pixel 1, the second at pixel 0.
    cv::Mat first = (cv::Mat_<uchar>(1, 2) << 100, 200);
    cv::Mat second = (cv::Mat_<uchar>(1, 2) << 200, 100);
    ContourModel model;
    model.init(2, 1, fullMask(2, 1), 0);
    model.addSample(first);
    model.addSample(second);
    model.learn(5, 4, 100, 150);
    QVERIFY(model.isReady());
    QCOMPARE(model.mode, ContourModel::BestSampleMode);
    cv::Mat diff = cv::Mat::zeros(1, 2, CV_8UC1);
    model.compare((cv::Mat_<uchar>(1, 2) << 100, 100), diff);
    QCOMPARE(int(diff.at<uchar>(0, 0)), 0); // a tie: the first template's result
    QCOMPARE(int(diff.at<uchar>(0, 1)), 255);
    model.compare((cv::Mat_<uchar>(1, 2) << 205, 95), diff);
    QCOMPARE(cv::countNonZero(diff), 0); // matches the second within the tolerance
    // The second template was closest last time; a tie still goes to the first.
    model.compare((cv::Mat_<uchar>(1, 2) << 100, 100), diff);
    QCOMPARE(int(diff.at<uchar>(0, 0)), 0);
    QCOMPARE(int(diff.at<uchar>(0, 1)), 255);
    model.reset();
    QVERIFY(model.samples.empty());
}

void ContourModelTest::bestSampleFollowsTheRule_data()
{
    QTest::addColumn<int>("tolerance");
    QTest::newRow("tolerance 12") << 12;
    QTest::newRow("tolerance 0") << 0;
    QTest::newRow("negative tolerance: every pixel differs") << -3;
    QTest::newRow("tolerance beyond 255: none differs") << 300;
}

void ContourModelTest::bestSampleFollowsTheRule()
{
    // Frames in a row, each nearest to another of six templates (or to none clearly): the mask
    // is always the one of the template with the fewest differing pixels, the first on a tie.
    QFETCH(int, tolerance);
    const int width = 37;
    const int height = 23;
    cv::RNG rng(5);
    cv::Mat mask(height, width, CV_8UC1);
    rng.fill(mask, cv::RNG::UNIFORM, 0, 2);
    mask *= 255;
    std::vector<cv::Mat> templates(6);
    ContourModel model;
    model.init(width, height, mask, 0);
    for (cv::Mat &t : templates) {
        t.create(height, width, CV_8UC1);
        rng.fill(t, cv::RNG::UNIFORM, 90, 130);
        model.addSample(t);
    }
    model.learn(tolerance, 4, 100, 150);
    for (int frame = 0; frame < 12; ++frame) {
        cv::Mat image = templates[size_t(frame % 6)].clone();
        cv::Mat noise(height, width, CV_8UC1);
        rng.fill(noise, cv::RNG::UNIFORM, 0, 2 + 10 * (frame % 3));
        image += noise;
        if (frame == 7)
            image = templates[0].clone();   // equally near the first and itself: the first
        cv::Mat expected;
        long long fewest = 99999999;
        for (const cv::Mat &t : templates) {
            cv::Mat marks = cv::Mat::zeros(height, width, CV_8UC1);
            long long count = 0;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const int v = image.at<uchar>(y, x);
                    const int g = t.at<uchar>(y, x);
                    if (mask.at<uchar>(y, x) && (v < g - tolerance || v > g + tolerance)) {
                        marks.at<uchar>(y, x) = 255;
                        ++count;
                    }
                }
            }
            if (count < fewest) {
                fewest = count;
                expected = marks;
            }
        }
        cv::Mat diff = cv::Mat::zeros(height, width, CV_8UC1);
        model.compare(image, diff);
        QVERIFY2(cv::countNonZero(diff != expected) == 0, qPrintable(QStringLiteral("frame %1").arg(frame)));
    }
}

void ContourModelTest::resetKeepsLimitsButComparesNothing()
{
    ContourModel model = learned({100}, 20, 2);
    const cv::Mat upper = model.upper.clone();
    model.reset();
    QVERIFY(!model.isReady());
    QCOMPARE(cv::norm(model.upper, upper, cv::NORM_INF), 0.0);
    cv::Mat diff(Side, Side, CV_8UC1, cv::Scalar(7));
    model.compare(flat(0), diff);
    QCOMPARE(cv::countNonZero(diff != 7), 0);
}

void ContourModelTest::unusableInputsMarkNothing()
{
    ContourModel none;
    none.init(Side, Side, fullMask(), 0);
    none.learn(20, 2, 100, 150); // no template selected
    QVERIFY(!none.isReady());
    QCOMPARE(marked(none, flat(0)), 0);

    ContourModel model;
    model.init(Side, Side, fullMask(), 0);
    model.addSample(flat(100, Side + 1, Side)); // does not fit: skipped
    model.addSample(flat(100));
    model.learn(20, 2, 100, 150);
    QVERIFY(model.isReady());
    QCOMPARE(marked(model, flat(0)), Side * Side);
    cv::Mat diff;
    model.compare(flat(0, Side, Side + 3), diff); // a crop of another size is not compared
    QVERIFY(diff.empty());
    model.compare(flat(0), diff); // an empty diff is made the region's size
    QCOMPARE(cv::countNonZero(diff), Side * Side);

    ContourModel badMask;
    badMask.init(Side, Side, fullMask(3, 3), 0);
    badMask.addSample(flat(100));
    badMask.learn(20, 2, 100, 150);
    QCOMPARE(marked(badMask, flat(0)), 0);
    ContourModel empty;
    empty.init(0, Side, cv::Mat(), 0);
    empty.addSample(flat(100));
    empty.learn(20, 1000000, 100, 150);
    QVERIFY(!empty.isReady());
}

QTEST_APPLESS_MAIN(ContourModelTest)
#include "ContourModelTest.moc"
