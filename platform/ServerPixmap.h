#pragma once
// A window's contents kept on the X server: a pixmap of the window's depth
// that regions are filled into with single pixel values and copied from to
// the window. Drawing there costs the client no image of its own, and the
// server no image transfer. Does nothing when the program is not on X11.

#include <cstdint>

#include <QRegion>
#include <QRgb>
#include <QSize>

namespace platform::x11 {

// How a visual lays out a pixel: the bits of each colour channel; the bits of
// the depth that hold no colour hold alpha (none in a depth of 24).
struct PixelFormat {
    int depth = 32;
    std::uint32_t red = 0x00FF0000u;
    std::uint32_t green = 0x0000FF00u;
    std::uint32_t blue = 0x000000FFu;

    std::uint32_t AlphaMask() const;
    // The pixel of a premultiplied ARGB colour (alpha dropped when the format has none).
    std::uint32_t FromArgb(QRgb argb) const;
};

class ServerPixmap {
public:
    ServerPixmap() = default;
    ~ServerPixmap();
    ServerPixmap(const ServerPixmap&) = delete;
    ServerPixmap& operator=(const ServerPixmap&) = delete;

    // A pixmap of this size (device pixels) for the window, replacing any
    // before; false, and none, when the server refuses it or there is no X11.
    bool Create(unsigned long window, const QSize& size);
    void Release();
    const PixelFormat& Format() const { return m_format; }

    // Fills the pixmap's pixels in the region with one pixel value.
    void Fill(const QRegion& rgn, std::uint32_t pixel);
    // Copies the region from the pixmap to the window, and sends everything
    // asked so far: the window gets only whole frames.
    void CopyToWindow(const QRegion& rgn);

private:
    unsigned long m_window = 0;
    std::uint32_t m_pixmap = 0;
    std::uint32_t m_gc = 0;
    std::uint32_t m_foreground = 0;
    QSize m_size;
    PixelFormat m_format;
};

} // namespace platform::x11
