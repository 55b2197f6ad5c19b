#include "app/ProfileText.h"

#include <climits>
#include <cstdint>

namespace profile {
namespace {

// The C locale's white space, which the C conversions skip.
bool IsBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || (u >= '\t' && u <= '\r');
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The start both C conversions share: white space, then an optional sign.
// Returns whether the sign was a minus; i ends on the first character after.
bool SkipBlanksAndSign(QStringView text, qsizetype& i)
{
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        return text[i++] == u'-';
    return false;
}

} // namespace

int ParseInt(QStringView text, int def)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    const bool negative = SkipBlanksAndSign(text, i);
    if (i >= n || text[i].unicode() < '0' || text[i].unicode() > '9')
        return def;

    // Accumulate as a magnitude, stopping growth once past the int range so a
    // long run of digits cannot overflow.
    const std::int64_t limit = negative ? -std::int64_t(INT_MIN) : INT_MAX;
    std::int64_t value = 0;
    for (; i < n && text[i].unicode() >= '0' && text[i].unicode() <= '9'; ++i) {
        if (value <= limit)
            value = value * 10 + (text[i].unicode() - '0');
    }
    if (value > limit)
        value = limit;
    return int(negative ? -value : value);
}

std::optional<COLORREF> ParseColor(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    const bool negative = SkipBlanksAndSign(text, i);
    // The prefix counts only when a digit follows it; "0x" alone reads as 0.
    if (i + 2 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') && HexDigit(text[i + 2]) >= 0)
        i += 2;
    if (i >= n || HexDigit(text[i]) < 0)
        return std::nullopt;

    std::uint64_t value = 0;
    bool overflow = false;
    for (int d; i < n && (d = HexDigit(text[i])) >= 0; ++i) {
        value = value * 16 + std::uint64_t(d);
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0xFFFFFFFFu;
        }
    }
    if (overflow)
        return COLORREF(0xFFFFFFFFu);
    const auto result = COLORREF(value);
    return negative ? COLORREF(0u - result) : result;
}

QString FormatColor(COLORREF color) { return QString::number(color, 16); }

} // namespace profile
