#include "config/PageDate.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include "config/ColorButton.h"
#include "config/SliderCtrl.h"
#include "res/Templates.h"

CPageDate::CPageDate(QWidget* parent) : CPropertyPage(res::IDD_PAGE_DATE, parent) {}

void CPageDate::DoDataExchange()
{
    DDX_Control(1024, m_chkMonth);
    DDX_Control(1020, m_chkBox);
    DDX_Control(1019, m_chkAmPm);
    DDX_Control(1018, m_chkDay);
    DDX_Control(1017, m_btnFont);
    DDX_Control(1023, m_grpFont);
    DDX_Control(1010, m_sliderWidth);
    DDX_Control(1021, m_grpWidth);
    DDX_Control(1016, m_btnLineColor);
    DDX_Control(1015, m_btnFillColor);
    DDX_Control(1022, m_grpColors);
    DDX_Control(1012, m_chkShow);
}
