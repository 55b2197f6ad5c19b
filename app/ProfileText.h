#pragma once
// The text forms of stored numbers: integers as signed decimal text, colours
// as hexadecimal text. Shared by both stores and by loading and saving.

#include <optional>

#include <QString>
#include <QStringView>

#include "platform/WinTypes.h"

namespace profile {

// A signed decimal number at the start of the text: leading blanks and a sign
// are allowed, the number ends at the first non-digit and saturates to the int
// range. A text without digits gives def.
int ParseInt(QStringView text, int def);

// Hexadecimal in, as the C library's "%lx" conversion reads it: leading blanks,
// an optional sign and 0x or 0X prefix, digits of either case, up to the first
// non-hex digit. Values beyond 32 bits saturate to 0xFFFFFFFF. Nothing when no
// digit converts.
std::optional<COLORREF> ParseColor(QStringView text);

// Lowercase hexadecimal without prefix or leading zeros ("%lx"): 0 is "0".
QString FormatColor(COLORREF color);

} // namespace profile
