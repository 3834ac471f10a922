#include "settings/InputOutputParamWidget.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "settings/SettingsLayout.h"
#include "uikit/CheckBox.h"
#include "uikit/ComboBox.h"
#include "uikit/EditBox.h"
#include "uikit/StyleHelpers.h"
#include "uikit/UiKitGlobals.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int DelayEntry = 219;
constexpr int SecondsEntry = 540;
constexpr int OutputFiveEntry = 496;
constexpr int LaterOutputCount = 5;   // 113..117 follow output 5

} // namespace

InputOutputParamWidget::InputOutputParamWidget(QWidget *parent)
    : TabParamWidget(parent)
{
    const QString seconds = uiText(SecondsEntry);
    const struct
    {
        QString label;
        int max;
        int divisor;
        int index;
    } boxes[] = {{uiText(336), 10000, 1, Param::NoSignalSeconds},
                 {uiText(168), 1000, 10, Param::EjectorPulse},
                 {uiText(169), 1000, 10, Param::ClampPulse},
                 {uiText(166), 100, 10, Param::PreCut},
                 {uiText(524), 100, 10, Param::DebounceSteps},
                 {tr("报警时长"), 100, 10, Param::AlarmPulse}};
    auto *delays = new QVBoxLayout;
    delays->addWidget(sectionHeading(uiText(DelayEntry), this));
    for (const auto &b : boxes) {
        auto *box = new EditBox(0, b.max, this, b.label, seconds, 2, b.divisor);
        fields.append({box, b.index});
        delays->addWidget(box);
    }
    delays->addStretch();

    const QStringList openClosed = {uiText(204), uiText(211)};
    const struct
    {
        QString label;
        QStringList items;
        int index;
    } options[] = {
        {uiText(203), {uiText(455), uiText(404), uiText(405), uiText(406)}, Param::SpareInputMode},
        {uiText(334), {uiText(455), uiText(407), uiText(408), uiText(409)}, Param::SpareOutputSource},
        {uiText(273), openClosed, Param::OutputIdleLevel},
        {uiText(274), openClosed, Param::OutputIdleLevel + 1},
        {uiText(275), openClosed, Param::OutputIdleLevel + 2},
        {uiText(281), openClosed, Param::OutputIdleLevel + 3},
        {uiText(OutputFiveEntry).arg(5), openClosed, Param::LaterOutputsIdleLevel}};
    auto *optionGrid = new QGridLayout;
    optionGrid->setVerticalSpacing(6);
    int row = 0;
    for (const auto &o : options) {
        auto *box = settingsComboBox(this);
        box->addItems(o.items);
        choices.append({box, o.index, -1});
        optionGrid->addWidget(new QLabel(o.label, this), row, 0);
        optionGrid->addWidget(box, row, 1);
        ++row;
    }
    auto *optionColumn = new QVBoxLayout;
    // The options get a heading of their own rather than a second "delay".
    optionColumn->addWidget(sectionHeading(QCoreApplication::translate("SystemParamDialog", "输入输出"), this));
    optionColumn->addLayout(optionGrid);

    machineType = settingsComboBox(this);
    machineType->addItems({tr("  标准"), tr(" 双色机"), tr(" 转盘机")});
    mouldSide = settingsComboBox(this);
    mouldSide->addItems({uiText(376), uiText(377), uiText(383)});
    portBox = settingsComboBox(this);
    for (int port = 1; port <= 9; ++port)
        portBox->addItem(QStringLiteral("  COM%1").arg(port));
    optionGrid->addWidget(new QLabel(tr("系统功能"), this), row, 0);
    optionGrid->addWidget(machineType, row, 1);
    optionGrid->addWidget(mouldSide, row, 2);
    ++row;
    optionGrid->addWidget(new QLabel(tr("通讯端口"), this), row, 0);
    optionGrid->addWidget(portBox, row, 1);
    optionColumn->addStretch();
    choices.append({machineType, Param::ConfiguredMachineMode, -1});
    choices.append({mouldSide, Param::MouldSide, -1});
    choices.append({portBox, Param::IoPort, -1});
    connect(machineType, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int type) { mouldSide->setVisible(type == 1 || type == 2); });

    const struct
    {
        QString label;
        int index;
    } rules[] = {{uiText(179), Param::StopClampOnStop},
                 {uiText(178), Param::CutEjectorWhenClamping},
                 {uiText(192), Param::NoEjectorControl},
                 {uiText(190), Param::MultiOutput},
                 {uiText(202), Param::PulseMode},
                 {uiText(193), Param::ClampCutAfterOk},
                 {uiText(513), Param::EjectorCutAfterOk},
                 {uiText(265), Param::DoorCheck},
                 {uiText(195), Param::OpenDoorFirst},
                 {uiText(515), Param::CutEjectorOnProductAlarm},
                 {uiText(562), Param::CutClampOnMouldAlarm}},
      adjustments[] = {{tr("检测信号分离"), Param::SeparateSignals},
                       {tr("温度检测报警不停机"), Param::TemperatureNoStop}};
    auto *switchColumn = new QVBoxLayout;
    switchColumn->setSpacing(4);
    switchColumn->addWidget(sectionHeading(tr("参数开关"), this));
    for (const auto &r : rules) {
        auto *box = new CheckBox(this, r.label);
        switches.append({box, r.index});
        switchColumn->addWidget(box);
    }
    switchColumn->addWidget(sectionHeading(tr("参数调整"), this));
    for (const auto &r : adjustments) {
        auto *box = new CheckBox(this, r.label);
        switches.append({box, r.index});
        switchColumn->addWidget(box);
    }
    switchColumn->addStretch();

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(20, 10, 20, 10);
    columns->addLayout(delays);
    columns->addSpacing(40);
    columns->addLayout(optionColumn);
    columns->addSpacing(30);
    columns->addLayout(switchColumn, 1);
    setDarkStyleSheet(this);
}

void InputOutputParamWidget::LoadParams()
{
    const SystemParameters &p = *editParams;
    for (const Field &f : qAsConst(fields))
        f.box->setValue(p[f.index]);
    for (const Switch &s : qAsConst(switches))
        s.box->setCheckValue(p[s.index]);
    // The port comes last (it is the last in the list).
    for (Choice &c : choices) {
        const int value = p[c.index];
        c.shown = value >= 0 && value < c.box->count() ? value : -1;
        c.box->setCurrentIndex(c.shown);
    }
    if (p[Param::ConfiguredMachineMode] == 0)
        mouldSide->hide();
}

void InputOutputParamWidget::StoreParams()
{
    SystemParameters &p = *editParams;
    for (const Field &f : qAsConst(fields))
        p[f.index] = f.box->value();
    for (const Choice &c : qAsConst(choices))
        if (c.box->currentIndex() != c.shown)
            p[c.index] = c.box->currentIndex();
    for (int i = 1; i <= LaterOutputCount; ++i)
        p[Param::LaterOutputsIdleLevel + i] = p[Param::LaterOutputsIdleLevel];
    for (const Switch &s : qAsConst(switches))
        p[s.index] = s.box->checkValue();
}
