#include "core/DefaultParameterFiles.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/SysparamTable.h"
#include "core/UiTexts.h"
#include "platform/system/RecordingSystemActions.h"
#include "tests/support/ManualClock.h"
#include "tests/support/TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstring>

namespace {

// The working folder of an installed station: the default group and a copy of each file.
void writeStationFiles()
{
    QVERIFY(QDir().mkpath(QStringLiteral("paraGroup/default")));
    for (const QString &folder : {QStringLiteral("paraGroup/default/"), QStringLiteral("./")}) {
        QVERIFY(writeDefaultParamDatabase(folder + QStringLiteral("PARAM.db")));
        QVERIFY(writeDefaultSerialDatabase(folder + QStringLiteral("SN.db")));
    }
}

QStringList restoreOf(const QString &fileName)
{
    return {QStringLiteral("copyFile ./paraGroup/default/%1 ./%1").arg(fileName),
            QStringLiteral("sync"), QStringLiteral("reboot")};
}

// An unusable file that exists is kept aside under the time of the restore.
const QDateTime restoreTime(QDate(2024, 3, 5), QTime(14, 5, 0));

QStringList keepAsideAndRestore(const QString &fileName)
{
    const QString base = fileName.section(QLatin1Char('.'), 0, 0);
    return QStringList{QStringLiteral("moveFile %1 ./%2-damaged-20240305-140500.db").arg(fileName, base)}
           + restoreOf(fileName);
}

} // namespace

class ParameterManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(loadUiTexts()); }

    void init()
    {
        currentLanguage = 0;
        std::memset(cameraSlotSerials, 0, sizeof cameraSlotSerials);
    }

    void restoresAnUnusableDatabase_data()
    {
        QTest::addColumn<QString>("damaged");
        QTest::addColumn<bool>("removed");   // else emptied: a file without table sysparam
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("both present") << QString() << true << QStringList();
        QTest::newRow("PARAM.db missing") << "PARAM.db" << true << restoreOf("PARAM.db");
        QTest::newRow("PARAM.db empty") << "PARAM.db" << false << keepAsideAndRestore("PARAM.db");
        QTest::newRow("SN.db missing") << "SN.db" << true << restoreOf("SN.db");
        QTest::newRow("SN.db empty") << "SN.db" << false << keepAsideAndRestore("SN.db");
    }

    void restoresAnUnusableDatabase()
    {
        QFETCH(QString, damaged);
        QFETCH(bool, removed);
        QFETCH(QStringList, actions);

        TempWorkDir dir;
        writeStationFiles();
        if (!damaged.isEmpty()) {
            QFile file(damaged);
            QVERIFY(removed ? file.remove() : file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        }
        ManualClock clock(restoreTime);
        RecordingSystemActions recorder;
        ParameterManager manager;
        // The reboot is only recorded; start-up goes on with the restored file.
        QVERIFY(manager.Init());
        QCOMPARE(recorder.actions, actions);
        // Both databases serve their rows.
        QCOMPARE((*manager.currentRecord())[166], 1);
        QSqlQuery serials = manager.serialQuery();
        QString serial;
        bool found = false;
        QVERIFY(selectSysparamValue(serials, serialRowName(0), &serial, &found));
        QVERIFY(found);
    }

    // SQLite creates a missing file on open; an empty "PARAM.db" would lose every later save.
    // Without a default to restore from, no reboot follows: it would only come back here.
    void noDefaultGroupCreatesNoEmptyDatabase()
    {
        TempWorkDir dir;
        RecordingSystemActions recorder;
        ParameterManager manager;
        QVERIFY(!manager.Init());
        QVERIFY(!QFile::exists(QStringLiteral("PARAM.db")));
        QVERIFY(!QFile::exists(QStringLiteral("SN.db")));
        QCOMPARE(recorder.actions, QStringList());
        QVERIFY(!manager.currentRecord()->SaveAll(manager.paramQuery()));
        // The records exist with the checked defaults.
        QCOMPARE((*manager.currentRecord())[175], 8000);
    }

    void savedSettingSurvivesARestart()
    {
        TempWorkDir dir;
        writeStationFiles();
        RecordingSystemActions recorder;
        {
            ParameterManager manager;
            QVERIFY(manager.Init());
            (*manager.currentRecord())[139] = 50;
            QVERIFY(manager.currentRecord()->SaveAll(manager.paramQuery()));
            manager.CloseDatabase();
            // After the close a save fails and says so.
            QVERIFY(!manager.currentRecord()->SaveAll(manager.paramQuery()));
        }
        ParameterManager manager;
        QVERIFY(manager.Init());
        QCOMPARE((*manager.currentRecord())[139], 50);
        SystemParameters defaults;
        defaults.SetDefaults();
        QVERIFY(*manager.editRecord() == defaults);
        QVERIFY(recorder.actions.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ParameterManagerTest)
#include "tst_parametermanager.moc"
