// The statistics window over a real result store: today's rows in "ResStatistics.db" and an
// archived day, read back by the store's reader thread.
#include "core/ResultDatabase.h"
#include "core/TemperatureChartData.h"
#include "core/UiTexts.h"
#include "core/dataThread.h"
#include "statistics/CameraStatisticsWidget.h"
#include "statistics/Histogram.h"
#include "statistics/StatisticsWidget.h"
#include "tests/support/ManualClock.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/ResultRowFiles.h"
#include "tests/support/TempWorkDir.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/FromTimeToTime.h"
#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QString archive = QStringLiteral("ResStatistics/2024-03-03.db");
const QString cameraTwoArchive = QStringLiteral("ResStatistics/2024-03-02.db");

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute));
}

QDateTime dayEnd(int day)
{
    return QDateTime(QDate(2024, 3, day), QTime(23, 59, 59, 999));
}

} // namespace

class StatisticsWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void todayFiltersAtOnce_data();
    void todayFiltersAtOnce();
    void rangeSearchWaitsForTheNextSearch_data();
    void rangeSearchWaitsForTheNextSearch();
    void staleAnswerIsNotShown();
    void searchWithoutRangeWarns();

private:
    QString figure(const char *name) const;
    void pickRange(const QDateTime &from, const QDateTime &to);

    std::unique_ptr<TempWorkDir> work;
    std::unique_ptr<ManualClock> clock;
    std::unique_ptr<TemperatureChartData> store;
    std::unique_ptr<StatisticsWidget> window;
};

void StatisticsWindowTest::initTestCase()
{
    QVERIFY(loadUiTexts());
}

void StatisticsWindowTest::init()
{
    work = std::make_unique<TempWorkDir>();
    QVERIFY(work->isValid());
    clock = std::make_unique<ManualClock>(at(5, 10));

    // Today: three rounds, the one at 09:00 NG through camera 1.
    QVERIFY(writeResultRows(QString::fromLatin1(resultDatabaseFile),
                            {makeCycle(1, 0, at(5, 8, 10), at(5, 8, 10), {1}),
                             makeCycle(0, 0, at(5, 9), at(5, 9), {1}),
                             makeCycle(1, 0, at(5, 9), at(5, 9), {0}),
                             makeCycle(0, 0, at(5, 9, 30), at(5, 9, 30), {1})}));
    // 3 March: four rounds, the one at 10:00 NG in camera 0's second region, the one at 13:00
    // NG through camera 1.
    QVERIFY(QDir().mkpath(QString::fromLatin1(resultArchiveFolder)));
    QVERIFY(writeResultRows(archive, {makeCycle(0, 0, at(3, 10), at(3, 10), {1, 0}),
                                      makeCycle(0, 1, at(3, 11), at(3, 11), {1}),
                                      makeCycle(1, 0, at(3, 12), at(3, 12), {1}),
                                      makeCycle(1, 0, at(3, 13), at(3, 13), {0})}));
    // 2 March: two rounds through camera 1 only, the one at 11:00 NG.
    QVERIFY(writeResultRows(cameraTwoArchive, {makeCycle(1, 0, at(2, 10), at(2, 10), {1}),
                                               makeCycle(1, 0, at(2, 11), at(2, 11), {0})}));

    store = std::make_unique<TemperatureChartData>();
    QVERIFY(store->Init());
    QTRY_VERIFY(store->isReadFinished());
    window = std::make_unique<StatisticsWidget>(2, 2, store.get());
    window->ShowToday();
}

void StatisticsWindowTest::cleanup()
{
    window.reset();
    store.reset();
    clock.reset();
    work.reset();
}

QString StatisticsWindowTest::figure(const char *name) const
{
    auto *label = window->findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<none>");
}

void StatisticsWindowTest::pickRange(const QDateTime &from, const QDateTime &to)
{
    window->rangePicker->setFromTime(from);
    window->rangePicker->setToTime(to);
}

void StatisticsWindowTest::todayFiltersAtOnce_data()
{
    QTest::addColumn<int>("cameraItem");
    QTest::addColumn<QStringList>("figures");
    // OK rounds from 08:00 and from 09:00, NG rounds from 09:00.
    QTest::addColumn<QList<int>>("buckets");

    QTest::newRow("all cameras") << 0 << QStringList({"3", "1", "33.33%"}) << QList<int>({1, 1, 1});
    QTest::newRow("camera 1") << 1 << QStringList({"2", "0", "0%"}) << QList<int>({0, 2, 0});
    QTest::newRow("camera 2") << 2 << QStringList({"2", "1", "50%"}) << QList<int>({1, 0, 1});
}

void StatisticsWindowTest::todayFiltersAtOnce()
{
    QFETCH(int, cameraItem);
    QFETCH(QStringList, figures);
    QFETCH(QList<int>, buckets);

    QCOMPARE(window->cameraCombo->count(), 1 + 2);
    QCOMPARE(window->detectCombo->count(), 1 + 2);
    QCOMPARE(window->regionCombo->count(), 1 + 10);
    window->cameraCombo->setCurrentIndex(cameraItem);

    QCOMPARE(QStringList({figure("totalCount"), figure("totalNGCount"), figure("totalNGRate")}),
             figures);
    Histogram *histogram = window->infoPanel->histogram;
    QCOMPARE(histogram->bars(), 24);
    const QList<int> counts = store->GetHourlyCounts();
    QCOMPARE(counts.size(), 48);
    QCOMPARE(QList<int>({counts.at(8), counts.at(9), counts.at(24 + 9)}), buckets);
}

void StatisticsWindowTest::rangeSearchWaitsForTheNextSearch_data()
{
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<QStringList>("figures");
    QTest::addColumn<QStringList>("cameraOne");

    // Each row's figures through camera 0 differ from those of all cameras, so that a filter
    // that acted before the next search would show.
    QTest::newRow("archived day") << at(3, 0) << dayEnd(3) << QStringList({"4", "2", "50%"})
                                  << QStringList({"2", "1", "50%"});
    // No file for 4 March: no cycle from that day.
    QTest::newRow("archived day and a day without rows")
        << at(3, 0) << dayEnd(4) << QStringList({"4", "2", "50%"}) << QStringList({"2", "1", "50%"});
    // No cycle through camera 0, and its rate reads 0 %.
    QTest::newRow("no round through the camera") << at(2, 0) << dayEnd(2) << QStringList({"2", "1", "50%"})
                                                 << QStringList({"0", "0", "0%"});
}

void StatisticsWindowTest::rangeSearchWaitsForTheNextSearch()
{
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(QStringList, figures);
    QFETCH(QStringList, cameraOne);

    QSignalSpy read(store->reader(), &dataThread::readResFinished);
    pickRange(from, to);
    window->Search();
    QVERIFY(window->loadingBox->isVisible());
    // The reader's thread may have finished before the wait begins: the spy counted it then.
    QVERIFY(read.count() == 1 || read.wait(20000));
    QTRY_COMPARE(figure("totalCount"), figures.at(0));
    QCOMPARE(QStringList({figure("totalCount"), figure("totalNGCount"), figure("totalNGRate")}),
             figures);
    // The histogram's new values closed the loading notice.
    QVERIFY(!window->loadingBox->isVisible());
    QCOMPARE(store->axisLabels().at(0).first(), from.toString("MM-dd hh:mm:ss"));

    // A filter chosen after a search waits for the next search.
    window->cameraCombo->setCurrentIndex(1);
    QCOMPARE(QStringList({figure("totalCount"), figure("totalNGCount"), figure("totalNGRate")}),
             figures);
    window->Search();
    QVERIFY(read.count() == 2 || read.wait(20000));
    QTRY_COMPARE(QStringList({figure("totalCount"), figure("totalNGCount"), figure("totalNGRate")}),
                 cameraOne);

    // Opened again, the window shows today with every filter on all.
    window->CloseWindow();
    window->ShowToday();
    QCOMPARE(window->cameraCombo->currentIndex(), 0);
    QCOMPARE(QStringList({figure("totalCount"), figure("totalNGCount"), figure("totalNGRate")}),
             QStringList({"3", "1", "33.33%"}));
    QCOMPARE(store->axisLabels().at(0).first(), QStringLiteral("03-05 00:00:00"));
}

void StatisticsWindowTest::staleAnswerIsNotShown()
{
    // Another connection holds the day file, so the read waits until it lets go.
    DayFileLock lock(archive);
    QVERIFY(lock.isHeld());

    QSignalSpy read(store->reader(), &dataThread::readResFinished);
    pickRange(at(3, 0), dayEnd(3));
    window->Search();
    QVERIFY(store->isReading());
    // No second search while the first one reads.
    QVERIFY(!window->searchButton->isEnabled());
    window->cameraCombo->setCurrentIndex(1);
    window->Search();

    // The operator closes the window and opens it again before the read ends.
    window->CloseWindow();
    window->ShowToday();
    QVERIFY(lock.release());
    QTRY_VERIFY_WITH_TIMEOUT(read.count() == 1, 20000);
    QTRY_VERIFY(window->searchButton->isEnabled());

    // Today's figures stay, in the window and in the store.
    QCOMPARE(QStringList({figure("totalCount"), figure("totalNGCount"), figure("totalNGRate")}),
             QStringList({"3", "1", "33.33%"}));
    QCOMPARE(store->totalCycles(), 3);
    QCOMPARE(store->axisLabels().at(0).first(), QStringLiteral("03-05 00:00:00"));
    QVERIFY(!window->loadingBox->isVisible());
    // And the combos still filter today at once.
    window->cameraCombo->setCurrentIndex(2);
    QCOMPARE(figure("totalNGRate"), QStringLiteral("50%"));

    // The refused search left no read behind: the next search is the second read, and its
    // answer is the one shown.
    pickRange(at(2, 0), dayEnd(2));
    window->Search();
    QTRY_VERIFY_WITH_TIMEOUT(read.count() >= 2, 20000);
    QTRY_COMPARE(QStringList({figure("totalCount"), figure("totalNGCount"), figure("totalNGRate")}),
                 QStringList({"2", "1", "50%"}));
    QCOMPARE(read.count(), 2);
}

void StatisticsWindowTest::searchWithoutRangeWarns()
{
    QString shown;
    ModalAnswerer answer([&shown](QWidget *box) {
        if (auto *warning = qobject_cast<Warnbox *>(box))
            shown = warning->text();
        static_cast<QDialog *>(box)->accept();
    });
    window->Search();
    QVERIFY(answer.answered());
    QCOMPARE(shown, QStringLiteral("时间检索不能为空"));
    QVERIFY(!store->isReading());
    QVERIFY(!window->loadingBox->isVisible());
}

QTEST_MAIN(StatisticsWindowTest)
#include "tst_statisticswindow.moc"
