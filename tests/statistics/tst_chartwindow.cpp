// The temperature chart window over a real result store: today's series read back at start-up
// and extended by evaluated stages, a range read of an archived day, the timed-recording
// minutes in the parameter database and the export through the export program.
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "core/ResultDatabase.h"
#include "core/SystemParameters.h"
#include "core/TemperatureChartData.h"
#include "core/UiTexts.h"
#include "core/dataThread.h"
#include "platform/system/RecordingSystemActions.h"
#include "statistics/ResultExport.h"
#include "statistics/TemperatureChartWidget.h"
#include "statistics/mCustomPlot.h"
#include "tests/station/StationTestSetup.h"
#include "tests/support/ManualClock.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/ResultRowFiles.h"
#include "tests/support/TempWorkDir.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/Edit.h"
#include "uikit/FromTimeToTime.h"
#include "uikit/customButton.h"
#include "uikit/tipbox.h"

#include <QFocusEvent>
#include <QSignalSpy>
#include <QtTest>
#include <qcustomplot.h>

#include <memory>

namespace {

const QString archive = QStringLiteral("ResStatistics/2024-03-03.db");
const QString cameraOneProduct = QStringLiteral("C:0_D:0_F:0");
const QString cameraOneRegion13 = QStringLiteral("C:0_D:1_F:12");
const QString archivedSeries = QStringLiteral("C:1_D:0_F:0");

QDateTime at(int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute, second));
}

// A cavity stage of camera 1 with 13 regions, of which only the last measures a temperature.
CycleResult thirteenRegions(const QDateTime &time, int temperature)
{
    QList<int> verdicts;
    for (int r = 0; r < 13; ++r)
        verdicts << 1;
    CycleResult cycle = makeCycle(0, 1, time, time, verdicts);
    cycle.roiDetail[12] = {9, temperature, 0, 800};
    return cycle;
}

int graphPoints(mCustomPlot *plot, const QString &key)
{
    const int index = plot->graphIndex(key);
    QCPGraph *graph = index >= 0 ? plot->plot()->graph(index) : nullptr;
    return graph ? graph->dataCount() : -1;
}

// The graphs named by series keys, as the window's combos left them visible.
QStringList visibleKeys(mCustomPlot *plot, const QStringList &keys)
{
    QStringList visible;
    for (const QString &key : keys) {
        const int index = plot->graphIndex(key);
        if (index >= 0 && plot->plot()->graph(index)->visible())
            visible << key;
    }
    return visible;
}

} // namespace

class ChartWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void modeTransitions();
    void readEndingWhilePausedKeepsThePlot();
    void pauseAndResumeKeepEachPointOnce();
    void valueAxisFitsTheShownCurves();
    void regionFilter_data();
    void regionFilter();
    void recordMinutes_data();
    void recordMinutes();
    void exportThroughTheProgram();
    void exportThatCannotStartIsReported();

private:
    // The chart command of the main window.
    void open();
    void record(const CycleResult &cycle);
    int seriesPoints(const QString &key) const;

    RecordingSystemActions actions;
    std::unique_ptr<TempWorkDir> parameterFolder;
    std::unique_ptr<TempWorkDir> work;
    std::unique_ptr<ManualClock> clock;
    std::unique_ptr<TemperatureChartData> store;
    std::unique_ptr<TemperatureChartWidget> window;
};

void ChartWindowTest::initTestCase()
{
    setSystemActions(&actions);
    QVERIFY(loadUiTexts());
    // The parameter store keeps its files open for the whole program.
    parameterFolder = std::make_unique<TempWorkDir>();
    QVERIFY(openDefaultParameterStore());
}

void ChartWindowTest::init()
{
    work = std::make_unique<TempWorkDir>();
    QVERIFY(work->isValid());
    clock = std::make_unique<ManualClock>(at(5, 10));
    (*currentParams)[Param::RecordMinutes] = 30;
    QVERIFY(currentParams->SaveAll(ParameterManager::instance()->paramQuery()));

    QVERIFY(writeResultRows(QString::fromLatin1(resultDatabaseFile),
                            {makeCycle(0, 0, at(5, 9), at(5, 9), {1}, 60),
                             makeCycle(0, 0, at(5, 9, 1), at(5, 9, 1), {1}, 61),
                             thirteenRegions(at(5, 9, 2), 70)}));
    QVERIFY(QDir().mkpath(QString::fromLatin1(resultArchiveFolder)));
    QVERIFY(writeResultRows(archive, {makeCycle(1, 0, at(3, 8), at(3, 8), {1}, 50),
                                      makeCycle(1, 0, at(3, 9), at(3, 9), {1}, 51),
                                      makeCycle(1, 0, at(3, 10), at(3, 10), {1}, 52)}));
    store = std::make_unique<TemperatureChartData>();
    QVERIFY(store->Init());
    QTRY_VERIFY(store->isReadFinished());
    window = std::make_unique<TemperatureChartWidget>(1, 2, store.get());
}

void ChartWindowTest::cleanup()
{
    window.reset();
    store.reset();
    clock.reset();
    work.reset();
}

void ChartWindowTest::open()
{
    store->setChartMode(0);
    window->StartRealTime();
    window->show();
}

void ChartWindowTest::record(const CycleResult &cycle)
{
    store->SetCurrentCycle(cycle);
    store->AppendCycleData();
}

int ChartWindowTest::seriesPoints(const QString &key) const
{
    return store->GetSeries().value(key).size();
}

void ChartWindowTest::modeTransitions()
{
    mCustomPlot *plot = window->chartPlot;
    open();
    // One camera and two stages: "全部" and one camera, two stages, always ten regions.
    QCOMPARE(window->cameraCombo->count(), 2);
    QCOMPARE(window->detectCombo->count(), 3);
    QCOMPARE(window->regionCombo->count(), 11);
    QCOMPARE(window->rangePicker->fromTime, at(4, 10));
    QCOMPARE(window->rangePicker->toTime, at(5, 10));
    QVERIFY(plot->isRefreshing());
    QVERIFY(store->isLiveCollecting());
    QCOMPARE(plot->plot()->graphCount(), 2);
    QCOMPARE(graphPoints(plot, cameraOneProduct), 2);
    QCOMPARE(plot->plot()->graph(plot->graphIndex(cameraOneRegion13))->name(),
             QStringLiteral("相机:1_模腔检测_区域:13"));

    // Real time to paused.
    plot->ToggleRealTime();
    QCOMPARE(store->chartMode(), 1);
    QVERIFY(!plot->isRefreshing());
    QVERIFY(!store->isLiveCollecting());
    QCOMPARE(plot->realTimeSwitch()->text(), QStringLiteral("暂停"));
    QVERIFY(!plot->realTimeSwitch()->isChecked());

    // Paused to range: the plot waits, empty, for the read of 3 March.
    QSignalSpy read(store->reader(), &dataThread::readTempFinished);
    window->rangePicker->setFromTime(at(3, 0));
    window->rangePicker->setToTime(at(3, 23, 59, 59));
    window->Search();
    QCOMPARE(store->chartMode(), 2);
    QVERIFY(window->loadingBox->isVisible());
    // The reader's thread may finish before a wait would begin: count, don't wait for another.
    QTRY_VERIFY_WITH_TIMEOUT(read.count() >= 1, 20000);
    QTRY_VERIFY(!window->loadingBox->isVisible());
    QCOMPARE(plot->plot()->graphCount(), 1);
    QCOMPARE(graphPoints(plot, archivedSeries), 3);
    QCOMPARE(plot->plot()->xAxis->range().lower, double(at(3, 0).toSecsSinceEpoch()));
    // In range mode a combo waits for the next search.
    window->detectCombo->setCurrentIndex(2);
    QVERIFY(plot->plot()->graph(0)->visible());

    // Range back to real time: today's series again, every graph shown.
    plot->ToggleRealTime();
    QCOMPARE(store->chartMode(), 0);
    QVERIFY(plot->isRefreshing());
    QCOMPARE(plot->realTimeSwitch()->text(), QStringLiteral("实时"));
    QCOMPARE(plot->graphIndex(archivedSeries), -1);
    QCOMPARE(visibleKeys(plot, {cameraOneProduct, cameraOneRegion13}),
             QStringList({cameraOneProduct, cameraOneRegion13}));
    // In real time the combos filter at once.
    window->detectCombo->setCurrentIndex(1);
    QCOMPARE(visibleKeys(plot, {cameraOneProduct, cameraOneRegion13}),
             QStringList({cameraOneProduct}));

    // Closing keeps the mode but stops the refresh and the collecting of live points.
    window->CloseWindow();
    QVERIFY(!window->isVisible());
    QVERIFY(!plot->isRefreshing());
    QCOMPARE(window->detectCombo->currentIndex(), 0);
    record(makeCycle(0, 0, at(5, 10), at(5, 10), {1}, 62));
    QVERIFY(store->liveSeries().isEmpty());
}

void ChartWindowTest::readEndingWhilePausedKeepsThePlot()
{
    mCustomPlot *plot = window->chartPlot;
    open();
    // Another connection holds the day file, so the read waits until it lets go.
    DayFileLock lock(archive);
    QVERIFY(lock.isHeld());

    QSignalSpy read(store->reader(), &dataThread::readTempFinished);
    window->rangePicker->setFromTime(at(3, 0));
    window->rangePicker->setToTime(at(3, 23, 59, 59));
    window->Search();
    QVERIFY(store->isReading());
    QVERIFY(!window->searchButton->isEnabled());
    // Back to real time, then paused, before the read ends.
    plot->ToggleRealTime();
    plot->ToggleRealTime();
    QCOMPARE(store->chartMode(), 1);
    QCOMPARE(plot->plot()->graphCount(), 2);

    QVERIFY(lock.release());
    QTRY_VERIFY_WITH_TIMEOUT(read.count() == 1, 20000);
    QTRY_VERIFY(!window->loadingBox->isVisible());
    QTRY_VERIFY(window->searchButton->isEnabled());
    // The paused curves stay as they were: no placeholder, no range series.
    QCOMPARE(plot->plot()->graphCount(), 2);
    QCOMPARE(graphPoints(plot, cameraOneProduct), 2);
    QCOMPARE(plot->graphIndex(archivedSeries), -1);
}

void ChartWindowTest::pauseAndResumeKeepEachPointOnce()
{
    mCustomPlot *plot = window->chartPlot;
    open();
    record(makeCycle(0, 0, at(5, 10), at(5, 10), {1}, 62));
    plot->realTimeDataSlot();
    QCOMPARE(graphPoints(plot, cameraOneProduct), 3);

    // Points of a pause reach the plot once, with the rebuild when real time resumes.
    plot->ToggleRealTime();
    record(makeCycle(0, 0, at(5, 10, 1), at(5, 10, 1), {1}, 63));
    record(thirteenRegions(at(5, 10, 2), 71));
    plot->ToggleRealTime();
    plot->realTimeDataSlot();
    for (const QString &key : {cameraOneProduct, cameraOneRegion13})
        QCOMPARE(graphPoints(plot, key), seriesPoints(key));
    QCOMPARE(graphPoints(plot, cameraOneProduct), 4);

    // A series that comes up in real time gets a graph of its own.
    record(makeCycle(0, 1, at(5, 10, 3), at(5, 10, 3), {1}, 64));
    plot->realTimeDataSlot();
    QCOMPARE(graphPoints(plot, QStringLiteral("C:0_D:1_F:0")), 1);
    QCOMPARE(plot->plot()->graph(2)->pen().color(), QColor(0, 0, 255));
    for (const QString &key : {cameraOneProduct, cameraOneRegion13})
        QCOMPARE(graphPoints(plot, key), seriesPoints(key));
}

void ChartWindowTest::valueAxisFitsTheShownCurves()
{
    mCustomPlot *plot = window->chartPlot;
    QCPAxis *axis = plot->plot()->yAxis;
    // The plot's own fit against the library's rescale over the visible graphs.
    auto fitsLikeRescale = [axis]() {
        const QCPRange fitted = axis->range();
        axis->rescale(true);
        return qFuzzyCompare(fitted.lower, axis->range().lower)
               && qFuzzyCompare(fitted.upper, axis->range().upper);
    };
    open();
    QCOMPARE(axis->range().lower, 60.0);
    QCOMPARE(axis->range().upper, 70.0);

    // A new highest value reaches the fit with the next restore.
    record(makeCycle(0, 0, at(5, 10), at(5, 10), {1}, 95));
    plot->realTimeDataSlot();
    plot->RestoreRange();
    QCOMPARE(axis->range().upper, 95.0);
    QVERIFY(fitsLikeRescale());

    // Only the cavity stage shown: one value, the axis keeps its size around it.
    window->detectCombo->setCurrentIndex(2);
    plot->RestoreRange();
    QVERIFY(axis->range().contains(70));
    QVERIFY(fitsLikeRescale());

    // Paused and resumed: the graphs are drawn anew, every one shown.
    plot->ToggleRealTime();
    record(makeCycle(0, 0, at(5, 10, 1), at(5, 10, 1), {1}, 40));
    plot->ToggleRealTime();
    QCOMPARE(axis->range().lower, 40.0);
    QCOMPARE(axis->range().upper, 95.0);
    QVERIFY(fitsLikeRescale());
}

void ChartWindowTest::regionFilter_data()
{
    QTest::addColumn<int>("regionItem");
    QTest::addColumn<QStringList>("visible");

    QTest::newRow("all") << 0 << QStringList({cameraOneProduct, cameraOneRegion13});
    QTest::newRow("region 1") << 1 << QStringList({cameraOneProduct});
    // Regions 11 to 50 are only shown under "全部".
    QTest::newRow("region 10") << 10 << QStringList();
}

void ChartWindowTest::regionFilter()
{
    QFETCH(int, regionItem);
    QFETCH(QStringList, visible);
    open();
    window->regionCombo->setCurrentIndex(regionItem);
    QCOMPARE(visibleKeys(window->chartPlot, {cameraOneProduct, cameraOneRegion13}), visible);
}

void ChartWindowTest::recordMinutes_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QStringList>("descriptions");

    // 0 marks every row as a timed record.
    QTest::newRow("0") << "0" << 0
                       << QStringList({"Regular recording", "Regular recording", "Regular recording"});
    // An emptied field shows the stored minutes again; nothing changes.
    QTest::newRow("empty") << "" << 30 << QStringList({"Regular recording", "", ""});
    QTest::newRow("100") << "100" << 100 << QStringList({"Regular recording", "", ""});
    QTest::newRow("above 100") << "150" << 100 << QStringList({"Regular recording", "", ""});
}

void ChartWindowTest::recordMinutes()
{
    QFETCH(QString, entry);
    QFETCH(int, minutes);
    QFETCH(QStringList, descriptions);
    open();
    QCOMPARE(window->minutesEdit->text(), QStringLiteral("30"));

    window->minutesEdit->setText(entry);
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(window->minutesEdit, &focusOut);
    QCOMPARE(window->minutesEdit->text(), QString::number(minutes));
    QCOMPARE((*currentParams)[Param::RecordMinutes], minutes);
    SystemParameters stored;
    QVERIFY(stored.Load(ParameterManager::instance()->paramQuery()));
    QCOMPARE(stored[Param::RecordMinutes], minutes);

    // The store marks its rows by the interval now in force.
    for (int i = 0; i < 3; ++i) {
        store->SetCurrentCycle(makeCycle(0, 0, at(5, 10, i), at(5, 10, i), {1}));
        QVERIFY(store->InsertResult());
    }
    const QList<StoredRow> rows = readResultRows(QString::fromLatin1(resultDatabaseFile));
    QStringList written;
    for (int i = rows.size() - 3; i < rows.size(); ++i)
        written << rows.at(i).description;
    QCOMPARE(written, descriptions);
}

void ChartWindowTest::exportThroughTheProgram()
{
    QVERIFY(QDir().mkpath(QStringLiteral("cnt_net/export_temperature")));
    QVERIFY(QFile::link(QStringLiteral(EXPORT_PROGRAM),
                        QStringLiteral("cnt_net/export_temperature/temperature_export.exe")));
    const QString target = work->filePath(QStringLiteral("stick"));
    QVERIFY(QDir().mkpath(target));
    open();
    window->exporter->chooseFolder = [&target](QWidget *) { return target; };
    QSignalSpy finished(store.get(), &TemperatureChartData::exportFinish);

    ModalAnswerer confirm([](QWidget *box) { ModalAnswerer::clickButton(box, "确定"); });
    window->ExportToFolder();
    QVERIFY(confirm.answered());
    QVERIFY(store->isExportBusy());

    // A second export while the first runs is refused with a notice.
    QString refusal;
    ModalAnswerer busy([&refusal](QWidget *box) {
        refusal = qobject_cast<tipbox *>(box)->text();
        ModalAnswerer::clickButton(box, "确定");
    });
    window->ExportToFolder();
    QVERIFY(busy.answered());
    QCOMPARE(refusal, QStringLiteral("上一个导出任务未完成"));

    QVERIFY(finished.count() == 1 || finished.wait(60000));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    auto *notice = qobject_cast<tipbox *>(window->exporter->endNotice());
    QVERIFY(notice && notice->isVisible());
    QCOMPARE(notice->text(), QStringLiteral("数据导出完成"));

    // The last 24 hours: today's three rows, one file per camera and stage.
    const QDir folder(target + QStringLiteral("/2024-03-05_10.00.00.000_result"));
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name),
             QStringList({"camera1_detect1.csv", "camera1_detect2.csv"}));
    QFile product(folder.filePath(QStringLiteral("camera1_detect1.csv")));
    QVERIFY(product.open(QIODevice::ReadOnly));
    QCOMPARE(product.readAll().count("\r\n"), 1 + 2);
}

void ChartWindowTest::exportThatCannotStartIsReported()
{
    open();
    window->exporter->chooseFolder = [this](QWidget *) { return work->path(); };
    ModalAnswerer confirm([](QWidget *box) { ModalAnswerer::clickButton(box, "确定"); });
    window->ExportToFolder();
    QVERIFY(confirm.answered());
    auto *notice = qobject_cast<tipbox *>(window->exporter->endNotice());
    QVERIFY(notice);
    QCOMPARE(notice->text(), QStringLiteral("数据导出失败"));
    QVERIFY(!store->isExportBusy());
}

QTEST_MAIN(ChartWindowTest)
#include "tst_chartwindow.moc"
