#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/UiTexts.h"
#include "station/CammerWidget.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "inspection/ROIInterface.h"
#include "tests/station/StationTestSetup.h"
#include "tests/station/TestCamera.h"
#include "tests/support/FakeStationHost.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempWorkDir.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QtTest>

namespace {

constexpr int W = 66;   // rows of a bitmap of this width are padded
constexpr int H = 40;

// The settings sent when the view is built or a lost camera comes back, for camera index 1
// with the record filled by init().
const QStringList settingsInOrder = {
    QStringLiteral("trigger 0"), QStringLiteral("exposure 11"), QStringLiteral("gain 12"),
    QStringLiteral("contrast 14"), QStringLiteral("sharpness 13"), QStringLiteral("gamma 15"),
    QStringLiteral("wdr 1"), QStringLiteral("autoExposure 0"), QStringLiteral("stopGrab"),
    QStringLiteral("frameRate 3"), QStringLiteral("startGrab"), QStringLiteral("mirror 1 0")};

std::vector<uchar> pattern(int bytes, int seed)
{
    std::vector<uchar> data(static_cast<size_t>(bytes));
    for (int i = 0; i < bytes; ++i)
        data[size_t(i)] = uchar((i * 7 + seed * 31) % 251);
    return data;
}

} // namespace

class CammerWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void settingsReachTheCameraInOrder();
    void lostCameraIsRecordedAndComesBackWithItsSettings();
    void deliveringCameraIsNeverAsked();
    void buffersFollowColourAndStages_data();
    void buffersFollowColourAndStages();
    void templatesAndMasksLoadFromTheirFiles();
    void damagedTemplateAndMaskFilesAreNamedInTheLog_data();
    void damagedTemplateAndMaskFilesAreNamedInTheLog();
    void resamplingWritesTemplateSlotZero();
    void deletingARegionClearsItsIgnoredPixels();
    void copyParaFillsThePairedStage_data();
    void copyParaFillsThePairedStage();
    void unusableFrameSizeShowsNothing_data();
    void unusableFrameSizeShowsNothing();
    void alarmBlinksUntilTheVerdictIsOk();

private:
    std::unique_ptr<CammerWidget> makeView(int cameraIndex, bool colour = false);

    // Holds the parameter store's databases for the whole run.
    TempWorkDir storeFolder;
    std::unique_ptr<TempWorkDir> work;
    std::unique_ptr<FakeStationHost> host;
    // Every camera made by the test lives to its end; camera is the latest.
    std::vector<std::unique_ptr<TestCamera>> drivers;
    TestCamera *camera = nullptr;
    SystemParameters params;
    SystemParameters edited;
};

void CammerWidgetTest::initTestCase()
{
    QVERIFY(loadUiTexts());
    QVERIFY(openDefaultParameterStore());
}

void CammerWidgetTest::init()
{
    work = std::make_unique<TempWorkDir>();
    QVERIFY(work->isValid());
    host = std::make_unique<FakeStationHost>();
    params = SystemParameters();
    params.SetDefaults();
    params[Param::Exposure + 1] = 11;
    params[Param::Gain + 1] = 12;
    params[Param::Sharpness + 1] = 13;
    params[Param::Contrast + 1] = 14;
    params[Param::Gamma + 1] = 15;
    params[Param::MirrorHorizontal + 1] = 1;
    params[Param::MirrorVertical + 1] = 0;
    params[Param::FrameRate] = 3;
    params[Param::AutoExposure] = 0;
    params[Param::WideDynamicRange] = 1;
    params[Param::ExternalTrigger] = 0;
    currentParams = &params;
    editParams = &edited;
    currentLanguage = 1;
    detectsPerCamera = 2;
    maxTemplateCount = 3;
    editorSource = -1;
}

void CammerWidgetTest::cleanup()
{
    drivers.clear();
    camera = nullptr;
    host.reset();
    currentParams = editParams = nullptr;
    work.reset();
}

// The camera comes the way a vendor's camera does: found by discovery, created and opened.
std::unique_ptr<CammerWidget> CammerWidgetTest::makeView(int cameraIndex, bool colour)
{
    const TestCameraFamily family(W, H);
    cameraFamilyMask = TestCamera::MaskBit;
    discoverCameras();
    if (foundCameras.size() != 1)
        return nullptr;
    std::unique_ptr<CameraInterface> created = createCamera(foundCameras.first(), colour, 0);
    camera = dynamic_cast<TestCamera *>(created.get());
    if (!camera)
        return nullptr;
    drivers.emplace_back(camera);
    created.release();
    return std::make_unique<CammerWidget>(nullptr, cameraIndex, camera);
}

void CammerWidgetTest::settingsReachTheCameraInOrder()
{
    const std::unique_ptr<CammerWidget> view = makeView(1);
    QVERIFY(view);
    // All settings, then grabbing starts.
    QCOMPARE(camera->calls, settingsInOrder + QStringList{QStringLiteral("startGrab")});
    QCOMPARE(view->identity, QByteArray("TC-0001"));
}

void CammerWidgetTest::lostCameraIsRecordedAndComesBackWithItsSettings()
{
    const std::unique_ptr<CammerWidget> view = makeView(1);
    QVERIFY(view);
    camera->calls.clear();

    // Unplugged: released and recorded with its loss count, and asked back in the same tick.
    camera->linkUp = false;
    view->TimerFPS();
    QCOMPARE(camera->calls, (QStringList{QStringLiteral("release"), QStringLiteral("reconnect")}));
    QCOMPARE(host->records, QStringList{QStringLiteral("Camera 2 lost for the 1th time, TC-0001")});
    QVERIFY(!view->connected);

    // Still away: asked again every second, recorded once.
    camera->calls.clear();
    view->TimerFPS();
    view->TimerFPS();
    QCOMPARE(camera->calls, (QStringList{QStringLiteral("reconnect"), QStringLiteral("reconnect")}));
    QCOMPARE(host->records.size(), 1);

    // Back: recorded, and every setting is sent again in order.
    camera->canReconnect = true;
    camera->calls.clear();
    view->TimerFPS();
    QVERIFY(view->connected);
    QCOMPARE(camera->calls, QStringList{QStringLiteral("reconnect")} + settingsInOrder);
    QCOMPARE(host->records.last(), QStringLiteral("2号相机TC-0001，重连成功"));

    // The next loss carries the next count.
    camera->canReconnect = false;
    camera->linkUp = false;
    view->TimerFPS();
    QCOMPARE(host->records.last(), QStringLiteral("Camera 2 lost for the 2th time, TC-0001"));
}

void CammerWidgetTest::deliveringCameraIsNeverAsked()
{
    const std::unique_ptr<CammerWidget> view = makeView(0);
    QVERIFY(view);
    camera->calls.clear();
    camera->framesPerSecond = 25;
    camera->linkUp = false;
    view->TimerFPS();
    QVERIFY(camera->calls.isEmpty());
    QVERIFY(view->connected);
    QCOMPARE(view->fps, 25);
    QVERIFY(host->records.isEmpty());
}

void CammerWidgetTest::buffersFollowColourAndStages_data()
{
    QTest::addColumn<bool>("colour");
    QTest::addColumn<int>("stages");
    QTest::newRow("grey, two stages") << false << 2;
    QTest::newRow("colour, two stages") << true << 2;
    QTest::newRow("grey, four stages") << false << 4;
}

void CammerWidgetTest::buffersFollowColourAndStages()
{
    QFETCH(bool, colour);
    QFETCH(int, stages);
    detectsPerCamera = stages;
    const std::unique_ptr<CammerWidget> view = makeView(0, colour);
    QVERIFY(view);

    const size_t frame = size_t(W * H * (colour ? 4 : 1));
    QCOMPARE(size_t(view->frameBytes), frame);
    for (const std::vector<uchar> *buffer : {&view->cameraImage, &view->frameImage,
                                              &view->registeredImage, &view->positionedImage})
        QCOMPARE(buffer->size(), frame);
    QCOMPARE(view->colourPlane.size(), colour ? size_t(W * H) : size_t(0));
    QCOMPARE(view->resultMask.size(), size_t(W * H));
    QCOMPARE(view->templates.size(), size_t(stages));
    QCOMPARE(view->templates.front().size(), size_t(maxTemplateCount));
    QCOMPARE(view->templates.front().front().size(), frame);
    QCOMPARE(view->recentNgImages.size(), size_t(stages));
    QCOMPARE(view->recentNgImages.back().size(), size_t(CammerWidget::RecentNgSlots));
    QCOMPARE(view->ignoreMasks.size(), size_t(stages));

    // The frame pull reaches the shown picture.
    QVERIFY(view->GrabFrame());
    QCOMPARE(view->cameraImage.front(), uchar(0x40));
}

void CammerWidgetTest::templatesAndMasksLoadFromTheirFiles()
{
    // Camera 1, stage 2 holds the templates of slots 0 and 2 and a mask; stage 1 holds nothing.
    QVERIFY(QDir().mkpath(stageFolder(0, 1)));
    const std::vector<uchar> first = pattern(W * H, 1);
    const std::vector<uchar> third = pattern(W * H, 3);
    std::vector<uchar> mask(size_t(W * H), 0);
    mask[size_t(5 * W + 7)] = 255;
    QVERIFY(saveTemplateImage(templateFilePath(0, 1, 0), W, H, false, first.data()));
    QVERIFY(saveTemplateImage(templateFilePath(0, 1, 2), W, H, false, third.data()));
    QVERIFY(saveIgnoreMask(ignoreMaskFilePath(0, 1), W, H, mask.data()));

    const std::unique_ptr<CammerWidget> view = makeView(0);

    QVERIFY(view);
    QCOMPARE(view->templateValid[1], (std::vector<int>{1, 0, 1}));
    QCOMPARE(view->validTemplateCount[1], 2);
    QVERIFY(view->templates[1][0] == first);
    QVERIFY(view->templates[1][2] == third);
    QVERIFY(std::all_of(view->templates[1][1].begin(), view->templates[1][1].end(),
                        [](uchar b) { return b == 0; }));
    QVERIFY(view->ignoreMasks[1] == mask);

    // An empty stage starts from the default picture: white over the middle half.
    QCOMPARE(view->templateValid[0], (std::vector<int>{1, 0, 0}));
    QCOMPARE(view->validTemplateCount[0], 1);
    QCOMPARE(view->templates[0][0][size_t((H / 2) * W + W / 2)], uchar(255));
    QCOMPARE(view->templates[0][0][0], uchar(0));
    QVERIFY(std::all_of(view->ignoreMasks[0].begin(), view->ignoreMasks[0].end(),
                        [](uchar b) { return b == 0; }));

    // A mask written by the view reads back the same.
    QVERIFY(QDir().mkpath(stageFolder(0, 0)));
    view->ignoreMasks[0][size_t(W * H - 1)] = 1;
    QVERIFY(view->SaveIgnoreMask(0));
    const std::unique_ptr<CammerWidget> again = makeView(0);
    QVERIFY(again);
    QVERIFY(again->ignoreMasks[0] == view->ignoreMasks[0]);
}

void CammerWidgetTest::damagedTemplateAndMaskFilesAreNamedInTheLog_data()
{
    QTest::addColumn<QByteArray>("content");   // of the template of slot 0 and of the mask
    QTest::addColumn<QString>("reason");       // in the log line of each

    const auto bitmap = [](int width, QImage::Format format) {
        QImage image(width, H, format);
        if (format == QImage::Format_Indexed8)
            image.setColorTable(greyColourTable());
        image.fill(7);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "BMP");
        return bytes;
    };
    // A well-formed grey bitmap of the view's size, for cutting.
    const QByteArray good = bitmap(W, QImage::Format_Indexed8);
    const QByteArray smaller = bitmap(W / 2, QImage::Format_Indexed8);
    const QByteArray colour = bitmap(W, QImage::Format_RGB32);
    QByteArray random(4000, '\0');
    quint32 seed = 12345;
    for (char &c : random) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 24);
    }
    QTest::newRow("truncated") << good.left(good.size() / 2) << "unreadable";
    QTest::newRow("header only") << good.left(60) << "unreadable";
    QTest::newRow("empty") << QByteArray() << "unreadable";
    QTest::newRow("random bytes") << random << "unreadable";
    QTest::newRow("wrong size") << smaller << QStringLiteral("%1 x %2 pixels of 8 bits, %3 x %2 of 8 bits expected").arg(W / 2).arg(H).arg(W);
    QTest::newRow("wrong depth") << colour << QStringLiteral("%1 x %2 pixels of 32 bits").arg(W).arg(H);
}

// A damaged file leaves the safe default (a template that fails every real part, an empty
// mask), and the log names the file and the reason, once.
void CammerWidgetTest::damagedTemplateAndMaskFilesAreNamedInTheLog()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QVERIFY(QDir().mkpath(stageFolder(0, 0)));
    for (const QString &path : {templateFilePath(0, 0, 0), ignoreMaskFilePath(0, 0)}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    MessageRecorder log;
    const std::unique_ptr<CammerWidget> view = makeView(0);
    QVERIFY(view);

    QCOMPARE(view->templateValid[0], (std::vector<int>{1, 0, 0}));
    QCOMPARE(view->templates[0][0][size_t((H / 2) * W + W / 2)], uchar(255));
    QCOMPARE(view->templates[0][0][0], uchar(0));
    QVERIFY(std::all_of(view->ignoreMasks[0].begin(), view->ignoreMasks[0].end(),
                        [](uchar b) { return b == 0; }));
    const QString templateLine = QStringLiteral("template %1 not used: ").arg(templateFilePath(0, 0, 0));
    const QString maskLine = QStringLiteral("ignore mask %1 not used: ").arg(ignoreMaskFilePath(0, 0));
    QCOMPARE(log.count(templateLine), 1);
    QCOMPARE(log.count(maskLine), 1);
    QCOMPARE(log.count(templateLine + reason), 1);
    QCOMPARE(log.count(maskLine + reason), 1);
    QCOMPARE(log.count(QStringLiteral("built-in default template")), 1);
    // Slots without a file are no damage and say nothing.
    QCOMPARE(log.count(templateFilePath(0, 0, 1)), 0);
}

void CammerWidgetTest::resamplingWritesTemplateSlotZero()
{
    QVERIFY(QDir().mkpath(stageFolder(1, 1)));
    const std::unique_ptr<CammerWidget> view = makeView(1);
    QVERIFY(view);
    const std::vector<uchar> picture = pattern(W * H, 9);
    camera->frame = QByteArray(reinterpret_cast<const char *>(picture.data()), int(picture.size()));
    QVERIFY(view->GrabFrame());
    view->SaveReTrainImage(1);
    QVERIFY(view->templates[1][0] == picture);
    QVERIFY(view->cameraImage == picture);

    std::vector<uchar> stored(picture.size(), 0);
    QVERIFY(loadTemplateImage(templateFilePath(1, 1, 0), W, H, false, stored.data()));
    QVERIFY(stored == picture);
}

void CammerWidgetTest::deletingARegionClearsItsIgnoredPixels()
{
    QVERIFY(QDir().mkpath(stageFolder(0, 0)));
    const std::unique_ptr<CammerWidget> view = makeView(0);
    QVERIFY(view);
    // A fresh table: every stage empty.
    QCOMPARE(view->activeConfig->shapes.size(), CammerSingleton::StageCount);
    QCOMPARE(view->activeConfig->roiCount[0], 0);
    CammerSingleton &edit = *view->editConfig;
    edit.copyFrom(*view->activeConfig);
    QList<ROIInterface *> regions;
    for (int i = 0; i < 5; ++i) {
        ROIInterface *shape = createRoiShape(RectangleShape);
        shape->setRect(2 + 12 * i, 4, 10, 20);
        edit.shapes[0].append(shape);
        edit.param1[i] = 10 + i;
        edit.toolType[i] = i;
        edit.outN[i] = i;
        regions << shape;
    }
    edit.roiCount[0] = 5;
    std::vector<uchar> &mask = view->ignoreMasks[0];
    std::fill(mask.begin(), mask.end(), uchar(255));

    view->DeleteRegion(0, 2);
    QCOMPARE(edit.roiCount[0], 4);
    QCOMPARE(edit.shapes[0], (QList<ROIInterface *>{regions[0], regions[1], regions[3], regions[4]}));
    QCOMPARE((QVector<int>{edit.param1[0], edit.param1[1], edit.param1[2], edit.param1[3]}),
             (QVector<int>{10, 11, 13, 14}));
    QCOMPARE(edit.toolType[2], 3);
    QCOMPARE(edit.outN[3], 4);
    // Cleared inside the removed rectangle (x 26..35, y 4..23) only, and written.
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const bool inside = x >= 26 && x <= 35 && y >= 4 && y <= 23;
            QCOMPARE(mask[size_t(y * W + x)], inside ? uchar(0) : uchar(255));
        }
    }
    std::vector<uchar> stored(mask.size(), 7);
    QVERIFY(loadIgnoreMask(ignoreMaskFilePath(0, 0), W, H, stored.data()));
    QVERIFY(stored == mask);
}

void CammerWidgetTest::copyParaFillsThePairedStage_data()
{
    QTest::addColumn<int>("machineMode");
    QTest::addColumn<QVector<int>>("regionCounts");   // stages 0 to 3 after the copy
    QTest::newRow("standard") << 0 << QVector<int>{5, 5, 8, 0};
    QTest::newRow("two-colour") << 1 << QVector<int>{5, 3, 5, 3};
}

void CammerWidgetTest::copyParaFillsThePairedStage()
{
    QFETCH(int, machineMode);
    QFETCH(QVector<int>, regionCounts);
    params[Param::MachineMode] = machineMode;
    const std::unique_ptr<CammerWidget> view = makeView(0);
    QVERIFY(view);
    CammerSingleton &active = *view->activeConfig;
    // Stage 0 holds 5 regions, stage 1 holds 3, stage 2 held 8 before.
    for (const auto &[stage, count] : {std::pair<int, int>{0, 5}, {1, 3}, {2, 8}}) {
        for (int i = 0; i < count; ++i) {
            ROIInterface *shape = createRoiShape(i % 2 ? CircleShape : RectangleShape);
            shape->setRect(3 + i, 3 + stage, 12, 12);
            shape->updateBounds();
            active.shapes[stage].append(shape);
            active.param3[CammerSingleton::slot(stage, i)] = 100 * stage + i;
            view->roiMasks[CammerSingleton::slot(stage, i)] = shape->mask();
        }
        active.roiCount[stage] = count;
    }

    view->CopyPara();
    for (int stage = 0; stage < 4; ++stage) {
        QCOMPARE(active.roiCount[stage], regionCounts.at(stage));
        if (stage < 2 || machineMode == 0)
            continue;
        // A copy: shapes of their own, equal to the source's, and the source's numbers.
        const int from = stage - 2;
        for (int i = 0; i < regionCounts.at(stage); ++i) {
            QVERIFY(active.shapes[stage][i] != active.shapes[from][i]);
            QVERIFY(active.shapes[stage][i]->equals(active.shapes[from][i]));
            QCOMPARE(active.param3[CammerSingleton::slot(stage, i)], 100 * from + i);
        }
    }
    if (machineMode == 0) {
        QCOMPARE(active.shapes[1].size(), 5);
        QVERIFY(active.shapes[1][4]->equals(active.shapes[0][4]));
    }
}

void CammerWidgetTest::unusableFrameSizeShowsNothing_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("no size") << 0 << 0;
    QTest::newRow("negative") << -640 << 480;
    QTest::newRow("too large") << 200000 << 200000;
}

void CammerWidgetTest::unusableFrameSizeShowsNothing()
{
    QFETCH(int, width);
    QFETCH(int, height);
    // Only the reported size is off.
    struct OddSize : TestCamera
    {
        int w, h;
        OddSize(int w, int h) : w(w), h(h) {}
        void getSize(int *width, int *height) const override
        {
            *width = w;
            *height = h;
        }
    } camera(width, height);
    CammerWidget view(nullptr, 0, &camera);
    QCOMPARE(view.frameBytes, 0);
    QVERIFY(view.cameraImage.empty());
    QVERIFY(!view.GrabFrame());
    view.SaveReTrainImage(0);
    QVERIFY(!view.SaveIgnoreMask(0));
    view.resize(200, 100);
    QVERIFY(!view.grab().isNull());
}

// An NG camera's blink flips the phase at every tick; once the camera is judged OK again the
// next tick ends it in phase 0, so no red pixels stay behind.
void CammerWidgetTest::alarmBlinksUntilTheVerdictIsOk()
{
    const std::unique_ptr<CammerWidget> view = makeView(0);
    QVERIFY(view);
    QCOMPARE(view->blinkPhase, 0);
    QVERIFY(!view->alarmBlinkTimer->isActive());

    view->results->resultOk = false;
    view->StartAlarmBlink();
    QVERIFY(view->alarmBlinkTimer->isActive());
    QCOMPARE(view->alarmBlinkTimer->interval(), 1000);
    QVector<int> phases;
    for (int tick = 0; tick < 3; ++tick) {
        view->TimerShowAlarm();
        phases << view->blinkPhase;
    }
    QCOMPARE(phases, (QVector<int>{1, 0, 1}));
    QVERIFY(view->alarmBlinkTimer->isActive());

    view->results->resultOk = true;
    view->TimerShowAlarm();
    QCOMPARE(view->blinkPhase, 0);
    QVERIFY(!view->alarmBlinkTimer->isActive());
}

QTEST_MAIN(CammerWidgetTest)
#include "tst_CammerWidget.moc"
