#include "window/ServerSurface.h"

#include <utility>

#include "clock/ClockFace.h"
#include "clock/LayeredImage.h"
#include "platform/Region.h"

std::uint32_t ServerSurface::Pixel(COLORREF color, COLORREF crKey, int nAlpha, bool bBlend,
                                   const platform::x11::PixelFormat& format)
{
    if (((color ^ crKey) & 0x00FFFFFFu) == 0)
        return 0;
    // The same arithmetic as an image converted pixel by pixel.
    const QRgb face = ToQRgb(color);
    QRgb argb = 0;
    LayeredPixels(&face, &argb, 1, ToQRgb(crKey), bBlend && format.AlphaMask() ? unsigned(nAlpha) & 0xFFu : 255u);
    return format.FromArgb(argb);
}

bool ServerSurface::SetSize(const QSize& devicePixels, qreal ratio)
{
    m_dRatio = ratio;
    if (devicePixels == m_rcDevice.size())
        return m_bPixmap;
    m_rcDevice = QRect(QPoint(), devicePixels);
    m_bWhole = true;
    m_bPixmap = m_pixmap.Create(m_window, devicePixels);
    return m_bPixmap;
}

bool ServerSurface::SetAttributes(COLORREF crKey, int nAlpha, bool bBlend)
{
    if (!m_layering.Set(crKey, nAlpha, bBlend))
        return false;
    m_bWhole = true;
    return true;
}

QRegion ServerSurface::Draw(CClockFace& face, const FaceSettings& settings, std::time_t time)
{
    if (m_rcDevice.isEmpty())
        return {};
    const bool whole = std::exchange(m_bWhole, false);
    if (whole)
        m_rgnOpaque = QRegion();
    const QRegion changed = face.DrawChanged(*this, settings, time, whole);
    // Nothing shows outside the circle, even where a compositor ignores the shape.
    const QRegion outside = platform::OutsideEllipse(changed, m_rcDevice.width(), m_rcDevice.height());
    if (!outside.isEmpty()) {
        m_pixmap.Fill(outside, 0);
        if (!m_layering.bBlend)
            m_rgnOpaque -= outside;
    }
    return changed;
}

void ServerSurface::Show(const QRegion& devicePixels) { m_pixmap.CopyToWindow(devicePixels); }

void ServerSurface::FillRegion(const QRegion& rgn, COLORREF color)
{
    m_pixmap.Fill(rgn, Pixel(color, m_layering.crKey, m_layering.nAlpha, m_layering.bBlend, m_pixmap.Format()));
    if (m_layering.bBlend)
        return;
    // Without blending the clear pixels are cut out of the window's shape:
    // they are those the key was painted over last.
    const QRegion inside = rgn.intersected(m_rcDevice);
    if (((color ^ m_layering.crKey) & 0x00FFFFFFu) == 0)
        m_rgnOpaque -= inside;
    else
        m_rgnOpaque += inside;
}
