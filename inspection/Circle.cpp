#include "inspection/Circle.h"

#include "inspection/InspectionText.h"
#include "inspection/OpenCvGuard.h"
#include "inspection/RegionGeometry.h"
#include "inspection/StoredNumbers.h"

#include <QPainter>
#include <QTextStream>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr int HandleBand = 20;
constexpr int CircleNameEntry = 75;
constexpr qint64 RadiusField = 65536;

// Cuts a radius so that the circle about (xc, yc) stays inside a width x height image.
int radiusInsideImage(int radius, int xc, int yc, int width, int height)
{
    if (xc + radius > width)
        radius = width - xc - 1;
    if (xc - radius < 0)
        radius = xc - RegionMargin;
    if (yc + radius > height)
        radius = height - yc - 1;
    if (yc - radius < 0)
        radius = yc - RegionMargin;
    return radius;
}

} // namespace

Circle::Circle()
{
    fromBoundingRect();
}

void Circle::normalize()
{
    if (rn > r)
        rn = r;
    else if (rn < 0)
        rn = 0;
    setX(xc - r);
    setY(yc - r);
    setWidth(2 * r);
    setHeight(2 * r);
}

void Circle::fromBoundingRect()
{
    r = std::min(width() / 2, height() / 2);
    xc = left() + r;
    yc = top() + r;
    normalize();
}

void Circle::fromJson(const QJsonObject &json)
{
    xc = json.value(QStringLiteral("xc")).toInt();
    yc = json.value(QStringLiteral("yc")).toInt();
    r = json.value(QStringLiteral("r")).toInt();
    rn = json.value(QStringLiteral("rn")).toInt();
    normalize();
}

void Circle::fromText(QTextStream &in, const QJsonObject &context)
{
    const int width = context.value(RegionContext::Width).toInt();
    const int height = context.value(RegionContext::Height).toInt();
    xc = readStoredNumber(in);
    yc = readStoredNumber(in);
    clampCoordinate(xc, true, width, height);
    clampCoordinate(yc, false, width, height);
    const quint64 packed = static_cast<quint64>(readStoredWideNumber(in));
    r = radiusInsideImage(static_cast<int>(packed & 0xFFFF), xc, yc, width, height);
    rn = radiusInsideImage(static_cast<int>((packed >> 16) & 0xFFFF), xc, yc, width, height);
    normalize();
}

void Circle::toJson(QJsonObject &json) const
{
    json.insert(QStringLiteral("xc"), xc);
    json.insert(QStringLiteral("yc"), yc);
    json.insert(QStringLiteral("r"), r);
    json.insert(QStringLiteral("rn"), rn);
}

QString Circle::toText() const
{
    const qint64 packed = static_cast<qint64>(rn) * RadiusField + r;
    return QStringLiteral("%1 %2 %3 %4").arg(0).arg(xc).arg(yc).arg(packed);
}

void Circle::draw(QPainter *painter) const
{
    if (!painter)
        return;
    QPen pen = outlinePen(painter, selected);
    painter->drawEllipse(QRect(topLeft(), bottomRight()));
    pen.setColor(Qt::yellow);
    painter->setPen(pen);
    painter->drawEllipse(xc - rn, yc - rn, 2 * rn, 2 * rn);
}

void Circle::drawScaled(QPainter *painter, float sx, float sy) const
{
    if (!painter)
        return;
    QPen pen = outlinePen(painter, selected);
    QRect outer;
    outer.setX(scaled(x(), sx));
    outer.setY(scaled(y(), sy));
    outer.setWidth(scaled(width(), sx));
    outer.setHeight(scaled(height(), sy));
    painter->drawEllipse(outer);
    pen.setColor(Qt::yellow);
    painter->setPen(pen);
    painter->drawEllipse(scaled(xc - rn, sx), scaled(yc - rn, sy), scaled(2 * rn, sx), scaled(2 * rn, sy));
}

bool Circle::equals(const ROIInterface *other) const
{
    return sameShape(this, other);
}

bool Circle::hitHandle(const QPoint &p, int *handle) const
{
    int found = -1;
    if (selected) {
        const qint64 dx = p.x() - xc;
        const qint64 dy = p.y() - yc;
        const qint64 d2 = dx * dx + dy * dy;
        const qint64 radius = r;
        // Within HandleBand pixels of the outer circle: (r - 20)^2 <= d^2 <= (r + 20)^2.
        const qint64 inner = radius * radius - 2 * HandleBand * radius + HandleBand * HandleBand;
        const qint64 outer = radius * radius + 2 * HandleBand * radius + HandleBand * HandleBand;
        if (d2 >= inner && d2 <= outer) {
            if (nearValue(xc, p.x(), HandleBand))
                found = p.y() > yc ? 6 : 1;
            else if (nearValue(yc, p.y(), HandleBand))
                found = p.x() >= xc ? 4 : 3;
            else if (p.x() < xc && p.y() > yc)
                found = 5;
            else if (p.x() > xc && p.y() > yc)
                found = 7;
            else if (p.x() < xc && p.y() < yc)
                found = 0;
            else if (p.x() > xc && p.y() < yc)
                found = 2;
        }
    }
    if (handle)
        *handle = found;
    return found >= 0;
}

void Circle::updateBounds()
{
    fromBoundingRect();
    setRect(xc - r, yc - r, 2 * r, 2 * r);
}

bool Circle::contains(const QPoint &p) const
{
    return nearBounds(p);
}

cv::Mat Circle::mask() const
{
    if (r <= 0)
        return cv::Mat();
    cv::Mat m;
    const bool drawn = runGuarded("Circle mask", [&] {
        m = cv::Mat::zeros(2 * r, 2 * r, CV_8UC1);
        const cv::Point centre(r, r);
        cv::circle(m, centre, r, cv::Scalar(255), cv::FILLED, cv::LINE_8);
        cv::circle(m, centre, rn, cv::Scalar(0), cv::FILLED, cv::LINE_8);
    });
    return drawn ? m : cv::Mat();
}

void Circle::dragHandle(int handle, const QPoint &from, const QPoint &to)
{
    Q_UNUSED(handle)
    Q_UNUSED(from)
    const float dx = static_cast<float>(to.x() - xc);
    const float dy = static_cast<float>(to.y() - yc);
    r = static_cast<int>(std::sqrt(dx * dx + dy * dy));
    normalize();
}

void Circle::nudge(int which, int direction, int imageWidth, int imageHeight)
{
    int step = -10;
    switch (direction) {
    case 0: step = 10; break;
    case 1: step = 1; break;
    case 2: step = -1; break;
    default: break;
    }
    if (which == 0) {
        rn += step;
    } else if (which == 1) {
        r += step;
    } else {
        switch (direction) {
        case 0: --yc; break;
        case 1: --xc; break;
        case 2: ++yc; break;
        default: ++xc; break;
        }
    }
    normalize();
    clampRectToImage(*this, imageWidth, imageHeight, false);
}

void Circle::translate(int dx, int dy, int imageWidth, int imageHeight)
{
    Q_UNUSED(imageWidth)
    Q_UNUSED(imageHeight)
    QRect::translate(dx, dy);
}

QPoint Circle::anchor() const
{
    return topLeft();
}

QList<QPoint> Circle::handlePoints() const
{
    const int h = r / 2;
    return {QPoint(xc - h, yc - h), QPoint(xc + h, yc - h), QPoint(xc + h, yc + h), QPoint(xc - h, yc + h)};
}

QString Circle::typeName() const
{
    return inspectionText(CircleNameEntry);
}
