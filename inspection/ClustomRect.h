#ifndef INSPECTION_CLUSTOMRECT_H
#define INSPECTION_CLUSTOMRECT_H

#include "inspection/ROIInterface.h"

// Rectangular region: the bounding rectangle is the whole geometry.
// Stored as "0 left top right bottom".
class ClustomRect : public ROIInterface
{
public:
    ClustomRect() = default;

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
    void updateBounds() override {}
    bool contains(const QPoint &p) const override;
    cv::Mat mask() const override;
    void dragHandle(int handle, const QPoint &from, const QPoint &to) override;
    void nudge(int which, int direction, int imageWidth, int imageHeight) override;
    void translate(int dx, int dy, int imageWidth, int imageHeight) override;
    QPoint anchor() const override;
    QList<QPoint> handlePoints() const override;
    int typeId() const override { return RectangleShape; }
    QString typeName() const override;
    int pointCount() const override { return 2; }

    using ROIInterface::translate;

    bool selected = false;
};

#endif
