#include "config/PageHour.h"

#include "app/ClockApp.h"
#include "res/Templates.h"

const CPartPage::Descriptor CPageHour::kPart = {res::IDD_PAGE_HOUR,        "Hour hand",
                                                res::hour::IDC_FILL_COLOR, res::hour::IDC_LINE_COLOR,
                                                res::hour::IDC_WIDTH,      &CClockApp::m_crHourFill,
                                                &CClockApp::m_crHourFrame, &CClockApp::m_nHourWidth};

CPageHour::CPageHour(QWidget* parent) : CPartPage(kPart, parent) {}
