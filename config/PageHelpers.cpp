#include "config/PageHelpers.h"

#include <QAbstractButton>

#include "app/ClockApp.h"
#include "config/Choosers.h"
#include "config/ColorButton.h"
#include "config/SliderCtrl.h"
#include "window/ClockDlg.h"

namespace pages {

bool ActsOn(int nSBCode)
{
    switch (nSBCode) {
    case TB_LINEUP: case TB_LINEDOWN: case TB_PAGEUP: case TB_PAGEDOWN: case TB_THUMBTRACK: case TB_ENDTRACK:
        return true;
    default:
        return false;
    }
}

void SettingChanged()
{
    theApp.m_bModified = 1;
    if (theApp.m_pMainWnd)
        theApp.m_pMainWnd->DrawClock();
}

void InitWidthSlider(CSliderCtrl* slider)
{
    slider->SetTicFreq(1);
    slider->SetRange(0, kMaxLineWidth, 1);
    slider->SetPageSize(1);
}

void ChooseColor(COLORREF& setting, CColorButton* button)
{
    COLORREF chosen = setting;
    if (!Choosers().ChooseColor(setting, &chosen) || chosen == setting)
        return;
    setting = chosen;
    button->SetColor(chosen);
    SettingChanged();
}

void OnWidthScroll(int nSBCode, const CSliderCtrl* pScrollBar, const CSliderCtrl* slider, int& setting)
{
    if (pScrollBar != slider || !ActsOn(nSBCode))
        return;
    const int pos = slider->GetPos();
    if (pos == setting)
        return;
    setting = pos;
    SettingChanged();
}

bool FollowCheck(const QAbstractButton* box, BOOL& setting)
{
    const bool checked = box->isChecked();
    if (!checked && setting == 1)
        setting = 0;
    else if (checked && setting == 0)
        setting = 1;
    else
        return false;
    SettingChanged();
    return true;
}

void EnableControls(std::initializer_list<QWidget*> controls, bool enable)
{
    for (QWidget* w : controls)
        w->setEnabled(enable);
}

} // namespace pages
