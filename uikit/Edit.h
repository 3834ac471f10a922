#ifndef UIKIT_EDIT_H
#define UIKIT_EDIT_H

#include <QLineEdit>
#include <QPointer>

class QIntValidator;

// The line edit behind every text or number the operator types on the touch screen. It picks
// the on-screen keyboard that appears when the field is tapped, places it beside the field and
// receives the keys through keyInput() and keyErase().
//
// Mode bits: 1 integer validator; 2 the full keyboard instead of a numeric keypad; 4 unused;
// 8 the keyboard is placed in the parent's parent (the parent's position is added); 16 (when 8
// is clear) in the grandparent's parent.
class Edit : public QLineEdit
{
    Q_OBJECT

public:
    Edit(int mode, QWidget *parent = nullptr, int bordered = 1);
    ~Edit() override;

    // A key of an on-screen keypad: its first character replaces the text or is appended.
    virtual void keyInput(const QString &key, bool replace);
    // Removes the last character; *emptied becomes true when the text is then empty.
    virtual void keyErase(bool *emptied);

    void setIntValue(int value);
    // The text as a decimal number; 0 when it is not one.
    int intValue() const;

    // The range the entry is clamped into when it is confirmed or the field loses the focus;
    // -1 in either bound means no range.
    void setRange(int min, int max);
    QIntValidator *intValidator() const { return validator; }

    int editMode() const { return mode; }

    // Password fields take the physical digit keys into their text.
    void setPasswordMode(bool on) { passwordMode = on; }
    bool isPasswordMode() const { return passwordMode; }

    // Opens the keyboard as a tap on the field does (only while this field is being edited).
    void openKeyboard();

signals:
    void sig_Dot();
    void sig_keyPress(int keyNum);
    void focusOut();

public slots:
    // Sets the text to its value clamped into the range; a text that is not a number is left.
    void SlotRange(const QString &text);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    // Settles the typed entry when editing ends.
    virtual void clampEntry();

private:
    void createMissingKeyboards();
    void endEditing();
    void releaseKeyboards();
    QWidget *chooseKeyboard();

    int mode;
    QPointer<QWidget> keyboard;
    QIntValidator *validator;
    int rangeMin = -1;
    int rangeMax = -1;
    int keypadMade = 0;
    bool passwordMode = false;
};

#endif
