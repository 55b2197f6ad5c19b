#include "config/PageHour.h"

#include "app/ClockApp.h"
#include "config/ColorButton.h"
#include "config/PageHelpers.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageHour::CPageHour(QWidget* parent) : CPropertyPage(res::IDD_PAGE_HOUR, parent) {}

void CPageHour::DoDataExchange()
{
    DDX_Control(1036, m_sliderWidth);
    DDX_Control(1041, m_btnLineColor);
    DDX_Control(1040, m_btnFillColor);
}

BOOL CPageHour::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    connect(m_btnFillColor, &QAbstractButton::clicked, this, &CPageHour::OnFillColor);
    connect(m_btnLineColor, &QAbstractButton::clicked, this, &CPageHour::OnLineColor);

    pages::InitWidthSlider(m_sliderWidth);
    pages::EnableControls({m_btnFillColor, m_btnLineColor, m_sliderWidth}, true);
    m_sliderWidth->SetPos(theApp.m_nHourWidth);
    return 1;
}

BOOL CPageHour::OnSetActive()
{
    m_btnFillColor->SetColor(theApp.m_crHourFill);
    m_btnLineColor->SetColor(theApp.m_crHourFrame);
    m_sliderWidth->SetPos(theApp.m_nHourWidth);
    return CPropertyPage::OnSetActive();
}

void CPageHour::OnFillColor() { pages::ChooseColor(theApp.m_crHourFill, m_btnFillColor); }
void CPageHour::OnLineColor() { pages::ChooseColor(theApp.m_crHourFrame, m_btnLineColor); }

void CPageHour::OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar)
{
    pages::OnWidthScroll(nSBCode, pScrollBar, m_sliderWidth, theApp.m_nHourWidth);
    CPropertyPage::OnHScroll(nSBCode, nPos, pScrollBar);
}
