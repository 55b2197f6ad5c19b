#include "config/PageSecs.h"

#include <QCheckBox>
#include <QGroupBox>

#include "config/ColorButton.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageSecs::CPageSecs(QWidget* parent) : CPropertyPage(res::IDD_PAGE_SECS, parent) {}

void CPageSecs::DoDataExchange()
{
    DDX_Control(1054, m_grpWidth);
    DDX_Control(1051, m_btnLineColor);
    DDX_Control(1048, m_btnFillColor);
    DDX_Control(1053, m_grpColors);
    DDX_Control(1046, m_chkShow);
    DDX_Control(1049, m_sliderWidth);
}
