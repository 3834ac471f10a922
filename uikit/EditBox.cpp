#include "uikit/EditBox.h"

#include "uikit/ColorButton.h"
#include "uikit/EditParam.h"
#include "uikit/FittedFont.h"
#include "uikit/NumberKeyPad.h"
#include "uikit/UiKitGlobals.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>

#include <climits>

namespace {

void setWindowTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::All, QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// "5", "1", or "0.5", "0.1" for tenths.
QString stepText(int step, int divisor)
{
    return QString::number(double(step) / divisor, 'g', 6);
}

} // namespace

EditBox::EditBox(int min, int max, QWidget *parent, const QString &label, const QString &unit, int type,
                 int divisor)
    : QWidget(parent)
    , minimum(min)
    , maximum(max)
    , divisor(divisor == 0 ? 1 : divisor)
    , displayType(type)
    , caption(label)
{
    captionLabel = new QLabel(caption, this);
    captionLabel->setFixedSize(120, 50);
    captionLabel->setFont(QFont(QStringLiteral("SimHei"), 27));
    setWindowTextColour(captionLabel, Qt::yellow);
    captionLabel->setAlignment(Qt::AlignCenter);

    auto makeStep = [this](const QString &text, void (EditBox::*slot)()) {
        auto *button = new ColorButton(text, this, 0);
        button->setFixedSize(130, 50);
        setButtonAutoRepeat(button);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    minusFive = makeStep(QStringLiteral("- %1").arg(stepText(5, this->divisor)), &EditBox::SubFive);
    minusOne = makeStep(QStringLiteral("- %1").arg(stepText(1, this->divisor)), &EditBox::SubOne);
    plusOne = makeStep(QStringLiteral("+ %1").arg(stepText(1, this->divisor)), &EditBox::AddOne);
    plusFive = makeStep(QStringLiteral("+ %1").arg(stepText(5, this->divisor)), &EditBox::AddFive);

    edit = new EditParam(9, unit, this);
    edit->setFixedSize(150, 50);
    edit->setFrame(true);
    edit->setFont(QFont(QStringLiteral("SimHei"), 27));
    edit->setRange(minimum, maximum);
    edit->intValidator()->setRange(minimum, maximum);
    connect(edit, &Edit::sig_keyPress, this, &EditBox::keyBoardValue);
    connect(edit, &Edit::focusOut, this, &EditBox::CheckRange);

    row = new QHBoxLayout(this);
    row->addWidget(captionLabel);
    row->addWidget(minusFive);
    row->addWidget(minusOne);
    row->addWidget(edit);
    row->addWidget(plusOne);
    row->addWidget(plusFive);
    row->setSpacing(10);
    row->setContentsMargins(40, 0, 0, 0);
    row->setSizeConstraint(QLayout::SetFixedSize);
}

void EditBox::setRange(int min, int max)
{
    minimum = min;
    maximum = max;
    edit->setRange(min, max);
    edit->intValidator()->setRange(min, max);
}

void EditBox::setZeroAllowed(bool allowed)
{
    zeroAllowed = allowed;
}

void EditBox::enterDigit(int digit, bool replace)
{
    const int base = replace ? 0 : current;
    // One more digit would overflow: the entry is already far beyond any range.
    if (base > (INT_MAX - 9) / 10 || base < (INT_MIN + 9) / 10)
        return;
    current = base * 10 + digit;
    setValue();
}

void EditBox::eraseDigit(bool fromEmpty)
{
    current = (fromEmpty ? 0 : current) / 10;
    setValue();
}

void EditBox::AddOne()
{
    setValue(current < INT_MAX ? current + 1 : current);
}

void EditBox::SubOne()
{
    setValue(current > INT_MIN ? current - 1 : current);
}

void EditBox::AddFive()
{
    setValue(current < INT_MAX - 5 ? current + 5 : current);
}

void EditBox::SubFive()
{
    setValue(current > INT_MIN + 5 ? current - 5 : current);
}

int EditBox::value()
{
    return current;
}

void EditBox::setInputValue(int value)
{
    current = value;
}

void EditBox::setValue(int value)
{
    current = value;
    CheckRange();
}

void EditBox::setValue()
{
    if (displayType == 0)
        edit->setText(QString::number(current));
    else if (displayType == 2)
        edit->setText(QString::number(double(current) / divisor, 'g', 6));
}

void EditBox::keyBoardValue(int value)
{
    const bool fresh = gpNumKeyPad && gpNumKeyPad->isFresh();
    qInfo("keypad fresh flag: %d", fresh ? 1 : 0);
    if (value >= 0 && value <= 9)
        enterDigit(value, fresh);
    else if (value == -1)
        eraseDigit(fresh);
    if (gpNumKeyPad)
        gpNumKeyPad->setFresh(false);
}

void EditBox::CheckRange()
{
    if (current < minimum) {
        if (!(current == 0 && zeroAllowed))
            current = minimum;
    } else if (current > maximum) {
        current = maximum;
    }
    setValue();
    emit valueChanged(current);
}

void EditBox::setText(const QString &text)
{
    captionLabel->setText(text);
    if (isVisible())
        fitCaption();
}

// The caption keeps its 120 px; a longer caption of another language gets a smaller font.
// Fitted once shown, when the page's style sheet has given the caption its font.
void EditBox::fitCaption()
{
    fitFontToRoom(captionLabel, captionLabel->text(), captionLabel->size() - QSize(2, 0));
}

void EditBox::showEvent(QShowEvent *event)
{
    fitCaption();
    QWidget::showEvent(event);
}

int EditBox::getType()
{
    return displayType;
}

void EditBox::setSampleShow()
{
    minusFive->hide();
    minusOne->hide();
    plusOne->hide();
    plusFive->hide();
}

void EditBox::setLabelColor(const QColor &colour)
{
    setWindowTextColour(captionLabel, colour);
}
