#ifndef UIKIT_CHECKBOX_H
#define UIKIT_CHECKBOX_H

#include <QCheckBox>

// The settings' check box (yellow SimHei 28, smaller where its text needs it); it stores its
// state as a 0/1 parameter.
class CheckBox : public QCheckBox
{
    Q_OBJECT

public:
    CheckBox(QWidget *parent, const QString &text);

    // Ticked for any non-zero value.
    void setCheckValue(int value);
    int checkValue() const;

    // Layouts may give a check box about half its width: its font then shrinks to fit.
    QSize minimumSizeHint() const override;

protected:
    // A text longer than the room its layout gives (another language's) gets a smaller font.
    void resizeEvent(QResizeEvent *event) override;
};

#endif
