#include "uikit/BoxPainting.h"

#include "uikit/UiKitGlobals.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

QFont titleFont()
{
    return QFont(QStringLiteral("SimHei"), 15);
}

} // namespace

QRect titleRoom(const QString &title, const QRect &titleRect)
{
    QRect room = titleRect;
    const int needed = QFontMetrics(titleFont()).horizontalAdvance(title) + 2;
    if (needed > room.width())
        room.setWidth(needed);
    return room;
}

void paintTitledBox(QPainter &painter, const QSize &size, const QString &title, const QRect &titleRect)
{
    painter.setPen(Qt::NoPen);
    painter.fillRect(QRect(0, 0, size.width(), 60), QColor(0x35, 0x3D, 0x45));
    painter.fillRect(QRect(0, 60, size.width(), size.height() - 60), QColor(0x26, 0x2E, 0x34));
    painter.setPen(Qt::white);
    painter.setFont(titleFont());
    painter.drawText(titleRoom(title, titleRect), Qt::AlignCenter, title);
}

void paintBoardBackground(QPainter &painter, const QSize &size)
{
    drawSkinPixmap(painter, QRect(QPoint(0, 0), size), SkinBackground);
}

void paintBoardMessage(QPainter &painter, const QRect &textRect, int alignment, const QString &text)
{
    painter.setPen(Qt::red);
    painter.setFont(QFont(QStringLiteral("SimHei"), 40));
    painter.drawText(textRect, alignment, text);
}

void paintBoardFrame(QPainter &painter, const QSize &size)
{
    painter.setPen(QPen(Qt::white, 5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
}
