#include "config/PageMisc.h"

#include <QCheckBox>
#include <QRadioButton>

#include "config/HyperLink.h"
#include "res/Templates.h"

CPageMisc::CPageMisc(QWidget* parent) : CPropertyPage(res::IDD_PAGE_MISC, parent) {}

void CPageMisc::DoDataExchange()
{
    DDX_Control(1056, m_linkContact);
    DDX_Control(1055, m_linkVersion);
    DDX_Control(1008, m_radioIniFile);
    DDX_Control(1007, m_chkTrayIcon);
    DDX_Control(1006, m_chkTopMost);
}
