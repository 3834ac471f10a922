#ifndef UIKIT_COLORBUTTON_H
#define UIKIT_COLORBUTTON_H

#include <QPushButton>

class QAbstractButton;

// The flat push button of every page: red for colour number 1, blue for any other number.
class ColorButton : public QPushButton
{
public:
    ColorButton(const QString &caption, QWidget *parent = nullptr, int colour = 0);
};

// Step buttons repeat while held: first after 300 ms, then every 50 ms.
void setButtonAutoRepeat(QAbstractButton *button);

#endif
