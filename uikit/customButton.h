#ifndef UIKIT_CUSTOMBUTTON_H
#define UIKIT_CUSTOMBUTTON_H

#include <QPushButton>

// A checkable button: blue when checked, red when not.
class customButton : public QPushButton
{
    Q_OBJECT

public:
    explicit customButton(QWidget *parent = nullptr);
};

#endif
