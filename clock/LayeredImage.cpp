#include "clock/LayeredImage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Pixels.h"
#include "platform/Region.h"

namespace {

// Eight pixels, as 32-bit lanes and as the sixteen 16-bit halves that hold
// their channels in pairs: the widest vector AVX2 has.
typedef std::uint32_t Pixels __attribute__((vector_size(32)));
typedef std::uint16_t Halves __attribute__((vector_size(32)));

} // namespace

// Written once as vector arithmetic: the compiler makes it of whatever the
// processor has, and the loader picks the widest form at start.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_ADDRESS__)
__attribute__((target_clones("avx2", "default")))
#endif
void LayeredPixels(const QRgb* src, QRgb* dst, int n, QRgb key, unsigned a)
{
    constexpr int kLanes = int(sizeof(Pixels) / sizeof(QRgb));
    key |= 0xFF000000u;
    const std::uint16_t alpha = std::uint16_t(a & 0xFFu);
    for (int x = 0; x < n; x += kLanes) {
        // The last few pixels go through the same arithmetic in a padded block.
        const bool whole = n - x >= kLanes;
        const std::size_t bytes = whole ? sizeof(Pixels) : std::size_t(n - x) * sizeof(QRgb);
        Pixels p = {};
        if (whole)
            std::memcpy(&p, src + x, sizeof p);
        else
            std::memcpy(&p, src + x, bytes);
        // The alpha byte made opaque goes through the same rounding to alpha.
        p |= 0xFF000000u;
        // Each channel c becomes (c*a + (c*a >> 8) + 0x80) >> 8, exactly as
        // qPremultiply rounds, in the even and odd bytes of 16-bit halves; the
        // opaque key becomes 0.
        Halves even = reinterpret_cast<Halves>(p) & 0xFF, odd = reinterpret_cast<Halves>(p) >> 8;
        even *= alpha;
        odd *= alpha;
        even = (even + (even >> 8) + 0x80) >> 8;
        odd = (odd + (odd >> 8) + 0x80) >> 8;
        const Pixels out = reinterpret_cast<Pixels>(even | (odd << 8)) & ~reinterpret_cast<Pixels>(p == key);
        if (whole)
            std::memcpy(dst + x, &out, sizeof out);
        else
            std::memcpy(dst + x, &out, bytes);
    }
}

QImage ToLayered(const QImage& face, COLORREF clear, int opacity)
{
    QImage out;
    ToLayered(face, out, clear, opacity);
    return out;
}

void ToLayered(const QImage& face, QImage& out, COLORREF clear, int opacity)
{
    ToLayered(face, out, clear, opacity, face.rect());
}

void ToLayered(const QImage& face, QImage& out, COLORREF clear, int opacity, const QRect& rect)
{
    if (out.size() != face.size() || out.format() != QImage::Format_ARGB32_Premultiplied) {
        out = QImage(face.size(), QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
    }
    if (face.isNull())
        return;
    const bool direct = face.format() == QImage::Format_RGB32 || face.format() == QImage::Format_ARGB32
                        || face.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage source = direct ? face : face.convertToFormat(QImage::Format_RGB32);

    const QRect area = rect.intersected(face.rect());
    if (area.isEmpty())
        return;
    const int width = face.width();
    const int height = face.height();
    const QRgb key = ToQRgb(clear);
    const unsigned alpha = unsigned(opacity) & 0xFFu;
    const int left = area.left();
    const int end = area.right() + 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        const auto span = platform::EllipseRowSpan(0, 0, width, height, y);
        const int x0 = std::clamp(span.first, left, end);
        const int x1 = std::clamp(span.second, x0, end);
        platform::FillPixels(dst + left, x0 - left, 0u);
        LayeredPixels(src + x0, dst + x0, x1 - x0, key, alpha);
        platform::FillPixels(dst + x1, end - x1, 0u);
    }
}
