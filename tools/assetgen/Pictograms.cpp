// The embedded icons, drawn as simple line pictograms: white strokes on a transparent ground
// for the dark command buttons, dark strokes for the white calendar and combo boxes.
#include "Pictograms.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <functional>

namespace {

const QColor white(0xF2, 0xF4, 0xF6);
const QColor accent(0x26, 0x87, 0xF2);
const QColor alarm(0xF2, 0x4C, 0x3F);
const QColor dim(0x9A, 0xA4, 0xAE);
const QColor ink(0x33, 0x33, 0x33);

using Drawing = std::function<void(QPainter &)>;

// Draws on a 64 × 64 design grid, scaled to the picture's size.
QImage draw(QSize size, const Drawing &drawing, const QColor &stroke = white, qreal width = 4)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size.width() / 64.0, size.height() / 64.0);
    painter.setPen(QPen(stroke, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    drawing(painter);
    return image;
}

QImage icon(const Drawing &drawing)
{
    return draw(QSize(64, 64), drawing);
}

// The side menu's command icons leave room for the command's name under them.
QImage menuIcon(const Drawing &drawing)
{
    return draw(QSize(40, 40), drawing, white, 5);
}

void chevron(QPainter &p, qreal x, qreal y, qreal size, bool right)
{
    const qreal d = right ? size : -size;
    p.drawPolyline(QPolygonF({QPointF(x - d / 2, y - size), QPointF(x + d / 2, y),
                              QPointF(x - d / 2, y + size)}));
}

void arrowHead(QPainter &p, QPointF tip, qreal angleDegrees, qreal size = 8)
{
    const qreal a = qDegreesToRadians(angleDegrees);
    const QPointF back(-qCos(a) * size, -qSin(a) * size);
    const QPointF side(-qSin(a) * size * 0.7, qCos(a) * size * 0.7);
    p.drawPolyline(QPolygonF({tip + back + side, tip, tip + back - side}));
}

// An arc of a circle around (32, 32) with an arrow head at its end (angles in degrees,
// counter-clockwise from three o'clock as Qt counts them).
void circularArrow(QPainter &p, qreal radius, int startDegrees, int spanDegrees)
{
    const QRectF box(32 - radius, 32 - radius, 2 * radius, 2 * radius);
    p.drawArc(box, startDegrees * 16, spanDegrees * 16);
    const qreal end = qDegreesToRadians(qreal(startDegrees + spanDegrees));
    const QPointF tip(32 + radius * qCos(end), 32 - radius * qSin(end));
    const qreal heading = -(startDegrees + spanDegrees + (spanDegrees > 0 ? 90 : -90));
    arrowHead(p, tip, heading);
}

void pictureFrame(QPainter &p)
{
    p.drawRoundedRect(QRectF(8, 12, 40, 32), 3, 3);
    p.drawPolyline(QPolygonF({QPointF(12, 40), QPointF(24, 26), QPointF(32, 34), QPointF(38, 28),
                              QPointF(46, 38)}));
    p.drawEllipse(QPointF(38, 20), 3, 3);
}

void cross(QPainter &p, QPointF centre, qreal half)
{
    p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
    p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
}

void plus(QPainter &p, QPointF centre, qreal half)
{
    p.drawLine(centre + QPointF(-half, 0), centre + QPointF(half, 0));
    p.drawLine(centre + QPointF(0, -half), centre + QPointF(0, half));
}

void gear(QPainter &p)
{
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        const qreal a = qDegreesToRadians(i * 45.0);
        const QPointF inner(32 + 18 * qCos(a), 32 + 18 * qSin(a));
        const QPointF outer(32 + 26 * qCos(a), 32 + 26 * qSin(a));
        teeth.moveTo(inner);
        teeth.lineTo(outer);
    }
    QPen pen = p.pen();
    pen.setWidthF(7);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.drawPath(teeth);
    pen.setWidthF(4);
    p.setPen(pen);
    p.drawEllipse(QPointF(32, 32), 16, 16);
    p.drawEllipse(QPointF(32, 32), 6, 6);
}

void trash(QPainter &p)
{
    p.drawLine(QPointF(14, 18), QPointF(50, 18));
    p.drawPolyline(QPolygonF({QPointF(26, 18), QPointF(26, 12), QPointF(38, 12), QPointF(38, 18)}));
    p.drawPolyline(QPolygonF({QPointF(18, 18), QPointF(21, 54), QPointF(43, 54), QPointF(46, 18)}));
    p.drawLine(QPointF(28, 26), QPointF(28, 46));
    p.drawLine(QPointF(36, 26), QPointF(36, 46));
}

void disk(QPainter &p)
{
    p.drawPolygon(QPolygonF({QPointF(12, 12), QPointF(44, 12), QPointF(52, 20), QPointF(52, 52),
                             QPointF(12, 52)}));
    p.drawRect(QRectF(20, 12, 20, 12));
    p.drawRect(QRectF(20, 34, 24, 18));
}

QImage checkBox(bool checked)
{
    return draw(QSize(48, 48), [checked](QPainter &p) {
        p.setBrush(checked ? accent : QColor(0x26, 0x2E, 0x34));
        p.setPen(QPen(checked ? accent : dim, 4));
        p.drawRoundedRect(QRectF(6, 6, 52, 52), 8, 8);
        if (checked) {
            p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({QPointF(17, 33), QPointF(28, 44), QPointF(48, 21)}));
        }
    });
}

QImage radioBox(bool checked)
{
    return draw(QSize(48, 48), [checked](QPainter &p) {
        p.setPen(QPen(checked ? accent : dim, 4));
        p.setBrush(QColor(0x26, 0x2E, 0x34));
        p.drawEllipse(QPointF(32, 32), 26, 26);
        if (checked) {
            p.setPen(Qt::NoPen);
            p.setBrush(accent);
            p.drawEllipse(QPointF(32, 32), 14, 14);
        }
    });
}

QImage calendarArrow(bool right, const QColor &colour, qreal width)
{
    return draw(QSize(16, 16), [right](QPainter &p) { chevron(p, 32, 32, 18, right); }, colour,
                width);
}

QImage groove(const QColor &from, const QColor &to)
{
    QImage image(QSize(200, 16), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, 16);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawRoundedRect(QRectF(0, 0, 200, 16), 6, 6);
    return image;
}

QImage sliderHandle()
{
    QImage image(QSize(20, 40), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 20, 0);
    gradient.setColorAt(0, QColor(0xE4, 0xE9, 0xEC));
    gradient.setColorAt(1, QColor(0xA9, 0xB4, 0xBA));
    p.setPen(QPen(QColor(0x6B, 0x76, 0x80), 1));
    p.setBrush(gradient);
    p.drawRoundedRect(QRectF(0.5, 0.5, 19, 39), 4, 4);
    p.setPen(QPen(QColor(0x6B, 0x76, 0x80), 1.5));
    for (int y = 15; y <= 25; y += 5)
        p.drawLine(QPointF(6, y), QPointF(14, y));
    return image;
}

QImage closeIcon()
{
    return draw(QSize(200, 200), [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(alarm);
        p.drawRoundedRect(QRectF(0, 0, 64, 64), 8, 8);
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
        cross(p, QPointF(32, 32), 14);
    });
}

QImage warnIcon()
{
    return draw(QSize(40, 36), [](QPainter &p) {
        p.setPen(QPen(QColor(0xC8, 0x8A, 0x00), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0xFF, 0xC1, 0x07));
        p.drawPolygon(QPolygonF({QPointF(32, 3), QPointF(62, 61), QPointF(2, 61)}));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x26, 0x2E, 0x34));
        p.drawRoundedRect(QRectF(29, 20, 6, 24), 3, 3);
        p.drawEllipse(QPointF(32, 52), 4, 4);
    });
}

QImage downArrow()
{
    return draw(QSize(30, 24), [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({QPointF(6, 14), QPointF(58, 14), QPointF(32, 52)}));
    });
}

QImage toggleIcon(bool pointsLeft)
{
    return draw(QSize(50, 70), [pointsLeft](QPainter &p) {
        chevron(p, 24, 32, 14, !pointsLeft);
        chevron(p, 42, 32, 14, !pointsLeft);
    }, white, 5);
}

} // namespace

QVector<EmbeddedPicture> embeddedPictures()
{
    QVector<EmbeddedPicture> pictures;
    auto add = [&pictures](const QString &name, const QImage &image,
                           const QStringList &aliases = QStringList()) {
        pictures.append({name, aliases, image});
    };

    // Slider parts, close and warning icons, boxes and arrows of the UI kit.
    add(QStringLiteral("slideru.png"), groove(QColor(0x5A, 0xA9, 0xFF), accent));
    add(QStringLiteral("sliderd.png"), groove(QColor(0x7A, 0x84, 0x8E), QColor(0x4F, 0x59, 0x63)));
    add(QStringLiteral("slidert.png"), sliderHandle());
    add(QStringLiteral("Close.png"), closeIcon());
    add(QStringLiteral("Warn.png"), warnIcon());
    add(QStringLiteral("Checked.png"), checkBox(true));
    add(QStringLiteral("Unchecked.png"), checkBox(false));
    add(QStringLiteral("img/Resources/RadioBox1.png"), radioBox(false));
    add(QStringLiteral("img/Resources/RadioBox2.png"), radioBox(true));
    add(QStringLiteral("down-arrow.png"), downArrow());
    add(QStringLiteral("Arrow2Left.png"), calendarArrow(false, ink, 7));
    add(QStringLiteral("Arrow2Right.png"), calendarArrow(true, ink, 7));
    add(QStringLiteral("Arrow2Left_hovered.png"), calendarArrow(false, accent, 7));
    add(QStringLiteral("Arrow2Right_hovered.png"), calendarArrow(true, accent, 7));
    add(QStringLiteral("Arrow2LeftBold.png"), calendarArrow(false, ink, 11));
    add(QStringLiteral("hide.png"), toggleIcon(true));
    add(QStringLiteral("show.png"), toggleIcon(false));

    // Side menu.
    add(QStringLiteral("StartStop.png"), menuIcon([](QPainter &p) {
        p.drawPolygon(QPolygonF({QPointF(20, 12), QPointF(52, 32), QPointF(20, 52)}));
    }));
    add(QStringLiteral("Stop.png"), menuIcon([](QPainter &p) {
        p.setBrush(white);
        p.drawRoundedRect(QRectF(16, 16, 32, 32), 4, 4);
    }));
    add(QStringLiteral("SetSystem.png"), menuIcon(gear));
    add(QStringLiteral("Retrain.png"), menuIcon([](QPainter &p) {
        circularArrow(p, 20, 100, 150);
        circularArrow(p, 20, 280, 150);
    }));
    add(QStringLiteral("SetROI.png"), menuIcon([](QPainter &p) {
        QPen pen = p.pen();
        pen.setStyle(Qt::DashLine);
        p.setPen(pen);
        p.drawRect(QRectF(14, 14, 36, 36));
        pen.setStyle(Qt::SolidLine);
        p.setPen(pen);
        p.setBrush(white);
        for (const QPointF &corner : {QPointF(14, 14), QPointF(50, 14), QPointF(14, 50), QPointF(50, 50)})
            p.drawRect(QRectF(corner - QPointF(4, 4), QSizeF(8, 8)));
    }));
    add(QStringLiteral("Statistics.png"), menuIcon([](QPainter &p) {
        p.drawPolyline(QPolygonF({QPointF(10, 10), QPointF(10, 54), QPointF(56, 54)}));
        p.setBrush(white);
        p.drawRect(QRectF(18, 36, 8, 14));
        p.drawRect(QRectF(32, 22, 8, 28));
        p.drawRect(QRectF(46, 30, 8, 20));
    }));
    add(QStringLiteral("TemperatureChart.png"), menuIcon([](QPainter &p) {
        p.drawRoundedRect(QRectF(12, 8, 12, 36), 6, 6);
        p.setBrush(alarm);
        p.drawEllipse(QPointF(18, 48), 8, 8);
        p.setBrush(Qt::NoBrush);
        QPainterPath wave(QPointF(30, 40));
        wave.cubicTo(QPointF(36, 16), QPointF(42, 16), QPointF(46, 30));
        wave.cubicTo(QPointF(50, 42), QPointF(54, 40), QPointF(58, 22));
        p.drawPath(wave);
    }), {QStringLiteral("TemperatureChart")});
    add(QStringLiteral("CavityManual.png"), menuIcon([](QPainter &p) {
        p.drawRect(QRectF(8, 14, 20, 36));
        p.drawRect(QRectF(36, 14, 20, 36));
        p.drawRoundedRect(QRectF(28, 26, 8, 12), 2, 2);
        p.setBrush(white);
        p.drawEllipse(QPointF(32, 8), 3, 3);
    }));
    add(QStringLiteral("ProductManual.png"), menuIcon([](QPainter &p) {
        p.drawPolygon(QPolygonF({QPointF(32, 10), QPointF(54, 21), QPointF(54, 43), QPointF(32, 54),
                                 QPointF(10, 43), QPointF(10, 21)}));
        p.drawPolyline(QPolygonF({QPointF(10, 21), QPointF(32, 32), QPointF(54, 21)}));
        p.drawLine(QPointF(32, 32), QPointF(32, 54));
    }));

    // Region and template editor: small enough to leave room for the name under them.
    add(QStringLiteral("AddTemplate.png"), menuIcon([](QPainter &p) {
        pictureFrame(p);
        plus(p, QPointF(50, 48), 9);
    }));
    add(QStringLiteral("DoNotDetectTemp.png"), menuIcon([](QPainter &p) {
        pictureFrame(p);
        p.setPen(QPen(alarm, 4));
        p.drawEllipse(QPointF(48, 46), 10, 10);
        p.drawLine(QPointF(41, 53), QPointF(55, 39));
    }));
    add(QStringLiteral("DeleteTemp.png"), menuIcon([](QPainter &p) {
        pictureFrame(p);
        p.setPen(QPen(alarm, 5, Qt::SolidLine, Qt::RoundCap));
        cross(p, QPointF(50, 48), 8);
    }));
    add(QStringLiteral("RealTime2Temp.png"), menuIcon([](QPainter &p) {
        p.drawLine(QPointF(10, 22), QPointF(52, 22));
        arrowHead(p, QPointF(54, 22), 0);
        p.drawLine(QPointF(54, 42), QPointF(12, 42));
        arrowHead(p, QPointF(10, 42), 180);
    }));
    add(QStringLiteral("Rectangle.png"), menuIcon([](QPainter &p) { p.drawRect(QRectF(10, 16, 44, 32)); }));
    add(QStringLiteral("Circle.png"), menuIcon([](QPainter &p) { p.drawEllipse(QPointF(32, 32), 22, 22); }));
    add(QStringLiteral("Polygon.png"), menuIcon([](QPainter &p) {
        p.drawPolygon(QPolygonF({QPointF(32, 8), QPointF(56, 26), QPointF(46, 54), QPointF(18, 54),
                                 QPointF(8, 26)}));
    }));
    add(QStringLiteral("DrawGestureArea.png"), menuIcon([](QPainter &p) {
        QPainterPath path(QPointF(10, 44));
        path.cubicTo(QPointF(14, 8), QPointF(30, 8), QPointF(30, 30));
        path.cubicTo(QPointF(30, 52), QPointF(50, 56), QPointF(54, 18));
        p.drawPath(path);
    }));
    add(QStringLiteral("CopyArea.png"), menuIcon([](QPainter &p) {
        p.drawRect(QRectF(8, 8, 30, 30));
        p.drawRect(QRectF(26, 26, 30, 30));
    }));
    add(QStringLiteral("DeleteSelect.png"), menuIcon([](QPainter &p) {
        p.drawRect(QRectF(8, 14, 36, 30));
        p.setPen(QPen(alarm, 5, Qt::SolidLine, Qt::RoundCap));
        cross(p, QPointF(48, 46), 8);
    }));
    add(QStringLiteral("DeleteAll.png"), menuIcon([](QPainter &p) {
        p.drawRect(QRectF(8, 8, 26, 20));
        p.drawRect(QRectF(14, 32, 26, 20));
        p.setPen(QPen(alarm, 5, Qt::SolidLine, Qt::RoundCap));
        cross(p, QPointF(48, 46), 8);
    }));
    add(QStringLiteral("LastPage.png"), menuIcon([](QPainter &p) { chevron(p, 32, 32, 18, false); }));
    add(QStringLiteral("NextPage.png"), menuIcon([](QPainter &p) { chevron(p, 32, 32, 18, true); }));
    add(QStringLiteral("Retest.png"), menuIcon([](QPainter &p) { circularArrow(p, 20, 60, 280); }));

    // Camera settings.
    add(QStringLiteral("Resume.png"), icon([](QPainter &p) {
        QPainterPath path(QPointF(16, 26));
        path.lineTo(QPointF(40, 26));
        path.cubicTo(QPointF(56, 26), QPointF(56, 52), QPointF(40, 52));
        path.lineTo(QPointF(22, 52));
        p.drawPath(path);
        arrowHead(p, QPointF(14, 26), 180, 9);
    }));
    add(QStringLiteral("Exposure.png"), icon([](QPainter &p) {
        p.drawEllipse(QPointF(32, 32), 10, 10);
        for (int i = 0; i < 8; ++i) {
            const qreal a = qDegreesToRadians(i * 45.0);
            p.drawLine(QPointF(32 + 17 * qCos(a), 32 + 17 * qSin(a)),
                       QPointF(32 + 25 * qCos(a), 32 + 25 * qSin(a)));
        }
    }));
    add(QStringLiteral("Display.png"), icon([](QPainter &p) {
        p.drawRoundedRect(QRectF(8, 10, 48, 32), 3, 3);
        p.drawLine(QPointF(32, 42), QPointF(32, 52));
        p.drawLine(QPointF(20, 54), QPointF(44, 54));
    }));
    add(QStringLiteral("CameraSwitch.png"), icon([](QPainter &p) {
        p.drawRoundedRect(QRectF(8, 18, 48, 34), 4, 4);
        p.drawPolyline(QPolygonF({QPointF(22, 18), QPointF(26, 10), QPointF(38, 10), QPointF(42, 18)}));
        circularArrow(p, 9, 90, 270);
    }));

    // Settings maintenance.
    add(QStringLiteral("Backup.png"), icon(disk));
    add(QStringLiteral("Restore.png"), icon([](QPainter &p) {
        circularArrow(p, 20, 200, -300);
        p.drawPolyline(QPolygonF({QPointF(32, 20), QPointF(32, 32), QPointF(40, 38)}));
    }));
    add(QStringLiteral("Delete.png"), icon(trash));
    add(QStringLiteral("Export.png"), icon([](QPainter &p) {
        p.drawPolyline(QPolygonF({QPointF(24, 20), QPointF(10, 20), QPointF(10, 54), QPointF(54, 54),
                                  QPointF(54, 40)}));
        p.drawLine(QPointF(26, 38), QPointF(52, 12));
        arrowHead(p, QPointF(54, 10), -45, 10);
    }));
    add(QStringLiteral("Update.png"), icon([](QPainter &p) {
        p.drawEllipse(QPointF(32, 32), 24, 24);
        p.drawLine(QPointF(32, 46), QPointF(32, 20));
        arrowHead(p, QPointF(32, 18), -90, 10);
    }));
    add(QStringLiteral("Shutoff.png"), icon([](QPainter &p) {
        p.drawArc(QRectF(10, 12, 44, 44), 120 * 16, 300 * 16);
        p.drawLine(QPointF(32, 6), QPointF(32, 32));
    }));
    add(QStringLiteral("ModifyTime.png"), icon([](QPainter &p) {
        p.drawEllipse(QPointF(32, 32), 24, 24);
        p.drawPolyline(QPolygonF({QPointF(32, 16), QPointF(32, 32), QPointF(44, 38)}));
    }));
    add(QStringLiteral("Calibrate.png"), icon([](QPainter &p) {
        p.drawEllipse(QPointF(32, 32), 16, 16);
        p.drawLine(QPointF(32, 6), QPointF(32, 24));
        p.drawLine(QPointF(32, 40), QPointF(32, 58));
        p.drawLine(QPointF(6, 32), QPointF(24, 32));
        p.drawLine(QPointF(40, 32), QPointF(58, 32));
    }));
    add(QStringLiteral("Reset.png"), icon([](QPainter &p) {
        circularArrow(p, 22, 120, 300);
        p.setBrush(white);
        p.drawEllipse(QPointF(32, 32), 4, 4);
    }));
    add(QStringLiteral("Version.png"), icon([](QPainter &p) {
        p.drawEllipse(QPointF(32, 32), 24, 24);
        p.drawLine(QPointF(32, 28), QPointF(32, 46));
        p.setBrush(white);
        p.drawEllipse(QPointF(32, 19), 2, 2);
    }));
    return pictures;
}
