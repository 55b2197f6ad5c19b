#include "config/PageMin.h"

#include "config/ColorButton.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageMin::CPageMin(QWidget* parent) : CPropertyPage(res::IDD_PAGE_MIN, parent) {}

void CPageMin::DoDataExchange()
{
    DDX_Control(1046, m_btnLineColor);
    DDX_Control(1045, m_btnFillColor);
    DDX_Control(1044, m_sliderWidth);
}
