#pragma once
// What every page that edits the settings shares: the slider codes it acts
// on and the thickest line a slider offers. (A change itself goes through
// theApp.SettingsChanged.)

namespace pages {

// The thickest line the sliders offer. The store accepts thicker ones; such a
// value stays until the slider is moved.
constexpr int kMaxLineWidth = 12;

// The slider notifications the pages act on. TB_THUMBPOSITION, TB_TOP and
// TB_BOTTOM are left alone: the TB_ENDTRACK that follows each of them applies
// the position.
bool ActsOn(int nSBCode);

} // namespace pages
