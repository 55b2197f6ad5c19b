#pragma once
// How the clock window's pixels are shown: the colour that is fully
// transparent, the alpha of the rest, and whether a compositor blends them
// (without one, every other pixel is opaque).

#include "platform/WinTypes.h"

struct Layering {
    COLORREF crKey = 0;
    int nAlpha = 255;
    bool bBlend = true;

    // Takes the key's low 24 bits and the alpha's low 8; true when anything changed.
    bool Set(COLORREF key, int alpha, bool blend)
    {
        key &= 0x00FFFFFFu;
        alpha &= 0xFF;
        if (key == crKey && alpha == nAlpha && blend == bBlend)
            return false;
        crKey = key;
        nAlpha = alpha;
        bBlend = blend;
        return true;
    }
};
