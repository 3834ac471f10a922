#include "station/DrawROIWidget.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "inspection/CammerSingleton.h"
#include "inspection/DetectionRuntime.h"
#include "inspection/FrameConversions.h"
#include "station/CameraWgtBox.h"
#include "station/CammerWidget.h"
#include "station/EditorStages.h"
#include "station/ImageBrowser.h"
#include "station/MoJuWizard.h"
#include "station/RunCodes.h"
#include "station/RunSettings.h"
#include "station/StationGlobals.h"
#include "station/TemplateTime.h"
#include "uikit/ComboBox.h"
#include "uikit/StyleHelpers.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace {

constexpr int ControlMinHeight = 72;
constexpr int PageButtonWidth = 80;

// Drawing tools of the main window's drawTool.
constexpr int ToolNone = 0;
constexpr int ToolRectangle = 1;
constexpr int ToolPolygon = 2;
constexpr int ToolCircle = 4;

// UI text entries.
constexpr int DrawPolygonEntry = 53;
constexpr int EndPolygonEntry = 33;
constexpr int NoSelectionEntry = 65;
constexpr int DeleteSelectedEntry = 66;
constexpr int DeleteAllEntry = 67;
constexpr int ProductOffEntry = 118;
constexpr int CavityFollowsEntry = 119;
constexpr int RightFollowsEntry = 371;
constexpr int RecentNgCaptionEntry = 314;
constexpr int StageNameEntry = 263;
constexpr int SideStageNameEntry = 372;

constexpr int BlinkMs = 1000;

struct PageButton
{
    const char *name;
    const char *icon;
    bool alarm;
};

// Every button of the page with its icon; the re-check button is red.
const PageButton pageButtons[] = {
    {"pCButtonReturn", ":/SetSystem.png", false},
    {"pCButtonNoCheckCur", ":/DoNotDetectTemp.png", false},
    {"pCButtonAddTemp", ":/AddTemplate.png", false},
    {"pCButtonAutoChange", ":/RealTime2Temp.png", false},
    {"pCButtonDrawRect", ":/Rectangle.png", false},
    {"pCButtonDrawCircle", ":/Circle.png", false},
    {"pCButtonDrawPloygn", ":/Polygon.png", false},
    {"pCButtonDrawHand", ":/DrawGestureArea.png", false},
    {"pCButtonCopyArea", ":/CopyArea.png", false},
    {"pCButtonDeleteROI", ":/DeleteSelect.png", false},
    {"pCButtonDeleteAllROI", ":/DeleteAll.png", false},
    {"pCButtonTempLast", ":/LastPage.png", false},
    {"pCButtonTempNext", ":/NextPage.png", false},
    {"pCButtonTempDeleteCur", ":/DeleteTemp.png", false},
    {"pCButtonReCheck", ":/Retest.png", true},
};

// The icon stands at the top of each button and its name at the foot.
QString buildEditorStyleSheet()
{
    QString style = QStringLiteral("QWidget{background-color:#353D45;outline:0px;border:none;}");
    for (const PageButton &b : pageButtons) {
        const QString selector = QStringLiteral("QPushButton#%1").arg(QString::fromLatin1(b.name));
        const QString look = QStringLiteral("{padding-top:5px;padding-bottom:4px;background-image:url(%1);"
                                            "background-repeat:no-repeat;background-origin:content;"
                                            "background-position:top;font-size:16px;text-align:bottom;"
                                            "color:#FFFFFF;font-weight:400;background-color:%2;}")
                                 .arg(QString::fromLatin1(b.icon),
                                      b.alarm ? QStringLiteral("#F24C3F") : QStringLiteral("#4F5963"));
        style += selector + look + selector + QStringLiteral(":!hover") + look + selector
            + QStringLiteral(":pressed{background-color:#2687F2;}");
    }
    return style;
}

bool allCamerasShown()
{
    return mainWindow->currentCamera == cameraCount;
}

} // namespace

DrawROIWidget::DrawROIWidget(QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 10);
    column->setSpacing(4);

    pComboChangeSource = addCombo("pComboChangeSource");
    pComboChangeSource->addItems({tr("模板"), tr("实时画面"), tr("最近NG图"), tr("OK图片记录"), tr("NG图片记录")});
    pComboChangeCamera = addCombo("pComboChangeCamera");
    for (int c = 0; c < camerasInUse(); ++c)
        pComboChangeCamera->addItem(tr("%1 号相机").arg(c + 1));
    if (cameraCount > 1)
        pComboChangeCamera->addItem(tr("全部相机"));
    pComboChangeDetect = addCombo("pComboChangeDetect");
    const int mode = runSetting(Param::MachineMode);
    if (mode == 0)
        pComboChangeDetect->addItems({tr("成品检测"), tr("模腔检测")});
    else if (twoSidedMode(mode))
        pComboChangeDetect->addItems({tr("左成品检测"), tr("左模腔检测"), tr("右成品检测"), tr("右模腔检测")});

    connect(addButton("pCButtonReturn", tr("完成设定")), &QPushButton::clicked, this, &DrawROIWidget::SlotReturn);
    connect(addButton("pCButtonNoCheckCur", tr("不检测此模")), &QPushButton::clicked, this,
            &DrawROIWidget::SlotNoCheckCur);
    connect(addButton("pCButtonAddTemp", tr("添加为模板")), &QPushButton::clicked, this, &DrawROIWidget::SlotAddTemp);
    connect(addButton("pCButtonAutoChange", tr("实时↔模板")), &QPushButton::clicked, this,
            &DrawROIWidget::SlotAutoChange);
    connect(addButton("pCButtonDrawRect", tr("画矩形")), &QPushButton::clicked, this, &DrawROIWidget::SlotDrawRect);
    connect(addButton("pCButtonDrawCircle", tr("画圆形")), &QPushButton::clicked, this, &DrawROIWidget::SlotDrawCircle);
    pCButtonDrawPloygn = addButton("pCButtonDrawPloygn", uiText(DrawPolygonEntry));
    connect(pCButtonDrawPloygn, &QPushButton::clicked, this, &DrawROIWidget::SlotDrawPloygn);
    connect(addButton("pCButtonDrawHand", tr("画手势区域")), &QPushButton::clicked, this, &DrawROIWidget::SlotDrawHand);
    connect(addButton("pCButtonCopyArea", tr("复制当前区域")), &QPushButton::clicked, this,
            qOverload<>(&DrawROIWidget::SlotCopyArea));
    connect(addButton("pCButtonDeleteROI", tr("删除选中区域")), &QPushButton::clicked, this,
            &DrawROIWidget::SlotDeleteROI);
    connect(addButton("pCButtonDeleteAllROI", tr("删除全部区域")), &QPushButton::clicked, this,
            &DrawROIWidget::SlotDeleteAllROI);

    auto *pageRow = new QHBoxLayout;
    pageRow->setSpacing(5);
    pageRow->setContentsMargins(0, 0, 0, 0);
    for (const auto &[name, text, slot] :
         {std::make_tuple("pCButtonTempLast", tr("上一张"), &DrawROIWidget::SlotTempLast),
          std::make_tuple("pCButtonTempNext", tr("下一张"), &DrawROIWidget::SlotTempNext)}) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumHeight(ControlMinHeight);
        b->setFixedWidth(PageButtonWidth);
        pageRow->addWidget(b);
        connect(b, &QPushButton::clicked, this, slot);
    }
    column->addLayout(pageRow);
    connect(addButton("pCButtonTempDeleteCur", tr("删除当前模板")), &QPushButton::clicked, this,
            &DrawROIWidget::SlotTempDeleteCur);
    column->addStretch();
    connect(addButton("pCButtonReCheck", tr("重新检测")), &QPushButton::clicked, this, &DrawROIWidget::SlotReCheck);

    connect(pComboChangeSource, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &DrawROIWidget::SlotChangeSource);
    connect(pComboChangeCamera, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &DrawROIWidget::SlotChangeCamera);
    connect(pComboChangeDetect, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &DrawROIWidget::SlotChangeDetect);

    setAttribute(Qt::WA_StyledBackground);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
    setDarkStyleSheet(this, buildEditorStyleSheet());
    hide();
}

// Boxes without a parent: a box parented inside the hidden side menu may never show.
void DrawROIWidget::warn(const QString &text)
{
    Warnbox box;
    box.setText(text);
    box.exec();
}

bool DrawROIWidget::confirm(const QString &text)
{
    tipbox box(tipbox::OkCancelButtons);
    box.setText(text);
    return box.exec() == QDialog::Accepted;
}

ComboBox *DrawROIWidget::addCombo(const char *objectName)
{
    auto *combo = new ComboBox(this);
    combo->setObjectName(QString::fromLatin1(objectName));
    combo->setMinimumHeight(ControlMinHeight);
    combo->setComboFont(QFont(QStringLiteral("SimHei"), 16));
    setComboBoxStyle(combo, ControlMinHeight);
    layout()->addWidget(combo);
    return combo;
}

QPushButton *DrawROIWidget::addButton(const char *objectName, const QString &text)
{
    auto *b = new QPushButton(text, this);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setMinimumHeight(ControlMinHeight);
    layout()->addWidget(b);
    return b;
}

QPushButton *DrawROIWidget::button(const char *objectName) const
{
    return findChild<QPushButton *>(QString::fromLatin1(objectName));
}

CammerWidget *DrawROIWidget::shownView() const
{
    const int c = mainWindow->currentCamera;
    return cameraInUse(c) ? mainWindow->cameraViews[c] : nullptr;
}

bool DrawROIWidget::alarmLatched() const
{
    return mainWindow->DisplayMode == DisplayModes::AlarmLatched;
}

bool DrawROIWidget::toolsAllowed() const
{
    return shownView() && editorSource == EditorSources::Template;
}

void DrawROIWidget::setQuietly(ComboBox *combo, int index)
{
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index);
}

void DrawROIWidget::resetEditConfigurations()
{
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = mainWindow->cameraViews[c];
        if (!view)
            continue;
        view->editConfig->copyFrom(*view->activeConfig);
        view->ResetEditMasks();
    }
}

void DrawROIWidget::enterEditor()
{
    resetEditOnTemplate = true;
    resetEditConfigurations();
    int d = mainWindow->currentDetect();
    if (!alarmLatched()) {
        EditorStageSettings settings;
        settings.machineMode = runSetting(Param::MachineMode);
        settings.copyRegions = runSetting(Param::CopyRegions) != 0;
        settings.mouldSide = runSetting(Param::MouldSide);
        settings.firstStageEnabled = runSetting(Param::StageEnabled) != 0;
        settings.stageCount = detectsPerCamera;
        d = correctedEditStage(d, settings);
    }
    mainWindow->editDetect = d;
    setQuietly(pComboChangeDetect, d);
    if (mainWindow->imageBrowser)
        mainWindow->imageBrowser->selectDetect(d);
    const int wanted = alarmLatched() ? EditorSources::Live : EditorSources::Template;
    if (pComboChangeSource->currentIndex() == wanted)
        SlotChangeSource(wanted);
    else
        pComboChangeSource->setCurrentIndex(wanted);
}

void DrawROIWidget::closeEditor()
{
    mainWindow->copyAreaPending = false;
    editorSource = EditorSources::None;
    mainWindow->DisplayMode = DisplayModes::Normal;
    for (int c = 0; c < camerasInUse(); ++c) {
        if (CammerWidget *view = mainWindow->cameraViews[c])
            view->CancelEditing();
    }
    hide();
    for (int c = 0; c < camerasInUse(); ++c) {
        if (CammerWidget *view = mainWindow->cameraViews[c]) {
            view->UpdateRegionPanel();
            view->update();
        }
    }
    mainWindow->setCameraViewsMode(DisplayModes::Normal);
    // Verdicts were held while the page was open for editing; detection resumes with the
    // verdict of the images on show.
    if (regionEditActive) {
        regionEditActive = false;
        mainWindow->BackTrain();
    }
}

void DrawROIWidget::silenceAlarmOutput()
{
    mainWindow->setOutput(Output::Alarm, false);
    mainWindow->publishOutputs();
}

void DrawROIWidget::SlotChangeSource(int source)
{
    if (source < EditorSources::Template || source > EditorSources::NgRecords)
        return;
    // Looking at a template during an alarm needs a login; a refusal keeps what was shown.
    if (alarmLatched() && source == EditorSources::Template && editorSource != EditorSources::Template
        && mainWindow->requireLogin() == 0) {
        setQuietly(pComboChangeSource, editorSource >= EditorSources::Template ? editorSource : EditorSources::Live);
        return;
    }
    editorSource = source;
    // The image browser chooses a source too: the combo shows what is on show.
    setQuietly(pComboChangeSource, source);
    mainWindow->copyAreaPending = false;
    if (alarmLatched() && source != EditorSources::Live)
        silenceAlarmOutput();
    for (int c = 0; c < camerasInUse(); ++c) {
        if (CammerWidget *view = mainWindow->cameraViews[c]) {
            view->currentTemplate = 0;
            view->CancelEditing();
            view->UpdateRegionPanel();
        }
    }
    const int lastCamera = source == EditorSources::Live ? cameraCount : cameraCount - 1;
    if (mainWindow->currentCamera < 0 || mainWindow->currentCamera > lastCamera) {
        mainWindow->currentCamera = 0;
        mainWindow->ChangeCammer();
    }
    setQuietly(pComboChangeCamera, mainWindow->currentCamera);
    mainWindow->MScaleSetToMin();
    mainWindow->SetZoomSliderVisible(runSetting(Param::ZoomEnabled) != 0 && source != EditorSources::Live
                                     && !allCamerasShown());

    CammerWidget *view = shownView();
    const int d = mainWindow->editDetect;
    switch (source) {
    case EditorSources::Template:
        pCButtonDrawPloygn->setText(uiText(DrawPolygonEntry));
        mainWindow->drawTool = ToolNone;
        if (resetEditOnTemplate) {
            resetEditOnTemplate = false;
            resetEditConfigurations();
        }
        if (view)
            showTemplate(view, d);
        break;
    case EditorSources::Live:
        if (alarmLatched()) {
            for (int c = 0; c < camerasInUse(); ++c) {
                if (CammerWidget *v = mainWindow->cameraViews[c])
                    v->blinkPhase = 0;
            }
        }
        emit recentNgImg(tr("实时画面"));
        break;
    case EditorSources::RecentNg:
        if (view)
            showRecentNg(view, d);
        break;
    default:
        recordIsOk = source == EditorSources::OkRecords ? 1 : 0;
        recordIndex = 0;
        LoadPic();
        emitRecordCaption();
        repaintViews();
        break;
    }
    SlotChangePage();
}

void DrawROIWidget::showTemplate(CammerWidget *view, int stage)
{
    const size_t slot = size_t(view->currentTemplate);
    if (stage >= 0 && size_t(stage) < view->templates.size() && slot < view->templates[size_t(stage)].size()) {
        const std::vector<uchar> &picture = view->templates[size_t(stage)][slot];
        const size_t bytes = std::min(picture.size(), view->cameraImage.size());
        std::copy_n(picture.begin(), bytes, view->cameraImage.begin());
        // A colour camera is judged on its grey or hue plane; the preview works on the template.
        if (view->isColor && view->colourPlane.size() >= size_t(view->pixelCount)
            && bytes >= size_t(view->pixelCount) * 4) {
            const auto *pixels = reinterpret_cast<const uint *>(view->cameraImage.data());
            if (colorToGray)
                rgb32ToGray(view->colourPlane.data(), pixels, view->imageWidth, view->imageHeight);
            else
                rgb32ToHue(view->colourPlane.data(), pixels, view->imageWidth, view->imageHeight);
        }
    }
    GetTempTIme(view->cameraIndex, stage, view->currentTemplate);
    const int count = stage >= 0 && stage < CammerWidget::StageCount ? view->validTemplateCount[stage] : 0;
    emit recentNgImg(tr("模板数 %1 / %2   %3").arg(view->currentTemplate + 1).arg(count).arg(imageTimeStamp));
    view->update();
}

void DrawROIWidget::showRecentNg(CammerWidget *view, int stage)
{
    view->recentNgShown = 0;
    showRecentNgImage(view, stage);
}

const std::vector<uchar> *DrawROIWidget::recentNgImage(const CammerWidget *view, int stage, int index)
{
    if (stage < 0 || stage >= CammerWidget::StageCount || size_t(stage) >= view->recentNgImages.size())
        return nullptr;
    const int stored = view->recentNgCount[stage];
    const int n = std::min(stored, int(CammerWidget::RecentNgSlots));
    if (n <= 0 || index < 0 || index >= n)
        return nullptr;
    // The ring is written at count mod 3: the newest image sits just before that.
    const int slot = (stored - 1 - index) % CammerWidget::RecentNgSlots;
    return &view->recentNgImages[size_t(stage)][size_t(slot)];
}

void DrawROIWidget::showRecentNgImage(CammerWidget *view, int stage)
{
    if (const std::vector<uchar> *picture = recentNgImage(view, stage, view->recentNgShown))
        std::copy_n(picture->begin(), std::min(picture->size(), view->cameraImage.size()), view->cameraImage.begin());
    const int mode = runSetting(Param::MachineMode);
    const QString stageName = uiText((mode == 0 ? StageNameEntry : SideStageNameEntry) + stage);
    const int count = stage >= 0 && stage < CammerWidget::StageCount
        ? std::min(view->recentNgCount[stage], int(CammerWidget::RecentNgSlots))
        : 0;
    emit recentNgImg(uiText(RecentNgCaptionEntry).arg(stageName).arg(view->recentNgShown + 1).arg(count));
    view->update();
}

void DrawROIWidget::SlotChangePage()
{
    for (QWidget *w : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        w->hide();
    QStringList shown{QStringLiteral("pComboChangeSource")};
    if (cameraCount > 1)
        shown << QStringLiteral("pComboChangeCamera");
    const QStringList pages{QStringLiteral("pCButtonTempLast"), QStringLiteral("pCButtonTempNext")};
    switch (editorSource) {
    case EditorSources::Template:
        shown << QStringLiteral("pComboChangeDetect") << QStringLiteral("pCButtonReturn")
              << QStringLiteral("pCButtonDrawRect") << QStringLiteral("pCButtonDrawCircle")
              << QStringLiteral("pCButtonDrawPloygn") << QStringLiteral("pCButtonDrawHand")
              << QStringLiteral("pCButtonCopyArea") << QStringLiteral("pCButtonDeleteROI")
              << QStringLiteral("pCButtonDeleteAllROI") << pages << QStringLiteral("pCButtonTempDeleteCur");
        if (alarmLatched())
            shown << QStringLiteral("pCButtonAutoChange");
        break;
    case EditorSources::Live:
        if (alarmLatched())
            shown << QStringLiteral("pCButtonAddTemp") << QStringLiteral("pCButtonNoCheckCur")
                  << QStringLiteral("pCButtonAutoChange") << QStringLiteral("pCButtonReCheck");
        else
            shown << QStringLiteral("pCButtonReturn");
        break;
    case EditorSources::RecentNg:
        shown << QStringLiteral("pComboChangeDetect") << QStringLiteral("pCButtonReturn") << pages
              << QStringLiteral("pCButtonAddTemp");
        break;
    case EditorSources::OkRecords:
    case EditorSources::NgRecords:
        shown << QStringLiteral("pComboChangeDetect") << QStringLiteral("pCButtonReturn") << pages;
        break;
    default:
        break;
    }
    for (const QString &name : qAsConst(shown)) {
        if (QWidget *w = findChild<QWidget *>(name))
            w->show();
    }
}

void DrawROIWidget::SlotChangeCamera(int index)
{
    if (index < 0)
        return;
    if (index == cameraCount) {
        if (editorSource == EditorSources::Template) {
            setQuietly(pComboChangeCamera, mainWindow->currentCamera);
            return;
        }
        if (editorSource == EditorSources::Live)
            mainWindow->currentCamera = cameraCount == 1 ? 0 : cameraCount;
        else
            mainWindow->currentCamera = cameraCount - 1;
    } else if (index > cameraCount || !mainWindow->cameraBox || !mainWindow->cameraBox->isPanelEnabled(index)) {
        setQuietly(pComboChangeCamera, mainWindow->currentCamera);
        warn(tr("此相机未启用"));
        return;
    } else {
        mainWindow->currentCamera = index;
    }
    mainWindow->ChangeCammer();
    SlotChangeSource(editorSource);
}

void DrawROIWidget::SlotChangeDetect(int d)
{
    if (d < 0 || allCamerasShown() || editorSource == EditorSources::None || editorSource == EditorSources::Live)
        return;
    mainWindow->copyAreaPending = false;
    const int mode = runSetting(Param::MachineMode);
    const int kind = twoSidedMode(mode) ? (d & 1) : d;
    if (kind == 0 && runSetting(Param::ProductStage) == 0) {
        warn(uiText(ProductOffEntry));
        pComboChangeDetect->setCurrentIndex(productFallbackStage(d, mode));
        return;
    }
    if (editorSource == EditorSources::Template && runSetting(Param::CopyRegions) != 0 && sharedParameterHintPending) {
        int entry = 0;
        if (mode == 0 && d == 1 && runSetting(Param::StageEnabled) != 0)
            entry = CavityFollowsEntry;
        else if (twoSidedMode(mode) && d > 1)
            entry = RightFollowsEntry;
        if (entry != 0) {
            sharedParameterHintPending = false;
            warn(uiText(entry));
        }
    }
    if (CammerWidget *view = shownView())
        view->CancelEditing();
    mainWindow->editDetect = d;
    // The image browser changes the stage too; the combo box shows the stage the page shows.
    setQuietly(pComboChangeDetect, d);
    SlotChangeSource(editorSource);
}

void DrawROIWidget::startTool(int tool)
{
    CammerWidget *view = shownView();
    mainWindow->copyAreaPending = false;
    view->CancelEditing();
    view->UpdateRegionPanel();
    mainWindow->drawTool = tool;
    pCButtonDrawPloygn->setText(uiText(DrawPolygonEntry));
}

void DrawROIWidget::SlotDrawRect()
{
    if (toolsAllowed())
        startTool(ToolRectangle);
}

void DrawROIWidget::SlotDrawCircle()
{
    if (toolsAllowed())
        startTool(ToolCircle);
}

void DrawROIWidget::SlotDrawHand()
{
    if (!toolsAllowed())
        return;
    startTool(ToolPolygon);
    mainWindow->freehandPolygon = true;
}

void DrawROIWidget::SlotDrawPloygn()
{
    if (!toolsAllowed())
        return;
    CammerWidget *view = shownView();
    if (mainWindow->drawTool == ToolPolygon) {
        // Pressed again: the polygon being drawn is closed.
        mainWindow->freehandPolygon = false;
        mainWindow->copyAreaPending = false;
        view->SavePolygon();
        if (mainWindow->drawTool == ToolNone)
            pCButtonDrawPloygn->setText(uiText(DrawPolygonEntry));
        view->update();
        return;
    }
    startTool(ToolPolygon);
    mainWindow->freehandPolygon = false;
    pCButtonDrawPloygn->setText(uiText(EndPolygonEntry));
}

void DrawROIWidget::SlotCopyArea()
{
    if (!toolsAllowed())
        return;
    mainWindow->copyAreaPending = true;
    mainWindow->drawTool = ToolNone;
    pCButtonDrawPloygn->setText(uiText(DrawPolygonEntry));
}

void DrawROIWidget::SlotDeleteROI()
{
    if (!toolsAllowed())
        return;
    mainWindow->copyAreaPending = false;
    CammerWidget *view = shownView();
    if (view->selectedRegion < 0) {
        warn(uiText(NoSelectionEntry));
        return;
    }
    if (!confirm(uiText(DeleteSelectedEntry)))
        return;
    // The box ran an event loop: what is shown may have changed meanwhile.
    if (shownView() != view || editorSource == EditorSources::Live || view->selectedRegion < 0)
        return;
    view->DeleteRegion(mainWindow->editDetect, view->selectedRegion);
    view->selectedRegion = -1;
    view->UpdateRegionPanel();
}

void DrawROIWidget::SlotDeleteAllROI()
{
    if (!toolsAllowed())
        return;
    mainWindow->copyAreaPending = false;
    CammerWidget *view = shownView();
    if (confirm(uiText(DeleteAllEntry)) && shownView() == view && editorSource == EditorSources::Template) {
        const int d = mainWindow->editDetect;
        if (d >= 0 && d < view->editConfig->shapes.size()) {
            view->editConfig->roiCount[d] = 0;
            CammerSingleton::deleteShapes(view->editConfig->shapes[d]);
        }
        view->selectedRegion = -1;
        view->UpdateRegionPanel();
        if (d >= 0 && size_t(d) < view->ignoreMasks.size()) {
            std::fill(view->ignoreMasks[size_t(d)].begin(), view->ignoreMasks[size_t(d)].end(), 0);
            view->SaveIgnoreMask(d);
        }
    }
    mainWindow->update();
}

void DrawROIWidget::SlotAutoChange()
{
    if (!alarmLatched() || allCamerasShown() || (editorSource != EditorSources::Live && editorSource != EditorSources::Template))
        return;
    if (editorSource == EditorSources::Live) {
        pComboChangeSource->setCurrentIndex(EditorSources::Template);
        return;
    }
    pComboChangeSource->setCurrentIndex(EditorSources::Live);
    for (int c = 0; c < camerasInUse(); ++c) {
        CammerWidget *view = mainWindow->cameraViews[c];
        if (view && !view->results->resultOk) {
            view->blinkPhase = 0;
            view->alarmBlinkTimer->start(BlinkMs);
        }
    }
}
