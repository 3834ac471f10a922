// Saving the region editor's work and the commands that release a latched alarm from the
// page: the edits stored in one transaction with their record rows, a refused save that leaves
// everything as it was, accepting NG cameras one by one or all at once, and an NG image taken
// as a template. The whole station runs in this process on two test cameras.

#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "inspection/CammerSingleton.h"
#include "inspection/ClustomRect.h"
#include "inspection/DetectionResults.h"
#include "resources/Resources.h"
#include "station/CammerWidget.h"
#include "station/DrawROIWidget.h"
#include "station/Main_MenuBtnWidget.h"
#include "station/MenuBtnWidget.h"
#include "station/MoJuWizard.h"
#include "station/RegionChangeRecords.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "tests/station/ModalBoxes.h"
#include "tests/station/StationHarness.h"
#include "tests/support/ModalAnswerer.h"
#include "uikit/ComboBox.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"

#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {

constexpr int Timeout = StationHarness::Timeout;
constexpr int Cameras = 2;
constexpr int Cavity = 1;
// Output 3 (alarm) in the board's word: set at its idle level, clear while the alarm sounds.
constexpr int AlarmIdle = 0x004;

// The stored configuration of a camera, read afresh from the parameter database.
std::unique_ptr<CammerSingleton> stored(int camera)
{
    auto config = std::make_unique<CammerSingleton>(camera);
    QSqlQuery query = ParameterManager::instance()->paramQuery();
    config->load(query, StationHarness::Width, StationHarness::Height);
    return config;
}

// A trigger that refuses every write to a camera's table while it lives.
struct RefusedTable
{
    explicit RefusedTable(int camera)
        : table(QStringLiteral("cammer%1").arg(camera))
    {
        QSqlQuery query = ParameterManager::instance()->paramQuery();
        for (const char *when : {"insert", "update", "delete"}) {
            ok = query.exec(QStringLiteral("create trigger refuse_%1_%2 before %2 on %1 begin select raise(abort, 'refused'); end")
                                .arg(table, QString::fromLatin1(when)))
                && ok;
        }
    }
    ~RefusedTable()
    {
        QSqlQuery query = ParameterManager::instance()->paramQuery();
        for (const char *when : {"insert", "update", "delete"})
            query.exec(QStringLiteral("drop trigger if exists refuse_%1_%2").arg(table, QString::fromLatin1(when)));
    }
    QString table;
    bool ok = true;
};

} // namespace

class EditorSavingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveStoresEditsAndRows();
    void nothingChangedAsksNothing();
    void refusedSaveChangesNothing();
    void acceptingCamerasOneByOne();
    void acceptingAllCameras();
    void ngImageTakenAsTemplate();

private:
    MoJuWizard *station() const { return harness.station(); }
    DrawROIWidget *page() const { return station()->drawROIWidget; }
    CammerWidget *view(int c) const { return station()->cameraViews[c]; }
    void openEditor();
    bool latchNg(bool secondToo);
    void selectCamera(int c);
    // A defect region added to the cavity stage of camera c's edit configuration.
    void addRegion(int c, const QRect &rect);
    void restoreStored();

    StationHarness harness{Cameras};
    std::unique_ptr<CammerSingleton> original[Cameras];
};

void EditorSavingTest::initTestCase()
{
    initResources();
    QVERIFY(harness.prepare());
    for (int c = 0; c < Cameras; ++c)
        original[c] = stored(c);
}

void EditorSavingTest::init()
{
    harness.settings()[Param::TemplateCount] = 5;
    QVERIFY(harness.start());
    station()->setRegionPage(page());
    station()->show();
    sharedParameterHintPending = true;
}

void EditorSavingTest::cleanup()
{
    editorSource = -1;
    regionEditActive = false;
    harness.stop();
    restoreStored();
    for (int c = 0; c < Cameras; ++c)
        QFile::remove(templateFilePath(c, Cavity, 1));
}

// Every test starts from the regions the harness prepared.
void EditorSavingTest::restoreStored()
{
    QSqlQuery query = ParameterManager::instance()->paramQuery();
    for (int c = 0; c < Cameras; ++c)
        QVERIFY(original[c]->save(query));
}

void EditorSavingTest::openEditor()
{
    QTest::mouseClick(station()->sideMenu->mainPage()->button("pBtnSetROI"), Qt::LeftButton);
    QCOMPARE(station()->DisplayMode, 3);
    QCOMPARE(editorSource, 0);
}

bool EditorSavingTest::latchNg(bool secondToo)
{
    harness.camera(0).frame = harness.partFrame(0);
    if (secondToo)
        harness.camera(1).frame = harness.partFrame(1);
    return harness.openMould() && QTest::qWaitFor([this] { return station()->DisplayMode == 2; }, Timeout);
}

void EditorSavingTest::selectCamera(int c)
{
    page()->cameraCombo()->setCurrentIndex(c);
    QCOMPARE(station()->currentCamera, c);
}

void EditorSavingTest::addRegion(int c, const QRect &rect)
{
    CammerSingleton &config = *view(c)->editConfig;
    auto *r = new ClustomRect;
    r->setRect(rect.x(), rect.y(), rect.width(), rect.height());
    const int n = config.shapes[Cavity].size();
    const int k = CammerSingleton::slot(Cavity, n);
    config.shapes[Cavity].append(r);
    config.shapeType[k] = r->typeId();
    config.toolType[k] = 0;
    config.param1[k] = 3;
    config.param2[k] = 20;
    config.param3[k] = 50;
    view(c)->editRoiMasks[k] = r->mask();
    config.roiCount[Cavity] = n + 1;
}

// The edits are in force, stored as they are, and written as record rows once stored.
void EditorSavingTest::saveStoresEditsAndRows()
{
    openEditor();
    addRegion(0, QRect(300, 200, 30, 30));
    view(0)->editConfig->param2[CammerSingleton::slot(Cavity, 0)] += 5;
    const RegionChanges expected = regionChanges(*view(0)->activeConfig, *view(0)->editConfig, 0,
                                                 (*currentParams)[Param::MachineMode], detectsPerCamera);
    QCOMPARE(expected.rows.size(), 2);
    const int rowsBefore = StationHarness::recordRemarks().size();

    ModalAnswerer answer(pressOk);
    page()->SlotSaveData();
    QVERIFY(answer.answered());

    QVERIFY(view(0)->activeConfig->equals(*view(0)->editConfig));
    QVERIFY(stored(0)->equals(*view(0)->activeConfig));
    QVERIFY(stored(1)->equals(*original[1]));
    const QStringList rows = StationHarness::recordRemarks().mid(rowsBefore);
    QCOMPARE(rows, expected.rows);
}

void EditorSavingTest::nothingChangedAsksNothing()
{
    openEditor();
    const int rowsBefore = StationHarness::recordRemarks().size();
    ModalAnswerer answer(closeBox);
    page()->SlotSaveData();
    QTest::qWait(50);
    QVERIFY(!answer.answered());
    QCOMPARE(StationHarness::recordRemarks().size(), rowsBefore);
}

// The second camera's table refuses the write: the first camera's rows, stored earlier in the
// same transaction, go back too; detection keeps what was stored, the operator is told, no
// record row claims a change, and the edits wait for another try.
void EditorSavingTest::refusedSaveChangesNothing()
{
    openEditor();
    addRegion(0, QRect(300, 200, 30, 30));
    addRegion(1, QRect(300, 200, 30, 30));
    const RefusedTable refused(1);
    QVERIFY(refused.ok);
    const int rowsBefore = StationHarness::recordRemarks().size();

    QString warned;
    std::unique_ptr<ModalAnswerer> warning;
    ModalAnswerer confirm([&](QWidget *box) {
        warning = std::make_unique<ModalAnswerer>([&](QWidget *w) {
            if (auto *b = qobject_cast<Warnbox *>(w))
                warned = b->text();
            closeBox(w);
        });
        pressOk(box);
    });
    page()->SlotSaveData();
    QVERIFY(confirm.answered());
    QVERIFY(warning && warning->answered());
    QVERIFY(!warned.isEmpty());

    for (int c = 0; c < Cameras; ++c) {
        QVERIFY(stored(c)->equals(*original[c]));
        QVERIFY(view(c)->activeConfig->equals(*original[c]));
        QCOMPARE(view(c)->editConfig->roiCount[Cavity], original[c]->roiCount[Cavity] + 1);
    }
    QCOMPARE(StationHarness::recordRemarks().size(), rowsBefore);
}

// Accepting one NG camera leaves the alarm latched and shows the camera still NG; accepting
// that one too releases it.
void EditorSavingTest::acceptingCamerasOneByOne()
{
    QVERIFY(latchNg(true));
    QCOMPARE(editorSource, 1);
    selectCamera(0);
    {
        ModalAnswerer answer(pressOk);
        QTest::mouseClick(page()->button("pCButtonNoCheckCur"), Qt::LeftButton);
        QVERIFY(answer.answered());
    }
    QCOMPARE(station()->DisplayMode, 2);
    QVERIFY(view(0)->ngHandled[Cavity]);
    QVERIFY(view(0)->results->resultOk);
    QVERIFY(!view(1)->results->resultOk);
    QCOMPARE(station()->currentCamera, 1);
    QCOMPARE(page()->cameraCombo()->currentIndex(), 1);
    QVERIFY(StationHarness::recordRemarks().contains(uiText(106).arg(1)));
    QTRY_VERIFY_WITH_TIMEOUT((harness.boardOutputs() & AlarmIdle) == 0, Timeout);

    ModalAnswerer answer(pressOk);
    QTest::mouseClick(page()->button("pCButtonNoCheckCur"), Qt::LeftButton);
    QVERIFY(answer.answered());
    QVERIFY(station()->DisplayMode != 2);
    QCOMPARE(editorSource, -1);
    QVERIFY(!station()->sideMenu->editorPageShown());
    QTRY_VERIFY_WITH_TIMEOUT(harness.boardOutputs() & AlarmIdle, Timeout);
}

// Accepting every camera at once releases the alarm although both are still NG.
void EditorSavingTest::acceptingAllCameras()
{
    QVERIFY(latchNg(true));
    QCOMPARE(station()->currentCamera, Cameras);
    ModalAnswerer answer(pressOk);
    QTest::mouseClick(page()->button("pCButtonNoCheckCur"), Qt::LeftButton);
    QVERIFY(answer.answered());
    QVERIFY(station()->DisplayMode != 2);
    QCOMPARE(editorSource, -1);
    QVERIFY(StationHarness::recordRemarks().contains(uiText(103)));
    QTRY_VERIFY_WITH_TIMEOUT(harness.boardOutputs() & AlarmIdle, Timeout);
}

// The NG image becomes a template in the first free slot and the examination passes.
void EditorSavingTest::ngImageTakenAsTemplate()
{
    QVERIFY(latchNg(false));
    selectCamera(0);
    ModalAnswerer answer(pressOk);
    QTest::mouseClick(page()->button("pCButtonAddTemp"), Qt::LeftButton);
    QVERIFY(answer.answered());
    QVERIFY(station()->DisplayMode != 2);
    QVERIFY(QFile::exists(templateFilePath(0, Cavity, 1)));
    QCOMPARE(view(0)->templateValid[Cavity][1], 1);
    QCOMPARE(view(0)->validTemplateCount[Cavity], 2);
    QVERIFY(StationHarness::recordRemarks().contains(uiText(109).arg(1)));
    QTRY_VERIFY_WITH_TIMEOUT(harness.boardOutputs() & AlarmIdle, Timeout);
}

QTEST_MAIN(EditorSavingTest)
#include "tst_EditorSaving.moc"
