#pragma once
// Every stored setting in one table: where it lives in the store, which member
// holds it, its default and the check loading applies. Loading and saving both
// walk this table; its order is the order in which settings are written.

#include <array>
#include <variant>

#include "app/ClockApp.h"

namespace settings {

// Defaults that are not a fixed value but depend on the screen or on state.
enum class DefaultRule {
    Fixed,
    // On the primary screen's area without panels:
    ScreenSide,  // the smaller side: the height when width >= height
    CentredLeft, // its left + (width - size) / 2, truncated, at least its left
    ScreenTop,   // its top
    Current,     // the member's value when loading starts
};

enum class LoadCheck {
    None,
    ColorOrWhite, // above 0xFFFFFF: white
    ColorOrRed,   // above 0xFFFFFF: pure red
    Width,        // outside 0..30: 2
    FaceName,     // cut to the length a font's face name can have
};

using IntMember = int CClockApp::*;
using ColorMember = COLORREF CClockApp::*;
using TextMember = QString CClockApp::*;

struct Setting {
    const char* section;
    const char* key;
    std::variant<IntMember, ColorMember, TextMember> member;
    long long def = 0;             // integers and colours
    const char* defText = nullptr; // texts
    DefaultRule rule = DefaultRule::Fixed;
    LoadCheck check = LoadCheck::None;
};

constexpr int kMaxWidth = 30;
constexpr int kBadWidthReplacement = 2;
constexpr int kMaxFaceNameLength = 31;

extern const std::array<Setting, 34> kSettings;

// Index in kSettings of each Geometry key, read Top, Size, Left: the default
// for Left needs the size just loaded.
constexpr int kLeft = 0;
constexpr int kTop = 1;
constexpr int kSize = 2;
constexpr int kFirstAfterGeometry = 3;

} // namespace settings
