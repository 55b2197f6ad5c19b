#pragma once
// The dialog templates of the configuration window and its eight pages, as
// data: every control with its id, kind, text, style and rectangle in dialog
// units. CDialogBuilder turns a template into widgets.

#include <cstddef>

namespace res {

// Controls the program never addresses share this id and are not looked up.
constexpr int IDC_STATIC = 65535;
// The program's icon, shown by the Misc page.
constexpr int IDR_MAINFRAME = 128;

constexpr int IDD_CONFIG = 129;
// The configuration dialog's own controls.
constexpr int IDOK = 1;                // "Dismiss"
constexpr int IDC_CLOSE_CLOCK = 1000;  // "Close Vitrodial"
constexpr int IDC_SHEET_FRAME = 1001;  // where the sheet goes

constexpr int IDD_PAGE_COLOR = 130;
constexpr int IDD_PAGE_DATE = 131;
constexpr int IDD_PAGE_DIAL = 132;
constexpr int IDD_PAGE_GEOM = 133;
constexpr int IDD_PAGE_HOUR = 134;
constexpr int IDD_PAGE_MIN = 135;
constexpr int IDD_PAGE_MISC = 136;
constexpr int IDD_PAGE_SECS = 137;

enum class Kind {
    PushButton,
    CheckBox,     // automatic: toggles itself when clicked
    RadioButton,  // automatic: checking one unchecks the others of its group
    GroupBox,     // a frame with a caption, drawn beneath the controls it frames
    StaticText,
    StaticIcon,   // text holds the icon resource as "#<id>"
    StaticFrame,  // a black rectangle outline, no text
    Slider,
};

// Style flags; each applies to the kinds named beside it.
enum Style : unsigned {
    TabStop = 1u << 0,      // reached with the Tab key
    Group = 1u << 1,        // starts a group (radio buttons: a new exclusive set)
    DefPush = 1u << 2,      // push button: the dialog's default button
    Center = 1u << 3,       // static text, group box caption: centred
    Sunken = 1u << 4,       // static text: sunken border
    StaticEdge = 1u << 5,   // static text, check box: one-pixel sunken edge
    MultiLine = 1u << 6,    // check box: text wraps onto several lines
    VCenter = 1u << 7,      // check box: text centred vertically (left-aligned)
    Vertical = 1u << 8,     // slider: vertical, minimum at the top
    AutoTicks = 1u << 9,    // slider: a tick mark at every tick-frequency step
    TicksTopLeft = 1u << 10 // slider: ticks above (horizontal) or left (vertical)
};

struct ControlTemplate {
    int id;
    Kind kind;
    const char* text;  // nullptr: no text
    unsigned style;
    int x, y, w, h;    // dialog units
};

// Dialog styles of the configuration window's own template.
enum DialogStyle : unsigned {
    DsPopup = 1u << 0,
    DsChild = 1u << 1,
    DsCaption = 1u << 2,
    DsModalFrame = 1u << 3,
    DsSysMenu = 1u << 4,  // absent: no system menu and so no close box
};

struct DialogTemplate {
    int id;
    const char* caption;
    int cx, cy;             // client size, dialog units
    unsigned style;         // DialogStyle flags
    const char* fontFace;   // the font the template asks for
    int fontPoints;
    const ControlTemplate* controls;
    std::size_t count;
};

// nullptr for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

} // namespace res
