#include "uikit/NumCharInput.h"

#include "uikit/ColorButton.h"
#include "uikit/Edit.h"
#include "uikit/KeyboardLook.h"
#include "uikit/UiKitGlobals.h"

#include <QButtonGroup>
#include <QPaintEvent>

namespace {

enum { PageKey = 37, CaseKey = 38, EraseKey = 39, ConfirmKey = 40, FirstLetterKey = 11 };

const QString lowerRows = QStringLiteral("qwertyuiopasdfghjklzxcvbnm");
const QString upperRows = QStringLiteral("QWERTYUIOPASDFGHJKLZXCVBNM");
const QString punctuationRows = QStringLiteral("-=[]\\;',./@#$%^?*()`~!{}:\"");

struct KeyRow
{
    const char *characters;
    int x;
    int y;
};

// The digit row and the three letter rows: 65 x 65 keys on a 70 px pitch.
const KeyRow keyRows[] = {
    {"1234567890_", 10, 10},
    {"qwertyuiop", 42, 80},
    {"asdfghjkl", 62, 150},
    {"zxcvbnm", 106, 220},
};

} // namespace

NumCharInput::NumCharInput(QWidget *parent)
    : QWidget(parent, Qt::CustomizeWindowHint)
    , group(new QButtonGroup(this))
{
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 785, 295);
    connect(group, &QButtonGroup::idClicked, this, &NumCharInput::setContent);

    for (const KeyRow &row : keyRows) {
        const QString characters = QString::fromLatin1(row.characters);
        for (int m = 0; m < characters.size(); ++m) {
            ColorButton *key = makeKeyboardKey(characters.mid(m, 1), this, QRect(row.x + 70 * m, row.y, 65, 65));
            group->addButton(key, keys.size());
            keys << key;
        }
    }

    const int w = width();
    keys << makeKeyboardKey(uiText(441), this, QRect(w - 90, 150, 80, 65));
    keys << makeKeyboardKey(uiText(158), this, QRect(10, 220, 80, 65));
    keys << makeKeyboardKey(uiText(157), this, QRect(w - 180, 220, 80, 65));
    keys << makeKeyboardKey(uiText(121), this, QRect(w - 90, 220, 80, 65));
    connect(keys[PageKey], &QPushButton::clicked, this, &NumCharInput::SlotChgChar_Punc);
    connect(keys[CaseKey], &QPushButton::clicked, this, &NumCharInput::SlotCap);
    connect(keys[EraseKey], &QPushButton::clicked, this, &NumCharInput::eraseContent);
    connect(keys[ConfirmKey], &QPushButton::clicked, this, &NumCharInput::HideUpdate);
    hide();
}

void NumCharInput::showLetterRows(const QString &characters)
{
    for (int i = 0; i < characters.size(); ++i) {
        ColorButton *key = keys[FirstLetterKey + i];
        key->setText(characters.mid(i, 1));
        key->update();
    }
}

void NumCharInput::SlotCap()
{
    if (keys[CaseKey]->text() == uiText(158)) {
        showLetterRows(upperRows);
        keys[CaseKey]->setText(uiText(159));
    } else {
        showLetterRows(lowerRows);
        keys[CaseKey]->setText(uiText(158));
    }
    keys[PageKey]->setText(uiText(441));
}

void NumCharInput::SlotChgChar_Punc()
{
    if (keys[PageKey]->text() == uiText(441)) {
        showLetterRows(punctuationRows);
        keys[PageKey]->setText(uiText(442));
    } else {
        showLetterRows(lowerRows);
        keys[PageKey]->setText(uiText(441));
    }
    keys[CaseKey]->setText(uiText(158));
}

void NumCharInput::setContent(int id)
{
    ColorButton *key = keys.value(id);
    if (!currentEdit || !key)
        return;
    currentEdit->setText(currentEdit->text() + key->text().left(1));
    currentEdit->setCursorPosition(currentEdit->text().size());
}

void NumCharInput::eraseContent()
{
    if (!currentEdit)
        return;
    QString entry = currentEdit->text();
    entry.chop(1);
    currentEdit->setText(entry);
    currentEdit->setCursorPosition(entry.size());
}

void NumCharInput::HideUpdate()
{
    if (!isVisible())
        return;
    hide();
    if (parentWidget())
        parentWidget()->update();
}

void NumCharInput::showEvent(QShowEvent *event)
{
    // Every time the keyboard appears it starts on the lower-case page.
    keys[PageKey]->setText(uiText(442));
    keys[CaseKey]->setText(uiText(158));
    SlotChgChar_Punc();
    QWidget::showEvent(event);
}

void NumCharInput::paintEvent(QPaintEvent *event)
{
    paintKeyboard(this, event->rect());
}

void NumCharInput::mousePressEvent(QMouseEvent *)
{
}

void NumCharInput::mouseReleaseEvent(QMouseEvent *)
{
}
