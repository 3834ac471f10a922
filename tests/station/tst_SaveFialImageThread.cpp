// The result image archiver on real folders: keep limits, file names, folders, images handed
// over faster than they are written, and stopping.

#include "station/ResultImageBuffers.h"
#include "station/SaveFialImageThread.h"
#include "station/StationGlobals.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TempWorkDir.h"

#include <QDir>
#include <QImage>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

constexpr int Width = 64;
constexpr int Height = 48;
constexpr int Timeout = 20000;
const QDateTime Start(QDate(2024, 3, 5), QTime(14, 30, 12));

QString stamp(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd_hh.mm.ss"));
}

// The JPEG files of a result folder by name.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
}

// JPEG keeps a flat colour within a few steps.
bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 12 && qAbs(qGreen(a) - qGreen(b)) < 12
        && qAbs(qBlue(a) - qBlue(b)) < 12;
}

const QString NgFolder = QStringLiteral("alarmimage/camera1/detect2/NG");
const QString OkFolder = QStringLiteral("alarmimage/camera1/detect2/OK");

} // namespace

class SaveFialImageThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keepsTheNewestImages_data();
    void keepsTheNewestImages();
    void firstNgRegionNamesOnlyItsOwnImage();
    void ngAndOkPairGoesToTheNgFolder();
    void imagesHandedOverBeforeTheyAreWrittenAreAllKept();
    void burstBeyondTheQueueLosesNothing();
    void stopEndsTheThreadAndCanWriteWhatWaits();
    void failedSaveIsSkipped();

private:
    // Fills the slot's picture with one colour, as a rendering would.
    void render(int stage, int slot, QRgb colour, int firstNgRegion = 0);
    QRgb centreOf(const QString &path) const;
    bool written() const;

    std::unique_ptr<TempWorkDir> work;
    std::unique_ptr<ManualClock> clock;
    std::unique_ptr<ResultImageBuffers> buffers;
};

void SaveFialImageThreadTest::init()
{
    work = std::make_unique<TempWorkDir>();
    QVERIFY(work->isValid());
    clock = std::make_unique<ManualClock>(Start);
    ngImagesToKeep = 100;
    okImagesToKeep = 100;
    buffers = std::make_unique<ResultImageBuffers>();
    buffers->allocate({QSize(Width, Height)}, 2);
}

void SaveFialImageThreadTest::cleanup()
{
    buffers.reset();
    clock.reset();
    work.reset();
}

void SaveFialImageThreadTest::render(int stage, int slot, QRgb colour, int firstNgRegion)
{
    uchar *pixels = buffers->buffer(0, stage, slot);
    QVERIFY(pixels);
    QImage(pixels, Width, Height, Width * 4, QImage::Format_RGB32).fill(colour);
    buffers->setFirstNgRegion(0, stage, slot, firstNgRegion);
}

QRgb SaveFialImageThreadTest::centreOf(const QString &path) const
{
    const QImage image(path);
    return image.size() == QSize(Width, Height) ? image.pixel(Width / 2, Height / 2) : 0;
}

bool SaveFialImageThreadTest::written() const
{
    return buffers->waitingImages() == 0;
}

void SaveFialImageThreadTest::keepsTheNewestImages_data()
{
    QTest::addColumn<bool>("ng");
    QTest::addColumn<int>("keep");
    QTest::addColumn<int>("saves");
    QTest::newRow("NG, 5 of 7") << true << 5 << 7;
    QTest::newRow("OK, 5 of 7") << false << 5 << 7;
    QTest::newRow("NG, 1 of 3") << true << 1 << 3;
    QTest::newRow("OK, 5 of 3") << false << 5 << 3;
}

// After every save the folder holds at most its keep limit, the newest ones, each named by
// the time of its save; the other folder's limit does not count.
void SaveFialImageThreadTest::keepsTheNewestImages()
{
    QFETCH(bool, ng);
    QFETCH(int, keep);
    QFETCH(int, saves);
    (ng ? ngImagesToKeep : okImagesToKeep) = keep;
    SaveFialImageThread archiver(buffers.get());
    archiver.start();
    const int slot = ng ? ResultImageBuffers::NgSlot : ResultImageBuffers::OkSlot;
    QStringList expected;
    for (int i = 0; i < saves; ++i) {
        clock->set(Start.addSecs(i));
        render(1, slot, qRgb(10 * i, 0, 0));
        QVERIFY(buffers->flag(0, 1, slot, ng));
        QTRY_VERIFY_WITH_TIMEOUT(written(), Timeout);
        expected << stamp(Start.addSecs(i)) + QStringLiteral(".jpg");
        QVERIFY(filesIn(ng ? NgFolder : OkFolder).size() <= keep);
    }
    QCOMPARE(filesIn(ng ? NgFolder : OkFolder), expected.mid(qMax(0, saves - keep)));
    QCOMPARE(filesIn(ng ? OkFolder : NgFolder), QStringList());
}

// The NG image is named after its first NG region; an OK image rendered while an unarchived
// NG image with a region number sits in the NG slot carries no number.
void SaveFialImageThreadTest::firstNgRegionNamesOnlyItsOwnImage()
{
    SaveFialImageThread archiver(buffers.get());
    archiver.start();
    render(1, ResultImageBuffers::NgSlot, qRgb(255, 0, 0), 3);
    QVERIFY(buffers->flag(0, 1, ResultImageBuffers::NgSlot, true));
    QTRY_VERIFY_WITH_TIMEOUT(written(), Timeout);
    QCOMPARE(filesIn(NgFolder), QStringList{QStringLiteral("3_%1.jpg").arg(stamp(Start))});

    // A kept NG image (not handed over) with region 5, then an OK image.
    render(1, ResultImageBuffers::NgSlot, qRgb(255, 0, 0), 5);
    clock->set(Start.addSecs(1));
    render(1, ResultImageBuffers::OkSlot, qRgb(0, 255, 0));
    QVERIFY(buffers->flag(0, 1, ResultImageBuffers::OkSlot, false));
    QTRY_VERIFY_WITH_TIMEOUT(written(), Timeout);
    QCOMPARE(filesIn(OkFolder), QStringList{stamp(Start.addSecs(1)) + QStringLiteral(".jpg")});
}

// Both images of a passed re-examination are handed over together; both land in the NG folder.
void SaveFialImageThreadTest::ngAndOkPairGoesToTheNgFolder()
{
    render(1, ResultImageBuffers::NgSlot, qRgb(255, 0, 0), 2);
    render(1, ResultImageBuffers::OkSlot, qRgb(0, 0, 255));
    QVERIFY(buffers->flag(0, 1, ResultImageBuffers::NgSlot, true));
    QVERIFY(buffers->flag(0, 1, ResultImageBuffers::OkSlot, true));
    SaveFialImageThread archiver(buffers.get());
    archiver.start();
    QTRY_VERIFY_WITH_TIMEOUT(written(), Timeout);
    const QString name = stamp(Start);
    QCOMPARE(filesIn(NgFolder), (QStringList{name + QStringLiteral(".jpg"), QStringLiteral("2_%1.jpg").arg(name)}));
    QVERIFY(filesIn(OkFolder).isEmpty());
    QVERIFY(near(centreOf(NgFolder + QStringLiteral("/2_%1.jpg").arg(name)), qRgb(255, 0, 0)));
    QVERIFY(near(centreOf(NgFolder + QStringLiteral("/%1.jpg").arg(name)), qRgb(0, 0, 255)));
}

// Two NG images of one slot handed over within one second while the archiver is held up: the
// second rendering does not touch the first image, and both are kept under their own names,
// in order.
void SaveFialImageThreadTest::imagesHandedOverBeforeTheyAreWrittenAreAllKept()
{
    render(0, ResultImageBuffers::NgSlot, qRgb(255, 0, 0));
    QVERIFY(buffers->flag(0, 0, ResultImageBuffers::NgSlot, true));
    QVERIFY(buffers->pending(0, 0, ResultImageBuffers::NgSlot));
    render(0, ResultImageBuffers::NgSlot, qRgb(0, 0, 255));
    QVERIFY(buffers->flag(0, 0, ResultImageBuffers::NgSlot, true));
    QCOMPARE(buffers->waitingImages(), 2);

    SaveFialImageThread archiver(buffers.get());
    archiver.start();
    QTRY_VERIFY_WITH_TIMEOUT(written(), Timeout);
    QVERIFY(!buffers->pending(0, 0, ResultImageBuffers::NgSlot));
    const QString folder = QStringLiteral("alarmimage/camera1/detect1/NG/");
    const QString name = stamp(Start);
    QCOMPARE(filesIn(folder), (QStringList{name + QStringLiteral(".jpg"), name + QStringLiteral("_2.jpg")}));
    QVERIFY(near(centreOf(folder + name + QStringLiteral(".jpg")), qRgb(255, 0, 0)));
    QVERIFY(near(centreOf(folder + name + QStringLiteral("_2.jpg")), qRgb(0, 0, 255)));
}

// Far more images than the queue holds, handed over as fast as the GUI thread can: the GUI
// thread waits for room instead of dropping one, and every image is written.
void SaveFialImageThreadTest::burstBeyondTheQueueLosesNothing()
{
    SaveFialImageThread archiver(buffers.get());
    archiver.start();
    const int images = 3 * buffers->queueLimit();
    for (int i = 0; i < images; ++i) {
        render(1, ResultImageBuffers::OkSlot, qRgb(0, i, 0));
        QVERIFY(buffers->flag(0, 1, ResultImageBuffers::OkSlot, false));
    }
    QTRY_VERIFY_WITH_TIMEOUT(written(), Timeout);
    QCOMPARE(filesIn(OkFolder).size(), images);
    QVERIFY(filesIn(OkFolder).contains(QStringLiteral("%1_%2.jpg").arg(stamp(Start)).arg(images)));
}

// An idle archiver stops when asked; images still waiting stay for the next one, unless the
// stop asks for them to be written first.
void SaveFialImageThreadTest::stopEndsTheThreadAndCanWriteWhatWaits()
{
    auto idle = std::make_unique<SaveFialImageThread>(buffers.get());
    idle->start();
    QTRY_VERIFY_WITH_TIMEOUT(idle->isRunning(), Timeout);
    idle->requestStop();
    QVERIFY(idle->wait(Timeout));

    for (int i = 0; i < 3; ++i) {
        render(1, ResultImageBuffers::NgSlot, qRgb(200, 0, 0));
        QVERIFY(buffers->flag(0, 1, ResultImageBuffers::NgSlot, true));
    }
    SaveFialImageThread stopped(buffers.get());
    stopped.requestStop();
    stopped.start();
    QVERIFY(stopped.wait(Timeout));
    QCOMPARE(buffers->waitingImages(), 3);
    QVERIFY(filesIn(NgFolder).isEmpty());

    SaveFialImageThread finishing(buffers.get());
    finishing.requestStop(true);
    finishing.start();
    QVERIFY(finishing.wait(Timeout));
    QCOMPARE(buffers->waitingImages(), 0);
    QCOMPARE(filesIn(NgFolder).size(), 3);
}

// A folder that cannot take files (a file stands in its place) loses that image; the archiver
// goes on with the next.
void SaveFialImageThreadTest::failedSaveIsSkipped()
{
    QVERIFY(QDir().mkpath(QStringLiteral("alarmimage/camera1/detect2")));
    QFile blocker(NgFolder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SaveFialImageThread archiver(buffers.get());
    archiver.start();
    render(1, ResultImageBuffers::NgSlot, qRgb(200, 0, 0));
    QVERIFY(buffers->flag(0, 1, ResultImageBuffers::NgSlot, true));
    render(1, ResultImageBuffers::OkSlot, qRgb(0, 200, 0));
    QVERIFY(buffers->flag(0, 1, ResultImageBuffers::OkSlot, false));
    QTRY_VERIFY_WITH_TIMEOUT(written(), Timeout);
    QCOMPARE(filesIn(OkFolder).size(), 1);
    QVERIFY(QFileInfo(NgFolder).isFile());
}

QTEST_MAIN(SaveFialImageThreadTest)
#include "tst_SaveFialImageThread.moc"
