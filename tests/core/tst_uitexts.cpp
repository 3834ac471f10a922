#include "core/Globals.h"
#include "core/UiTexts.h"
#include "tests/support/TempWorkDir.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

constexpr int LastEntry = 628;

QString text(int entry, int language)
{
    return uiTexts[4 * entry + language];
}

QSet<QString> placeholders(const QString &text)
{
    QSet<QString> found;
    auto it = QRegularExpression(QStringLiteral("%\\d")).globalMatch(text);
    while (it.hasNext())
        found.insert(it.next().captured());
    return found;
}

} // namespace

class UiTextsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(loadUiTexts()); }

    void everyDefinedSlotHasText()
    {
        QSet<int> noText = {153, 321, 322, 578};
        for (int entry = 530; entry <= 539; ++entry)
            noText.insert(entry);
        const QSet<int> englishEmpty = {549, 553, 555, 557, 561};
        const QSet<int> japaneseEmpty = {557};
        for (int entry = 0; entry <= LastEntry; ++entry) {
            for (int language = 0; language < 4; ++language) {
                const bool empty = noText.contains(entry)
                                   || (language == 1 && englishEmpty.contains(entry))
                                   || (language == 3 && japaneseEmpty.contains(entry));
                QVERIFY2(text(entry, language).isEmpty() == empty,
                         qPrintable(QStringLiteral("entry %1 language %2").arg(entry).arg(language)));
            }
        }
    }

    void nothingAfterTheLastEntry()
    {
        for (int slot = 4 * (LastEntry + 1); slot < UiTextCount; ++slot)
            QVERIFY2(uiTexts[slot].isEmpty(), qPrintable(QString::number(slot)));
    }

    void spotChecks_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("simplified Chinese first") << 0 << 0 << QStringLiteral("相机参数文件打开错误！");
        QTest::newRow("then English") << 0 << 1 << QStringLiteral("Camera parameter file error!");
        QTest::newRow("then traditional Chinese") << 0 << 2 << QStringLiteral("相機參數檔打開錯誤！");
        QTest::newRow("Japanese with a line feed")
            << 0 << 3 << QStringLiteral("カメラパラメータファイル\nのオープンエラー！");
        QTest::newRow("carriage return and line feed")
            << 1 << 1
            << QStringLiteral("Regional parameter file error, \r\n please restore the Parameter "
                              "Group \r\n or contact the supplier!");
        QTest::newRow("blanks at both ends") << 16 << 0 << QStringLiteral(" 保    留 ");
        QTest::newRow("leading blank only") << 16 << 3 << QStringLiteral(" 保    持");
        QTest::newRow("trailing blank and placeholder") << 31 << 1 << QStringLiteral("Point %1 ");
        QTest::newRow("point") << 29 << 1 << QStringLiteral("R-B Point");
        QTest::newRow("leading blanks and placeholder")
            << 43 << 0 << QStringLiteral("    %1 号相机");
        QTest::newRow("inner quotes, English")
            << 68 << 1
            << QStringLiteral("If you want to delete the first \r\ntemplate, please click "
                              "\"Resample\"!");
        QTest::newRow("inner quotes, Chinese") << 296 << 0 << QStringLiteral("请点击\"确定\"退出");
        QTest::newRow("group name") << 286 << 1 << QStringLiteral("Restore the parameter group to %1");
        QTest::newRow("wrong password, Japanese")
            << 357 << 3 << QStringLiteral("パスワードが間違っています。\n再入力してください！");
        QTest::newRow("restore") << 527 << 1
                                 << QStringLiteral("Are you sure you want to \r\n restore the "
                                                   "default settings");
        QTest::newRow("camera lost") << 332 << 1
                                     << QStringLiteral("Camera %1 lost for the %2th time, %3");
        QTest::newRow("last entry of the original table") << 626 << 2 << QStringLiteral("連續採集定時檢測");
    }

    void spotChecks()
    {
        QFETCH(int, entry);
        QFETCH(int, language);
        QFETCH(QString, expected);
        QCOMPARE(text(entry, language), expected);
    }

    // Callers fill the placeholders the same way in every language.
    void placeholdersAgreeAcrossLanguages()
    {
        for (int entry = 0; entry <= LastEntry; ++entry) {
            const QSet<QString> chinese = placeholders(text(entry, 0));
            for (int language = 1; language < 4; ++language) {
                if (text(entry, language).isEmpty())
                    continue;
                QVERIFY2(placeholders(text(entry, language)) == chinese,
                         qPrintable(QStringLiteral("entry %1 language %2").arg(entry).arg(language)));
            }
        }
    }

    void unreadableLinesAreSkipped()
    {
        TempWorkDir dir;
        QFile file(dir.filePath(QStringLiteral("texts.tsv")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# comment\n"
                   "5\t\"a\"\t\" b\\r\\n\"\t\"c\"\t\"d\"\n"
                   "2048\t\"a\"\t\"b\"\t\"c\"\t\"d\"\n"
                   "-1\t\"a\"\t\"b\"\t\"c\"\t\"d\"\n"
                   "6\t\"a\"\t\"b\"\t\"c\"\n"
                   "7\t\"a\"\tb\t\"c\"\t\"d\"\n"
                   "8\t\"a\\q\"\t\"b\"\t\"c\"\t\"d\"\n"
                   "9\t\"\"\t\"\"\"\t\"\\\\\"\t\"x\"\n"
                   "10\t\"a\"\t\"b\"\t\"c\"\t\"x\\\"\n"
                   "\n");
        file.close();

        QVERIFY(!loadUiTexts(file.fileName()));
        QCOMPARE(text(5, 1), QStringLiteral(" b\r\n"));
        for (int entry : {0, 6, 7, 8, 10})
            QVERIFY(text(entry, 0).isEmpty());
        QCOMPARE(text(9, 1), QStringLiteral("\""));
        QCOMPARE(text(9, 2), QStringLiteral("\\"));
        QVERIFY(text(10, 0).isEmpty());   // a backslash escaping nothing

        QVERIFY(!loadUiTexts(dir.filePath(QStringLiteral("missing.tsv"))));
        QVERIFY(loadUiTexts());
    }
};

QTEST_GUILESS_MAIN(UiTextsTest)
#include "tst_uitexts.moc"
