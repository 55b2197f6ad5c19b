#include "config/PageDial.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include "app/ClockApp.h"
#include "config/ColorButton.h"
#include "config/PageHelpers.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageDial::CPageDial(QWidget* parent) : CPropertyPage(res::IDD_PAGE_DIAL, parent) {}

void CPageDial::DoDataExchange()
{
    DDX_Control(1026, m_sliderWidth);
    DDX_Control(1027, m_grpWidth);
    DDX_Control(1034, m_stcHint);
    DDX_Control(1033, m_btnBackColor);
    DDX_Control(1035, m_grpBackground);
    DDX_Control(1032, m_btnLineColor);
    DDX_Control(1031, m_btnFillColor);
    DDX_Control(1028, m_grpColors);
    DDX_Control(1024, m_chkShow);
}

BOOL CPageDial::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    connect(m_chkShow, &QAbstractButton::clicked, this, &CPageDial::OnShowDial);
    connect(m_btnBackColor, &QAbstractButton::clicked, this, &CPageDial::OnBackgroundColor);
    connect(m_btnFillColor, &QAbstractButton::clicked, this, &CPageDial::OnFillColor);
    connect(m_btnLineColor, &QAbstractButton::clicked, this, &CPageDial::OnLineColor);

    pages::InitWidthSlider(m_sliderWidth);
    UpdateControls();
    return 1;
}

BOOL CPageDial::OnSetActive()
{
    m_btnBackColor->SetColor(theApp.m_crDialBackground);
    m_btnFillColor->SetColor(theApp.m_crDialFill);
    m_btnLineColor->SetColor(theApp.m_crDialFrame);
    m_sliderWidth->SetPos(theApp.m_nDialWidth);
    return CPropertyPage::OnSetActive();
}

void CPageDial::UpdateControls()
{
    const bool show = theApp.m_bShowDial != 0;
    m_chkShow->setChecked(show);
    pages::EnableControls({m_grpColors, m_btnFillColor, m_btnLineColor, m_grpWidth, m_sliderWidth}, show);
    if (show)
        m_sliderWidth->SetPos(theApp.m_nDialWidth);
}

void CPageDial::OnShowDial()
{
    if (pages::FollowCheck(m_chkShow, theApp.m_bShowDial))
        UpdateControls();
}

void CPageDial::OnBackgroundColor() { pages::ChooseColor(theApp.m_crDialBackground, m_btnBackColor); }
void CPageDial::OnFillColor() { pages::ChooseColor(theApp.m_crDialFill, m_btnFillColor); }
void CPageDial::OnLineColor() { pages::ChooseColor(theApp.m_crDialFrame, m_btnLineColor); }

void CPageDial::OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar)
{
    pages::OnWidthScroll(nSBCode, pScrollBar, m_sliderWidth, theApp.m_nDialWidth);
    CPropertyPage::OnHScroll(nSBCode, nPos, pScrollBar);
}
