#pragma once
// What the pages that edit the face (Dial, Seconds, Minute, Hour, Date) have
// in common: a colour button per colour, a thickness slider, show check
// boxes. Every change goes straight into theApp's settings, marks them
// changed and redraws the clock at once; there is no apply step.

#include <initializer_list>

#include "platform/WinTypes.h"

class CColorButton;
class CSliderCtrl;
class QAbstractButton;
class QWidget;

namespace pages {

// The thickest line the sliders offer. The store accepts thicker ones; such a
// value stays until the slider is moved.
constexpr int kMaxLineWidth = 12;

// The slider notifications the pages act on. TB_THUMBPOSITION, TB_TOP and
// TB_BOTTOM are left alone: the TB_ENDTRACK that follows each of them applies
// the position.
bool ActsOn(int nSBCode);

// Marks the settings changed and redraws the clock, when there is one.
void SettingChanged();

// A thickness slider: 0 to kMaxLineWidth with a tick at every value; Page
// Up/Down and clicks in the channel move one step, as the arrow keys do.
void InitWidthSlider(CSliderCtrl* slider);

// The colour button's click: opens the chooser on setting. Only a confirmed
// colour that differs from setting is stored, shown on button and drawn.
void ChooseColor(COLORREF& setting, CColorButton* button);

// A slider notification for the page's thickness slider: the position (read
// from the slider, never taken from the notification) is stored when it
// differs. The thumb's final position, Home and End wait for the end-of-track
// notification that follows them.
void OnWidthScroll(int nSBCode, const CSliderCtrl* pScrollBar, const CSliderCtrl* slider, int& setting);

// A check box's click: setting follows the box only from 1 to 0 or from 0 to
// 1, then is marked and drawn. Any other value (a hand-edited store) is left
// alone. Returns whether the setting changed.
bool FollowCheck(const QAbstractButton* box, BOOL& setting);

// Enables or greys out the controls, in the order given.
void EnableControls(std::initializer_list<QWidget*> controls, bool enable);

} // namespace pages
