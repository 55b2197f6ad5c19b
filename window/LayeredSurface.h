#pragma once
// The clock window's surface where Qt shows the window from an image (off
// X11, or where the X server refuses a pixmap): the face drawn off screen,
// turned at paint time into premultiplied ARGB (the clear colour fully
// transparent, the rest at the window's alpha, nothing outside the circle).
// Only the area a new frame changed is converted and sent on.

#include <QImage>
#include <QRegion>
#include <QSize>

#include "platform/WinTypes.h"
#include "window/ClockSurface.h"
#include "window/Layering.h"

class QPainter;
class QWidget;

class LayeredSurface final : public ClockSurface {
public:
    // The window it shows in; none for a surface that is only drawn and converted.
    explicit LayeredSurface(QWidget* window = nullptr) : m_pWindow(window) {}

    // The frame holds device pixels, so that the face is drawn at the
    // screen's full resolution and shown 1:1. A frame of a new size is
    // reallocated; it holds the last frame until drawn over.
    bool SetSize(const QSize& devicePixels, qreal ratio) override;
    QSize Size() const override { return m_imgFrame.size(); }
    qreal DevicePixelRatio() const override { return m_dRatio; }

    bool SetAttributes(COLORREF crKey, int nAlpha, bool bBlend) override;

    QRegion Draw(CClockFace& face, const FaceSettings& settings, std::time_t time) override;
    // Repaints the window over the area, which converts it there.
    void Show(const QRegion& devicePixels) override;
    void Expose(const QRegion& devicePixels) override;

    const QRegion& OpaqueRegion() const override { return m_rgnOpaque; }
    bool UsesBackingStore() const override { return true; }

    // The frame (RGB32) itself, and taking a frame drawn into it that differs
    // from the one before only inside `changed`.
    QImage& Frame() { return m_imgFrame; }
    void Commit(const QRegion& changed);

    // Paints the area (device pixels) of the current frame, converted,
    // replacing what was there, each frame pixel on one device pixel.
    void Paint(QPainter& painter, const QRegion& devicePixels) const;
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

    QWidget* m_pWindow;
    Layering m_layering;
    qreal m_dRatio = 1.0;
    QImage m_imgFrame;
    bool m_bFresh = true; // no frame committed at this size yet
    QRegion m_rgnOpaque;
};
