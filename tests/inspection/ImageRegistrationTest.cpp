// Registration of generated frames through the engine: a moved, turned and tilted camera is
// recovered, always to the same transform, frames without usable features pass through
// unchanged.

#include "inspection/DetectAlgorithm.h"
#include "tests/inspection/EngineTestHost.h"
#include "tests/support/FakeStationHost.h"
#include "tools/framegen/MouldSynth.h"

#include <QtTest>

#include <opencv2/imgproc.hpp>

#include <cmath>

namespace {

// Large enough for features, small enough to be registered unscaled.
const cv::Size FrameSize(800, 600);

struct RegisteredCamera
{
    DetectionSettings settings;
    FakeStationHost station;
    synth::MouldLayout layout = synth::makeMouldLayout(6, FrameSize);
    EngineTestHost host{FrameSize.width, FrameSize.height};
    std::unique_ptr<DetectAlgorithm> engine;

    explicit RegisteredCamera(bool registration = true, bool markedArea = false)
    {
        // The operator marks the area registration uses with an angle-correction region.
        if (markedArea)
            host.addRect(0, cv::Rect(20, 20, FrameSize.width - 40, FrameSize.height - 40), AngleCorrectionTool);
        settings[181] = registration ? 1 : 0;
        settings[129] = -1;
        synth::Conditions sampling;
        sampling.noiseSeed = 100;
        host.setTemplate(0, 0, synth::renderMould(layout, {}, sampling));
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
    void movedTurnedTiltedCameraIsRecovered();
    void framesWithoutFeaturesPassUnchanged_data();
    void framesWithoutFeaturesPassUnchanged();
    void registrationOffCopiesTheFrame();
    void stageWithoutReferenceCopiesTheFrame();
    void colourFramesAreNeverRegistered();
};

void ImageRegistrationTest::movedTurnedTiltedCameraIsRecovered()
{
    RegisteredCamera camera(true, true);
    synth::Conditions conditions;
    conditions.shift = cv::Point2f(12, -7);
    conditions.rotation = 1.5;
    conditions.keystone = 0.01;
    camera.registerFrame(synth::renderMould(camera.layout, {}, conditions));
    const ImageRegistration &slot = camera.engine->registrations[0];
    QCOMPARE(slot.lastOutcome(), ImageRegistration::Aligned);
    // Each image corner, seen by the moved camera and mapped back, lands where it was.
    const cv::Matx33d camera2frame = synth::cameraTransform(FrameSize, conditions);
    const cv::Matx33d frame2reference(slot.lastHomography());
    const double w = FrameSize.width - 1;
    const double h = FrameSize.height - 1;
    for (const cv::Point2d &corner : {cv::Point2d(0, 0), cv::Point2d(w, 0), cv::Point2d(w, h), cv::Point2d(0, h)}) {
        const cv::Point2d back = synth::transformPoint(frame2reference, synth::transformPoint(camera2frame, corner));
        const double error = std::hypot(back.x - corner.x, back.y - corner.y);
        QVERIFY2(error < 0.5, qPrintable(QStringLiteral("corner %1, %2 off by %3").arg(corner.x).arg(corner.y).arg(error)));
    }
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
    camera.settings[181] = 1;
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
    settings[181] = 1;
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
