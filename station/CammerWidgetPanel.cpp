// The region edit panel: the controls beside the selected region of a template that change
// its parameters, tool, output, points and position in the edit configuration.

#include "station/CammerWidget.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "inspection/DetectAlgorithm.h"
#include "station/MoJuWizard.h"
#include "station/RegionTools.h"
#include "station/RunSettings.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/Slider.h"
#include "uikit/UiKitGlobals.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QTimer>

namespace {

constexpr int SliderX = 400;
constexpr int RowHeight = 45;
constexpr int DrawHintMs = 3000;
constexpr int LastToolType = RegionTool::AngleCorrection;
// Room the panel keeps above the move row at the foot of the view.
constexpr int FootRoom = 170;
constexpr int JapaneseLanguage = 3;

// UI text entries.
constexpr int FuncEntry = 2;
constexpr int ParamSwitchEntry = 3;
constexpr int RoiSwitchEntry = 4;
constexpr int MoveUpEntry = 5;
constexpr int MinGrayEntry = 10;
constexpr int MaxGrayEntry = 11;
constexpr int HideSetEntry = 12;
constexpr int MinAreaEntry = 13;
constexpr int MaxAreaEntry = 14;
constexpr int ReservedEntry = 16;
constexpr int LeastMatchEntry = 20;
constexpr int FilterSizeEntry = 22;
constexpr int SensitivityEntry = 23;
constexpr int AreaEntry = 24;
constexpr int OuterRadiusEntry = 26;
constexpr int CentreEntry = 27;
constexpr int InnerRadiusEntry = 28;
constexpr int BottomRightEntry = 29;
constexpr int TopLeftEntry = 30;
constexpr int PointEntry = 31;
constexpr int AllMoveEntry = 32;
constexpr int SingleShowEntry = 34;
constexpr int MinimumScoreEntry = 362;
constexpr int NumberEntry = 522;
constexpr int HighTemperatureEntry = 568;
constexpr int LowTemperatureEntry = 569;
constexpr int EmissivityEntry = 571;
constexpr int CompensationEntry = 573;
constexpr int ReflectionEntry = 574;
constexpr int TemperatureTypeEntry = 617;

constexpr int ShapeRectangle = 1;
constexpr int ShapeCircle = 4;

void setUp(Slider *slider, int min, int max, int value, int entry)
{
    const QSignalBlocker blocker(slider);
    slider->setup(min, max, 1, value, uiText(entry));
}

} // namespace

void CammerWidget::createRegionPanel()
{
    p1Slider = new Slider(0, 10, 1, 25, this, QString());
    p2Slider = new Slider(0, 255, 1, 25, this, QString());
    p3Slider = new Slider(0, 1000, 1, 50, this, QString());
    connect(p1Slider, &QAbstractSlider::valueChanged, this, &CammerWidget::SlotMinWH);
    connect(p2Slider, &QAbstractSlider::valueChanged, this, &CammerWidget::SlotSensitivity);
    connect(p3Slider, &QAbstractSlider::valueChanged, this, &CammerWidget::SlotArea);

    functionLabel = new QLabel(uiText(FuncEntry), this);
    functionLabel->setFont(QFont(QStringLiteral("SimHei"), 30));
    // Through the style sheet: the pages' dark style sheet would override a palette colour.
    functionLabel->setStyleSheet(QStringLiteral("QLabel{color:#00FF00;background:transparent;}"));

    functionButton = new ColorButton(QString(), this, 0);
    connect(functionButton, &QPushButton::clicked, this, &CammerWidget::SlotChangeFunc);
    paramSwitchButton = new ColorButton(uiText(ParamSwitchEntry), this, 0);
    connect(paramSwitchButton, &QPushButton::clicked, this, &CammerWidget::SlotChangeParaShow);

    outputCombo = new ComboBox(this);
    // Output 3 is the alarm: region outputs skip it.
    const char *outputs[] = {"N1", "N2", "N4", "N5", "N6", "N7", "N8", "N9", "N10"};
    for (int i = 0; i < 9; ++i)
        outputCombo->addItem(QString::fromLatin1(outputs[i]), i);
    outputCombo->setComboFont(QFont(QStringLiteral("SimHei"), 20));
    setComboBoxStyle(outputCombo, 50);
    connect(outputCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, &CammerWidget::SlotOutN);

    nextRegionButton = new ColorButton(uiText(RoiSwitchEntry), this, 0);
    connect(nextRegionButton, &QPushButton::clicked, this, &CammerWidget::SlotNextROI);
    objectButton = new ColorButton(QString(), this, 0);
    connect(objectButton, &QPushButton::clicked, this, &CammerWidget::SlotChangeObject);

    void (CammerWidget::*steps[4])() = {&CammerWidget::SlotAdd10, &CammerWidget::SlotAdd1, &CammerWidget::SlotSub1,
                                        &CammerWidget::SlotSub10};
    for (int i = 0; i < 4; ++i) {
        stepButtons[i] = new ColorButton(QString(), this, 0);
        setButtonAutoRepeat(stepButtons[i]);
        connect(stepButtons[i], &QPushButton::clicked, this, steps[i]);
    }
    void (CammerWidget::*moves[4])() = {&CammerWidget::SlotMoveT, &CammerWidget::SlotMoveB, &CammerWidget::SlotMoveL,
                                        &CammerWidget::SlotMoveR};
    for (int i = 0; i < 4; ++i) {
        moveButtons[i] = new ColorButton(uiText(MoveUpEntry + i), this, 4);
        moveButtons[i]->setGeometry(300 + 210 * i, mainViewHeight - 95, 200, 75);
        setButtonAutoRepeat(moveButtons[i]);
        connect(moveButtons[i], &QPushButton::clicked, this, moves[i]);
    }
    moveAllButton = new ColorButton(QString(), this, 4);
    moveAllButton->setGeometry(1140, mainViewHeight - 95, 220, 75);
    connect(moveAllButton, &QPushButton::clicked, this, &CammerWidget::SlotMoveAll);

    for (QWidget *w : std::initializer_list<QWidget *>{p1Slider, p2Slider, p3Slider, functionLabel, functionButton,
                                                       paramSwitchButton, outputCombo, nextRegionButton, objectButton,
                                                       moveAllButton})
        w->hide();
    for (int i = 0; i < 4; ++i) {
        stepButtons[i]->hide();
        moveButtons[i]->hide();
    }
}

bool CammerWidget::detectionKindAvailable(int toolType) const
{
    switch (toolType) {
    case RegionTool::Defect: return runSetting(Param::DefectToolEnabled) != 0;
    case RegionTool::Spot: return runSetting(Param::SpotToolEnabled) != 0;
    case RegionTool::IgnoreArea: return runSetting(Param::IgnoreToolEnabled) != 0;
    case RegionTool::Positioning: return runSetting(Param::PositioningToolEnabled) != 0;
    case RegionTool::BlackArea: return runSetting(Param::BlackAreaToolEnabled) != 0;
    case RegionTool::WhiteArea: return runSetting(Param::WhiteAreaToolEnabled) != 0;
    case RegionTool::Similarity: return runSetting(Param::SimilarityToolEnabled) != 0;
    case RegionTool::WhiteCount: return runSetting(Param::WhiteCountToolEnabled) != 0;
    case RegionTool::Temperature: return runSetting(Param::TemperatureToolEnabled) != 0 && (thermal || simulated);
    case RegionTool::AngleCorrection: return runSetting(Param::Registration) != 0;
    default: return false;
    }
}

void CammerWidget::setUpSliders(int tool)
{
    const int k = CammerSingleton::slot(editStage(), selectedRegion);
    const qint32 p1 = editConfig->param1[k];
    const qint32 p2 = editConfig->param2[k];
    const qint32 p3 = editConfig->param3[k];
    switch (tool) {
    case RegionTool::Spot:
        setUp(p1Slider, 0, 255, p1 & 0xFF, MinGrayEntry);
        setUp(p2Slider, 0, 99999, p2, MinAreaEntry);
        setUp(p3Slider, 0, 99999, p3, MaxAreaEntry);
        break;
    case RegionTool::IgnoreArea:
        setUp(p1Slider, 0, 255, p1, ReservedEntry);
        setUp(p2Slider, 0, 255, p2, ReservedEntry);
        setUp(p3Slider, 0, 255, p3, ReservedEntry);
        break;
    case RegionTool::Positioning:
        setUp(p1Slider, 1, 100, p1, LeastMatchEntry);
        setUp(p2Slider, 1, 32, p2, ReservedEntry);
        setUp(p3Slider, 1, 100, p3, ReservedEntry);
        break;
    case RegionTool::BlackArea:
        setUp(p2Slider, 0, 255, p2, MaxGrayEntry);
        setUp(p3Slider, 0, 50000, p3, AreaEntry);
        break;
    case RegionTool::WhiteArea:
        setUp(p2Slider, 0, 255, p2, MinGrayEntry);
        setUp(p3Slider, 0, 50000, p3, AreaEntry);
        break;
    case RegionTool::Similarity:
        setUp(p2Slider, 0, 100, p2, MinimumScoreEntry);
        break;
    case RegionTool::WhiteCount:
        setUp(p1Slider, 1, 100, p1, FilterSizeEntry);
        setUp(p2Slider, 0, 255, p2, MinGrayEntry);
        setUp(p3Slider, 0, 100, p3, NumberEntry);
        break;
    case RegionTool::Temperature:
        setUp(p1Slider, 0, 100, halfOf(p1, false, false), EmissivityEntry);
        setUp(p2Slider, -40, 600, halfOf(p2, false, true), LowTemperatureEntry);
        setUp(p3Slider, -40, 600, halfOf(p3, false, true), HighTemperatureEntry);
        break;
    case RegionTool::AngleCorrection:
        setUp(p1Slider, 1, 2, p1, LeastMatchEntry);
        setUp(p2Slider, 1, 2, p2, ReservedEntry);
        setUp(p3Slider, 1, 2, p3, ReservedEntry);
        break;
    default:
        setUp(p1Slider, 1, 10, p1, FilterSizeEntry);
        setUp(p2Slider, 0, 255, p2, SensitivityEntry);
        setUp(p3Slider, 0, 1000, p3, AreaEntry);
        break;
    }
    functionButton->setText(regionToolName(tool));
}

void CammerWidget::UpdateRegionPanel()
{
    if (!p1Slider)
        return;
    previewShown = false;
    QWidget *const editControls[] = {p1Slider, p2Slider, p3Slider, functionLabel, functionButton, paramSwitchButton,
                                     objectButton, nextRegionButton, outputCombo, stepButtons[0], stepButtons[1],
                                     stepButtons[2], stepButtons[3]};
    ROIInterface *shape = editShape(selectedRegion);
    if (!shape) {
        for (QWidget *w : editControls)
            w->hide();
        for (ColorButton *b : moveButtons)
            b->hide();
        moveAllButton->hide();
        objectIndex = 0;
        moveMode = 0;
        moveAllButton->setText(uiText(HideSetEntry));
        update();
        return;
    }
    const int d = editStage();
    const int k = CammerSingleton::slot(d, selectedRegion);
    const int tool = editConfig->toolType[k];
    const bool regionParameters = runSetting(Param::RegionParameters) != 0;

    // Below the region when it fits above the move row, else above it, else pinned.
    const int w = mainViewWidth / 2 + 45;
    const int e = regionParameters ? 204 : 102;
    const int top = int(float(shape->top()) * scaleY);
    const int bottom = int(float(shape->top() + shape->height()) * scaleY);
    int y = e + bottom < mainViewHeight - FootRoom ? bottom + 5 : e < top ? top - e : mainViewHeight - FootRoom - e;
    p2Slider->setGeometry(SliderX, y, w, RowHeight);
    if (regionParameters) {
        p3Slider->setGeometry(SliderX, y + 50, w, RowHeight);
        y += 100;
        p1Slider->setGeometry(SliderX, y, w, RowHeight);
    }
    y += 50;
    const int b = currentLanguage == JapaneseLanguage ? 180 : 120;
    functionLabel->setGeometry(400, y, 80, RowHeight);
    functionButton->setGeometry(483, y, 120, RowHeight);
    paramSwitchButton->setGeometry(606, y, b, RowHeight);
    outputCombo->setGeometry(b + 609, y, 55, RowHeight);
    nextRegionButton->setGeometry(b + 667, y, b, RowHeight);
    objectButton->setGeometry(2 * b + 670, y, 93, RowHeight);
    for (int i = 0; i < 4; ++i)
        stepButtons[i]->setGeometry(2 * b + 766 + 96 * i, y, 93, RowHeight);

    secondHalf = false;
    setUpSliders(tool);

    for (ColorButton *button : moveButtons)
        button->show();
    moveAllButton->show();
    paramSwitchButton->setVisible(tool == RegionTool::Spot || tool == RegionTool::Temperature);
    if (moveMode != 0) {
        for (QWidget *control : editControls)
            control->hide();
    } else {
        const bool noP1 = tool == RegionTool::BlackArea || tool == RegionTool::WhiteArea || tool == RegionTool::Similarity;
        p1Slider->setVisible(regionParameters && !noP1);
        p3Slider->setVisible(regionParameters && tool != RegionTool::Similarity);
        bool anyKind = false;
        for (int t = 0; t <= LastToolType; ++t)
            anyKind = anyKind || detectionKindAvailable(t);
        functionLabel->setVisible(anyKind);
        functionButton->setVisible(anyKind);
        p2Slider->show();
        objectButton->show();
        for (ColorButton *button : stepButtons)
            button->show();
        nextRegionButton->show();
        const bool outputs = d == 0 && runSetting(Param::MultiOutput) != 0;
        if (outputs) {
            const QSignalBlocker blocker(outputCombo);
            outputCombo->setCurrentIndex(qBound(0, editConfig->outN[selectedRegion], outputCombo->count() - 1));
        }
        outputCombo->setVisible(outputs);
    }

    const int shapeType = editConfig->shapeType[k];
    const bool radius = shapeType == ShapeCircle && objectIndex < 2;
    const char *texts[4] = {"+10", "+1", "-1", "-10"};
    const char *moves[4] = {"Y -1", "X -1", "Y +1", "X +1"};
    for (int i = 0; i < 4; ++i)
        stepButtons[i]->setText(QString::fromLatin1(radius ? texts[i] : moves[i]));
    if (shapeType == ShapeRectangle)
        objectButton->setText(uiText(objectIndex == 1 ? BottomRightEntry : TopLeftEntry));
    else if (shapeType == ShapeCircle)
        objectButton->setText(uiText(objectIndex == 1 ? OuterRadiusEntry : objectIndex == 2 ? CentreEntry : InnerRadiusEntry));
    else
        objectButton->setText(uiText(PointEntry).arg(objectIndex + 1));
    update();
}

void CammerWidget::writeParameter(int which, int value)
{
    const int k = CammerSingleton::slot(editStage(), selectedRegion);
    qint32 &param = which == 1 ? editConfig->param1[k] : which == 2 ? editConfig->param2[k] : editConfig->param3[k];
    const int tool = editConfig->toolType[k];
    if (tool == RegionTool::Spot && which == 1) {
        // Byte 0 the lowest grey, byte 1 the highest.
        const int shift = secondHalf ? 8 : 0;
        param = qint32((quint32(param) & ~(0xFFu << shift)) | ((quint32(value) & 0xFFu) << shift));
    } else if (tool == RegionTool::Temperature) {
        param = withHalf(param, secondHalf, value);
    } else {
        param = value;
        if (mainWindow && mainWindow->drawHintTimer)
            mainWindow->drawHintTimer->start(DrawHintMs);
    }
}

void CammerWidget::parameterChanged(int which, int value)
{
    if (!editShape(selectedRegion))
        return;
    writeParameter(which, value);
    engine->preview(editStage(), selectedRegion);
    update();
}

void CammerWidget::SlotMinWH(int value)
{
    parameterChanged(1, value);
}

void CammerWidget::SlotSensitivity(int value)
{
    parameterChanged(2, value);
}

void CammerWidget::SlotArea(int value)
{
    parameterChanged(3, value);
}

void CammerWidget::SlotOutN(int index)
{
    if (editStage() == 0 && editShape(selectedRegion))
        editConfig->outN[selectedRegion] = index;
}

void CammerWidget::SlotChangeFunc()
{
    if (!editShape(selectedRegion))
        return;
    const int k = CammerSingleton::slot(editStage(), selectedRegion);
    int t = editConfig->toolType[k];
    // At most one round over the tools; the button is shown only when one is available.
    for (int i = 0; i <= LastToolType + 1; ++i) {
        t = t >= LastToolType || t < 0 ? 0 : t + 1;
        if (detectionKindAvailable(t))
            break;
    }
    if (!detectionKindAvailable(t))
        return;
    editConfig->toolType[k] = t;
    changedToolParameters(t, runSetting(Param::FilterSize), runSetting(Param::AlarmArea))
        .applyTo(editConfig->param1[k], editConfig->param2[k], editConfig->param3[k]);
    UpdateRegionPanel();
    secondHalf = false;
}

void CammerWidget::SlotChangeParaShow()
{
    secondHalf = !secondHalf;
    if (!editShape(selectedRegion))
        return;
    const int k = CammerSingleton::slot(editStage(), selectedRegion);
    const qint32 p1 = editConfig->param1[k];
    const qint32 p2 = editConfig->param2[k];
    const qint32 p3 = editConfig->param3[k];
    switch (editConfig->toolType[k]) {
    case RegionTool::Spot:
        if (secondHalf)
            setUp(p1Slider, 0, 255, (p1 >> 8) & 0xFF, MaxGrayEntry);
        else
            setUp(p1Slider, 0, 255, p1 & 0xFF, MinGrayEntry);
        break;
    case RegionTool::Temperature:
        if (secondHalf) {
            setUp(p2Slider, 1, 3, halfOf(p2, true, false), TemperatureTypeEntry);
            setUp(p3Slider, -100, 100, halfOf(p3, true, true), ReflectionEntry);
            setUp(p1Slider, -100, 100, halfOf(p1, true, true), CompensationEntry);
        } else {
            setUp(p2Slider, -40, 600, halfOf(p2, false, true), LowTemperatureEntry);
            setUp(p3Slider, -40, 600, halfOf(p3, false, true), HighTemperatureEntry);
            setUp(p1Slider, 0, 100, halfOf(p1, false, false), EmissivityEntry);
        }
        break;
    default:
        break;
    }
    update();
}

void CammerWidget::SlotChangeObject()
{
    ROIInterface *shape = editShape(selectedRegion);
    if (!shape)
        return;
    ++objectIndex;
    if (objectIndex >= shape->pointCount())
        objectIndex = 0;
    UpdateRegionPanel();
}

void CammerWidget::SlotSize(int direction)
{
    ROIInterface *shape = editShape(selectedRegion);
    if (!shape)
        return;
    shape->nudge(objectIndex, direction, imageWidth, imageHeight);
    shape->updateBounds();
    storeEditMask(selectedRegion);
    update();
}

void CammerWidget::SlotAdd10()
{
    SlotSize(0);
}

void CammerWidget::SlotAdd1()
{
    SlotSize(1);
}

void CammerWidget::SlotSub1()
{
    SlotSize(2);
}

void CammerWidget::SlotSub10()
{
    SlotSize(3);
}

void CammerWidget::SlotMove(int dx, int dy)
{
    for (int r = 0; r < editRegionCount(); ++r) {
        if (moveMode != 2 && r != selectedRegion)
            continue;
        moveInsideImage(editShape(r), dx, dy);
        storeEditMask(r);
    }
    UpdateRegionPanel();
}

void CammerWidget::SlotMoveT()
{
    SlotMove(0, -1);
}

void CammerWidget::SlotMoveB()
{
    SlotMove(0, 1);
}

void CammerWidget::SlotMoveL()
{
    SlotMove(-1, 0);
}

void CammerWidget::SlotMoveR()
{
    SlotMove(1, 0);
}

void CammerWidget::SlotMoveAll()
{
    if (editShape(selectedRegion)) {
        moveMode = (moveMode + 1) % 3;
        const int entries[3] = {HideSetEntry, AllMoveEntry, SingleShowEntry};
        moveAllButton->setText(uiText(entries[moveMode]));
    }
    UpdateRegionPanel();
}

void CammerWidget::SlotNextROI()
{
    const int count = editRegionCount();
    if (count == 0)
        return;
    const int start = selectedRegion < 0 ? 0 : selectedRegion + 1;
    for (int i = 0; i < count; ++i) {
        const int r = (start + i) % count;
        ROIInterface *shape = editShape(r);
        int handle = -1;
        if (!shape->contains(pressPoint) && !shape->hitHandle(pressPoint, &handle))
            continue;
        polygonDrag = false;
        shapeDrag = false;
        mouseMode = 0;
        drawnShape.reset();
        if (mainWindow)
            mainWindow->drawTool = 0;
        polygonPoints.clear();
        if (ROIInterface *old = editShape(selectedRegion))
            old->setSelected(false);
        selectedRegion = r;
        shape->setSelected(true);
        UpdateRegionPanel();
        return;
    }
}
