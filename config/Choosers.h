#pragma once
// The colour and font choosers the pages open, behind one seam: the program
// uses the desktop's dialogs, tests put in their own answers so that no modal
// dialog ever opens under a test.

#include <cstdint>
#include <memory>

#include <QFontDialog>
#include <QString>

#include "platform/WinTypes.h"

// What the font chooser opens on and hands back: the face, weight and italic
// of a logical font; nothing else (the date's size is derived from the face).
struct CHOSENFONT {
    QString strFaceName;
    int lfWeight = 0;          // 0..1000, 400 normal, 700 bold
    std::uint8_t lfItalic = 0; // non-zero: italic
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

// The desktop's font chooser: only what is kept is shown (face, and style for
// weight and italic; no size, effects or writing system). A stored face that
// is not installed is named beside the face the clock draws with instead, and
// OK keeps it unless the user picked another face.
class CFontChooser : public QFontDialog {
    Q_OBJECT
public:
    CFontChooser(const CHOSENFONT& stored, QWidget* parent = nullptr);

    // What OK hands back: the stored font with the chosen weight and italic,
    // and the chosen face where the stored one is installed or another face
    // was picked.
    CHOSENFONT Chosen() const;

private:
    void HideUnkeptChoices();
    void AddNote(const QString& text);

    CHOSENFONT m_stored;
    // The face drawn instead of a stored face that is not installed; empty
    // when the stored face is installed.
    QString m_strFallback;
    bool m_bFacePicked = false;
};

// The choosers in force; the desktop's unless a test replaced them.
IChoosers& Choosers();
// Puts choosers in force (nullptr: the desktop's again); returns the previous
// replacement, if any.
std::unique_ptr<IChoosers> SetChoosers(std::unique_ptr<IChoosers> choosers);
