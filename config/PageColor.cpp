#include "config/PageColor.h"

#include <initializer_list>

#include "app/ClockApp.h"
#include "config/Choosers.h"
#include "config/ColorButton.h"
#include "config/PageHelpers.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

namespace {

constexpr int kMaxOpacity = 255;
constexpr int kOpacityTicFreq = 51;
constexpr int kOpacityPageSize = 25;

// One colour for all five parts, written whether or not it differs.
void SetAll(COLORREF color, std::initializer_list<COLORREF*> targets)
{
    for (COLORREF* target : targets)
        *target = color;
}

} // namespace

CPageColor::CPageColor(QWidget* parent) : CPropertyPage(res::IDD_PAGE_COLOR, parent) {}

void CPageColor::DoDataExchange()
{
    DDX_Control(res::colors::IDC_LINE_COLOR, m_btnLineColor);
    DDX_Control(res::colors::IDC_FILL_COLOR, m_btnFillColor);
    DDX_Control(res::colors::IDC_CLEAR, m_btnClear);
    DDX_Control(res::colors::IDC_OPACITY, m_sliderOpacity);
}

BOOL CPageColor::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    connect(m_btnClear, &QAbstractButton::clicked, this, &CPageColor::OnSelectClear);
    connect(m_btnFillColor, &QAbstractButton::clicked, this, &CPageColor::OnFillColor);
    connect(m_btnLineColor, &QAbstractButton::clicked, this, &CPageColor::OnLineColor);
    m_btnClear->setAccessibleName(QStringLiteral("Clear colour"));
    m_btnFillColor->setAccessibleName(QStringLiteral("Fill colour of all parts"));
    m_btnLineColor->setAccessibleName(QStringLiteral("Line colour of all parts"));

    m_sliderOpacity->SetTicFreq(kOpacityTicFreq);
    m_sliderOpacity->SetRange(0, kMaxOpacity, 1);
    m_sliderOpacity->SetPageSize(kOpacityPageSize);
    m_sliderOpacity->SetPos(theApp.m_nOpacity);
    return 1;
}

BOOL CPageColor::OnSetActive()
{
    m_btnClear->SetColor(theApp.m_crClear);
    m_btnFillColor->SetColor(theApp.m_crHourFill);
    m_btnLineColor->SetColor(theApp.m_crHourFrame);
    return CPropertyPage::OnSetActive();
}

void CPageColor::OnSelectClear()
{
    COLORREF chosen = 0;
    if (!Choosers().ChooseColor(theApp.m_crClear, &chosen) || chosen == theApp.m_crClear)
        return;
    theApp.m_crClear = chosen;
    // The window takes the new key at once; the face is then drawn with it.
    theApp.SettingsChanged(ClockEffect::Layering);
    m_btnClear->SetColor(chosen);
    theApp.SettingsChanged(ClockEffect::Redraw);
}

void CPageColor::OnFillColor()
{
    COLORREF chosen = 0;
    if (!Choosers().ChooseColor(theApp.m_crHourFill, &chosen))
        return;
    SetAll(chosen, {&theApp.m_crDateFill, &theApp.m_crDialFill, &theApp.m_crHourFill, &theApp.m_crMinuteFill,
                    &theApp.m_crSecondsFill});
    m_btnFillColor->SetColor(chosen);
    theApp.SettingsChanged(ClockEffect::Redraw);
}

void CPageColor::OnLineColor()
{
    COLORREF chosen = 0;
    if (!Choosers().ChooseColor(theApp.m_crHourFrame, &chosen))
        return;
    SetAll(chosen, {&theApp.m_crDateFrame, &theApp.m_crDialFrame, &theApp.m_crHourFrame, &theApp.m_crMinuteFrame,
                    &theApp.m_crSecondsFrame});
    m_btnLineColor->SetColor(chosen);
    theApp.SettingsChanged(ClockEffect::Redraw);
}

void CPageColor::OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar)
{
    if (pScrollBar == m_sliderOpacity && pages::ActsOn(nSBCode)) {
        const int opacity = m_sliderOpacity->GetPos() & 0xFF;
        if (opacity != theApp.m_nOpacity) {
            theApp.m_nOpacity = opacity;
            // The window blends its current picture anew: no redraw.
            theApp.SettingsChanged(ClockEffect::Layering);
        }
    }
    CPropertyPage::OnHScroll(nSBCode, nPos, pScrollBar);
}
