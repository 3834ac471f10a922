#ifndef SETTINGS_ADVANCEPARAMWIDGET_H
#define SETTINGS_ADVANCEPARAMWIDGET_H

#include "settings/TabParamWidget.h"

#include <QDir>
#include <QVector>

class CheckBox;
class ColorButton;
class ComboBox;
class Edit;
class EditBox;
class SystemParamDialog;

// The advanced page: detection limits, screen and logout timers, the template count, the
// number of result images kept, display and protection switches; and the buttons of the
// maintenance operations (parameter groups, export, update, exit, time, touch calibration,
// password, factory reset, version download), which are the page's slots.
class AdvanceParamWidget : public TabParamWidget
{
    Q_OBJECT

public:
    explicit AdvanceParamWidget(SystemParamDialog *dialog);

    void LoadParams() override;
    void StoreParams() override;

    // Fills the group list with the folders under the group folder.
    void ParaGroupUpdateList();

    struct Field
    {
        EditBox *box;
        int index;
    };
    struct Switch
    {
        CheckBox *box;
        int index;
    };

    Edit *groupName;
    ComboBox *groupList;
    QVector<Field> fields;
    EditBox *screenOff;
    QVector<Switch> switches;
    CheckBox *testImages;
    Edit *newPassword;
    Edit *confirmPassword;
    ColorButton *changePasswordButton;

public slots:
    void SlotParaGroupBackup();
    void SlotParaGroupRestore();
    void SlotParaGroupDelete();
    void SlotExportData();
    void SlotUpdateApp();
    void SlotExit();
    void SlotModifyTime();
    void SlotCalibration();
    void ChangePwd();
    void SlotRestoreFactorySet();
    void SlotToVerion();

protected:
    SystemParamDialog *dialog;
    // The parameter-group folder, set by LoadParams.
    QDir groupDir;
};

#endif
