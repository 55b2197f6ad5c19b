#include "config/PageGeom.h"

#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageGeom::CPageGeom(QWidget* parent) : CPropertyPage(res::IDD_PAGE_GEOM, parent) {}

void CPageGeom::DoDataExchange()
{
    DDX_Control(1004, m_sliderSize);
    DDX_Control(1003, m_sliderWidth);
    DDX_Control(1005, m_sliderX);
    DDX_Control(1002, m_sliderY);
}
