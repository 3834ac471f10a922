#include "core/PlatformHelpers.h"
#include "tests/support/MessageRecorder.h"

#include <QLibrary>
#include <QtTest>

// Drives the lamps through our own build of the lamp library in the runtime folder. A write
// that works leaves no line in the log (the heartbeat lamp writes every second); failures do.
class LampTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void drivesLamps_data();
    void drivesLamps();
    void missingLibraryIsReportedOnce();

private:
    QString libraryFile;
    QLibrary library;
    LdioSetFailuresFunction setFailures = nullptr;
    LdioWriteAttemptsFunction writeAttempts = nullptr;
    LdioResetFunction reset = nullptr;
    GpioReadFunction readLamp = nullptr;
};

void LampTest::initTestCase()
{
    const QByteArray binaryDir = qgetenv("MM_BINARY_DIR");
    QVERIFY2(!binaryDir.isEmpty(), "MM_BINARY_DIR names the build folder");
    libraryFile = QString::fromLocal8Bit(binaryDir) + QStringLiteral("/runtime/LDIO_DLL");
    library.setFileName(libraryFile);
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    setFailures = reinterpret_cast<LdioSetFailuresFunction>(library.resolve("LDIO_SetFailures"));
    writeAttempts = reinterpret_cast<LdioWriteAttemptsFunction>(library.resolve("LDIO_WriteAttempts"));
    reset = reinterpret_cast<LdioResetFunction>(library.resolve("LDIO_Reset"));
    readLamp = reinterpret_cast<GpioReadFunction>(library.resolve("GPIO_Read"));
    QVERIFY(setFailures && writeAttempts && reset && readLamp);
}

void LampTest::init()
{
    reset();
    gpioUsable = true;
    gpioWrite = nullptr;
}

void LampTest::drivesLamps_data()
{
    QTest::addColumn<bool>("initFails");
    QTest::addColumn<bool>("writeFails");
    QTest::addColumn<int>("led");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("lampState");   // state of the channel afterwards; -1 none

    QTest::newRow("red lamp 3 on") << false << false << 1
                                   << QStringList{"初始化成功"} << 1 << 1;
    QTest::newRow("green lamp 2 on") << false << false << 2
                                     << QStringList{"初始化成功"} << 1 << 1;
    QTest::newRow("write fails") << false << true << 3
                                 << QStringList{"初始化成功", "LED 写入失败"} << 1 << 0;
    QTest::newRow("channel without a lamp") << false << false << 5
                                            << QStringList{"初始化成功", "LED 写入失败"} << 1 << -1;
    QTest::newRow("init fails") << true << false << 0
                                << QStringList{"LD GPIO J6412 LED 因初始化失败, 导致写入失败"}
                                << 0 << 0;
}

void LampTest::drivesLamps()
{
    QFETCH(bool, initFails);
    QFETCH(bool, writeFails);
    QFETCH(int, led);
    QFETCH(QStringList, messages);
    QFETCH(int, writes);
    QFETCH(int, lampState);

    setFailures(initFails, writeFails);
    MessageRecorder recorder;
    loadLampLibrary(libraryFile);
    QCOMPARE(gpioUsable, !initFails);
    setStatusLed(led, 1);

    QCOMPARE(recorder.messages(), messages);
    QCOMPARE(writeAttempts(), writes);
    if (lampState >= 0)
        QCOMPARE(int(readLamp(std::uint8_t(led))), lampState);
}

void LampTest::missingLibraryIsReportedOnce()
{
    MessageRecorder recorder;
    loadLampLibrary(QStringLiteral("/nonexistent/LDIO_DLL"));
    QVERIFY(!gpioUsable);
    QCOMPARE(recorder.messages().size(), 1);
    QVERIFY(recorder.messages().first().startsWith(QStringLiteral("LDIO_DLL.dll 加载失败: ")));

    // The heartbeat lamp writes every second for the whole run: one report is enough.
    recorder.clear();
    for (int i = 0; i < 5; ++i)
        setStatusLed(2, i % 2);
    QCOMPARE(recorder.messages(),
             QStringList({"LD GPIO J6412 LED 因初始化失败, 导致写入失败"}));
}

QTEST_GUILESS_MAIN(LampTest)
#include "LampTest.moc"
