#pragma once
// Tight loops over 32-bit pixels, for the few places that touch every pixel
// of a frame.

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

// n pixels from p on set to v.
inline void FillPixels(std::uint32_t* p, std::ptrdiff_t n, std::uint32_t v)
{
    std::ptrdiff_t i = 0;
#if defined(__SSE2__)
    const __m128i v4 = _mm_set1_epi32(int(v));
    for (; i + 16 <= n; i += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v4);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 4), v4);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 8), v4);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 12), v4);
    }
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v4);
#endif
    for (; i < n; ++i)
        p[i] = v;
}

} // namespace platform
