#include "machineio/ControlPort.h"
#include "core/ParameterNames.h"
#include "tests/machineio/IOTestGlobals.h"

#include <QtTest>

#include <memory>

// Runs without a polling thread: the tests stand in for it by writing ioInputWord.
class TestControlPort : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void outputs_data();
    void outputs();
    void publishing();
    void inputs_data();
    void inputs();
    void inputsWithoutPolaritySetting();
    void doorRule_data();
    void doorRule();

private:
    void setInputWord(qint32 word);
    int outputBits(const ControlPort &port) const;

    std::unique_ptr<IOTestGlobals> globals;
    SystemParameters &params() { return globals->params; }
};

void TestControlPort::init()
{
    globals = std::make_unique<IOTestGlobals>();
}

void TestControlPort::cleanup()
{
    globals.reset();
}

void TestControlPort::setInputWord(qint32 word)
{
    QMutexLocker locker(ioMutex);
    ioInputWord = word;
}

int TestControlPort::outputBits(const ControlPort &port) const
{
    int bits = 0;
    for (int i = 0; i < 10; ++i)
        bits |= int(port.GetIOState(true, i)) << i;
    return bits;
}

void TestControlPort::outputs_data()
{
    QTest::addColumn<int>("idleLevels"); // bit i: idle level of output i + 1
    QTest::addColumn<int>("spareOutput");
    // "n+" / "n-": SetOutput(n, on/off); "n*": SetOutputProvisionally(n, on); "R": ResetOutputs;
    // "S": SettleProvisionalOutputs
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("bits");

    QTest::newRow("idle low, alarm on") << 0 << 0 << "2+" << 0x004;
    QTest::newRow("idle high, alarm on clears its bit") << 0x3FF << 0 << "2+" << 0x3FB;
    QTest::newRow("idle high, all off is the idle word") << 0x3FF << 0 << "0- 1- 2-" << 0x3FF;
    QTest::newRow("output 4 on its own") << 0 << 0 << "3+" << 0x008;
    QTest::newRow("output 10") << 0 << 0 << "9+" << 0x200;
    QTest::newRow("spare follows output 2, on") << 0 << 2 << "1+" << 0x00A;
    QTest::newRow("spare follows output 2, off again") << 0 << 2 << "1+ 1-" << 0x000;
    QTest::newRow("spare follows idle-high output 2") << 0x002 << 2 << "1+" << 0x000;
    QTest::newRow("reset: spare after output 2 ends at output 4's idle level")
        << 0x002 << 2 << "1+ R" << 0x002;
    QTest::newRow("reset: spare after output 6 ends at output 6's idle level")
        << 0x020 << 6 << "R" << 0x028;
    QTest::newRow("reset after outputs on") << 0x005 << 0 << "0+ 1+ 2+ R" << 0x005;
    QTest::newRow("outputs out of range are ignored") << 0 << 0 << "10+ -1+" << 0x000;
    QTest::newRow("provisional: on until settled") << 0 << 0 << "1*" << 0x002;
    QTest::newRow("provisional: settled back to off") << 0 << 0 << "1* S" << 0x000;
    QTest::newRow("provisional: settled back to on") << 0 << 0 << "1+ 1* S" << 0x002;
    QTest::newRow("provisional: set since, stays on") << 0 << 0 << "1* 1+ S" << 0x002;
    QTest::newRow("provisional: let go since, stays off") << 0x3FF << 0 << "0* 0- S" << 0x3FF;
    QTest::newRow("provisional: twice, back to the first level") << 0 << 0 << "1* 1* S" << 0x000;
    QTest::newRow("provisional: others written meanwhile stay") << 0 << 0 << "1* 0+ S" << 0x001;
    QTest::newRow("provisional: reset since, stays idle") << 0x3FF << 0 << "0* R S" << 0x3FF;
    QTest::newRow("provisional: spare output follows back") << 0 << 2 << "1* S" << 0x000;
    QTest::newRow("provisional: settled twice") << 0 << 0 << "1* S 1+ S" << 0x002;
}

void TestControlPort::outputs()
{
    QFETCH(int, idleLevels);
    QFETCH(int, spareOutput);
    QFETCH(QString, steps);
    QFETCH(int, bits);

    for (int i = 0; i < 10; ++i)
        params()[Param::OutputIdleLevel + i] = (idleLevels >> i) & 1;
    params()[Param::SpareOutputSource] = spareOutput;

    ControlPort port(QStringLiteral("/nonexistent"));
    for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
        if (step == QLatin1String("R")) {
            port.ResetOutputs();
            continue;
        }
        if (step == QLatin1String("S")) {
            port.SettleProvisionalOutputs();
            continue;
        }
        if (step.endsWith('*')) {
            port.SetOutputProvisionally(step.chopped(1).toInt(), true);
            continue;
        }
        const int output = step.chopped(1).toInt();
        if (output < 0 || output > 9)
            QTest::ignoreMessage(QtWarningMsg, qPrintable(QStringLiteral("ControlPort::SetOutput: no output %1").arg(output)));
        port.SetOutput(output, step.endsWith('+'));
    }
    QCOMPARE(outputBits(port), bits);

    port.PublishOutputs();
    QMutexLocker locker(ioMutex);
    QCOMPARE(ioOutputWord, qint32(0xFFFFFC00) | bits);
}

void TestControlPort::publishing()
{
    params()[Param::OutputIdleLevel] = 1;
    ControlPort port(QStringLiteral("/nonexistent"));
    {
        // The constructor publishes the idle word.
        QMutexLocker locker(ioMutex);
        QCOMPARE(ioOutputWord, qint32(0xFFFFFC01));
    }
    QSignalSpy changed(&port, &ControlPort::sigIOChange);
    port.PublishOutputs();
    QCOMPARE(changed.count(), 0);

    port.SetOutput(0, true);
    port.PublishOutputs();
    port.PublishOutputs();
    QCOMPARE(changed.count(), 1);
    QMutexLocker locker(ioMutex);
    QCOMPARE(ioOutputWord, qint32(0xFFFFFC00));
}

void TestControlPort::inputs_data()
{
    QTest::addColumn<int>("polarities"); // bit i: polarity of input i + 1
    QTest::addColumn<int>("spareInput");
    QTest::addColumn<int>("input");
    QTest::addColumn<QVector<int>>("words");
    QTest::addColumn<QString>("edges"); // CheckInput(input) after each word
    QTest::addColumn<bool>("levelAfter");

    QTest::newRow("a rising edge is reported once")
        << 0 << 0 << 0 << QVector<int>{0, 1, 1, 1, 0, 1} << "010001" << true;
    QTest::newRow("inverted input rises when the wire falls")
        << 0x01 << 0 << 0 << QVector<int>{1, 0, 0, 1, 0} << "01001" << true;
    QTest::newRow("inverted input, wire low from the start is no edge")
        << 0x04 << 0 << 2 << QVector<int>{0, 0} << "00" << true;
    QTest::newRow("other inputs do not disturb")
        << 0 << 0 << 2 << QVector<int>{0x004, 0x0FB, 0x0FF} << "101" << true;
    QTest::newRow("input 8")
        << 0 << 0 << 7 << QVector<int>{0x000, 0x080} << "01" << true;
    QTest::newRow("spare input stands in for input 2")
        << 0 << 2 << 1 << QVector<int>{0x000, 0x008, 0x008} << "010" << true;
    QTest::newRow("with a spare input, input 2's own wire is ignored")
        << 0 << 2 << 1 << QVector<int>{0x002} << "0" << false;
    QTest::newRow("spare input for input 1, inverted")
        << 0x01 << 1 << 0 << QVector<int>{0x008, 0x000} << "01" << true;
    QTest::newRow("spare input mode 4 is none")
        << 0 << 4 << 0 << QVector<int>{0x008} << "0" << false;
}

void TestControlPort::inputs()
{
    QFETCH(int, polarities);
    QFETCH(int, spareInput);
    QFETCH(int, input);
    QFETCH(QVector<int>, words);
    QFETCH(QString, edges);
    QFETCH(bool, levelAfter);

    for (int i = 0; i < 8; ++i)
        params()[Param::InputPolarity + i] = (polarities >> i) & 1;
    params()[Param::SpareInputMode] = spareInput;

    ControlPort port(QStringLiteral("/nonexistent"));
    QString seen;
    for (int word : words) {
        setInputWord(word);
        // A look at the pending edges leaves them to CheckInput.
        const bool pending = (port.PendingRisingEdges() >> input) & 1;
        const bool rose = port.CheckInput(input);
        QCOMPARE(pending, rose);
        seen += rose ? '1' : '0';
    }
    QCOMPARE(seen, edges);
    QCOMPARE(port.GetIOState(false, input), levelAfter);
}

void TestControlPort::inputsWithoutPolaritySetting()
{
    // Inputs 9 and 10 have no polarity setting; the indices after inputs 1..8 are not theirs
    // (108 is output 1's idle level, high by default).
    params()[Param::InputPolarity + 8] = 1;
    params()[Param::OutputIdleLevel] = 1;
    ControlPort port(QStringLiteral("/nonexistent"));
    setInputWord(0x100);
    port.CheckInput(0);
    QCOMPARE(port.GetIOState(false, 8), true);
    QCOMPARE(port.GetIOState(false, 9), false);
    QCOMPARE(port.GetIOState(false, 10), false);
}

void TestControlPort::doorRule_data()
{
    QTest::addColumn<int>("machineMode");
    QTest::addColumn<int>("alarmIdle");
    QTest::addColumn<int>("spareOutput");
    QTest::addColumn<int>("doorPolarity");
    QTest::addColumn<bool>("alarmOn");      // alarm output logically on when the door opens
    QTest::addColumn<bool>("alarmOnAfter"); // logical state afterwards
    QTest::addColumn<bool>("doorFlag");

    QTest::newRow("standard, idle low") << 0 << 0 << 0 << 0 << true << false << true;
    QTest::newRow("standard, idle high") << 0 << 1 << 0 << 0 << true << false << true;
    QTest::newRow("standard, idle high, spare follows the alarm") << 0 << 1 << 3 << 0 << true << false << true;
    QTest::newRow("standard, inverted door input") << 0 << 1 << 0 << 1 << true << false << true;
    QTest::newRow("standard, no alarm") << 0 << 1 << 0 << 0 << false << false << true;
    QTest::newRow("two-colour machine") << 1 << 0 << 0 << 0 << true << true << false;
    QTest::newRow("turntable machine") << 2 << 1 << 0 << 0 << true << true << false;
}

void TestControlPort::doorRule()
{
    QFETCH(int, machineMode);
    QFETCH(int, alarmIdle);
    QFETCH(int, spareOutput);
    QFETCH(int, doorPolarity);
    QFETCH(bool, alarmOn);
    QFETCH(bool, alarmOnAfter);
    QFETCH(bool, doorFlag);

    params()[Param::MachineMode] = machineMode;
    params()[Param::OutputIdleLevel + 2] = alarmIdle;
    params()[Param::SpareOutputSource] = spareOutput;
    params()[Param::InputPolarity + 1] = doorPolarity;
    const qint32 doorClosed = doorPolarity ? 0x000 : 0x002;
    const qint32 doorOpen = doorClosed ^ 0x002;

    ControlPort port(QStringLiteral("/nonexistent"));
    setInputWord(doorClosed);
    for (int input = 0; input < 8; ++input)
        port.CheckInput(input);
    port.SetOutput(2, alarmOn);
    port.PublishOutputs();
    QVERIFY(!doorOpenedSinceAlarm);

    // One pass of the run controller with the door open.
    setInputWord(doorOpen);
    for (int input = 0; input < 8; ++input)
        port.CheckInput(input);

    const bool alarmBit = alarmOnAfter != bool(alarmIdle);
    QCOMPARE(port.GetIOState(true, 2), alarmBit);
    if (spareOutput == 3)
        QCOMPARE(port.GetIOState(true, 3), alarmBit);
    QCOMPARE(doorOpenedSinceAlarm, doorFlag);
    QMutexLocker locker(ioMutex);
    QCOMPARE(bool(ioOutputWord & 0x004), alarmBit);
}

QTEST_APPLESS_MAIN(TestControlPort)
#include "tst_controlport.moc"
