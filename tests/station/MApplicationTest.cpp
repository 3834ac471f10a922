#include "core/Globals.h"
#include "core/SystemParameters.h"
#include "platform/system/RecordingSystemActions.h"
#include "station/MApplication.h"
#include "tests/support/FakeStationHost.h"
#include "tests/support/MessageRecorder.h"

#include <QElapsedTimer>
#include <QtTest>
#include <QWidget>

namespace {

using Param::BacklightSeconds;
using Param::LogoutSeconds;

class PressCounter : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        QWidget::mousePressEvent(event);
    }
};

} // namespace

class MApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void touchOnDarkScreenOnlyWakesIt();
    void touchRestartsTimersThatAreSet_data();
    void touchRestartsTimersThatAreSet();
    void touchWithoutParametersIsDelivered();
    void touchesLogAtMostOnceASecond();

private:
    void press();

    SystemParameters params;
    PressCounter target;
};

void MApplicationTest::init()
{
    params = SystemParameters();
    params[LogoutSeconds] = 60;
    params[BacklightSeconds] = 30;
    currentParams = &params;
    target.presses = 0;
    target.show();
    QVERIFY(QTest::qWaitForWindowExposed(&target));
}

void MApplicationTest::cleanup()
{
    currentParams = nullptr;
}

void MApplicationTest::press()
{
    QTest::mouseClick(&target, Qt::LeftButton);
}

void MApplicationTest::touchOnDarkScreenOnlyWakesIt()
{
    RecordingSystemActions system;
    FakeStationHost host;
    host.dark = true;

    press();
    QCOMPARE(target.presses, 0);
    QVERIFY(!host.dark);
    QCOMPARE(system.actions, QStringList{"backlight on"});
    QCOMPARE(host.screenOffTimerMs, 30000);
    QCOMPARE(host.logoutTimerMs, 60000);

    press();
    QCOMPARE(target.presses, 1);
    QCOMPARE(system.actions, QStringList{"backlight on"});
}

void MApplicationTest::touchRestartsTimersThatAreSet_data()
{
    QTest::addColumn<int>("logoutSeconds");
    QTest::addColumn<int>("backlightSeconds");
    QTest::addColumn<int>("logoutTimerMs");
    QTest::addColumn<int>("screenOffTimerMs");

    QTest::newRow("both set") << 45 << 120 << 45000 << 120000;
    QTest::newRow("logout off") << 0 << 120 << -1 << 120000;
    QTest::newRow("screen-off off") << 45 << 0 << 45000 << -1;
    QTest::newRow("negative is off") << -5 << -1 << -1 << -1;
}

void MApplicationTest::touchRestartsTimersThatAreSet()
{
    QFETCH(int, logoutSeconds);
    QFETCH(int, backlightSeconds);
    QFETCH(int, logoutTimerMs);
    QFETCH(int, screenOffTimerMs);

    params[LogoutSeconds] = logoutSeconds;
    params[BacklightSeconds] = backlightSeconds;
    RecordingSystemActions system;
    FakeStationHost host;

    press();
    QCOMPARE(target.presses, 1);
    QCOMPARE(host.logoutTimerMs, logoutTimerMs);
    QCOMPARE(host.screenOffTimerMs, screenOffTimerMs);
    QVERIFY(system.actions.isEmpty());
}

void MApplicationTest::touchWithoutParametersIsDelivered()
{
    currentParams = nullptr;
    FakeStationHost host;
    host.dark = true;
    press();
    QCOMPARE(target.presses, 1);
    QVERIFY(host.dark);
    QCOMPARE(host.logoutTimerMs, -1);
}

void MApplicationTest::touchesLogAtMostOnceASecond()
{
    MessageRecorder recorder;
    MApplication::lastTouchLog = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 50; ++i)
        press();
    const qint64 elapsedSeconds = clock.elapsed() / 1000;

    QCOMPARE(target.presses, 50);
    const int lines = recorder.count(QStringLiteral("MApplication::notify touch once!"));
    QVERIFY(lines >= 1);
    QVERIFY2(lines <= elapsedSeconds + 1, qPrintable(QString::number(lines)));
}

int main(int argc, char **argv)
{
    MApplication app(argc, argv);
    MApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MApplicationTest.moc"
