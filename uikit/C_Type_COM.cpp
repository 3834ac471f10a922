#include "uikit/C_Type_COM.h"

C_Type_COM::C_Type_COM(QWidget *parent)
    : QWidget(parent)
{
}

void C_Type_COM::initForm()
{
}

void C_Type_COM::setLineEditStyle(QWidget *edit, int type)
{
    static const char *const focusColours[] = {"#34495E", "#1ABC9C", "#3498DB", "#E74C3C"};
    if (type < 0 || type > 3)
        return;
    setLineEditColors(edit, QStringLiteral("#DCE4EC"), QString::fromLatin1(focusColours[type]));
}

void C_Type_COM::setLineEditColors(QWidget *edit, const QString &normal, const QString &focus)
{
    if (!edit)
        return;
    edit->setStyleSheet(
        QStringLiteral("QLineEdit{border-style:none;padding:1px;border-radius:5px;border:2px solid %1;}")
            .arg(normal)
        + QStringLiteral("QLineEdit:focus{border:2px solid %1;}").arg(focus));
}
