#include "config/PageDial.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include "config/ColorButton.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageDial::CPageDial(QWidget* parent) : CPropertyPage(res::IDD_PAGE_DIAL, parent) {}

void CPageDial::DoDataExchange()
{
    DDX_Control(1026, m_sliderWidth);
    DDX_Control(1027, m_grpWidth);
    DDX_Control(1034, m_stcHint);
    DDX_Control(1033, m_btnBackColor);
    DDX_Control(1035, m_grpBackground);
    DDX_Control(1032, m_btnLineColor);
    DDX_Control(1031, m_btnFillColor);
    DDX_Control(1028, m_grpColors);
    DDX_Control(1024, m_chkShow);
}
