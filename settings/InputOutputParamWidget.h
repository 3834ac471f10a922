#ifndef SETTINGS_INPUTOUTPUTPARAMWIDGET_H
#define SETTINGS_INPUTOUTPUTPARAMWIDGET_H

#include "settings/TabParamWidget.h"

#include <QVector>

class CheckBox;
class ComboBox;
class EditBox;

// The input/output page: how the station talks to the moulding machine (timeouts, pulses,
// the spare input and output, the outputs' idle states, the output and alarm rules, the
// machine type and the I/O board's serial port). Nothing acts before OK; the machine type and
// the port take effect at the next start.
class InputOutputParamWidget : public TabParamWidget
{
    Q_OBJECT

public:
    explicit InputOutputParamWidget(QWidget *parent);

    void LoadParams() override;
    void StoreParams() override;

    struct Field
    {
        EditBox *box;
        int index;
    };
    // A stored value without an item shows no item and is kept unless the operator chooses
    // one.
    struct Choice
    {
        ComboBox *box;
        int index;
        int shown;
    };
    struct Switch
    {
        CheckBox *box;
        int index;
    };

    QVector<Field> fields;
    QVector<Choice> choices;
    QVector<Switch> switches;
    ComboBox *machineType;
    ComboBox *mouldSide;
    ComboBox *portBox;
};

#endif
