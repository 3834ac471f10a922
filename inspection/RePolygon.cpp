#include "inspection/RePolygon.h"

#include "inspection/InspectionText.h"
#include "inspection/OpenCvGuard.h"
#include "inspection/RegionGeometry.h"
#include "inspection/StoredNumbers.h"

#include <QJsonArray>
#include <QPainter>
#include <QTextStream>
#include <QtDebug>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <vector>

namespace {

constexpr int VertexTolerance = 20;
constexpr int PickMargin = 20;
// Below this box size a polygon is picked by its box, so thin outlines stay easy to hit.
constexpr int SmallPickBox = 80;
constexpr int PolygonNameEntry = 76;

int boundedCount(qint64 n)
{
    return static_cast<int>(std::clamp<qint64>(n, 0, RePolygon::MaxPoints));
}

} // namespace

RePolygon::RePolygon(int n, const QPoint *vertices)
{
    if (!vertices)
        return;
    const int count = boundedCount(n);
    points.reserve(count);
    for (int i = 0; i < count; ++i)
        points.append(vertices[i]);
}

void RePolygon::fromJson(const QJsonObject &json)
{
    const QJsonArray array = json.value(QStringLiteral("points")).toArray();
    points.clear();
    const int count = boundedCount(array.size());
    points.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QJsonObject vertex = array.at(i).toObject();
        points.append(QPoint(vertex.value(QStringLiteral("x")).toInt(), vertex.value(QStringLiteral("y")).toInt()));
    }
    updateBounds();
}

void RePolygon::fromText(QTextStream &in, const QJsonObject &context)
{
    const int width = context.value(RegionContext::Width).toInt();
    const int height = context.value(RegionContext::Height).toInt();
    // A stored count beyond the store keeps the first MaxPoints vertices; zero or below
    // leaves no shape.
    const int count = boundedCount(context.value(RegionContext::PointCount).toInt());
    points.clear();
    points.reserve(count);
    for (int i = 0; i < count; ++i) {
        int x = readStoredNumber(in);
        int y = readStoredNumber(in);
        clampCoordinate(x, true, width, height);
        clampCoordinate(y, false, width, height);
        points.append(QPoint(x, y));
    }
    updateBounds();
}

void RePolygon::toJson(QJsonObject &json) const
{
    QJsonArray array;
    for (const QPoint &p : points)
        array.append(QJsonObject{{QStringLiteral("x"), p.x()}, {QStringLiteral("y"), p.y()}});
    json.insert(QStringLiteral("points"), array);
}

QString RePolygon::toText() const
{
    QString text;
    text.reserve(8 + points.size() * 10);
    text += QString::number(points.size());
    text += QLatin1Char(' ');
    for (const QPoint &p : points) {
        text += QString::number(p.x());
        text += QLatin1Char(' ');
        text += QString::number(p.y());
        text += QLatin1Char(' ');
    }
    return text;
}

void RePolygon::draw(QPainter *painter) const
{
    if (!painter)
        return;
    outlinePen(painter, selected);
    painter->drawPolygon(points.constData(), points.size(), Qt::OddEvenFill);
}

void RePolygon::drawScaled(QPainter *painter, float sx, float sy) const
{
    if (!painter)
        return;
    outlinePen(painter, selected);
    QVector<QPoint> shown;
    shown.reserve(points.size());
    for (const QPoint &p : points)
        shown.append(QPoint(scaled(p.x(), sx), scaled(p.y(), sy)));
    painter->drawPolygon(shown.constData(), shown.size(), Qt::OddEvenFill);
}

bool RePolygon::equals(const ROIInterface *other) const
{
    return sameShape(this, other);
}

bool RePolygon::hitHandle(const QPoint &p, int *handle) const
{
    int found = -1;
    if (selected) {
        for (int i = 0; i < points.size(); ++i) {
            if (nearPoint(points.at(i), p, VertexTolerance)) {
                found = i;
                break;
            }
        }
    }
    if (handle)
        *handle = found;
    return found >= 0;
}

void RePolygon::updateBounds()
{
    if (points.isEmpty()) {
        setRect(0, 0, 0, 0);
        return;
    }
    int minX = points.first().x();
    int maxX = minX;
    int minY = points.first().y();
    int maxY = minY;
    for (const QPoint &p : points) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    setX(minX);
    setY(minY);
    setWidth(maxX - minX);
    setHeight(maxY - minY);
}

bool RePolygon::contains(const QPoint &p) const
{
    // The box reaches beyond the left and top edges only; kept as the editors know it.
    const QRect box(left() - PickMargin, top() - PickMargin, width() + PickMargin, height() + PickMargin);
    if (box.width() < SmallPickBox || box.height() < SmallPickBox)
        return box.contains(p);
    bool inside = false;
    runGuarded("Polygon picking", [&] {
        std::vector<cv::Point> outline;
        outline.reserve(static_cast<size_t>(points.size()));
        for (const QPoint &v : points)
            outline.emplace_back(v.x(), v.y());
        const cv::Point2f probe(static_cast<float>(p.x()), static_cast<float>(p.y()));
        inside = cv::pointPolygonTest(outline, probe, false) > 0;
    });
    return inside;
}

cv::Mat RePolygon::mask() const
{
    if (points.isEmpty() || width() <= 0 || height() <= 0)
        return cv::Mat();
    cv::Mat m;
    const bool drawn = runGuarded("Polygon mask", [&] {
        m = cv::Mat::zeros(height(), width(), CV_8UC1);
        std::vector<cv::Point> outline;
        outline.reserve(static_cast<size_t>(points.size()));
        for (const QPoint &v : points)
            outline.emplace_back(v.x() - left(), v.y() - top());
        const cv::Point *contours[] = {outline.data()};
        const int counts[] = {static_cast<int>(outline.size())};
        cv::fillPoly(m, contours, counts, 1, cv::Scalar(255), cv::LINE_8, 0, cv::Point());
    });
    return drawn ? m : cv::Mat();
}

void RePolygon::dragHandle(int handle, const QPoint &from, const QPoint &to)
{
    if (handle < 0 || handle >= points.size())
        return;
    points[handle] += to - from;
}

void RePolygon::nudge(int which, int direction, int imageWidth, int imageHeight)
{
    if (which < 0 || which >= points.size())
        return;
    QPoint &v = points[which];
    switch (direction) {
    case 0: v.ry() -= 1; break;
    case 1: v.rx() -= 1; break;
    case 2: v.ry() += 1; break;
    default: v.rx() += 1; break;
    }
    clampCoordinate(v.rx(), true, imageWidth, imageHeight);
    clampCoordinate(v.ry(), false, imageWidth, imageHeight);
}

void RePolygon::translate(int dx, int dy, int imageWidth, int imageHeight)
{
    // In 64 bits: the offsets come from the editors, the vertices possibly from JSON.
    qint64 moveX = dx;
    qint64 moveY = dy;
    if (left() + moveX < 0)
        moveX = -qint64(left());
    if (top() + moveY < 0)
        moveY = -qint64(top());
    if (right() + moveX >= imageWidth)
        moveX = qint64(imageWidth) - right() - 1;
    if (bottom() + moveY >= imageHeight)
        moveY = qint64(imageHeight) - bottom() - 1;
    const QPoint offset(static_cast<int>(moveX), static_cast<int>(moveY));
    for (QPoint &v : points)
        v += offset;
    updateBounds();
}

QPoint RePolygon::anchor() const
{
    return points.isEmpty() ? QPoint(0, 0) : points.first();
}

QList<QPoint> RePolygon::handlePoints() const
{
    return QList<QPoint>(points.cbegin(), points.cend());
}

QString RePolygon::typeName() const
{
    return inspectionText(PolygonNameEntry);
}
