#include "config/PageDate.h"

#include <cstdint>
#include <utility>

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include "app/ClockApp.h"
#include "config/Choosers.h"
#include "config/PageHelpers.h"
#include "platform/Font.h"
#include "res/Templates.h"

const CPartPage::Descriptor CPageDate::kPart = {res::IDD_PAGE_DATE,        "Date",
                                                res::date::IDC_FILL_COLOR, res::date::IDC_LINE_COLOR,
                                                res::date::IDC_WIDTH,      &CClockApp::m_crDateFill,
                                                &CClockApp::m_crDateFrame, &CClockApp::m_nDateWidth,
                                                res::date::IDC_SHOW,       &CClockApp::m_bShowDate,
                                                res::date::IDC_GRP_COLORS, res::date::IDC_GRP_WIDTH};

CPageDate::CPageDate(QWidget* parent) : CPartPage(kPart, parent) {}

void CPageDate::DoDataExchange()
{
    CPartPage::DoDataExchange();
    DDX_Control(res::date::IDC_MONTH, m_chkMonth);
    DDX_Control(res::date::IDC_BOX, m_chkBox);
    DDX_Control(res::date::IDC_AMPM, m_chkAmPm);
    DDX_Control(res::date::IDC_DAY, m_chkDay);
    DDX_Control(res::date::IDC_FONT, m_btnFont);
    DDX_Control(res::date::IDC_GRP_FONT, m_grpFont);
}

BOOL CPageDate::OnInitDialog()
{
    connect(m_btnFont, &QAbstractButton::clicked, this, &CPageDate::OnFontSelect);
    connect(m_chkDay, &QAbstractButton::clicked, this, &CPageDate::OnShowDay);
    connect(m_chkAmPm, &QAbstractButton::clicked, this, &CPageDate::OnShowAmPm);
    connect(m_chkBox, &QAbstractButton::clicked, this, &CPageDate::OnDateBox);
    connect(m_chkMonth, &QAbstractButton::clicked, this, &CPageDate::OnShowMonth);
    return CPartPage::OnInitDialog();
}

void CPageDate::UpdateControls()
{
    CPartPage::UpdateControls();
    const bool show = theApp.m_bShowDate != 0;
    m_grpFont->setEnabled(show);
    m_btnFont->setEnabled(show);

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

void CPageDate::OnShowDay() { FollowCheck(m_chkDay, theApp.m_bShowDay); }
void CPageDate::OnShowMonth() { FollowCheck(m_chkMonth, theApp.m_bShowMonth); }
void CPageDate::OnShowAmPm() { FollowCheck(m_chkAmPm, theApp.m_bShowAmPm); }
void CPageDate::OnDateBox() { FollowCheck(m_chkBox, theApp.m_bDateBox); }

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
    theApp.SettingsChanged(ClockEffect::Redraw);
}
