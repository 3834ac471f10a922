#include "station/IOWidget_Item.h"

#include <QPainter>

IOWidget_Item::IOWidget_Item(int signalIndex, bool input, QWidget *parent)
    : QPushButton(parent)
    , isInput(input)
    , index(signalIndex)
{
    // The name's font is the button's own, so the room it needs is known to the layout.
    setFont(QFont(QStringLiteral("SimHei"), 10));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setStyleSheet(QStringLiteral("outline:0px;border:none;color:white;background-color:transparent;"));
}

// 60 x 60, wider where the name needs it (the English names are longer than the Chinese).
QSize IOWidget_Item::sizeHint() const
{
    return QSize(qMax(LampSize, fontMetrics().horizontalAdvance(text()) + 4), LampSize);
}

QSize IOWidget_Item::minimumSizeHint() const
{
    return sizeHint();
}

void IOWidget_Item::setLit(bool on)
{
    if (lit == on)
        return;
    lit = on;
    update();
}

void IOWidget_Item::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QColor colour = lit ? QColor(Qt::green) : QColor(Qt::red);
    painter.setPen(colour);
    painter.setBrush(colour);
    painter.drawEllipse(width() / 2 - 18, 0, 36, 36);
    painter.setFont(font());
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 40, width(), 20), Qt::AlignCenter, text());
    painter.end();
    // The push button's own face is not drawn.
    QWidget::paintEvent(event);
}

void IOWidget_Item::mousePressEvent(QMouseEvent *event)
{
    QPushButton::mousePressEvent(event);
}

void IOWidget_Item::mouseReleaseEvent(QMouseEvent *event)
{
    QPushButton::mouseReleaseEvent(event);
}
