#pragma once
// What the desktop receives from the clock window: the face with its clear
// colour made fully transparent, every other pixel at the window's opacity,
// and nothing outside the window's circle (the ellipse inscribed in the image,
// the same region as the window's shape).

#include <QImage>
#include <QRect>
#include <QRgb>

#include "platform/WinTypes.h"

// Premultiplied ARGB of the face: pixels of exactly `clear` get alpha 0, all
// others alpha = the low 8 bits of `opacity`; outside the circle alpha 0.
QImage ToLayered(const QImage& face, COLORREF clear, int opacity);
// The same into `out`, reallocated only when its size or format differ.
void ToLayered(const QImage& face, QImage& out, COLORREF clear, int opacity);
// Only the pixels inside `rect` are converted; the rest of `out` is left as it
// was (cleared when `out` had to be reallocated).
void ToLayered(const QImage& face, QImage& out, COLORREF clear, int opacity, const QRect& rect);
// n pixels of a face (alpha ignored) converted: `key` (opaque) to 0, the rest
// at alpha `a` (0..255), premultiplied.
void LayeredPixels(const QRgb* src, QRgb* dst, int n, QRgb key, unsigned a);
