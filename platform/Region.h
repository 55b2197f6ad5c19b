#pragma once
// Regions as sets of whole pixels, with the operations the renderer and the
// window shape are written against. Right and bottom edges are exclusive.

#include <vector>

#include <QPoint>
#include <QRegion>

#include "WinTypes.h"

class QPainter;

namespace platform {

// Interior of the closed polygon, even-odd rule.
QRegion CreatePolygonRgn(const std::vector<QPoint>& points);
// Ellipse inscribed in the box (left, top, right, bottom); empty when the box is.
QRegion CreateEllipticRgn(int left, int top, int right, int bottom);
QRegion CreateRectRgn(int left, int top, int right, int bottom);

enum class CombineMode { Or, Xor, Diff, And };
// dst = a (mode) b
void CombineRgn(QRegion& dst, const QRegion& a, const QRegion& b, CombineMode mode);

// Every pixel of the region painted with the colour, no antialiasing.
void FillRgn(QPainter& dc, const QRegion& rgn, COLORREF color);
// The region minus what stays inside it when shifted w left and right and h up
// and down: a border w pixels wide on vertical edges, h high on horizontal ones.
QRegion FrameRegion(const QRegion& rgn, int w, int h);
void FrameRgn(QPainter& dc, const QRegion& rgn, COLORREF color, int w, int h);

} // namespace platform
