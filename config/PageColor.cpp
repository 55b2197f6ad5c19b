#include "config/PageColor.h"

#include "config/ColorButton.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageColor::CPageColor(QWidget* parent) : CPropertyPage(res::IDD_PAGE_COLOR, parent) {}

void CPageColor::DoDataExchange()
{
    DDX_Control(1006, m_btnLineColor);
    DDX_Control(1007, m_btnFillColor);
    DDX_Control(1005, m_btnClear);
    DDX_Control(1004, m_sliderOpacity);
}
