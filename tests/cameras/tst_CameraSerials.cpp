#include "cameras/CameraBindingHost.h"
#include "cameras/CameraDiscovery.h"
#include "cameras/CameraSerials.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "platform/system/RecordingSystemActions.h"
#include "tests/support/FakeStationHost.h"
#include "tests/support/TempWorkDir.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <cstring>

namespace {

const QString SerialConnection = QStringLiteral("dbT");

// The main window as the binding sees it: answers the notice box, knows its views'
// identities and notes when it closes the databases.
struct FakeBindingHost : CameraBindingHost
{
    QList<QByteArray> identities;
    bool answer = false;
    QStringList notices;
    int closings = 0;
    bool closedBeforeReboot = false;
    const RecordingSystemActions *system = nullptr;

    FakeBindingHost() : previous(cameraBindingHost) { cameraBindingHost = this; }
    ~FakeBindingHost() override { cameraBindingHost = previous; }

    bool confirmNotice(const QString &text) override
    {
        notices << text;
        return answer;
    }
    QByteArray cameraIdentity(int camera) const override { return identities.value(camera); }
    void closeDatabasesForReboot() override
    {
        ++closings;
        closedBeforeReboot = system && system->actions.isEmpty();
    }

private:
    CameraBindingHost *previous;
};

QStringList serialRows()
{
    QStringList rows;
    QSqlQuery query(QSqlDatabase::database(SerialConnection));
    if (!query.exec(QStringLiteral("select name, value from sysparam order by name")))
        return {QStringLiteral("query failed")};
    while (query.next())
        rows << query.value(0).toString() + QLatin1Char('=') + query.value(1).toString();
    return rows;
}

QStringList rowsWith(const QStringList &values)
{
    QStringList rows;
    for (int slot = 0; slot < CameraSlotCount; ++slot)
        rows << QStringLiteral("serialNB%1=%2").arg(slot).arg(values.value(slot, QStringLiteral("0")));
    return rows;
}

} // namespace

class CameraSerialsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void savesSlotIdentities_data();
    void savesSlotIdentities();
    void failuresAreReported();
    void startupPrompts_data();
    void startupPrompts();

private:
    void openSerialDatabase();

    std::unique_ptr<TempWorkDir> dir;
    SystemParameters params;
};

void CameraSerialsTest::openSerialDatabase()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), SerialConnection);
    db.setDatabaseName(QStringLiteral("SN.db"));
    QVERIFY(db.open());
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("create table sysparam (name text, value text)")));
    QVERIFY(query.prepare(QStringLiteral("insert into sysparam (name, value) values (?, ?)")));
    for (int slot = 0; slot < CameraSlotCount; ++slot) {
        query.addBindValue(QStringLiteral("serialNB%1").arg(slot));
        query.addBindValue(QStringLiteral("OLD-SERIAL-%1").arg(slot));
        QVERIFY(query.exec());
    }
}

void CameraSerialsTest::init()
{
    dir = std::make_unique<TempWorkDir>();
    QVERIFY(dir->isValid());
    openSerialDatabase();
    params = SystemParameters();
    currentParams = &params;
    simulatedCameras = 0;
    foundCameras.clear();
    cameraCount = 0;
    for (int k = 0; k < CameraSlotCount; ++k)
        cameraSlotOfCamera[k] = k;
}

void CameraSerialsTest::cleanup()
{
    currentParams = nullptr;
    QSqlDatabase::database(SerialConnection, false).close();
    QSqlDatabase::removeDatabase(SerialConnection);
    dir.reset();
}

void CameraSerialsTest::savesSlotIdentities_data()
{
    QTest::addColumn<int>("clear");
    QTest::addColumn<int>("cameras");
    QTest::addColumn<QVector<int>>("slotOfCamera");
    QTest::addColumn<QStringList>("identities");
    QTest::addColumn<int>("missingRow");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QStringList>("slotValues");
    QTest::addColumn<QStringList>("records");

    QTest::newRow("clear")
        << 1 << 3 << QVector<int>() << QStringList{QStringLiteral("CAM-0001")} << -1 << true << QStringList()
        << QStringList{QStringLiteral("Save SN 1: 0"), QStringLiteral("Save SN 2: 0"), QStringLiteral("Save SN 3: 0")};
    QTest::newRow("cameras to their slots, quote in a serial")
        << 0 << 3 << QVector<int>{2, 0, 1}
        << QStringList{QStringLiteral("O'Neil-0001"), QStringLiteral("CAM-0002"), QStringLiteral("CAM-0003")}
        << -1 << true
        << QStringList{QStringLiteral("CAM-0002"), QStringLiteral("CAM-0003"), QStringLiteral("O'Neil-0001")}
        << QStringList{QStringLiteral("Save SN 1: CAM-0002"), QStringLiteral("Save SN 2: CAM-0003"),
                       QStringLiteral("Save SN 3: O'Neil-0001")};
    QTest::newRow("identity cut to what a view keeps")
        << 0 << 1 << QVector<int>{0} << QStringList{QString(80, QLatin1Char('X'))} << -1 << true
        << QStringList{QString(63, QLatin1Char('X'))}
        << QStringList{QStringLiteral("Save SN 1: ") + QString(63, QLatin1Char('X'))};
    QTest::newRow("slot out of range")
        << 0 << 2 << QVector<int>{9, 1} << QStringList{QStringLiteral("CAM-0001"), QStringLiteral("CAM-0002")}
        << -1 << false << QStringList{QStringLiteral("0"), QStringLiteral("CAM-0002")}
        << QStringList{QStringLiteral("Save SN 1: 0"), QStringLiteral("Save SN 2: CAM-0002")};
    QTest::newRow("missing row is added")
        << 0 << 1 << QVector<int>{5} << QStringList{QStringLiteral("CAM-0006")} << 5 << true
        << QStringList{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                       QStringLiteral("0"), QStringLiteral("CAM-0006")}
        << QStringList{QStringLiteral("Save SN 1: 0")};
}

void CameraSerialsTest::savesSlotIdentities()
{
    QFETCH(int, clear);
    QFETCH(int, cameras);
    QFETCH(QVector<int>, slotOfCamera);
    QFETCH(QStringList, identities);
    QFETCH(int, missingRow);
    QFETCH(bool, complete);
    QFETCH(QStringList, slotValues);
    QFETCH(QStringList, records);

    if (missingRow >= 0) {
        QSqlQuery query(QSqlDatabase::database(SerialConnection));
        QVERIFY(query.prepare(QStringLiteral("delete from sysparam where name = ?")));
        query.addBindValue(QStringLiteral("serialNB%1").arg(missingRow));
        QVERIFY(query.exec());
    }
    FakeStationHost station;
    FakeBindingHost host;
    for (const QString &identity : identities)
        host.identities << identity.toLatin1();
    cameraCount = cameras;
    for (int k = 0; k < slotOfCamera.size(); ++k)
        cameraSlotOfCamera[k] = slotOfCamera.at(k);

    QCOMPARE(saveCameraSerials(clear), complete);
    QCOMPARE(serialRows(), rowsWith(slotValues));
    QCOMPARE(station.records, records);
    for (int slot = 0; slot < CameraSlotCount; ++slot)
        QCOMPARE(QString::fromLatin1(cameraSlotSerials[slot]), slotValues.value(slot, QStringLiteral("0")));
}

void CameraSerialsTest::failuresAreReported()
{
    FakeStationHost station;
    cameraCount = 2;
    const QStringList before = serialRows();

    // Without camera views there are no identities to bind: nothing is written.
    QVERIFY(!saveCameraSerials(0));
    QCOMPARE(serialRows(), before);

    // A serial database that is not open is a failure, not a silent success.
    QSqlDatabase::database(SerialConnection, false).close();
    QVERIFY(!saveCameraSerials(1));
    QVERIFY(station.records.isEmpty());
}

void CameraSerialsTest::startupPrompts_data()
{
    QTest::addColumn<bool>("simulated");
    QTest::addColumn<int>("storedSerials");   // system parameter 134
    QTest::addColumn<int>("found");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("databaseOpen");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("rebooted");

    const QString noCamera = QStringLiteral("no camera");
    const QString countChanged = QStringLiteral("count changed");
    QTest::newRow("no camera, OK") << true << 2 << 2 << true << true << noCamera << true << false;
    QTest::newRow("no camera, Cancel") << true << 2 << 2 << false << true << noCamera << false << false;
    QTest::newRow("count changed, OK") << false << 2 << 3 << true << true << countChanged << true << true;
    QTest::newRow("count changed, Cancel") << false << 2 << 3 << false << true << countChanged << false << false;
    QTest::newRow("count changed, serials not saved")
        << false << 2 << 3 << true << false << countChanged << false << false;
    QTest::newRow("no stored identity") << false << 0 << 3 << true << true << QString() << false << false;
    QTest::newRow("same count") << false << 3 << 3 << true << true << QString() << false << false;
}

void CameraSerialsTest::startupPrompts()
{
    QFETCH(bool, simulated);
    QFETCH(int, storedSerials);
    QFETCH(int, found);
    QFETCH(bool, answer);
    QFETCH(bool, databaseOpen);
    QFETCH(QString, notice);
    QFETCH(bool, cleared);
    QFETCH(bool, rebooted);

    currentLanguage = 1;
    uiTexts[4 * 134 + 1] = QStringLiteral("no camera");
    uiTexts[4 * 360 + 1] = QStringLiteral("count changed");
    RecordingSystemActions system;
    system.programsStartForReal = false;
    system.performFileActions = false;
    FakeStationHost station;
    FakeBindingHost host;
    host.answer = answer;
    host.system = &system;
    simulatedCameras = simulated ? 1 : 0;
    params[Param::StoredSerialCount] = storedSerials;
    for (int i = 0; i < found; ++i)
        foundCameras << CameraInfo();
    cameraCount = qMin(found, 2);
    const QStringList before = serialRows();
    if (!databaseOpen)
        QSqlDatabase::database(SerialConnection, false).close();

    confirmCameraBinding();

    QCOMPARE(host.notices, notice.isEmpty() ? QStringList() : QStringList{notice});
    if (databaseOpen)
        QCOMPARE(serialRows(), cleared ? rowsWith({}) : before);
    // The reboot goes through the system layer, after the databases were closed; nothing is run.
    QCOMPARE(system.actions, rebooted ? QStringList{QStringLiteral("reboot")} : QStringList());
    QCOMPARE(host.closings, rebooted ? 1 : 0);
    QCOMPARE(host.closedBeforeReboot, rebooted);
}

QTEST_GUILESS_MAIN(CameraSerialsTest)
#include "tst_CameraSerials.moc"
