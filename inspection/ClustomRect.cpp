#include "inspection/ClustomRect.h"

#include "inspection/InspectionText.h"
#include "inspection/OpenCvGuard.h"
#include "inspection/RegionGeometry.h"
#include "inspection/StoredNumbers.h"

#include <QPainter>
#include <QTextStream>

#include <utility>

namespace {

constexpr int CornerTolerance = 20;
constexpr int RectangleNameEntry = 74;

} // namespace

void ClustomRect::fromJson(const QJsonObject &json)
{
    setLeft(json.value(QStringLiteral("x")).toInt());
    setTop(json.value(QStringLiteral("y")).toInt());
    setRight(json.value(QStringLiteral("right")).toInt());
    setBottom(json.value(QStringLiteral("bottom")).toInt());
}

void ClustomRect::fromText(QTextStream &in, const QJsonObject &context)
{
    const int width = context.value(RegionContext::Width).toInt();
    const int height = context.value(RegionContext::Height).toInt();
    int left = readStoredNumber(in);
    int top = readStoredNumber(in);
    int right = readStoredNumber(in);
    int bottom = readStoredNumber(in);
    clampCoordinate(left, true, width, height);
    clampCoordinate(top, false, width, height);
    clampCoordinate(right, true, width, height);
    clampCoordinate(bottom, false, width, height);
    // A short or garbled text can leave the corners reversed; a reversed rectangle has a
    // negative size that no mask can take.
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    setTopLeft(QPoint(left, top));
    setBottomRight(QPoint(right, bottom));
}

void ClustomRect::toJson(QJsonObject &json) const
{
    json.insert(QStringLiteral("x"), left());
    json.insert(QStringLiteral("y"), top());
    json.insert(QStringLiteral("right"), right());
    json.insert(QStringLiteral("bottom"), bottom());
}

QString ClustomRect::toText() const
{
    return QStringLiteral("%1 %2 %3 %4 %5").arg(0).arg(left()).arg(top()).arg(right()).arg(bottom());
}

void ClustomRect::draw(QPainter *painter) const
{
    if (!painter)
        return;
    outlinePen(painter, selected);
    painter->drawRect(QRect(topLeft(), bottomRight()));
}

void ClustomRect::drawScaled(QPainter *painter, float sx, float sy) const
{
    if (!painter)
        return;
    outlinePen(painter, selected);
    QRect r;
    r.setX(scaled(x(), sx));
    r.setY(scaled(y(), sy));
    r.setWidth(scaled(width(), sx));
    r.setHeight(scaled(height(), sy));
    painter->drawRect(r);
}

bool ClustomRect::equals(const ROIInterface *other) const
{
    return sameShape(this, other);
}

bool ClustomRect::hitHandle(const QPoint &p, int *handle) const
{
    int found = -1;
    if (selected) {
        const int edgeX = width() / 4;
        const int edgeY = height() / 4;
        if (nearPoint(topLeft(), p, CornerTolerance))
            found = 0;
        else if (nearPoint(topRight(), p, CornerTolerance))
            found = 2;
        else if (nearPoint(bottomLeft(), p, CornerTolerance))
            found = 5;
        else if (nearPoint(bottomRight(), p, CornerTolerance))
            found = 7;
        else if (nearSegment(left(), p.x(), p.y(), top(), bottom(), edgeX))
            found = 3;
        else if (nearSegment(right(), p.x(), p.y(), top(), bottom(), edgeX))
            found = 4;
        else if (nearSegment(top(), p.y(), p.x(), left(), right(), edgeY))
            found = 1;
        else if (nearSegment(bottom(), p.y(), p.x(), left(), right(), edgeY))
            found = 6;
    }
    if (handle)
        *handle = found;
    return found >= 0;
}

bool ClustomRect::contains(const QPoint &p) const
{
    return nearBounds(p);
}

cv::Mat ClustomRect::mask() const
{
    if (width() <= 0 || height() <= 0)
        return cv::Mat();
    cv::Mat m;
    runGuarded("Rectangle mask", [&] { m = cv::Mat(height(), width(), CV_8UC1, cv::Scalar(255)); });
    return m;
}

void ClustomRect::dragHandle(int handle, const QPoint &from, const QPoint &to)
{
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    switch (handle) {
    case 0:
        setLeft(left() + dx);
        setTop(top() + dy);
        break;
    case 1:
        setTop(top() + dy);
        break;
    case 2:
        setTop(top() + dy);
        setRight(right() + dx);
        break;
    case 3:
        setLeft(left() + dx);
        break;
    case 4:
        setRight(right() + dx);
        break;
    case 5:
        setLeft(left() + dx);
        setBottom(bottom() + dy);
        break;
    case 6:
        setBottom(bottom() + dy);
        break;
    case 7:
        setRight(right() + dx);
        setBottom(bottom() + dy);
        break;
    default:
        break;
    }
}

void ClustomRect::nudge(int which, int direction, int imageWidth, int imageHeight)
{
    if (which == 0) {
        switch (direction) {
        case 0: setTop(top() - 1); break;
        case 1: setLeft(left() - 1); break;
        case 2: setTop(top() + 1); break;
        default: setLeft(left() + 1); break;
        }
    } else {
        switch (direction) {
        case 0: setBottom(bottom() - 1); break;
        case 1: setRight(right() - 1); break;
        case 2: setBottom(bottom() + 1); break;
        default: setRight(right() + 1); break;
        }
    }
    clampRectToImage(*this, imageWidth, imageHeight, false);
}

void ClustomRect::translate(int dx, int dy, int imageWidth, int imageHeight)
{
    Q_UNUSED(imageWidth)
    Q_UNUSED(imageHeight)
    QRect::translate(dx, dy);
}

QPoint ClustomRect::anchor() const
{
    return topLeft();
}

QList<QPoint> ClustomRect::handlePoints() const
{
    return {topLeft(), topRight(), bottomRight(), bottomLeft()};
}

QString ClustomRect::typeName() const
{
    return inspectionText(RectangleNameEntry);
}
