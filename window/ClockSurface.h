#pragma once
// What the clock window draws on and shows from, one kind for each way of
// putting pixels on the screen. The window holds one and knows nothing else of
// how its pixels reach the screen; when the window system refuses a surface,
// the window swaps it for another (on X11, the server's pixmap refused: an
// image).

#include <ctime>

#include <QRegion>
#include <QSize>

#include "platform/WinTypes.h"

class CClockFace;
struct FaceSettings;

class ClockSurface {
public:
    virtual ~ClockSurface() = default;

    // The frame's size in device pixels, and device pixels per window pixel.
    // A new size is drawn whole at the next draw. False when the window
    // system refuses a frame of that size.
    virtual bool SetSize(const QSize& devicePixels, qreal ratio) = 0;
    virtual QSize Size() const = 0;
    virtual qreal DevicePixelRatio() const = 0;

    // Colour key and alpha (low 8 bits used); without blending (no
    // compositing manager) every pixel but the key's is opaque, and the key's
    // are cut out of the window's shape instead (OpaqueRegion). True when
    // what the window shows changes with them.
    virtual bool SetAttributes(COLORREF crKey, int nAlpha, bool bBlend) = 0;

    // Draws the face for the time where it can differ from the last frame
    // (everything after a new size, and on some surfaces after new
    // attributes); returns that area in device pixels, not yet shown.
    virtual QRegion Draw(CClockFace& face, const FaceSettings& settings, std::time_t time) = 0;
    // Puts that area (device pixels) of the last frame on the screen now.
    virtual void Show(const QRegion& devicePixels) = 0;
    // The window system asks for that area (device pixels) again: called
    // from the window's paint event.
    virtual void Expose(const QRegion& devicePixels) = 0;

    // The pixels that are not transparent, kept only without blending.
    virtual const QRegion& OpaqueRegion() const = 0;

    // Whether Qt keeps an image of the window for the surface to paint into;
    // a surface that draws on the window system's side needs none.
    virtual bool UsesBackingStore() const = 0;
};
