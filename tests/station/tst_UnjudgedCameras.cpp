// Cameras the station cannot judge on their picture are NG and say why, and raw frames keep
// their rows: the station built on two cameras 642 pixels wide (no bitmap stride), the second
// with a detection configuration that cannot be read.

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/UiTexts.h"
#include "inspection/DetectAlgorithm.h"
#include "platform/system/RecordingSystemActions.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "tests/station/CycleCamera.h"
#include "tests/station/StationTestSetup.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/TempWorkDir.h"
#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMutex>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {

constexpr int Width = 642;
constexpr int Height = 120;

QByteArray frame(int seed)
{
    QByteArray grey(Width * Height, '\0');
    for (int i = 0; i < grey.size(); ++i)
        grey[i] = char((i % Width * 7 + i / Width * 3 + seed) % 251);
    return grey;
}

} // namespace

class UnjudgedCamerasTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void rawFramesKeepTheirRows();
    void unreadableConfigurationIsNg();
    void noEngineIsNg();

private:
    // Answers every modal box while the station runs: warnings are kept, questions confirmed.
    void answerBoxes();

    TempWorkDir work;
    RecordingSystemActions actions;
    QMutex io;
    QMutex images;
    QTimer boxAnswerer;
    QStringList warnings;
    CycleCameraFamily cameras{Width, Height, 2};
    std::unique_ptr<MoJuWizard> window;
};

void UnjudgedCamerasTest::initTestCase()
{
    ioMutex = &io;
    imageSaveMutex = &images;
    QVERIFY(loadUiTexts());
    MoJuWizard::modbusPort = 0;
    QVERIFY(openDefaultParameterStore());
    for (int camera = 0; camera < 2; ++camera)
        cameras.controls[camera].frame = frame(camera);
    // The second camera's region table has lost its value column: nothing of it can be read.
    QSqlQuery query = ParameterManager::instance()->paramQuery();
    QVERIFY(query.exec(QStringLiteral("DROP TABLE IF EXISTS cammer1")));
    QVERIFY(query.exec(QStringLiteral("CREATE TABLE cammer1 (name TEXT)")));

    connect(&boxAnswerer, &QTimer::timeout, this, &UnjudgedCamerasTest::answerBoxes);
    boxAnswerer.start(20);
    window = std::make_unique<MoJuWizard>();
    QCOMPARE(cameraCount, 2);
    QCOMPARE(window->cameraViews[0]->imageWidth, Width);
    // A pass pulls the cameras' frames: they are fresh.
    window->Run();
    QVERIFY(window->frameSinceCycleStart[0] && window->frameSinceCycleStart[1]);
}

void UnjudgedCamerasTest::cleanupTestCase()
{
    window.reset();
    boxAnswerer.stop();
}

void UnjudgedCamerasTest::answerBoxes()
{
    // Warnings raised while the station was built are shown without a modal loop.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *shown = qobject_cast<Warnbox *>(widget);
        if (shown && shown->isVisible() && !shown->isModal()) {
            warnings << shown->text();
            shown->acceptDialog();
        }
    }
    QWidget *box = QApplication::activeModalWidget();
    if (auto *warning = qobject_cast<Warnbox *>(box)) {
        warnings << warning->text();
        warning->acceptDialog();
    } else if (qobject_cast<tipbox *>(box)) {
        ModalAnswerer::clickButton(box, QStringLiteral("确定"));
    }
}

// A raw frame 642 pixels wide is copied row by row into the bitmap's padded rows (read with
// the frame's own stride, the last row would run past the frame).
void UnjudgedCamerasTest::rawFramesKeepTheirRows()
{
    window->saveOriginalImages = true;
    window->RunAlgorithm(0, 0);
    window->saveOriginalImages = false;
    const QStringList files = QDir(QStringLiteral("originalimage/cammer11")).entryList({QStringLiteral("*.bmp")});
    QCOMPARE(files.size(), 1);
    QByteArray stored(Width * Height, '\0');
    QVERIFY(loadTemplateImage(QStringLiteral("originalimage/cammer11/") + files.first(), Width, Height, false,
                              reinterpret_cast<uchar *>(stored.data())));
    const std::vector<uchar> &raw = window->cameraViews[0]->frameImage;
    QVERIFY(std::equal(raw.begin(), raw.end(), reinterpret_cast<const uchar *>(stored.constData())));
}

// The second camera's regions could not be read: the operator was told when the station was
// built, and the camera is NG at every capture instead of passing with no regions.
void UnjudgedCamerasTest::unreadableConfigurationIsNg()
{
    // Shown once start-up has ended; without an I/O board, that is a few seconds after the build.
    QTRY_VERIFY2_WITH_TIMEOUT(warnings.filter(QStringLiteral("2号相机的检测配置无法读取")).size() == 1,
                              qPrintable(warnings.join('|')), 15000);
    QVERIFY(window->cameraViews[1]->configUnreadable);
    QVERIFY(!window->cameraViews[0]->configUnreadable);
    for (int capture = 0; capture < 2; ++capture) {
        window->RunAlgorithm(1, 0);
        QVERIFY(!window->cameraViews[1]->results->resultOk);
    }
    window->RunAlgorithm(0, 0);
    QVERIFY(window->cameraViews[0]->results->resultOk);
}

// A camera without an engine is NG, said once where the operator sees it.
void UnjudgedCamerasTest::noEngineIsNg()
{
    window->cameraViews[0]->engine.reset();
    for (int capture = 0; capture < 2; ++capture) {
        window->RunAlgorithm(0, 0);
        QVERIFY(!window->cameraViews[0]->results->resultOk);
        QVERIFY(!window->cameraViews[0]->results->regionResultOk);
    }
    QCOMPARE(warnings.filter(QStringLiteral("1号相机没有检测算法")).size(), 1);
}

QTEST_MAIN(UnjudgedCamerasTest)
#include "tst_UnjudgedCameras.moc"
