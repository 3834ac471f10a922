#include "settings/AdvanceParamWidget.h"

#include "uikit/ComboBox.h"

// The maintenance operations behind the advanced page's buttons.

void AdvanceParamWidget::ParaGroupUpdateList()
{
    groupList->clear();
    groupList->addItems(groupDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name));
}

void AdvanceParamWidget::SlotParaGroupBackup() {}
void AdvanceParamWidget::SlotParaGroupRestore() {}
void AdvanceParamWidget::SlotParaGroupDelete() {}
void AdvanceParamWidget::SlotExportData() {}
void AdvanceParamWidget::SlotUpdateApp() {}
void AdvanceParamWidget::SlotExit() {}
void AdvanceParamWidget::SlotModifyTime() {}
void AdvanceParamWidget::SlotCalibration() {}
void AdvanceParamWidget::ChangePwd() {}
void AdvanceParamWidget::SlotRestoreFactorySet() {}
void AdvanceParamWidget::SlotToVerion() {}
