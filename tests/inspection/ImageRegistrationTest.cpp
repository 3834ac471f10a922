// Registration of generated frames through the engine: a moved, turned and tilted camera is
// recovered, on sharp and on dull, defocused views, always to the same transform; frames
// without usable features pass through unchanged.

#include "core/ParameterNames.h"
#include "inspection/DetectAlgorithm.h"
#include "inspection/IntensityRefinement.h"
#include "tests/inspection/EngineTestHost.h"
#include "tests/support/FakeStationHost.h"
#include "tools/framegen/MouldSynth.h"

#include <QtTest>

#include <opencv2/imgproc.hpp>

#include <cmath>

Q_DECLARE_METATYPE(cv::Point2f)

namespace {

// Large enough for features, small enough to be registered unscaled.
const cv::Size FrameSize(800, 600);

// Each image corner, seen by the moved camera and mapped back by the found transform, must land
// within half a pixel of where it was.
void verifyCornersReturn(const cv::Matx33d &camera2frame, const cv::Matx33d &frame2reference)
{
    const double w = FrameSize.width - 1;
    const double h = FrameSize.height - 1;
    for (const cv::Point2d &corner : {cv::Point2d(0, 0), cv::Point2d(w, 0), cv::Point2d(w, h), cv::Point2d(0, h)}) {
        const cv::Point2d back = synth::transformPoint(frame2reference, synth::transformPoint(camera2frame, corner));
        const double error = std::hypot(back.x - corner.x, back.y - corner.y);
        QVERIFY2(error < 0.5, qPrintable(QStringLiteral("corner %1, %2 off by %3").arg(corner.x).arg(corner.y).arg(error)));
    }
}

struct RegisteredCamera
{
    DetectionSettings settings;
    FakeStationHost station;
    synth::MouldLayout layout = synth::makeMouldLayout(6, FrameSize);
    EngineTestHost host{FrameSize.width, FrameSize.height};
    std::unique_ptr<DetectAlgorithm> engine;

    // faint: the template and every frame dull and defocused (synth::faintFrame).
    explicit RegisteredCamera(bool registration = true, bool markedArea = false, bool faint = false)
    {
        // The operator marks the area registration uses with an angle-correction region.
        if (markedArea)
            host.addRect(0, cv::Rect(20, 20, FrameSize.width - 40, FrameSize.height - 40), AngleCorrectionTool);
        settings[Param::Registration] = registration ? 1 : 0;
        settings[Param::MotionCorrection] = -1;
        synth::Conditions sampling;
        sampling.noiseSeed = 100;
        const cv::Mat reference = synth::renderMould(layout, {}, sampling);
        host.setTemplate(0, 0, faint ? synth::faintFrame(reference, 11) : reference);
        engine = std::make_unique<DetectAlgorithm>(&host.config, &host);
    }

    void registerFrame(const cv::Mat &frame)
    {
        host.setFrame(frame);
        QVERIFY(engine->registerImage(0));
    }
};

} // namespace

class ImageRegistrationTest : public QObject
{
    Q_OBJECT

private slots:
    void movedTurnedTiltedCameraIsRecovered_data();
    void movedTurnedTiltedCameraIsRecovered();
    void greyValuesSettleOrRefuseAStart_data();
    void greyValuesSettleOrRefuseAStart();
    void framesWithoutFeaturesPassUnchanged_data();
    void framesWithoutFeaturesPassUnchanged();
    void registrationOffCopiesTheFrame();
    void stageWithoutReferenceCopiesTheFrame();
    void colourFramesAreNeverRegistered();
};

void ImageRegistrationTest::movedTurnedTiltedCameraIsRecovered_data()
{
    QTest::addColumn<cv::Point2f>("shift");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<double>("keystone");
    QTest::addColumn<bool>("faint");
    QTest::newRow("moved, turned, tilted") << cv::Point2f(12, -7) << 1.5 << 0.01 << false;
    QTest::newRow("moved far, turned") << cv::Point2f(-25, 18) << -1.5 << 0.0 << false;
    // Few corners to track on a dull view, each a little off: the fit of the points alone was
    // several pixels out at the image's corners.
    QTest::newRow("faint, moved far, turned") << cv::Point2f(-25, 18) << -1.5 << 0.0 << true;
    QTest::newRow("faint, moved, turned, tilted") << cv::Point2f(20, 25) << 0.8 << 0.01 << true;
    QTest::newRow("faint, hardly moved") << cv::Point2f(2, -1) << 0.2 << 0.0 << true;
}

void ImageRegistrationTest::movedTurnedTiltedCameraIsRecovered()
{
    QFETCH(cv::Point2f, shift);
    QFETCH(double, rotation);
    QFETCH(double, keystone);
    QFETCH(bool, faint);
    RegisteredCamera camera(true, true, faint);
    synth::Conditions conditions;
    conditions.shift = shift;
    conditions.rotation = rotation;
    conditions.keystone = keystone;
    const cv::Mat frame = synth::renderMould(camera.layout, {}, conditions);
    camera.registerFrame(faint ? synth::faintFrame(frame, 23) : frame);
    const ImageRegistration &slot = camera.engine->registrations[0];
    QCOMPARE(slot.lastOutcome(), ImageRegistration::Aligned);
    verifyCornersReturn(synth::cameraTransform(FrameSize, conditions), cv::Matx33d(slot.lastHomography()));
    if (QTest::currentTestFailed())
        return;
    QVERIFY(cv::norm(camera.host.registered, camera.host.frame, cv::NORM_INF) > 0);

    // The same frame always gives the same transform, whatever OpenCV's threads did, and the
    // same registered image.
    const cv::Mat first = slot.lastHomography().clone();
    const cv::Mat registered = camera.host.registered.clone();
    for (int threads : {1, 2, 4}) {
        cv::setNumThreads(threads);
        camera.registerFrame(camera.host.frame.clone());
        QCOMPARE(slot.lastOutcome(), ImageRegistration::Aligned);
        QCOMPARE(cv::norm(slot.lastHomography(), first, cv::NORM_INF), 0.0);
        QCOMPARE(cv::norm(camera.host.registered, registered, cv::NORM_INF), 0.0);
    }
}

void ImageRegistrationTest::greyValuesSettleOrRefuseAStart_data()
{
    QTest::addColumn<int>("layoutSeed");
    QTest::addColumn<double>("startError");
    QTest::addColumn<bool>("settles");
    QTest::newRow("the same mould, start 3 px off") << 6 << 3.0 << true;
    QTest::newRow("the same mould, start 6 px off") << 6 << 6.0 << true;
    // Points that matched by chance must not be made to look exact.
    QTest::newRow("another mould") << 9 << 0.0 << false;
}

void ImageRegistrationTest::greyValuesSettleOrRefuseAStart()
{
    QFETCH(int, layoutSeed);
    QFETCH(double, startError);
    QFETCH(bool, settles);
    const synth::MouldLayout layout = synth::makeMouldLayout(6, FrameSize);
    synth::Conditions sampling;
    sampling.noiseSeed = 100;
    IntensityRefinement refinement;
    refinement.setReference(synth::faintFrame(synth::renderMould(layout, {}, sampling), 11), cv::Mat());
    QVERIFY(refinement.ready());
    synth::Conditions conditions;
    conditions.shift = cv::Point2f(-14, 9);
    conditions.rotation = 1.2;
    const cv::Mat frame = synth::faintFrame(
        synth::renderMould(synth::makeMouldLayout(std::uint32_t(layoutSeed), FrameSize), {}, conditions), 23);
    // The true frame-to-reference transform, moved by the start error.
    const cv::Matx33d truth = synth::cameraTransform(FrameSize, conditions).inv();
    const cv::Matx33d off(1, 0, startError * 0.6, 0, 1, -startError * 0.8, 0, 0, 1);
    cv::Mat transform(off * truth);
    const IntensityRefinement::Result result = refinement.refine(frame, transform);
    QCOMPARE(result.settled, settles);
    if (!settles) {
        QCOMPARE(cv::norm(cv::Mat(off * truth), transform, cv::NORM_INF), 0.0);
        return;
    }
    verifyCornersReturn(synth::cameraTransform(FrameSize, conditions), cv::Matx33d(transform));
}

void ImageRegistrationTest::framesWithoutFeaturesPassUnchanged_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("uniform grey") << int(synth::Degenerate::Flat);
    QTest::newRow("black") << int(synth::Degenerate::Black);
    QTest::newRow("saturated") << int(synth::Degenerate::Saturated);
    // Plenty of features, but no two frames of noise agree on a transform.
    QTest::newRow("noise without structure") << int(synth::Degenerate::Noise);
}

void ImageRegistrationTest::framesWithoutFeaturesPassUnchanged()
{
    QFETCH(int, kind);
    RegisteredCamera camera;
    const cv::Mat frame = synth::degenerateFrame(synth::Degenerate(kind), FrameSize, 9);
    camera.host.registered.setTo(77);
    camera.registerFrame(frame);
    QVERIFY(camera.engine->registrations[0].lastOutcome() != ImageRegistration::Aligned);
    QCOMPARE(cv::norm(camera.host.registered, frame, cv::NORM_INF), 0.0);
}

void ImageRegistrationTest::registrationOffCopiesTheFrame()
{
    RegisteredCamera camera(false);
    synth::Conditions conditions;
    conditions.shift = cv::Point2f(12, -7);
    const cv::Mat frame = synth::renderMould(camera.layout, {}, conditions);
    camera.registerFrame(frame);
    QCOMPARE(cv::norm(camera.host.registered, frame, cv::NORM_INF), 0.0);
}

void ImageRegistrationTest::stageWithoutReferenceCopiesTheFrame()
{
    // Registration switched on after the engine was built: stage 0 has no reference yet.
    RegisteredCamera camera(false);
    camera.settings[Param::Registration] = 1;
    synth::Conditions conditions;
    conditions.shift = cv::Point2f(12, -7);
    const cv::Mat frame = synth::renderMould(camera.layout, {}, conditions);
    camera.registerFrame(frame);
    QCOMPARE(camera.engine->registrations[0].lastOutcome(), ImageRegistration::NoReference);
    QCOMPARE(cv::norm(camera.host.registered, frame, cv::NORM_INF), 0.0);
}

void ImageRegistrationTest::colourFramesAreNeverRegistered()
{
    DetectionSettings settings;
    settings[Param::Registration] = 1;
    FakeStationHost station;
    EngineTestHost host(160, 120, true);
    cv::Mat frame(120, 160, CV_8UC4);
    cv::randu(frame, cv::Scalar::all(0), cv::Scalar::all(256));
    host.setTemplate(0, 0, frame);
    DetectAlgorithm engine(&host.config, &host);
    host.setFrame(frame);
    engine.registerImage(0);
    QVERIFY(!engine.registrations[0].hasReference());
    QCOMPARE(cv::norm(host.registered, host.frame, cv::NORM_INF), 0.0);
}

QTEST_GUILESS_MAIN(ImageRegistrationTest)
#include "ImageRegistrationTest.moc"
