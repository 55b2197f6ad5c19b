#pragma once
// What the clock window shows: the face drawn off screen, turned at paint time
// into premultiplied ARGB (the clear colour fully transparent, the rest at the
// window's alpha, nothing outside the circle). Each new frame is compared
// with the one before, tile by tile, so that only the area that changed is
// painted, converted and sent to the X server.

#include <cstdint>
#include <vector>

#include <QImage>
#include <QRegion>
#include <QSize>

#include "platform/WinTypes.h"

class QPainter;

class LayeredSurface {
public:
    // Side of the square tiles compared between frames: small enough to
    // follow a thin moving hand, large enough to keep the changed area to a
    // few dozen rectangles.
    static constexpr int kTile = 16;

    // Colour key and alpha (low 8 bits used). Without blending (no compositing
    // manager) every non-clear pixel is opaque, and the clear ones are cut out
    // of the window's shape instead (OpaqueRegion). Returns true when what the
    // window shows changes with them.
    bool SetAttributes(COLORREF crKey, int nAlpha, bool bBlend);
    COLORREF Key() const { return m_crKey; }
    int Alpha() const { return m_nAlpha; }
    bool Blends() const { return m_bBlend; }

    // Device pixels per window pixel. The frame holds device pixels, so that
    // the face is drawn at the screen's full resolution and shown 1:1.
    void SetDevicePixelRatio(qreal ratio) { m_dRatio = ratio; }
    qreal DevicePixelRatio() const { return m_dRatio; }
    // The window's area that covers an area of device pixels.
    QRegion ToLogical(const QRegion& devicePixels) const;

    // The buffer (RGB32, device pixels) the next frame is drawn into,
    // reallocated for a new size; it holds the last frame until drawn over.
    QImage& Frame(const QSize& size);
    // Takes the frame drawn into Frame(): returns the area that differs from
    // the frame before (all of it after a new size).
    QRegion Commit();

    const QImage& Current() const { return m_imgFrame; }
    QSize Size() const { return m_imgFrame.size(); }

    // The pixels that are not transparent, kept only without blending.
    const QRegion& OpaqueRegion() const { return m_rgnOpaque; }

    // Paints the region (in the painter's logical coordinates) of the current
    // frame, converted, replacing what was there, each frame pixel on one
    // device pixel.
    void Paint(QPainter& painter, const QRegion& region) const;
    // The converted pixels of a rectangle of the current frame.
    QImage Layered(const QRect& rect) const;

private:
    QRegion ScanOpaque(const QRect& rect) const;

    COLORREF m_crKey = 0;
    int m_nAlpha = 255;
    bool m_bBlend = true;
    qreal m_dRatio = 1.0;
    QImage m_imgFrame;
    bool m_bFresh = true;  // no frame committed at this size yet
    std::vector<std::uint64_t> m_tileHashes;
    QRegion m_rgnOpaque;
};
