// The region editor as the operator uses it: the editor page beside the panels, regions drawn,
// selected and moved with the mouse on a template, the edit panel's parameter writes, and how
// the editor and the running machine meet (alarm output, login, verdicts held while editing).
// The whole station runs in this process on two test cameras.

#include "core/ParameterNames.h"
#include "core/Globals.h"
#include "core/SystemParameters.h"
#include "inspection/CammerSingleton.h"
#include "inspection/ClustomRect.h"
#include "inspection/DetectionResults.h"
#include "inspection/RePolygon.h"
#include "resources/Resources.h"
#include "station/CammerWidget.h"
#include "station/DrawROIWidget.h"
#include "station/MenuBtnWidget.h"
#include "station/Main_MenuBtnWidget.h"
#include "station/MoJuWizard.h"
#include "station/RegionTools.h"
#include "station/StationGlobals.h"
#include "tests/station/ModalBoxes.h"
#include "tests/station/StationHarness.h"
#include "tests/support/ModalAnswerer.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/Edit.h"
#include "uikit/LoginDecision.h"
#include "uikit/Slider.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/inputbox.h"

#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cmath>

namespace {

constexpr int Timeout = StationHarness::Timeout;
constexpr int Cameras = 2;
constexpr int AlarmOn = 0x004; // output 3 away from its idle level
constexpr int Width = StationHarness::Width;
constexpr int Height = StationHarness::Height;

} // namespace

class RegionEditorTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void productStageFallsBackOnItsSide_data();
    void productStageFallsBackOnItsSide();
    void controlsBySource_data();
    void controlsBySource();
    void drawnShapeKeptOrDropped_data();
    void drawnShapeKeptOrDropped();
    void fullStageRefusesRegion_data();
    void fullStageRefusesRegion();
    void overlappingRegionsTakeTurns();
    void dragStopsAtTheMargin_data();
    void dragStopsAtTheMargin();
    void polygonButtonTwiceClosesPolygon();
    void freehandPolygon();
    void copyPlacesRegionAtPress();
    void panelWritesParameters_data();
    void panelWritesParameters();
    void panelFollowsTool();
    void moveModeTwoShowsEveryRegion();
    void previewMarksPixels();
    void templateDuringAlarmNeedsLogin_data();
    void templateDuringAlarmNeedsLogin();
    void ngCycleKeepsUnsavedEdits();
    void cycleAfterResampling();
    void panStaysOnPicture();

private:
    MoJuWizard *station() const { return harness.station(); }
    DrawROIWidget *page() const { return station()->drawROIWidget; }
    CammerWidget *view() const { return station()->cameraViews[0]; }
    int stage() const { return station()->editDetect; }
    int regionCount() const { return view()->editConfig->roiCount[stage()]; }
    ROIInterface *shape(int r) const { return view()->editConfig->shapes[stage()][r]; }
    // Opens the editor from the side menu on camera 1, stage 1, without regions.
    void openEditor(bool keepRegions = false);
    bool latchNg();
    void clearStage();
    void addRectangle(const QRect &rect, int tool = RegionTool::Defect);
    QPoint at(const QPoint &imagePoint) const;
    void press(const QPoint &p);
    void move(const QPoint &p);
    void release(const QPoint &p);
    void drag(const QPoint &from, const QPoint &to);
    void clickButton(const char *name);

    StationHarness harness{Cameras};
};

void RegionEditorTest::initTestCase()
{
    initResources();
    QVERIFY(harness.prepare());
}

void RegionEditorTest::init()
{
    QVERIFY(harness.start());
    station()->setRegionPage(page());
    station()->show();
    sharedParameterHintPending = true;
}

void RegionEditorTest::cleanup()
{
    editorSource = -1;
    regionEditActive = false;
    harness.stop();
}

void RegionEditorTest::openEditor(bool keepRegions)
{
    QTest::mouseClick(station()->sideMenu->mainPage()->button("pBtnSetROI"), Qt::LeftButton);
    QCOMPARE(station()->DisplayMode, 3);
    QCOMPARE(editorSource, 0);
    QVERIFY(station()->sideMenu->editorPageShown());
    page()->detectCombo()->setCurrentIndex(1);
    QCOMPARE(stage(), 1);
    QCOMPARE(station()->currentCamera, 0);
    // The single view takes its size before a test aims at its pixels.
    QTRY_VERIFY(view()->width() > Width && view()->scaleX >= 1.0f && view()->scaleY >= 1.0f);
    if (!keepRegions)
        clearStage();
}

bool RegionEditorTest::latchNg()
{
    harness.camera(0).frame = harness.partFrame(0);
    return harness.openMould() && QTest::qWaitFor([this] { return station()->DisplayMode == 2; }, Timeout);
}

void RegionEditorTest::clearStage()
{
    view()->CancelEditing();
    view()->editConfig->deleteShapes(stage());
    view()->editConfig->roiCount[stage()] = 0;
}

void RegionEditorTest::addRectangle(const QRect &rect, int tool)
{
    CammerSingleton &config = *view()->editConfig;
    auto *r = new ClustomRect;
    r->setRect(rect.x(), rect.y(), rect.width(), rect.height());
    const int n = config.shapes[stage()].size();
    const int k = CammerSingleton::slot(stage(), n);
    config.shapes[stage()].append(r);
    config.shapeType[k] = r->typeId();
    config.toolType[k] = tool;
    view()->editRoiMasks[k] = r->mask();
    config.roiCount[stage()] = n + 1;
}

// The widget point whose image point is p (the view is larger than the image).
QPoint RegionEditorTest::at(const QPoint &p) const
{
    return QPoint(int(std::ceil(p.x() * view()->scaleX)), int(std::ceil(p.y() * view()->scaleY)));
}

void RegionEditorTest::press(const QPoint &p)
{
    QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, at(p));
}

void RegionEditorTest::move(const QPoint &p)
{
    QMouseEvent event(QEvent::MouseMove, at(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view(), &event);
}

void RegionEditorTest::release(const QPoint &p)
{
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, at(p));
}

void RegionEditorTest::drag(const QPoint &from, const QPoint &to)
{
    press(from);
    // In steps larger than the dead zone, as a finger moves.
    const int steps = 4;
    const QPoint delta = to - from;
    for (int i = 1; i <= steps; ++i)
        move(from + QPoint(delta.x() * i / steps, delta.y() * i / steps));
    release(to);
}

void RegionEditorTest::clickButton(const char *name)
{
    QPushButton *b = page()->button(name);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

void RegionEditorTest::productStageFallsBackOnItsSide_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("shown");
    QTest::newRow("mode 0 product") << 0 << 0 << 1;
    QTest::newRow("mode 1 left product") << 1 << 0 << 1;
    QTest::newRow("mode 1 right product") << 1 << 2 << 3;
    QTest::newRow("mode 2 right product") << 2 << 2 << 3;
}

// With product detection off a product stage falls back to the cavity stage of its own side.
void RegionEditorTest::productStageFallsBackOnItsSide()
{
    QFETCH(int, mode);
    QFETCH(int, chosen);
    QFETCH(int, shown);
    openEditor();
    harness.settings()[Param::ProductStage] = 0;
    harness.settings()[Param::MachineMode] = mode;
    // The detect items follow the machine mode the page was built for; here they are set up
    // for the mode under test.
    {
        const QSignalBlocker blocker(page()->detectCombo());
        page()->detectCombo()->clear();
        for (int i = 0; i < (mode == 0 ? 2 : 4); ++i)
            page()->detectCombo()->addItem(QString::number(i));
        page()->detectCombo()->setCurrentIndex(page()->detectCombo()->count() - 1);
    }
    ModalAnswerer answer(closeBox);
    page()->detectCombo()->setCurrentIndex(chosen);
    QVERIFY(answer.answered());
    QCOMPARE(answer.answeredClass(), QStringLiteral("Warnbox"));
    QCOMPARE(page()->detectCombo()->currentIndex(), shown);
    QCOMPARE(stage(), shown);
}

void RegionEditorTest::controlsBySource_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<QStringList>("shown");
    const QStringList tools{"pCButtonDrawRect", "pCButtonDrawCircle", "pCButtonDrawPloygn", "pCButtonDrawHand",
                            "pCButtonCopyArea", "pCButtonDeleteROI", "pCButtonDeleteAllROI"};
    const QStringList pages{"pCButtonTempLast", "pCButtonTempNext"};
    const QStringList common{"pComboChangeSource", "pComboChangeCamera"};
    QTest::newRow("template") << 0 << false
                              << common + QStringList{"pComboChangeDetect", "pCButtonReturn"} + tools + pages
            + QStringList{"pCButtonTempDeleteCur"};
    QTest::newRow("template, alarm") << 0 << true
                                     << common + QStringList{"pComboChangeDetect", "pCButtonReturn"} + tools + pages
            + QStringList{"pCButtonTempDeleteCur", "pCButtonAutoChange"};
    QTest::newRow("live") << 1 << false << common + QStringList{"pCButtonReturn"};
    QTest::newRow("live, alarm") << 1 << true
                                 << common
            + QStringList{"pCButtonAddTemp", "pCButtonNoCheckCur", "pCButtonAutoChange", "pCButtonReCheck"};
    QTest::newRow("recent NG") << 2 << false
                               << common + QStringList{"pComboChangeDetect", "pCButtonReturn", "pCButtonAddTemp"} + pages;
    QTest::newRow("OK records") << 3 << false << common + QStringList{"pComboChangeDetect", "pCButtonReturn"} + pages;
    QTest::newRow("NG records") << 4 << true << common + QStringList{"pComboChangeDetect", "pCButtonReturn"} + pages;
}

void RegionEditorTest::controlsBySource()
{
    QFETCH(int, source);
    QFETCH(bool, alarm);
    QFETCH(QStringList, shown);
    if (alarm) {
        QVERIFY(latchNg());
        // Looking at anything but the live picture during an alarm needs a login: none here.
    } else {
        openEditor(true);
    }
    page()->sourceCombo()->setCurrentIndex(source);
    QCOMPARE(editorSource, source);
    QStringList visible;
    for (QWidget *w : page()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!w->isHidden())
            visible << w->objectName();
    }
    visible.sort();
    shown.sort();
    QCOMPARE(visible, shown);
}

void RegionEditorTest::drawnShapeKeptOrDropped_data()
{
    QTest::addColumn<QByteArray>("tool");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("kept");
    QTest::newRow("rectangle") << QByteArray("pCButtonDrawRect") << QPoint(100, 80) << QPoint(200, 150) << true;
    QTest::newRow("rectangle right to left") << QByteArray("pCButtonDrawRect") << QPoint(200, 150) << QPoint(100, 180)
                                             << false;
    QTest::newRow("rectangle 11 x 11") << QByteArray("pCButtonDrawRect") << QPoint(100, 80) << QPoint(110, 90) << true;
    QTest::newRow("rectangle 10 x 10") << QByteArray("pCButtonDrawRect") << QPoint(100, 80) << QPoint(109, 89) << false;
    QTest::newRow("circle") << QByteArray("pCButtonDrawCircle") << QPoint(100, 80) << QPoint(160, 140) << true;
    QTest::newRow("circle bottom to top") << QByteArray("pCButtonDrawCircle") << QPoint(100, 140) << QPoint(160, 80)
                                          << false;
    QTest::newRow("rectangle past the border") << QByteArray("pCButtonDrawRect") << QPoint(400, 200)
                                               << QPoint(Width + 40, Height + 40) << true;
}

// A drawn shape needs more than 10 pixels in both directions; every tool press draws one shape,
// and no corner leaves the image's margin.
void RegionEditorTest::drawnShapeKeptOrDropped()
{
    QFETCH(QByteArray, tool);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, kept);
    openEditor();
    clickButton(tool.constData());
    QVERIFY(station()->drawTool != 0);
    drag(from, to);
    QCOMPARE(station()->drawTool, 0);
    QCOMPARE(view()->mouseMode, 0);
    QCOMPARE(regionCount(), kept ? 1 : 0);
    if (!kept)
        return;
    const ROIInterface *r = shape(0);
    QCOMPARE(view()->selectedRegion, 0);
    QVERIFY(r->isSelected());
    QVERIFY(r->left() >= 3 && r->top() >= 3);
    QVERIFY(r->right() <= Width - 3 && r->bottom() <= Height - 3);
    QCOMPARE(view()->editConfig->shapeType[CammerSingleton::slot(stage(), 0)],
             tool == "pCButtonDrawCircle" ? int(CircleShape) : int(RectangleShape));
    QVERIFY(!view()->editRoiMasks[CammerSingleton::slot(stage(), 0)].empty());
    // The first region of a stage takes its tool's defaults.
    const int k = CammerSingleton::slot(stage(), 0);
    const RegionParameters defaults = newRegionParameters(view()->editConfig->toolType[k], harness.settings()[Param::FilterSize],
                                                          harness.settings()[Param::AlarmArea]);
    QCOMPARE(view()->editConfig->param2[k], *defaults.p2);
    // A second press draws nothing: the tool is used up.
    drag(QPoint(20, 20), QPoint(60, 60));
    QCOMPARE(regionCount(), 1);
}

void RegionEditorTest::fullStageRefusesRegion_data()
{
    QTest::addColumn<QByteArray>("how");
    QTest::newRow("rectangle") << QByteArray("pCButtonDrawRect");
    QTest::newRow("polygon") << QByteArray("pCButtonDrawPloygn");
    QTest::newRow("copy") << QByteArray("pCButtonCopyArea");
}

// The 51st region of a stage is refused with the limit's warning, whichever way it comes.
void RegionEditorTest::fullStageRefusesRegion()
{
    QFETCH(QByteArray, how);
    openEditor();
    for (int i = 0; i < CammerSingleton::MaxRegions; ++i)
        addRectangle(QRect(5 + (i % 10) * 40, 5 + (i / 10) * 40, 20, 20));
    const QString limit = uiText(36);
    QString warned;
    const auto readWarning = [&warned](QWidget *box) {
        warned = box->metaObject()->className();
        closeBox(box);
    };
    clickButton(how.constData());
    if (how == "pCButtonDrawRect") {
        ModalAnswerer answer(readWarning);
        drag(QPoint(300, 230), QPoint(360, 260));
        QVERIFY(answer.answered());
    } else if (how == "pCButtonDrawPloygn") {
        press(QPoint(300, 220));
        release(QPoint(300, 220));
        press(QPoint(350, 220));
        release(QPoint(350, 220));
        press(QPoint(320, 260));
        release(QPoint(320, 260));
        ModalAnswerer answer(readWarning);
        clickButton("pCButtonDrawPloygn");
        QVERIFY(answer.answered());
    } else {
        // The copy asks first, then refuses.
        std::unique_ptr<ModalAnswerer> refuse;
        ModalAnswerer confirm([&](QWidget *box) {
            refuse = std::make_unique<ModalAnswerer>(readWarning);
            pressOk(box);
        });
        press(QPoint(300, 240));
        release(QPoint(300, 240));
        QVERIFY(confirm.answered());
        QVERIFY(refuse && refuse->answered());
    }
    QCOMPARE(warned, QStringLiteral("Warnbox"));
    QCOMPARE(regionCount(), int(CammerSingleton::MaxRegions));
    QCOMPARE(view()->editConfig->shapes[stage()].size(), int(CammerSingleton::MaxRegions));
}

// Clicks on the overlap of two regions select them in turn; a drag moves the selected one.
void RegionEditorTest::overlappingRegionsTakeTurns()
{
    openEditor();
    addRectangle(QRect(60, 60, 200, 160));
    addRectangle(QRect(150, 120, 200, 140));
    // Inside both and away from their edges, which resize a selected region.
    const QPoint overlap(205, 167);
    QVector<int> picked;
    for (int i = 0; i < 4; ++i) {
        press(overlap);
        release(overlap);
        picked << view()->selectedRegion;
    }
    QCOMPARE(picked, (QVector<int>{0, 1, 0, 1}));
    QVERIFY(!shape(0)->isSelected() && shape(1)->isSelected());

    // A press on empty ground clears the selection and remembers it for the copy.
    press(QPoint(440, 20));
    release(QPoint(440, 20));
    QCOMPARE(view()->selectedRegion, -1);
    QCOMPARE(view()->lastSelected, 1);

    // A drag from inside moves the region it starts on.
    drag(QPoint(120, 110), QPoint(140, 130));
    QCOMPARE(view()->selectedRegion, 0);
    QCOMPARE(shape(0)->topLeft(), QPoint(80, 80));
    QCOMPARE(shape(1)->topLeft(), QPoint(150, 120));
}

void RegionEditorTest::dragStopsAtTheMargin_data()
{
    QTest::addColumn<int>("shapeType");
    QTest::addColumn<QPoint>("offset");
    QTest::newRow("rectangle left") << int(RectangleShape) << QPoint(-400, 0);
    QTest::newRow("rectangle down right") << int(RectangleShape) << QPoint(400, 300);
    QTest::newRow("circle up") << int(CircleShape) << QPoint(0, -300);
    QTest::newRow("polygon left") << int(PolygonShape) << QPoint(-400, 0);
    QTest::newRow("polygon down") << int(PolygonShape) << QPoint(0, 300);
}

// Dragged against the border, a region stops 3 pixels from it: rectangles and circles are
// clamped, a polygon refuses the step that would cross.
void RegionEditorTest::dragStopsAtTheMargin()
{
    QFETCH(int, shapeType);
    QFETCH(QPoint, offset);
    openEditor();
    if (shapeType == RectangleShape) {
        clickButton("pCButtonDrawRect");
        drag(QPoint(200, 100), QPoint(260, 150));
    } else if (shapeType == CircleShape) {
        clickButton("pCButtonDrawCircle");
        drag(QPoint(200, 100), QPoint(260, 160));
    } else {
        clickButton("pCButtonDrawPloygn");
        for (const QPoint &p : {QPoint(200, 100), QPoint(260, 110), QPoint(230, 160)}) {
            press(p);
            release(p);
        }
        clickButton("pCButtonDrawPloygn");
    }
    QCOMPARE(regionCount(), 1);
    const QRect before = *shape(0);
    const QPoint inside = shapeType == PolygonShape ? QPoint(230, 115) : before.center();
    drag(inside, inside + offset);
    const QRect after = *shape(0);
    QCOMPARE(after.size(), before.size());
    QVERIFY2(after.left() >= 3 && after.top() >= 3 && after.right() <= Width - 3 && after.bottom() <= Height - 3,
             qPrintable(QStringLiteral("%1,%2 %3x%4").arg(after.x()).arg(after.y()).arg(after.width()).arg(after.height())));
    if (shapeType == PolygonShape) {
        // It went as far as whole steps allowed.
        QVERIFY(offset.x() < 0 ? after.left() < before.left() : after.top() > before.top());
    } else if (offset.x() < 0) {
        QCOMPARE(after.left(), 3);
    } else if (offset.y() < 0) {
        QCOMPARE(after.top(), 3);
    } else {
        QVERIFY(after.right() >= Width - 4 && after.bottom() >= Height - 4);
    }
    // The mask follows the shape.
    const cv::Mat mask = view()->editRoiMasks[CammerSingleton::slot(stage(), 0)];
    QVERIFY(!mask.empty());
}

// 画多边形 pressed again ends the polygon being drawn: it becomes a region; with fewer than
// three points nothing is stored.
void RegionEditorTest::polygonButtonTwiceClosesPolygon()
{
    openEditor();
    QPushButton *polygon = page()->button("pCButtonDrawPloygn");
    clickButton("pCButtonDrawPloygn");
    QCOMPARE(polygon->text(), uiText(33));
    QCOMPARE(station()->drawTool, 2);
    const QVector<QPoint> points{QPoint(100, 60), QPoint(180, 70), QPoint(190, 150), QPoint(90, 140)};
    for (const QPoint &p : points) {
        press(p);
        release(p);
    }
    QCOMPARE(view()->polygonPoints.size(), size_t(4));
    clickButton("pCButtonDrawPloygn");
    QCOMPARE(station()->drawTool, 0);
    QCOMPARE(polygon->text(), uiText(53));
    QCOMPARE(regionCount(), 1);
    QCOMPARE(shape(0)->typeId(), int(PolygonShape));
    QCOMPARE(shape(0)->pointCount(), 4);
    QCOMPARE(view()->selectedRegion, 0);
    QVERIFY(view()->polygonPoints.empty());

    // Two points only: nothing stored.
    clickButton("pCButtonDrawPloygn");
    for (const QPoint &p : {QPoint(300, 60), QPoint(350, 60)}) {
        press(p);
        release(p);
    }
    clickButton("pCButtonDrawPloygn");
    QCOMPARE(regionCount(), 1);
    QCOMPARE(station()->drawTool, 0);
}

// The gesture tool collects the finger's path; a path of five points or fewer is dropped.
void RegionEditorTest::freehandPolygon()
{
    openEditor();
    clickButton("pCButtonDrawHand");
    QVERIFY(station()->freehandPolygon);
    press(QPoint(100, 100));
    for (int i = 0; i < 40; ++i)
        move(QPoint(100 + int(50 * std::cos(i * 0.157)), 100 + int(50 * std::sin(i * 0.157))));
    release(QPoint(100, 100));
    QCOMPARE(regionCount(), 1);
    QCOMPARE(shape(0)->typeId(), int(PolygonShape));
    QVERIFY(shape(0)->left() >= 48 && shape(0)->right() <= 152);

    clickButton("pCButtonDrawHand");
    press(QPoint(300, 100));
    for (int i = 0; i < 4; ++i)
        move(QPoint(300 + 10 * i, 100));
    release(QPoint(340, 100));
    QCOMPARE(regionCount(), 1);
    QCOMPARE(station()->drawTool, 0);
}

// 复制当前区域 then a press: a copy of the selected region, centred on the press, with its
// parameters; near the border it stays inside the margin.
void RegionEditorTest::copyPlacesRegionAtPress()
{
    openEditor();
    addRectangle(QRect(100, 100, 60, 40), RegionTool::BlackArea);
    const int k0 = CammerSingleton::slot(stage(), 0);
    view()->editConfig->param2[k0] = 77;
    press(QPoint(120, 120));
    release(QPoint(120, 120));
    QCOMPARE(view()->selectedRegion, 0);
    clickButton("pCButtonCopyArea");
    QVERIFY(station()->copyAreaPending);
    {
        ModalAnswerer answer(pressOk);
        press(QPoint(300, 200));
        release(QPoint(300, 200));
        QVERIFY(answer.answered());
    }
    QCOMPARE(regionCount(), 2);
    QCOMPARE(view()->selectedRegion, 1);
    QCOMPARE(shape(1)->size(), QSize(60, 40));
    QCOMPARE(shape(1)->center(), QPoint(300, 200));
    const int k1 = CammerSingleton::slot(stage(), 1);
    QCOMPARE(view()->editConfig->toolType[k1], int(RegionTool::BlackArea));
    QCOMPARE(view()->editConfig->param2[k1], 77);

    clickButton("pCButtonCopyArea");
    {
        ModalAnswerer answer(pressOk);
        press(QPoint(Width - 2, Height - 2));
        release(QPoint(Width - 2, Height - 2));
        QVERIFY(answer.answered());
    }
    QCOMPARE(regionCount(), 3);
    QVERIFY(shape(2)->right() <= Width - 3 && shape(2)->bottom() <= Height - 3);
    QCOMPARE(shape(2)->size(), QSize(60, 40));
}

void RegionEditorTest::panelWritesParameters_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("which");
    QTest::addColumn<bool>("secondHalf");
    QTest::addColumn<int>("initial");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("hint");
    QTest::newRow("defect P2") << 0 << 2 << false << 25 << 40 << 40 << true;
    QTest::newRow("defect P1") << 0 << 1 << false << 3 << 7 << 7 << true;
    QTest::newRow("black area P3") << 4 << 3 << false << 100 << 4000 << 4000 << true;
    QTest::newRow("spot lowest grey") << 1 << 1 << false << 0x3200 << 10 << 0x320A << false;
    QTest::newRow("spot highest grey") << 1 << 1 << true << 0x3214 << 100 << 0x6414 << false;
    QTest::newRow("temperature emissivity") << 9 << 1 << false << 90 << 95 << 95 << false;
    QTest::newRow("temperature negative compensation") << 9 << 1 << true << 90 << -5 << int(0xFFFB005A) << false;
    QTest::newRow("temperature negative low limit") << 9 << 2 << false << 65616 << -20 << int(0x1FFEC) << false;
    QTest::newRow("temperature type") << 9 << 2 << true << int(0x1FFEC) << 3 << int(0x3FFEC) << false;
    QTest::newRow("temperature negative reflection") << 9 << 3 << true << 1310840 << -10 << int(0xFFF60078) << false;
    QTest::newRow("temperature high limit below zero") << 9 << 3 << false << int(0xFFF60078) << -30
                                                       << int(0xFFF6FFE2) << false;
}

// The sliders write the whole parameter, one byte of the spot tool's grey range, or one
// 16-bit half of a temperature parameter, leaving the other half as it was whatever the sign.
void RegionEditorTest::panelWritesParameters()
{
    QFETCH(int, tool);
    QFETCH(int, which);
    QFETCH(bool, secondHalf);
    QFETCH(int, initial);
    QFETCH(int, value);
    QFETCH(int, expected);
    QFETCH(bool, hint);
    harness.settings()[Param::RegionParameters] = 1;
    harness.settings()[Param::TemperatureToolEnabled] = 1;
    view()->simulated = true;
    openEditor();
    addRectangle(QRect(100, 60, 120, 80), tool);
    const int k = CammerSingleton::slot(stage(), 0);
    int *params[3] = {&view()->editConfig->param1[k], &view()->editConfig->param2[k], &view()->editConfig->param3[k]};
    *params[which - 1] = initial;
    press(QPoint(150, 100));
    release(QPoint(150, 100));
    QCOMPARE(view()->selectedRegion, 0);
    QVERIFY(view()->p2Slider->isVisibleTo(view()));
    if (secondHalf) {
        QVERIFY(view()->paramSwitchButton->isVisibleTo(view()));
        QTest::mouseClick(view()->paramSwitchButton, Qt::LeftButton);
        QVERIFY(view()->secondHalf);
    }
    station()->drawHintTimer->stop();
    Slider *sliders[3] = {view()->p1Slider, view()->p2Slider, view()->p3Slider};
    sliders[which - 1]->setValue(value);
    QCOMPARE(sliders[which - 1]->value(), value);
    QCOMPARE(*params[which - 1], expected);
    QCOMPARE(station()->drawHintTimer->isActive(), hint);
    // The defect tool has no preview of its own; the others mark what they find.
    QCOMPARE(view()->previewShown, tool != RegionTool::Defect);
    view()->simulated = false;
}

// The function button steps through the enabled tools and resets their parameters; the panel
// shows what each tool uses.
void RegionEditorTest::panelFollowsTool()
{
    harness.settings()[Param::RegionParameters] = 1;
    harness.settings()[Param::DefectToolEnabled] = 1;
    harness.settings()[Param::SpotToolEnabled] = 0;
    harness.settings()[Param::IgnoreToolEnabled] = 0;
    harness.settings()[Param::PositioningToolEnabled] = 0;
    harness.settings()[Param::BlackAreaToolEnabled] = 1;
    harness.settings()[Param::WhiteAreaToolEnabled] = 0;
    harness.settings()[Param::WhiteCountToolEnabled] = 1;
    harness.settings()[Param::TemperatureToolEnabled] = 0;
    harness.settings()[Param::SimilarityToolEnabled] = 1;
    harness.settings()[Param::Registration] = 0;
    openEditor();
    addRectangle(QRect(100, 60, 120, 80), RegionTool::Defect);
    press(QPoint(150, 100));
    release(QPoint(150, 100));
    const int k = CammerSingleton::slot(stage(), 0);
    QVector<int> tools;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(view()->functionButton, Qt::LeftButton);
        tools << view()->editConfig->toolType[k];
        if (tools.last() == RegionTool::BlackArea) {
            QCOMPARE(view()->editConfig->param2[k], 50);
            QCOMPARE(view()->editConfig->param3[k], 100);
            QVERIFY(!view()->p1Slider->isVisibleTo(view()));
            QVERIFY(view()->p3Slider->isVisibleTo(view()));
            QCOMPARE(view()->functionButton->text(), regionToolName(RegionTool::BlackArea));
        } else if (tools.last() == RegionTool::WhiteCount) {
            QCOMPARE(view()->editConfig->param1[k], 1);
            QCOMPARE(view()->editConfig->param3[k], 100);
        } else if (tools.last() == RegionTool::Similarity) {
            QVERIFY(!view()->p3Slider->isVisibleTo(view()));
        }
    }
    QCOMPARE(tools, (QVector<int>{RegionTool::BlackArea, RegionTool::Similarity, RegionTool::WhiteCount,
                                  RegionTool::Defect}));
    // The panel goes away with the selection; all-move cycles while one is selected.
    QTest::mouseClick(view()->moveAllButton, Qt::LeftButton);
    QCOMPARE(view()->moveMode, 1);
    QVERIFY(!view()->p2Slider->isVisibleTo(view()));
    QVERIFY(view()->moveButtons[0]->isVisibleTo(view()));
    press(QPoint(400, 30));
    release(QPoint(400, 30));
    QCOMPARE(view()->moveMode, 0);
    QVERIFY(!view()->moveButtons[0]->isVisibleTo(view()));
}

// The third all-move mode moves every region of the stage: every region is drawn while one is
// selected, and a tap on a move button moves them all.
void RegionEditorTest::moveModeTwoShowsEveryRegion()
{
    openEditor();
    addRectangle(QRect(60, 60, 100, 80));
    addRectangle(QRect(300, 120, 100, 80));
    press(QPoint(100, 100));
    release(QPoint(100, 100));
    QCOMPARE(view()->selectedRegion, 0);
    const QImage alone = view()->grab().toImage();
    QTest::mouseClick(view()->moveAllButton, Qt::LeftButton);
    QTest::mouseClick(view()->moveAllButton, Qt::LeftButton);
    QCOMPARE(view()->moveMode, 2);
    const QImage all = view()->grab().toImage();
    // The unselected region's outline is drawn only in this mode.
    const QRect around(at(QPoint(297, 117)), at(QPoint(403, 203)));
    int changed = 0;
    for (int y = around.top(); y <= around.bottom(); ++y)
        for (int x = around.left(); x <= around.right(); ++x)
            changed += alone.pixel(x, y) != all.pixel(x, y);
    QVERIFY2(changed > around.width(), qPrintable(QString::number(changed)));

    QTest::mouseClick(view()->moveButtons[3], Qt::LeftButton);
    QVERIFY(shape(0)->topLeft() != QPoint(60, 60));
    QCOMPARE(shape(1)->topLeft() - QPoint(300, 120), shape(0)->topLeft() - QPoint(60, 60));
}

// A slider change marks the pixels the region finds in cyan until the panel is refreshed; the
// ignored pixels of the stage are cyan on a template.
void RegionEditorTest::previewMarksPixels()
{
    openEditor();
    addRectangle(QRect(100, 60, 120, 80), RegionTool::BlackArea);
    press(QPoint(150, 100));
    release(QPoint(150, 100));
    std::fill(view()->resultMask.begin(), view()->resultMask.end(), 0);
    view()->previewShown = true;
    view()->resultMask[size_t(100 * Width + 150)] = 255;
    const QPoint marked = at(QPoint(150, 100));
    QCOMPARE(QColor(view()->grab().toImage().pixel(marked)), QColor(Qt::cyan));
    view()->UpdateRegionPanel();
    QVERIFY(!view()->previewShown);
    QVERIFY(QColor(view()->grab().toImage().pixel(marked)) != QColor(Qt::cyan));
    view()->ignoreMasks[size_t(stage())][size_t(100 * Width + 150)] = 1;
    QCOMPARE(QColor(view()->grab().toImage().pixel(marked)), QColor(Qt::cyan));
    view()->ignoreMasks[size_t(stage())][size_t(100 * Width + 150)] = 0;
}

void RegionEditorTest::templateDuringAlarmNeedsLogin_data()
{
    QTest::addColumn<bool>("granted");
    QTest::newRow("refused") << false;
    QTest::newRow("granted") << true;
}

// During an alarm the template source needs a login; a refusal leaves the page on the live
// picture with the alarm output on, a granted one shows the template and switches output 3 off
// at the board.
void RegionEditorTest::templateDuringAlarmNeedsLogin()
{
    QFETCH(bool, granted);
    harness.settings()[Param::PasswordUsed] = 1;
    QVERIFY(harness.settings().setPassword("4711'x"));
    QVERIFY(latchNg());
    QCOMPARE(editorSource, 1);
    QTRY_VERIFY_WITH_TIMEOUT((harness.boardOutputs() & AlarmOn) == 0, Timeout);
    const QStringList shownBefore = [this] {
        QStringList names;
        for (QWidget *w : page()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (!w->isHidden())
                names << w->objectName();
        return names;
    }();
    ModalAnswerer answer([granted](QWidget *box) {
        auto *prompt = qobject_cast<inputbox *>(box);
        QVERIFY(prompt);
        prompt->passwordField()->setText(granted ? QStringLiteral("4711'x") : QStringLiteral("1234"));
        QVERIFY(ModalAnswerer::clickButton(box, QStringLiteral("确定")));
        if (box->isVisible())
            QVERIFY(ModalAnswerer::clickButton(box, QStringLiteral("取消")));
    });
    page()->sourceCombo()->setCurrentIndex(0);
    QVERIFY(answer.answered());
    if (!granted) {
        QCOMPARE(editorSource, 1);
        QCOMPARE(page()->sourceCombo()->currentIndex(), 1);
        QStringList shownAfter;
        for (QWidget *w : page()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (!w->isHidden())
                shownAfter << w->objectName();
        QCOMPARE(shownAfter, shownBefore);
        QTest::qWait(300);
        QCOMPARE(harness.boardOutputs() & AlarmOn, 0);
        return;
    }
    QCOMPARE(editorSource, 0);
    QVERIFY(!page()->button("pCButtonDrawRect")->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(harness.boardOutputs() & AlarmOn, AlarmOn, Timeout);
    QCOMPARE(station()->DisplayMode, 2);
}

// Opened from the menu, the editor holds the verdicts: an NG cycle meanwhile neither latches
// nor re-enters the editor, so the unsaved edits stay; leaving the page takes the verdict.
void RegionEditorTest::ngCycleKeepsUnsavedEdits()
{
    openEditor(true);
    const int before = regionCount();
    addRectangle(QRect(20, 20, 40, 40));
    QVERIFY(regionEditActive);
    harness.camera(0).frame = harness.partFrame(0);
    QVERIFY(harness.openMould());
    QTest::qWait(500);
    QCOMPARE(station()->DisplayMode, 3);
    QCOMPARE(regionCount(), before + 1);
    QCOMPARE(editorSource, 0);

    // Back from the page the held NG is judged: the alarm latches now. The edits are not
    // saved (the question is declined), so the next test starts from the same regions.
    {
        ModalAnswerer answer(closeBox);
        clickButton("pCButtonReturn");
        QVERIFY(answer.answered());
    }
    QVERIFY(!regionEditActive);
    QCOMPARE(station()->DisplayMode, 2);
    QCOMPARE(editorSource, 1);
    QTRY_VERIFY_WITH_TIMEOUT((harness.boardOutputs() & AlarmOn) == 0, Timeout);
}

// Re-sampling ends on the editor with the verdicts held; the way back releases them, so the
// next cycle's verdict reaches the outputs again.
void RegionEditorTest::cycleAfterResampling()
{
    view()->samplePending[1] = true;
    station()->RunState = 2;
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 3, Timeout);
    QVERIFY(regionEditActive);
    clickButton("pCButtonReturn");
    QVERIFY(!regionEditActive);
    QCOMPARE(station()->RunState, 1);
    QCOMPARE(station()->DisplayMode, 1);

    harness.camera(0).frame = harness.partFrame(0);
    QVERIFY(harness.openMould());
    QTRY_COMPARE_WITH_TIMEOUT(station()->DisplayMode, 2, Timeout);
    QTRY_VERIFY_WITH_TIMEOUT((harness.boardOutputs() & AlarmOn) == 0, Timeout);
}

// A drag over the zoomed picture pans it, never past its edges.
void RegionEditorTest::panStaysOnPicture()
{
    openEditor(true);
    page()->sourceCombo()->setCurrentIndex(2);
    QCOMPARE(editorSource, 2);
    station()->zoomCentreX = 0;
    station()->zoomCentreY = 0;
    station()->SlotZoom(2.0f);
    QCOMPARE(station()->zoomScale, 2.0);
    const QPoint start(view()->width() / 2, view()->height() / 2);
    QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, start);
    for (int i = 1; i <= 10; ++i) {
        QMouseEvent event(QEvent::MouseMove, start + QPoint(200 * i, 200 * i), Qt::NoButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(view(), &event);
    }
    QCOMPARE(station()->panX, 0.0);
    QCOMPARE(station()->panY, 0.0);
    for (int i = 1; i <= 20; ++i) {
        QMouseEvent event(QEvent::MouseMove, start - QPoint(200 * i, 200 * i), Qt::NoButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(view(), &event);
    }
    QCOMPARE(station()->panX, -double(view()->width()));
    QCOMPARE(station()->panY, -double(view()->height()));
}

QTEST_MAIN(RegionEditorTest)
#include "tst_RegionEditor.moc"
