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

namespace platform {

// A clip so large that it clips nothing a screen could show.
const QRect& NoClip();

// Interior of the closed polygon, even-odd rule.
QRegion CreatePolygonRgn(const std::vector<QPoint>& points, const QRect& clip = NoClip());
// Several closed polygons with real coordinates, filled together by the
// even-odd rule (a text's glyph outlines and its box). With `within`, only
// its pixels are built, as with the clip.
QRegion CreatePolyPolygonRgn(const std::vector<std::vector<QPointF>>& polygons, const QRect& clip = NoClip(),
                             const QRegion* within = nullptr);
// Ellipse inscribed in the box (left, top, right, bottom); empty when the box is.
QRegion CreateEllipticRgn(int left, int top, int right, int bottom, const QRect& clip = NoClip());
QRegion CreateRectRgn(int left, int top, int right, int bottom);
// The part of the region outside the ellipse inscribed in (0, 0, width, height),
// found without building the whole ellipse.
QRegion OutsideEllipse(const QRegion& rgn, int width, int height);

// The pixels [first, second) of row y inside the ellipse inscribed in the box;
// first >= second when the row misses it. CreateEllipticRgn is built from it.
std::pair<int, int> EllipseRowSpan(int left, int top, int right, int bottom, int y);

// Covers regions with rectangles of whole bands of `rows` rows, one for each
// run of pixels in a band with no gap wider than `gap` between them: a few
// rectangles that are cheap to clip to and to send, instead of the many of a
// diagonal shape, and no long stretch between two shapes far apart.
class BandCover {
public:
    explicit BandCover(int rows = 16, int gap = 64) : m_nRows(rows), m_nGap(gap) {}
    // Each rectangle of the region widened by margin on every side.
    BandCover& Add(const QRegion& rgn, int margin = 0);
    // Where exactly one of the regions holds a pixel, widened by margin.
    BandCover& AddDifference(const QRegion& a, const QRegion& b, int margin);
    QRegion Region() const;

private:
    // A rectangle's part within one band.
    struct Piece {
        long long band; // the band's first row
        int top;
        int bottom;
        int left;
        int right;
    };
    // Adds the rectangle [left, right] x [top, bottom], clamped to the clip range.
    void AddRect(long long left, long long top, long long right, long long bottom);
    // The first row of the band holding row y.
    long long Floor(long long y) const;

    int m_nRows;
    int m_nGap;
    std::vector<Piece> m_pieces;
};

enum class CombineMode { Or, Xor, Diff, And };
// dst = a (mode) b
void CombineRgn(QRegion& dst, const QRegion& a, const QRegion& b, CombineMode mode);

// The region minus what stays inside it when shifted w left and right and h up
// and down: a border w pixels wide on vertical edges, h high on horizontal ones.
QRegion FrameRegion(const QRegion& rgn, int w, int h);
// What stays inside: the region minus its frame. A region painted in the
// frame's colour and then this in the fill's shows both in fewer rectangles
// than the fill and then the frame, which has two edges in every row.
QRegion InnerRegion(const QRegion& rgn, int w, int h);

} // namespace platform
