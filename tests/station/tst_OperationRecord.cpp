#include "core/Globals.h"
#include "core/UiTexts.h"
#include "platform/system/RecordingSystemActions.h"
#include "station/OperationRecord.h"
#include "tests/station/RecordRows.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TempWorkDir.h"

#include <QFile>
#include <QtTest>

namespace {

using Row = QStringList;

const Row firstRow = {QStringLiteral("00.00.00"), QStringLiteral("auto"), QStringLiteral("自动条目,生成新的数据库")};

QByteArray fileBytesOf(const QString &archive)
{
    QFile file(QStringLiteral("RECORD/") + archive);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString readDateFile()
{
    QFile file(QStringLiteral("time.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

void writeDateFile(const QString &date)
{
    QFile file(QStringLiteral("time.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(date.toLatin1());
}

} // namespace

class OperationRecordTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void remarksAreStoredAsWritten_data();
    void remarksAreStoredAsWritten();
    void newDayArchivesTheLiveFile_data();
    void newDayArchivesTheLiveFile();
    void missingDateFileStartsToday();

private:
    std::unique_ptr<TempWorkDir> work;
    std::unique_ptr<RecordingSystemActions> actions;
    std::unique_ptr<ManualClock> clock;
};

void OperationRecordTest::initTestCase()
{
    QVERIFY(loadUiTexts());
    currentLanguage = 1;
}

void OperationRecordTest::init()
{
    work = std::make_unique<TempWorkDir>();
    QVERIFY(work->isValid());
    actions = std::make_unique<RecordingSystemActions>();
    clock = std::make_unique<ManualClock>(QDateTime(QDate(2024, 3, 5), QTime(14, 30, 12)));
}

void OperationRecordTest::cleanup()
{
    clock.reset();
    actions.reset();
    work.reset();
}

void OperationRecordTest::remarksAreStoredAsWritten_data()
{
    QTest::addColumn<QString>("remark");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("levelText");
    // Texts of the table itself carry apostrophes.
    QTest::newRow("entry 190") << uiTexts[4 * 190 + 1] << 2 << "Advanced";
    QTest::newRow("entry 194") << uiTexts[4 * 194 + 1] << 1 << "Primary";
    QTest::newRow("statement in a remark") << "x'); DROP TABLE RECORD; --" << 0 << "Unlogged";
    QTest::newRow("quotes and Chinese") << QStringLiteral("\"1号相机\" 'NG'") << 0 << "Unlogged";
}

void OperationRecordTest::remarksAreStoredAsWritten()
{
    QFETCH(QString, remark);
    QFETCH(int, level);
    QFETCH(QString, levelText);
    QVERIFY(remark.contains(QLatin1Char('\'')) || remark.contains(QLatin1Char('"')));

    OperationRecord record;
    QVERIFY(record.Open());
    QVERIFY(record.InsertRecord(remark, level));
    QCOMPARE(readRecordRows(QStringLiteral("RECORD.db")),
             (QList<Row>{firstRow, {QStringLiteral("14.30.12"), levelText, remark}}));

    // A closed connection is opened again by the next row; a clear leaves the table empty.
    record.Close();
    QVERIFY(record.InsertRecord(remark, level));
    QCOMPARE(readRecordRows(QStringLiteral("RECORD.db")).size(), 3);
    QVERIFY(record.ClearRecord());
    QVERIFY(readRecordRows(QStringLiteral("RECORD.db")).isEmpty());
}

void OperationRecordTest::newDayArchivesTheLiveFile_data()
{
    QTest::addColumn<QStringList>("archivesBefore");
    QTest::addColumn<QString>("expectedArchive");
    QTest::newRow("first archive of the date") << QStringList() << "2024-03-05.db";
    // The clock was set back: that date has ended once already.
    QTest::newRow("date archived before") << QStringList{QStringLiteral("2024-03-05.db")}
                                          << "2024-03-05_1.db";
    QTest::newRow("date archived twice before")
        << QStringList{QStringLiteral("2024-03-05.db"), QStringLiteral("2024-03-05_1.db")}
        << "2024-03-05_2.db";
}

void OperationRecordTest::newDayArchivesTheLiveFile()
{
    QFETCH(QStringList, archivesBefore);
    QFETCH(QString, expectedArchive);
    QVERIFY(QDir().mkpath(QStringLiteral("RECORD")));
    for (const QString &name : archivesBefore) {
        QFile earlier(QStringLiteral("RECORD/") + name);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write(name.toLatin1());
    }

    OperationRecord record;
    QVERIFY(record.Open());
    record.LoadDate();
    QCOMPARE(readDateFile(), QStringLiteral("2024-03-05"));
    QVERIFY(record.InsertRecord(QStringLiteral("day one"), 0));
    record.CheckDate();   // same day: nothing moves
    QVERIFY(!QFile::exists(QStringLiteral("RECORD/") + expectedArchive));

    clock->set(QDateTime(QDate(2024, 3, 6), QTime(0, 1, 0)));
    record.CheckDate();
    QCOMPARE(readRecordRows(QStringLiteral("RECORD/") + expectedArchive),
             (QList<Row>{firstRow, {QStringLiteral("14.30.12"), QStringLiteral("Unlogged"), QStringLiteral("day one")}}));
    for (const QString &name : archivesBefore)
        QCOMPARE(fileBytesOf(name), name.toLatin1());
    QCOMPARE(readDateFile(), QStringLiteral("2024-03-06"));
    QCOMPARE(record.recordDate(), QStringLiteral("2024-03-06"));

    // The next row lands in the new file.
    QVERIFY(record.InsertRecord(QStringLiteral("day two"), 0));
    QCOMPARE(readRecordRows(QStringLiteral("RECORD.db")),
             (QList<Row>{firstRow, {QStringLiteral("00.01.00"), QStringLiteral("Unlogged"), QStringLiteral("day two")}}));
}

void OperationRecordTest::missingDateFileStartsToday()
{
    OperationRecord first;
    QVERIFY(first.Open());
    QVERIFY(first.InsertRecord(QStringLiteral("kept"), 0));
    first.Close();

    // A file that holds no date counts as missing: today is written and the live file stays.
    for (const QString &content : {QString(), QStringLiteral("../../x")}) {
        QFile::remove(QStringLiteral("time.txt"));
        if (!content.isEmpty())
            writeDateFile(content);
        OperationRecord record;
        record.LoadDate();
        record.CheckDate();
        QCOMPARE(record.recordDate(), QStringLiteral("2024-03-05"));
        QCOMPARE(readDateFile(), QStringLiteral("2024-03-05"));
        QCOMPARE(readRecordRows(QStringLiteral("RECORD.db")).size(), 2);
        QVERIFY(!QDir(QStringLiteral("RECORD")).exists());
    }
}

QTEST_GUILESS_MAIN(OperationRecordTest)
#include "tst_OperationRecord.moc"
