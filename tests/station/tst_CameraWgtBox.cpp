#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget.h"
#include "station/CammerWidget.h"
#include "station/StationGlobals.h"
#include "tests/station/StationTestSetup.h"
#include "tests/station/TestCamera.h"
#include "tests/support/TempWorkDir.h"

#include <QSplitter>
#include <QtTest>

class CameraWgtBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void laysOutTheEnabledPanels_data();
    void laysOutTheEnabledPanels();
    void outOfRangeLookUpsGiveNothing();

private:
    // Holds the parameter store's databases for the whole run.
    TempWorkDir storeFolder;
};

void CameraWgtBoxTest::initTestCase()
{
    QVERIFY(openDefaultParameterStore());
}

void CameraWgtBoxTest::init()
{
    detectsPerCamera = 2;
    maxTemplateCount = 1;
}

void CameraWgtBoxTest::laysOutTheEnabledPanels_data()
{
    QTest::addColumn<int>("cameras");
    QTest::addColumn<QVector<int>>("disabled");
    QTest::addColumn<QVector<int>>("rows");   // panels in each row
    QTest::addColumn<int>("layoutMode");

    QTest::newRow("1") << 1 << QVector<int>{} << QVector<int>{1} << 1;
    QTest::newRow("2") << 2 << QVector<int>{} << QVector<int>{2} << 0;
    QTest::newRow("3") << 3 << QVector<int>{} << QVector<int>{3} << 0;
    QTest::newRow("4") << 4 << QVector<int>{} << QVector<int>{2, 2} << 1;
    QTest::newRow("5") << 5 << QVector<int>{} << QVector<int>{2, 2, 1} << 1;
    QTest::newRow("6") << 6 << QVector<int>{} << QVector<int>{2, 2, 2} << 1;
    QTest::newRow("7") << 7 << QVector<int>{} << QVector<int>{3, 3, 1} << 1;
    QTest::newRow("8") << 8 << QVector<int>{} << QVector<int>{3, 3, 2} << 1;
    QTest::newRow("5, two disabled") << 5 << QVector<int>{1, 3} << QVector<int>{3} << 0;
    QTest::newRow("8, one disabled") << 8 << QVector<int>{7} << QVector<int>{3, 3, 1} << 1;
    QTest::newRow("2, both disabled") << 2 << QVector<int>{0, 1} << QVector<int>{} << 0;
}

void CameraWgtBoxTest::laysOutTheEnabledPanels()
{
    QFETCH(int, cameras);
    QFETCH(QVector<int>, disabled);
    QFETCH(QVector<int>, rows);
    QFETCH(int, layoutMode);
    TempWorkDir work;
    cameraCount = cameras;

    std::vector<std::unique_ptr<TestCamera>> drivers;
    QList<CameraInterface *> list;
    for (int i = 0; i < cameras; ++i) {
        drivers.push_back(std::make_unique<TestCamera>(32, 24));
        list.append(drivers.back().get());
    }
    CameraWgtBox box(list, nullptr);
    box.resize(1200, 900);
    QCOMPARE(box.panels.size(), cameras);
    for (CameraWgt_DataWidget *panel : qAsConst(box.panels)) {
        panel->enabled = !disabled.contains(panel->cameraIndex);
        panel->setVisible(panel->enabled);
    }
    box.rebuildGrid();
    box.equalizeSizes();
    box.slotChangeCameraLayout(-1);

    QCOMPARE(box.outerSplitter()->count(), rows.size());
    int next = 0;
    for (int r = 0; r < rows.size(); ++r) {
        const auto *row = qobject_cast<QSplitter *>(box.outerSplitter()->widget(r));
        QVERIFY(row);
        QCOMPARE(row->count(), rows.at(r));
        for (int k = 0; k < row->count(); ++k) {
            while (disabled.contains(next))
                ++next;
            // Enabled panels in camera order, each in its place, with the grid's layout mode.
            QCOMPARE(row->widget(k), box.panel(next));
            QCOMPARE(box.panel(next)->layoutModeValue(), layoutMode);
            QVERIFY(box.panel(next)->isVisible());
            QCOMPARE(box.cammerWidget(next)->cameraIndex, next);
            ++next;
        }
    }
    for (int i : disabled) {
        QVERIFY(!box.panel(i)->isVisible());
        QVERIFY(!box.isPanelEnabled(i));
    }
    QVERIFY(box.isPanelEnabled(-1));

    // One camera alone, then all again; disabled panels stay hidden throughout.
    const int alone = rows.isEmpty() ? -1 : [&] {
        int i = 0;
        while (disabled.contains(i))
            ++i;
        return i;
    }();
    if (alone >= 0) {
        box.slotChangeCameraLayout(alone);
        for (CameraWgt_DataWidget *panel : qAsConst(box.panels))
            QCOMPARE(panel->isVisible(), panel->cameraIndex == alone);
        box.slotChangeCameraLayout(-1);
        for (CameraWgt_DataWidget *panel : qAsConst(box.panels))
            QCOMPARE(panel->isVisible(), panel->enabled);
    }

    // The settings enable every camera again: the grid is laid out anew, no old row stays.
    for (CameraWgt_DataWidget *panel : qAsConst(box.panels))
        panel->enabled = true;
    box.rebuildGrid();
    box.equalizeSizes();
    const int perRow = CameraWgtBox::panelsPerRow(cameras);
    QCOMPARE(box.outerSplitter()->count(), (cameras + perRow - 1) / perRow);
    for (CameraWgt_DataWidget *panel : qAsConst(box.panels)) {
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->layoutModeValue(), CameraWgtBox::layoutModeFor(cameras));
    }
}

void CameraWgtBoxTest::outOfRangeLookUpsGiveNothing()
{
    TempWorkDir work;
    TestCamera driver(16, 16);
    CameraWgtBox box({&driver}, nullptr);
    QVERIFY(box.cammerWidget(0));
    QVERIFY(!box.cammerWidget(1));
    QVERIFY(!box.cammerWidget(8));
    QVERIFY(!box.panel(-1));
}

QTEST_MAIN(CameraWgtBoxTest)
#include "tst_CameraWgtBox.moc"
