#include "uikit/CheckBox.h"

CheckBox::CheckBox(QWidget *parent, const QString &text)
    : QCheckBox(text, parent)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::All, QPalette::WindowText, Qt::yellow);
    setPalette(palette);
    setFont(QFont(QStringLiteral("SimHei"), 28));
}

void CheckBox::setCheckValue(int value)
{
    setChecked(value != 0);
}

int CheckBox::checkValue() const
{
    return isChecked() ? 1 : 0;
}
