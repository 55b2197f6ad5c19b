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
constexpr int IDOK = 1;               // "Dismiss"
constexpr int IDC_CLOSE_CLOCK = 1000; // "Close Vitrodial"
constexpr int IDC_SHEET_FRAME = 1001; // where the sheet goes

constexpr int IDD_PAGE_COLOR = 130;
constexpr int IDD_PAGE_DATE = 131;
constexpr int IDD_PAGE_DIAL = 132;
constexpr int IDD_PAGE_GEOM = 133;
constexpr int IDD_PAGE_HOUR = 134;
constexpr int IDD_PAGE_MIN = 135;
constexpr int IDD_PAGE_MISC = 136;
constexpr int IDD_PAGE_SECS = 137;

// The controls the program addresses, one namespace per template: the same
// number means different controls on different pages.
namespace colors {
constexpr int IDC_OPACITY = 1004;
constexpr int IDC_CLEAR = 1005;      // "Select..."
constexpr int IDC_LINE_COLOR = 1006; // all five outlines
constexpr int IDC_FILL_COLOR = 1007; // all five fills
} // namespace colors

namespace date {
constexpr int IDC_WIDTH = 1010;
constexpr int IDC_SHOW = 1012; // "Show Day Date"
constexpr int IDC_FILL_COLOR = 1015;
constexpr int IDC_LINE_COLOR = 1016;
constexpr int IDC_FONT = 1017;
constexpr int IDC_DAY = 1018;
constexpr int IDC_AMPM = 1019;
constexpr int IDC_BOX = 1020;
constexpr int IDC_GRP_WIDTH = 1021;
constexpr int IDC_GRP_COLORS = 1022;
constexpr int IDC_GRP_FONT = 1023;
constexpr int IDC_MONTH = 1024;
} // namespace date

namespace dial {
constexpr int IDC_SHOW = 1024;
constexpr int IDC_WIDTH = 1026;
constexpr int IDC_GRP_WIDTH = 1027;
constexpr int IDC_GRP_COLORS = 1028;
constexpr int IDC_FILL_COLOR = 1031;
constexpr int IDC_LINE_COLOR = 1032;
constexpr int IDC_BACK_COLOR = 1033;
constexpr int IDC_HINT = 1034;
constexpr int IDC_GRP_BACKGROUND = 1035;
} // namespace dial

namespace geometry {
constexpr int IDC_Y = 1002;
constexpr int IDC_WIDTH = 1003; // all five thicknesses
constexpr int IDC_SIZE = 1004;
constexpr int IDC_X = 1005;
} // namespace geometry

namespace hour {
constexpr int IDC_WIDTH = 1036;
constexpr int IDC_FILL_COLOR = 1040;
constexpr int IDC_LINE_COLOR = 1041;
} // namespace hour

namespace minute {
constexpr int IDC_WIDTH = 1044;
constexpr int IDC_FILL_COLOR = 1045;
constexpr int IDC_LINE_COLOR = 1046;
} // namespace minute

namespace misc {
constexpr int IDC_TOPMOST = 1006;
constexpr int IDC_TRAYICON = 1007;
constexpr int IDC_INIFILE = 1008;
constexpr int IDC_REGISTRY = 1009;
constexpr int IDC_VERSION = 1055;
constexpr int IDC_CONTACT = 1056;
constexpr int IDC_AUTOSTART = 1057;
} // namespace misc

namespace seconds {
constexpr int IDC_SHOW = 1046;
constexpr int IDC_FILL_COLOR = 1048;
constexpr int IDC_WIDTH = 1049;
constexpr int IDC_LINE_COLOR = 1051;
constexpr int IDC_GRP_COLORS = 1053;
constexpr int IDC_GRP_WIDTH = 1054;
} // namespace seconds

enum class Kind {
    PushButton,
    CheckBox,    // automatic: toggles itself when clicked
    RadioButton, // automatic: checking one unchecks the others of its group
    GroupBox,    // a frame with a caption, drawn beneath the controls it frames
    StaticText,
    StaticIcon,  // text holds the icon resource as "#<id>"
    StaticFrame, // a black rectangle outline, no text
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
    const char* text; // nullptr: no text
    unsigned style;
    int x, y, w, h; // dialog units
};

// Dialog styles of the configuration window's own template.
enum DialogStyle : unsigned {
    DsPopup = 1u << 0,
    DsChild = 1u << 1,
    DsCaption = 1u << 2,
    DsModalFrame = 1u << 3,
    DsSysMenu = 1u << 4, // absent: no system menu and so no close box
};

struct DialogTemplate {
    int id;
    const char* caption;
    int cx, cy;           // client size, dialog units
    unsigned style;       // DialogStyle flags
    const char* fontFace; // the font the template asks for
    int fontPoints;
    const ControlTemplate* controls;
    std::size_t count;
};

// nullptr for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

} // namespace res
