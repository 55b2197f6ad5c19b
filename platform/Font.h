#pragma once
// Logical fonts and text as regions, for the date line.

#include <cstdint>
#include <functional>

#include <QFont>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

#include "Region.h"

namespace platform {

constexpr int LF_FACESIZE = 32;

// The fields of a logical-font record the program sets; all others are zero.
struct LOGFONT {
    int lfHeight = 0; // > 0: character cell height (ascent + descent) in pixels
    int lfWeight = 0; // 0..1000, 400 normal, 700 bold; 0 means normal
    std::uint8_t lfItalic = 0;
    char lfFaceName[LF_FACESIZE] = {}; // at most 31 characters and the terminator
};

// Fills lfFaceName from face, cut to 31 characters, always terminated.
void SetFaceName(LOGFONT& lf, const QString& face);

// A font whose cell height (ascent + descent) is lfHeight pixels, as close as
// the font allows without exceeding it; weights outside 1..1000 are clamped.
QFont CreateFontIndirect(const LOGFONT& lf);

// Width = advance width of the whole text, height = ascent + descent.
QSize GetTextExtent(const QFont& font, const QString& text);

// A rectangle that holds every pixel TextToRegion gives for a text of this
// extent at (x, y): its box, widened by an em on every side for letters that
// lean or hang out of it, which no font's do by nearly as much.
QRect TextBounds(const QFont& font, const QSize& extent, int x, int y);

// The text recorded as a path with its top-left corner at (x, y), plus its
// opaque background box (x, y, x + extent), turned into a region by the
// even-odd rule: the box with the letters cut out of it. Only the part inside
// clip (and within, when given) is built (see Region.h); no letter is traced
// when the clip misses the text's bounds.
QRegion TextToRegion(const QFont& font, const QString& text, int x, int y, const QRect& clip = NoClip(),
                     const QRegion* within = nullptr);

// Runs work on a thread of its own and waits for it. Qt keeps the font
// engines, shaping tables and glyph data a thread used in that thread's font
// cache until the thread ends, and laying text out writes tens of KiB of
// stack: text worked out this way leaves neither behind in the process.
void OnPassingThread(const std::function<void()>& work);

} // namespace platform
