#include "settings/SystemParamDialog.h"

#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/PlatformHelpers.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "platform/system/SystemActions.h"
#include "settings/AdvanceParamWidget.h"
#include "settings/CameraParamWidget.h"
#include "settings/InputOutputParamWidget.h"
#include "settings/RecordWidget.h"
#include "settings/SystemParamWidget.h"
#include "station/MoJuWizard.h"
#include "uikit/Edit.h"
#include "uikit/NumberKeyPad.h"
#include "uikit/StyleHelpers.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/_RollingTime.h"
#include "uikit/tipbox.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace {

constexpr int DialogWidth = 1800;
constexpr int DialogHeight = 950;

constexpr int PowerOffQuestionEntry = 291;
constexpr int PowerOffRecordEntry = 292;
constexpr int RestartQuestionEntry = 293;

} // namespace

SystemParamDialog::SystemParamDialog(QWidget *parent)
    : CComp_DialogFrame(tr("参数设置"), parent)
{
    setFixedSize(DialogWidth, DialogHeight);

    // The version stands left of the right-aligned OK button.
    labVersion = new QLabel(QString::fromLatin1(applicationVersion), titleBar);
    labVersion->setObjectName(QStringLiteral("labVersion"));
    labVersion->setFixedHeight(60);
    auto *okButton = findChild<QPushButton *>(QStringLiteral("okBtn"));
    titleLayout->removeWidget(okButton);
    titleLayout->addWidget(labVersion);
    titleLayout->addStretch();
    titleLayout->addWidget(okButton);

    tabWidget = new QTabWidget(contentWgt);
    tabWidget->setObjectName(QStringLiteral("tabWidget"));
    tabWidget->setMinimumWidth(DialogWidth - 20);
    auto *row = new QHBoxLayout(contentWgt);
    row->setContentsMargins(8, 0, 8, 0);
    row->addWidget(tabWidget);

    setWindowFlags(Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    connect(tabWidget, &QTabWidget::currentChanged, this, &SystemParamDialog::currentTabChanged);

    if (mainWindow)
        move(mainWindow->width() / 2 - width() / 2, mainWindow->height() / 2 - height() / 2);

    InitTabs();
    setDarkStyleSheet(this);
    setDarkStyleSheet(tabWidget);
    connect(cameraWgt, &CameraParamWidget::showModeChange, this, &SystemParamDialog::showModeChange);
    setObjectName(QStringLiteral("systemParamDialog"));
}

SystemParamDialog::~SystemParamDialog()
{
    qInfo("Close System Param Setting Widget");
}

void SystemParamDialog::InitTabs()
{
    systemWgt = new SystemParamWidget(this);
    systemWgt->setObjectName(QStringLiteral("systemWgt"));
    cameraWgt = new CameraParamWidget(this);
    ioWgt = new InputOutputParamWidget(this);
    advanceWgt = new AdvanceParamWidget(this);
    recordWgt = new RecordWidget(this);
    tabWidget->addTab(systemWgt, tr("系统参数"));
    tabWidget->addTab(cameraWgt, tr("相机参数"));
    tabWidget->addTab(ioWgt, tr("输入输出"));
    tabWidget->addTab(advanceWgt, tr("高级参数"));
    tabWidget->addTab(recordWgt, tr("操作记录"));
    tabWidget->setUsesScrollButtons(false);
    tabWidget->setTabsClosable(false);
    tabWidget->setMovable(false);
    for (int i = 0; i < tabWidget->count(); ++i)
        static_cast<TabParamWidget *>(tabWidget->widget(i))->LoadParams();
}

void SystemParamDialog::StoreAllTabs()
{
    for (int i = 0; i < tabWidget->count(); ++i)
        static_cast<TabParamWidget *>(tabWidget->widget(i))->StoreParams();
}

void SystemParamDialog::acceptDialog()
{
    StoreAllTabs();
    ApplyChanges();
    closeKeypadAndEdit();
    QDialog::accept();
}

void SystemParamDialog::closeKeypadAndEdit()
{
    if (gpNumKeyPad) {
        qInfo("gpNumKeyPad is close");
        gpNumKeyPad->close();
        gpNumKeyPad = nullptr;
    }
    if (currentEdit && currentEdit->hasFocus()) {
        currentEdit->clearFocus();
        currentEdit = nullptr;
    }
}

void SystemParamDialog::currentTabChanged(int)
{
}

void SystemParamDialog::showModeChange(int simple)
{
    if (simple) {
        setTransparentTabStyle(this, tabWidget);
        return;
    }
    setAttribute(Qt::WA_TranslucentBackground, false);
    setDarkStyleSheet(this);
    setDarkStyleSheet(tabWidget);
}

bool SystemParamDialog::event(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        closeKeypadAndEdit();
        if (openRollingTime) {
            openRollingTime->close();
            openRollingTime = nullptr;
        }
    }
    return QWidget::event(event);
}

void SystemParamDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
}

void SystemParamDialog::PowerOff()
{
    tipbox question(tipbox::OkCancelButtons);
    question.setText(uiText(PowerOffQuestionEntry));
    if (question.exec() != QDialog::Accepted)
        return;
    acceptDialog();
    if (!currentParams->SaveAll(ParameterManager::instance()->paramQuery()))
        qCritical("settings not saved before the power-off");
    if (mainWindow)
        mainWindow->InsertRecord(uiText(PowerOffRecordEntry));
    pauseOneSecond();
    prepareForPowerAction();
    question.setText(uiText(RestartQuestionEntry));
    powerAction(question.exec() == QDialog::Accepted);
}

void SystemParamDialog::prepareForPowerAction()
{
    // The machine must not be left with a permission or the alarm half set while the panel
    // goes down.
    if (controlPort) {
        controlPort->ResetOutputs();
        controlPort->PublishOutputs();
    }
    if (mainWindow)
        mainWindow->FLushAll();
}

void SystemParamDialog::powerAction(bool restart)
{
    if (restart ? systemActions()->reboot() : systemActions()->powerOff())
        return;
    const QString what = restart ? tr("系统重启失败") : tr("关闭电源失败");
    qCritical("%s; the databases are opened again", qPrintable(what));
    if (mainWindow)
        mainWindow->ReopenDatabases();
    Warnbox box;
    box.setText(what);
    box.exec();
}

void runSystemParamDialog()
{
    SystemParamDialog dialog(nullptr);
    dialog.exec();
}
