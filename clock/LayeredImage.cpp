#include "clock/LayeredImage.h"

#include <algorithm>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "platform/Pixels.h"
#include "platform/Region.h"

namespace {

// The layered value of one face pixel: 0 for the key, otherwise the colour
// at alpha a, premultiplied with exact rounding (as qPremultiply does).
inline QRgb Convert(QRgb p, QRgb key, unsigned a)
{
    p |= 0xFF000000u;
    return p == key ? 0u : qPremultiply((p & 0x00FFFFFFu) | (a << 24));
}

// The vector forms below convert whole blocks of pixels and return how many
// they did; the rest goes through Convert. Each channel c becomes
// (c*a + (c*a >> 8) + 0x80) >> 8, the opaque alpha byte becomes a, and the
// key becomes 0. Faces are mostly runs of one colour, so blocks that repeat
// the last one (at first the key) skip the arithmetic.

#if defined(__SSE2__)
int ConvertBlocksSse2(const QRgb* src, QRgb* dst, int n, QRgb key, unsigned a)
{
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    const __m128i key4 = _mm_set1_epi32(int(key));
    const __m128i a16 = _mm_set1_epi16(short(a));
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i zero = _mm_setzero_si128();
    __m128i lastIn = key4;
    __m128i lastOut = zero;
    int x = 0;
    for (; x + 4 <= n; x += 4) {
        const __m128i p = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x)), opaque);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(p, lastIn)) != 0xFFFF) {
            __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(p, zero), a16);
            __m128i hi = _mm_mullo_epi16(_mm_unpackhi_epi8(p, zero), a16);
            lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), half), 8);
            hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), half), 8);
            lastIn = p;
            lastOut = _mm_andnot_si128(_mm_cmpeq_epi32(p, key4), _mm_packus_epi16(lo, hi));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), lastOut);
    }
    return x;
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
// The same eight pixels at a time, for processors that have AVX2.
__attribute__((target("avx2"))) int ConvertBlocksAvx2(const QRgb* src, QRgb* dst, int n, QRgb key, unsigned a)
{
    const __m256i opaque = _mm256_set1_epi32(int(0xFF000000u));
    const __m256i key8 = _mm256_set1_epi32(int(key));
    const __m256i a16 = _mm256_set1_epi16(short(a));
    const __m256i half = _mm256_set1_epi16(0x80);
    const __m256i zero = _mm256_setzero_si256();
    __m256i lastIn = key8;
    __m256i lastOut = zero;
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m256i p = _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + x)), opaque);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(p, lastIn)) != -1) {
            __m256i lo = _mm256_mullo_epi16(_mm256_unpacklo_epi8(p, zero), a16);
            __m256i hi = _mm256_mullo_epi16(_mm256_unpackhi_epi8(p, zero), a16);
            lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(lo, _mm256_srli_epi16(lo, 8)), half), 8);
            hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(hi, _mm256_srli_epi16(hi, 8)), half), 8);
            lastIn = p;
            lastOut = _mm256_andnot_si256(_mm256_cmpeq_epi32(p, key8), _mm256_packus_epi16(lo, hi));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x), lastOut);
    }
    return x;
}

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// Converts the pixels [0, n).
void ConvertRow(const QRgb* src, QRgb* dst, int n, QRgb key, unsigned a)
{
    int x = 0;
#if defined(__x86_64__) && defined(__GNUC__)
    if (HasAvx2())
        x = ConvertBlocksAvx2(src, dst, n, key, a);
#endif
#if defined(__SSE2__)
    x += ConvertBlocksSse2(src + x, dst + x, n - x, key, a);
#endif
    for (; x < n; ++x)
        dst[x] = Convert(src[x], key, a);
}

} // namespace

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
        ConvertRow(src + x0, dst + x0, x1 - x0, key, alpha);
        platform::FillPixels(dst + x1, end - x1, 0u);
    }
}
