#ifndef INSPECTION_ROIINTERFACE_H
#define INSPECTION_ROIINTERFACE_H

#include <QJsonObject>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <opencv2/core.hpp>

class QPainter;
class QPen;
class QTextStream;

// Shape type ids, as stored per region in the detection configuration.
enum ShapeType {
    RectangleShape = 1,
    PolygonShape = 2,
    CircleShape = 4,
};

// Keys of the context object handed to fromText.
namespace RegionContext {
inline const QString Width = QStringLiteral("width");
inline const QString Height = QStringLiteral("height");
inline const QString PointCount = QStringLiteral("pointCount");
} // namespace RegionContext

// One region of interest drawn on a camera image. The QRect part is the region's bounding
// rectangle, read and written directly by the editors; the subclasses carry the rest of the
// geometry. After translate, dragHandle or nudge the caller calls updateBounds and then takes
// a fresh mask; the configuration loader calls fromText, updateBounds, mask.
class ROIInterface : public QRect
{
public:
    ROIInterface();
    virtual ~ROIInterface();

    virtual void fromJson(const QJsonObject &json) = 0;
    // Reads the stored form after its leading point count, which the caller already read and
    // passes as "pointCount" beside the image "width" and "height". Coordinates are clamped
    // into the image.
    virtual void fromText(QTextStream &in, const QJsonObject &context) = 0;
    virtual void toJson(QJsonObject &json) const = 0;
    virtual QString toText() const = 0;
    // Outline with a 3-pixel copy of the painter's pen (magenta while selected); the pen stays
    // set on the painter.
    virtual void draw(QPainter *painter) const = 0;
    virtual void drawScaled(QPainter *painter, float sx, float sy) const = 0;
    // Same type and same JSON form.
    virtual bool equals(const ROIInterface *other) const = 0;
    // Handles are numbered row by row in a 3 x 3 grid (0 upper-left ... 7 lower-right); the
    // polygon reports vertex indices. An unselected shape reports no handle (-1, false).
    virtual bool hitHandle(const QPoint &p, int *handle) const = 0;
    virtual void setSelected(bool on) = 0;
    virtual bool isSelected() const = 0;
    virtual void updateBounds() = 0;
    // Picking test of the editors; deliberately generous around small shapes.
    virtual bool contains(const QPoint &p) const = 0;
    // 8-bit mask of the bounding rectangle's size, 255 on the region's pixels. Empty when no
    // shape remains (a degenerate stored text, no vertices).
    virtual cv::Mat mask() const = 0;
    virtual void dragHandle(int handle, const QPoint &from, const QPoint &to) = 0;
    // which: the edge, radius or vertex; direction 0 up, 1 left, 2 down, 3 right.
    virtual void nudge(int which, int direction, int imageWidth, int imageHeight) = 0;
    virtual void translate(int dx, int dy, int imageWidth, int imageHeight) = 0;
    // Where the editors put the region's label.
    virtual QPoint anchor() const = 0;
    virtual QList<QPoint> handlePoints() const = 0;
    virtual int typeId() const = 0;
    virtual QString typeName() const = 0;
    virtual int pointCount() const = 0;

    using QRect::translate;

protected:
    ROIInterface(const ROIInterface &) = default;
    ROIInterface &operator=(const ROIInterface &) = default;

    // The outline pen of every shape, set on the painter.
    static QPen outlinePen(QPainter *painter, bool selected);
    // Comparison through the JSON form, as every shape compares.
    static bool sameShape(const ROIInterface *a, const ROIInterface *b);
    // The bounding rectangle grown by the picking margin.
    bool nearBounds(const QPoint &p) const;
    // A coordinate or size at display scale, truncated toward zero.
    static int scaled(int v, float s) { return static_cast<int>(static_cast<float>(v) * s); }

};

// A new empty shape for a stored shape type: 2 polygon, 4 circle, anything else a rectangle.
// The caller owns it.
ROIInterface *createRoiShape(int shapeType);
// A new shape of source's type holding its geometry (through the JSON form), not selected;
// null for a null source. The caller owns it.
ROIInterface *cloneRoiShape(const ROIInterface *source);

#endif
