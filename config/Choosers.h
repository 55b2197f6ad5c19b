#pragma once
// The colour and font choosers the pages open, behind one seam: the program
// uses the desktop's dialogs, tests put in their own answers so that no modal
// dialog ever opens under a test.

#include <cstdint>
#include <memory>

#include <QString>

#include "platform/WinTypes.h"

// What the font chooser opens on and hands back: the face, weight and italic
// of a logical font; nothing else (the date's size is derived from the face).
struct CHOSENFONT {
    QString strFaceName;
    int lfWeight = 0;           // 0..1000, 400 normal, 700 bold
    std::uint8_t lfItalic = 0;  // non-zero: italic
};

class IChoosers {
public:
    virtual ~IChoosers() = default;

    // Opens the colour chooser fully expanded with initial selected; true and
    // *out set when the user confirmed, false (and *out untouched) otherwise.
    virtual bool ChooseColor(COLORREF initial, COLORREF* out) = 0;
    // Opens the font chooser (scalable fonts only) on font; true and font
    // replaced by the choice when the user confirmed.
    virtual bool ChooseFont(CHOSENFONT& font) = 0;
};

// The choosers in force; the desktop's unless a test replaced them.
IChoosers& Choosers();
// Puts choosers in force (nullptr: the desktop's again); returns the previous
// replacement, if any.
std::unique_ptr<IChoosers> SetChoosers(std::unique_ptr<IChoosers> choosers);
