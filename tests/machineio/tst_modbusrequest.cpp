#include "machineio/ModbusRegisters.h"
#include "machineio/ModbusRequest.h"

#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Runs the handler over everything the buffer holds, as the server does after each arrival.
ModbusFraming drain(QByteArray *buffer, ModbusRegisters *registers, QByteArray *replies,
                    QList<int> *written)
{
    for (;;) {
        QByteArray reply;
        QList<int> indices;
        const ModbusFraming framing = takeModbusRequest(buffer, registers, &reply, &indices);
        if (framing != ModbusFraming::Taken)
            return framing;
        *replies += reply;
        *written += indices;
    }
}

void fillReadRegisters(ModbusRegisters *registers)
{
    // Register 0: detecting; 1: no alarm; 2: parameter group 5; then a pattern.
    registers->setReads(0, {1, 0, 5});
    for (int i = 3; i < ModbusRegisters::Count; ++i)
        registers->setRead(i, quint16(0x1000 + i));
}

} // namespace

class TestModbusRequest : public QObject
{
    Q_OBJECT

private slots:
    void requests_data();
    void requests();
    void unframeable_data();
    void unframeable();
};

void TestModbusRequest::requests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QList<int>>("written");
    QTest::addColumn<QList<int>>("values"); // WriteData at the written indices

    QTest::newRow("read three registers")
        << hex("0001 0000 0006 01 03 0000 0003")
        << hex("0001 0000 0009 01 03 06 0001 0000 0005") << QList<int>() << QList<int>();
    QTest::newRow("read the last registers")
        << hex("0007 0000 0006 01 03 01EF 0005")
        << hex("0007 0000 000D 01 03 0A 11EF 11F0 11F1 11F2 11F3") << QList<int>() << QList<int>();
    QTest::newRow("write one register")
        << hex("0002 0000 0009 01 10 0000 0001 02 0005")
        << hex("0002 0000 0006 01 10 0000 0001") << QList<int>{0} << QList<int>{5};
    QTest::newRow("write with transaction id 0x0110")
        << hex("0110 0000 0009 01 10 0007 0001 02 1234")
        << hex("0110 0000 0006 01 10 0007 0001") << QList<int>{7} << QList<int>{0x1234};
    QTest::newRow("write data that looks like a read request")
        << hex("0003 0000 000D 01 10 000A 0003 06 0601 0300 0000")
        << hex("0003 0000 0006 01 10 000A 0003") << QList<int>{10, 11, 12}
        << QList<int>{0x0601, 0x0300, 0x0000};
    QTest::newRow("write to the last register, high bit set")
        << hex("0004 0000 0009 01 10 01F3 0001 02 FFFE")
        << hex("0004 0000 0006 01 10 01F3 0001") << QList<int>{499} << QList<int>{0xFFFE};
    QTest::newRow("two requests in one segment, both answered")
        << hex("0005 0000 0006 01 03 0001 0001") + hex("0006 0000 0009 01 10 0001 0001 02 0009")
        << hex("0005 0000 0005 01 03 02 0000") + hex("0006 0000 0006 01 10 0001 0001")
        << QList<int>{1} << QList<int>{9};

    // Refused with the standard exception responses.
    QTest::newRow("read of no register")
        << hex("0010 0000 0006 01 03 0000 0000") << hex("0010 0000 0003 01 83 03") << QList<int>() << QList<int>();
    QTest::newRow("read of 126 registers")
        << hex("0011 0000 0006 01 03 0000 007E") << hex("0011 0000 0003 01 83 03") << QList<int>() << QList<int>();
    QTest::newRow("read count 0xFFFF is unsigned")
        << hex("0012 0000 0006 01 03 0000 FFFF") << hex("0012 0000 0003 01 83 03") << QList<int>() << QList<int>();
    QTest::newRow("read running past register 499")
        << hex("0013 0000 0006 01 03 01F0 0005") << hex("0013 0000 0003 01 83 02") << QList<int>() << QList<int>();
    QTest::newRow("read start 0x8000 is unsigned")
        << hex("0014 0000 0006 01 03 8000 0001") << hex("0014 0000 0003 01 83 02") << QList<int>() << QList<int>();
    QTest::newRow("read with extra bytes")
        << hex("0015 0000 0007 01 03 0000 0001 00") << hex("0015 0000 0003 01 83 03") << QList<int>() << QList<int>();
    QTest::newRow("write of 124 registers")
        << hex("0020 0000 0009 01 10 0000 007C 02 0001") << hex("0020 0000 0003 01 90 03") << QList<int>() << QList<int>();
    QTest::newRow("write running past register 499")
        << hex("0021 0000 000B 01 10 01F3 0002 04 0001 0002") << hex("0021 0000 0003 01 90 02")
        << QList<int>() << QList<int>();
    QTest::newRow("write start 0xFFFF is unsigned")
        << hex("0022 0000 0009 01 10 FFFF 0001 02 0001") << hex("0022 0000 0003 01 90 02") << QList<int>() << QList<int>();
    QTest::newRow("write whose byte count does not match")
        << hex("0023 0000 0009 01 10 0000 0002 02 0001") << hex("0023 0000 0003 01 90 03") << QList<int>() << QList<int>();
    QTest::newRow("write with fewer registers than announced stores nothing")
        << hex("0024 0000 000B 01 10 0000 0003 06 0001 0002") << hex("0024 0000 0003 01 90 03")
        << QList<int>() << QList<int>();
    QTest::newRow("write single register is an illegal function")
        << hex("0025 0000 0006 01 06 0000 0001") << hex("0025 0000 0003 01 86 01") << QList<int>() << QList<int>();
    QTest::newRow("read input registers is an illegal function")
        << hex("0026 0000 0006 01 04 0000 0001") << hex("0026 0000 0003 01 84 01") << QList<int>() << QList<int>();

    // Not answered, and the stream stays in step.
    QTest::newRow("write for unit 2, then a read for unit 1")
        << hex("0030 0000 0009 02 10 0000 0001 02 0005") + hex("0031 0000 0006 01 03 0002 0001")
        << hex("0031 0000 0005 01 03 02 0005") << QList<int>() << QList<int>();
    QTest::newRow("protocol id 1, then a read")
        << hex("0032 0001 0006 01 03 0000 0001") + hex("0033 0000 0006 01 03 0000 0001")
        << hex("0033 0000 0005 01 03 02 0001") << QList<int>() << QList<int>();
}

void TestModbusRequest::requests()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(QList<int>, written);
    QFETCH(QList<int>, values);

    // Split at every byte boundary: the first part never yields more than the answers to the
    // requests it holds whole, and the whole stream yields exactly the expected answers.
    for (int split = 0; split <= request.size(); ++split) {
        ModbusRegisters registers;
        fillReadRegisters(&registers);
        QByteArray buffer = request.left(split);
        QByteArray replies;
        QList<int> indices;
        QCOMPARE(drain(&buffer, &registers, &replies, &indices), ModbusFraming::Incomplete);
        QVERIFY2(reply.startsWith(replies), qPrintable(QStringLiteral("split at %1").arg(split)));

        buffer += request.mid(split);
        QCOMPARE(drain(&buffer, &registers, &replies, &indices), ModbusFraming::Incomplete);
        QCOMPARE(replies.toHex(' '), reply.toHex(' '));
        QCOMPARE(indices, written);
        QVERIFY(buffer.isEmpty());
        for (int i = 0; i < written.size(); ++i)
            QCOMPARE(int(registers.written(written[i])), values[i]);
        if (written.isEmpty()) {
            for (int i = 0; i < ModbusRegisters::Count; ++i)
                QCOMPARE(registers.written(i), quint16(0));
        }
    }
}

void TestModbusRequest::unframeable_data()
{
    QTest::addColumn<QByteArray>("request");

    QTest::newRow("length 0xFFFF") << hex("0001 0000 FFFF 01 03 0000 0001");
    QTest::newRow("length past the largest request") << hex("0001 0000 00FF 01 10");
    QTest::newRow("length without a function code") << hex("0001 0000 0001 01");
}

void TestModbusRequest::unframeable()
{
    QFETCH(QByteArray, request);
    ModbusRegisters registers;
    QByteArray buffer = request;
    QByteArray replies;
    QList<int> indices;
    QCOMPARE(drain(&buffer, &registers, &replies, &indices), ModbusFraming::Unframeable);
    QVERIFY(replies.isEmpty());
}

QTEST_APPLESS_MAIN(TestModbusRequest)
#include "tst_modbusrequest.moc"
