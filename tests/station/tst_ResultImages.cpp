// Result images of whole mould cycles: what the station leaves in "./alarmimage" after OK and
// NG cycles, with the archiver thread running as on the panel.

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "machineio/ControlPort.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "station/ResultImageBuffers.h"
#include "station/SaveFialImageThread.h"
#include "tests/station/StationHarness.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

namespace {

constexpr int Timeout = StationHarness::Timeout;
constexpr int Keep = 10;
// The cavity stage (1) of camera 1.
const QString NgFolder = QStringLiteral("alarmimage/camera1/detect2/NG");
const QString OkFolder = QStringLiteral("alarmimage/camera1/detect2/OK");
const QRegularExpression TimeName(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d_\\d\\d\\.\\d\\d\\.\\d\\d(_\\d+)?\\.jpg$"));
const QRegularExpression RegionOneName(QStringLiteral("^1_\\d{4}-\\d\\d-\\d\\d_\\d\\d\\.\\d\\d\\.\\d\\d(_\\d+)?\\.jpg$"));

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
}

int matching(const QStringList &names, const QRegularExpression &pattern)
{
    int count = 0;
    for (const QString &name : names)
        count += pattern.match(name).hasMatch() ? 1 : 0;
    return count;
}

// Pixels of the colour in the verdict's corner of a 480-pixel-wide result image.
int verdictPixels(const QString &path, bool green)
{
    const QImage image(path);
    int count = 0;
    for (int y = 5; y < 30 && y < image.height(); ++y) {
        for (int x = 0; x < 60 && x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int own = green ? qGreen(p) : qRed(p);
            const int other = green ? qRed(p) : qGreen(p);
            count += own > 160 && other < 100 && qBlue(p) < 100 ? 1 : 0;
        }
    }
    return count;
}

bool archived()
{
    return imageSaveBuffers && imageSaveBuffers->waitingImages() == 0;
}

} // namespace

class ResultImagesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void okCycleLeavesAnOkImage();
    void releasedAlarmLeavesBothImagesInTheNgFolder();
    void nextCycleBeforeTheArchiverWroteKeepsBothImages();

private:
    MoJuWizard *station() const { return harness.station(); }
    void setPartLeft(bool present)
    {
        harness.camera(0).frame = present ? harness.partFrame(0) : harness.goodFrame(0);
    }

    StationHarness harness;
};

void ResultImagesTest::initTestCase()
{
    QVERIFY(harness.prepare());
}

void ResultImagesTest::init()
{
    QVERIFY(QDir(QStringLiteral("alarmimage")).removeRecursively());
    // The keep limits are taken when the station is built.
    harness.settings()[Param::NgImagesToKeep] = Keep;
    harness.settings()[Param::OkImagesToKeep] = Keep;
    QVERIFY(harness.start());
    QVERIFY(station()->imageArchiver() && station()->imageArchiver()->isRunning());
}

void ResultImagesTest::cleanup()
{
    // The station ends with its archiver running.
    harness.stop();
}

// An OK cycle leaves one OK image named by its time, with the green verdict, and nothing in
// the NG folder.
void ResultImagesTest::okCycleLeavesAnOkImage()
{
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT(archived(), Timeout);
    const QStringList ok = filesIn(OkFolder);
    QCOMPARE(ok.size(), 1);
    QVERIFY2(TimeName.match(ok.first()).hasMatch(), qPrintable(ok.first()));
    QCOMPARE(QImage(OkFolder + QLatin1Char('/') + ok.first()).size(),
             QSize(StationHarness::Width, StationHarness::Height));
    QVERIFY(verdictPixels(OkFolder + QLatin1Char('/') + ok.first(), true) > 10);
    QVERIFY(filesIn(NgFolder).isEmpty());
}

// A latched NG keeps its image until the door has it examined again; once the part is gone
// the NG image (named after its first NG region) and the new OK image both go to the NG
// folder, and none to the OK folder.
void ResultImagesTest::releasedAlarmLeavesBothImagesInTheNgFolder()
{
    setPartLeft(true);
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 2, Timeout);
    QTest::qWait(300);
    QVERIFY(archived());
    QVERIFY(filesIn(NgFolder).isEmpty());

    setPartLeft(false);
    harness.setInput(1, true);
    QTRY_COMPARE_WITH_TIMEOUT(harness.regionPage.rechecks, 1, Timeout);
    QCOMPARE(station()->DisplayMode, 1);
    QTRY_VERIFY_WITH_TIMEOUT(archived(), Timeout);
    const QStringList ng = filesIn(NgFolder);
    QCOMPARE(ng.size(), 2);
    QCOMPARE(matching(ng, RegionOneName), 1);
    QCOMPARE(matching(ng, TimeName), 1);
    for (const QString &name : ng) {
        const QString path = NgFolder + QLatin1Char('/') + name;
        // The NG image keeps its red verdict, the re-examined one shows green.
        if (RegionOneName.match(name).hasMatch())
            QVERIFY(verdictPixels(path, false) > 10);
        else
            QVERIFY(verdictPixels(path, true) > 10);
    }
    QVERIFY(filesIn(OkFolder).isEmpty());
}

// In pulse mode every NG image goes to the archive at once. With the archiver held up, a
// second NG cycle renders into the same slot before the first image is written: both images
// wait, and both are written when an archiver runs again.
void ResultImagesTest::nextCycleBeforeTheArchiverWroteKeepsBothImages()
{
    SaveFialImageThread *archiver = station()->imageArchiver();
    archiver->requestStop();
    QVERIFY(archiver->wait(Timeout));
    harness.settings()[Param::PulseMode] = 1;
    setPartLeft(true);
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 2, Timeout);
    QCOMPARE(cycleNgCount, 2);
    QCOMPARE(imageSaveBuffers->waitingImages(), 2);
    QVERIFY(filesIn(NgFolder).isEmpty());

    SaveFialImageThread relief(imageSaveBuffers);
    relief.start();
    QTRY_VERIFY_WITH_TIMEOUT(archived(), Timeout);
    const QStringList ng = filesIn(NgFolder);
    QCOMPARE(ng.size(), 2);
    QCOMPARE(matching(ng, RegionOneName), 2);
}

QTEST_MAIN(ResultImagesTest)
#include "tst_ResultImages.moc"
