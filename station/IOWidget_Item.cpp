#include "station/IOWidget_Item.h"

#include <QPainter>

IOWidget_Item::IOWidget_Item(int signalIndex, bool input, QWidget *parent)
    : QPushButton(parent)
    , isInput(input)
    , index(signalIndex)
{
    setFixedSize(60, 60);
    setStyleSheet(QStringLiteral("outline:0px;border:none;font-size:20px;color:white;background-color:transparent;"));
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
    painter.drawEllipse(12, 0, 36, 36);
    painter.setFont(QFont(QStringLiteral("SimHei"), 10));
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 40, 60, 20), Qt::AlignCenter, text());
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
