#include "uikit/Slider.h"

#include "uikit/ColorButton.h"
#include "uikit/Edit.h"
#include "uikit/UiKitGlobals.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

#include <climits>

namespace {

constexpr int CaptionWidth = 140;
constexpr int ValueBoxX = 155;
constexpr int ValueBoxWidth = 80;
constexpr int GrooveX = 315;
// Everything but the groove: caption, value box, the two buttons and the gaps.
constexpr int FixedPartsWidth = 390;

} // namespace

Slider::Slider(int min, int max, int pageStep, int value, QWidget *parent, const QString &name)
    : QAbstractSlider(parent)
{
    setOrientation(Qt::Horizontal);
    setup(min, max, pageStep, value, name);

    plusButton = new ColorButton(QStringLiteral("+ 1"), this, 0);
    plusButton->setFixedSize(70, 41);
    connect(plusButton, &QPushButton::clicked, this, &Slider::Add);
    setButtonAutoRepeat(plusButton);
    minusButton = new ColorButton(QStringLiteral("- 1"), this, 0);
    minusButton->setFixedSize(70, 41);
    connect(minusButton, &QPushButton::clicked, this, &Slider::Sub);
    setButtonAutoRepeat(minusButton);

    // Zero pixels wide: the value box is painted; the field only takes the keypad's digits.
    // Mode 9: integer validator, keypad placed relative to the slider's position.
    valueEdit = new Edit(9, this, 1);
    valueEdit->setGeometry(ValueBoxX, 0, 0, 60);
    connect(valueEdit, &QLineEdit::textChanged, this, &Slider::SetText);
}

void Slider::setup(int min, int max, int pageStep, int value, const QString &name)
{
    setObjectName(name);
    setMinimum(min);
    setMaximum(max);
    setPageStep(pageStep);
    setValue(value);
    pressX = -1;
    pressY = -1;
}

void Slider::Add()
{
    setValue(value() + 1);
}

void Slider::Sub()
{
    setValue(value() - 1);
}

void Slider::SetText(const QString &text)
{
    // Tapping the value box empties the field; that must not drop the setting to its minimum.
    bool ok = false;
    const uint typed = text.toUInt(&ok);
    if (!ok)
        return;
    setValue(typed > uint(INT_MAX) ? INT_MAX : int(typed));
}

void Slider::resizeEvent(QResizeEvent *event)
{
    const int w = width();
    const int h = height();
    grooveWidth = qMax(0, w - FixedPartsWidth);
    fillOffset = int(grooveWidth * 0.03);
    fillWidthMax = int(grooveWidth * 0.935);
    plusButton->move(w - 70, (h - 28) / 2 - 6);
    minusButton->move(240, (h - 28) / 2 - 6);
    // The hidden field stands where the value box is drawn, so its keypad opens there.
    valueEdit->setGeometry(ValueBoxX, 0, 0, h);
    QAbstractSlider::resizeEvent(event);
}

int Slider::fillWidth() const
{
    if (maximum() == minimum())
        return 0;
    return int(float(fillWidthMax) * float(value() - minimum()) / float(maximum() - minimum()));
}

void Slider::paintEvent(QPaintEvent *)
{
    const int h = height();
    QPainter painter(this);
    painter.setPen(Qt::green);
    painter.setFont(QFont(QStringLiteral("SimHei"), 16));
    painter.drawText(QRect(0, 0, CaptionWidth, h), Qt::AlignLeft | Qt::AlignVCenter, objectName());

    const QRect valueBox(ValueBoxX, 3, ValueBoxWidth, h - 6);
    drawSkinPixmap(painter, valueBox, SkinEdit);
    painter.drawText(valueBox, Qt::AlignCenter, QString::number(value()));

    drawSkinPixmap(painter, QRect(GrooveX, 3, grooveWidth, h - 6), SkinSliderGroove);
    const int f = fillWidth();
    drawSkinPixmap(painter, QRect(GrooveX + fillOffset, 11, f, h - 22), SkinSliderFill);

    handleX = GrooveX + fillOffset + f;
    handleY = 3;
    handleW = 10;
    handleH = h - 6;
    drawSkinPixmap(painter, QRect(handleX, handleY, handleW, handleH), SkinSliderHandle);
}

void Slider::mousePressEvent(QMouseEvent *event)
{
    // A band 20 px wider than the handle on each side starts a drag.
    const int x = event->pos().x();
    if (handleX - 20 <= x && x < handleX + handleW + 20) {
        pressX = x;
        pressY = event->pos().y();
    } else {
        pressX = -1;
        pressY = -1;
    }
}

void Slider::mouseMoveEvent(QMouseEvent *event)
{
    if (pressX <= 0 || fillWidthMax <= 0)
        return;
    // Small moves accumulate until they make a whole step.
    const int delta = int(float(event->pos().x() - pressX) / float(fillWidthMax)
                          * float(maximum() - minimum()));
    if (delta == 0)
        return;
    setValue(value() + delta);
    pressX = event->pos().x();
    pressY = event->pos().y();
}

void Slider::mouseReleaseEvent(QMouseEvent *event)
{
    pressX = -1;
    pressY = -1;
    const int x = event->pos().x();
    if (134 < x && x < 215)
        openValueBox();
}

void Slider::openValueBox()
{
    // As if the hidden field had been focused and tapped.
    valueEdit->setFocus(Qt::MouseFocusReason);
    if (currentEdit != valueEdit) {
        QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(valueEdit, &focusIn);
    }
    valueEdit->openKeyboard();
}
