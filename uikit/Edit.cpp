#include "uikit/Edit.h"

#include "uikit/NumCharInput.h"
#include "uikit/NumberInput.h"
#include "uikit/NumberKeyPad.h"
#include "uikit/UiKitGlobals.h"

#include <QCoreApplication>
#include <QIntValidator>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// The shared keyboards are made without a parent and only later moved into the widget that
// hosts a field. Whatever is still parentless when the application ends is deleted here.
void deleteParentlessKeyboards()
{
    if (gpNumCharInput && !gpNumCharInput->parent())
        delete gpNumCharInput.data();
    if (gpNumberInput && !gpNumberInput->parent())
        delete gpNumberInput.data();
    if (gpNumKeyPad && !gpNumKeyPad->parent())
        delete gpNumKeyPad.data();
}

} // namespace

Edit::Edit(int mode, QWidget *parent, int bordered)
    : QLineEdit(parent)
    , mode(mode)
    , validator(new QIntValidator(this))
{
    // A bordered field would get the kit's border style first, but the white look below
    // replaces it, so no field shows that border.
    Q_UNUSED(bordered)
    if (mode & 1)
        setValidator(validator);
    setStyleSheet(QStringLiteral("QLineEdit{background-color: white;color: black;}"));
}

Edit::~Edit()
{
    // A field that dies while it is being edited takes its keyboards down with it, so no key
    // can reach it afterwards.
    if (currentEdit == this)
        releaseKeyboards();
    if (auto *pad = qobject_cast<NumberKeyPad *>(keyboard.data()))
        pad->close();
}

void Edit::keyInput(const QString &key, bool replace)
{
    const QString character = key.left(1);
    if (character.isEmpty())
        return;
    setText(replace ? character : text() + character);
    setCursorPosition(text().size());
}

void Edit::keyErase(bool *emptied)
{
    QString entry = text();
    if (!entry.isEmpty())
        entry.chop(1);
    setText(entry);
    if (entry.isEmpty() && emptied)
        *emptied = true;
    setCursorPosition(entry.size());
}

void Edit::setIntValue(int value)
{
    setText(QString::number(value));
}

int Edit::intValue() const
{
    return text().toInt();
}

void Edit::setRange(int min, int max)
{
    rangeMin = min;
    rangeMax = max;
}

void Edit::SlotRange(const QString &text)
{
    if (rangeMin == -1 || rangeMax == -1)
        return;
    if (rangeMax < rangeMin)
        std::swap(rangeMin, rangeMax);
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok)
        setText(QStringLiteral("%1").arg(qBound(rangeMin, value, rangeMax)));
}

void Edit::clampEntry()
{
    SlotRange(text());
}

bool Edit::event(QEvent *event)
{
    if (!gpNumCharInput || !gpNumberInput) {
        createMissingKeyboards();
        return QLineEdit::event(event);
    }

    switch (event->type()) {
    case QEvent::FocusIn:
        if (echoMode() == QLineEdit::Password) {
            // A password field never keeps the focus; it stays the current field and gets its
            // digits from the keypad.
            clear();
            clearFocus();
            setPlaceholderText(uiText(125));
        }
        currentEdit = this;
        break;
    case QEvent::FocusOut:
        endEditing();
        break;
    case QEvent::MouseButtonRelease:
        if (currentEdit == this)
            openKeyboard();
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void Edit::createMissingKeyboards()
{
    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        qAddPostRoutine(deleteParentlessKeyboards);
        cleanupRegistered = true;
    }
    if (!gpNumCharInput)
        gpNumCharInput = new NumCharInput(nullptr);
    if (!gpNumberInput)
        gpNumberInput = new NumberInput(nullptr);
    if (!gpNumKeyPad)
        gpNumKeyPad = new NumberKeyPad(nullptr);
}

void Edit::endEditing()
{
    // The entry is settled here, not after every digit: with a minimum of 10 the operator must
    // be able to type "15" through "1".
    clampEntry();
    currentEdit = nullptr;
    releaseKeyboards();
    keypadMade = 0;
    emit focusOut();
}

void Edit::releaseKeyboards()
{
    if (gpNumCharInput)
        gpNumCharInput->hide();
    if (gpNumberInput)
        gpNumberInput->hide();
    if (gpNumKeyPad) {
        qInfo("gpNumKeyPad is closed");
        gpNumKeyPad->close();   // deletes itself once control is back in the event loop
        gpNumKeyPad = nullptr;
    }
}

QWidget *Edit::chooseKeyboard()
{
    if (mode & 2)
        return gpNumCharInput;

    if (keypadMade == 0 || !keyboard) {
        if (gpNumKeyPad) {
            gpNumKeyPad->close();
            gpNumKeyPad = nullptr;
        }
        auto *pad = new NumberKeyPad(this);
        keyboard = pad;
        gpNumKeyPad = pad;
        keypadMade = 1;
    }
    // Every tap on a numeric field starts the entry afresh.
    if (gpNumberInput)
        gpNumberInput->eraseAll();
    return keyboard;
}

void Edit::openKeyboard()
{
    if (currentEdit != this)
        return;

    QWidget *board = chooseKeyboard();
    if (!board)
        return;

    QWidget *parent = parentWidget();
    QWidget *host = parent;
    if ((mode & 8) && parent)
        host = parent->parentWidget();
    else if ((mode & 16) && parent && parent->parentWidget())
        host = parent->parentWidget()->parentWidget();
    if (!host)
        return;

    const int kw = board->width();
    const int kh = board->height();
    // A host that cannot hold the keyboard (a field in a low row) would cut its keys off: the
    // keyboard goes up to the first ancestor that holds it beside the field.
    while (!host->isWindow() && host->parentWidget()
           && (host->width() < kw || host->height() < kh + height() + 10))
        host = host->parentWidget();
    const QPoint field = mapTo(host, QPoint(0, 0));
    int x = field.x();
    const int yBelow = field.y() + height() + 5;
    const int pw = host->width();
    const int ph = host->height();
    if (x + kw > pw)
        x = pw - kw;
    x = qMax(0, x);
    int y = yBelow;
    if (y + kh > mainViewHeight - 50)
        y = yBelow - kh - 45;
    if (y + kh > ph)
        y = ph - kh;

    if (board->parentWidget() != host)
        board->setParent(host);
    if (y + kh < ph)
        board->move(x, y);
    else
        board->move(x, qMax(0, yBelow - kh - height() - 10));   // 5 px above the field
    board->raise();
    board->show();
}

void Edit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == 46 || key == 13)
        emit sig_Dot();

    if (key == Qt::Key_Return) {
        if (gpNumCharInput && gpNumCharInput->isVisible()) {
            gpNumCharInput->HideUpdate();
        } else if (gpNumberInput && gpNumberInput->isVisible()) {
            // The digit pad stays as it is.
        } else {
            QMouseEvent tap(QEvent::MouseButtonRelease, QPointF(0, 0), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
            QCoreApplication::sendEvent(this, &tap);
        }
    }

    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
    if (!passwordMode) {
        // Physical digits and Backspace go to the owner as key numbers; the text stays.
        if (digit || key == Qt::Key_Backspace) {
            emit sig_keyPress(digit ? key - Qt::Key_0 : -1);
            QWidget::keyPressEvent(event);
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }

    if (digit) {
        setText(text() + QChar(key));
        if (gpNumKeyPad)
            gpNumKeyPad->setFresh(false);
        QWidget::keyPressEvent(event);
        return;
    }
    QLineEdit::keyPressEvent(event);
}
