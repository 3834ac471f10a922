#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/UiTexts.h"
#include "platform/system/RecordingSystemActions.h"
#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "station/ResultImageBuffers.h"
#include "tests/station/RecordRows.h"
#include "tests/station/StationTestSetup.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/TempWorkDir.h"
#include "tools/framegen/MouldSynth.h"
#include "uikit/NumCharInput.h"
#include "uikit/NumberInput.h"
#include "uikit/UiKitGlobals.h"

#include <QDir>
#include <QImage>
#include <QMutex>
#include <QSplitter>
#include <QtTest>

namespace {

// The stored frame of a simulated camera, as the frame generator draws them.
QImage storedFrame(std::uint32_t seed)
{
    const cv::Mat grey = synth::renderMould(synth::makeMouldLayout(seed));
    QImage image(grey.cols, grey.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.rows; ++y)
        std::memcpy(image.scanLine(y), grey.ptr(y), size_t(grey.cols));
    return image;
}

} // namespace

class MoJuWizardTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void buildsTheStationOnSimulatedCameras();

private:
    QMutex io;
    QMutex images;
};

void MoJuWizardTest::initTestCase()
{
    ioMutex = &io;
    imageSaveMutex = &images;
    QVERIFY(loadUiTexts());
    MoJuWizard::modbusPort = 0;
}

void MoJuWizardTest::buildsTheStationOnSimulatedCameras()
{
    TempWorkDir work;
    RecordingSystemActions actions;
    QVERIFY(openDefaultParameterStore());

    // The two simulated cameras' stored frames.
    QList<QImage> frames;
    for (int camera = 0; camera < 2; ++camera) {
        const QString folder = QStringLiteral("cammer%1").arg(camera * 10 + 15);
        QVERIFY(QDir().mkpath(folder));
        frames << storedFrame(std::uint32_t(7 + camera));
        QVERIFY(frames.last().save(folder + QStringLiteral("/template0.bmp")));
    }

    // No camera is attached: the station asks whether the saved serials are to be cleared.
    ModalAnswerer answer([](QWidget *box) { QVERIFY(ModalAnswerer::clickButton(box, QStringLiteral("确定"))); });
    MoJuWizard window;
    QVERIFY(answer.answered());
    QCOMPARE(answer.answeredClass(), QStringLiteral("tipbox"));
    window.show();

    QCOMPARE(mainWindow, &window);
    QCOMPARE(cameraCount, 2);
    QCOMPARE(simulatedCameras, 1);
    QCOMPARE(mainViewWidth, 1753);
    QCOMPARE(mainViewHeight, 1017);
    QVERIFY(gpNumberInput && gpNumCharInput);

    // Folders of both cameras and all eight stages, and of the two archives.
    for (int c = 1; c <= 2; ++c) {
        for (int d = 1; d <= 8; ++d) {
            for (const QString &folder :
                 {QStringLiteral("alarmimage/camera%1/detect%2/NG").arg(c).arg(d),
                  QStringLiteral("alarmimage/camera%1/detect%2/OK").arg(c).arg(d),
                  QStringLiteral("cammer%1%2").arg(c).arg(d),
                  QStringLiteral("originalimage/cammer%1%2").arg(c).arg(d)})
                QVERIFY2(QDir(folder).exists(), qPrintable(folder));
        }
    }
    QVERIFY(QDir(QStringLiteral("RECORD")).exists());
    QVERIFY(QDir(QStringLiteral("ResStatistics")).exists());
    QVERIFY(QFile::exists(QStringLiteral("time.txt")));

    // The cleared serials and the start are in the operation record.
    const QList<QStringList> rows = readRecordRows(QStringLiteral("RECORD.db"));
    QStringList remarks;
    for (const QStringList &row : rows)
        remarks << row.at(2);
    QVERIFY2(remarks.contains(QStringLiteral("Save SN 1: 0")), qPrintable(remarks.join('|')));
    QCOMPARE(remarks.last(), uiText(150).arg(2));
    QCOMPARE(rows.last().at(1), uiText(156));

    // Two panels side by side, the views below their titles, all cameras shown.
    QSplitter *outer = window.cameraBox->outerSplitter();
    QCOMPARE(outer->count(), 1);
    QCOMPARE(qobject_cast<QSplitter *>(outer->widget(0))->count(), 2);
    QCOMPARE(window.currentCamera, 2);
    for (int c = 0; c < 2; ++c) {
        QVERIFY(window.cameraBox->panel(c)->isVisible());
        QCOMPARE(window.cameraBox->panel(c)->layoutModeValue(), 0);
        QCOMPARE(window.cameraViews[c], window.cameraBox->cammerWidget(c));
    }

    // A run pass pulls each camera's frame into its view.
    window.Run();
    for (int c = 0; c < 2; ++c) {
        const CammerWidget *view = window.cameraViews[c];
        QCOMPARE(view->imageWidth, frames.at(c).width());
        QCOMPARE(view->imageHeight, frames.at(c).height());
        QVERIFY(std::memcmp(view->cameraImage.data(), frames.at(c).constBits(), view->cameraImage.size()) == 0);
    }

    // Result images are kept for the stages in use only.
    QVERIFY(imageSaveBuffers);
    QCOMPARE(imageSaveBuffers->stageCount(), detectsPerCamera);
    QVERIFY(imageSaveBuffers->buffer(1, detectsPerCamera - 1, 1));
    QVERIFY(!imageSaveBuffers->buffer(0, detectsPerCamera, 0));

    // A tap on the second view shows it alone; all cameras come back together.
    QTest::mouseClick(window.cameraViews[1], Qt::LeftButton);
    QCOMPARE(window.currentCamera, 1);
    QVERIFY(!window.cameraBox->panel(0)->isVisible());
    QVERIFY(window.cameraBox->panel(1)->isVisible());
    // A tap on the camera shown alone changes nothing.
    QTest::mouseClick(window.cameraViews[1], Qt::LeftButton);
    QCOMPARE(window.currentCamera, 1);
    window.cameraBox->slotChangeCameraLayout(-1);
    QCOMPARE(window.currentCamera, 2);
    QVERIFY(window.cameraBox->panel(0)->isVisible());
}

QTEST_MAIN(MoJuWizardTest)
#include "tst_MoJuWizard.moc"
