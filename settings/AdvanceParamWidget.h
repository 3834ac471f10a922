#ifndef SETTINGS_ADVANCEPARAMWIDGET_H
#define SETTINGS_ADVANCEPARAMWIDGET_H

#include "settings/TabParamWidget.h"

#include <QDateTime>
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

    // Fills the group list with the folders under the group folder, each with its position.
    void ParaGroupUpdateList();
    // The chosen date and time of the picker: asks, sets the clock, saves and reboots.
    void TimeChosen(const QDateTime &time);

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
    // Asks whether to insert a stick while none can be mounted; false when the operator gives up.
    bool mountStick();
    // A message box of its own (no parent: the kit's boxes become child widgets with one).
    static int ask(const QString &text);
    static void notify(const QString &text);
    static void warn(const QString &text);

    SystemParamDialog *dialog;
    // The parameter-group folder, set by LoadParams.
    QDir groupDir;
};

#endif
