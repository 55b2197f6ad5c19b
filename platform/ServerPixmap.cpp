#include "platform/ServerPixmap.h"

#include <algorithm>
#include <vector>

#include "platform/XcbConnection.h"

namespace platform::x11 {
namespace {

// Well below the smallest request size a server must take, in rectangles.
constexpr std::size_t kRectsPerRequest = 8000;

// The visual's channel masks, found among the server's screens.
bool FindVisual(xcb_connection_t* c, xcb_visualid_t id, PixelFormat& format)
{
    for (auto screen = xcb_setup_roots_iterator(xcb_get_setup(c)); screen.rem; xcb_screen_next(&screen))
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth))
            for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem; xcb_visualtype_next(&visual))
                if (visual.data->visual_id == id) {
                    format.red = visual.data->red_mask;
                    format.green = visual.data->green_mask;
                    format.blue = visual.data->blue_mask;
                    return true;
                }
    return false;
}

// The region's rectangles that lie in [0, size), as the protocol takes them.
std::vector<xcb_rectangle_t> Inside(const QRegion& rgn, const QSize& size)
{
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(std::size_t(rgn.rectCount()));
    for (const QRect& r : rgn) {
        const int left = std::max(r.left(), 0);
        const int top = std::max(r.top(), 0);
        const int right = int(std::min<long long>(r.right() + 1LL, size.width()));
        const int bottom = int(std::min<long long>(r.bottom() + 1LL, size.height()));
        if (left < right && top < bottom)
            rects.push_back({int16_t(left), int16_t(top), uint16_t(right - left), uint16_t(bottom - top)});
    }
    return rects;
}

// An 8-bit channel value scaled to the bits of a mask, in place.
std::uint32_t ToMask(unsigned value, std::uint32_t mask)
{
    if (!mask)
        return 0;
    const int shift = __builtin_ctz(mask);
    const std::uint32_t top = mask >> shift;
    return (std::uint32_t((value * std::uint64_t(top) + 127) / 255) << shift) & mask;
}

} // namespace

std::uint32_t PixelFormat::AlphaMask() const
{
    const std::uint32_t all = depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
    return all & ~(red | green | blue);
}

std::uint32_t PixelFormat::FromArgb(QRgb argb) const
{
    return ToMask(qAlpha(argb), AlphaMask()) | ToMask(qRed(argb), red) | ToMask(qGreen(argb), green)
           | ToMask(qBlue(argb), blue);
}

ServerPixmap::~ServerPixmap() { Release(); }

void ServerPixmap::Release()
{
    xcb_connection_t* c = Connection();
    if (c && m_gc)
        xcb_free_gc(c, m_gc);
    if (c && m_pixmap)
        xcb_free_pixmap(c, m_pixmap);
    m_gc = 0;
    m_pixmap = 0;
    m_window = 0;
}

bool ServerPixmap::Create(unsigned long window, const QSize& size)
{
    Release();
    xcb_connection_t* c = Connection();
    if (!c || !window || size.isEmpty() || size.width() > 0x7FFF || size.height() > 0x7FFF)
        return false;
    const auto w = xcb_window_t(window);
    auto geometry = Own(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
    auto attributes = Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
    PixelFormat format;
    if (!geometry || !attributes || !FindVisual(c, attributes->visual, format))
        return false;
    format.depth = geometry->depth;

    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    if (!CheckNow(
            c,
            xcb_create_pixmap_checked(c, geometry->depth, pixmap, w, uint16_t(size.width()), uint16_t(size.height())),
            "CreatePixmap"))
        return false;
    const xcb_gcontext_t gc = xcb_generate_id(c);
    // Copies to the window need no notice of what they could not copy.
    const uint32_t values[] = {0, 0};
    if (!CheckNow(c, xcb_create_gc_checked(c, gc, pixmap, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, values),
                  "CreateGC")) {
        xcb_free_pixmap(c, pixmap);
        return false;
    }
    m_window = window;
    m_pixmap = pixmap;
    m_gc = gc;
    m_foreground = 0;
    m_size = size;
    m_format = format;
    return true;
}

void ServerPixmap::Fill(const QRegion& rgn, std::uint32_t pixel)
{
    xcb_connection_t* c = Connection();
    if (!c || !m_pixmap)
        return;
    const std::vector<xcb_rectangle_t> rects = Inside(rgn, m_size);
    if (rects.empty())
        return;
    if (pixel != m_foreground) {
        Check(c, xcb_change_gc_checked(c, m_gc, XCB_GC_FOREGROUND, &pixel), "ChangeGC");
        m_foreground = pixel;
    }
    for (std::size_t i = 0; i < rects.size(); i += kRectsPerRequest)
        Check(c,
              xcb_poly_fill_rectangle_checked(c, m_pixmap, m_gc, uint32_t(std::min(kRectsPerRequest, rects.size() - i)),
                                              rects.data() + i),
              "PolyFillRectangle");
}

void ServerPixmap::CopyToWindow(const QRegion& rgn)
{
    xcb_connection_t* c = Connection();
    if (!c || !m_pixmap)
        return;
    for (const xcb_rectangle_t& r : Inside(rgn, m_size))
        Check(c,
              xcb_copy_area_checked(c, m_pixmap, xcb_window_t(m_window), m_gc, r.x, r.y, r.x, r.y, r.width, r.height),
              "CopyArea");
    Flush(c);
}

} // namespace platform::x11
