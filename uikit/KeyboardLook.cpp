#include "uikit/KeyboardLook.h"

#include "uikit/ColorButton.h"
#include "uikit/Edit.h"

#include <QPainter>

ColorButton *makeKeyboardKey(const QString &text, QWidget *keyboard, const QRect &geometry)
{
    auto *key = new ColorButton(text, keyboard, 0);
    key->setGeometry(geometry);
    key->setFocusPolicy(Qt::NoFocus);
    return key;
}

void paintKeyboard(QWidget *keyboard, const QRect &dirty)
{
    QPainter painter(keyboard);
    painter.fillRect(dirty, QColor(255, 251, 240, 200));
    painter.setPen(QColor(0x19, 0x15, 0x32));
    painter.drawRect(0, 0, keyboard->width() - 1, keyboard->height() - 1);
}

void padTypeKey(Edit *field, const QAbstractButton *key, bool &fresh)
{
    if (field && key)
        field->keyInput(key->text(), fresh);
    fresh = false;
}

void padErase(Edit *field, bool &fresh)
{
    if (field)
        field->keyErase(&fresh);
}

void padEraseAll(Edit *field, bool &fresh)
{
    if (field) {
        field->setText(QString());
        field->setCursorPosition(0);
    }
    fresh = true;
}
