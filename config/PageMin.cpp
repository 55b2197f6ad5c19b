#include "config/PageMin.h"

#include "app/ClockApp.h"
#include "res/Templates.h"

const CPartPage::Descriptor CPageMin::kPart = {res::IDD_PAGE_MIN,           "Minute hand",
                                               res::minute::IDC_FILL_COLOR, res::minute::IDC_LINE_COLOR,
                                               res::minute::IDC_WIDTH,      &CClockApp::m_crMinuteFill,
                                               &CClockApp::m_crMinuteFrame, &CClockApp::m_nMinuteWidth};

CPageMin::CPageMin(QWidget* parent) : CPartPage(kPart, parent) {}
