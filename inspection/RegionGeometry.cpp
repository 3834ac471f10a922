#include "inspection/RegionGeometry.h"

#include <QtGlobal>

#include <cstdlib>
#include <utility>

namespace {

constexpr int MinTolerance = 3;
constexpr int MaxTolerance = 50;

int clampedTolerance(int tolerance)
{
    return qBound(MinTolerance, tolerance, MaxTolerance);
}

// |a - b| < t without overflowing for coordinates far apart.
bool closer(int a, int b, int t)
{
    return std::llabs(static_cast<long long>(a) - b) < t;
}

} // namespace

void clampCoordinate(int &v, bool horizontal, int width, int height)
{
    const int limit = horizontal ? width : height;
    if (v < RegionMargin)
        v = RegionMargin;
    else if (v > limit - RegionMargin)
        v = limit - RegionMargin;
}

void clampCoordinate(QPoint &p, int width, int height)
{
    clampCoordinate(p.rx(), true, width, height);
    clampCoordinate(p.ry(), false, width, height);
}

void clampRectToImage(QRect &rect, int width, int height, bool keepSize)
{
    int left = rect.left();
    int top = rect.top();
    int right = rect.right();
    int bottom = rect.bottom();
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    const int maxX = width - RegionMargin;
    const int maxY = height - RegionMargin;

    if (keepSize) {
        if (left < RegionMargin) {
            right += RegionMargin - left;
            left = RegionMargin;
        }
        if (top < RegionMargin) {
            bottom += RegionMargin - top;
            top = RegionMargin;
        }
        if (right > maxX) {
            left += maxX - right;
            right = maxX;
        }
        if (bottom > maxY) {
            top += maxY - bottom;
            bottom = maxY;
        }
    } else {
        if (left < RegionMargin)
            left = RegionMargin;
        else if (left > maxX)
            left = maxX;
        if (top < RegionMargin)
            top = RegionMargin;
        else if (top > maxY)
            top = maxY;
        if (right < RegionMargin)
            right = RegionMargin;
        else if (right > maxX)
            right = maxX;
        if (bottom < RegionMargin)
            bottom = RegionMargin;
        else if (bottom > maxY)
            bottom = maxY;
    }
    rect.setTopLeft(QPoint(left, top));
    rect.setBottomRight(QPoint(right, bottom));
}

bool nearValue(int a, int b, int tolerance)
{
    return closer(a, b, clampedTolerance(tolerance));
}

bool nearSegment(int a, int b, int c, int low, int high, int tolerance)
{
    return closer(a, b, clampedTolerance(tolerance)) && low <= c && c <= high;
}

bool nearPoint(const QPoint &p, const QPoint &q, int tolerance)
{
    const int t = clampedTolerance(tolerance);
    return closer(p.x(), q.x(), t) && closer(p.y(), q.y(), t);
}
