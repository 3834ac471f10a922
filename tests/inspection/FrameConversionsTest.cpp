#include "inspection/FrameConversions.h"

#include <QtTest>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

// The grey value as the design states it, with its tables built independently of the code.
uchar referenceGray(uint32_t p)
{
    static const double w[3] = {0.299, 0.587, 0.114};
    int sum = 0;
    for (int k = 0; k < 3; ++k)
        sum += static_cast<int>(std::floor(((p >> (8 * k)) & 0xFF) * w[k] * 1024));
    return static_cast<uchar>(sum / 1024);
}

uchar referenceHue(uint32_t p)
{
    const int r = p & 0xFF;
    const int g = (p >> 8) & 0xFF;
    const int b = (p >> 16) & 0xFF;
    const int mx = std::max({r, g, b});
    const int mn = std::min({r, g, b});
    if (mx == 0 || mx == mn)
        return 0;
    const float d = static_cast<float>(mx - mn);
    float h;
    if (r == mx)
        h = static_cast<float>(g - b) / d + (g < b ? 6.0f : 0.0f);
    else if (g == mx)
        h = static_cast<float>(b - r) / d + 2.0f;
    else
        h = static_cast<float>(r - g) / d + 4.0f;
    return static_cast<uchar>(static_cast<int>(h * 42.5f));
}

// A frame 642 pixels wide: not a multiple of any vector width, so every path meets a tail.
constexpr int OddWidth = 642;
constexpr int OddHeight = 3;

std::vector<uchar> randomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uchar> v(n);
    for (uchar &b : v)
        b = static_cast<uchar>(rng());
    return v;
}

cv::Mat randomImage(int width, int height, unsigned seed)
{
    cv::Mat m(height, width, CV_8UC1);
    cv::RNG rng(seed);
    rng.fill(m, cv::RNG::UNIFORM, 0, 256);
    return m;
}

// The design's rotation, step by step: pad to the diagonal, shift, rotate, crop.
cv::Mat referenceRotate(const cv::Mat &src, QPoint shift, QPoint centre, double angle)
{
    const int side = static_cast<int>(std::max(src.cols, src.rows) * 1.414);
    const int padX = (side - src.cols) / 2;
    const int padY = (side - src.rows) / 2;
    cv::Mat padded;
    cv::copyMakeBorder(src, padded, padY, padY, padX, padX, cv::BORDER_CONSTANT, cv::Scalar(0));
    cv::Mat shifted = cv::Mat::zeros(padded.size(), CV_8UC1);
    cv::Mat moved = (cv::Mat_<double>(2, 3) << 1, 0, shift.x(), 0, 1, shift.y());
    cv::warpAffine(padded, shifted, moved, padded.size(), cv::INTER_NEAREST, cv::BORDER_CONSTANT, cv::Scalar(0));
    const cv::Mat m = cv::getRotationMatrix2D(cv::Point2f(float(centre.x() + padX), float(centre.y() + padY)), angle, 1.0);
    cv::Mat warped;
    cv::warpAffine(shifted, warped, m, shifted.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    return warped(cv::Rect(padX, padY, src.cols, src.rows)).clone();
}

} // namespace

class FrameConversionsTest : public QObject
{
    Q_OBJECT

private slots:
    void singlePixels_data();
    void singlePixels();
    void everyColour_data();
    void everyColour();
    void rgb24SwapsToBgr0();
    void gray8ExpandsToThreeBytes();
    void emptyCallsTouchNothing();
    void shiftMovesContent_data();
    void shiftMovesContent();
    void shiftWithinOneBuffer();
    void rotateByZeroEqualsShift_data();
    void rotateByZeroEqualsShift();
    void rotateFollowsPaddedPipeline_data();
    void rotateFollowsPaddedPipeline();
    void rotatedPartsEqualTheWhole_data();
    void rotatedPartsEqualTheWhole();
    void rotatedAreasTogetherEqualTheWhole_data();
    void rotatedAreasTogetherEqualTheWhole();
    void rotatedPartNeedsASeparateDestination();
    void movesRefuseUnusableSources_data();
    void movesRefuseUnusableSources();
};

void FrameConversionsTest::singlePixels_data()
{
    QTest::addColumn<bool>("hue");
    QTest::addColumn<uint>("pixel");
    QTest::addColumn<int>("expected");
    QTest::newRow("grey of white is 254") << false << 0x00FFFFFFu << 254;
    QTest::newRow("grey of byte 0 alone") << false << 0x000000FFu << 76;
    QTest::newRow("grey of byte 1 alone") << false << 0x0000FF00u << 149;
    QTest::newRow("grey of byte 2 alone") << false << 0x00FF0000u << 29;
    QTest::newRow("grey ignores byte 3") << false << 0xFF000000u << 0;
    QTest::newRow("hue of byte 0") << true << 0x000000FFu << 0;
    QTest::newRow("hue of byte 1") << true << 0x0000FF00u << 85;
    QTest::newRow("hue of byte 2") << true << 0x00FF0000u << 170;
    QTest::newRow("hue of bytes 0 and 2") << true << 0x00FF00FFu << 212;
    QTest::newRow("hue of grey") << true << 0x00808080u << 0;
    QTest::newRow("hue of black") << true << 0u << 0;
    QTest::newRow("hue tie of bytes 0 and 1 goes to byte 0") << true << 0x0000FFFFu << 42;
}

void FrameConversionsTest::singlePixels()
{
    QFETCH(bool, hue);
    QFETCH(uint, pixel);
    QFETCH(int, expected);
    // A row of 37 meets both the vector loop and its tail.
    std::vector<uint> row(37, pixel);
    std::vector<uchar> out(row.size(), 7);
    if (hue)
        rgb32ToHue(out.data(), row.data(), int(row.size()), 1);
    else
        rgb32ToGray(out.data(), row.data(), int(row.size()), 1);
    for (uchar v : out)
        QCOMPARE(int(v), expected);
}

void FrameConversionsTest::everyColour_data()
{
    QTest::addColumn<bool>("hue");
    QTest::newRow("grey") << false;
    QTest::newRow("hue") << true;
}

void FrameConversionsTest::everyColour()
{
    QFETCH(bool, hue);
    // All 2^24 colours, byte 3 varying as the cameras leave it.
    const int width = 4096;
    const int height = 4096;
    std::vector<uint> src(size_t(width) * height);
    for (size_t i = 0; i < src.size(); ++i)
        src[i] = uint(i) | uint((i * 37) & 0xFF) << 24;
    std::vector<uchar> out(src.size());
    if (hue)
        rgb32ToHue(out.data(), src.data(), width, height);
    else
        rgb32ToGray(out.data(), src.data(), width, height);
    for (size_t i = 0; i < src.size(); ++i) {
        const uchar expected = hue ? referenceHue(src[i]) : referenceGray(src[i]);
        if (out[i] != expected)
            QFAIL(qPrintable(QStringLiteral("pixel %1: %2, expected %3").arg(src[i], 8, 16).arg(out[i]).arg(expected)));
    }
}

void FrameConversionsTest::rgb24SwapsToBgr0()
{
    const uchar sdk[3] = {10, 20, 30};
    uchar one[4] = {1, 1, 1, 1};
    rgb24ToRgb32(one, sdk, 1, 1);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(one), 4), QByteArray("\x1e\x14\x0a\x00", 4));

    const std::vector<uchar> src = randomBytes(size_t(OddWidth) * OddHeight * 3, 1);
    std::vector<uchar> out(size_t(OddWidth) * OddHeight * 4 + 4, 0xAB);
    rgb24ToRgb32(out.data(), src.data(), OddWidth, OddHeight);
    for (size_t i = 0; i < size_t(OddWidth) * OddHeight; ++i) {
        const uchar expected[4] = {src[3 * i + 2], src[3 * i + 1], src[3 * i], 0};
        QVERIFY2(std::memcmp(&out[4 * i], expected, 4) == 0, qPrintable(QString::number(i)));
    }
    // Nothing written past the frame.
    QCOMPARE(int(out[out.size() - 1]), 0xAB);
}

void FrameConversionsTest::gray8ExpandsToThreeBytes()
{
    const uchar grey = 0x80;
    uint one = 0xFFFFFFFFu;
    gray8ToRgb32(&grey, &one, 1, 1);
    QCOMPARE(one, 0x00808080u);

    const std::vector<uchar> src = randomBytes(size_t(OddWidth) * OddHeight, 2);
    std::vector<uint> words(src.size() + 1, 0xDEADBEEFu);
    gray8ToRgb32(src.data(), words.data(), OddWidth, OddHeight);
    // The byte form writes to any address, aligned or not.
    std::vector<uchar> bytes(src.size() * 4 + 1);
    gray8ToRgb32(src.data(), bytes.data() + 1, OddWidth, OddHeight);
    for (size_t i = 0; i < src.size(); ++i) {
        QCOMPARE(words[i], src[i] * 0x010101u);
        QCOMPARE(std::memcmp(&bytes[1 + 4 * i], &words[i], 4), 0);
    }
    QCOMPARE(words.back(), 0xDEADBEEFu);
}

void FrameConversionsTest::emptyCallsTouchNothing()
{
    uint word = 0x12345678u;
    uchar byte = 9;
    gray8ToRgb32(nullptr, &word, 4, 4);
    gray8ToRgb32(&byte, &word, 0, 4);
    rgb24ToRgb32(&byte, nullptr, 4, 4);
    rgb32ToGray(&byte, &word, 1, -1);
    rgb32ToHue(nullptr, &word, 1, 1);
    QCOMPARE(word, 0x12345678u);
    QCOMPARE(int(byte), 9);
}

void FrameConversionsTest::shiftMovesContent_data()
{
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::newRow("right and up") << 5 << -3;
    QTest::newRow("left and down") << -7 << 4;
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("out of the image") << OddWidth << 0;
    QTest::newRow("far up") << 0 << -1000000;
    QTest::newRow("extreme") << INT_MIN << INT_MAX;
}

void FrameConversionsTest::shiftMovesContent()
{
    QFETCH(int, dx);
    QFETCH(int, dy);
    // A view into a wider image: rows are further apart than the width.
    const cv::Mat wide = randomImage(OddWidth + 13, 40, 3);
    const cv::Mat src = wide(cv::Rect(5, 0, OddWidth, 40));
    cv::Mat dstWide(40, OddWidth + 9, CV_8UC1, cv::Scalar(99));
    cv::Mat dst = dstWide(cv::Rect(2, 0, OddWidth, 40));
    QVERIFY(shiftImage(src, dst, dx, dy));
    QCOMPARE(dst.data, dstWide.data + 2); // written in place
    for (int y = 0; y < src.rows; ++y) {
        for (int x = 0; x < src.cols; ++x) {
            const long long sx = static_cast<long long>(x) - dx;
            const long long sy = static_cast<long long>(y) - dy;
            const int expected = (sx >= 0 && sx < src.cols && sy >= 0 && sy < src.rows) ? src.at<uchar>(int(sy), int(sx)) : 0;
            if (dst.at<uchar>(y, x) != expected)
                QFAIL(qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        }
    }
    QCOMPARE(int(dstWide.at<uchar>(0, 0)), 99);
    QCOMPARE(int(dstWide.at<uchar>(0, OddWidth + 2)), 99);
}

void FrameConversionsTest::shiftWithinOneBuffer()
{
    const cv::Mat original = randomImage(64, 48, 4);
    cv::Mat image = original.clone();
    cv::Mat expected;
    QVERIFY(shiftImage(original, expected, 3, 5));
    QVERIFY(shiftImage(image, image, 3, 5));
    QCOMPARE(cv::norm(image, expected, cv::NORM_INF), 0.0);
}

void FrameConversionsTest::rotateByZeroEqualsShift_data()
{
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::newRow("still") << 0 << 0;
    QTest::newRow("right and up") << 5 << -3;
    QTest::newRow("left and down") << -12 << 9;
}

void FrameConversionsTest::rotateByZeroEqualsShift()
{
    QFETCH(int, dx);
    QFETCH(int, dy);
    const cv::Mat src = randomImage(OddWidth, 50, 5);
    cv::Mat shifted;
    cv::Mat rotated;
    QVERIFY(shiftImage(src, shifted, dx, dy));
    QVERIFY(rotateImage(src, rotated, QPoint(dx, dy), QPoint(300, 20), 0.0));
    QCOMPARE(cv::norm(shifted, rotated, cv::NORM_INF), 0.0);
}

void FrameConversionsTest::rotateFollowsPaddedPipeline_data()
{
    QTest::addColumn<QPoint>("shift");
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<double>("angle");
    QTest::newRow("30 degrees about the centre") << QPoint(0, 0) << QPoint(160, 120) << 30.0;
    QTest::newRow("shifted, -12.5 degrees about a corner anchor") << QPoint(7, -4) << QPoint(40, 30) << -12.5;
    QTest::newRow("quarter turn") << QPoint(-3, 2) << QPoint(100, 100) << 90.0;
}

void FrameConversionsTest::rotateFollowsPaddedPipeline()
{
    QFETCH(QPoint, shift);
    QFETCH(QPoint, centre);
    QFETCH(double, angle);
    // A smooth scene (blurred noise), as a mould image is.
    cv::Mat src = randomImage(320, 240, 6);
    cv::GaussianBlur(src, src, cv::Size(0, 0), 4.0);
    cv::normalize(src, src, 0, 255, cv::NORM_MINMAX);
    const cv::Mat expected = referenceRotate(src, shift, centre, angle);
    cv::Mat rotated;
    QVERIFY(rotateImage(src, rotated, shift, centre, angle));
    cv::Mat diff;
    cv::absdiff(rotated, expected, diff);
    double worst = 0;
    cv::minMaxLoc(diff, nullptr, &worst);
    // One warp instead of pad, shift, warp and crop: the bilinear sampler rounds its source
    // positions to 1/32 pixel from other offsets, which moves a pixel by at most 1/32 of the
    // step across it, and only a few do.
    QVERIFY2(worst <= 255.0 / 32 + 1, qPrintable(QString::number(worst)));
    QVERIFY(size_t(cv::countNonZero(diff)) < diff.total() / 100);
}

void FrameConversionsTest::rotatedPartsEqualTheWhole_data()
{
    QTest::addColumn<QPoint>("shift");
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<double>("angle");
    QTest::addColumn<QRect>("area");
    QTest::newRow("3.5 degrees, inside") << QPoint(7, -5) << QPoint(150, 25) << 3.5 << QRect(40, 10, 57, 23);
    QTest::newRow("-10 degrees, across the left and top border") << QPoint(-3, 4) << QPoint(30, 30) << -10.0
                                                                << QRect(-20, -6, 61, 30);
    QTest::newRow("quarter turn, one column") << QPoint(0, 0) << QPoint(100, 25) << 90.0 << QRect(250, 0, 1, 50);
    QTest::newRow("0.4 degrees, the whole image") << QPoint(2, 1) << QPoint(0, 0) << 0.4 << QRect(0, 0, OddWidth, 50);
    QTest::newRow("wholly outside") << QPoint(0, 0) << QPoint(10, 10) << 5.0 << QRect(OddWidth, 0, 10, 10);
    // Small turns draw eight neighbouring pixels from a few neighbouring rows, either way round.
    QTest::newRow("-1.7 degrees, the whole image") << QPoint(-4, 3) << QPoint(60, 20) << -1.7 << QRect(0, 0, OddWidth, 50);
    QTest::newRow("6.2 degrees, right part") << QPoint(1, -2) << QPoint(200, 40) << 6.2 << QRect(150, 5, OddWidth - 150, 40);
}

void FrameConversionsTest::rotatedPartsEqualTheWhole()
{
    QFETCH(QPoint, shift);
    QFETCH(QPoint, centre);
    QFETCH(double, angle);
    QFETCH(QRect, area);
    const cv::Mat src = randomImage(OddWidth, 50, 9);
    cv::Mat whole;
    QVERIFY(rotateImage(src, whole, shift, centre, angle));
    // The whole image is the one cv::warpAffine gives for the same move.
    cv::Mat move = cv::getRotationMatrix2D(cv::Point2f(float(centre.x()), float(centre.y())), angle, 1.0);
    move.at<double>(0, 2) += move.at<double>(0, 0) * shift.x() + move.at<double>(0, 1) * shift.y();
    move.at<double>(1, 2) += move.at<double>(1, 0) * shift.x() + move.at<double>(1, 1) * shift.y();
    cv::Mat warped;
    cv::warpAffine(src, warped, move, src.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    QCOMPARE(cv::norm(whole, warped, cv::NORM_INF), 0.0);

    cv::Mat part(src.size(), CV_8UC1, cv::Scalar(77));
    const cv::Rect rect(area.x(), area.y(), area.width(), area.height());
    QVERIFY(rotateImagePart(src, part, rect, shift, centre, angle));
    const cv::Rect inside = rect & cv::Rect(0, 0, src.cols, src.rows);
    cv::Mat expected(src.size(), CV_8UC1, cv::Scalar(77));
    if (!inside.empty())
        whole(inside).copyTo(expected(inside));
    QCOMPARE(cv::norm(part, expected, cv::NORM_INF), 0.0);
}

void FrameConversionsTest::rotatedAreasTogetherEqualTheWhole_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QVector<QRect>>("areas");
    // A grid of small regions, as an engine judges them, one overlapping its neighbour.
    QVector<QRect> grid;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 6; ++column)
            grid << QRect(20 + column * 100, 4 + row * 15, column == 2 ? 120 : 90, 12);
    QTest::newRow("1.5 degrees, a grid of regions") << 1.5 << grid;
    QTest::newRow("-9 degrees, across the borders and outside")
        << -9.0 << QVector<QRect>{QRect(-30, 10, 80, 30), QRect(600, -5, 60, 70), QRect(OddWidth + 5, 0, 20, 20),
                                  QRect(200, 20, 3, 3)};
}

void FrameConversionsTest::rotatedAreasTogetherEqualTheWhole()
{
    QFETCH(double, angle);
    QFETCH(QVector<QRect>, areas);
    const cv::Mat src = randomImage(OddWidth, 50, 11);
    const QPoint shift(3, -2);
    const QPoint centre(320, 25);
    cv::Mat whole;
    QVERIFY(rotateImage(src, whole, shift, centre, angle));
    std::vector<cv::Rect> rects;
    cv::Mat expected(src.size(), CV_8UC1, cv::Scalar(77));
    for (const QRect &a : areas) {
        rects.emplace_back(a.x(), a.y(), a.width(), a.height());
        const cv::Rect inside = rects.back() & cv::Rect(0, 0, src.cols, src.rows);
        if (!inside.empty())
            whole(inside).copyTo(expected(inside));
    }
    cv::Mat parts(src.size(), CV_8UC1, cv::Scalar(77));
    QVERIFY(rotateImageParts(src, parts, rects, shift, centre, angle));
    QCOMPARE(cv::norm(parts, expected, cv::NORM_INF), 0.0);
}

void FrameConversionsTest::rotatedPartNeedsASeparateDestination()
{
    cv::Mat src = randomImage(OddWidth, 50, 10);
    const cv::Mat original = src.clone();
    cv::Mat small(20, 20, CV_8UC1, cv::Scalar(42));
    QVERIFY(!rotateImagePart(src, small, cv::Rect(0, 0, 10, 10), QPoint(1, 1), QPoint(5, 5), 10.0));
    QCOMPARE(cv::countNonZero(small != 42), 0);
    QVERIFY(!rotateImagePart(src, src, cv::Rect(0, 0, 10, 10), QPoint(1, 1), QPoint(5, 5), 10.0));
    QCOMPARE(cv::norm(src, original, cv::NORM_INF), 0.0);
}

void FrameConversionsTest::movesRefuseUnusableSources_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rows");
    QTest::newRow("empty") << int(CV_8UC1) << 0;
    QTest::newRow("colour") << int(CV_8UC3) << 10;
    QTest::newRow("16-bit") << int(CV_16UC1) << 10;
}

void FrameConversionsTest::movesRefuseUnusableSources()
{
    QFETCH(int, type);
    QFETCH(int, rows);
    const cv::Mat src = rows ? cv::Mat(rows, 10, type, cv::Scalar::all(1)) : cv::Mat();
    cv::Mat dst(10, 10, CV_8UC1, cv::Scalar(42));
    QVERIFY(!shiftImage(src, dst, 1, 1));
    QVERIFY(!rotateImage(src, dst, QPoint(1, 1), QPoint(5, 5), 10.0));
    QCOMPARE(cv::countNonZero(dst != 42), 0);
}

QTEST_APPLESS_MAIN(FrameConversionsTest)
#include "FrameConversionsTest.moc"
