#ifndef UIKIT_DIALOGBUTTONS_H
#define UIKIT_DIALOGBUTTONS_H

#include <QPushButton>

// The OK and Cancel buttons of the small message boxes (135 x 60).
class okbtn : public QPushButton
{
    Q_OBJECT

public:
    explicit okbtn(QWidget *parent = nullptr);
};

class cancelbtn : public QPushButton
{
    Q_OBJECT

public:
    explicit cancelbtn(QWidget *parent = nullptr);
};

#endif
