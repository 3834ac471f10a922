#ifndef UIKIT_EDITBOX_H
#define UIKIT_EDITBOX_H

#include <QWidget>

class ColorButton;
class EditParam;
class QHBoxLayout;
class QLabel;

// A labelled number stepper: caption, -5, -1, the value field, +1, +5. Display type 0 shows
// the value as an integer, type 2 as value / divisor (tenths with divisor 10); other types
// leave the text alone.
//
// Digits typed into the field build up the entry freely; the entry is clamped into the range
// and reported when it is confirmed or the field loses the focus.
class EditBox : public QWidget
{
    Q_OBJECT

public:
    EditBox(int min, int max, QWidget *parent, const QString &label, const QString &unit, int type,
            int divisor);

    void setRange(int min, int max);
    // Lets 0 pass the range check although it is below the minimum.
    void setZeroAllowed(bool allowed);

    // Typing into the field: a digit replaces the value or is appended to it; erasing drops
    // the last digit. Neither clamps nor signals.
    void enterDigit(int digit, bool replace);
    void eraseDigit(bool fromEmpty);

    EditParam *field() const { return edit; }
    int minimumValue() const { return minimum; }
    int maximumValue() const { return maximum; }

signals:
    void valueChanged(int value);

public slots:
    void AddOne();
    void SubOne();
    void AddFive();
    void SubFive();
    int value();
    // Stores the value without any check or display.
    void setInputValue(int value);
    // Stores the value, then clamps, shows and signals it.
    void setValue(int value);
    // Shows the stored value by the display type, without range check or signal.
    void setValue();
    // A physical key on the field: 0 to 9, or -1 for Backspace.
    void keyBoardValue(int value);
    // Clamps the value into the range, shows it and emits valueChanged (also when unchanged).
    void CheckRange();
    void setText(const QString &text);
    int getType();
    // Shows only caption and field.
    void setSampleShow();
    void setLabelColor(const QColor &colour);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitCaption();

    EditParam *edit;
    ColorButton *plusOne;
    ColorButton *minusOne;
    ColorButton *plusFive;
    ColorButton *minusFive;
    QLabel *captionLabel;
    QHBoxLayout *row;
    int minimum;
    int maximum;
    int current = 0;
    bool zeroAllowed = false;
    int divisor;
    int displayType;
    QString caption;
};

#endif
