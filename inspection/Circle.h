#ifndef INSPECTION_CIRCLE_H
#define INSPECTION_CIRCLE_H

#include "inspection/ROIInterface.h"

// Circular region, a ring when the inner radius rn is above 0. The bounding rectangle is the
// square around the outer circle. Stored as "0 xc yc packed", packed = rn * 65536 + r.
class Circle : public ROIInterface
{
public:
    Circle();

    void fromJson(const QJsonObject &json) override;
    void fromText(QTextStream &in, const QJsonObject &context) override;
    void toJson(QJsonObject &json) const override;
    QString toText() const override;
    void draw(QPainter *painter) const override;
    void drawScaled(QPainter *painter, float sx, float sy) const override;
    bool equals(const ROIInterface *other) const override;
    bool hitHandle(const QPoint &p, int *handle) const override;
    void setSelected(bool on) override { selected = on; }
    bool isSelected() const override { return selected; }
    // Re-derives centre and radius from the (moved or clamped) bounding rectangle.
    void updateBounds() override;
    bool contains(const QPoint &p) const override;
    cv::Mat mask() const override;
    void dragHandle(int handle, const QPoint &from, const QPoint &to) override;
    // which 0 the inner radius, 1 the outer radius (steps +10, +1, -1, -10 for directions
    // 0 to 3), any other the centre by one pixel.
    void nudge(int which, int direction, int imageWidth, int imageHeight) override;
    void translate(int dx, int dy, int imageWidth, int imageHeight) override;
    QPoint anchor() const override;
    QList<QPoint> handlePoints() const override;
    int typeId() const override { return CircleShape; }
    QString typeName() const override;
    int pointCount() const override { return 3; }

    using ROIInterface::translate;

    // Keeps 0 <= rn <= r and makes the bounding rectangle the square around the circle.
    void normalize();
    // A circle drawn into a box sits in the box's top-left square.
    void fromBoundingRect();

    int xc = 0;
    int yc = 0;
    int r = 0;
    int rn = 0;
    bool selected = false;
};

#endif
