#pragma once
// The clock window's surface on X11, drawn on the X server: the renderer's
// regions are filled into a server pixmap with one pixel value per colour (the
// clear colour fully transparent, the rest at the window's alpha, nothing
// outside the circle), and only the area a new frame changed is copied to the
// window. The client keeps no image of the face, and Qt none of the window.

#include <cstdint>
#include <ctime>

#include <QRect>
#include <QRegion>
#include <QSize>

#include "platform/RegionSink.h"
#include "platform/ServerPixmap.h"
#include "platform/WinTypes.h"
#include "window/ClockSurface.h"
#include "window/Layering.h"

class ServerSurface final : public ClockSurface, private platform::RegionSink {
public:
    // The X window shown in (0 for none: drawn nowhere, the clear pixels still
    // known).
    explicit ServerSurface(unsigned long window) : m_window(window) {}

    // The pixel a colour is shown with: the key 0 (transparent), any other
    // colour premultiplied at the alpha when blended and the format has alpha,
    // opaque otherwise.
    static std::uint32_t Pixel(COLORREF color, COLORREF crKey, int nAlpha, bool bBlend,
                               const platform::x11::PixelFormat& format);

    // A new size asks the server for a pixmap of it: false when refused. The
    // surface keeps the size either way.
    bool SetSize(const QSize& devicePixels, qreal ratio) override;
    QSize Size() const override { return m_rcDevice.size(); }
    qreal DevicePixelRatio() const override { return m_dRatio; }

    // Every pixel value changes with them: the next draw is whole.
    bool SetAttributes(COLORREF crKey, int nAlpha, bool bBlend) override;

    QRegion Draw(CClockFace& face, const FaceSettings& settings, std::time_t time) override;
    // Both copy the area from the pixmap to the window.
    void Show(const QRegion& devicePixels) override;
    void Expose(const QRegion& devicePixels) override { Show(devicePixels); }

    const QRegion& OpaqueRegion() const override { return m_rgnOpaque; }
    bool UsesBackingStore() const override { return false; }

private:
    void FillRegion(const QRegion& rgn, COLORREF color) override;

    unsigned long m_window;
    platform::x11::ServerPixmap m_pixmap;
    bool m_bPixmap = false;
    QRect m_rcDevice;
    qreal m_dRatio = 1.0;
    Layering m_layering;
    bool m_bWhole = true;
    QRegion m_rgnOpaque;
};
