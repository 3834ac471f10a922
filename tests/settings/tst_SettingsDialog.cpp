// The settings dialog on the running station (two test cameras, real parameter and record
// databases, the recording system layer): loading and storing the pages, applying or declining
// the changes, the refusals, the rebuilds, power-off and language switch, the record page and
// the camera order dialog.

#include "cameras/CameraDiscovery.h"
#include "core/DefaultParameterFiles.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "inspection/DetectAlgorithm.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "resources/Resources.h"
#include "settings/AdvanceParamWidget.h"
#include "settings/CameraParamWidget.h"
#include "settings/InputOutputParamWidget.h"
#include "settings/RecordWidget.h"
#include "settings/SystemParamDialog.h"
#include "settings/SystemParamWidget.h"
#include "settings/WidgetChangeCamera.h"
#include "station/CammerWidget.h"
#include "station/Main_MenuBtnWidget.h"
#include "station/MenuBtnWidget.h"
#include "station/MoJuWizard.h"
#include "tests/settings/ModalScript.h"
#include "tests/station/StationHarness.h"
#include "tests/station/StationPerTest.h"
#include "tests/support/ScreenCheck.h"
#include "uikit/CheckBox.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/EditBox.h"
#include "uikit/EditParam.h"
#include "uikit/UiKitGlobals.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int Cameras = 2;

// What the page shows for a setting: a box's text, "ticked"/"clear", or a list's position.
QString shownFor(SystemParamDialog &dialog, int index)
{
    SystemParamWidget *system = dialog.systemPage();
    const QList<QPair<int, EditBox *>> systemBoxes = {
        {Param::CaptureDelay, system->productDelay}, {Param::FilterSize, system->filterSize},
        {Param::AlarmArea, system->alarmArea}};
    for (const auto &b : systemBoxes)
        if (b.first == index)
            return b.second->field()->text();
    if (index == Param::MotionCorrection)
        return system->motionCorrection->isChecked() ? QStringLiteral("ticked") : QStringLiteral("clear");
    for (const auto &f : dialog.inputOutputPage()->fields)
        if (f.index == index)
            return f.box->field()->text();
    for (const auto &c : dialog.inputOutputPage()->choices)
        if (c.index == index)
            return QString::number(c.box->currentIndex());
    for (const auto &f : dialog.advancePage()->fields)
        if (f.index == index)
            return f.box->field()->text();
    return QStringLiteral("no control");
}

QString serialRow(int slot)
{
    QSqlQuery query = ParameterManager::instance()->serialQuery();
    query.prepare(QStringLiteral("SELECT value FROM sysparam WHERE name = ?"));
    query.addBindValue(QStringLiteral("serialNB%1").arg(slot));
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}

// The live record as stored in "PARAM.db".
SystemParameters storedRecord()
{
    SystemParameters stored;
    stored.SetDefaults();
    const int language = currentLanguage;
    stored.Load(ParameterManager::instance()->paramQuery());
    currentLanguage = language;
    return stored;
}

} // namespace

class SettingsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadAndStore_data();
    void loadAndStore();
    void outputFiveCopiedToLaterOutputs();
    void detailedParametersFollowTools();
    void okWithoutChangeAsksNothing();
    void shippedDefaultsFitEveryField();
    void yesRecordsCommitsAndSaves();
    void failedSaveIsReported();
    void unsavedCopiedRegionsAreReported();
    void noPutsLiveValuesBack();
    void refusals_data();
    void refusals();
    void rebuildsFollowTheChange_data();
    void rebuildsFollowTheChange();
    void powerOff_data();
    void powerOff();
    void failedPowerOffReopensDatabases();
    void languageSwitchRecordsInOldLanguageAndReboots();
    void sideMenuOpensSettingsOnFreshCopy();
    void recordPageListsDays();
    void orderDialogRefusesDuplicates();
    void orderDialogStoresSwapAfterConfirmation();
    void orderDialogCancelKeepsBinding();
    void orderConfirmBelowTheRows_data();
    void orderConfirmBelowTheRows();
    void cameraPageSwitchesCamerasAndMode();
    void thermalCameraTakesRangeAndDistanceOnly();

private:
    MoJuWizard *station() const { return harness.station(); }
    SystemParameters &live() { return harness.settings(); }
    std::unique_ptr<SystemParamDialog> openDialog();

    StationHarness harness{Cameras};
    // The rows of loadAndStore only show and store one setting in a dialog of their own.
    StationPerTest stations{harness, {"loadAndStore"}};
};

void SettingsDialogTest::initTestCase()
{
    initResources();
    QVERIFY(harness.prepare());
}

void SettingsDialogTest::init()
{
    QVERIFY(stations.begin());
    station()->show();
    currentLanguage = 0;
    harness.actions().actions.clear();
    // One detection kind on, as any station that inspects has.
    live()[Param::DefectToolEnabled] = 1;
}

void SettingsDialogTest::cleanup()
{
    currentLanguage = 0;
    station()->ReopenDatabases();
    stations.end();
}

std::unique_ptr<SystemParamDialog> SettingsDialogTest::openDialog()
{
    *editParams = *currentParams;
    return std::make_unique<SystemParamDialog>();
}

void SettingsDialogTest::loadAndStore_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("storedBack");
    QTest::newRow("delay in tenths") << Param::CaptureDelay << 25 << "2.5" << 25;
    QTest::newRow("filter size clamped") << Param::FilterSize << 30 << "10" << 10;
    QTest::newRow("alarm area clamped") << Param::AlarmArea << 5000 << "1000" << 1000;
    QTest::newRow("motion correction on") << Param::MotionCorrection << 0 << "ticked" << 0;
    QTest::newRow("motion correction off") << Param::MotionCorrection << -1 << "clear" << -1;
    QTest::newRow("ejector pulse in tenths") << Param::EjectorPulse << 15 << "1.5" << 15;
    QTest::newRow("input timeout in seconds") << Param::NoSignalSeconds << 60 << "60" << 60;
    QTest::newRow("screen-off 0 stays off") << Param::BacklightSeconds << 0 << "0" << 0;
    QTest::newRow("screen-off 10 becomes 30") << Param::BacklightSeconds << 10 << "30" << 30;
    QTest::newRow("port index") << Param::IoPort << 3 << "3" << 3;
    QTest::newRow("port beyond the list kept") << Param::IoPort << 20 << "-1" << 20;
    QTest::newRow("spare output source beyond the list kept") << Param::SpareOutputSource << 7 << "-1" << 7;
    QTest::newRow("mould side") << Param::MouldSide << 1 << "1" << 1;
}

void SettingsDialogTest::loadAndStore()
{
    QFETCH(int, index);
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QFETCH(int, storedBack);
    const int before = live()[index];
    live()[index] = stored;
    auto dialog = openDialog();
    QCOMPARE(shownFor(*dialog, index), shown);
    dialog->StoreAllTabs();
    QCOMPARE((*editParams)[index], storedBack);
    // The station serves the next row too.
    live()[index] = before;
}

void SettingsDialogTest::outputFiveCopiedToLaterOutputs()
{
    auto dialog = openDialog();
    for (const auto &c : dialog->inputOutputPage()->choices)
        if (c.index == Param::LaterOutputsIdleLevel)
            c.box->setCurrentIndex(0);
    dialog->StoreAllTabs();
    for (int i = Param::LaterOutputsIdleLevel; i <= Param::LaterOutputsIdleLevel + 5; ++i)
        QCOMPARE((*editParams)[i], 0);
}

// Tools whose regions carry their own parameters need them shown.
void SettingsDialogTest::detailedParametersFollowTools()
{
    auto dialog = openDialog();
    CameraParamWidget *page = dialog->cameraPage();
    QVERIFY(!page->detailedParameters->isChecked());
    dialog->StoreAllTabs();
    QCOMPARE((*editParams)[Param::RegionParameters], 0);
    for (CheckBox *box : dialog->findChildren<CheckBox *>())
        if (box->text() == uiText(197))
            box->setChecked(true);
    dialog->StoreAllTabs();
    QCOMPARE((*editParams)[Param::RegionParameters], 1);
}

void SettingsDialogTest::okWithoutChangeAsksNothing()
{
    const QStringList rows = StationHarness::recordRemarks();
    auto dialog = openDialog();
    ModalScript script;
    dialog->acceptDialog();
    QCOMPARE(script.seen(), QStringList());
    QCOMPARE(StationHarness::recordRemarks(), rows);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
}

// The shipped parameter file holds values that every field can show as they are: looking at
// each camera and pressing OK changes nothing and asks nothing.
void SettingsDialogTest::shippedDefaultsFitEveryField()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("PARAM.db"));
    QVERIFY(writeDefaultParamDatabase(file));
    SystemParameters shipped;
    shipped.SetDefaults();
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("shipped"));
        database.setDatabaseName(file);
        QVERIFY(database.open());
        const int language = currentLanguage;
        QVERIFY(shipped.Load(QSqlQuery(database)));
        currentLanguage = language;
        database.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("shipped"));
    live() = shipped;

    const QStringList rows = StationHarness::recordRemarks();
    auto dialog = openDialog();
    dialog->show();
    QTabWidget *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    tabs->setCurrentWidget(dialog->cameraPage());
    for (int c = 0; c < Cameras; ++c)
        QVERIFY(ScreenCheck::touch(dialog->cameraPage()->findChild<QPushButton *>(QStringLiteral("pCButtonCamera"))));
    ModalScript script;
    dialog->acceptDialog();
    QCOMPARE(script.seen(), QStringList());
    QCOMPARE(StationHarness::recordRemarks(), rows);
}

void SettingsDialogTest::yesRecordsCommitsAndSaves()
{
    auto dialog = openDialog();
    dialog->systemPage()->filterSize->setValue(7);
    dialog->systemPage()->productStage->setChecked(true);
    ModalScript script({1});
    dialog->acceptDialog();
    QCOMPARE(script.seen(), QStringList{QStringLiteral("tipbox: ") + uiText(234)});
    QCOMPARE(live()[Param::FilterSize], 7);
    // Derived before the commit: the product stage is in use now.
    QCOMPARE(live()[Param::StageEnabled], 1);
    QVERIFY(*editParams == live());
    QCOMPARE(storedRecord()[Param::FilterSize], 7);
    QCOMPARE(StationHarness::recordRemarks().last(),
             uiText(235) + uiText(245).arg(uiText(22), QStringLiteral("3"), QStringLiteral("7"))
                 + uiText(240).arg(uiText(175)) + uiText(250));
}

// A change the store did not take is said to be so, in the record and on screen.
void SettingsDialogTest::failedSaveIsReported()
{
    const int storedBefore = storedRecord()[Param::FilterSize];
    auto dialog = openDialog();
    dialog->systemPage()->filterSize->setValue(7);
    ParameterManager::instance()->CloseDatabase();
    ModalScript script({1});
    dialog->acceptDialog();
    QCOMPARE(script.seen().size(), 2);
    QVERIFY(script.seen().at(1).startsWith(QStringLiteral("Warnbox: ")));
    QCOMPARE(live()[Param::FilterSize], 7);
    ParameterManager::instance()->ReopenDatabase();
    QCOMPARE(storedRecord()[Param::FilterSize], storedBefore);
    QVERIFY(StationHarness::recordRemarks().last().startsWith(uiText(235)));
    QVERIFY(StationHarness::recordRemarks().last() != uiText(235) + uiText(245).arg(uiText(22), "3", "7"));
}

// The parameters are stored but a camera's copied regions are refused: the record row does not
// claim the change was saved, and the operator is told which camera lost them.
void SettingsDialogTest::unsavedCopiedRegionsAreReported()
{
    QSqlQuery query = ParameterManager::instance()->paramQuery();
    QVERIFY(query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS cammer1 (name TEXT, value TEXT)")));
    for (const char *event : {"UPDATE", "INSERT"}) {
        QVERIFY(query.exec(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE %1 ON cammer1 "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                               .arg(QLatin1String(event))));
    }
    live()[Param::CopyRegions] = 0;
    live()[Param::ProductStage] = 1;
    *editParams = live();
    (*editParams)[Param::CopyRegions] = 1;
    (*editParams)[Param::ConfiguredMachineMode] = live()[Param::MachineMode];
    SystemParamDialog dialog;
    ModalScript script({1});
    dialog.ApplyChanges();
    for (const char *event : {"UPDATE", "INSERT"})
        QVERIFY(query.exec(QStringLiteral("DROP TRIGGER refuse_%1").arg(QLatin1String(event))));
    QCOMPARE(storedRecord()[Param::CopyRegions], 1);
    QVERIFY(StationHarness::recordRemarks().last().endsWith(QStringLiteral("（未能保存，重启后失效）")));
    QCOMPARE(script.seen().size(), 2);
    QCOMPARE(script.seen().at(1),
             QStringLiteral("Warnbox: 相机2复制的检测区域未能保存：修改只在本次运行中有效"));
}

// What the camera page applied at once is undone, and the edits are dropped.
void SettingsDialogTest::noPutsLiveValuesBack()
{
    CammerWidget *view = station()->cameraViews[0];
    view->ApplyExposure(false);
    view->ApplyMirror(false);
    const int liveExposure = harness.camera(0).exposure;
    auto dialog = openDialog();
    CameraParamWidget *page = dialog->cameraPage();
    QCOMPARE(page->currentCameraIndex(), 0);
    page->valueBoxes[0]->setValue(live()[Param::Exposure] + 20);
    page->mirrorHorizontal->setChecked(true);
    QVERIFY(harness.camera(0).exposure != liveExposure);
    QCOMPARE(harness.camera(0).mirrorHorizontal, 1);
    ModalScript script({0});
    const QStringList rows = StationHarness::recordRemarks();
    dialog->acceptDialog();
    QCOMPARE(script.seen().size(), 1);
    QCOMPARE(harness.camera(0).exposure, liveExposure);
    QCOMPARE(harness.camera(0).mirrorHorizontal, 0);
    QVERIFY(*editParams == live());
    QCOMPARE(live()[Param::MirrorHorizontal], 0);
    QCOMPARE(StationHarness::recordRemarks(), rows);
}

void SettingsDialogTest::refusals_data()
{
    QTest::addColumn<bool>("noDetection");
    QTest::addColumn<QString>("warning");
    QTest::newRow("no detection kind") << true << uiText(232);
    QTest::newRow("no camera enabled") << false << QStringLiteral("所有相机均未启用，请重新确认要启用的相机");
}

// Nothing is committed, saved or recorded; the cameras do not keep what was never accepted.
void SettingsDialogTest::refusals()
{
    QFETCH(bool, noDetection);
    QFETCH(QString, warning);
    station()->cameraViews[1]->ApplyExposure(false);
    const int liveExposure = harness.camera(1).exposure;
    const SystemParameters before = live();
    const QStringList rows = StationHarness::recordRemarks();
    auto dialog = openDialog();
    dialog->cameraPage()->nextCamera();
    dialog->cameraPage()->valueBoxes[0]->setValue(live()[Param::Exposure + 1] + 20);
    QVERIFY(harness.camera(1).exposure != liveExposure);
    if (noDetection) {
        for (CheckBox *box : dialog->findChildren<CheckBox *>())
            if (box->text() == uiText(196))
                box->setChecked(false);
    } else {
        dialog->cameraPage()->enabledBox->setChecked(false);
        dialog->cameraPage()->nextCamera();
        dialog->cameraPage()->enabledBox->setChecked(false);
    }
    ModalScript script;
    dialog->acceptDialog();
    QCOMPARE(script.seen(), QStringList{QStringLiteral("Warnbox: ") + warning});
    QVERIFY(live() == before);
    QCOMPARE(StationHarness::recordRemarks(), rows);
    QCOMPARE(harness.camera(1).exposure, liveExposure);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
}

void SettingsDialogTest::rebuildsFollowTheChange_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("positioning");
    QTest::addColumn<bool>("comparators");
    QTest::newRow("difference factor: comparators only") << Param::Amplify << 2 << false << true;
    QTest::newRow("positioning offset: positioning only") << Param::PositioningOffset << 100 << true << false;
    QTest::newRow("region copying: both") << Param::CopyRegions << 1 << true << true;
    QTest::newRow("filter size: neither") << Param::FilterSize << 5 << false << false;
}

void SettingsDialogTest::rebuildsFollowTheChange()
{
    QFETCH(int, index);
    QFETCH(int, value);
    QFETCH(bool, positioning);
    QFETCH(bool, comparators);
    live()[Param::MotionCorrection] = 0;
    // Marks that only a rebuild overwrites.
    for (int c = 0; c < Cameras; ++c) {
        DetectAlgorithm &engine = *station()->cameraViews[c]->engine;
        for (int k = 0; k < detectsPerCamera; ++k) {
            engine.anchorX[k] = -1;
            engine.validMask[k] = cv::Mat();
        }
    }
    *editParams = live();
    (*editParams)[index] = value;
    SystemParamDialog dialog;
    ModalScript script({1});
    dialog.ApplyChanges();
    QCOMPARE(live()[index], value);
    for (int c = 0; c < Cameras; ++c) {
        const DetectAlgorithm &engine = *station()->cameraViews[c]->engine;
        for (int k = 0; k < detectsPerCamera; ++k) {
            const bool enabled = live()[Param::StageEnabled + k] != 0;
            QCOMPARE(engine.anchorX[k] != -1, positioning && enabled);
            QCOMPARE(!engine.validMask[k].empty(), comparators && enabled);
        }
    }
}

void SettingsDialogTest::powerOff_data()
{
    QTest::addColumn<QVector<int>>("answers");
    QTest::addColumn<QStringList>("actions");
    QTest::newRow("declined") << QVector<int>{0} << QStringList();
    QTest::newRow("restart") << QVector<int>{1, 1} << QStringList{QStringLiteral("reboot")};
    QTest::newRow("power off") << QVector<int>{1, 0} << QStringList{QStringLiteral("powerOff")};
}

// Stored and recorded first, outputs idle and the databases closed, then the machine goes.
void SettingsDialogTest::powerOff()
{
    QFETCH(QVector<int>, answers);
    QFETCH(QStringList, actions);
    controlPort->SetOutput(0, true);
    auto dialog = openDialog();
    dialog->systemPage()->filterSize->setValue(6);
    // Both questions of the sequence and the save question between them.
    QVector<int> script = answers;
    if (answers.size() > 1)
        script.insert(1, 1);
    ModalScript boxes(script);
    dialog->PowerOff();
    QCOMPARE(harness.actions().actions, actions);
    const bool confirmed = !actions.isEmpty();
    QCOMPARE(boxes.seen().size(), confirmed ? 3 : 1);
    QCOMPARE(boxes.seen().first(), QStringLiteral("tipbox: ") + uiText(291));
    if (!confirmed) {
        QCOMPARE(live()[Param::FilterSize], 3);
        return;
    }
    QCOMPARE(boxes.seen().at(2), QStringLiteral("tipbox: ") + uiText(293));
    QVERIFY(!QSqlDatabase::database(QStringLiteral("dbIn"), false).isOpen());
    for (int output = 0; output < 10; ++output)
        QCOMPARE(controlPort->GetIOState(true, output), live()[Param::OutputIdleLevel + output] != 0);
    ParameterManager::instance()->ReopenDatabase();
    QCOMPARE(storedRecord()[Param::FilterSize], 6);
    const QStringList rows = StationHarness::recordRemarks();
    QCOMPARE(rows.last(), uiText(292));
    QVERIFY(rows.at(rows.size() - 2).startsWith(uiText(235)));
}

// The machine stayed up: the program runs on with its databases and tells the operator.
void SettingsDialogTest::failedPowerOffReopensDatabases()
{
    harness.actions().powerSucceeds = false;
    auto dialog = openDialog();
    ModalScript boxes({1, 0});
    dialog->PowerOff();
    harness.actions().powerSucceeds = true;
    QCOMPARE(harness.actions().actions, QStringList{QStringLiteral("powerOff")});
    QCOMPARE(boxes.seen().size(), 3);
    QVERIFY(boxes.seen().at(2).startsWith(QStringLiteral("Warnbox: ")));
    QVERIFY(QSqlDatabase::database(QStringLiteral("dbIn"), false).isOpen());
    live()[Param::FilterSize] = 4;
    QVERIFY(live().SaveAll(ParameterManager::instance()->paramQuery()));
    station()->InsertRecord(QStringLiteral("after"));
    QCOMPARE(StationHarness::recordRemarks().last(), QStringLiteral("after"));
}

void SettingsDialogTest::languageSwitchRecordsInOldLanguageAndReboots()
{
    auto dialog = openDialog();
    dialog->systemPage()->filterSize->setValue(8);
    ModalScript boxes({1, 0});
    dialog->systemPage()->languageBox->setCurrentIndex(1);
    QCOMPARE(currentLanguage, 1);
    QCOMPARE(boxes.seen(), (QStringList{QStringLiteral("tipbox: ") + uiTextIn(318, 0),
                                        QStringLiteral("tipbox: ") + uiTextIn(234, 1)}));
    QCOMPARE(harness.actions().actions, QStringList{QStringLiteral("reboot")});
    // The change was declined; the language is stored all the same.
    ParameterManager::instance()->ReopenDatabase();
    QCOMPARE(storedRecord()[Param::FilterSize], live()[Param::FilterSize]);
    QVERIFY(live()[Param::FilterSize] != 8);
    QCOMPARE(StationHarness::recordRemarks().last(), uiTextIn(319, 0));
    currentLanguage = 0;
    SystemParameters stored;
    stored.Load(ParameterManager::instance()->paramQuery());
    QCOMPARE(currentLanguage, 1);
}

void SettingsDialogTest::sideMenuOpensSettingsOnFreshCopy()
{
    int runs = 0;
    (*editParams)[Param::FilterSize] = 9;
    station()->setSettingsDialog([&runs] {
        ++runs;
        QVERIFY(*editParams == *currentParams);
    });
    QTest::mouseClick(station()->sideMenu->mainPage()->button("pBtnSetSystem"), Qt::LeftButton);
    QCOMPARE(runs, 1);
    station()->setSettingsDialog(nullptr);
}

void SettingsDialogTest::recordPageListsDays()
{
    QDir days = station()->operationRecord.recordDir();
    QVERIFY(days.mkpath(QStringLiteral(".")));
    for (const char *day : {"2026-01-01", "2026-01-03", "2026-01-02"}) {
        const QString file = days.filePath(QLatin1String(day) + QStringLiteral(".db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dayfile"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("CREATE TABLE RECORD(recordtime TEXT, recordpassword TEXT, remarks TEXT)")));
            QVERIFY(query.prepare(QStringLiteral("INSERT INTO RECORD VALUES(?, ?, ?)")));
            query.addBindValue(QStringLiteral("08.00.00"));
            query.addBindValue(QStringLiteral("auto"));
            query.addBindValue(QLatin1String(day));
            QVERIFY(query.exec());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("dayfile"));
    }
    QFile notes(days.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();

    station()->InsertRecord(QStringLiteral("today's row"));
    auto dialog = openDialog();
    dialog->tabs()->setCurrentWidget(dialog->recordPage());
    dialog->show();
    QListWidget *list = dialog->recordPage()->dayList;
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    QCOMPARE(shown, (QStringList{QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), "2026-01-03",
                                 "2026-01-02", "2026-01-01"}));
    QSqlTableModel *model = dialog->recordPage()->model();
    QVERIFY(model);
    QStringList today;
    for (int row = 0; row < model->rowCount(); ++row)
        today << model->data(model->index(row, 2)).toString();
    QVERIFY(today.contains(QStringLiteral("today's row")));
    list->setCurrentRow(2);
    dialog->recordPage()->UpdateRecord(list->item(2));
    QCOMPARE(dialog->recordPage()->model()->rowCount(), 1);
    QCOMPARE(dialog->recordPage()->model()->data(dialog->recordPage()->model()->index(0, 2)).toString(),
             QStringLiteral("2026-01-02"));
    dialog->hide();
    for (const QString &file : days.entryList(QDir::Files))
        days.remove(file);
}

void SettingsDialogTest::orderDialogRefusesDuplicates()
{
    auto dialog = openDialog();
    WidgetChangeCamera order(dialog.get());
    order.positionBoxes().at(0)->setCurrentIndex(1);
    ModalScript boxes;
    order.onConfirm();
    QCOMPARE(boxes.seen(), QStringList{QStringLiteral("Warnbox: ") + uiText(361).arg(2)});
    QCOMPARE(harness.actions().actions, QStringList());
}

void SettingsDialogTest::orderDialogStoresSwapAfterConfirmation()
{
    QVERIFY(!station()->cameraIdentity(0).isEmpty());
    QVERIFY(station()->cameraIdentity(0) != station()->cameraIdentity(1));
    auto dialog = openDialog();
    WidgetChangeCamera order(dialog.get());
    order.positionBoxes().at(0)->setCurrentIndex(1);
    order.positionBoxes().at(1)->setCurrentIndex(0);
    QCOMPARE(cameraSlotOfCamera[0], 0);
    ModalScript boxes({0});
    order.onConfirm();
    QCOMPARE(cameraSlotOfCamera[0], 1);
    QCOMPARE(cameraSlotOfCamera[1], 0);
    QCOMPARE(serialRow(0), QString::fromLatin1(station()->cameraIdentity(1)));
    QCOMPARE(serialRow(1), QString::fromLatin1(station()->cameraIdentity(0)));
    // Then the power-off question; declined, the binding waits for the next start.
    QCOMPARE(boxes.seen(), QStringList{QStringLiteral("tipbox: ") + uiText(291)});
    cameraSlotOfCamera[0] = 0;
    cameraSlotOfCamera[1] = 1;
}

void SettingsDialogTest::orderDialogCancelKeepsBinding()
{
    const QString first = serialRow(0);
    const QString second = serialRow(1);
    auto dialog = openDialog();
    {
        WidgetChangeCamera order(dialog.get());
        order.positionBoxes().at(0)->setCurrentIndex(1);
        order.positionBoxes().at(1)->setCurrentIndex(0);
        QTest::mousePress(order.findChild<QPushButton *>(QStringLiteral("okBtn")), Qt::LeftButton);
        QCOMPARE(order.result(), int(QDialog::Accepted));
    }
    QCOMPARE(cameraSlotOfCamera[0], 0);
    QCOMPARE(cameraSlotOfCamera[1], 1);
    QCOMPARE(serialRow(0), first);
    QCOMPARE(serialRow(1), second);
}

void SettingsDialogTest::orderConfirmBelowTheRows_data()
{
    QTest::addColumn<int>("cameras");
    for (int n : {1, 2, 4, 5, 8})
        QTest::addRow("%d cameras", n) << n;
}

// The button never covers a row, however many cameras there are, and stays inside the dialog.
void SettingsDialogTest::orderConfirmBelowTheRows()
{
    QFETCH(int, cameras);
    const int inUse = cameraCount;
    cameraCount = cameras;
    WidgetChangeCamera order(station());
    cameraCount = inUse;
    order.show();
    QVERIFY(QTest::qWaitForWindowExposed(&order));
    QCOMPARE(order.positionBoxes().size(), cameras);
    const QRect confirm = order.confirmButton()->geometry();
    for (ComboBox *box : order.positionBoxes()) {
        const QRect row(box->mapTo(&order, QPoint(0, 0)), box->size());
        QVERIFY2(row.bottom() < confirm.top(), qPrintable(QStringLiteral("row at %1").arg(row.top())));
    }
    QVERIFY(order.rect().contains(confirm));
    QCOMPARE(order.positionBoxes().last()->count(), cameras);
}

void SettingsDialogTest::cameraPageSwitchesCamerasAndMode()
{
    station()->currentCamera = Cameras;
    auto dialog = openDialog();
    CameraParamWidget *page = dialog->cameraPage();
    // All cameras were shown: the page edits the first, shown alone.
    QCOMPARE(page->currentCameraIndex(), 0);
    QCOMPARE(station()->currentCamera, 0);
    QCOMPARE(page->showModeButton->text(), uiText(300));
    QSignalSpy modes(page, &CameraParamWidget::showModeChange);
    page->SlotChangeShowMode();
    QCOMPARE(modes.takeFirst().at(0).toInt(), 1);
    QVERIFY(dialog->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(page->freeRun->isVisibleTo(page));
    QVERIFY(!page->mirrorHorizontal->isVisibleTo(page));
    QCOMPARE(page->showModeButton->text(), uiText(299));
    page->SlotChangeShowMode();
    QVERIFY(!dialog->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(page->mirrorHorizontal->isVisibleTo(page));
    for (int expected : {1, 0}) {
        page->nextCamera();
        QCOMPARE(page->currentCameraIndex(), expected);
        QCOMPARE(station()->currentCamera, expected);
        QCOMPARE(page->cameraLabel->text(), QStringLiteral("%1 号相机").arg(expected + 1));
    }
}

// Switching to a thermal camera hides what it does not take and clamps its range to 0..2, which
// is stored for it at once.
void SettingsDialogTest::thermalCameraTakesRangeAndDistanceOnly()
{
    station()->cameraViews[1]->thermal = true;
    live()[Param::Contrast + 1] = 50;
    auto dialog = openDialog();
    CameraParamWidget *page = dialog->cameraPage();
    QVERIFY(page->valueBoxes[0]->isVisibleTo(page));
    QCOMPARE(page->valueBoxes[3]->maximumValue(), 200);
    page->nextCamera();
    for (int box : {0, 1, 2})
        QVERIFY(!page->valueBoxes[box]->isVisibleTo(page));
    QVERIFY(!page->speedBox->isVisibleTo(page));
    QVERIFY(page->valueBoxes[3]->isVisibleTo(page));
    QCOMPARE(page->valueBoxes[3]->maximumValue(), 2);
    QCOMPARE(page->valueBoxes[3]->field()->text(), QStringLiteral("2"));
    QCOMPARE((*editParams)[Param::Contrast + 1], 2);
    station()->cameraViews[1]->thermal = false;
}

QTEST_MAIN(SettingsDialogTest)
#include "tst_SettingsDialog.moc"
