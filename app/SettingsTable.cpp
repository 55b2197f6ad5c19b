#include "app/SettingsTable.h"

#include <string_view>

namespace settings {

namespace {

constexpr Setting Int(const char* section, const char* key, int CClockApp::*member, int def,
                      LoadCheck check = LoadCheck::None)
{
    return Setting{section, key, member, def, nullptr, DefaultRule::Fixed, check};
}

constexpr Setting Rule(const char* section, const char* key, int CClockApp::*member, DefaultRule rule)
{
    return Setting{section, key, member, 0, nullptr, rule, LoadCheck::None};
}

constexpr Setting Color(const char* section, const char* key, COLORREF CClockApp::*member, COLORREF def,
                        LoadCheck check)
{
    return Setting{section, key, member, def, nullptr, DefaultRule::Fixed, check};
}

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr LoadCheck kFill = LoadCheck::ColorOrWhite;
constexpr LoadCheck kFrame = LoadCheck::ColorOrRed;
constexpr LoadCheck kWidth = LoadCheck::Width;

} // namespace

constexpr std::array<Setting, 34> kSettings = {{
    Rule("Geometry", "Left", &CClockApp::m_nLeft, DefaultRule::CentredLeft),
    Rule("Geometry", "Top", &CClockApp::m_nTop, DefaultRule::ScreenTop),
    Rule("Geometry", "Size", &CClockApp::m_nSize, DefaultRule::ScreenSide),
    Int("Color", "Opacity", &CClockApp::m_nOpacity, 128),
    Color("Color", "Clear", &CClockApp::m_crClear, kWhite, kFill),
    Color("Dial", "Background", &CClockApp::m_crDialBackground, kWhite, kFill),
    Color("Dial", "Frame", &CClockApp::m_crDialFrame, kBlue, kFrame),
    Color("Dial", "Fill", &CClockApp::m_crDialFill, kWhite, kFill),
    Color("Seconds", "Frame", &CClockApp::m_crSecondsFrame, kBlue, kFrame),
    Color("Seconds", "Fill", &CClockApp::m_crSecondsFill, kWhite, kFill),
    Color("Minute", "Frame", &CClockApp::m_crMinuteFrame, kBlue, kFrame),
    Color("Minute", "Fill", &CClockApp::m_crMinuteFill, kWhite, kFill),
    Color("Hour", "Frame", &CClockApp::m_crHourFrame, kBlue, kFrame),
    Color("Hour", "Fill", &CClockApp::m_crHourFill, kWhite, kFill),
    Color("Date", "Frame", &CClockApp::m_crDateFrame, kBlue, kFrame),
    Color("Date", "Fill", &CClockApp::m_crDateFill, kWhite, kFill),
    Setting{"Font", "Face", &CClockApp::m_strFontFace, 0, "Impact", DefaultRule::Fixed, LoadCheck::FaceName},
    Int("Font", "Italic", &CClockApp::m_bFontItalic, 1),
    Int("Font", "Weight", &CClockApp::m_nFontWeight, 400),
    Int("Dial", "Width", &CClockApp::m_nDialWidth, 2, kWidth),
    Int("Seconds", "Width", &CClockApp::m_nSecondsWidth, 2, kWidth),
    Int("Minute", "Width", &CClockApp::m_nMinuteWidth, 2, kWidth),
    Int("Hour", "Width", &CClockApp::m_nHourWidth, 2, kWidth),
    Int("Date", "Width", &CClockApp::m_nDateWidth, 2, kWidth),
    Int("Seconds", "Show", &CClockApp::m_bShowSeconds, 1),
    Int("Date", "Show", &CClockApp::m_bShowDate, 1),
    Int("Date", "Month", &CClockApp::m_bShowMonth, 0),
    Int("Date", "Day", &CClockApp::m_bShowDay, 1),
    Int("Date", "AMPM", &CClockApp::m_bShowAmPm, 1),
    Int("Dial", "Show", &CClockApp::m_bShowDial, 1),
    Int("Misc", "TopMost", &CClockApp::m_bTopMost, 1),
    Int("Date", "Box", &CClockApp::m_bDateBox, 0),
    Rule("Misc", "IniFile", &CClockApp::m_bIniFile, DefaultRule::Current),
    Int("Misc", "TrayIcon", &CClockApp::m_bTrayIcon, 1),
}};

static_assert(std::string_view(kSettings[kLeft].key) == "Left");
static_assert(std::string_view(kSettings[kTop].key) == "Top");
static_assert(std::string_view(kSettings[kSize].key) == "Size");
static_assert(std::string_view(kSettings[kFirstAfterGeometry].section) != "Geometry");

} // namespace settings
