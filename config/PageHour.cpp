#include "config/PageHour.h"

#include "config/ColorButton.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageHour::CPageHour(QWidget* parent) : CPropertyPage(res::IDD_PAGE_HOUR, parent) {}

void CPageHour::DoDataExchange()
{
    DDX_Control(1036, m_sliderWidth);
    DDX_Control(1041, m_btnLineColor);
    DDX_Control(1040, m_btnFillColor);
}
