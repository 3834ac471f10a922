#include "station/ProductionCounters.h"
#include "station/RunSettings.h"
#include "tests/support/TempWorkDir.h"

#include <QFile>
#include <QtTest>

class ProductionCountersTest : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void writeThenRead();
    void registers();
    void timerPeriods_data();
    void timerPeriods();
};

void ProductionCountersTest::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QVector<int>>("camera0"); // total, NG
    QTest::addColumn<QVector<int>>("camera7");
    QTest::addColumn<QVector<int>>("cycles");

    const QByteArray middle = QByteArray("0 0 ").repeated(6);
    QTest::newRow("as written") << QByteArray("12 3 ") + middle + "4 1 16 4 " << true
                                << QVector<int>{12, 3} << QVector<int>{4, 1} << QVector<int>{16, 4};
    QTest::newRow("camera count at the limit stays") << QByteArray("100000000 100000000 ") + middle + "0 0 7 7 "
                                                     << true << QVector<int>{100000000, 100000000}
                                                     << QVector<int>{0, 0} << QVector<int>{7, 7};
    QTest::newRow("count above the limit or negative is 0")
        << QByteArray("100000001 -1 ") + middle + "0 0 -5 2147483647 " << true << QVector<int>{0, 0}
        << QVector<int>{0, 0} << QVector<int>{0, 2147483647};
    QTest::newRow("cut short") << QByteArray("9 2\n5") << true << QVector<int>{9, 2} << QVector<int>{0, 0}
                               << QVector<int>{0, 0};
    QTest::newRow("not numbers") << QByteArray("x y ") + middle + "0 0 z 3" << true << QVector<int>{0, 0}
                                 << QVector<int>{0, 0} << QVector<int>{0, 3};
    QTest::newRow("missing file") << QByteArray() << false << QVector<int>{0, 0} << QVector<int>{0, 0}
                                  << QVector<int>{0, 0};
}

void ProductionCountersTest::read()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, opened);
    QFETCH(QVector<int>, camera0);
    QFETCH(QVector<int>, camera7);
    QFETCH(QVector<int>, cycles);
    TempWorkDir work;
    if (opened) {
        QFile out(QStringLiteral("count.txt"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    cycleTotalCount = 99;   // left from before: a failed read must not keep it
    QCOMPARE(readProductionCounters(), opened);
    QCOMPARE((QVector<int>{cameraTotalCount[0], cameraNgCount[0]}), camera0);
    QCOMPARE((QVector<int>{cameraTotalCount[7], cameraNgCount[7]}), camera7);
    QCOMPARE((QVector<int>{cycleTotalCount, cycleNgCount}), cycles);
}

void ProductionCountersTest::writeThenRead()
{
    TempWorkDir work;
    clearProductionCounters();
    QVERIFY(writeProductionCounters());
    QFile file(QStringLiteral("count.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("0 ").repeated(18));
    file.close();

    cameraTotalCount[2] = 5;
    cameraNgCount[2] = 1;
    cycleTotalCount = 5;
    cycleNgCount = 1;
    QVERIFY(writeProductionCounters());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("0 0 0 0 5 1 ") + QByteArray("0 0 ").repeated(5) + "5 1 ");
    file.close();
    clearProductionCounters();
    QVERIFY(readProductionCounters());
    QCOMPARE(cameraTotalCount[2], 5);
    QCOMPARE(cycleNgCount, 1);

    // A file that cannot be written is reported.
    QVERIFY(!writeProductionCounters(QStringLiteral("no-such-folder/count.txt")));
}

// Each 32-bit count as two registers, high word first; the good count wraps like the counters.
void ProductionCountersTest::registers()
{
    clearProductionCounters();
    cycleTotalCount = 70000;
    cycleNgCount = 1;
    cameraTotalCount[0] = 70000;
    cameraNgCount[0] = 0;
    cameraTotalCount[1] = std::numeric_limits<qint32>::min();
    cameraNgCount[1] = 1;
    const QVector<short> values = productionCounterRegisters(2);
    const QVector<short> expected = {1, 4464, 0, 1, 1, 4463,
                                     1, 4464, 0, 0, 1, 4464,
                                     short(0x8000), 0, 0, 1, 0x7FFF, short(0xFFFF)};
    QCOMPARE(values, expected);
    QCOMPARE(productionCounterRegisters(0).size(), 6);
    QCOMPARE(productionCounterRegisters(9).size(), 6 + 6 * CounterCameraCount);
    QCOMPARE(wrappingIncrement(std::numeric_limits<qint32>::max()), std::numeric_limits<qint32>::min());
}

void ProductionCountersTest::timerPeriods_data()
{
    QTest::addColumn<qint64>("count");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("ms");
    QTest::newRow("debounce steps") << qint64(3) << 100 << 300;
    QTest::newRow("zero") << qint64(0) << 1000 << 0;
    QTest::newRow("negative setting") << qint64(-4) << 100 << 0;
    QTest::newRow("largest no-signal time") << qint64(100000000) << 1000 << std::numeric_limits<int>::max();
    QTest::newRow("largest stored value") << qint64(std::numeric_limits<qint32>::max()) << 100
                                          << std::numeric_limits<int>::max();
}

// Settings reach 10^8 seconds: the period is taken in 64 bits and clamped, never wrapped.
void ProductionCountersTest::timerPeriods()
{
    QFETCH(qint64, count);
    QFETCH(int, unit);
    QFETCH(int, ms);
    QCOMPARE(timerPeriodMs(count, unit), ms);
}

QTEST_APPLESS_MAIN(ProductionCountersTest)
#include "tst_ProductionCounters.moc"
