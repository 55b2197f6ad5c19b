#pragma once
// The few value types the program's classes share with the platform they were
// written for: colours laid out 0x00BBGGRR, 32-bit flags, rectangles with
// exclusive right and bottom edges.

#include <cstdint>

#include <QColor>
#include <QRect>

using COLORREF = std::uint32_t;
using BOOL = int;

constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}
constexpr int GetRValue(COLORREF c) { return int(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return int((c >> 16) & 0xFF); }

// 0xAARRGGBB with alpha 255, the layout of QImage::Format_RGB32 pixels.
constexpr std::uint32_t ToQRgb(COLORREF c)
{
    return 0xFF000000u | (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8)
           | std::uint32_t(GetBValue(c));
}
inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    friend bool operator==(const RECT& a, const RECT& b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};
