#ifndef UIKIT_KEYBOARDLOOK_H
#define UIKIT_KEYBOARDLOOK_H

#include <QRect>
#include <QString>

class ColorButton;
class Edit;
class QAbstractButton;
class QWidget;

// One key of an on-screen keyboard: a blue ColorButton that never takes the focus, so the
// field being edited keeps it.
ColorButton *makeKeyboardKey(const QString &text, QWidget *keyboard, const QRect &geometry);

// The keyboards' background: a light translucent fill with a dark outline.
void paintKeyboard(QWidget *keyboard, const QRect &dirty);

// The digit pads' key actions on the field they type into; a missing field or key does nothing.
// fresh: while set, the next key replaces the field's content.
void padTypeKey(Edit *field, const QAbstractButton *key, bool &fresh);
void padErase(Edit *field, bool &fresh);
void padEraseAll(Edit *field, bool &fresh);

#endif
