#include "core/ResultMap.h"
#include "core/ResultRows.h"
#include "core/TimeStamp.h"

#include <QMap>
#include <QtTest>

#include <algorithm>
#include <random>

Q_DECLARE_METATYPE(QVector<int>)

// The text forms of result rows and the ordering of the result maps.
class ResultRowsTest : public QObject
{
    Q_OBJECT

private slots:
    void stampFromText_data();
    void stampFromText();
    void roiDetail_data();
    void roiDetail();
    void columnsAsWritten();
    void mapOrderFollowsTextKeys();
    void mergeKeepsStoredEntry();
};

void ResultRowsTest::stampFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("ordinary") << "2024-03-05 14:30:12.345" << true;
    QTest::newRow("leap day") << "2024-02-29 00:00:00.000" << true;
    QTest::newRow("no such day") << "2023-02-29 00:00:00.000" << false;
    QTest::newRow("hour 24") << "2024-03-05 24:00:00.000" << false;
    QTest::newRow("no milliseconds") << "2024-03-05 14:30:12" << false;
    QTest::newRow("letters") << "2024-03-05 14:3x:12.345" << false;
    QTest::newRow("empty") << "" << false;
}

void ResultRowsTest::stampFromText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const qint64 stamp = TimeStamp::fromText(text);
    QCOMPARE(stamp >= 0, valid);
    if (!valid)
        return;
    const QDateTime expected = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    QCOMPARE(TimeStamp::toText(stamp), text);
    QCOMPARE(TimeStamp::toDateTime(stamp), expected);
    QCOMPARE(TimeStamp::fromDateTime(expected), stamp);
    LocalTimeCache cache;
    QCOMPARE(cache.toMSecsSinceEpoch(stamp), expected.toMSecsSinceEpoch());
}

void ResultRowsTest::roiDetail_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<QVector<int>>("offsets");
    QTest::newRow("as written") << "[[0,121,0,800],[1,121,0,1600]]" << true
                                << QVector<int>{0, 121, 0, 800, 1, 121, 0, 1600}
                                << QVector<int>{0, 4, 8};
    QTest::newRow("blanks and negatives") << " [ [9, -5] , [] ] " << true
                                          << QVector<int>{9, -5} << QVector<int>{0, 2, 2};
    QTest::newRow("fractions read through JSON") << "[[9,57.9]]" << true
                                                 << QVector<int>{9, 57} << QVector<int>{0, 2};
    QTest::newRow("empty list") << "[]" << true << QVector<int>{} << QVector<int>{0};
    QTest::newRow("cut short") << "[[0,121],[1," << false << QVector<int>{} << QVector<int>{};
    QTest::newRow("not JSON") << "garbage" << false << QVector<int>{} << QVector<int>{};
}

void ResultRowsTest::roiDetail()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QVector<int>, values);
    QFETCH(QVector<int>, offsets);
    QVector<int> readValues{42};
    QVector<int> readOffsets{42};
    QCOMPARE(parseRoiDetail(text, readValues, readOffsets), valid);
    QCOMPARE(readValues, values);
    QCOMPARE(readOffsets, offsets);
}

void ResultRowsTest::columnsAsWritten()
{
    QCOMPARE(roiDetailJson({{0, 121, 0, 800}, {1, 121, 0, 1600}}),
             QStringLiteral("[[0,121,0,800],[1,121,0,1600]]"));
    QCOMPARE(roiResultJson({0, 1}), QStringLiteral("[0,1]"));
    QCOMPARE(seriesKey(2, 1, 12), QStringLiteral("C:2_D:1_F:12"));
}

void ResultRowsTest::mapOrderFollowsTextKeys()
{
    // Entries in random order must come out in the order of their text keys, region numbers
    // compared as text ("F:10" before "F:2"), whether placed one by one or row by row.
    const QDateTime base(QDate(2024, 3, 5), QTime(10, 0));
    QVector<QVector<ResultEntry>> rows;
    for (int round = 0; round < 3; ++round) {
        for (int camera = 0; camera < 2; ++camera) {
            QVector<ResultEntry> row;
            for (int region : {0, 1, 2, 9, 10, 12, 21, 49}) {
                ResultEntry entry;
                entry.roundStart = TimeStamp::fromDateTime(base.addMSecs(round * 1500));
                entry.detectStart = entry.roundStart + 7;
                entry.camera = qint8(camera);
                entry.detect = qint8(round % 2);
                entry.region = qint16(region);
                row.append(entry);
            }
            rows.append(row);
        }
    }
    std::mt19937 random(7);
    std::shuffle(rows.begin(), rows.end(), random);
    QVector<ResultEntry> entries;
    for (const QVector<ResultEntry> &row : qAsConst(rows))
        entries += row;
    std::shuffle(entries.begin(), entries.end(), random);

    ResultMap single(ResultMap::RoundStartKey);
    QMap<QString, int> textOrder;
    for (const ResultEntry &entry : qAsConst(entries)) {
        QVERIFY(single.insertIfMissing(entry));
        QVERIFY(!single.insertIfMissing(entry));
        textOrder.insert(resultKey(TimeStamp::toDateTime(entry.roundStart), entry.camera,
                                   entry.detect, entry.region),
                         0);
    }
    ResultMap byRow(ResultMap::RoundStartKey);
    for (const QVector<ResultEntry> &row : qAsConst(rows)) {
        int position = -1;
        for (const ResultEntry &entry : row)
            QVERIFY(byRow.insertIfMissing(entry, position));
    }
    for (const ResultMap *map : {&single, &byRow}) {
        QStringList keys;
        for (const ResultEntry &entry : *map)
            keys << resultKey(TimeStamp::toDateTime(entry.roundStart), entry.camera,
                              entry.detect, entry.region);
        QCOMPARE(keys, textOrder.keys());
    }
}

void ResultRowsTest::mergeKeepsStoredEntry()
{
    ResultEntry live;
    live.roundStart = TimeStamp::fromText(QStringLiteral("2024-03-05 10:00:00.000"));
    live.result = 1;
    ResultEntry later = live;
    later.roundStart += 1000;

    ResultMap today(ResultMap::RoundStartKey);
    today.insertIfMissing(live);
    today.insertIfMissing(later);

    ResultEntry stored = live;
    stored.result = 0;
    ResultMap fromFile(ResultMap::RoundStartKey);
    fromFile.insertIfMissing(stored);

    today.mergeReplacing(std::move(fromFile));
    QCOMPARE(today.size(), 2);
    QCOMPARE(today.find(live)->result, 0);
    QCOMPARE(today.find(later)->result, 1);
}

QTEST_GUILESS_MAIN(ResultRowsTest)
#include "tst_resultrows.moc"
