#include "config/PageSecs.h"

#include "app/ClockApp.h"
#include "res/Templates.h"

const CPartPage::Descriptor CPageSecs::kPart = {res::IDD_PAGE_SECS,           "Seconds hand",
                                                res::seconds::IDC_FILL_COLOR, res::seconds::IDC_LINE_COLOR,
                                                res::seconds::IDC_WIDTH,      &CClockApp::m_crSecondsFill,
                                                &CClockApp::m_crSecondsFrame, &CClockApp::m_nSecondsWidth,
                                                res::seconds::IDC_SHOW,       &CClockApp::m_bShowSeconds,
                                                res::seconds::IDC_GRP_COLORS, res::seconds::IDC_GRP_WIDTH};

CPageSecs::CPageSecs(QWidget* parent) : CPartPage(kPart, parent) {}
