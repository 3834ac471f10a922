// Cameras judged at the same time give what each gives when judged alone: verdicts, values,
// boxes, result masks and region errors, the errors recorded in camera order; a stage that
// reads temperatures from its camera is left to the GUI thread. A caller that waits the judge
// out runs its callback meanwhile, and its waker may be called from any thread at any time.

#include "inspection/ConcurrentJudge.h"
#include "inspection/DetectAlgorithm.h"
#include "tests/inspection/MouldScene.h"
#include "tests/support/FakeStationHost.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <opencv2/core.hpp>

#include <memory>
#include <vector>

namespace {

constexpr int Cameras = 5;

// Camera c's scene: its own mould, its own frame (moved a little, parts left in some cavities)
// and, on camera 3, a region that lies outside the image.
std::unique_ptr<MouldScene> sceneOf(int c)
{
    auto scene = std::make_unique<MouldScene>(cv::Size(640, 480), std::uint32_t(3 + c));
    scene->host.camera = c;
    if (c == 3)
        scene->host.addRect(MouldScene::Stage, cv::Rect(700, 10, 20, 20), DefectTool);
    scene->prepare();
    synth::Conditions conditions;
    conditions.noiseSeed = std::uint32_t(50 + c);
    conditions.shift = cv::Point2f(float(c) - 2, 2 - float(c));
    std::vector<synth::LeftPart> parts;
    if (c % 2 == 0)
        parts.push_back(MouldScene::part(scene->cavityCentre(c % 3), 16 + c, c == 2 ? 45 : 215));
    scene->host.setFrame(synth::renderMould(scene->layout, parts, conditions));
    return scene;
}

using Outcome = MouldScene::Outcome;

Outcome outcomeOf(const MouldScene &scene) { return scene.outcome(); }

bool sameImage(const cv::Mat &a, const cv::Mat &b)
{
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

} // namespace

class ConcurrentJudgeTest : public QObject
{
    Q_OBJECT

private slots:
    void camerasJudgedTogetherMatchEachAlone();
    void temperatureStagesStayOnTheCallersThread();
    void waitingCallerRunsWhileJudgeHolds();
};

void ConcurrentJudgeTest::camerasJudgedTogetherMatchEachAlone()
{
    DetectionSettings settings;
    FakeStationHost station;
    std::vector<Outcome> alone;
    for (int c = 0; c < Cameras; ++c) {
        std::unique_ptr<MouldScene> scene = sceneOf(c);
        scene->engine->registerImage(MouldScene::Stage);
        scene->engine->locate(MouldScene::Stage);
        scene->engine->run(MouldScene::Stage);
        alone.push_back(outcomeOf(*scene));
    }
    const QStringList aloneRecords = station.records;
    // The frames really differ: parts found on some cameras, the outside region an error.
    QVERIFY(!alone[0].ok);
    QVERIFY(alone[1].ok);
    QVERIFY(!alone[3].ok);
    QCOMPARE(aloneRecords, QStringList{QStringLiteral("REG RUN ERROR = 3, 0, -3")});
    station.records.clear();

    std::vector<std::unique_ptr<MouldScene>> scenes;
    std::vector<DetectAlgorithm *> engines;
    for (int c = 0; c < Cameras; ++c) {
        scenes.push_back(sceneOf(c));
        engines.push_back(scenes.back()->engine.get());
    }
    engines.push_back(nullptr);   // a camera without an engine is passed over
    ConcurrentJudge judge;
    for (int round = 0; round < 2; ++round) {
        const std::vector<bool> judged = judge.judge(engines, MouldScene::Stage);
        QCOMPARE(judged, (std::vector<bool>{true, true, true, true, true, false}));
        // Nothing reaches the record until the rows go out on this thread.
        QVERIFY(station.records.isEmpty());
        for (int c = 0; c < Cameras; ++c)
            engines[size_t(c)]->publish();
        QCOMPARE(station.records, aloneRecords);
        station.records.clear();
        for (int c = 0; c < Cameras; ++c) {
            const Outcome together = outcomeOf(*scenes[size_t(c)]);
            QCOMPARE(together.ok, alone[size_t(c)].ok);
            QCOMPARE(together.regionOk, alone[size_t(c)].regionOk);
            QCOMPARE(together.values, alone[size_t(c)].values);
            QCOMPARE(together.boxes, alone[size_t(c)].boxes);
            QVERIFY(sameImage(together.positioned, alone[size_t(c)].positioned));
            QVERIFY(sameImage(together.marks, alone[size_t(c)].marks));
        }
    }
}

void ConcurrentJudgeTest::temperatureStagesStayOnTheCallersThread()
{
    DetectionSettings settings;
    FakeStationHost station;
    std::unique_ptr<MouldScene> plain = sceneOf(1);
    std::unique_ptr<MouldScene> thermal = sceneOf(1);
    thermal->host.addRect(MouldScene::Stage, cv::Rect(10, 10, 20, 20), TemperatureTool, 0, 80, 120);
    thermal->prepare();
    ConcurrentJudge judge;
    const std::vector<bool> judged = judge.judge({plain->engine.get(), thermal->engine.get()}, MouldScene::Stage);
    QCOMPARE(judged, (std::vector<bool>{true, false}));
    QVERIFY(thermal->host.queries.isEmpty());
    // Publishing an engine that judged nothing hands out nothing.
    thermal->engine->publish();
    QVERIFY(station.records.isEmpty());
}

void ConcurrentJudgeTest::waitingCallerRunsWhileJudgeHolds()
{
    DetectionSettings settings;
    FakeStationHost station;
    std::unique_ptr<MouldScene> scene = sceneOf(1);
    std::function<void()> wake;
    std::atomic<int> waits{0};
    std::atomic<bool> heardWhileHeld{false};
    {
        ConcurrentJudge judge;
        wake = judge.waker();
        // Wake-ups from before the judge.
        wake();
        wake();
        // The judging thread wakes the caller and holds until it has heard from it.
        judge.setEngineGate([&](int) {
            const int before = waits.load();
            wake();
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (waits.load() == before && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::yield();
            heardWhileHeld = waits.load() != before;
        });
        const std::vector<bool> judged = judge.judge({scene->engine.get()}, MouldScene::Stage, [&] { ++waits; });
        QCOMPARE(judged, std::vector<bool>{true});
        QVERIFY(heardWhileHeld);
    }
    // The judge is gone; its waker may still be called.
    wake();
    scene->engine->publish();
    QCOMPARE(outcomeOf(*scene).ok, true);
}

QTEST_GUILESS_MAIN(ConcurrentJudgeTest)
#include "ConcurrentJudgeTest.moc"
