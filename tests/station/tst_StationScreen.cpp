// The station's screen as the operator sees it: the panel titles and report tables, the
// camera view's alarm pixels, the I/O lamps, the side menu with its login and commands, and
// the English translation. The whole station runs in this process on two test cameras.

#include "cameras/CameraInterface.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "inspection/CammerSingleton.h"
#include "inspection/DetectionResults.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "resources/Resources.h"
#include "station/CameraReportForm.h"
#include "station/CameraReportForm_Model.h"
#include "station/CameraWgtBox.h"
#include "station/CameraWgt_DataWidget.h"
#include "station/CameraWgt_DataWidget_Title_Normal.h"
#include "station/CameraWgt_DataWidget_Title_SetROI.h"
#include "station/CammerWidget.h"
#include "station/DottomDockWidget.h"
#include "station/DottomDock_Describe.h"
#include "station/IOStatusWidget_2.h"
#include "station/IOWidget_Item.h"
#include "station/ImagePickForm_Source.h"
#include "station/Main_MenuBtnWidget.h"
#include "station/MenuBtnWidget.h"
#include "station/MoJuWizard.h"
#include "station/RegionTools.h"
#include "station/ReportRow.h"
#include "station/StationGlobals.h"
#include "station/TemplateFiles.h"
#include "tests/station/StationHarness.h"
#include "tests/support/ModalAnswerer.h"
#include "uikit/CComp_DialogFrame.h"
#include "uikit/Edit.h"
#include "uikit/LoginDecision.h"
#include "uikit/MultipleBtnGroup.h"
#include "uikit/StyleHelpers.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/inputbox.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTranslator>
#include <QtTest>

namespace {

constexpr int Timeout = StationHarness::Timeout;
constexpr int Cameras = 2;
const QColor runningRed(0xF2, 0x4C, 0x3F);
const QColor commandGrey(0x4F, 0x59, 0x63);

// Answers the next modal box by pressing its OK button.
void pressOk(QWidget *box)
{
    QVERIFY(ModalAnswerer::clickButton(box, QStringLiteral("确定")));
}

} // namespace

class StationScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void titleStatus_data();
    void titleStatus();
    void countdownAndCycleTexts_data();
    void countdownAndCycleTexts();
    void reportRowsByTool_data();
    void reportRowsByTool();
    void reportTableAfterOkCycle();
    void imageTitleNamesOwnCamerasTemplate();
    void disabledCameraButtonWarnsAndKeepsLayout();
    void startStopButtonFollowsRunState();
    void lampsShowTheMachinesSense_data();
    void lampsShowTheMachinesSense();
    void loginFromSideMenu_data();
    void loginFromSideMenu();
    void resamplingDeletesTemplates();
    void alarmPixelsBlink();
    void manualCaptureStepsSimulatedCameras();
    void englishTranslation_data();
    void englishTranslation();
    void englishOnTheWidgets();

private:
    MoJuWizard *station() const { return harness.station(); }
    CameraWgt_DataWidget *panel(int c) const { return station()->cameraBox->panel(c); }
    Main_MenuBtnWidget *menu() const { return station()->sideMenu->mainPage(); }
    QPushButton *startStop() const { return menu()->button("pBtnStartStop"); }
    bool latchNg();

    StationHarness harness{Cameras};
};

void StationScreenTest::initTestCase()
{
    initResources();
    QVERIFY(harness.prepare());
}

void StationScreenTest::init()
{
    QVERIFY(harness.start());
    station()->show();
}

void StationScreenTest::cleanup()
{
    for (int c = 0; c < Cameras; ++c) {
        harness.camera(c).simulated = false;
        harness.camera(c).storedFrames.clear();
    }
    editorSource = -1;
    harness.stop();
}

// A cycle with a part left in camera 1's cavity: the alarm latches.
bool StationScreenTest::latchNg()
{
    harness.camera(0).frame = harness.partFrame(0);
    return harness.openMould() && QTest::qWaitFor([this] { return station()->DisplayMode == 2; }, Timeout);
}

void StationScreenTest::titleStatus_data()
{
    QTest::addColumn<int>("runState");
    QTest::addColumn<int>("cyclePhase");
    QTest::addColumn<int>("machineMode");
    QTest::addColumn<int>("detect");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("text");
    QTest::newRow("stopped, cavity") << 3 << 3 << 0 << 1 << "#FF0000" << "2号相机 模腔 停止中";
    QTest::newRow("stopped, no third stage") << 3 << 1 << 0 << 2 << "#FF0000" << "2号相机  停止中";
    QTest::newRow("sampling whatever the phase") << 2 << 1 << 0 << 0 << "#00ffff" << "2号相机 成品 取样中";
    QTest::newRow("capture delay") << 1 << 1 << 0 << 0 << "#00FF00" << "2号相机 成品 检测中";
    QTest::newRow("captured") << 1 << 2 << 0 << 1 << "#00FF00" << "2号相机 模腔 检测完";
    QTest::newRow("idle") << 1 << 3 << 0 << 1 << "#00FF00" << "2号相机 模腔 等待中";
    QTest::newRow("unknown phase") << 1 << 7 << 0 << 1 << "#00FF00" << "2号相机 模腔 ";
    QTest::newRow("two-colour left") << 1 << 3 << 1 << 0 << "#00FF00" << "2号相机 左成品 等待中";
    QTest::newRow("rotary right cavity") << 1 << 3 << 2 << 3 << "#00FF00" << "2号相机 右模腔 等待中";
}

// Both titles show the same status, in the colour of the run state.
void StationScreenTest::titleStatus()
{
    QFETCH(int, runState);
    QFETCH(int, cyclePhase);
    QFETCH(int, machineMode);
    QFETCH(int, detect);
    QFETCH(QString, colour);
    QFETCH(QString, text);
    harness.settings()[Param::MachineMode] = machineMode;
    station()->RunState = runState;
    station()->cyclePhase = cyclePhase;
    station()->setCurrentDetect(detect);
    for (CameraWgt_DataWidget_Title *title :
         {static_cast<CameraWgt_DataWidget_Title *>(panel(1)->normalTitle()),
          static_cast<CameraWgt_DataWidget_Title *>(panel(1)->imageTitle())}) {
        title->updateStatus();
        QCOMPARE(title->runStatusLabel()->text(), colorText(colour, text));
    }
}

void StationScreenTest::countdownAndCycleTexts_data()
{
    QTest::addColumn<float>("countdown");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("cycleTenths");
    QTest::addColumn<QString>("cycle");
    QTest::newRow("none") << 0.0f << "1号相机 模腔 检测中" << 0 << "周期 0.0秒";
    QTest::newRow("at the limit") << 0.02f << "1号相机 模腔 检测中" << 35 << "周期 3.5秒";
    QTest::newRow("just above") << 0.03f << "1号相机 模腔 检测中 0.03" << 99 << "周期 9.9秒";
    QTest::newRow("two decimals") << 1.25f << "1号相机 模腔 检测中 1.25" << 100 << "周期10.0秒";
    QTest::newRow("three digits") << 12.5f << "1号相机 模腔 检测中 12.5" << 1234 << "周期123.4秒";
}

void StationScreenTest::countdownAndCycleTexts()
{
    QFETCH(float, countdown);
    QFETCH(QString, status);
    QFETCH(int, cycleTenths);
    QFETCH(QString, cycle);
    QCOMPARE(CameraWgt_DataWidget_Title::statusLine(0, QStringLiteral("模腔"), QStringLiteral("检测中"), countdown),
             status);
    QCOMPARE(DottomDock_Describe_part1::cycleText(cycleTenths), cycle);
}

void StationScreenTest::reportRowsByTool_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("p2");
    QTest::addColumn<int>("p3");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::newRow("defect: only the upper limit") << 0 << 40 << 120 << 0.0 << 120.0;
    QTest::newRow("similarity: only the lower") << 6 << 85 << 7 << 85.0 << 0.0;
    QTest::newRow("spot: both") << 1 << 20 << 900 << 20.0 << 900.0;
    // Low halves, signed: -20 and 600; the high halves hold other values.
    QTest::newRow("temperature") << 9 << int(0x0005FFECu) << int(0x00070258u) << -20.0 << 600.0;
}

void StationScreenTest::reportRowsByTool()
{
    QFETCH(int, tool);
    QFETCH(int, p2);
    QFETCH(int, p3);
    QFETCH(double, lower);
    QFETCH(double, upper);
    CammerSingleton config(0);
    DetectionResults results;
    const int stage = 1;
    config.roiCount[stage] = 2;
    for (int r = 0; r < 2; ++r) {
        const int k = CammerSingleton::slot(stage, r);
        config.toolType[k] = tool;
        config.param2[k] = p2;
        config.param3[k] = p3;
        results.roiValue[k] = 17 + r;
    }
    results.roiOk[stage][1] = false;
    const QList<ReportRow> rows = reportRows(config, results, stage);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].regionNumber, 2);
    QCOMPARE(rows[1].toolName, regionToolName(tool));
    QCOMPARE(rows[1].lowerLimit, lower);
    QCOMPARE(rows[1].upperLimit, upper);
    QCOMPARE(rows[1].measuredValue, 18.0);
    QVERIFY(rows[0].resultOk);
    QVERIFY(!rows[1].resultOk);

    CameraReportForm_Model model;
    model.setRows(rows);
    QCOMPARE(model.data(model.index(1, 5)).toString(), QStringLiteral("NG"));
    QCOMPARE(model.data(model.index(1, 5), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QCOMPARE(model.data(model.index(0, 5), Qt::ForegroundRole).value<QColor>(), QColor(Qt::green));
    QCOMPARE(model.data(model.index(0, 2), Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
    QCOMPARE(model.data(model.index(0, 3), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QVERIFY(!model.data(model.index(2, 0)).isValid());
    QVERIFY(!model.data(model.index(0, 6)).isValid());
}

// After an OK cycle every panel's table holds one row per region of the stage just judged.
void StationScreenTest::reportTableAfterOkCycle()
{
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 1, Timeout);
    const int stage = station()->currentDetect();
    for (int c = 0; c < Cameras; ++c) {
        const CammerWidget *view = station()->cameraViews[c];
        const CameraReportForm_Model *model = panel(c)->reportForm()->model();
        QVERIFY(view->activeConfig->roiCount[stage] > 0);
        QCOMPARE(model->rowCount(), view->activeConfig->roiCount[stage]);
        for (int r = 0; r < model->rowCount(); ++r)
            QCOMPARE(model->data(model->index(r, 5)).toString(), QStringLiteral("OK"));
        // The run title shows the verdict and the count.
        panel(c)->normalTitle()->updateStatus();
        QCOMPARE(panel(c)->normalTitle()->resultLabel()->text(), QStringLiteral("OK"));
        QVERIFY(panel(c)->normalTitle()->reportLabel()->text().contains(colorText(QStringLiteral("#00ffff"), QStringLiteral("1"))));
    }
    // Resizing to 600 shares the width out by six.
    CameraReportForm *form = panel(0)->reportForm();
    form->resize(600, 300);
    QCOMPARE(form->tableView()->columnWidth(0), 100);
    QCOMPARE(form->tableView()->columnWidth(4), 100);
}

// With all cameras shown each panel names the template of its own camera, never of a camera
// one past the last.
void StationScreenTest::imageTitleNamesOwnCamerasTemplate()
{
    QCOMPARE(station()->currentCamera, Cameras);
    station()->editDetect = 1;
    station()->setCameraViewsMode(3);
    for (int c = 0; c < Cameras; ++c) {
        const QString stamp = QFileInfo(templateFilePath(c, 1, 0)).lastModified().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
        QVERIFY(!stamp.isEmpty());
        const int count = station()->cameraViews[c]->validTemplateCount[1];
        QCOMPARE(panel(c)->currentTitle(), panel(c)->imageTitle());
        QCOMPARE(panel(c)->imageTitle()->imageInfo(), QStringLiteral("模板数 1 / %1   %2").arg(count).arg(stamp));
        QVERIFY(!panel(c)->reportForm()->isVisible());
    }
    station()->setCameraViewsMode(0);
    QVERIFY(panel(0)->reportForm()->isVisible());
    QCOMPARE(panel(0)->currentTitle(), panel(0)->normalTitle());
}

void StationScreenTest::disabledCameraButtonWarnsAndKeepsLayout()
{
    harness.settings()[Param::CameraEnabled + 1] = 0;
    station()->UpdateCameraPanels();
    QVERIFY(!panel(1)->isVisible());
    station()->currentCamera = 0;
    station()->ChangeCammer();
    auto *group = panel(0)->normalTitle()->buttonGroup()->findChild<QButtonGroup *>(QStringLiteral("btnGroup"));
    QVERIFY(group);
    QVERIFY(!group->button(0)->isEnabled());

    ModalAnswerer answer([](QWidget *box) { ModalAnswerer::pressEscape(box); });
    group->button(1)->click();
    QVERIFY(answer.answered());
    QCOMPARE(answer.answeredClass(), QStringLiteral("Warnbox"));
    QCOMPARE(station()->currentCamera, 0);
    QVERIFY(panel(0)->isVisible());
    QVERIFY(!panel(1)->isVisible());

    // All cameras: the enabled ones only.
    group->button(-1)->click();
    QCOMPARE(station()->currentCamera, Cameras);
    QVERIFY(panel(0)->isVisible());
    QVERIFY(!panel(1)->isVisible());
}

// The button offers what a press does and is red while detection runs, whichever way the run
// state changed.
void StationScreenTest::startStopButtonFollowsRunState()
{
    const auto check = [this](bool running) {
        QCOMPARE(startStop()->text(), running ? QStringLiteral("停止检测") : QStringLiteral("开始检测"));
        QCOMPARE(startStop()->property("is_running").toBool(), running);
        // Not under the pointer: the state shows all the same.
        const QImage face = startStop()->grab().toImage();
        QCOMPARE(QColor(face.pixel(3, face.height() / 2)), running ? runningRed : commandGrey);
    };
    check(true);

    // Stopping asks for confirmation.
    {
        ModalAnswerer answer(pressOk);
        QTest::mouseClick(startStop(), Qt::LeftButton);
        QVERIFY(answer.answered());
    }
    QCOMPARE(station()->RunState, 3);
    check(false);
    // Starting does not.
    QTest::mouseClick(startStop(), Qt::LeftButton);
    QCOMPARE(station()->RunState, 1);
    check(true);

    // Re-sampling while stopped starts detection.
    {
        ModalAnswerer answer(pressOk);
        QTest::mouseClick(startStop(), Qt::LeftButton);
    }
    check(false);
    {
        ModalAnswerer answer(pressOk);
        QTest::mouseClick(menu()->button("pBtnRetrain"), Qt::LeftButton);
        QVERIFY(answer.answered());
    }
    QCOMPARE(station()->RunState, 2);
    check(true);

    // The alarm latch stops detection.
    station()->StartDetect();
    station()->updateVisiblePanelTitles();
    QVERIFY(latchNg());
    check(false);
    // Refused while latched: nothing changes.
    QTest::mouseClick(startStop(), Qt::LeftButton);
    QCOMPARE(station()->RunState, 3);
    check(false);
}

void StationScreenTest::lampsShowTheMachinesSense_data()
{
    QTest::addColumn<int>("idleLevel");
    QTest::addColumn<int>("polarity");
    QTest::addColumn<int>("extraOutputs");
    QTest::newRow("idle high") << 1 << 0 << 0;
    QTest::newRow("idle low, inverted input") << 0 << 1 << 1;
}

void StationScreenTest::lampsShowTheMachinesSense()
{
    QFETCH(int, idleLevel);
    QFETCH(int, polarity);
    QFETCH(int, extraOutputs);
    SystemParameters &p = harness.settings();
    const int alarm = 2;
    const int door = 1;
    p[Param::OutputIdleLevel + alarm] = idleLevel;
    p[Param::InputPolarity + door] = polarity;
    p[Param::MultiOutput] = extraOutputs;
    IOStatusWidget_2 row;
    controlPort->CheckInput(door);
    controlPort->SetOutput(alarm, false);
    row.refreshLamps();
    QVERIFY(!row.outputLamp(alarm)->lit);
    // The door's wire is inactive: the lamp is lit only when the input is inverted.
    QCOMPARE(row.inputLamp(door)->lit, polarity == 1);
    controlPort->SetOutput(alarm, true);
    row.refreshLamps();
    QVERIFY(row.outputLamp(alarm)->lit);
    controlPort->SetOutput(alarm, false);

    QCOMPARE(row.inputLamp(4)->isVisibleTo(&row), true);
    QCOMPARE(row.inputLamp(5)->isVisibleTo(&row), false);
    QCOMPARE(row.outputLamp(5)->isVisibleTo(&row), extraOutputs == 1);
    QCOMPARE(row.inputLamp(5)->text(), QStringLiteral("I-6"));
    QCOMPARE(row.outputLamp(9)->text(), QStringLiteral("O-10"));
}

void StationScreenTest::loginFromSideMenu_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("level");
    QTest::newRow("access code") << maintenanceAccessString(true, QDateTime::currentDateTime()) << 2;
    QTest::newRow("user password") << "4711'x" << 1;
    QTest::newRow("wrong") << "1234" << 0;
}

// 区域设置 asks for a login when password protection is on; a granted one opens the region
// page on the image titles, a refused one changes nothing.
void StationScreenTest::loginFromSideMenu()
{
    QFETCH(QString, entry);
    QFETCH(int, level);
    harness.settings()[Param::PasswordUsed] = 1;
    QVERIFY(harness.settings().setPassword("4711'x"));
    ModalAnswerer answer([&entry](QWidget *box) {
        auto *prompt = qobject_cast<inputbox *>(box);
        QVERIFY(prompt);
        prompt->passwordField()->setText(entry);
        QVERIFY(ModalAnswerer::clickButton(box, QStringLiteral("确定")));
        // A wrong entry keeps the prompt open until it is cancelled.
        if (box->isVisible())
            QVERIFY(ModalAnswerer::clickButton(box, QStringLiteral("取消")));
    });
    QTest::mouseClick(menu()->button("pBtnSetROI"), Qt::LeftButton);
    QVERIFY(answer.answered());
    QCOMPARE(station()->userLevel(), level);
    QCOMPARE(station()->DisplayMode, level > 0 ? 3 : 0);
    QCOMPARE(harness.regionPage.entered, level > 0 ? 1 : 0);
    QCOMPARE(panel(0)->currentTitle(), level > 0 ? static_cast<CameraWgt_DataWidget_Title *>(panel(0)->imageTitle())
                                                 : static_cast<CameraWgt_DataWidget_Title *>(panel(0)->normalTitle()));
    QCOMPARE(station()->bottomBar->isVisible(), level == 0);
}

void StationScreenTest::resamplingDeletesTemplates()
{
    ModalAnswerer answer(pressOk);
    QTest::mouseClick(menu()->button("pBtnRetrain"), Qt::LeftButton);
    QVERIFY(answer.answered());
    QCOMPARE(harness.regionPage.templatesDeleted, 1);
    QCOMPARE(station()->RunState, 2);
    for (int c = 0; c < Cameras; ++c) {
        for (int s = 0; s < detectsPerCamera; ++s)
            QCOMPARE(station()->cameraViews[c]->samplePending[s], harness.settings()[Param::StageEnabled + s] != 0);
    }
    QVERIFY(StationHarness::recordRemarks().contains(uiText(139)));
}

// During a latched alarm on the live image the NG pixels are red in blink phase 1 only.
void StationScreenTest::alarmPixelsBlink()
{
    QVERIFY(latchNg());
    editorSource = 1;
    CammerWidget *view = station()->cameraViews[0];
    const int stage = station()->currentDetect();
    const QRect region = *view->activeConfig->shapes[stage][0];
    QVERIFY(!view->results->roiOk[stage][0]);
    // A widget pixel whose image pixel is marked NG inside the region.
    QPoint hit(-1, -1);
    for (int y = 0; y < view->height() && hit.x() < 0; ++y) {
        const int iy = int(std::floor(double(y) * view->imageHeight / view->height()));
        for (int x = 0; x < view->width(); ++x) {
            const int ix = int(std::floor(double(x) * view->imageWidth / view->width()));
            if (region.contains(ix, iy) && view->resultMask[size_t(iy * view->imageWidth + ix)]) {
                hit = QPoint(x, y);
                break;
            }
        }
    }
    QVERIFY(hit.x() >= 0);
    view->blinkPhase = 1;
    QCOMPARE(QColor(view->grab().toImage().pixel(hit)), QColor(Qt::red));
    view->blinkPhase = 0;
    QVERIFY(QColor(view->grab().toImage().pixel(hit)) != QColor(Qt::red));
}

// The simulated cameras show their next stored picture on a manual capture: with the part
// gone from the picture the safety door releases the alarm.
void StationScreenTest::manualCaptureStepsSimulatedCameras()
{
    harness.stop();
    for (int c = 0; c < Cameras; ++c) {
        harness.camera(c).simulated = true;
        harness.camera(c).storedFrames = {harness.goodFrame(c)};
    }
    QVERIFY(harness.start());
    QVERIFY(station()->cameraViews[0]->simulated);
    QVERIFY(latchNg());

    harness.setInput(1, true);
    QTRY_COMPARE_WITH_TIMEOUT(harness.regionPage.rechecks, 1, Timeout);
    QCOMPARE(station()->DisplayMode, 2);
    harness.setInput(1, false);
    QTRY_VERIFY_WITH_TIMEOUT(!controlPort->GetIOState(false, 1), Timeout);

    // The alarm's editor page covers the menu: its manual capture is refused. The cameras step
    // as the capture would have stepped them.
    station()->SlotManualTrig(1);
    for (int c = 0; c < Cameras; ++c) {
        QCOMPARE(harness.camera(c).stepped, 0);
        station()->cameraViews[c]->camera()->nextSimulatedFrame();
        QCOMPARE(harness.camera(c).stepped, 1);
    }
    harness.setInput(1, true);
    QTRY_COMPARE_WITH_TIMEOUT(harness.regionPage.rechecks, 2, Timeout);
    QVERIFY(station()->DisplayMode != 2);
    QCOMPARE(station()->RunState, 1);

    // Back on the main menu the manual capture steps them.
    station()->SlotManualTrig(1);
    for (int c = 0; c < Cameras; ++c)
        QCOMPARE(harness.camera(c).stepped, 2);
}

void StationScreenTest::englishTranslation_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("english");
    QTest::newRow("run status") << "CameraWgt_DataWidget_Title" << "停止中" << "Stopped";
    QTest::newRow("run title") << "CameraWgt_DataWidget_Title_Normal" << "帧率 " << "FPS ";
    QTest::newRow("image title") << "CameraWgt_DataWidget_Title_SetROI" << "图片信息" << "Image";
    QTest::newRow("panel") << "CameraWgt_DataWidget" << "模板数 %1 / %2   %3" << "Template %1 / %2   %3";
    QTest::newRow("report") << "CameraReportForm_Model" << "结果" << "Result";
    QTest::newRow("bottom bar") << "DottomDock_Describe_part1" << "周期%1秒" << "Cycle %1 s";
    QTest::newRow("lamps") << "IOStatusWidget_2" << "I/O板无应答" << "I/O board not answering";
    QTest::newRow("side menu") << "Main_MenuBtnWidget" << "开始检测" << "Start";
    QTest::newRow("editor page") << "DrawROIWidget" << "完成设定" << "Done";
    QTest::newRow("main window") << "MoJuWizard" << "确定要停止检测吗？" << "Stop detection?";
    QTest::newRow("camera view") << "CammerWidget" << "%1号相机%2，重连成功" << "Camera %1 %2 reconnected";
    QTest::newRow("camera buttons") << "MultipleBtnGroup" << "所有相机" << "All cameras";
    QTest::newRow("login") << "inputbox" << "请输入密码" << "Please enter the password";
}

// The compiled translation of the runtime folder, as the program loads it under English.
void StationScreenTest::englishTranslation()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, english);
    const QString file = qEnvironmentVariable("MM_BINARY_DIR") + QStringLiteral("/runtime/Translator/tr_en.qm");
    QTranslator translator;
    QVERIFY2(translator.load(file), qPrintable(file));
    QCOMPARE(translator.translate(context.toLatin1().constData(), source.toUtf8().constData()), english);
}

// Under English the texts that pass through tr() show in English on the widgets themselves:
// the framed dialogs' OK button and the image browser's headings.
void StationScreenTest::englishOnTheWidgets()
{
    const QString file = qEnvironmentVariable("MM_BINARY_DIR") + QStringLiteral("/runtime/Translator/tr_en.qm");
    QTranslator translator;
    QVERIFY2(translator.load(file), qPrintable(file));
    QCoreApplication::installTranslator(&translator);
    CComp_DialogFrame frame(QStringLiteral("frame"), nullptr);
    ImagePickForm_Source browserOptions;
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(frame.findChild<QPushButton *>(QStringLiteral("okBtn"))->text(), QStringLiteral("OK"));
    QStringList headings;
    for (QLabel *label : browserOptions.findChildren<QLabel *>())
        headings << label->text();
    QCOMPARE(headings, (QStringList{"·Image type", "·Camera", "·Stage"}));
}

QTEST_MAIN(StationScreenTest)
#include "tst_StationScreen.moc"
