// The password and the parameter groups of the advanced page.

#include "settings/AdvanceParamWidget.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "core/ParameterManager.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "machineio/ControlPort.h"
#include "machineio/IOGlobals.h"
#include "platform/system/SystemActions.h"
#include "settings/LongWork.h"
#include "settings/ParameterGroupStore.h"
#include "settings/SystemParamDialog.h"
#include "station/FileWorkScope.h"
#include "station/MoJuWizard.h"
#include "station/ParameterGroupSwitch.h"
#include "uikit/ComboBox.h"
#include "uikit/Edit.h"
#include "uikit/NumCharInput.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/tipbox.h"

#include <QSignalBlocker>

namespace {

constexpr int PasswordEmptyEntry = 278;
constexpr int PasswordChangedEntry = 279;
constexpr int PasswordsDifferEntry = 280;
constexpr int GroupNameEmptyEntry = 282;
constexpr int BackupQuestionEntry = 283;
constexpr int GroupExistsEntry = 284;
constexpr int RestoreQuestionEntry = 285;
constexpr int RestoredRecordEntry = 286;
constexpr int DeleteQuestionEntry = 287;
constexpr int StoredPasswordLength = 32;

bool isDefaultGroup(const QString &name)
{
    return name.compare(QLatin1String(DefaultGroupName), Qt::CaseInsensitive) == 0;
}

QString badNameText()
{
    return AdvanceParamWidget::tr("参数组名称无效：最多%1个字符，只能使用字母、数字、空格和 - _ . +，"
                                  "不能以点开头，不能使用 default")
        .arg(MaxGroupNameLength);
}

} // namespace

int AdvanceParamWidget::ask(const QString &text)
{
    tipbox box(tipbox::OkCancelButtons);
    box.setText(text);
    return box.exec();
}

void AdvanceParamWidget::notify(const QString &text)
{
    tipbox box(tipbox::OkButton);
    box.setText(text);
    box.exec();
}

void AdvanceParamWidget::warn(const QString &text)
{
    Warnbox box;
    box.setText(text);
    box.exec();
}

void AdvanceParamWidget::ChangePwd()
{
    const QString first = newPassword->text();
    const QString second = confirmPassword->text();
    if (first.isEmpty() || second.isEmpty()) {
        warn(uiText(PasswordEmptyEntry));
        return;
    }
    if (first != second) {
        warn(uiText(PasswordsDifferEntry));
        return;
    }
    // Kept in the edit record: it becomes the password only when the changes are applied.
    editParams->setPassword(first.toLatin1().left(StoredPasswordLength));
    notify(uiText(PasswordChangedEntry));
    newPassword->clear();
    confirmPassword->clear();
}

void AdvanceParamWidget::ParaGroupUpdateList()
{
    const QSignalBlocker blocker(groupList);
    groupList->clear();
    const QStringList names = ParameterGroupSwitch::groupNames();
    for (int i = 0; i < names.size(); ++i)
        groupList->addItem(names.at(i), i);
}

// From its first question on: the host's group switch waits for no answer.
void AdvanceParamWidget::SlotParaGroupBackup()
{
    const FileWorkScope working;
    const QString typed = groupName->text();
    if (gpNumCharInput)
        gpNumCharInput->HideUpdate();
    if (typed.isEmpty()) {
        warn(uiText(GroupNameEmptyEntry));
        return;
    }
    if (!isPlainGroupName(typed) || isDefaultGroup(typed)) {
        warn(badNameText());
        return;
    }
    if (ask(uiText(BackupQuestionEntry)) != 1)
        return;
    // The group receives the settings as the operator sees them.
    dialog->StoreAllTabs();
    dialog->ApplyChanges();

    // An existing group of that name, letter case aside, is replaced under its own name.
    QString name = typed;
    const QStringList names = ParameterGroupSwitch::groupNames();
    for (const QString &existing : names) {
        if (existing.compare(typed, Qt::CaseInsensitive) == 0) {
            if (ask(uiText(GroupExistsEntry)) != 1)
                return;
            name = existing;
            break;
        }
    }
    const bool isNew = !names.contains(name);
    const int cameras = cameraCount;
    const int stages = detectsPerCamera;
    const bool saved = runLongWork(window(), [=] { return backupParameterGroup(name, cameras, stages); });
    if (!saved) {
        warn(tr("参数组备份失败，原有参数组未改变"));
        return;
    }
    if (isNew)
        ParaGroupUpdateList();
    const int position = ParameterGroupSwitch::groupNames().indexOf(name);
    // Both records: a later apply must not take the index back.
    (*currentParams)[Param::ParameterGroup] = position;
    (*editParams)[Param::ParameterGroup] = position;
    groupList->setCurrentIndex(position);
    if (!currentParams->SaveGroupIndex())
        qWarning("the group index %d was not saved", position);
}

void AdvanceParamWidget::SlotParaGroupRestore()
{
    const FileWorkScope working;
    const QString name = groupList->currentText();
    const int position = ParameterGroupSwitch::groupNames().indexOf(name);
    const QString folder = groupFolderPath(name);
    if (folder.isEmpty() || position < 0 || !QFileInfo(folder).isDir()) {
        warn(tr("请选择一个存在的参数组"));
        return;
    }
    if (ask(uiText(RestoreQuestionEntry)) != 1)
        return;

    // The group's "PARAM.db" takes the place of the open one: it is closed first.
    ParameterManager::instance()->CloseDatabase();
    ParameterGroupSwitch groupSwitch;
    if (groupSwitch.switchTo(position) != ParameterGroupSwitch::Result::Switched) {
        ParameterManager::instance()->ReopenDatabase();
        warn(tr("参数组还原失败：参数组不完整或无法复制，当前参数未改变"));
        return;
    }
    // Only a group that is in place becomes the current one.
    (*currentParams)[Param::ParameterGroup] = position;
    (*editParams)[Param::ParameterGroup] = position;
    if (!currentParams->SaveGroupIndex())
        qWarning("the group index %d was not saved", position);
    if (mainWindow)
        mainWindow->InsertRecord(uiText(RestoredRecordEntry).arg(name));
    dialog->prepareForPowerAction();
    systemActions()->restartApplication();
}

void AdvanceParamWidget::SlotParaGroupDelete()
{
    const QString name = groupList->currentText();
    const QString folder = groupFolderPath(name);
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || isDefaultGroup(name)) {
        warn(isDefaultGroup(name) ? tr("出厂参数组 default 不能删除") : tr("请选择一个存在的参数组"));
        return;
    }
    if (ask(uiText(DeleteQuestionEntry)) != 1)
        return;
    if (!systemActions()->removeDirectory(folder)) {
        warn(tr("参数组删除失败"));
        ParaGroupUpdateList();
        return;
    }
    groupList->removeItem(groupList->currentIndex());
}
