#ifndef INSPECTION_REPOLYGON_H
#define INSPECTION_REPOLYGON_H

#include "inspection/ROIInterface.h"

#include <QVector>

// Polygon region: a closed outline through up to MaxPoints vertices in drawing order. The
// bounding rectangle spans min to max of the vertices with width = max x - min x, so the
// rightmost and lowest vertices lie one pixel outside it (and outside the mask).
// Stored as "count x0 y0 x1 y1 ... " with a blank after every number.
class RePolygon : public ROIInterface
{
public:
    static constexpr int MaxPoints = 8096;

    RePolygon() = default;
    // The first n vertices (at most MaxPoints); the caller calls updateBounds afterwards.
    RePolygon(int n, const QPoint *vertices);

    void fromJson(const QJsonObject &json) override;
    void fromText(QTextStream &in, const QJsonObject &context) override;
    void toJson(QJsonObject &json) const override;
    QString toText() const override;
    void draw(QPainter *painter) const override;
    void drawScaled(QPainter *painter, float sx, float sy) const override;
    bool equals(const ROIInterface *other) const override;
    // The first vertex within 20 pixels of p in both directions gives its index.
    bool hitHandle(const QPoint &p, int *handle) const override;
    void setSelected(bool on) override { selected = on; }
    bool isSelected() const override { return selected; }
    void updateBounds() override;
    // Small polygons are picked by a box; larger ones only strictly inside the outline.
    bool contains(const QPoint &p) const override;
    cv::Mat mask() const override;
    void dragHandle(int handle, const QPoint &from, const QPoint &to) override;
    void nudge(int which, int direction, int imageWidth, int imageHeight) override;
    // Moves every vertex, the offsets limited so the bounding rectangle stays in the image.
    void translate(int dx, int dy, int imageWidth, int imageHeight) override;
    QPoint anchor() const override;
    QList<QPoint> handlePoints() const override;
    int typeId() const override { return PolygonShape; }
    QString typeName() const override;
    int pointCount() const override { return points.size(); }

    using ROIInterface::translate;

    QVector<QPoint> points;
    bool selected = false;
};

#endif
