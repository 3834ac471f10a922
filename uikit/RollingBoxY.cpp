#include "uikit/RollingBoxY.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QTime>
#include <QWheelEvent>

RollingBoxY::RollingBoxY(int type, int min, int max, QWidget *parent)
    : QWidget(parent)
    , type(type)
    , min(min)
    , max(max)
    , animation(new QPropertyAnimation(this, "deviation", this))
{
    const QTime now = QTime::currentTime();
    value = type == 0 ? now.hour() : type == 1 ? now.minute() : now.second();
    value = qBound(min, value, max);
    setStyleSheet(QStringLiteral("background-color: white;"));
    animation->setDuration(300);
    animation->setEasingCurve(QEasingCurve::OutQuad);
}

void RollingBoxY::setValue(int newValue)
{
    value = qBound(min, newValue, max);
    update();
}

int RollingBoxY::readValue()
{
    return value;
}

void RollingBoxY::setDeviation(int deviation)
{
    offset = deviation;
    repaint();
}

int RollingBoxY::step() const
{
    return (height() - 1) / 4;
}

void RollingBoxY::mousePressEvent(QMouseEvent *event)
{
    animation->stop();
    dragging = true;
    pressY = event->pos().y();
}

void RollingBoxY::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragging)
        return;
    const int y = event->pos().y();
    if ((value == min && y >= pressY) || (value == max && y <= pressY))
        return;
    const int q = step();
    offset = qBound(-q, y - pressY, q);
    const int divisor = (height() - 1) / 5;
    if (divisor > 0)
        emit deviationChange(float(offset) / divisor);
    repaint();
}

void RollingBoxY::mouseReleaseEvent(QMouseEvent *)
{
    if (dragging) {
        dragging = false;
        settle();
    }
}

void RollingBoxY::wheelEvent(QWheelEvent *event)
{
    const int q = step();
    offset = event->angleDelta().y() > 0 ? q : -q;
    settle();
    repaint();
}

void RollingBoxY::settle()
{
    const int e = height() / 8;
    const int e2 = (height() - 1) / 8;
    if (offset > e) {
        animation->setStartValue(e2 - offset);
        animation->setEndValue(0);
        --value;
    } else if (offset >= -e) {
        // Also at exactly -e (not only within): springs back from where it stands.
        animation->setStartValue(offset);
        animation->setEndValue(0);
    } else {
        animation->setStartValue(-e2 - offset);
        animation->setEndValue(0);
        ++value;
    }
    if (value < min) {
        ++value;
        return;
    }
    if (value > max) {
        --value;
        return;
    }
    emit currentValueChanged(value);
    animation->start();
}

void RollingBoxY::paintEvent(QPaintEvent *)
{
    const int h = height();
    const int q = step();
    int d = offset;
    // A drag of a whole step moves the drum on by one value and starts over from there.
    if (d >= q && value > min) {
        --value;
        d -= q;
        pressY += q;
    }
    if (d <= -q && value < max) {
        ++value;
        d += q;
        pressY -= q;
    }
    if (d == q || d == -q)
        d = 0;
    offset = d;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintNumber(painter, value, d);
    if (value != min)
        paintNumber(painter, value - 1, d - q);
    if (value != max)
        paintNumber(painter, value + 1, d + q);
    if (d >= 0 && value - 2 >= min)
        paintNumber(painter, value - 2, d - (h - 1) / 2);
    if (d <= 0 && value + 2 <= max)
        paintNumber(painter, value + 2, d + (h - 1) / 2);

    painter.setPen(QPen(QColor(70, 144, 249, 255), 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    const int band = (h - 1) / 8;
    painter.drawLine(0, 3 * band, width() - 1, 3 * band);
    painter.drawLine(0, 5 * band, width() - 1, 5 * band);
}

void RollingBoxY::paintNumber(QPainter &painter, int number, int at)
{
    const int h = height();
    if (h <= 1)
        return;
    const int distance = qAbs(at);
    painter.setFont(QFont(QStringLiteral("SimHei"), 12));
    painter.setPen(QColor(0, 0, 0, qBound(0, 255 - (510 * distance) / (h - 1), 255)));
    const int s = (h - 1) / 2 - (3 * distance) / 5;
    const int top = (h - 1) / 2 - s / 2 + at;
    const QString unit = type == 0 ? tr("时") : type == 1 ? tr("分") : tr("秒");
    painter.drawText(QRect(0, top, width() - 1, s), Qt::AlignCenter, QString::number(number) + unit);
}
