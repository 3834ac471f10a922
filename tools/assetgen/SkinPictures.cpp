#include "SkinPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

const QColor panelDark(0x1E, 0x24, 0x29);
const QColor panel(0x26, 0x2E, 0x34);
const QColor panelLight(0x35, 0x3D, 0x45);
const QColor accent(0x26, 0x87, 0xF2);

QImage blank(QSize size, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    QImage image(size, format);
    image.fill(Qt::transparent);
    return image;
}

QImage background()
{
    QImage image = blank(QSize(800, 500), QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, 500);
    gradient.setColorAt(0, panelLight);
    gradient.setColorAt(1, panelDark);
    p.fillRect(image.rect(), gradient);
    // A faint diagonal brushed-steel texture.
    p.setPen(QPen(QColor(255, 255, 255, 8), 1));
    for (int x = -500; x < 800; x += 6)
        p.drawLine(x, 500, x + 500, 0);
    p.setPen(QPen(QColor(0x4F, 0x59, 0x63), 2));
    p.drawRect(QRectF(1, 1, 797, 497));
    return image;
}

QImage titleBand()
{
    QImage image = blank(QSize(1000, 60), QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, 60);
    gradient.setColorAt(0, QColor(0x43, 0x4C, 0x55));
    gradient.setColorAt(1, panelLight);
    p.fillRect(image.rect(), gradient);
    p.fillRect(QRect(0, 56, 1000, 4), accent);
    return image;
}

QImage separatorLine()
{
    QImage image = blank(QSize(1000, 4));
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 1000, 0);
    gradient.setColorAt(0, QColor(0x26, 0x87, 0xF2, 0));
    gradient.setColorAt(0.5, accent);
    gradient.setColorAt(1, QColor(0x26, 0x87, 0xF2, 0));
    p.fillRect(image.rect(), gradient);
    return image;
}

QImage valueBox()
{
    QImage image = blank(QSize(80, 44));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(accent, 2));
    p.setBrush(panelDark);
    p.drawRoundedRect(QRectF(1, 1, 78, 42), 6, 6);
    return image;
}

QImage dateArrow(bool right)
{
    QImage image = blank(QSize(40, 40));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    const qreal d = right ? 1 : -1;
    p.drawPolygon(QPolygonF({QPointF(20 - 8 * d, 8), QPointF(20 + 10 * d, 20), QPointF(20 - 8 * d, 32)}));
    return image;
}

// The mark: a camera lens watching the two halves of a mould.
void drawMark(QPainter &p, const QRectF &area)
{
    p.save();
    p.translate(area.topLeft());
    p.scale(area.width() / 160.0, area.height() / 120.0);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x9A, 0xA4, 0xAE), 5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(0x4F, 0x59, 0x63));
    p.drawRect(QRectF(14, 30, 44, 76));
    p.drawRect(QRectF(102, 30, 44, 76));
    QRadialGradient lens(QPointF(80, 56), 30);
    lens.setColorAt(0, QColor(0x8F, 0xC8, 0xFF));
    lens.setColorAt(0.5, accent);
    lens.setColorAt(1, QColor(0x0E, 0x3C, 0x78));
    p.setPen(QPen(QColor(0xF2, 0xF4, 0xF6), 4));
    p.setBrush(lens);
    p.drawEllipse(QPointF(80, 56), 30, 30);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(70, 46), 7, 7);
    p.setBrush(QColor(0x2E, 0xCC, 0x71));
    p.drawRoundedRect(QRectF(40, 10, 80, 8), 4, 4);
    p.restore();
}

QImage logo(QSize size, QImage::Format format)
{
    QImage image = blank(size, format);
    image.fill(panel);
    QPainter p(&image);
    drawMark(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

} // namespace

QVector<RuntimePicture> runtimePictures(const QVector<QImage> &sliderParts)
{
    QVector<RuntimePicture> pictures = {
        {QStringLiteral("images/background.png"), background()},
        {QStringLiteral("images/title.png"), titleBand()},
        {QStringLiteral("images/line.png"), separatorLine()},
        {QStringLiteral("images/edit.png"), valueBox()},
        {QStringLiteral("images/left.png"), dateArrow(false)},
        {QStringLiteral("images/right.png"), dateArrow(true)},
        {QStringLiteral("images/logo.bmp"), logo(QSize(200, 150), QImage::Format_RGB32)},
        {QStringLiteral("logo/logo.png"), logo(QSize(160, 120), QImage::Format_ARGB32)},
    };
    const QStringList sliderFiles = {QStringLiteral("images/slideru.png"),
                                     QStringLiteral("images/sliderd.png"),
                                     QStringLiteral("images/slidert.png")};
    for (int i = 0; i < sliderFiles.size() && i < sliderParts.size(); ++i)
        pictures.append({sliderFiles.at(i), sliderParts.at(i)});
    return pictures;
}
