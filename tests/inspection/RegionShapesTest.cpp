#include "core/Globals.h"
#include "inspection/Circle.h"
#include "inspection/ClustomRect.h"
#include "inspection/RePolygon.h"
#include "inspection/RegionGeometry.h"

#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <QtTest>

#include <memory>
#include <random>

namespace {

constexpr int ImageWidth = 1280;
constexpr int ImageHeight = 1024;

// Reads a stored shape text the way the configuration loader does: the leading point count
// first, then the shape's own numbers.
std::unique_ptr<ROIInterface> loadShape(int type, const QString &text, int width = ImageWidth, int height = ImageHeight)
{
    std::unique_ptr<ROIInterface> shape(createRoiShape(type));
    QString copy = text;
    QTextStream in(&copy, QIODevice::ReadOnly);
    QString count;
    in >> count;
    const QJsonObject context{{RegionContext::Width, width},
                              {RegionContext::Height, height},
                              {RegionContext::PointCount, count.toInt()}};
    shape->fromText(in, context);
    shape->updateBounds();
    return shape;
}

std::unique_ptr<ROIInterface> rectangle(int left, int top, int right, int bottom)
{
    auto shape = std::make_unique<ClustomRect>();
    shape->setCoords(left, top, right, bottom);
    return shape;
}

std::unique_ptr<Circle> circle(int xc, int yc, int r, int rn = 0)
{
    auto shape = std::make_unique<Circle>();
    shape->fromJson(QJsonObject{{"xc", xc}, {"yc", yc}, {"r", r}, {"rn", rn}});
    return shape;
}

std::unique_ptr<RePolygon> polygon(const QVector<QPoint> &vertices)
{
    auto shape = std::make_unique<RePolygon>(vertices.size(), vertices.constData());
    shape->updateBounds();
    return shape;
}

QString repeated(const QString &piece, int times)
{
    QString s;
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

} // namespace

class RegionShapesTest : public QObject
{
    Q_OBJECT

private slots:
    void clampCoordinateKeepsMargin_data();
    void clampCoordinateKeepsMargin();
    void clampRectToImage_data();
    void clampRectToImage();
    void toleranceStaysWithinLimits_data();
    void toleranceStaysWithinLimits();
    void factoryMakesEmptyShapes_data();
    void factoryMakesEmptyShapes();
    void storedTextRoundTrip_data();
    void storedTextRoundTrip();
    void garbledTextsLoadWithoutCrash_data();
    void garbledTextsLoadWithoutCrash();
    void masks_data();
    void masks();
    void jsonCopiesAreEqual();
    void equalsNeedsSameType();
    void circleGeometry();
    void hitHandles_data();
    void hitHandles();
    void contains_data();
    void contains();
    void nudgesAndDrags();
    void polygonTranslateStaysInImage();
    void drawingLeavesPenAndOutline_data();
    void drawingLeavesPenAndOutline();
    void typeNamesFollowLanguage();
};

void RegionShapesTest::clampCoordinateKeepsMargin_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<int>("expected");
    QTest::newRow("below the margin") << 1 << true << 3;
    QTest::newRow("negative") << -50 << false << 3;
    QTest::newRow("inside") << 100 << true << 100;
    QTest::newRow("beyond the width") << 5000 << true << 1277;
    QTest::newRow("beyond the height") << 5000 << false << 1021;
}

void RegionShapesTest::clampCoordinateKeepsMargin()
{
    QFETCH(int, value);
    QFETCH(bool, horizontal);
    QFETCH(int, expected);
    clampCoordinate(value, horizontal, ImageWidth, ImageHeight);
    QCOMPARE(value, expected);
}

void RegionShapesTest::clampRectToImage_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("keepSize");
    QTest::addColumn<QRect>("expected");
    const QRect reversed = QRect(QPoint(200, 150), QPoint(100, 50));
    QTest::newRow("reversed corners are swapped") << reversed << false << QRect(QPoint(100, 50), QPoint(200, 150));
    QTest::newRow("clipped edge by edge") << QRect(QPoint(-10, 1), QPoint(2000, 1100)) << false
                                          << QRect(QPoint(3, 3), QPoint(1277, 1021));
    QTest::newRow("moved back keeping its size") << QRect(-10, 1015, 100, 50) << true << QRect(3, 972, 100, 50);
    QTest::newRow("wider than the room ends left of the margin") << QRect(0, 10, 1400, 20) << true
                                                                 << QRect(QPoint(-122, 10), QPoint(1277, 29));
}

void RegionShapesTest::clampRectToImage()
{
    QFETCH(QRect, rect);
    QFETCH(bool, keepSize);
    QFETCH(QRect, expected);
    ::clampRectToImage(rect, ImageWidth, ImageHeight, keepSize);
    QCOMPARE(rect, expected);
}

void RegionShapesTest::toleranceStaysWithinLimits_data()
{
    QTest::addColumn<int>("distance");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<bool>("near");
    QTest::newRow("tiny tolerance still reaches 2") << 2 << 1 << true;
    QTest::newRow("tiny tolerance stops at 3") << 3 << 1 << false;
    QTest::newRow("large tolerance reaches 49") << 49 << 400 << true;
    QTest::newRow("large tolerance stops at 50") << 50 << 400 << false;
    QTest::newRow("far apart without overflow") << INT_MAX << 50 << false;
}

void RegionShapesTest::toleranceStaysWithinLimits()
{
    QFETCH(int, distance);
    QFETCH(int, tolerance);
    QFETCH(bool, near);
    QCOMPARE(nearValue(0, distance, tolerance), near);
    QCOMPARE(nearSegment(0, distance, 5, 0, 10, tolerance), near);
    QVERIFY(!nearSegment(0, 0, 11, 0, 10, tolerance)); // beside the segment
    QCOMPARE(nearPoint(QPoint(0, 0), QPoint(distance, 0), tolerance), near);
    QCOMPARE(nearPoint(QPoint(0, 0), QPoint(0, distance), tolerance), near);
}

void RegionShapesTest::factoryMakesEmptyShapes_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("typeId");
    QTest::addColumn<int>("pointCount");
    QTest::newRow("0 is a rectangle") << 0 << 1 << 2;
    QTest::newRow("3 is a rectangle") << 3 << 1 << 2;
    QTest::newRow("9 is a rectangle") << 9 << 1 << 2;
    QTest::newRow("polygon") << 2 << 2 << 0;
    QTest::newRow("circle") << 4 << 4 << 3;
}

void RegionShapesTest::factoryMakesEmptyShapes()
{
    QFETCH(int, requested);
    QFETCH(int, typeId);
    QFETCH(int, pointCount);
    const std::unique_ptr<ROIInterface> shape(createRoiShape(requested));
    QCOMPARE(shape->typeId(), typeId);
    QCOMPARE(shape->pointCount(), pointCount);
    QCOMPARE(QRect(*shape), QRect(0, 0, 0, 0));
    QVERIFY(!shape->isSelected());
    QVERIFY(shape->mask().empty());
    if (auto *c = dynamic_cast<Circle *>(shape.get()))
        QVERIFY(c->xc == 0 && c->yc == 0 && c->r == 0 && c->rn == 0);
}

void RegionShapesTest::storedTextRoundTrip_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QRect>("bounds");

    QTest::newRow("rectangle") << 1 << "0 50 50 100 100" << "0 50 50 100 100" << QRect(50, 50, 51, 51);
    QTest::newRow("rectangle clamped") << 1 << "0 1 2 5000 6000" << "0 3 3 1277 1021"
                                       << QRect(QPoint(3, 3), QPoint(1277, 1021));
    QTest::newRow("rectangle short text") << 1 << "0 50 50" << "0 3 3 50 50" << QRect(QPoint(3, 3), QPoint(50, 50));
    QTest::newRow("rectangle reversed") << 1 << "0 900 800 100 200" << "0 100 200 900 800"
                                        << QRect(QPoint(100, 200), QPoint(900, 800));
    QTest::newRow("rectangle garbled") << 1 << "0 abc 20 x 40" << "0 3 20 3 40" << QRect(QPoint(3, 20), QPoint(3, 40));

    QTest::newRow("ring") << 4 << "0 200 150 655400" << "0 200 150 655400" << QRect(160, 110, 80, 80);
    QTest::newRow("circle cut at the left") << 4 << "0 10 500 40" << "0 10 500 7" << QRect(3, 493, 14, 14);
    QTest::newRow("circle cut at the right") << 4 << "0 1270 500 40" << "0 1270 500 9" << QRect(1261, 491, 18, 18);
    QTest::newRow("inner radius above the outer") << 4 << "0 200 150 3276840" << "0 200 150 2621480"
                                                  << QRect(160, 110, 80, 80);
    QTest::newRow("negative packed radii") << 4 << "0 200 150 -1" << "0 200 150 9633939" << QRect(53, 3, 294, 294);
    QTest::newRow("circle without radius") << 4 << "0 200 150" << "0 200 150 0" << QRect(200, 150, 0, 0);

    QTest::newRow("triangle") << 2 << "3 10 10 50 10 30 40 " << "3 10 10 50 10 30 40 " << QRect(10, 10, 40, 30);
    QTest::newRow("polygon clamped") << 2 << "2 0 1 5000 6000 " << "2 3 3 1277 1021 " << QRect(3, 3, 1274, 1018);
    QTest::newRow("polygon short text") << 2 << "3 10 10" << "3 10 10 3 3 3 3 " << QRect(3, 3, 7, 7);
    QTest::newRow("polygon without vertices") << 2 << "0 " << "0 " << QRect(0, 0, 0, 0);
    QTest::newRow("polygon with negative count") << 2 << "-5 10 10 20 20" << "0 " << QRect(0, 0, 0, 0);
}

void RegionShapesTest::storedTextRoundTrip()
{
    QFETCH(int, type);
    QFETCH(QString, stored);
    QFETCH(QString, written);
    QFETCH(QRect, bounds);
    const auto shape = loadShape(type, stored);
    QCOMPARE(shape->toText(), written);
    QCOMPARE(QRect(*shape), bounds);
    // Written text reads back to the same shape.
    const auto again = loadShape(type, shape->toText());
    QVERIFY(again->equals(shape.get()));
}

void RegionShapesTest::garbledTextsLoadWithoutCrash_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("points");

    std::mt19937 rng(11);
    QString noise;
    for (int i = 0; i < 200000; ++i)
        noise += QChar(" 0123456789-+x\t\n"[rng() % 16]);
    QTest::newRow("polygon count beyond the store") << 2 << "99999999 " + repeated("17 23 ", 9000) << RePolygon::MaxPoints;
    QTest::newRow("polygon count beyond int") << 2 << "123456789012345 1 2 3 4" << 0;
    QTest::newRow("polygon of noise") << 2 << "500 " + noise << 500;
    QTest::newRow("rectangle of noise") << 1 << noise << 2;
    QTest::newRow("circle of noise") << 4 << noise << 3;
    QTest::newRow("huge numbers") << 1 << "0 99999999999999999999 -99999999999999999999 7 7" << 2;
    QTest::newRow("empty text") << 4 << QString() << 3;
}

void RegionShapesTest::garbledTextsLoadWithoutCrash()
{
    QFETCH(int, type);
    QFETCH(QString, stored);
    QFETCH(int, points);
    const auto shape = loadShape(type, stored);
    QCOMPARE(shape->pointCount(), points);
    const cv::Mat mask = shape->mask();
    QVERIFY(mask.empty() || (mask.rows == shape->height() && mask.cols == shape->width()));
    QVERIFY(QRect(0, 0, ImageWidth, ImageHeight).contains(QRect(*shape)) || shape->isEmpty());
}

void RegionShapesTest::masks_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("filled");
    QTest::addColumn<QPoint>("inside");
    QTest::addColumn<QPoint>("outside");
    QTest::newRow("rectangle all set") << 1 << "0 50 50 100 100" << QSize(51, 51) << 51 * 51 << QPoint(50, 50)
                                       << QPoint(-1, -1);
    QTest::newRow("ring") << 4 << "0 200 150 655400" << QSize(80, 80) << -1 << QPoint(40, 5) << QPoint(40, 40);
    QTest::newRow("ring corners") << 4 << "0 200 150 655400" << QSize(80, 80) << -1 << QPoint(5, 40) << QPoint(0, 0);
    QTest::newRow("disc clears only its centre") << 4 << "0 200 150 40" << QSize(80, 80) << -1 << QPoint(41, 40)
                                                 << QPoint(40, 40);
    QTest::newRow("triangle") << 2 << "3 10 10 50 10 30 40 " << QSize(40, 30) << -1 << QPoint(20, 5)
                              << QPoint(2, 25);
    QTest::newRow("no vertices left") << 2 << "0 " << QSize(0, 0) << 0 << QPoint(-1, -1) << QPoint(-1, -1);
    QTest::newRow("zero radius") << 4 << "0 200 150 0" << QSize(0, 0) << 0 << QPoint(-1, -1) << QPoint(-1, -1);
    QTest::newRow("vertices on one line") << 2 << "2 10 10 10 90 " << QSize(0, 80) << 0 << QPoint(-1, -1)
                                          << QPoint(-1, -1);
}

void RegionShapesTest::masks()
{
    QFETCH(int, type);
    QFETCH(QString, stored);
    QFETCH(QSize, size);
    QFETCH(int, filled);
    QFETCH(QPoint, inside);
    QFETCH(QPoint, outside);
    const auto shape = loadShape(type, stored);
    const cv::Mat mask = shape->mask();
    if (size.isEmpty()) {
        QVERIFY(mask.empty());
        return;
    }
    QCOMPARE(mask.type(), CV_8UC1);
    QCOMPARE(QSize(mask.cols, mask.rows), size);
    if (filled >= 0)
        QCOMPARE(cv::countNonZero(mask), filled);
    if (inside.x() >= 0)
        QCOMPARE(int(mask.at<uchar>(inside.y(), inside.x())), 255);
    if (outside.x() >= 0)
        QCOMPARE(int(mask.at<uchar>(outside.y(), outside.x())), 0);
}

void RegionShapesTest::jsonCopiesAreEqual()
{
    std::vector<std::unique_ptr<ROIInterface>> shapes;
    shapes.push_back(rectangle(10, 20, 300, 200));
    shapes.push_back(circle(400, 300, 60, 25));
    shapes.push_back(polygon({{10, 10}, {50, 10}, {30, 40}}));
    for (const auto &shape : shapes) {
        QJsonObject json;
        shape->toJson(json);
        const std::unique_ptr<ROIInterface> copy(createRoiShape(shape->typeId()));
        copy->fromJson(json);
        copy->updateBounds();
        QVERIFY(copy->equals(shape.get()));
        QCOMPARE(QRect(*copy), QRect(*shape));
        QCOMPARE(copy->toText(), shape->toText());
        copy->translate(1, 0, ImageWidth, ImageHeight);
        copy->updateBounds();
        QVERIFY(!copy->equals(shape.get()));
    }
}

void RegionShapesTest::equalsNeedsSameType()
{
    // A circle's square and a rectangle with the same numbers are still different shapes.
    const auto c = circle(0, 0, 0);
    const auto r = rectangle(0, 0, -1, -1);
    QVERIFY(!c->equals(r.get()));
    QVERIFY(!r->equals(c.get()));
    QVERIFY(!r->equals(nullptr));
    // Same vertices in another order: another outline.
    const auto p = polygon({{10, 10}, {50, 10}, {30, 40}});
    const auto q = polygon({{50, 10}, {30, 40}, {10, 10}});
    QVERIFY(!p->equals(q.get()));
    // An empty JSON array gives an empty polygon.
    RePolygon empty;
    empty.fromJson(QJsonObject{{"points", QJsonArray()}});
    QCOMPARE(empty.pointCount(), 0);
    QCOMPARE(empty.toText(), QStringLiteral("0 "));
}

void RegionShapesTest::circleGeometry()
{
    auto c = circle(100, 100, 40, 50);
    QCOMPARE(c->rn, 40);
    c = circle(100, 100, 40, -5);
    QCOMPARE(c->rn, 0);

    c->setRect(10, 20, 101, 60);
    c->updateBounds();
    QCOMPARE(c->r, 30);
    QCOMPARE(QPoint(c->xc, c->yc), QPoint(40, 50));
    QCOMPARE(QRect(*c), QRect(10, 20, 60, 60));

    // Shrinking the outer radius past zero: the corners come back reversed and are swapped,
    // and the next updateBounds makes a small circle about the same centre again.
    c = circle(100, 100, 5, 0);
    c->nudge(1, 3, ImageWidth, ImageHeight);
    c->updateBounds();
    QCOMPARE(QPoint(c->xc, c->yc), QPoint(100, 100));
    QCOMPARE(c->r, 6);
    QCOMPARE(c->rn, 0);
    QCOMPARE(QRect(*c), QRect(94, 94, 12, 12));

    c = circle(100, 100, 50);
    QCOMPARE(c->handlePoints(), (QList<QPoint>{{75, 75}, {125, 75}, {125, 125}, {75, 125}}));
    c->dragHandle(2, QPoint(), QPoint(130, 140));
    QCOMPARE(c->r, 50);
    c->nudge(0, 0, ImageWidth, ImageHeight);
    QCOMPARE(c->rn, 10);
}

void RegionShapesTest::hitHandles_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("handle");
    // 0: rectangle (100, 100) 200 x 100; 1: circle about (100, 100) with r 50; 2: a tall thin
    // rectangle 8 wide; 3: a wide rectangle 1000 wide; 4: polygon.
    QTest::newRow("unselected corner") << 0 << false << QPoint(100, 100) << -1;
    QTest::newRow("corner") << 0 << true << QPoint(100, 100) << 0;
    QTest::newRow("lower-right corner") << 0 << true << QPoint(310, 210) << 7;
    QTest::newRow("left edge, tolerance 50") << 0 << true << QPoint(90, 150) << 3;
    QTest::newRow("above the top edge, tolerance 25") << 0 << true << QPoint(200, 70) << -1;
    QTest::newRow("just above the top edge") << 0 << true << QPoint(200, 80) << 1;
    QTest::newRow("circle upper-left") << 1 << true << QPoint(60, 70) << 0;
    QTest::newRow("circle below the centre") << 1 << true << QPoint(100, 150) << 6;
    QTest::newRow("circle right") << 1 << true << QPoint(150, 105) << 4;
    QTest::newRow("circle centre") << 1 << true << QPoint(100, 100) << -1;
    QTest::newRow("thin: tolerance not below 3") << 2 << true << QPoint(98, 300) << 3;
    QTest::newRow("thin: 3 away misses") << 2 << true << QPoint(97, 300) << -1;
    QTest::newRow("wide: tolerance not above 50") << 3 << true << QPoint(51, 150) << 3;
    QTest::newRow("wide: 50 away misses") << 3 << true << QPoint(50, 150) << -1;
    QTest::newRow("first near vertex") << 4 << true << QPoint(215, 110) << 1;
    QTest::newRow("unselected vertex") << 4 << false << QPoint(200, 100) << -1;
}

void RegionShapesTest::hitHandles()
{
    QFETCH(int, which);
    QFETCH(bool, selected);
    QFETCH(QPoint, point);
    QFETCH(int, handle);
    std::vector<std::unique_ptr<ROIInterface>> shapes;
    shapes.push_back(rectangle(100, 100, 299, 199));
    shapes.push_back(circle(100, 100, 50));
    shapes.push_back(rectangle(100, 100, 107, 499));
    shapes.push_back(rectangle(100, 100, 1099, 299));
    shapes.push_back(polygon({{0, 0}, {200, 100}, {230, 120}, {400, 400}}));
    ROIInterface *shape = shapes.at(size_t(which)).get();
    shape->setSelected(selected);
    int found = 99;
    QCOMPARE(shape->hitHandle(point, &found), handle >= 0);
    QCOMPARE(found, handle);
}

void RegionShapesTest::contains_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("inside");
    // 0: rectangle (100, 100)-(200, 150); 1: triangle; 2: square (100, 100)-(300, 300).
    QTest::newRow("20 left of the rectangle") << 0 << QPoint(80, 120) << true;
    QTest::newRow("21 left of the rectangle") << 0 << QPoint(79, 120) << false;
    QTest::newRow("20 below the rectangle") << 0 << QPoint(150, 170) << true;
    QTest::newRow("21 below the rectangle") << 0 << QPoint(150, 171) << false;
    QTest::newRow("small polygon: box left of it") << 1 << QPoint(5, 20) << true;
    QTest::newRow("small polygon: right of it") << 1 << QPoint(55, 20) << false;
    QTest::newRow("large polygon: inside") << 2 << QPoint(200, 200) << true;
    QTest::newRow("large polygon: on the outline") << 2 << QPoint(100, 200) << false;
    QTest::newRow("large polygon: outside") << 2 << QPoint(90, 200) << false;
}

void RegionShapesTest::contains()
{
    QFETCH(int, which);
    QFETCH(QPoint, point);
    QFETCH(bool, inside);
    std::vector<std::unique_ptr<ROIInterface>> shapes;
    shapes.push_back(rectangle(100, 100, 200, 150));
    shapes.push_back(polygon({{10, 10}, {50, 10}, {30, 40}}));
    shapes.push_back(polygon({{100, 100}, {300, 100}, {300, 300}, {100, 300}}));
    QCOMPARE(shapes.at(size_t(which))->contains(point), inside);
}

void RegionShapesTest::nudgesAndDrags()
{
    auto r = rectangle(3, 3, 100, 100);
    r->nudge(0, 0, ImageWidth, ImageHeight);
    QCOMPARE(r->top(), 3);
    r->nudge(1, 3, ImageWidth, ImageHeight);
    QCOMPARE(r->right(), 101);
    r->dragHandle(7, QPoint(10, 10), QPoint(15, 30));
    QCOMPARE(r->bottomRight(), QPoint(106, 120));
    r->dragHandle(8, QPoint(10, 10), QPoint(15, 30));
    QCOMPARE(r->bottomRight(), QPoint(106, 120));

    auto p = polygon({{10, 10}, {50, 10}, {30, 40}});
    const QString before = p->toText();
    p->nudge(3, 0, ImageWidth, ImageHeight); // no vertex 3
    p->dragHandle(3, QPoint(0, 0), QPoint(5, 5));
    QCOMPARE(p->toText(), before);
    p->nudge(0, 1, ImageWidth, ImageHeight);
    p->nudge(0, 1, ImageWidth, ImageHeight);
    QCOMPARE(p->points.at(0), QPoint(8, 10));
    p->dragHandle(2, QPoint(0, 0), QPoint(-100, 5));
    QCOMPARE(p->points.at(2), QPoint(-70, 45)); // dragging does not clamp
}

void RegionShapesTest::polygonTranslateStaysInImage()
{
    auto p = polygon({{5, 100}, {60, 100}, {30, 200}});
    p->translate(-10, 0, ImageWidth, ImageHeight);
    QCOMPARE(p->points.at(0), QPoint(0, 100));
    QCOMPARE(p->points.at(1), QPoint(55, 100));
    p->translate(5000, 5000, ImageWidth, ImageHeight);
    QCOMPARE(p->right(), ImageWidth - 1);
    QCOMPARE(p->bottom(), ImageHeight - 1);
}

void RegionShapesTest::drawingLeavesPenAndOutline_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QColor>("penAfter");
    QTest::addColumn<QColor>("outline");
    QTest::newRow("rectangle") << 1 << false << QColor(Qt::blue) << QColor(Qt::blue);
    QTest::newRow("selected rectangle") << 1 << true << QColor(Qt::magenta) << QColor(Qt::magenta);
    QTest::newRow("circle ends yellow") << 4 << false << QColor(Qt::yellow) << QColor(Qt::blue);
    QTest::newRow("selected polygon") << 2 << true << QColor(Qt::magenta) << QColor(Qt::magenta);
}

void RegionShapesTest::drawingLeavesPenAndOutline()
{
    QFETCH(int, type);
    QFETCH(bool, selected);
    QFETCH(QColor, penAfter);
    QFETCH(QColor, outline);
    // Each shape's outline passes through (20, 50) at full scale and (10, 25) at half scale.
    std::unique_ptr<ROIInterface> shape;
    if (type == 1)
        shape = rectangle(20, 20, 80, 80);
    else if (type == 4)
        shape = circle(50, 50, 30, 10);
    else
        shape = polygon({{20, 20}, {80, 20}, {80, 80}, {20, 80}});
    shape->setSelected(selected);
    for (const float scale : {1.0f, 0.5f}) {
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setPen(QPen(Qt::blue, 1));
        if (scale == 1.0f)
            shape->draw(&painter);
        else
            shape->drawScaled(&painter, scale, scale);
        QCOMPARE(painter.pen().width(), 3);
        QCOMPARE(painter.pen().color(), penAfter);
        painter.end();
        const QPoint onOutline(int(20 * scale), int(50 * scale));
        QCOMPARE(image.pixelColor(onOutline), outline);
    }
    shape->draw(nullptr); // no painter: nothing
}

void RegionShapesTest::typeNamesFollowLanguage()
{
    uiTexts[4 * 74 + 1] = QStringLiteral("rectangular ");
    uiTexts[4 * 75 + 1] = QStringLiteral("circle");
    uiTexts[4 * 76 + 1] = QStringLiteral("Polygon");
    uiTexts[4 * 74] = QStringLiteral("矩形");
    const int saved = currentLanguage;
    currentLanguage = 1;
    QCOMPARE(ClustomRect().typeName(), QStringLiteral("rectangular "));
    QCOMPARE(Circle().typeName(), QStringLiteral("circle"));
    QCOMPARE(RePolygon().typeName(), QStringLiteral("Polygon"));
    currentLanguage = 0;
    QCOMPARE(ClustomRect().typeName(), QStringLiteral("矩形"));
    currentLanguage = saved;
}

QTEST_GUILESS_MAIN(RegionShapesTest)
#include "RegionShapesTest.moc"
