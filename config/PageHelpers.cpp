#include "config/PageHelpers.h"

#include "app/ClockApp.h"
#include "app/ClockWindow.h"
#include "config/SliderCtrl.h"

namespace pages {

bool ActsOn(int nSBCode)
{
    switch (nSBCode) {
    case TB_LINEUP:
    case TB_LINEDOWN:
    case TB_PAGEUP:
    case TB_PAGEDOWN:
    case TB_THUMBTRACK:
    case TB_ENDTRACK:
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

} // namespace pages
