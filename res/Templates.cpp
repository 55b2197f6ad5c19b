#include "res/Templates.h"

#include <iterator>

namespace res {
namespace {

constexpr const char* kFont = "MS Sans Serif";
constexpr int kFontPoints = 8;

constexpr unsigned kHTrackbar = AutoTicks | TicksTopLeft;

// Configuration dialog: the sheet stands where the black frame 1001 is.
constexpr ControlTemplate kConfig[] = {
    {IDOK, Kind::PushButton, "Dismiss", DefPush | TabStop, 140, 167, 74, 16},
    {IDC_CLOSE_CLOCK, Kind::PushButton, "Close Vitrodial", TabStop, 29, 167, 74, 16},
    {IDC_SHEET_FRAME, Kind::StaticFrame, nullptr, 0, 3, 7, 236, 150},
};

constexpr ControlTemplate kColors[] = {
    {colors::IDC_OPACITY, Kind::Slider, nullptr, kHTrackbar | TabStop, 15, 22, 196, 23},
    {colors::IDC_CLEAR, Kind::PushButton, "Select...", TabStop, 28, 68, 56, 15},
    {colors::IDC_FILL_COLOR, Kind::PushButton, "Fill Color...", TabStop, 138, 78, 66, 15},
    {colors::IDC_LINE_COLOR, Kind::PushButton, "Line Color...", TabStop, 138, 103, 66, 15},
    {IDC_STATIC, Kind::GroupBox, "Opacity", Center, 7, 5, 214, 45},
    {IDC_STATIC, Kind::StaticText, "Transparent", 0, 11, 12, 44, 11},
    {IDC_STATIC, Kind::StaticText, "Opaque", 0, 185, 12, 32, 11},
    {IDC_STATIC, Kind::GroupBox, "Clear Color", 0, 9, 57, 96, 75},
    {IDC_STATIC, Kind::GroupBox, "Reset All Colors!", 0, 124, 58, 96, 75},
    {IDC_STATIC, Kind::StaticText,
     "Clear Color will appear transparent in program. Change if you require use of current Clear Color.",
     Center | Sunken, 16, 91, 82, 36},
};

constexpr ControlTemplate kDate[] = {
    {date::IDC_SHOW, Kind::CheckBox, "Show Day Date", StaticEdge | TabStop, 17, 8, 81, 14},
    {date::IDC_FONT, Kind::PushButton, "Font Select...", TabStop, 141, 18, 61, 15},
    {date::IDC_FILL_COLOR, Kind::PushButton, "Fill Color...", TabStop, 35, 43, 64, 14},
    {date::IDC_LINE_COLOR, Kind::PushButton, "Line Color...", TabStop, 35, 65, 64, 14},
    {date::IDC_DAY, Kind::CheckBox, "Show Day", TabStop, 140, 42, 72, 13},
    {date::IDC_MONTH, Kind::CheckBox, "Show Month", TabStop, 140, 56, 72, 13},
    {date::IDC_AMPM, Kind::CheckBox, "Show AM/PM", TabStop, 140, 70, 72, 13},
    {date::IDC_BOX, Kind::CheckBox, "Enclose in box", TabStop, 140, 84, 72, 13},
    {date::IDC_WIDTH, Kind::Slider, nullptr, kHTrackbar | TabStop, 22, 106, 188, 20},
    {date::IDC_GRP_WIDTH, Kind::GroupBox, "Date Line Thickness", 0, 13, 97, 205, 35},
    {date::IDC_GRP_COLORS, Kind::GroupBox, "Date Colors", 0, 13, 28, 107, 60},
    {date::IDC_GRP_FONT, Kind::GroupBox, "Date Font", 0, 131, 6, 88, 34},
};

constexpr ControlTemplate kDial[] = {
    {dial::IDC_SHOW, Kind::CheckBox, "Show Dial", StaticEdge | TabStop, 23, 7, 74, 15},
    {dial::IDC_BACK_COLOR, Kind::PushButton, "Select Color...", TabStop, 143, 26, 57, 17},
    {dial::IDC_FILL_COLOR, Kind::PushButton, "Fill Color...", TabStop, 32, 39, 69, 15},
    {dial::IDC_LINE_COLOR, Kind::PushButton, "Line Color...", TabStop, 32, 63, 69, 15},
    {dial::IDC_WIDTH, Kind::Slider, nullptr, kHTrackbar | TabStop, 17, 106, 195, 21},
    {dial::IDC_GRP_BACKGROUND, Kind::GroupBox, "Background Color", 0, 125, 9, 95, 79},
    {dial::IDC_GRP_COLORS, Kind::GroupBox, "Dial Color", 0, 10, 27, 109, 61},
    {dial::IDC_GRP_WIDTH, Kind::GroupBox, "Dial Lines Thickness", 0, 10, 97, 210, 35},
    {dial::IDC_HINT, Kind::StaticText, "Typically set to match Clear Color for a transparent dial.",
     Center | StaticEdge, 134, 52, 77, 28},
};

constexpr ControlTemplate kGeometry[] = {
    {geometry::IDC_X, Kind::Slider, nullptr, kHTrackbar | TabStop, 17, 20, 148, 19},
    {geometry::IDC_Y, Kind::Slider, nullptr, Vertical | AutoTicks | TicksTopLeft | TabStop, 187, 13, 27, 113},
    {geometry::IDC_SIZE, Kind::Slider, nullptr, kHTrackbar | TabStop, 17, 63, 148, 19},
    {geometry::IDC_WIDTH, Kind::Slider, nullptr, kHTrackbar | TabStop, 17, 106, 148, 19},
    {IDC_STATIC, Kind::GroupBox, "Y Pos", Center, 181, 5, 39, 126},
    {IDC_STATIC, Kind::GroupBox, "X Position", Center, 11, 10, 160, 35},
    {IDC_STATIC, Kind::GroupBox, "Clock Size", Center, 11, 53, 160, 35},
    {IDC_STATIC, Kind::GroupBox, "Reset All Line Thicknesses!", Center, 11, 96, 160, 35},
};

constexpr ControlTemplate kHour[] = {
    {hour::IDC_FILL_COLOR, Kind::PushButton, "Fill Color...", TabStop, 78, 26, 77, 16},
    {hour::IDC_LINE_COLOR, Kind::PushButton, "Line Color...", TabStop, 78, 50, 77, 16},
    {hour::IDC_WIDTH, Kind::Slider, nullptr, kHTrackbar | TabStop, 25, 97, 177, 22},
    {IDC_STATIC, Kind::GroupBox, "Hour Hand Line Thickness", 0, 18, 84, 192, 43},
    {IDC_STATIC, Kind::GroupBox, "Hour Hand Colors", 0, 55, 13, 119, 62},
};

constexpr ControlTemplate kMinute[] = {
    {minute::IDC_FILL_COLOR, Kind::PushButton, "Fill Color...", TabStop, 76, 31, 82, 14},
    {minute::IDC_LINE_COLOR, Kind::PushButton, "Line Color...", TabStop, 76, 54, 82, 14},
    {minute::IDC_WIDTH, Kind::Slider, nullptr, kHTrackbar | TabStop, 19, 100, 189, 22},
    {IDC_STATIC, Kind::GroupBox, "Minute Hand Colors", 0, 55, 14, 118, 67},
    {IDC_STATIC, Kind::GroupBox, "Minute Hand Line Thickness", 0, 12, 90, 204, 39},
};

constexpr ControlTemplate kMisc[] = {
    {IDC_STATIC, Kind::StaticIcon, "#128", 0, 35, 7, 20, 20},
    {misc::IDC_VERSION, Kind::StaticText, "Vitrodial Version 2004.11", Group | TabStop, 71, 8, 111, 10},
    {misc::IDC_CONTACT, Kind::StaticText, "vitrodial@tessaline.example", Group | TabStop, 71, 21, 135, 11},
    {misc::IDC_TOPMOST, Kind::CheckBox, "Clock Stays on Top (Keep over other windows)", TabStop | StaticEdge, 31, 34,
     168, 12},
    {misc::IDC_AUTOSTART, Kind::CheckBox, "Start at Login", TabStop | StaticEdge, 31, 48, 168, 12},
    {IDC_STATIC, Kind::GroupBox, "Advanced Options:", 0, 11, 62, 208, 69},
    {IDC_STATIC, Kind::GroupBox, "Save Setting To:", 0, 22, 74, 96, 48},
    {misc::IDC_INIFILE, Kind::RadioButton, "INI File", Group | TabStop, 31, 86, 74, 14},
    {misc::IDC_REGISTRY, Kind::RadioButton, "Per-User Settings", 0, 31, 102, 76, 13},
    {misc::IDC_TRAYICON, Kind::CheckBox,
     "Taskbar/Tray Icon (Without this On, close clock by starting another instance!)",
     MultiLine | VCenter | TabStop | StaticEdge, 131, 73, 79, 47},
};

constexpr ControlTemplate kSeconds[] = {
    {seconds::IDC_SHOW, Kind::CheckBox, "Show Seconds Hand", StaticEdge | TabStop, 69, 7, 91, 12},
    {seconds::IDC_FILL_COLOR, Kind::PushButton, "Fill Color...", TabStop, 73, 35, 84, 15},
    {seconds::IDC_LINE_COLOR, Kind::PushButton, "Line Color...", TabStop, 73, 60, 84, 15},
    {seconds::IDC_WIDTH, Kind::Slider, nullptr, kHTrackbar | TabStop, 19, 103, 193, 21},
    {seconds::IDC_GRP_WIDTH, Kind::GroupBox, "Seconds Hand Line Thickness", 0, 11, 93, 209, 37},
    {seconds::IDC_GRP_COLORS, Kind::GroupBox, "Seconds Hand Colors", 0, 49, 23, 128, 63},
};

template <std::size_t N>
constexpr DialogTemplate Page(int id, const char* caption, const ControlTemplate (&controls)[N])
{
    return {id, caption, 230, 140, DsChild | DsCaption, kFont, kFontPoints, controls, N};
}

constexpr DialogTemplate kTemplates[] = {
    {IDD_CONFIG, "Vitrodial Configuration", 244, 190, DsPopup | DsCaption | DsModalFrame, kFont, kFontPoints, kConfig,
     std::size(kConfig)},
    Page(IDD_PAGE_COLOR, "Colors", kColors),
    Page(IDD_PAGE_DATE, "Date", kDate),
    Page(IDD_PAGE_DIAL, "Dial", kDial),
    Page(IDD_PAGE_GEOM, "Geometry", kGeometry),
    Page(IDD_PAGE_HOUR, "Hour", kHour),
    Page(IDD_PAGE_MIN, "Minute", kMinute),
    Page(IDD_PAGE_MISC, "Misc.", kMisc),
    Page(IDD_PAGE_SECS, "Seconds", kSeconds),
};

} // namespace

const DialogTemplate* FindDialogTemplate(int id)
{
    for (const DialogTemplate& t : kTemplates)
        if (t.id == id)
            return &t;
    return nullptr;
}

} // namespace res
