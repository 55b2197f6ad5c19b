#pragma once
// Cutting a text to a length without splitting a character.

#include <QString>
#include <QStringView>

namespace platform {

// The blanks a settings reader trims around a value: the C locale's white space.
inline bool IsBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || (u >= '\t' && u <= '\r');
}

// The longest start of text that has at most maxLength UTF-16 units and, when
// maxUtf8Bytes is not negative, at most that many bytes in UTF-8. A surrogate
// pair stays whole. When something was cut, the blanks the cut leaves at the
// end go too, so that a reader that trims values reads the cut text back as it is.
inline QString CutText(QStringView text, qsizetype maxLength, qsizetype maxUtf8Bytes = -1)
{
    qsizetype units = 0;
    qsizetype bytes = 0;
    while (units < text.size()) {
        const char16_t c = text[units].unicode();
        const bool pair = QChar::isHighSurrogate(c) && units + 1 < text.size() && text[units + 1].isLowSurrogate();
        const qsizetype width = pair ? 2 : 1;
        // A lone surrogate is written as the 3-byte replacement character.
        const qsizetype utf8 = pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (units + width > maxLength || (maxUtf8Bytes >= 0 && bytes + utf8 > maxUtf8Bytes))
            break;
        units += width;
        bytes += utf8;
    }
    if (units == text.size())
        return text.toString();
    while (units > 0 && IsBlank(text[units - 1]))
        --units;
    return text.first(units).toString();
}

} // namespace platform
