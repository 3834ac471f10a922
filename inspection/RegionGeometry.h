#ifndef INSPECTION_REGIONGEOMETRY_H
#define INSPECTION_REGIONGEOMETRY_H

#include <QPoint>
#include <QRect>

// Geometry shared by the region shapes and the region editors. Stored region coordinates keep
// RegionMargin pixels away from every image border.

constexpr int RegionMargin = 3;

// Forces v into [3, limit - 3], limit being width when horizontal, else height.
void clampCoordinate(int &v, bool horizontal, int width, int height);
// The same for both coordinates of a point.
void clampCoordinate(QPoint &p, int width, int height);

// Puts rect inside the image with the 3-pixel margin, after swapping reversed edges. keepSize
// moves the rectangle (one wider than the room can then still end left of the margin); without
// it every edge is clipped on its own.
void clampRectToImage(QRect &rect, int width, int height, bool keepSize);

// Hit tolerances are clamped into [3, 50] pixels so tiny shapes stay grabbable and large ones
// do not swallow their neighbours.
bool nearValue(int a, int b, int tolerance);
// a is near b and c lies within [low, high].
bool nearSegment(int a, int b, int c, int low, int high, int tolerance);
bool nearPoint(const QPoint &p, const QPoint &q, int tolerance);

#endif
