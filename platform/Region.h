#pragma once
// Regions as sets of whole pixels, with the operations the renderer and the
// window shape are written against. Right and bottom edges are exclusive.
//
// A pixel belongs to a polygon or an ellipse when its centre lies inside it,
// so every shape is rasterized without antialiasing and the same way wherever
// it is used (face, window shape, layered image).
//
// The constructors take an optional clip: only the part of the shape inside
// it is built. Drawers pass the bounds of their device (plus a margin wider
// than any frame) so that a shape of absurd size costs no more than the device.

#include <utility>
#include <vector>

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRegion>

#include "WinTypes.h"

class QPainter;

namespace platform {

// A clip so large that it clips nothing a screen could show.
const QRect& NoClip();

// Interior of the closed polygon, even-odd rule.
QRegion CreatePolygonRgn(const std::vector<QPoint>& points, const QRect& clip = NoClip());
// Several closed polygons with real coordinates, filled together by the
// even-odd rule (a text's glyph outlines and its box).
QRegion CreatePolyPolygonRgn(const std::vector<std::vector<QPointF>>& polygons, const QRect& clip = NoClip());
// Ellipse inscribed in the box (left, top, right, bottom); empty when the box is.
QRegion CreateEllipticRgn(int left, int top, int right, int bottom, const QRect& clip = NoClip());
QRegion CreateRectRgn(int left, int top, int right, int bottom);

// The pixels [first, second) of row y inside the ellipse inscribed in the box;
// first >= second when the row misses it. CreateEllipticRgn is built from it.
std::pair<int, int> EllipseRowSpan(int left, int top, int right, int bottom, int y);

// Covers regions with one rectangle per band of `rows` rows, from the leftmost
// to the rightmost pixel they have in the band: a few rectangles that are
// cheap to clip to and to send, instead of the many of a diagonal shape.
class BandCover {
public:
    explicit BandCover(int rows = 16) : m_nRows(rows) {}
    BandCover& Add(const QRegion& rgn);
    QRegion Region() const;

private:
    // The first row of the band holding row y.
    long long Floor(int y) const;

    int m_nRows;
    std::vector<QRect> m_bands; // by first row, rows of the same band merged
};

enum class CombineMode { Or, Xor, Diff, And };
// dst = a (mode) b
void CombineRgn(QRegion& dst, const QRegion& a, const QRegion& b, CombineMode mode);

// Every pixel of the region painted with the colour, no antialiasing.
void FillRgn(QPainter& dc, const QRegion& rgn, COLORREF color);
// Every pixel of the rectangle (exclusive right and bottom edges).
void FillRect(QPainter& dc, const RECT& rc, COLORREF color);
// The region minus what stays inside it when shifted w left and right and h up
// and down: a border w pixels wide on vertical edges, h high on horizontal ones.
QRegion FrameRegion(const QRegion& rgn, int w, int h);
void FrameRgn(QPainter& dc, const QRegion& rgn, COLORREF color, int w, int h);

} // namespace platform
