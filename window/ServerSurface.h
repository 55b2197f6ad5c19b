#pragma once
// What the clock window shows, drawn on the X server: the renderer's regions
// are filled into a server pixmap with one pixel value per colour (the clear
// colour fully transparent, the rest at the window's alpha, nothing outside the
// circle), and only the area a new frame changed is copied to the window. The
// client keeps no image of the face.

#include <cstdint>
#include <ctime>

#include <QRect>
#include <QRegion>
#include <QSize>

#include "platform/RegionSink.h"
#include "platform/ServerPixmap.h"
#include "platform/WinTypes.h"
#include "window/Layering.h"

class CClockFace;
struct FaceSettings;

class ServerSurface : public platform::RegionSink {
public:
    // The pixel a colour is shown with: the key 0 (transparent), any other
    // colour premultiplied at the alpha when blended and the format has alpha,
    // opaque otherwise.
    static std::uint32_t Pixel(COLORREF color, COLORREF crKey, int nAlpha, bool bBlend,
                               const platform::x11::PixelFormat& format);

    // A pixmap of this size for the window; false when the server refuses it.
    // The surface keeps the size either way (without a pixmap it draws nowhere
    // but still knows which pixels are clear).
    bool Create(unsigned long window, const QSize& size);
    QSize Size() const override { return m_rcDevice.size(); }

    // Colour key, alpha (low 8 bits) and blending as for LayeredSurface;
    // true when the pixel values change, and the next draw is whole.
    bool SetAttributes(COLORREF crKey, int nAlpha, bool bBlend);

    // Draws the face for the time where it can have changed (everything after
    // a new size or attributes); returns that area, not yet shown.
    QRegion Draw(CClockFace& face, const FaceSettings& settings, std::time_t time);
    // Shows that area (device pixels) of the last frame in the window.
    void Show(const QRegion& devicePixels);

    // The pixels that are not transparent, kept only without blending.
    const QRegion& OpaqueRegion() const { return m_rgnOpaque; }

    void FillRegion(const QRegion& rgn, COLORREF color) override;

private:
    platform::x11::ServerPixmap m_pixmap;
    QRect m_rcDevice;
    QRegion m_rgnOutside; // the device's pixels outside the circle
    Layering m_layering;
    bool m_bWhole = true;
    QRegion m_rgnOpaque;
};
