#include "settings/AdvanceParamWidget.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "settings/SettingsLayout.h"
#include "settings/SystemParamDialog.h"
#include "station/MoJuWizard.h"
#include "station/ParameterGroupSwitch.h"
#include "uikit/CheckBox.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/Edit.h"
#include "uikit/EditBox.h"
#include "uikit/StyleHelpers.h"
#include "uikit/UiKitGlobals.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int SecondsEntry = 540;
constexpr int TestImagesEntry = 201;
constexpr int ChangePasswordEntry = 171;
constexpr int ScreenOffIndex = Param::BacklightSeconds;

} // namespace

AdvanceParamWidget::AdvanceParamWidget(SystemParamDialog *dialog)
    : TabParamWidget(dialog)
    , dialog(dialog)
{
    // Parameter groups.
    groupName = new Edit(2, this, 1);
    groupName->setFont(QFont(QStringLiteral("SimHei"), 25));
    groupName->setFixedSize(150, 50);
    groupList = settingsComboBox(this);
    connect(groupList, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { groupName->setText(groupList->currentText()); });

    QString rules;
    const auto iconButton = [this, &rules](int entry, const char *name, const char *icon) {
        auto *button = new ColorButton(uiText(entry), this);
        button->setObjectName(QLatin1String(name));
        button->setFixedSize(150, 50);
        rules += iconButtonRule(button, QLatin1String(icon), 20, 5, 5);
        return button;
    };
    ColorButton *backup = iconButton(182, "pCButtonBackup", ":/Backup.png");
    ColorButton *restore = iconButton(183, "pCButtonRestore", ":/Restore.png");
    ColorButton *remove = iconButton(184, "pCButtonDelete", ":/Delete.png");
    ColorButton *exportData = iconButton(326, "pCButtonExportData", ":/Export.png");
    ColorButton *update = iconButton(325, "pCButtonUpdateApp", ":/Update.png");
    ColorButton *exitButton = iconButton(210, "pCButtonExit", ":/Shutoff.png");
    ColorButton *time = iconButton(401, "pBtnModifyTime", ":/ModifyTime.png");
    ColorButton *calibrate = iconButton(458, "pBtnCalibrateTouch", ":/Calibrate.png");
    ColorButton *factory = iconButton(551, "pCButtonResoryFactorySet", ":/Reset.png");
    ColorButton *version = iconButton(615, "pCButtonVersionLibrary", ":/Version.png");
    connect(backup, &QPushButton::clicked, this, &AdvanceParamWidget::SlotParaGroupBackup);
    connect(restore, &QPushButton::clicked, this, &AdvanceParamWidget::SlotParaGroupRestore);
    connect(remove, &QPushButton::clicked, this, &AdvanceParamWidget::SlotParaGroupDelete);
    connect(exportData, &QPushButton::clicked, this, &AdvanceParamWidget::SlotExportData);
    connect(update, &QPushButton::clicked, this, &AdvanceParamWidget::SlotUpdateApp);
    connect(exitButton, &QPushButton::clicked, this, &AdvanceParamWidget::SlotExit);
    connect(time, &QPushButton::clicked, this, &AdvanceParamWidget::SlotModifyTime);
    connect(calibrate, &QPushButton::clicked, this, &AdvanceParamWidget::SlotCalibration);
    connect(factory, &QPushButton::clicked, this, &AdvanceParamWidget::SlotRestoreFactorySet);
    connect(version, &QPushButton::clicked, this, &AdvanceParamWidget::SlotToVerion);

    auto *groupRow = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{groupName, groupList, backup, restore, remove})
        groupRow->addWidget(w);
    groupRow->addStretch();

    // Limits and timers.
    const QString seconds = uiText(SecondsEntry);
    const struct
    {
        int entry;
        int min;
        int max;
        bool seconds;
        int index;
    } boxes[] = {{213, 1, 8000, false, Param::PositioningOffset},
                 {188, 0, 4, false, Param::Amplify},
                 {181, 1, 20, false, Param::MinimumSpot},
                 {403, 0, 180, false, Param::RotationRange},
                 {243, 30, 9999, true, ScreenOffIndex},
                 {189, 0, 1000, true, Param::LogoutSeconds},
                 {185, 1, 100, false, Param::TemplateCount},
                 {186, 0, 500, false, Param::NgImagesToKeep},
                 {187, 0, 500, false, Param::OkImagesToKeep}};
    auto *left = new QVBoxLayout;
    left->addWidget(sectionHeading(tr("参数组"), this));
    left->addLayout(groupRow);
    left->addWidget(sectionHeading(tr("参数编辑"), this));
    for (const auto &b : boxes) {
        auto *box = new EditBox(b.min, b.max, this, uiText(b.entry), b.seconds ? seconds : QString(),
                                0, 1);
        fields.append({box, b.index});
        left->addWidget(box);
        if (b.index == ScreenOffIndex) {
            // 0 keeps the screen on.
            box->setZeroAllowed(true);
            screenOff = box;
        }
    }
    left->addStretch();

    // Switches, the password and the other maintenance buttons.
    const struct
    {
        QString label;
        int index;
    } flags[] = {{uiText(254), Param::FactoryParametersShown},
                 {uiText(272), Param::ManualCaptureShown},
                 {uiText(194), Param::NoCheckAsksLogin},
                 {uiText(341), Param::AddTemplateAsksLogin},
                 {uiText(556), Param::StopAsksLogin},
                 {QString(), -1},
                 {uiText(457), Param::InvertedArea},
                 {uiText(470), Param::OutlinesWhileRunning},
                 {uiText(554), Param::Statistics},
                 {uiText(558), Param::LogEnabled},
                 {uiText(579), Param::TemperatureChart},
                 {tr("图像放大缩小"), Param::ZoomEnabled}};
    auto *switchGrid = new QGridLayout;
    switchGrid->setVerticalSpacing(4);
    int n = 0;
    for (const auto &f : flags) {
        CheckBox *box = nullptr;
        if (f.index < 0) {
            box = testImages = new CheckBox(this, uiText(TestImagesEntry));
        } else {
            box = new CheckBox(this, f.label);
            switches.append({box, f.index});
        }
        switchGrid->addWidget(box, n % 6, n / 6);
        ++n;
    }

    auto *passwordManager = new QWidget(this);
    passwordManager->setObjectName(QStringLiteral("passwordManager"));
    passwordManager->setFixedHeight(80);
    newPassword = new Edit(1, passwordManager, 1);
    confirmPassword = new Edit(1, passwordManager, 1);
    for (Edit *edit : {newPassword, confirmPassword}) {
        edit->setPasswordMode(true);
        edit->setEchoMode(QLineEdit::Password);
        edit->setFixedSize(160, 50);
    }
    changePasswordButton = new ColorButton(uiText(ChangePasswordEntry), passwordManager);
    changePasswordButton->setFixedSize(150, 50);
    connect(changePasswordButton, &QPushButton::clicked, this, &AdvanceParamWidget::ChangePwd);
    auto *passwordRow = new QHBoxLayout(passwordManager);
    passwordRow->addWidget(new QLabel(tr("新密码"), passwordManager));
    passwordRow->addWidget(newPassword);
    passwordRow->addWidget(new QLabel(tr("确认密码"), passwordManager));
    passwordRow->addWidget(confirmPassword);
    passwordRow->addWidget(changePasswordButton);
    passwordRow->addStretch();

    auto *maintenanceRow = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{exportData, update, exitButton, time, calibrate})
        maintenanceRow->addWidget(w);
    maintenanceRow->addStretch();
    auto *lastRow = new QHBoxLayout;
    lastRow->addWidget(factory);
    lastRow->addWidget(version);
    lastRow->addStretch();

    auto *right = new QVBoxLayout;
    right->addWidget(sectionHeading(tr("参数开关"), this));
    right->addLayout(switchGrid);
    right->addWidget(passwordManager);
    right->addLayout(maintenanceRow);
    right->addLayout(lastRow);
    right->addStretch();

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(20, 10, 20, 10);
    columns->addLayout(left);
    columns->addSpacing(20);
    columns->addLayout(right, 1);
    setDarkStyleSheet(this, rules + QStringLiteral("QWidget#passwordManager{border: 1px solid #707070}"));
}

void AdvanceParamWidget::LoadParams()
{
    const SystemParameters &p = *editParams;
    for (const Field &f : qAsConst(fields))
        f.box->setValue(p[f.index]);
    for (const Switch &s : qAsConst(switches))
        s.box->setCheckValue(p[s.index]);
    testImages->setCheckValue(mainWindow && mainWindow->saveOriginalImages);
    groupDir = QDir(QString::fromLatin1(ParameterGroupSwitch::GroupFolder));
    if (!groupDir.exists() && !QDir().mkpath(groupDir.path()))
        qWarning("the parameter-group folder %s could not be made", qPrintable(groupDir.path()));
    ParaGroupUpdateList();
}

void AdvanceParamWidget::StoreParams()
{
    SystemParameters &p = *editParams;
    for (const Field &f : qAsConst(fields))
        p[f.index] = f.box->value();
    for (const Switch &s : qAsConst(switches))
        p[s.index] = s.box->checkValue();
    // Not a stored setting: it holds until the next start, whatever becomes of the changes.
    if (mainWindow)
        mainWindow->saveOriginalImages = testImages->checkValue() != 0;
}
