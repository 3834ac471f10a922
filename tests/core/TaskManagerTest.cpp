#include "core/TaskManager.h"
#include "tests/support/FakeStationHost.h"

#include <QtTest>
#include <QWidget>

// A widget that counts its paints.
class PaintCounter : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

// Stands for the status bar's time display, found by its class name.
class DottomDock_Describe_part1 : public PaintCounter
{
    Q_OBJECT
public:
    using PaintCounter::PaintCounter;
};

class TaskManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void tickBeforeMainWindowDoesNothing();
    void tickRepaintsStatusDisplayAndPanels();
    void startTicksRepeatedly();
};

void TaskManagerTest::tickBeforeMainWindowDoesNothing()
{
    QVERIFY(!stationHost);
    TaskManager::instance()->SlotLoopShowTask();
}

void TaskManagerTest::tickRepaintsStatusDisplayAndPanels()
{
    QWidget window;
    window.resize(400, 300);
    // The display sits two levels below the window; a widget of another class with the same
    // name (found first) and one of the same class with another name must be left alone.
    auto *sameName = new PaintCounter(&window);
    sameName->setObjectName(QStringLiteral("DottomDock_Describe_part1"));
    sameName->setGeometry(0, 0, 100, 100);
    auto *bar = new QWidget(&window);
    bar->setGeometry(0, 200, 400, 100);
    auto *display = new DottomDock_Describe_part1(bar);
    display->setObjectName(QStringLiteral("DottomDock_Describe_part1"));
    display->setGeometry(0, 0, 100, 100);
    auto *sameClass = new DottomDock_Describe_part1(&window);
    sameClass->setObjectName(QStringLiteral("clock"));
    sameClass->setGeometry(200, 0, 100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    display->paints = sameName->paints = sameClass->paints = 0;

    FakeStationHost host;
    host.widget = &window;
    TaskManager::instance()->SlotLoopShowTask();
    QCoreApplication::processEvents();

    QCOMPARE(host.panelTitleUpdates, 1);
    QCOMPARE(display->paints, 1);
    QCOMPARE(sameName->paints, 0);
    QCOMPARE(sameClass->paints, 0);

    // Without a display of that name only the panels are asked.
    delete display;
    TaskManager::instance()->SlotLoopShowTask();
    QCOMPARE(host.panelTitleUpdates, 2);
}

void TaskManagerTest::startTicksRepeatedly()
{
    FakeStationHost host;
    TaskManager::instance()->Start();
    QTRY_VERIFY(host.panelTitleUpdates >= 3);
}

QTEST_MAIN(TaskManagerTest)
#include "TaskManagerTest.moc"
