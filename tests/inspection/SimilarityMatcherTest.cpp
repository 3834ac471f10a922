#include "inspection/SimilarityMatcher.h"

#include <QtTest>

#include <opencv2/imgproc.hpp>

#include <cmath>

Q_DECLARE_METATYPE(cv::Mat)

namespace {

// A smooth textured crop, as a region of a mould image is.
cv::Mat texture(int width, int height, unsigned seed, int low = 30, int high = 220)
{
    cv::Mat m(height, width, CV_8UC1);
    cv::RNG rng(seed);
    rng.fill(m, cv::RNG::UNIFORM, 0, 256);
    cv::GaussianBlur(m, m, cv::Size(0, 0), 2.0);
    cv::normalize(m, m, low, high, cv::NORM_MINMAX);
    return m;
}

SimilarityMatcher trained(const std::vector<cv::Mat> &templates, const cv::Mat &mask)
{
    SimilarityMatcher matcher;
    matcher.setImage(mask.cols, mask.rows, mask);
    for (const cv::Mat &t : templates)
        matcher.addTemplate(t);
    matcher.train();
    return matcher;
}

float scoreOf(const SimilarityMatcher &matcher, const cv::Mat &frame)
{
    cv::Mat diff(frame.size(), CV_8UC1, cv::Scalar(9));
    const float score = matcher.score(frame, diff);
    if (cv::countNonZero(diff) != 0)
        return -1; // the tool must not report pixels
    return score;
}

// The correlation of two equal-size crops, two-pass and centred in long double: a reference
// independent of the matcher's integer sums.
double centredCorrelation(const cv::Mat &a, const cv::Mat &b)
{
    const double n = double(a.total());
    long double ma = 0, mb = 0;
    for (size_t i = 0; i < a.total(); ++i) {
        ma += a.data[i];
        mb += b.data[i];
    }
    ma /= n;
    mb /= n;
    long double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < a.total(); ++i) {
        const long double da = a.data[i] - ma;
        const long double db = b.data[i] - mb;
        sab += da * db;
        saa += da * da;
        sbb += db * db;
    }
    return double(sab / std::sqrt(saa * sbb));
}

} // namespace

class SimilarityMatcherTest : public QObject
{
    Q_OBJECT

private slots:
    void scores_data();
    void scores();
    void agreesWithMatchTemplate_data();
    void agreesWithMatchTemplate();
    void bestOfSeveralTemplates();
    void pixelsOutsideTheMaskDoNotCount();
    void largeBrightRegionStaysExact();
    void untrainedOrUnfitScoresZero();
};

void SimilarityMatcherTest::scores_data()
{
    QTest::addColumn<cv::Mat>("templ");
    QTest::addColumn<cv::Mat>("frame");
    QTest::addColumn<float>("expected");
    const cv::Mat t = texture(40, 30, 1, 30, 120);
    QTest::newRow("identical") << t << t.clone() << 100.0f;
    QTest::newRow("gain and offset") << t << cv::Mat(t * 2 + 10) << 100.0f;
    QTest::newRow("inverted") << t << cv::Mat(255 - t) << 0.0f;
    QTest::newRow("flat against flat") << cv::Mat(30, 40, CV_8UC1, cv::Scalar(80))
                                       << cv::Mat(30, 40, CV_8UC1, cv::Scalar(200)) << 100.0f;
    QTest::newRow("flat against texture") << t << cv::Mat(30, 40, CV_8UC1, cv::Scalar(80)) << 0.0f;
    QTest::newRow("texture against flat") << cv::Mat(30, 40, CV_8UC1, cv::Scalar(80)) << t << 0.0f;
}

void SimilarityMatcherTest::scores()
{
    QFETCH(cv::Mat, templ);
    QFETCH(cv::Mat, frame);
    QFETCH(float, expected);
    const SimilarityMatcher matcher = trained({templ}, cv::Mat(templ.size(), CV_8UC1, cv::Scalar(255)));
    QCOMPARE(scoreOf(matcher, frame), expected);
}

void SimilarityMatcherTest::agreesWithMatchTemplate_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("noise");
    QTest::newRow("tiny, little noise") << 7 << 5 << 5.0;
    QTest::newRow("small, much noise") << 33 << 17 << 60.0;
    QTest::newRow("large, some noise") << 320 << 240 << 20.0;
}

void SimilarityMatcherTest::agreesWithMatchTemplate()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, noise);
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const cv::Mat templ = texture(width, height, seed);
        cv::Mat frame;
        cv::Mat grain(templ.size(), CV_16SC1);
        cv::RNG(seed + 100).fill(grain, cv::RNG::NORMAL, 0, noise);
        cv::add(templ, grain, frame, cv::noArray(), CV_8U);
        cv::Mat result;
        cv::matchTemplate(frame, templ, result, cv::TM_CCOEFF_NORMED);
        const double reference = std::max(0.0, double(result.at<float>(0, 0)));
        const SimilarityMatcher matcher = trained({templ}, cv::Mat(templ.size(), CV_8UC1, cv::Scalar(255)));
        const float score = scoreOf(matcher, frame);
        QVERIFY2(std::abs(score - reference * 100) < 1e-3,
                 qPrintable(QStringLiteral("seed %1: %2 against %3").arg(seed).arg(score).arg(reference * 100)));
    }
}

void SimilarityMatcherTest::bestOfSeveralTemplates()
{
    const cv::Mat frame = texture(60, 40, 7);
    const cv::Mat other = texture(60, 40, 8);
    // Mixtures of the frame with an unrelated texture correlate less and less with it.
    const cv::Mat close = frame * 0.8 + other * 0.2;
    const cv::Mat far = frame * 0.3 + other * 0.7;
    const cv::Mat mask(frame.size(), CV_8UC1, cv::Scalar(255));
    const double expected = 100 * centredCorrelation(frame, close);
    QVERIFY(centredCorrelation(frame, far) < centredCorrelation(frame, close));
    QVERIFY(std::abs(scoreOf(trained({far, close}, mask), frame) - expected) < 1e-4);
    QVERIFY(std::abs(scoreOf(trained({close, far}, mask), frame) - expected) < 1e-4);
}

void SimilarityMatcherTest::pixelsOutsideTheMaskDoNotCount()
{
    const cv::Mat templ = texture(50, 50, 3);
    cv::Mat frame = templ.clone();
    cv::Mat mask(templ.size(), CV_8UC1, cv::Scalar(255));
    cv::circle(mask, cv::Point(25, 25), 12, cv::Scalar(0), cv::FILLED);
    frame.setTo(0, mask == 0); // wreck everything the mask leaves out
    QCOMPARE(scoreOf(trained({templ}, mask), frame), 100.0f);
}

void SimilarityMatcherTest::largeBrightRegionStaysExact()
{
    // 4 million nearly white pixels: the plain sums reach 10^18, where a double no longer
    // holds every integer.
    const int side = 2048;
    cv::Mat templ(side, side, CV_8UC1, cv::Scalar(255));
    templ.at<uchar>(5, 5) = 254;
    templ.at<uchar>(900, 77) = 253;
    cv::Mat frame = templ.clone();
    const SimilarityMatcher same = trained({templ}, cv::Mat(templ.size(), CV_8UC1, cv::Scalar(255)));
    const float identical = scoreOf(same, frame);
    QCOMPARE(identical, 100.0f);
    QVERIFY(identical <= 100.0f);

    frame.at<uchar>(900, 77) = 255;
    frame.at<uchar>(1500, 1500) = 252;
    const float score = scoreOf(same, frame);
    const double expected = 100 * centredCorrelation(templ, frame);
    // Sums in double put this score 3.5e-5 off; a float result is good to 1e-6 here.
    QVERIFY2(std::abs(score - expected) < 1e-5, qPrintable(QStringLiteral("%1 against %2").arg(score).arg(expected)));
}

void SimilarityMatcherTest::untrainedOrUnfitScoresZero()
{
    const cv::Mat templ = texture(20, 20, 4);
    const cv::Mat mask(templ.size(), CV_8UC1, cv::Scalar(255));
    SimilarityMatcher matcher = trained({templ}, mask);
    QCOMPARE(scoreOf(matcher, templ), 100.0f);
    QVERIFY(matcher.templates.empty());
    QCOMPARE(scoreOf(matcher, texture(21, 20, 4)), 0.0f); // another size
    matcher.clear();
    QCOMPARE(scoreOf(matcher, templ), 0.0f);
    SimilarityMatcher noPixels = trained({templ}, cv::Mat::zeros(templ.size(), CV_8UC1));
    QCOMPARE(scoreOf(noPixels, templ), 0.0f);
    // A template kept as a view: later writes to its buffer do not reach the matcher.
    cv::Mat buffer = templ.clone();
    SimilarityMatcher viewed;
    viewed.setImage(20, 20, mask);
    viewed.addTemplate(buffer);
    buffer.setTo(0);
    viewed.train();
    QCOMPARE(scoreOf(viewed, templ), 100.0f);
}

QTEST_APPLESS_MAIN(SimilarityMatcherTest)
#include "SimilarityMatcherTest.moc"
