#ifndef SETTINGS_SYSTEMPARAMWIDGET_H
#define SETTINGS_SYSTEMPARAMWIDGET_H

#include "settings/TabParamWidget.h"

class CheckBox;
class ColorButton;
class ComboBox;
class EditBox;
class SystemParamDialog;

// The first settings page: capture delays, the automatic re-check count, two detection limits
// and six switches; and three actions that take effect at once: clearing the production
// counters, switching the language (then a reboot) and powering the machine off.
class SystemParamWidget : public TabParamWidget
{
    Q_OBJECT

public:
    explicit SystemParamWidget(SystemParamDialog *dialog);

    void LoadParams() override;
    void StoreParams() override;

    // Delays in tenths of a second: product, cavity, first and second output delay.
    EditBox *productDelay;
    EditBox *cavityDelay;
    EditBox *firstOutputDelay;
    EditBox *secondOutputDelay;
    EditBox *cavityRechecks;
    EditBox *filterSize;
    EditBox *alarmArea;
    CheckBox *productStage;
    CheckBox *semiAutomatic;
    CheckBox *motionCorrection;
    CheckBox *copyRegions;
    CheckBox *passwordUsed;
    CheckBox *templateAutoUpdate;
    ColorButton *clearCountersButton;
    ComboBox *languageBox;
    ColorButton *powerOffButton;

private:
    void clearCounters();
    void switchLanguage(int language);

    SystemParamDialog *dialog;
};

#endif
