#ifndef UIKIT_EDITPARAM_H
#define UIKIT_EDITPARAM_H

#include "uikit/Edit.h"

#include <QPointer>

class EditBox;
class QLabel;

// The centred number field of a stepper, with its unit shown inside the field right after the
// number. Keys change the stepper's value instead of the text.
class EditParam : public Edit
{
    Q_OBJECT

public:
    // parent: the stepper (EditBox) whose value the keys change.
    EditParam(int mode, const QString &unit, QWidget *parent);

    void keyInput(const QString &key, bool replace) override;
    void keyErase(bool *emptied) override;

public slots:
    // Moves the unit so that it follows the centred text.
    void ChangeLabelP(const QString &text);

protected:
    // The stepper settles the value itself when the field loses the focus.
    void clampEntry() override;

private:
    void placeUnitLabel(int textLength);

    QPointer<EditBox> box;
    QLabel *unitLabel = nullptr;
    int charWidth = 16;
    int labelX = 0;
};

#endif
