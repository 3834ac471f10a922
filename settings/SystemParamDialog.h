#ifndef SETTINGS_SYSTEMPARAMDIALOG_H
#define SETTINGS_SYSTEMPARAMDIALOG_H

#include "uikit/CComp_DialogFrame.h"

class AdvanceParamWidget;
class CameraParamWidget;
class InputOutputParamWidget;
class QLabel;
class QTabWidget;
class RecordWidget;
class SystemParamWidget;
class tipbox;

// The settings dialog: five pages over the edit record (editParams), which the caller has
// copied from the live record before building the dialog. OK stores every page and applies
// the changes (ApplyChanges); the dialog has no cancel, a declined change is thrown away there.
// It also owns the power-off sequence of the system page and the camera order dialog.
class SystemParamDialog : public CComp_DialogFrame
{
    Q_OBJECT

public:
    explicit SystemParamDialog(QWidget *parent = nullptr);
    ~SystemParamDialog() override;

    // Every page writes its controls into editParams, first to last.
    void StoreAllTabs();
    // Compares editParams with the live record, asks, records, commits, saves and brings the
    // cameras and engines in line; or refuses, or throws the edits away (No).
    void ApplyChanges();
    // Asks, applies the changes, saves, records, closes the databases and powers the machine
    // off or restarts it, as the operator chooses.
    void PowerOff();

    // Before a restart or power-off: every output to its idle level, databases closed.
    void prepareForPowerAction();
    // Restarts or powers the machine off; when that fails the databases are opened again and
    // the operator is warned, so the program runs on with its settings and record.
    void powerAction(bool restart);

    QTabWidget *tabs() const { return tabWidget; }
    SystemParamWidget *systemPage() const { return systemWgt; }
    CameraParamWidget *cameraPage() const { return cameraWgt; }
    InputOutputParamWidget *inputOutputPage() const { return ioWgt; }
    AdvanceParamWidget *advancePage() const { return advanceWgt; }
    RecordWidget *recordPage() const { return recordWgt; }

public slots:
    void acceptDialog() override;
    void currentTabChanged(int index);
    // Non-zero: the camera page's simple mode, the dialog lets the camera image show through.
    void showModeChange(int simple);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void InitTabs();
    void closeKeypadAndEdit();

    QLabel *labVersion = nullptr;
    QTabWidget *tabWidget = nullptr;
    SystemParamWidget *systemWgt = nullptr;
    CameraParamWidget *cameraWgt = nullptr;
    InputOutputParamWidget *ioWgt = nullptr;
    AdvanceParamWidget *advanceWgt = nullptr;
    RecordWidget *recordWgt = nullptr;
};

// Runs the settings dialog modally with no parent and destroys it afterwards; the main
// window's settings command calls it once the login passed and the edit record is prepared.
void runSystemParamDialog();

#endif
