#include "config/PageMin.h"

#include "app/ClockApp.h"
#include "config/ColorButton.h"
#include "config/PageHelpers.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageMin::CPageMin(QWidget* parent) : CPropertyPage(res::IDD_PAGE_MIN, parent) {}

void CPageMin::DoDataExchange()
{
    DDX_Control(1046, m_btnLineColor);
    DDX_Control(1045, m_btnFillColor);
    DDX_Control(1044, m_sliderWidth);
}

BOOL CPageMin::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    connect(m_btnFillColor, &QAbstractButton::clicked, this, &CPageMin::OnFillColor);
    connect(m_btnLineColor, &QAbstractButton::clicked, this, &CPageMin::OnLineColor);

    pages::InitWidthSlider(m_sliderWidth);
    pages::EnableControls({m_btnFillColor, m_btnLineColor, m_sliderWidth}, true);
    m_sliderWidth->SetPos(theApp.m_nMinuteWidth);
    return 1;
}

BOOL CPageMin::OnSetActive()
{
    m_btnFillColor->SetColor(theApp.m_crMinuteFill);
    m_btnLineColor->SetColor(theApp.m_crMinuteFrame);
    m_sliderWidth->SetPos(theApp.m_nMinuteWidth);
    return CPropertyPage::OnSetActive();
}

void CPageMin::OnFillColor() { pages::ChooseColor(theApp.m_crMinuteFill, m_btnFillColor); }
void CPageMin::OnLineColor() { pages::ChooseColor(theApp.m_crMinuteFrame, m_btnLineColor); }

void CPageMin::OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar)
{
    pages::OnWidthScroll(nSBCode, pScrollBar, m_sliderWidth, theApp.m_nMinuteWidth);
    CPropertyPage::OnHScroll(nSBCode, nPos, pScrollBar);
}
