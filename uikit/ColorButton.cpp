#include "uikit/ColorButton.h"

ColorButton::ColorButton(const QString &caption, QWidget *parent, int colour)
    : QPushButton(caption, parent)
{
    const QString background = colour == 1 ? QStringLiteral("#F24C3F") : QStringLiteral("#2687F2");
    setStyleSheet(QStringLiteral("QPushButton{background-color: %1;border-radius: 4px;opacity:1;"
                                 "font-size: 18px;color: white}QPushButton:pressed{background-color: "
                                 "rgba(38, 135, 242, 0.5);color: white;}")
                      .arg(background));
}

void setButtonAutoRepeat(QAbstractButton *button)
{
    if (!button)
        return;
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(300);
    button->setAutoRepeatInterval(50);
}
