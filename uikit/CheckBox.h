#ifndef UIKIT_CHECKBOX_H
#define UIKIT_CHECKBOX_H

#include <QCheckBox>

// The settings' check box (yellow SimHei 28); it stores its state as a 0/1 parameter.
class CheckBox : public QCheckBox
{
    Q_OBJECT

public:
    CheckBox(QWidget *parent, const QString &text);

    // Ticked for any non-zero value.
    void setCheckValue(int value);
    int checkValue() const;
};

#endif
