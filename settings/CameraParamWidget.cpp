#include "settings/CameraParamWidget.h"

#include "cameras/CameraDiscovery.h"
#include "cameras/CameraInterface.h"
#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "settings/SettingsLayout.h"
#include "settings/WidgetChangeCamera.h"
#include "station/CammerWidget.h"
#include "station/MoJuWizard.h"
#include "uikit/CheckBox.h"
#include "uikit/ColorButton.h"
#include "uikit/EditBox.h"
#include "uikit/StyleHelpers.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/tipbox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int ValueIndex[CameraParamWidget::ValueBoxCount] = {
    Param::Exposure, Param::Gain, Param::Sharpness, Param::Contrast, Param::Gamma};
constexpr int ContrastBox = 3;
constexpr int VisibleContrastMax = 200;
constexpr int ThermalRangeMax = 2;

constexpr int SpeedEntry = 244;
constexpr int ColourEntry = 270;
constexpr int RestoreEntry = 526;
constexpr int RestoreQuestionEntry = 527;
constexpr int AutoExposureEntry = 500;
constexpr int CompleteModeEntry = 299;
constexpr int SimpleModeEntry = 300;
constexpr int SwitchCameraEntry = 163;
constexpr int ReorderEntry = 396;

const char labelShown[] = "QLabel{color: #2687F2;background-color:transparent;}";
const char labelHidden[] = "QLabel{color: transparent;background-color:transparent;}";

} // namespace

CameraParamWidget::CameraParamWidget(QWidget *parent)
    : TabParamWidget(parent)
    , dialog(parent)
{
    if (mainWindow) {
        if (mainWindow->currentCamera >= cameraCount)
            mainWindow->currentCamera = 0;
        mainWindow->ChangeCammer();
        camera = mainWindow->currentCamera;
    }

    cameraLabel = new QLabel(this);
    const int ranges[ValueBoxCount][2] = {{1, 100}, {0, 64}, {0, 100}, {0, 200}, {0, 250}};
    for (int i = 0; i < ValueBoxCount; ++i) {
        valueBoxes[i] = new EditBox(ranges[i][0], ranges[i][1], this, QString(), QString(), 0, 1);
        connect(valueBoxes[i], &EditBox::valueChanged, this,
                [this, i](int value) { valueChanged(i, value); });
    }
    speedBox = new EditBox(0, 32, this, uiText(SpeedEntry), QString(), 0, 1);

    enabledBox = new CheckBox(this, tr("启用"));
    colourBox = new CheckBox(this, uiText(ColourEntry));
    mirrorHorizontal = new CheckBox(this, tr("水平镜像"));
    mirrorVertical = new CheckBox(this, tr("垂直镜像"));
    freeRun = new CheckBox(this, tr("连续采集定时检测"));
    connect(enabledBox, &CheckBox::stateChanged, this, [this] {
        (*editParams)[Param::CameraEnabled + camera] = enabledBox->checkValue();
    });
    connect(colourBox, &CheckBox::stateChanged, this, [this] {
        (*editParams)[Param::ColourOutput + camera] = colourBox->checkValue();
    });
    for (CheckBox *mirror : {mirrorHorizontal, mirrorVertical}) {
        const int index = mirror == mirrorHorizontal ? Param::MirrorHorizontal : Param::MirrorVertical;
        connect(mirror, &CheckBox::stateChanged, this, [this, mirror, index] {
            (*editParams)[index + camera] = mirror->checkValue();
            if (CammerWidget *v = view())
                v->ApplyMirror(true);
        });
    }

    // The camera-wide switches in their order on the page; the colour box stands among them.
    const struct
    {
        int entry;
        int index;
    } switches[] = {{388, Param::WideDynamicRange}, {337, Param::NoLensOptimization}, {271, Param::ColourToGrey},
                    {519, Param::ExternalTrigger}, {200, Param::RegionParameters},
                    {196, Param::DefectToolEnabled}, {197, Param::SpotToolEnabled}, {198, Param::IgnoreToolEnabled},
                    {199, Param::PositioningToolEnabled}, {390, Param::BlackAreaToolEnabled},
                    {391, Param::WhiteAreaToolEnabled}, {397, Param::SimilarityToolEnabled},
                    {520, Param::WhiteCountToolEnabled}, {570, Param::TemperatureToolEnabled},
                    {582, Param::MatchBrightness}, {583, Param::Registration}};
    auto *switchColumn = new QVBoxLayout;
    switchColumn->setSpacing(2);
    for (const auto &s : switches) {
        auto *box = new CheckBox(this, uiText(s.entry));
        cameraWide.append({box, s.index});
        switchColumn->addWidget(box);
        fullModeOnly.append(box);
        if (s.index == Param::WideDynamicRange)
            wideDynamicRange = box;
        if (s.index == Param::RegionParameters)
            detailedParameters = box;
        if (s.entry == 337) {
            switchColumn->addWidget(colourBox);
            fullModeOnly.append(colourBox);
        }
    }
    cameraWide.append({freeRun, Param::FreeRun});
    connect(wideDynamicRange, &CheckBox::stateChanged, this, [this] {
        (*editParams)[Param::WideDynamicRange] = wideDynamicRange->checkValue();
        if (!mainWindow)
            return;
        for (int c = 0; c < cameraCount && c < MoJuWizard::MaxCameras; ++c)
            if (CammerWidget *v = mainWindow->cameraViews[c])
                v->ApplyWideDynamicRange(true);
    });
    switchColumn->addStretch();

    const auto iconButton = [this](const QString &text, const char *name) {
        auto *button = new ColorButton(text, this);
        button->setObjectName(QLatin1String(name));
        button->setFixedSize(170, 50);
        return button;
    };
    restoreButton = iconButton(uiText(RestoreEntry), "pCButtonRestoreDefaultSettings");
    autoExposureButton = iconButton(uiText(AutoExposureEntry), "pCButtonOpenAutoExposeTime");
    showModeButton = iconButton(uiText(SimpleModeEntry), "pCButtonShowMode");
    cameraButton = iconButton(uiText(SwitchCameraEntry), "pCButtonCamera");
    orderButton = new ColorButton(tr("排序"), this);
    orderButton->setFixedSize(170, 50);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(enabledBox);
    for (QWidget *w : {static_cast<QWidget *>(restoreButton), static_cast<QWidget *>(autoExposureButton),
                       static_cast<QWidget *>(showModeButton), static_cast<QWidget *>(cameraButton)})
        buttonRow->addWidget(w);
    buttonRow->addStretch();

    auto *left = new QVBoxLayout;
    left->addWidget(cameraLabel);
    left->addLayout(buttonRow);
    for (EditBox *box : valueBoxes)
        left->addWidget(box);
    left->addWidget(speedBox);
    left->addStretch();

    auto *heading = sectionHeading(tr("参数开关"), this);
    auto *otherColumn = new QVBoxLayout;
    otherColumn->setSpacing(2);
    otherColumn->addWidget(mirrorHorizontal);
    otherColumn->addWidget(mirrorVertical);
    otherColumn->addWidget(freeRun);
    otherColumn->addStretch();
    auto *lists = new QHBoxLayout;
    lists->addLayout(switchColumn);
    lists->addLayout(otherColumn);
    auto *reorderLabel = new QLabel(uiText(ReorderEntry), this);
    auto *orderRow = new QHBoxLayout;
    orderRow->addWidget(reorderLabel);
    orderRow->addWidget(orderButton);
    orderRow->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(heading);
    right->addLayout(lists, 1);
    right->addLayout(orderRow);
    fullModeOnly << mirrorHorizontal << mirrorVertical << heading << reorderLabel << orderButton;

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(20, 10, 20, 10);
    columns->addLayout(left);
    columns->addSpacing(20);
    columns->addLayout(right, 1);

    connect(restoreButton, &QPushButton::clicked, this, &CameraParamWidget::restoreDefaults);
    connect(autoExposureButton, &QPushButton::clicked, this, &CameraParamWidget::autoExposure);
    connect(showModeButton, &QPushButton::clicked, this, &CameraParamWidget::SlotChangeShowMode);
    connect(cameraButton, &QPushButton::clicked, this, &CameraParamWidget::nextCamera);
    connect(orderButton, &QPushButton::clicked, this, &CameraParamWidget::reorderCameras);

    chooseLabels();
    setDarkStyleSheet(this, iconButtonRule(restoreButton, QStringLiteral(":/Resume.png"), 24, 10, 10)
                                + iconButtonRule(autoExposureButton, QStringLiteral(":/Exposure.png"), 24, 10, 10)
                                + iconButtonRule(showModeButton, QStringLiteral(":/Display.png"), 24, 10, 10)
                                + iconButtonRule(cameraButton, QStringLiteral(":/CameraSwitch.png"), 24, 10, 10));
    // Starts in complete mode; the dialog connects showModeChange only afterwards.
    SlotChangeShowMode();
}

CammerWidget *CameraParamWidget::view() const
{
    if (!mainWindow || camera < 0 || camera >= cameraCount || camera >= MoJuWizard::MaxCameras)
        return nullptr;
    return mainWindow->cameraViews[camera];
}

void CameraParamWidget::chooseLabels()
{
    const CammerWidget *v = view();
    const bool thermal = v && v->thermal;
    static const char *const visible[ValueBoxCount] = {
        QT_TR_NOOP("曝光时间"), QT_TR_NOOP("增益调节"), QT_TR_NOOP("清晰度"), QT_TR_NOOP("真实度"),
        QT_TR_NOOP("Gamma")};
    static const char *const thermalLabels[ValueBoxCount] = {
        QT_TR_NOOP("发射率"), QT_TR_NOOP("反射温度"), QT_TR_NOOP("大气温度"), QT_TR_NOOP("温度范围"),
        QT_TR_NOOP("目标距离")};
    for (int i = 0; i < ValueBoxCount; ++i)
        valueBoxes[i]->setText(tr(thermal ? thermalLabels[i] : visible[i]));
    valueBoxes[ContrastBox]->setRange(0, thermal ? ThermalRangeMax : VisibleContrastMax);
    // A thermal camera takes only the range and the distance from here.
    for (int i = 0; i < 3; ++i)
        valueBoxes[i]->setVisible(!thermal);
    speedBox->setVisible(!thermal);
    cameraLabel->setText(tr("%1 号相机").arg(camera + 1));
}

void CameraParamWidget::valueChanged(int box, int value)
{
    (*editParams)[ValueIndex[box] + camera] = value;
    CammerWidget *v = view();
    if (!v)
        return;
    switch (box) {
    case 0: v->ApplyExposure(true); break;
    case 1: v->ApplyGain(true); break;
    case 2: v->ApplySharpness(true); break;
    case 3: v->ApplyContrast(true); break;
    default: v->ApplyGamma(true); break;
    }
}

void CameraParamWidget::setValueBoxes(bool live)
{
    const SystemParameters &p = *editParams;
    for (int i = 0; i < ValueBoxCount; ++i) {
        const QSignalBlocker blocker(live ? nullptr : valueBoxes[i]);
        valueBoxes[i]->setValue(p[ValueIndex[i] + camera]);
    }
}

void CameraParamWidget::setCameraSwitches()
{
    const SystemParameters &p = *editParams;
    enabledBox->setCheckValue(p[Param::CameraEnabled + camera]);
    for (const Switch &s : qAsConst(cameraWide))
        s.box->setCheckValue(p[s.index]);
    mirrorHorizontal->setCheckValue(p[Param::MirrorHorizontal + camera]);
    mirrorVertical->setCheckValue(p[Param::MirrorVertical + camera]);
    colourBox->setCheckValue(p[Param::ColourOutput + camera]);
}

void CameraParamWidget::LoadParams()
{
    chooseLabels();
    setValueBoxes(false);
    {
        const QSignalBlocker blocker(speedBox);
        speedBox->setValue((*editParams)[Param::FrameRate]);
    }
    setCameraSwitches();
}

void CameraParamWidget::StoreParams()
{
    SystemParameters &p = *editParams;
    p[Param::FrameRate] = speedBox->value();
    for (const Switch &s : qAsConst(cameraWide))
        p[s.index] = s.box->checkValue();
    // The tools whose regions carry their own parameters need them shown.
    for (int index : {Param::SpotToolEnabled, Param::WhiteAreaToolEnabled,
                      Param::BlackAreaToolEnabled, Param::WhiteCountToolEnabled, Param::TemperatureToolEnabled}) {
        if (p[index] != 0) {
            detailedParameters->setCheckValue(1);
            break;
        }
    }
    p[Param::RegionParameters] = detailedParameters->checkValue();
}

void CameraParamWidget::nextCamera()
{
    if (++camera >= cameraCount)
        camera = 0;
    if (mainWindow) {
        mainWindow->currentCamera = camera;
        mainWindow->ChangeCammer();
    }
    chooseLabels();
    setValueBoxes(true);
    enabledBox->setCheckValue((*editParams)[Param::CameraEnabled + camera]);
    mirrorHorizontal->setCheckValue((*editParams)[Param::MirrorHorizontal + camera]);
    mirrorVertical->setCheckValue((*editParams)[Param::MirrorVertical + camera]);
    colourBox->setCheckValue((*editParams)[Param::ColourOutput + camera]);
    update();
}

void CameraParamWidget::restoreDefaults()
{
    tipbox question(tipbox::OkCancelButtons);
    question.setText(uiText(RestoreQuestionEntry));
    if (question.exec() != QDialog::Accepted)
        return;
    if (CammerWidget *v = view())
        v->RestoreCameraDefaults();
    setValueBoxes(true);
    speedBox->setValue((*editParams)[Param::FrameRate]);
}

void CameraParamWidget::autoExposure()
{
    if (CammerWidget *v = view(); v && v->camera())
        v->camera()->autoAdjust(true);
}

void CameraParamWidget::reorderCameras()
{
    WidgetChangeCamera order(dialog);
    order.exec();
}

void CameraParamWidget::SlotChangeShowMode()
{
    simple = !simple;
    showModeButton->setText(uiText(simple ? CompleteModeEntry : SimpleModeEntry));
    for (QWidget *w : qAsConst(fullModeOnly))
        w->setVisible(!simple);
    cameraLabel->setStyleSheet(QLatin1String(simple ? labelHidden : labelShown));
    emit showModeChange(simple ? 1 : 0);
}
