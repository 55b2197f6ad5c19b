#include "clock/LayeredImage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Pixels.h"
#include "platform/Region.h"

namespace {

// Eight pixels, one per 32-bit lane: the widest vector AVX2 has.
typedef std::uint32_t Lanes __attribute__((vector_size(32)));

} // namespace

// Written once as vector arithmetic: the compiler makes it of whatever the
// processor has, and the loader picks the widest form at start.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_ADDRESS__)
__attribute__((target_clones("avx2", "default")))
#endif
void LayeredPixels(const QRgb* src, QRgb* dst, int n, QRgb key, unsigned a)
{
    constexpr int kLanes = int(sizeof(Lanes) / sizeof(QRgb));
    key |= 0xFF000000u;
    a &= 0xFFu;
    for (int x = 0; x < n; x += kLanes) {
        // The last few pixels go through the same arithmetic in a padded block.
        const bool whole = n - x >= kLanes;
        const std::size_t bytes = whole ? sizeof(Lanes) : std::size_t(n - x) * sizeof(QRgb);
        Lanes p = {};
        if (whole)
            std::memcpy(&p, src + x, sizeof p);
        else
            std::memcpy(&p, src + x, bytes);
        // Each channel c becomes (c*a + (c*a >> 8) + 0x80) >> 8, exactly as
        // qPremultiply rounds; the opaque key becomes 0.
        p |= 0xFF000000u;
        const Lanes keep = ~reinterpret_cast<Lanes>(p == key);
        const Lanes r = ((p >> 16) & 0xFFu) * a, g = ((p >> 8) & 0xFFu) * a, b = (p & 0xFFu) * a;
        p = (a << 24) | (((r + (r >> 8) + 0x80u) >> 8) << 16) | (((g + (g >> 8) + 0x80u) >> 8) << 8)
            | ((b + (b >> 8) + 0x80u) >> 8);
        p &= keep;
        if (whole)
            std::memcpy(dst + x, &p, sizeof p);
        else
            std::memcpy(dst + x, &p, bytes);
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
