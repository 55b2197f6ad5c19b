#include "config/PageDial.h"

#include <QGroupBox>
#include <QLabel>

#include "app/ClockApp.h"
#include "config/ColorButton.h"
#include "res/Templates.h"

const CPartPage::Descriptor CPageDial::kPart = {res::IDD_PAGE_DIAL,        "Dial",
                                                res::dial::IDC_FILL_COLOR, res::dial::IDC_LINE_COLOR,
                                                res::dial::IDC_WIDTH,      &CClockApp::m_crDialFill,
                                                &CClockApp::m_crDialFrame, &CClockApp::m_nDialWidth,
                                                res::dial::IDC_SHOW,       &CClockApp::m_bShowDial,
                                                res::dial::IDC_GRP_COLORS, res::dial::IDC_GRP_WIDTH};

CPageDial::CPageDial(QWidget* parent) : CPartPage(kPart, parent) {}

void CPageDial::DoDataExchange()
{
    CPartPage::DoDataExchange();
    DDX_Control(res::dial::IDC_BACK_COLOR, m_btnBackColor);
    DDX_Control(res::dial::IDC_GRP_BACKGROUND, m_grpBackground);
    DDX_Control(res::dial::IDC_HINT, m_stcHint);
}

BOOL CPageDial::OnInitDialog()
{
    connect(m_btnBackColor, &QAbstractButton::clicked, this, &CPageDial::OnBackgroundColor);
    m_btnBackColor->setAccessibleName(QStringLiteral("Dial background colour"));
    return CPartPage::OnInitDialog();
}

BOOL CPageDial::OnSetActive()
{
    m_btnBackColor->SetColor(theApp.m_crDialBackground);
    return CPartPage::OnSetActive();
}

void CPageDial::OnBackgroundColor() { ChooseColor(theApp.m_crDialBackground, m_btnBackColor); }
