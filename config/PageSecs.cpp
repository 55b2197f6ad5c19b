#include "config/PageSecs.h"

#include <QCheckBox>
#include <QGroupBox>

#include "app/ClockApp.h"
#include "config/ColorButton.h"
#include "config/PageHelpers.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageSecs::CPageSecs(QWidget* parent) : CPropertyPage(res::IDD_PAGE_SECS, parent) {}

void CPageSecs::DoDataExchange()
{
    DDX_Control(1054, m_grpWidth);
    DDX_Control(1051, m_btnLineColor);
    DDX_Control(1048, m_btnFillColor);
    DDX_Control(1053, m_grpColors);
    DDX_Control(1046, m_chkShow);
    DDX_Control(1049, m_sliderWidth);
}

BOOL CPageSecs::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    connect(m_chkShow, &QAbstractButton::clicked, this, &CPageSecs::OnShowSeconds);
    connect(m_btnFillColor, &QAbstractButton::clicked, this, &CPageSecs::OnFillColor);
    connect(m_btnLineColor, &QAbstractButton::clicked, this, &CPageSecs::OnLineColor);

    pages::InitWidthSlider(m_sliderWidth);
    UpdateControls();
    return 1;
}

BOOL CPageSecs::OnSetActive()
{
    m_btnFillColor->SetColor(theApp.m_crSecondsFill);
    m_btnLineColor->SetColor(theApp.m_crSecondsFrame);
    m_sliderWidth->SetPos(theApp.m_nSecondsWidth);
    return CPropertyPage::OnSetActive();
}

void CPageSecs::UpdateControls()
{
    const bool show = theApp.m_bShowSeconds != 0;
    m_chkShow->setChecked(show);
    pages::EnableControls({m_grpColors, m_btnFillColor, m_btnLineColor, m_grpWidth, m_sliderWidth}, show);
    if (show)
        m_sliderWidth->SetPos(theApp.m_nSecondsWidth);
}

void CPageSecs::OnShowSeconds()
{
    if (pages::FollowCheck(m_chkShow, theApp.m_bShowSeconds))
        UpdateControls();
}

void CPageSecs::OnFillColor() { pages::ChooseColor(theApp.m_crSecondsFill, m_btnFillColor); }
void CPageSecs::OnLineColor() { pages::ChooseColor(theApp.m_crSecondsFrame, m_btnLineColor); }

void CPageSecs::OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar)
{
    pages::OnWidthScroll(nSBCode, pScrollBar, m_sliderWidth, theApp.m_nSecondsWidth);
    CPropertyPage::OnHScroll(nSBCode, nPos, pScrollBar);
}
