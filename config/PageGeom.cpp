#include "config/PageGeom.h"

#include "app/ClockApp.h"
#include "config/PageHelpers.h"
#include "config/SliderCtrl.h"
#include "platform/MessageBox.h"
#include "res/Templates.h"

namespace {

void SetUp(CSliderCtrl* slider, int nMin, int nMax, int nTicFreq, int nPageSize, int nPos)
{
    slider->SetTicFreq(nTicFreq);
    slider->SetRange(nMin, nMax, 1);
    slider->SetPageSize(nPageSize);
    slider->SetPos(nPos);
}

void SetUp(CSliderCtrl* slider, const layout::Range& range, int nPos)
{
    SetUp(slider, range.min, range.max, range.tic, range.page, nPos);
}

} // namespace

CPageGeom::CPageGeom(QWidget* parent) : CPropertyPage(res::IDD_PAGE_GEOM, parent) {}

void CPageGeom::DoDataExchange()
{
    DDX_Control(res::geometry::IDC_SIZE, m_sliderSize);
    DDX_Control(res::geometry::IDC_WIDTH, m_sliderWidth);
    DDX_Control(res::geometry::IDC_X, m_sliderX);
    DDX_Control(res::geometry::IDC_Y, m_sliderY);
}

BOOL CPageGeom::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    SetRanges();
    CClockApp::WatchScreens(this, [this] { SetRanges(); });
    // The hour hand's thickness stands for all five.
    SetUp(m_sliderWidth, 0, pages::kMaxLineWidth, 1, 1, theApp.m_nHourWidth);
    return 1;
}

void CPageGeom::SetRanges()
{
    const layout::GeometryRanges ranges =
        layout::Ranges(theApp.Screens(), theApp.m_nLeft, theApp.m_nTop, theApp.m_nSize);
    SetUp(m_sliderX, ranges.x, theApp.m_nLeft);
    SetUp(m_sliderY, ranges.y, theApp.m_nTop);
    SetUp(m_sliderSize, ranges.size, theApp.m_nSize);
}

void CPageGeom::OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar)
{
    if (pages::ActsOn(nSBCode)) {
        if (pScrollBar == m_sliderX)
            OnPosition(m_sliderX, theApp.m_nLeft);
        else if (pScrollBar == m_sliderSize)
            OnSize();
        else if (pScrollBar == m_sliderWidth)
            OnWidth();
    }
    CPropertyPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CPageGeom::OnVScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar)
{
    if (pages::ActsOn(nSBCode) && pScrollBar == m_sliderY)
        OnPosition(m_sliderY, theApp.m_nTop);
    CPropertyPage::OnVScroll(nSBCode, nPos, pScrollBar);
}

void CPageGeom::OnPosition(CSliderCtrl* slider, int& setting)
{
    const int pos = slider->GetPos();
    if (pos != setting) {
        setting = pos;
        // A failed move is neither undone nor reported.
        theApp.SettingsChanged(ClockEffect::Place);
    }
    FocusBack(slider);
}

void CPageGeom::OnSize()
{
    const int pos = m_sliderSize->GetPos();
    const int old = theApp.m_nSize;
    if (pos != old) {
        theApp.m_nSize = pos;
        // The clock fits its shape and repaints itself when resized. After a
        // failure the slider keeps its place, so the next notification tries
        // again.
        if (!theApp.SettingsChanged(ClockEffect::Size)) {
            theApp.m_nSize = old;
            AfxMessageBox(QStringLiteral("SetWindowPos failed!"));
        }
    }
    FocusBack(m_sliderSize);
}

void CPageGeom::OnWidth()
{
    // Written and drawn on every notification, changed or not: the five
    // thicknesses may differ, and this makes them one.
    const int pos = m_sliderWidth->GetPos();
    theApp.m_nHourWidth = pos;
    theApp.m_nDateWidth = pos;
    theApp.m_nDialWidth = pos;
    theApp.m_nMinuteWidth = pos;
    theApp.m_nSecondsWidth = pos;
    theApp.SettingsChanged(ClockEffect::Redraw);
}

void CPageGeom::FocusBack(CSliderCtrl* slider)
{
    setFocus();
    slider->setFocus();
}
