// The run-based opening and closing give the very pixels of cv::morphologyEx with the elliptic
// kernel and OpenCV's default border, for kernels of every size (even ones included), sparse
// and dense masks, masks whose rows are mostly clear (a region with a few marks), blobs cut by
// the image border, and images thinner than the kernel.

#include "inspection/BinaryMorphology.h"

#include <QtTest>

#include <opencv2/imgproc.hpp>

Q_DECLARE_METATYPE(cv::Size)

namespace {

// What a sample mask is made of besides its noise: the largest half axis of its four blobs (0:
// half the image), and whether two more blobs sit on the top and the bottom row.
struct Blobs
{
    int largestAxis = 0;
    bool onTopAndBottom = false;
};

// Noise of the given density plus a few filled ellipses, some of them across the border.
cv::Mat sampleMask(cv::Size size, double density, std::uint64_t seed, Blobs blobs = {})
{
    cv::RNG rng(seed);
    cv::Mat noise(size, CV_32F);
    rng.fill(noise, cv::RNG::UNIFORM, 0, 1);
    cv::Mat mask = noise < density;
    const int widest = blobs.largestAxis > 0 ? blobs.largestAxis : size.width / 2;
    const int tallest = blobs.largestAxis > 0 ? blobs.largestAxis : size.height / 2;
    for (int i = 0; i < 4; ++i) {
        const cv::Point centre(rng.uniform(-10, size.width + 10), rng.uniform(-10, size.height + 10));
        const cv::Size axes(rng.uniform(1, std::max(2, widest)), rng.uniform(1, std::max(2, tallest)));
        cv::ellipse(mask, centre, axes, rng.uniform(0, 180), 0, 360, cv::Scalar(255), cv::FILLED);
    }
    if (blobs.onTopAndBottom) {
        for (int y : {0, size.height - 1}) {
            const cv::Point centre(rng.uniform(0, size.width), y);
            const cv::Size axes(rng.uniform(widest, 2 * widest + 1), rng.uniform(tallest / 2, tallest + 1));
            cv::ellipse(mask, centre, axes, 0, 0, 360, cv::Scalar(255), cv::FILLED);
        }
    }
    return mask;
}

cv::Mat opencv(const cv::Mat &mask, int size, int operation)
{
    cv::Mat out;
    cv::morphologyEx(mask, out, operation, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(size, size)),
                     cv::Point(-1, -1), 1, cv::BORDER_CONSTANT, cv::morphologyDefaultBorderValue());
    return out;
}

} // namespace

class BinaryMorphologyTest : public QObject
{
    Q_OBJECT

private slots:
    void sameAsOpenCv_data();
    void sameAsOpenCv();
};

void BinaryMorphologyTest::sameAsOpenCv_data()
{
    QTest::addColumn<cv::Size>("size");
    QTest::addColumn<double>("density");
    QTest::addColumn<int>("largestBlob");
    QTest::addColumn<bool>("blobsOnTopAndBottom");
    const cv::Size region(97, 61);
    for (double density : {0.02, 0.5, 0.97})
        QTest::addRow("97 x 61, density %.2f", density) << region << density << 0 << false;
    QTest::newRow("one row") << cv::Size(80, 1) << 0.6 << 0 << false;
    QTest::newRow("one column") << cv::Size(1, 70) << 0.6 << 0 << false;
    QTest::newRow("thinner than the kernels") << cv::Size(9, 7) << 0.8 << 0 << false;
    QTest::newRow("all set") << cv::Size(40, 30) << 1.1 << 0 << false;
    QTest::newRow("row width not a multiple of eight") << cv::Size(203, 17) << 0.3 << 0 << false;
    // Mostly clear rows, as the marks of a region usually are: a row clear or set decides alone
    // for every row the kernel reaches.
    QTest::newRow("small blobs, most rows clear") << cv::Size(102, 143) << 0.0 << 12 << false;
    QTest::newRow("sparse noise, small blobs") << cv::Size(102, 143) << 0.0005 << 20 << false;
    QTest::newRow("blobs on the top and bottom rows, clear between") << cv::Size(102, 143) << 0.0 << 30 << true;
    QTest::newRow("large blobs on the top and bottom rows") << cv::Size(160, 90) << 0.001 << 60 << true;
}

void BinaryMorphologyTest::sameAsOpenCv()
{
    QFETCH(cv::Size, size);
    QFETCH(double, density);
    QFETCH(int, largestBlob);
    QFETCH(bool, blobsOnTopAndBottom);
    const Blobs blobs{largestBlob, blobsOnTopAndBottom};
    for (int kernel : {1, 2, 3, 4, 5, 7, 8, 15, 16, 31, 51}) {
        for (std::uint64_t seed = 1; seed <= 3; ++seed) {
            const cv::Mat mask = sampleMask(size, density, seed * 7919 + std::uint64_t(kernel), blobs);
            cv::Mat opened = mask.clone();
            openBinary(opened, kernel);
            cv::Mat closed = mask.clone();
            closeBinary(closed, kernel);
            QVERIFY2(cv::countNonZero(opened != opencv(mask, kernel, cv::MORPH_OPEN)) == 0,
                     qPrintable(QStringLiteral("opening, kernel %1, seed %2").arg(kernel).arg(seed)));
            QVERIFY2(cv::countNonZero(closed != opencv(mask, kernel, cv::MORPH_CLOSE)) == 0,
                     qPrintable(QStringLiteral("closing, kernel %1, seed %2").arg(kernel).arg(seed)));
        }
    }
    // A view into a larger image (a region of a frame) is worked in place, its neighbours untouched.
    cv::Mat frame = cv::Mat::zeros(size.height + 4, size.width + 4, CV_8UC1);
    cv::Mat view = frame(cv::Rect(2, 2, size.width, size.height));
    sampleMask(size, density, 5, blobs).copyTo(view);
    const cv::Mat expected = opencv(view.clone(), 5, cv::MORPH_OPEN);
    openBinary(view, 5);
    QCOMPARE(cv::countNonZero(view != expected), 0);
    QCOMPARE(cv::countNonZero(frame) - cv::countNonZero(view), 0);
}

QTEST_GUILESS_MAIN(BinaryMorphologyTest)
#include "BinaryMorphologyTest.moc"
