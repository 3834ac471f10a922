#include "uikit/EditParam.h"

#include "uikit/EditBox.h"

#include <QLabel>

EditParam::EditParam(int mode, const QString &unit, QWidget *parent)
    : Edit(mode, parent, 1)
    , box(qobject_cast<EditBox *>(parent))
{
    if (!unit.isEmpty()) {
        unitLabel = new QLabel(this);
        unitLabel->setFixedSize(unit.size() * charWidth + 10, 35);
        unitLabel->setText(unit);
        unitLabel->setAlignment(Qt::AlignCenter);
        unitLabel->setStyleSheet(QStringLiteral(
            "color: #2687F2;font-family: SimHei;font-size: 18px;background-color: transparent"));
        const QMargins margins = textMargins();
        setTextMargins(margins.left(), margins.top(), unitLabel->width(), margins.bottom());
        connect(this, &QLineEdit::textChanged, this, &EditParam::ChangeLabelP);
        placeUnitLabel(unit.size());
    }
    setFocusPolicy(Qt::StrongFocus);
    setAlignment(Qt::AlignCenter);
}

void EditParam::placeUnitLabel(int textLength)
{
    // The centred text takes about 13.5 px per character.
    labelX = (int(textLength * 27 * 0.5) + width() - unitLabel->width()) / 2;
    unitLabel->move(labelX, (height() - unitLabel->height()) / 2);
}

void EditParam::ChangeLabelP(const QString &text)
{
    if (unitLabel)
        placeUnitLabel(text.size());
}

void EditParam::keyInput(const QString &key, bool replace)
{
    bool ok = false;
    const int digit = key.left(1).toInt(&ok);
    if (box && ok)
        box->enterDigit(digit, replace);
}

void EditParam::keyErase(bool *)
{
    if (box)
        box->eraseDigit(false);
}

void EditParam::clampEntry()
{
}
