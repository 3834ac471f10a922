#include "inspection/ROIInterface.h"

#include "inspection/Circle.h"
#include "inspection/ClustomRect.h"
#include "inspection/RePolygon.h"

#include <QPainter>
#include <QPen>

namespace {

// Picking reaches this far beyond a shape's bounding rectangle.
constexpr int PickMargin = 20;
constexpr int OutlineWidth = 3;

} // namespace

ROIInterface::ROIInterface()
    : QRect(0, 0, 0, 0)
{
}

ROIInterface::~ROIInterface() = default;

QPen ROIInterface::outlinePen(QPainter *painter, bool selected)
{
    QPen pen = painter->pen();
    pen.setWidth(OutlineWidth);
    if (selected)
        pen.setColor(Qt::magenta);
    painter->setPen(pen);
    return pen;
}

bool ROIInterface::sameShape(const ROIInterface *a, const ROIInterface *b)
{
    if (!a || !b || a->typeId() != b->typeId())
        return false;
    QJsonObject left;
    QJsonObject right;
    a->toJson(left);
    b->toJson(right);
    return left == right;
}

bool ROIInterface::nearBounds(const QPoint &p) const
{
    return adjusted(-PickMargin, -PickMargin, PickMargin, PickMargin).contains(p);
}

ROIInterface *createRoiShape(int shapeType)
{
    switch (shapeType) {
    case PolygonShape:
        return new RePolygon;
    case CircleShape:
        return new Circle;
    default:
        return new ClustomRect;
    }
}

ROIInterface *cloneRoiShape(const ROIInterface *source)
{
    if (!source)
        return nullptr;
    QJsonObject json;
    source->toJson(json);
    ROIInterface *copy = createRoiShape(source->typeId());
    copy->fromJson(json);
    copy->updateBounds();
    return copy;
}
