// The grey-value settling brings a pose that the edge search left a pixel or a degree off back
// onto the target: turned or not, under other light, and with part of the target outside the
// frame. A flat frame is refused, and the same frame always gives the same pose.

#include "inspection/RigidAlignment.h"

#include <QtTest>

#include <opencv2/imgproc.hpp>

#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
const cv::Rect Cut(70, 75, 60, 50);

// Smooth texture: blurred noise stretched to the grey range.
cv::Mat scene()
{
    cv::RNG rng(7);
    cv::Mat noise(220, 220, CV_32F);
    rng.fill(noise, cv::RNG::UNIFORM, 0, 1);
    cv::GaussianBlur(noise, noise, cv::Size(0, 0), 3);
    cv::Mat grey;
    cv::normalize(noise, noise, 0, 255, cv::NORM_MINMAX);
    noise.convertTo(grey, CV_8U);
    return grey;
}

// Template pixels to frame pixels: turned by degrees about the template's centre, which lands at
// (x, y).
cv::Matx23d poseOf(double degrees, double x, double y)
{
    const double a = degrees * Pi / 180;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double cx = (Cut.width - 1) / 2.0;
    const double cy = (Cut.height - 1) / 2.0;
    return cv::Matx23d(c, -s, x - (c * cx - s * cy), s, c, y - (s * cx + c * cy));
}

// The frame that shows the scene's cut at the pose, with its light changed.
cv::Mat frameOf(const cv::Mat &world, const cv::Matx23d &pose, cv::Size size, double gain, double offset)
{
    cv::Matx33d full(pose(0, 0), pose(0, 1), pose(0, 2), pose(1, 0), pose(1, 1), pose(1, 2), 0, 0, 1);
    const cv::Matx33d back = full.inv();
    const cv::Matx23d map(back(0, 0), back(0, 1), back(0, 2) + Cut.x, back(1, 0), back(1, 1), back(1, 2) + Cut.y);
    cv::Mat frame;
    cv::warpAffine(world, frame, cv::Mat(map), size, cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REFLECT);
    frame.convertTo(frame, CV_8U, gain, offset);
    return frame;
}

double degreesOf(const cv::Matx23d &pose) { return std::atan2(pose(1, 0), pose(0, 0)) * 180 / Pi; }

cv::Point2d centreOf(const cv::Matx23d &pose)
{
    const double cx = (Cut.width - 1) / 2.0;
    const double cy = (Cut.height - 1) / 2.0;
    return cv::Point2d(pose(0, 0) * cx + pose(0, 1) * cy + pose(0, 2), pose(1, 0) * cx + pose(1, 1) * cy + pose(1, 2));
}

} // namespace

class RigidAlignmentTest : public QObject
{
    Q_OBJECT

private slots:
    void settlesTheFoundPose_data();
    void settlesTheFoundPose();
    void refusesAFlatFrame();
    void givesUpBeyondItsReach();
};

void RigidAlignmentTest::settlesTheFoundPose_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<bool>("turn");
    QTest::addColumn<double>("gain");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("startTurn");
    QTest::addColumn<double>("startX");
    QTest::addColumn<double>("startY");
    // The start is where an edge search would leave it: up to a pixel and a half, or a couple
    // of degrees, off.
    QTest::newRow("shift only") << 0.0 << 80.3 << 70.6 << false << 1.0 << 0.0 << 0.0 << 1.2 << -0.9;
    QTest::newRow("turned") << 7.4 << 81.0 << 69.2 << true << 1.0 << 0.0 << -1.8 << -1.1 << 0.8;
    QTest::newRow("turned the other way") << -9.1 << 79.6 << 71.4 << true << 1.0 << 0.0 << 1.5 << 0.7 << 1.3;
    QTest::newRow("other light") << 3.2 << 80.0 << 70.0 << true << 0.6 << 60.0 << 1.2 << -1.0 << -0.6;
    QTest::newRow("partly outside the frame") << -4.0 << 12.5 << 70.3 << true << 1.0 << 0.0 << -1.3 << 1.0 << 0.9;
}

void RigidAlignmentTest::settlesTheFoundPose()
{
    QFETCH(double, degrees);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(bool, turn);
    QFETCH(double, gain);
    QFETCH(double, offset);
    QFETCH(double, startTurn);
    QFETCH(double, startX);
    QFETCH(double, startY);
    const cv::Mat world = scene();
    RigidAlignment settling;
    settling.setTemplate(world(Cut));
    QVERIFY(settling.ready());
    const cv::Mat frame = frameOf(world, poseOf(degrees, x, y), cv::Size(160, 140), gain, offset);

    RigidAlignment::Work work;
    cv::Matx23d pose = poseOf(degrees + startTurn, x + startX, y + startY);
    QVERIFY(settling.align(frame, pose, turn, 10, work));
    QVERIFY2(std::abs(degreesOf(pose) - degrees) < 0.05, qPrintable(QString::number(degreesOf(pose))));
    const cv::Point2d at = centreOf(pose);
    QVERIFY2(std::hypot(at.x - x, at.y - y) < 0.05, qPrintable(QStringLiteral("%1 %2").arg(at.x).arg(at.y)));

    // The same frame, the same start: the very same pose.
    cv::Matx23d again = poseOf(degrees + startTurn, x + startX, y + startY);
    QVERIFY(settling.align(frame, again, turn, 10, work));
    for (int k = 0; k < 6; ++k)
        QCOMPARE(again.val[k], pose.val[k]);
}

void RigidAlignmentTest::refusesAFlatFrame()
{
    RigidAlignment settling;
    settling.setTemplate(scene()(Cut));
    RigidAlignment::Work work;
    const cv::Matx23d start = poseOf(2, 80, 70);
    cv::Matx23d pose = start;
    QVERIFY(!settling.align(cv::Mat(140, 160, CV_8UC1, cv::Scalar(90)), pose, true, 10, work));
    for (int k = 0; k < 6; ++k)
        QCOMPARE(pose.val[k], start.val[k]);
}

void RigidAlignmentTest::givesUpBeyondItsReach()
{
    // The start lies 1.5 px and 2 degrees off the target: a reach shorter than that is left, a
    // longer one is not.
    const cv::Mat world = scene();
    RigidAlignment settling;
    settling.setTemplate(world(Cut));
    const cv::Mat frame = frameOf(world, poseOf(4, 80, 70), cv::Size(160, 140), 1, 0);
    RigidAlignment::Work work;
    const cv::Matx23d start = poseOf(2, 81.5, 70);
    cv::Matx23d pose = start;
    QVERIFY(!settling.align(frame, pose, true, 10, work, {1.0, 5.0}));
    QVERIFY(!settling.align(frame, pose, true, 10, work, {3.0, 1.0}));
    for (int k = 0; k < 6; ++k)
        QCOMPARE(pose.val[k], start.val[k]);
    QVERIFY(settling.align(frame, pose, true, 10, work, {2.0, 3.0}));
    QVERIFY(std::hypot(centreOf(pose).x - 80, centreOf(pose).y - 70) < 0.05);
}

QTEST_GUILESS_MAIN(RigidAlignmentTest)
#include "RigidAlignmentTest.moc"
