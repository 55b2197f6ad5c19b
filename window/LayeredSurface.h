#pragma once
// What the clock window shows: the face drawn off screen, turned at paint time
// into premultiplied ARGB (the clear colour fully transparent, the rest at the
// window's alpha, nothing outside the circle). Only the area a new frame
// changed is converted and sent to the X server.

#include <QImage>
#include <QRegion>
#include <QSize>

#include "platform/WinTypes.h"
#include "window/Layering.h"

class QPainter;

class LayeredSurface {
public:
    // Colour key and alpha (low 8 bits used). Without blending (no compositing
    // manager) every non-clear pixel is opaque, and the clear ones are cut out
    // of the window's shape instead (OpaqueRegion). Returns true when what the
    // window shows changes with them.
    bool SetAttributes(COLORREF crKey, int nAlpha, bool bBlend);
    COLORREF Key() const { return m_layering.crKey; }
    int Alpha() const { return m_layering.nAlpha; }

    // Device pixels per window pixel. The frame holds device pixels, so that
    // the face is drawn at the screen's full resolution and shown 1:1.
    void SetDevicePixelRatio(qreal ratio) { m_dRatio = ratio; }
    qreal DevicePixelRatio() const { return m_dRatio; }

    // The buffer (RGB32, device pixels) the next frame is drawn into,
    // reallocated for a new size; it holds the last frame until drawn over.
    QImage& Frame(const QSize& size);
    // True while Frame() holds no committed frame: the next must be drawn whole.
    bool Fresh() const { return m_bFresh; }
    // Takes the frame drawn into Frame(), which differs from the one before
    // only inside `changed`.
    void Commit(const QRegion& changed);

    const QImage& Current() const { return m_imgFrame; }
    QSize Size() const { return m_imgFrame.size(); }

    // The pixels that are not transparent, kept only without blending.
    const QRegion& OpaqueRegion() const { return m_rgnOpaque; }

    // Paints the region (in the painter's logical coordinates) of the current
    // frame, converted, replacing what was there, each frame pixel on one
    // device pixel.
    void Paint(QPainter& painter, const QRegion& region) const;
    // Converts the area (device pixels) straight into the image the window
    // shows (ARGB32 premultiplied, device pixels, at least the frame's size).
    void PaintInto(QImage& shown, const QRegion& devicePixels) const;
    // The converted pixels of a rectangle of the current frame.
    QImage Layered(const QRect& rect) const;

private:
    QRegion ScanOpaque(const QRect& rect) const;
    // Converts rect of the frame into rows of 32-bit pixels (`to` addresses
    // the frame's pixel (0, 0) in the target).
    void Convert(const QRect& rect, uchar* to, qsizetype stride) const;

    Layering m_layering;
    qreal m_dRatio = 1.0;
    QImage m_imgFrame;
    bool m_bFresh = true; // no frame committed at this size yet
    QRegion m_rgnOpaque;
};
