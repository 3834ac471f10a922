// The main window's openers of the statistics window and the temperature chart window, on a
// station built over simulated cameras with the result store of the program.
#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/TemperatureChartData.h"
#include "core/UiTexts.h"
#include "platform/system/RecordingSystemActions.h"
#include "station/Main_MenuBtnWidget.h"
#include "station/MenuBtnWidget.h"
#include "station/MoJuWizard.h"
#include "statistics/StatisticsWidget.h"
#include "statistics/TemperatureChartWidget.h"
#include "statistics/mCustomPlot.h"
#include "tests/station/StationTestSetup.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/ResultRowFiles.h"
#include "tests/support/TempWorkDir.h"
#include "uikit/ComboBox.h"
#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QLabel>
#include <QMutex>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

// The text of the modal box the call shows, which is then closed; empty when none shows.
template <typename Call>
QString boxText(Call call)
{
    QString text;
    ModalAnswerer answer([&text](QWidget *box) {
        if (auto *warning = qobject_cast<Warnbox *>(box))
            text = warning->text();
        else if (auto *notice = qobject_cast<tipbox *>(box))
            text = notice->text();
        static_cast<QDialog *>(box)->done(0);
    });
    call();
    return text;
}

} // namespace

class StationWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void statisticsOpener();
    void chartOpener();

private:
    QPushButton *menuButton(const char *name) const
    {
        return station->sideMenu->mainPage()->button(name);
    }

    QMutex io;
    QMutex images;
    RecordingSystemActions actions;
    std::unique_ptr<TempWorkDir> work;
    std::unique_ptr<MoJuWizard> station;
};

void StationWindowsTest::initTestCase()
{
    ioMutex = &io;
    imageSaveMutex = &images;
    QVERIFY(loadUiTexts());
    MoJuWizard::modbusPort = 0;
    work = std::make_unique<TempWorkDir>();
    QVERIFY(openDefaultParameterStore());
    // Today: one OK and one NG round.
    const QDateTime now(QDate::currentDate(), QTime(0, 0, 2));
    const QDateTime earlier(QDate::currentDate(), QTime(0, 0, 1));
    QVERIFY(writeResultRows(QStringLiteral("ResStatistics.db"),
                            {makeCycle(0, 0, now, now, {1}, 60),
                             makeCycle(0, 0, earlier, earlier, {0}, 61)}));

    // No camera is attached: the station asks whether the saved serials are to be cleared.
    ModalAnswerer answer([](QWidget *box) { ModalAnswerer::clickButton(box, QStringLiteral("确定")); });
    station = std::make_unique<MoJuWizard>();
    QVERIFY(answer.answered());
}

void StationWindowsTest::cleanupTestCase()
{
    station.reset();
    QVERIFY(!statisticsWidget);
    QVERIFY(!temperatureChartWidget);
    work.reset();
}

void StationWindowsTest::statisticsOpener()
{
    SystemParameters &settings = *currentParams;
    settings[Param::Statistics] = 0;
    QCOMPARE(boxText([this] { station->SlotShowStatisticsWidget(); }),
             QStringLiteral("生产统计未启用\n请前往高级参数设置"));
    QVERIFY(!statisticsWidget);

    // The result store has not read today's rows yet.
    settings[Param::Statistics] = 1;
    TemperatureChartData *store = TemperatureChartData::instance();
    if (!store->isReadFinished())
        QCOMPARE(boxText([this] { station->SlotShowStatisticsWidget(); }),
                 QStringLiteral("数据还未加载完成.."));
    QVERIFY(store->Init());
    QTRY_VERIFY(store->isReadFinished());

    // Opened twice: each time today, with every filter on all.
    for (int opening = 0; opening < 2; ++opening) {
        QString total;
        QString rate;
        int cameraItems = 0;
        ModalAnswerer answer([&](QWidget *box) {
            auto *window = qobject_cast<StatisticsWidget *>(box);
            QVERIFY(window);
            total = window->findChild<QLabel *>("totalCount")->text();
            rate = window->findChild<QLabel *>("totalNGRate")->text();
            cameraItems = window->cameraCombo->count();
            // A filter chosen now is gone at the next opening.
            window->cameraCombo->setCurrentIndex(2);
            window->CloseWindow();
        });
        // The side menu's 生产统计.
        menuButton("pBtnStatistics")->click();
        QVERIFY(answer.answered());
        QCOMPARE(total, QStringLiteral("2"));
        QCOMPARE(rate, QStringLiteral("50%"));
        QCOMPARE(cameraItems, 1 + cameraCount);
        QVERIFY(statisticsWidget && !statisticsWidget->isVisible());
    }
}

void StationWindowsTest::chartOpener()
{
    SystemParameters &settings = *currentParams;
    settings[Param::TemperatureChart] = 0;
    QCOMPARE(boxText([this] { station->SlotTemperatureChart(); }),
             QStringLiteral("温度波形图未启用\n请前往高级参数设置"));
    QVERIFY(!temperatureChartWidget);

    settings[Param::TemperatureChart] = 1;
    TemperatureChartData *store = TemperatureChartData::instance();
    QVERIFY(store->Init() || store->isReadFinished());
    QTRY_VERIFY(store->isReadFinished());
    store->setChartMode(1);
    // The side menu's 温度波形图.
    menuButton("pBtnTemperatureChart")->click();
    TemperatureChartWidget *window = temperatureChartWidget;
    QVERIFY(window && window->isVisible());
    QVERIFY(!window->isModal());
    QCOMPARE(store->chartMode(), 0);
    QVERIFY(window->chartPlot->isRefreshing());
    QVERIFY(window->chartPlot->graphIndex(QStringLiteral("C:0_D:0_F:0")) >= 0);

    // Closed and opened again: the same window, in real time.
    window->CloseWindow();
    QVERIFY(!window->chartPlot->isRefreshing());
    station->SlotTemperatureChart();
    QCOMPARE(temperatureChartWidget, window);
    QVERIFY(window->isVisible());
    QVERIFY(window->chartPlot->isRefreshing());
    window->CloseWindow();
}

QTEST_MAIN(StationWindowsTest)
#include "tst_StationWindows.moc"
