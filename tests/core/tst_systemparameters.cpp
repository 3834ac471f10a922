#include "core/DefaultParameterFiles.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "core/SysparamTable.h"
#include "core/UiTexts.h"
#include "tests/support/FakeStationHost.h"
#include "tests/support/TempWorkDir.h"

#include <QFile>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <cstring>

namespace {

const char connectionName[] = "test";

// "PARAM.db" (or "SN.db") in the working folder, open on a connection of the test's own:
// either the default file or an empty table sysparam.
class TestDatabase
{
public:
    enum Content { EmptyTable, Defaults };

    explicit TestDatabase(Content content, const QString &fileName = QStringLiteral("PARAM.db"))
    {
        if (content == Defaults)
            writeDefaultParamDatabase(fileName);
        database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(connectionName));
        database.setDatabaseName(fileName);
        database.open();
        if (content == EmptyTable) {
            QSqlQuery query(database);
            createSysparamTable(query);
        }
    }
    ~TestDatabase()
    {
        database.close();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(QLatin1String(connectionName));
    }

    bool isOpen() const { return database.isOpen(); }
    QSqlQuery query() const { return QSqlQuery(database); }

    void setRow(const QString &name, const QString &value)
    {
        QSqlQuery query(database);
        query.prepare(QStringLiteral("insert or replace into sysparam(name, value) values(?, ?)"));
        query.addBindValue(name);
        query.addBindValue(value);
        QVERIFY(query.exec());
    }

    QMap<QString, QString> rows() const
    {
        QMap<QString, QString> rows;
        QSqlQuery query(database);
        if (query.exec(QStringLiteral("select name, value from sysparam")))
            while (query.next())
                rows.insert(query.value(0).toString(), query.value(1).toString());
        return rows;
    }

private:
    QSqlDatabase database;
};

SystemParameters loaded(const TestDatabase &database)
{
    SystemParameters record;
    record.SetDefaults();
    record.Load(database.query());
    return record;
}

QString firstDifference(const SystemParameters &a, const SystemParameters &b)
{
    for (int index = 0; index < SystemParameters::Count; ++index)
        if (a[index] != b[index])
            return QStringLiteral("index %1: %2 != %3").arg(index).arg(a[index]).arg(b[index]);
    return QString();
}

// Every index with a place in a stored row, but 205 and 206 (the machine mode, stored from
// 206 and read into 205).
QVector<int> storedIndices()
{
    QVector<int> indices;
    const QVector<QPair<int, int>> ranges = {
        {0, 79},    {108, 112}, {118, 118}, {127, 133}, {135, 141}, {143, 182},
        {183, 204}, {207, 217}, {243, 252}, {255, 262}, {265, 272}, {286, 293},
        {296, 303}, {322, 332}, {341, 348}, {358, 365}};
    for (const auto &range : ranges)
        for (int index = range.first; index <= range.second; ++index)
            indices << index;
    return indices;
}

} // namespace

class SystemParametersTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(loadUiTexts()); }

    void init()
    {
        currentLanguage = 0;
        detectsPerCamera = 2;
        std::memset(cameraSlotSerials, 0, sizeof cameraSlotSerials);
        for (QString &name : ioInputNames)
            name.clear();
        for (QString &name : customNames)
            name.clear();
    }

    void emptyTableLoadsTheSameTwice()
    {
        TempWorkDir dir;
        TestDatabase database(TestDatabase::EmptyTable);
        QVERIFY(database.isOpen());

        const SystemParameters first = loaded(database);
        const QMap<QString, QString> rowsAfterFirst = database.rows();
        const SystemParameters second = loaded(database);
        QVERIFY2(first == second, qPrintable(firstDifference(first, second)));
        QCOMPARE(database.rows(), rowsAfterFirst);

        // Inserted rows carry the defaults, the idle levels of the outputs on.
        QCOMPARE(QStringList(rowsAfterFirst.keys()),
                 QStringList({"enable", "mirror", "system10", "system11", "system12", "system7",
                              "system8", "system9"}));
        QCOMPARE(rowsAfterFirst.value("system7"),
                 QStringLiteral("0 0 0 0 1 1 1 0 1 0 0 0 0 0 1 0 0 0 0 0"));
        QCOMPARE(rowsAfterFirst.value("system12"),
                 QStringLiteral("0 0 0 0 0 0 0 0 0 0 0 30 0 0 0 0 0 0 0 0"));
        QCOMPARE(rowsAfterFirst.value("enable"), QStringLiteral("1 1 1 1 1 1 1 1"));
        for (int index = 108; index <= 117; ++index)
            QCOMPARE(second[index], 1);
        QCOMPARE(second[Param::RecordMinutes], 30);

        const QVector<QPair<int, int>> checked = {{166, 1}, {135, 10}, {149, 3}, {150, 100},
                                                  {175, 8000}, {201, 3}, {129, 0}, {139, 0},
                                                  {146, 0}, {138, 0}, {244, 2}, {306, 4}};
        for (const auto &check : checked)
            QVERIFY2(second[check.first] == check.second, qPrintable(QString::number(check.first)));

        QFile groupFile(QStringLiteral("sysadd.txt"));
        QVERIFY(groupFile.open(QIODevice::ReadOnly));
        QCOMPARE(groupFile.readAll(), QByteArray("0"));
    }

    void loadChecks_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("index");   // -1: currentLanguage
        QTest::addColumn<int>("expected");

        const auto system2 = [](int position, const QString &number) {
            QStringList values;
            for (int i = 1; i <= 18; ++i)
                values << (i == position ? number : QStringLiteral("0"));
            return values.join(' ');
        };
        QTest::newRow("exposure -5") << "exposeTime" << "0 0 -5 0" << 2 << 30;
        QTest::newRow("exposure 10000") << "exposeTime" << "0 0 10000 0" << 2 << 10000;
        QTest::newRow("exposure 10001") << "exposeTime" << "0 0 10001 0" << 2 << 30;
        QTest::newRow("gain of camera 7") << "system6" << "0 0 10001 0 0 0 0 0 0 0 0 0" << 14 << 32;
        QTest::newRow("screen off 0") << "system2" << system2(16, "0") << 138 << 0;
        QTest::newRow("screen off 29") << "system2" << system2(16, "29") << 138 << 600;
        QTest::newRow("screen off 30") << "system2" << system2(16, "30") << 138 << 30;
        QTest::newRow("input time-out -1") << "system2" << system2(18, "-1") << 146 << 60;
        QTest::newRow("machine mode 3") << "numFailDetect" << "3 0 0 0 0 0 0 0" << 205 << 0;
        QTest::newRow("configured mode follows") << "numFailDetect" << "3 0 0 0 0 0 0 0" << 206 << 0;
        QTest::newRow("machine mode 2") << "numFailDetect" << "2 0 0 0 0 0 0 0" << 206 << 2;
        QTest::newRow("side 7 in mode 1") << "numFailDetect" << "1 7 0 0 0 0 0 0" << 207 << 0;
        QTest::newRow("side 7 in mode 0") << "numFailDetect" << "0 7 0 0 0 0 0 0" << 207 << 7;
        QTest::newRow("language 7") << "system2" << system2(13, "7") << -1 << 0;
        QTest::newRow("language -1") << "system2" << system2(13, "-1") << -1 << 0;
        QTest::newRow("language 3") << "system2" << system2(13, "3") << -1 << 3;
        QTest::newRow("short row, language")
            << "system2" << "1 2 3 4 5 6 7 8 9 10 11 12" << -1 << 0;
        QTest::newRow("short row, offset") << "system2" << "1 2 3 4 5 6 7 8 9 10 11 12" << 175 << 8000;
        QTest::newRow("short row, template count")
            << "system2" << "1 2 3 4 5 6 7 8 9 10 11 12" << 135 << 2;
        QTest::newRow("not a number") << "system4" << "0 x 5" << 149 << 3;
        QTest::newRow("after not a number") << "system4" << "0 x 5" << 150 << 5;
        QTest::newRow("motion correction 5") << "system1" << "0 0 0 5 0 0 0 0 0" << 129 << -1;
        QTest::newRow("motion correction off") << "system1" << "0 0 0 -1 0 0 0 0 0" << 129 << -1;
        QTest::newRow("I/O stages 9") << "system8" << "9" << 244 << 2;
        QTest::newRow("reflection value 3")
            << "system10" << "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 3 0 0 0" << 64 << 1;
        QTest::newRow("idle level copies") << "system7" << "0 0 0 0 1 1 1 0 1 0 0 0 0 0 0" << 117 << 0;
        // A value that cannot be read keeps its default, never 0: the idle levels decide
        // whether output 1 allows the mould to close.
        QTest::newRow("idle level not a number")
            << "system7" << "0 0 0 0 x 1 1 0 1 0 0 0 0 0 1 0 0 0 0 0" << 108 << 1;
        QTest::newRow("idle level of a short row") << "system7" << "0 0 0 0 1" << 109 << 1;
        QTest::newRow("idle level copied from a short row") << "system7" << "0 0 0 0 1" << 117 << 1;
        QTest::newRow("idle level of an empty value") << "system7" << "" << 110 << 1;
        QTest::newRow("recording minutes of a damaged row") << "system12" << "0 0 0 0 0 0 0 0 0 0 0 ?" << 324 << 30;
        QTest::newRow("camera enabled of an overlong number") << "enable" << "1 99999999999 1 1 1 1 1 1" << 194 << 1;
    }

    void loadChecks()
    {
        QFETCH(QString, row);
        QFETCH(QString, value);
        QFETCH(int, index);
        QFETCH(int, expected);

        TempWorkDir dir;
        TestDatabase database(TestDatabase::EmptyTable);
        database.setRow(row, value);
        const SystemParameters record = loaded(database);
        QCOMPARE(index < 0 ? currentLanguage : record[index], expected);
    }

    void stageLayout_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("selection");
        QTest::addColumn<int>("product");
        QTest::addColumn<int>("semiAuto");
        QTest::addColumn<QVector<int>>("stages");   // 119, 120, 121, 122
        QTest::addColumn<int>("trigger0");          // 81
        QTest::addColumn<int>("trigger1");          // 82
        QTest::addColumn<int>("side");              // 9: left as it was
        QTest::addColumn<int>("detects");
        QTest::addColumn<int>("firstInputEntry");

        using V = QVector<int>;
        QTest::newRow("standard") << 0 << 0 << 5 << 0 << V{5, 1, 0, 0} << 0 << 0 << 9 << 2 << 301;
        QTest::newRow("standard, semi-auto") << 0 << 0 << 0 << 1 << V{0, 1, 0, 0} << 0 << 2 << 9 << 2 << 301;
        QTest::newRow("two-colour, left") << 1 << 0 << 5 << 0 << V{1, 1, 0, 0} << 0 << 2 << 1 << 4 << 301;
        QTest::newRow("two-colour, right") << 1 << 1 << 5 << 0 << V{0, 0, 1, 1} << 0 << 3 << 0 << 4 << 301;
        QTest::newRow("two-colour, both") << 1 << 2 << 0 << 0 << V{0, 1, 0, 1} << 0 << 255 << 9 << 4 << 301;
        QTest::newRow("turntable, left") << 2 << 0 << 5 << 0 << V{1, 1, 0, 0} << 0 << 0 << 1 << 4 << 379;
        QTest::newRow("turntable, left, semi-auto") << 2 << 0 << 5 << 1 << V{1, 1, 0, 0} << 0 << 2 << 1 << 4 << 379;
        QTest::newRow("turntable, right") << 2 << 1 << 5 << 0 << V{0, 0, 1, 1} << 3 << 3 << 0 << 4 << 379;
        QTest::newRow("turntable, right, semi-auto") << 2 << 1 << 5 << 1 << V{0, 0, 1, 1} << 3 << 2 << 0 << 4 << 379;
        QTest::newRow("turntable, both") << 2 << 3 << 5 << 0 << V{1, 1, 1, 1} << 255 << 255 << 9 << 4 << 379;
    }

    void stageLayout()
    {
        QFETCH(int, mode);
        QFETCH(int, selection);
        QFETCH(int, product);
        QFETCH(int, semiAuto);
        QFETCH(QVector<int>, stages);
        QFETCH(int, trigger0);
        QFETCH(int, trigger1);
        QFETCH(int, side);
        QFETCH(int, detects);
        QFETCH(int, firstInputEntry);

        TempWorkDir dir;
        FakeStationHost host;
        host.side = 9;
        TestDatabase database(TestDatabase::EmptyTable);
        database.setRow("numFailDetect", QStringLiteral("%1 %2 0 0 0 0 0 0").arg(mode).arg(selection));
        database.setRow("system1", QStringLiteral("%1 %2 0 0 0 0 0 0 0").arg(semiAuto).arg(product));
        database.setRow("system2", "0 0 0 0 0 0 0 0 0 0 0 0 1 0 0 0 0 0");   // English
        const SystemParameters record = loaded(database);

        QCOMPARE(QVector<int>({record[Param::StageEnabled], record[Param::StageEnabled + 1], record[Param::StageEnabled + 2], record[Param::StageEnabled + 3]}), stages);
        QCOMPARE(record[Param::TriggerInput], trigger0);
        QCOMPARE(record[Param::TriggerInput + 1], trigger1);
        QCOMPARE(record[Param::LoadMarker], 4);
        QCOMPARE(host.side, side);
        QCOMPARE(detectsPerCamera, detects);
        QCOMPARE(ioInputNames[0], uiTexts[4 * firstInputEntry + 1]);
    }

    void nameFileKeepsTheIoNames()
    {
        TempWorkDir dir;
        QFile names(QStringLiteral("name.txt"));
        QVERIFY(names.open(QIODevice::WriteOnly));
        names.write("Kern links\nKern rechts\n型芯\n");
        names.close();
        ioInputNames[0] = QStringLiteral("kept");
        TestDatabase database(TestDatabase::EmptyTable);
        loaded(database);
        QCOMPARE(customNames[0], QStringLiteral("Kern links"));
        QCOMPARE(customNames[2], QStringLiteral("型芯"));
        QVERIFY(customNames[3].isEmpty());
        QCOMPARE(ioInputNames[0], QStringLiteral("kept"));
    }

    void saveAllRoundTripsEveryField()
    {
        TempWorkDir dir;
        TestDatabase database(TestDatabase::Defaults);

        // A value of its own in every stored field, each passing its load check.
        SystemParameters saved;
        saved.SetDefaults();
        for (int index : storedIndices())
            saved[index] = index;
        for (int camera = 0; camera < 8; ++camera)
            saved[Param::ReflectionValue + camera] = camera % 3;
        const QVector<QPair<int, int>> inRange = {{129, -1}, {135, 99}, {139, 55}, {140, 4},
                                                  {149, 77}, {182, 42}, {201, 21}, {207, 3},
                                                  {216, 100}, {244, 5}, {206, 2}};
        for (const auto &value : inRange)
            saved[value.first] = value.second;
        QVERIFY(saved.setPassword("secret"));
        currentLanguage = 2;
        QVERIFY(saved.SaveAll(database.query()));

        // Raw rows: the machine mode comes from 206, -1 is written as such, 217 fills every
        // position without a setting, the language has its place in system2.
        const QMap<QString, QString> rows = database.rows();
        QCOMPARE(rows.value("numFailDetect"), QStringLiteral("2 3 209 210 217 211 212 215"));
        QCOMPARE(rows.value("system1"), QStringLiteral("118 133 127 -1 128 208 143 137 217"));
        QCOMPARE(rows.value("system2"),
                 QStringLiteral("130 99 21 136 144 145 152 154 151 162 163 217 2 174 175 138 55 146"));
        QCOMPARE(rows.value("system7"),
                 QStringLiteral("42 217 191 202 108 109 110 192 111 204 176 243 177 217 112 148 "
                                "161 217 217 213"));
        QCOMPARE(rows.value("password"), QStringLiteral("secret"));

        currentLanguage = 0;
        const SystemParameters back = loaded(database);
        for (int index : storedIndices())
            QVERIFY2(back[index] == saved[index],
                     qPrintable(QStringLiteral("index %1: %2 != %3").arg(index).arg(back[index]).arg(saved[index])));
        QCOMPARE(back[Param::MachineMode], 2);
        QCOMPARE(back[Param::ConfiguredMachineMode], 2);
        QCOMPARE(back[Param::OutputIdleLevel + 9], saved[Param::LaterOutputsIdleLevel]);
        QCOMPARE(currentLanguage, 2);
        QCOMPARE(back.password(), QByteArray("secret"));

        // What one load kept, the next save and load keep too.
        QVERIFY(back.SaveAll(database.query()));
        const SystemParameters again = loaded(database);
        QVERIFY2(again == back, qPrintable(firstDifference(again, back)));
    }

    void passwordChangesOnlyItsRow_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::newRow("quote") << QByteArray("it's");
        QTest::newRow("rewrites another row")
            << QByteArray("x' where name='isPswUsed' or name='enable");
        QTest::newRow("second statement") << QByteArray("'); delete from sysparam; --");
        QTest::newRow("99 characters") << QByteArray(99, '\'');
        QTest::newRow("empty") << QByteArray();
    }

    void passwordChangesOnlyItsRow()
    {
        QFETCH(QByteArray, password);
        TempWorkDir dir;
        TestDatabase database(TestDatabase::Defaults);
        SystemParameters record = loaded(database);
        QVERIFY(record.setPassword("old"));
        QVERIFY(record.SaveAll(database.query()));
        QMap<QString, QString> before = database.rows();

        QVERIFY(record.setPassword(password));
        QVERIFY(record.SaveAll(database.query()));
        QMap<QString, QString> after = database.rows();
        QCOMPARE(after.take("password"), QString::fromLatin1(password));
        before.remove("password");
        QCOMPARE(after, before);
        QCOMPARE(loaded(database).password(), password);
    }

    void overlongPasswordIsRefused()
    {
        SystemParameters record;
        QVERIFY(record.setPassword("kept"));
        QVERIFY(!record.setPassword(QByteArray(100, 'a')));
        QCOMPARE(record.password(), QByteArray("kept"));

        TempWorkDir dir;
        TestDatabase database(TestDatabase::EmptyTable);
        database.setRow("password", QString(100, 'a'));
        QVERIFY(loaded(database).password().isEmpty());
    }

    // A file of another program version lacks rows: the save adds them in its transaction.
    void saveAddsMissingRows()
    {
        TempWorkDir dir;
        TestDatabase database(TestDatabase::EmptyTable);
        database.setRow("trigInDelay", "1 2 3 4 5 6 7 8");
        SystemParameters record = loaded(database);
        record[Param::CaptureDelay] = 9;
        record[Param::OutputIdleLevel] = 0;
        QVERIFY(record.SaveAll(database.query()));
        QCOMPARE(database.rows().value("trigInDelay"), QStringLiteral("9 2 3 4 5 6 7 8"));
        QCOMPARE(database.rows().size(), record.StoredRows(0).size());
        const SystemParameters back = loaded(database);
        QCOMPARE(firstDifference(back, record), QString());
    }

    // A statement that fails leaves every row as it was, the rows saved before it included.
    void saveFailureIsReported()
    {
        TempWorkDir dir;
        TestDatabase database(TestDatabase::EmptyTable);
        database.setRow("trigInDelay", "1 2 3 4 5 6 7 8");
        QSqlQuery refuse = database.query();
        QVERIFY(refuse.exec(QStringLiteral(
            "create trigger refuse before insert on sysparam when new.name = 'enable'"
            " begin select raise(abort, 'refused'); end")));
        SystemParameters record = loaded(database);
        record[Param::CaptureDelay] = 9;
        QVERIFY(!record.SaveAll(database.query()));
        QCOMPARE(database.rows().value("trigInDelay"), QStringLiteral("1 2 3 4 5 6 7 8"));
        QVERIFY(!database.rows().contains(QStringLiteral("system1")));
    }

    void cameraSerials_data()
    {
        QTest::addColumn<QString>("stored");     // null: no row
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<int>("counted");
        QTest::addColumn<QString>("rowAfter");

        const QString serial99(99, 'S');
        QTest::newRow("8 characters") << "ABCDEFGH" << QByteArray() << 0 << "ABCDEFGH";
        QTest::newRow("9 characters") << "ABCDEFGHI" << QByteArray("ABCDEFGHI") << 1 << "ABCDEFGHI";
        QTest::newRow("99 characters") << serial99 << serial99.toLatin1() << 1 << serial99;
        QTest::newRow("100 characters") << QString(100, 'S') << QByteArray() << 0 << QString(100, 'S');
        QTest::newRow("quote") << "DA'1234567" << QByteArray("DA'1234567") << 1 << "DA'1234567";
        QTest::newRow("no camera") << "0" << QByteArray() << 0 << "0";
        QTest::newRow("no row") << QString() << QByteArray("0") << 0 << "0";
    }

    void cameraSerials()
    {
        QFETCH(QString, stored);
        QFETCH(QByteArray, slot);
        QFETCH(int, counted);
        QFETCH(QString, rowAfter);

        TempWorkDir dir;
        TestDatabase database(TestDatabase::EmptyTable, QStringLiteral("SN.db"));
        if (!stored.isNull())
            database.setRow(serialRowName(3), stored);
        SystemParameters record;
        QVERIFY(record.LoadCameraSerials(database.query()));

        QCOMPARE(QByteArray(cameraSlotSerials[3]), slot);
        QCOMPARE(record[Param::StoredSerialCount], counted);
        const QMap<QString, QString> rows = database.rows();
        QCOMPARE(rows.value(serialRowName(3)), rowAfter);
        for (int other : {0, 7}) {
            QCOMPARE(QByteArray(cameraSlotSerials[other]), QByteArray("0"));
            QCOMPARE(rows.value(serialRowName(other)), QStringLiteral("0"));
        }
    }

    void groupIndexFile()
    {
        TempWorkDir dir;
        TestDatabase database(TestDatabase::EmptyTable);
        QFile file(QStringLiteral("sysadd.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("3\n");
        file.close();
        SystemParameters record = loaded(database);
        QCOMPARE(record[Param::ParameterGroup], 3);

        record[Param::ParameterGroup] = 5;
        QVERIFY(record.SaveGroupIndex());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("5\n"));
    }
};

QTEST_GUILESS_MAIN(SystemParametersTest)
#include "tst_systemparameters.moc"
