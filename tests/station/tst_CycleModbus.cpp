// The supervising host's commands through a real Modbus master: the counter clear and the
// parameter group switch, against the station in this process.

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "station/MoJuWizard.h"
#include "station/ParameterGroupSwitch.h"
#include "station/ProductionCounters.h"
#include "tests/station/ParameterSwapProbe.h"
#include "tests/station/StationHarness.h"
#include "tests/support/MessageRecorder.h"
#include "uikit/UiKitGlobals.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

constexpr int Timeout = StationHarness::Timeout;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The tables of a database file, through a connection of the test's own.
QStringList tablesOf(const QString &file)
{
    QStringList tables;
    const QString name = QStringLiteral("tablesOf");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (db.open())
            tables = db.tables();
    }
    QSqlDatabase::removeDatabase(name);
    return tables;
}

bool addTable(const QString &file, const QString &table)
{
    bool ok = false;
    const QString name = QStringLiteral("addTable");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        ok = db.open() && QSqlQuery(db).exec(QStringLiteral("create table ") + table + QStringLiteral("(x integer)"));
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// A group as a backup writes it: the parameter database and the template folders of camera 1,
// each marked with the group's name.
bool makeGroup(const QString &group)
{
    const QDir dir(QStringLiteral("paraGroup/") + group);
    if (!QDir().mkpath(dir.path()) || !QFile::copy(QStringLiteral("PARAM.db"), dir.filePath(QStringLiteral("PARAM.db")))
        || !addTable(dir.filePath(QStringLiteral("PARAM.db")), QStringLiteral("group_") + group))
        return false;
    for (const QString &folder : {QStringLiteral("cammer11"), QStringLiteral("cammer12")}) {
        if (!QDir().mkpath(dir.filePath(folder))
            || !writeFile(dir.filePath(folder + QStringLiteral("/mark.txt")), group.toLatin1()))
            return false;
    }
    return true;
}

// Refuses to copy directories: a copy that fails half way.
class FailingCopyActions : public RecordingSystemActions
{
public:
    bool copyDirectory(const QString &source, const QString &destination) override
    {
        RecordingSystemActions::copyDirectory(source, destination);
        return false;
    }
};

} // namespace

class CycleModbusTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void clearCounters();
    void groupSwitchRefused_data();
    void groupSwitchRefused();
    // Last: a switch closes the parameter database for the restart.
    void groupSwitchToValidGroup();

private:
    StationHarness harness;
    QByteArray liveTemplate;
    QByteArray liveGroupIndex;
    QByteArray liveParameters;
};

void CycleModbusTest::initTestCase()
{
    QVERIFY(harness.prepare());
    // Groups list sorted by name: alpha 0 (the current one), beta 1, default 2 (the factory
    // group, without template folders), empty 3 (no parameter database), linked 4 (a link to
    // beta, not a folder of its own).
    QVERIFY(makeGroup(QStringLiteral("alpha")));
    QVERIFY(makeGroup(QStringLiteral("beta")));
    QVERIFY(QDir().mkpath(QStringLiteral("paraGroup/empty/cammer11")));
    QVERIFY(QFile::link(QDir(QStringLiteral("paraGroup/beta")).absolutePath(), QStringLiteral("paraGroup/linked")));
    liveTemplate = fileBytes(QStringLiteral("cammer12/template0.bmp"));
    QVERIFY(!liveTemplate.isEmpty());
    liveGroupIndex = fileBytes(QStringLiteral("sysadd.txt"));
    QCOMPARE(liveGroupIndex.trimmed(), QByteArray("0"));
}

void CycleModbusTest::init()
{
    QVERIFY(harness.start());
    liveParameters = fileBytes(QStringLiteral("PARAM.db"));
}

void CycleModbusTest::cleanup()
{
    harness.stop();
}

// Any write to register 0 clears every counter: the file holds eighteen zeros, the registers
// read 0 and the record has a row.
void CycleModbusTest::clearCounters()
{
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(cycleTotalCount, 1, Timeout);
    QCOMPARE(harness.readRegister(51), 1);

    QVERIFY(harness.writeRegister(0, 1234));
    QTRY_COMPARE_WITH_TIMEOUT(StationHarness::countText(), QStringLiteral("0 ").repeated(18), Timeout);
    QCOMPARE(StationHarness::countText().size(), 36);
    QCOMPARE(harness.readRegisters(50, 12), QVector<int>(12, 0));
    QCOMPARE(StationHarness::recordRemarks().count(uiText(255)), 1);
}

void CycleModbusTest::groupSwitchRefused_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("copyFails");
    QTest::newRow("no group at that index") << 7 << false;
    QTest::newRow("group without a parameter database") << 3 << false;
    QTest::newRow("group that is a link to another") << 4 << false;
    QTest::newRow("copy fails half way") << 1 << true;
}

// A refused switch changes nothing: the group index, the templates, the parameter database,
// and the program keeps running.
void CycleModbusTest::groupSwitchRefused()
{
    QFETCH(int, index);
    QFETCH(bool, copyFails);
    std::unique_ptr<FailingCopyActions> failing;
    if (copyFails)
        failing = std::make_unique<FailingCopyActions>();
    MessageRecorder log;
    QVERIFY(harness.writeRegister(1, index));
    QTRY_COMPARE_WITH_TIMEOUT(log.count(QStringLiteral("refused")), 1, Timeout);

    QCOMPARE(fileBytes(QStringLiteral("sysadd.txt")), liveGroupIndex);
    QCOMPARE(harness.settings()[Param::ParameterGroup], 0);
    QCOMPARE(fileBytes(QStringLiteral("cammer12/template0.bmp")), liveTemplate);
    QVERIFY(!QFile::exists(QStringLiteral("cammer12/mark.txt")));
    QCOMPARE(fileBytes(QStringLiteral("PARAM.db")), liveParameters);
    QVERIFY(!QFileInfo::exists(QStringLiteral("paraGroup.staging")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("paraGroup.previous")));
    QCOMPARE(harness.actions().count(QStringLiteral("restartApplication")), 0);
    QVERIFY(parameterDatabaseOpen());
    QCOMPARE(ParameterGroupSwitch::groupNames(), QStringList({"alpha", "beta", "default", "empty", "linked"}));
}

// A switch to a complete group puts its templates and parameter database in place, stores the
// new index, writes the record row and restarts the program. The live parameter database is
// never renamed away while the station has it open.
void CycleModbusTest::groupSwitchToValidGroup()
{
    ParameterSwapProbe probe;
    QVERIFY(harness.writeRegister(1, 1));
    QTRY_COMPARE_WITH_TIMEOUT(probe.count(QStringLiteral("restartApplication")), 1, Timeout);
    QCOMPARE(probe.openAtSwap, QVector<bool>({false, false}));
    QCOMPARE(fileBytes(QStringLiteral("sysadd.txt")), QByteArray("1\n"));
    QCOMPARE(harness.settings()[Param::ParameterGroup], 1);
    QCOMPARE(fileBytes(QStringLiteral("cammer11/mark.txt")), QByteArray("beta"));
    QCOMPARE(fileBytes(QStringLiteral("cammer12/mark.txt")), QByteArray("beta"));
    // The group's folders replace the live ones: the old template is gone.
    QVERIFY(!QFile::exists(QStringLiteral("cammer12/template0.bmp")));
    QVERIFY(tablesOf(QStringLiteral("PARAM.db")).contains(QStringLiteral("group_beta")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("paraGroup.staging")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("paraGroup.previous")));
    // The group itself stays as it was.
    QCOMPARE(fileBytes(QStringLiteral("paraGroup/beta/cammer11/mark.txt")), QByteArray("beta"));
    QVERIFY(StationHarness::recordRemarks().contains(uiText(286).arg(QStringLiteral("beta"))));
}

QTEST_MAIN(CycleModbusTest)
#include "tst_CycleModbus.moc"
