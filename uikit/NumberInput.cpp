#include "uikit/NumberInput.h"

#include "uikit/ColorButton.h"
#include "uikit/Edit.h"
#include "uikit/KeyboardLook.h"
#include "uikit/UiKitGlobals.h"

#include <QButtonGroup>
#include <QPaintEvent>

NumberInput::NumberInput(QWidget *parent)
    : QWidget(parent, Qt::CustomizeWindowHint)
    , keys(new QButtonGroup(this))
{
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 427, 230);

    // Keys "1" to "9" and then "0" carry the ids 0 to 9; the key's text is what gets typed.
    static const char digits[] = "1234567890";
    for (int id = 0; id < 10; ++id) {
        const QRect cell(5 + 105 * (id % 4), 5 + 75 * (id / 4), 100, 70);
        keys->addButton(makeKeyboardKey(QString(QLatin1Char(digits[id])), this, cell), id);
    }
    eraseKey = makeKeyboardKey(uiText(157), this, QRect(215, 155, 100, 70));
    confirmKey = makeKeyboardKey(uiText(121), this, QRect(320, 155, 100, 70));

    connect(keys, &QButtonGroup::idClicked, this, &NumberInput::setContent);
    connect(eraseKey, &QPushButton::clicked, this, &NumberInput::eraseContent);
    connect(confirmKey, &QPushButton::clicked, this, &NumberInput::HideUpdate);
    hide();
}

void NumberInput::setContent(int id)
{
    padTypeKey(currentEdit, keys->button(id), fresh);
}

void NumberInput::eraseContent()
{
    padErase(currentEdit, fresh);
}

void NumberInput::eraseAll()
{
    padEraseAll(currentEdit, fresh);
}

void NumberInput::HideUpdate()
{
}

void NumberInput::paintEvent(QPaintEvent *event)
{
    paintKeyboard(this, event->rect());
}

// Presses on the pad's background are consumed.
void NumberInput::mousePressEvent(QMouseEvent *)
{
}

void NumberInput::mouseReleaseEvent(QMouseEvent *)
{
}
