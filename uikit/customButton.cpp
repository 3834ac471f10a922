#include "uikit/customButton.h"

customButton::customButton(QWidget *parent)
    : QPushButton(parent)
{
    setCheckable(true);
    setStyleSheet(QStringLiteral(
        "QPushButton:checked{background-color: #2687F2;border-radius: 4px;opacity:1;font-size: 18px;"
        "color: white}QPushButton:!checked{background-color: #F24C3F;border-radius: 4px;opacity:1;"
        "font-size: 18px;color: white}"));
}
