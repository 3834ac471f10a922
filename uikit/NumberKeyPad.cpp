#include "uikit/NumberKeyPad.h"

#include "uikit/ColorButton.h"
#include "uikit/Edit.h"
#include "uikit/KeyboardLook.h"
#include "uikit/UiKitGlobals.h"

#include <QButtonGroup>
#include <QPaintEvent>

NumberKeyPad::NumberKeyPad(QWidget *parent)
    : QWidget(parent, Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint)
    , keys(new QButtonGroup(this))
    , targetEdit(qobject_cast<Edit *>(parent))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);

    // Keys 1 to 9 run left to right, four to a row; 0, erase and confirm end the last row.
    auto cell = [](int index) { return QRect(5 + 106 * (index % 4), 5 + 76 * (index / 4), 100, 70); };
    for (int digit = 1; digit <= 9; ++digit)
        keys->addButton(makeKeyboardKey(QString::number(digit), this, cell(digit - 1)), digit);
    keys->addButton(makeKeyboardKey(QStringLiteral("0"), this, cell(9)), 0);
    eraseKey = makeKeyboardKey(tr("退格"), this, cell(10));
    confirmKey = makeKeyboardKey(tr("确定"), this, cell(11));
    setGeometry(0, 0, 427, 230);

    connect(keys, &QButtonGroup::idClicked, this, &NumberKeyPad::setContent);
    connect(eraseKey, &QPushButton::clicked, this, &NumberKeyPad::eraseContent);
    connect(confirmKey, &QPushButton::clicked, this, &NumberKeyPad::HideUpdate);
}

void NumberKeyPad::setContent(int id)
{
    padTypeKey(targetEdit, keys->button(id), fresh);
}

void NumberKeyPad::eraseContent()
{
    padErase(targetEdit, fresh);
}

void NumberKeyPad::eraseAll()
{
    padEraseAll(targetEdit, fresh);
}

void NumberKeyPad::HideUpdate()
{
    // The field's focus loss closes this keypad; a field without the focus (the password field,
    // a slider's value field) needs the explicit close below.
    if (currentEdit && currentEdit->hasFocus())
        currentEdit->clearFocus();
    if (isVisible())
        close();
}

void NumberKeyPad::paintEvent(QPaintEvent *event)
{
    paintKeyboard(this, event->rect());
}
