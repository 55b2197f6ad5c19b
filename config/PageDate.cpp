#include "config/PageDate.h"

#include <cstdint>
#include <utility>

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include "app/ClockApp.h"
#include "config/Choosers.h"
#include "config/ColorButton.h"
#include "config/PageHelpers.h"
#include "config/SliderCtrl.h"
#include "platform/Font.h"
#include "res/Templates.h"

CPageDate::CPageDate(QWidget* parent) : CPropertyPage(res::IDD_PAGE_DATE, parent) {}

void CPageDate::DoDataExchange()
{
    DDX_Control(1024, m_chkMonth);
    DDX_Control(1020, m_chkBox);
    DDX_Control(1019, m_chkAmPm);
    DDX_Control(1018, m_chkDay);
    DDX_Control(1017, m_btnFont);
    DDX_Control(1023, m_grpFont);
    DDX_Control(1010, m_sliderWidth);
    DDX_Control(1021, m_grpWidth);
    DDX_Control(1016, m_btnLineColor);
    DDX_Control(1015, m_btnFillColor);
    DDX_Control(1022, m_grpColors);
    DDX_Control(1012, m_chkShow);
}

BOOL CPageDate::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    connect(m_chkShow, &QAbstractButton::clicked, this, &CPageDate::OnShowDate);
    connect(m_btnFillColor, &QAbstractButton::clicked, this, &CPageDate::OnFillColor);
    connect(m_btnLineColor, &QAbstractButton::clicked, this, &CPageDate::OnLineColor);
    connect(m_btnFont, &QAbstractButton::clicked, this, &CPageDate::OnFontSelect);
    connect(m_chkDay, &QAbstractButton::clicked, this, &CPageDate::OnShowDay);
    connect(m_chkAmPm, &QAbstractButton::clicked, this, &CPageDate::OnShowAmPm);
    connect(m_chkBox, &QAbstractButton::clicked, this, &CPageDate::OnDateBox);
    connect(m_chkMonth, &QAbstractButton::clicked, this, &CPageDate::OnShowMonth);

    pages::InitWidthSlider(m_sliderWidth);
    UpdateControls();
    return 1;
}

BOOL CPageDate::OnSetActive()
{
    m_btnFillColor->SetColor(theApp.m_crDateFill);
    m_btnLineColor->SetColor(theApp.m_crDateFrame);
    m_sliderWidth->SetPos(theApp.m_nDateWidth);
    return CPropertyPage::OnSetActive();
}

void CPageDate::UpdateControls()
{
    const bool show = theApp.m_bShowDate != 0;
    m_chkShow->setChecked(show);
    pages::EnableControls({m_grpColors, m_btnFillColor, m_btnLineColor, m_grpWidth, m_sliderWidth}, show);
    if (show)
        m_sliderWidth->SetPos(theApp.m_nDateWidth);
    pages::EnableControls({m_grpFont, m_btnFont}, show);

    const std::pair<QCheckBox*, BOOL> contents[] = {
        {m_chkDay, theApp.m_bShowDay},
        {m_chkMonth, theApp.m_bShowMonth},
        {m_chkAmPm, theApp.m_bShowAmPm},
        {m_chkBox, theApp.m_bDateBox},
    };
    // Hidden, the boxes keep the marks they showed: the date may be switched
    // on again as it was.
    for (const auto& [box, setting] : contents) {
        box->setEnabled(show);
        if (show)
            box->setChecked(setting == 1);
    }
}

void CPageDate::OnShowDate()
{
    if (pages::FollowCheck(m_chkShow, theApp.m_bShowDate))
        UpdateControls();
}

void CPageDate::OnShowDay() { pages::FollowCheck(m_chkDay, theApp.m_bShowDay); }
void CPageDate::OnShowMonth() { pages::FollowCheck(m_chkMonth, theApp.m_bShowMonth); }
void CPageDate::OnShowAmPm() { pages::FollowCheck(m_chkAmPm, theApp.m_bShowAmPm); }
void CPageDate::OnDateBox() { pages::FollowCheck(m_chkBox, theApp.m_bDateBox); }

void CPageDate::OnFillColor() { pages::ChooseColor(theApp.m_crDateFill, m_btnFillColor); }
void CPageDate::OnLineColor() { pages::ChooseColor(theApp.m_crDateFrame, m_btnLineColor); }

void CPageDate::OnHScroll(int nSBCode, int nPos, CSliderCtrl* pScrollBar)
{
    pages::OnWidthScroll(nSBCode, pScrollBar, m_sliderWidth, theApp.m_nDateWidth);
    CPropertyPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CPageDate::OnFontSelect()
{
    // The chooser opens on what a logical-font record holds: a stored face
    // longer than the record is cut to fit it.
    platform::LOGFONT lf;
    platform::SetFaceName(lf, theApp.m_strFontFace);
    CHOSENFONT font;
    font.strFaceName = QString::fromUtf8(lf.lfFaceName);
    font.lfWeight = theApp.m_nFontWeight;
    font.lfItalic = std::uint8_t(theApp.m_bFontItalic & 0xFF);
    if (!Choosers().ChooseFont(font) || font.strFaceName.isEmpty())
        return;

    // Only face, italic and weight are taken: the date's size follows the
    // face's. The same font chosen again is still stored and drawn.
    theApp.m_strFontFace = font.strFaceName;
    theApp.m_bFontItalic = BOOL(font.lfItalic);
    theApp.m_nFontWeight = font.lfWeight;
    pages::SettingChanged();
}
