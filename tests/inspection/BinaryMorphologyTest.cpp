// The run-based opening and closing give the very pixels of cv::morphologyEx with the elliptic
// kernel and OpenCV's default border, for kernels of every size (even ones included), sparse
// and dense masks, blobs cut by the image border, and images thinner than the kernel.

#include "inspection/BinaryMorphology.h"

#include <QtTest>

#include <opencv2/imgproc.hpp>

Q_DECLARE_METATYPE(cv::Size)

namespace {

// Noise of the given density plus a few filled ellipses, some of them across the border.
cv::Mat sampleMask(cv::Size size, double density, std::uint64_t seed)
{
    cv::RNG rng(seed);
    cv::Mat noise(size, CV_32F);
    rng.fill(noise, cv::RNG::UNIFORM, 0, 1);
    cv::Mat mask = noise < density;
    for (int i = 0; i < 4; ++i) {
        const cv::Point centre(rng.uniform(-10, size.width + 10), rng.uniform(-10, size.height + 10));
        const cv::Size axes(rng.uniform(1, std::max(2, size.width / 2)), rng.uniform(1, std::max(2, size.height / 2)));
        cv::ellipse(mask, centre, axes, rng.uniform(0, 180), 0, 360, cv::Scalar(255), cv::FILLED);
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
    const cv::Size region(97, 61);
    for (double density : {0.02, 0.5, 0.97})
        QTest::addRow("97 x 61, density %.2f", density) << region << density;
    QTest::newRow("one row") << cv::Size(80, 1) << 0.6;
    QTest::newRow("one column") << cv::Size(1, 70) << 0.6;
    QTest::newRow("thinner than the kernels") << cv::Size(9, 7) << 0.8;
    QTest::newRow("all set") << cv::Size(40, 30) << 1.1;
    QTest::newRow("row width not a multiple of eight") << cv::Size(203, 17) << 0.3;
}

void BinaryMorphologyTest::sameAsOpenCv()
{
    QFETCH(cv::Size, size);
    QFETCH(double, density);
    for (int kernel : {1, 2, 3, 4, 5, 7, 8, 15, 16, 31, 51}) {
        for (std::uint64_t seed = 1; seed <= 3; ++seed) {
            const cv::Mat mask = sampleMask(size, density, seed * 7919 + std::uint64_t(kernel));
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
    sampleMask(size, density, 5).copyTo(view);
    const cv::Mat expected = opencv(view.clone(), 5, cv::MORPH_OPEN);
    openBinary(view, 5);
    QCOMPARE(cv::countNonZero(view != expected), 0);
    QCOMPARE(cv::countNonZero(frame) - cv::countNonZero(view), 0);
}

QTEST_GUILESS_MAIN(BinaryMorphologyTest)
#include "BinaryMorphologyTest.moc"
