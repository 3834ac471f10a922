#include "settings/SystemParamWidget.h"

#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "core/PlatformHelpers.h"
#include "core/SystemParameters.h"
#include "settings/SettingsLayout.h"
#include "settings/SystemParamDialog.h"
#include "station/MoJuWizard.h"
#include "station/ProductionCounters.h"
#include "uikit/CheckBox.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/EditBox.h"
#include "uikit/StyleHelpers.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/tipbox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int LanguageQuestionEntry = 318;
constexpr int LanguageRecordEntry = 319;

EditBox *tenthsBox(QWidget *parent, const QString &label, const QString &unit)
{
    return new EditBox(0, 10000, parent, label, unit, 2, 10);
}

} // namespace

SystemParamWidget::SystemParamWidget(SystemParamDialog *dialog)
    : TabParamWidget(dialog)
    , dialog(dialog)
{
    const QString seconds = tr("秒");
    productDelay = tenthsBox(this, tr("成品延時"), seconds);
    cavityDelay = tenthsBox(this, tr("模腔延时"), seconds);
    firstOutputDelay = tenthsBox(this, tr("一次延时"), seconds);
    secondOutputDelay = tenthsBox(this, tr("二次延时"), seconds);
    cavityRechecks = new EditBox(0, 10, this, tr("模腔重检"), QString(), 0, 1);
    filterSize = new EditBox(1, 10, this, tr("过滤尺寸"), QString(), 0, 1);
    alarmArea = new EditBox(0, 1000, this, tr("报警面积"), QString(), 0, 1);

    auto *left = new QVBoxLayout;
    left->addWidget(sectionHeading(tr("延时参数"), this));
    for (EditBox *box : {productDelay, cavityDelay, firstOutputDelay, secondOutputDelay})
        left->addWidget(box);
    left->addWidget(sectionHeading(tr("NG时自动重检次数"), this));
    left->addWidget(cavityRechecks);
    left->addWidget(sectionHeading(tr("功能设置"), this));
    left->addWidget(filterSize);
    left->addWidget(alarmArea);
    left->addStretch();

    productStage = new CheckBox(this, tr("启用成品检测"));
    semiAutomatic = new CheckBox(this, tr("半自动"));
    motionCorrection = new CheckBox(this, tr("运动矫正"));
    copyRegions = new CheckBox(this, tr("模腔参数同步成品参数"));
    passwordUsed = new CheckBox(this, tr("启用密码保护"));
    templateAutoUpdate = new CheckBox(this, tr("模板自动更新"));

    clearCountersButton = new ColorButton(tr("清零"), this);
    clearCountersButton->setFixedSize(150, 50);
    languageBox = settingsComboBox(this);
    const char *languages[] = {"简体中文", "English", "繁體中文", "日文"};
    for (int i = 0; i < 4; ++i)
        languageBox->addItem(QString::fromUtf8(languages[i]), i);
    powerOffButton = new ColorButton(tr("关闭电源"), this, 1);
    powerOffButton->setFixedSize(150, 50);

    auto *right = new QVBoxLayout;
    right->addWidget(sectionHeading(tr("参数开关"), this));
    for (CheckBox *box : {productStage, semiAutomatic, motionCorrection, copyRegions, passwordUsed,
                          templateAutoUpdate})
        right->addWidget(box);
    right->addWidget(sectionHeading(tr("参数管理"), this));
    auto *actions = new QGridLayout;
    actions->setHorizontalSpacing(20);
    actions->addWidget(new QLabel(tr("计数清零"), this), 0, 0);
    actions->addWidget(clearCountersButton, 0, 1);
    actions->addWidget(new QLabel(tr("系统语言"), this), 1, 0);
    actions->addWidget(languageBox, 1, 1);
    actions->addWidget(new QLabel(tr("电源管理"), this), 2, 0);
    actions->addWidget(powerOffButton, 2, 1);
    actions->setColumnStretch(2, 1);
    right->addLayout(actions);
    right->addStretch();

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(30, 20, 30, 20);
    columns->addLayout(left);
    columns->addSpacing(60);
    columns->addLayout(right, 1);

    connect(clearCountersButton, &QPushButton::clicked, this, &SystemParamWidget::clearCounters);
    connect(languageBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SystemParamWidget::switchLanguage);
    connect(powerOffButton, &QPushButton::clicked, dialog, &SystemParamDialog::PowerOff);
    setDarkStyleSheet(this);
}

void SystemParamWidget::LoadParams()
{
    const SystemParameters &p = *editParams;
    productDelay->setValue(p[Param::CaptureDelay]);
    cavityDelay->setValue(p[Param::CaptureDelay + 1]);
    firstOutputDelay->setValue(p[Param::FirstOutputDelay]);
    secondOutputDelay->setValue(p[Param::SecondOutputDelay]);
    cavityRechecks->setValue(p[Param::CavityRechecks]);
    filterSize->setValue(p[Param::FilterSize]);
    alarmArea->setValue(p[Param::AlarmArea]);
    semiAutomatic->setCheckValue(p[Param::SemiAutomatic]);
    productStage->setCheckValue(p[Param::ProductStage]);
    copyRegions->setCheckValue(p[Param::CopyRegions]);
    // 0 on, -1 off.
    motionCorrection->setCheckValue(p[Param::MotionCorrection] + 1);
    passwordUsed->setCheckValue(p[Param::PasswordUsed]);
    templateAutoUpdate->setCheckValue(p[Param::TemplateAutoUpdate]);
    // Loading never starts the language switch.
    const QSignalBlocker blocker(languageBox);
    languageBox->setCurrentIndex(currentLanguage);
}

void SystemParamWidget::StoreParams()
{
    SystemParameters &p = *editParams;
    p[Param::CaptureDelay] = productDelay->value();
    p[Param::CaptureDelay + 1] = cavityDelay->value();
    p[Param::FirstOutputDelay] = firstOutputDelay->value();
    p[Param::SecondOutputDelay] = secondOutputDelay->value();
    p[Param::CavityRechecks] = cavityRechecks->value();
    p[Param::FilterSize] = filterSize->value();
    p[Param::AlarmArea] = alarmArea->value();
    p[Param::SemiAutomatic] = semiAutomatic->checkValue();
    p[Param::ProductStage] = productStage->checkValue();
    p[Param::CopyRegions] = copyRegions->checkValue();
    p[Param::MotionCorrection] = motionCorrection->checkValue() - 1;
    p[Param::PasswordUsed] = passwordUsed->checkValue();
    p[Param::TemplateAutoUpdate] = templateAutoUpdate->checkValue();
}

// At once, outside the edit record: the counters stay cleared whatever becomes of the changes.
void SystemParamWidget::clearCounters()
{
    tipbox question(tipbox::OkCancelButtons);
    question.setText(tr("确定要清零计数吗？"));
    if (!question.exec() || !mainWindow)
        return;
    clearProductionCounters();
    mainWindow->publishCounters();
    mainWindow->InsertRecord(tr("检测计数已被清零"));
    mainWindow->CountWrite();
}

void SystemParamWidget::switchLanguage(int language)
{
    tipbox question(tipbox::OkCancelButtons);
    question.setText(uiText(LanguageQuestionEntry));
    if (question.exec() != QDialog::Accepted)
        return;
    if (mainWindow)
        mainWindow->InsertRecord(uiText(LanguageRecordEntry));
    currentLanguage = language;
    dialog->acceptDialog();
    if (!currentParams->SaveAll(ParameterManager::instance()->paramQuery()))
        qCritical("the new language was not saved");
    pauseOneSecond();
    dialog->prepareForPowerAction();
    dialog->powerAction(true);
}
