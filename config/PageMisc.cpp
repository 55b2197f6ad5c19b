#include "config/PageMisc.h"

#include <QCheckBox>
#include <QRadioButton>

#include "app/Autostart.h"
#include "app/ClockApp.h"
#include "app/RegistryStore.h"
#include "config/HyperLink.h"
#include "platform/MessageBox.h"
#include "res/Templates.h"

const QString CPageMisc::kWebSiteURL = QStringLiteral("https://tessaline.example/vitrodial/");
const QString CPageMisc::kContactURL = QStringLiteral("mailto:vitrodial@tessaline.example");

namespace {

// The maker's key the application chooses the per-user store under; it is
// not at hand while the .ini file is in force.
const QString kMakerKey = QStringLiteral("Tessaline");

} // namespace

CPageMisc::CPageMisc(QWidget* parent) : CPropertyPage(res::IDD_PAGE_MISC, parent) {}

void CPageMisc::DoDataExchange()
{
    DDX_Control(res::misc::IDC_CONTACT, m_linkContact);
    DDX_Control(res::misc::IDC_VERSION, m_linkVersion);
    DDX_Control(res::misc::IDC_INIFILE, m_radioIniFile);
    DDX_Control(res::misc::IDC_TRAYICON, m_chkTrayIcon);
    DDX_Control(res::misc::IDC_TOPMOST, m_chkTopMost);
    DDX_Control(res::misc::IDC_AUTOSTART, m_chkAutostart);
}

BOOL CPageMisc::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    connect(m_chkTopMost, &QAbstractButton::clicked, this, &CPageMisc::OnTopMost);
    connect(m_chkTrayIcon, &QAbstractButton::clicked, this, &CPageMisc::OnTrayIcon);
    connect(m_chkAutostart, &QAbstractButton::clicked, this, &CPageMisc::OnAutostart);
    connect(m_radioIniFile, &QAbstractButton::clicked, this, &CPageMisc::OnIniFile);
    if (auto* registry = qobject_cast<QAbstractButton*>(GetDlgItem(res::misc::IDC_REGISTRY))) {
        connect(registry, &QAbstractButton::clicked, this, &CPageMisc::OnRegistry);
        // Where the per-user settings go, so that they can be found.
        registry->setToolTip(RegistryStore::PathFor(kMakerKey, theApp.AppName()));
    }

    m_chkTopMost->setChecked(theApp.m_bTopMost != 0);
    m_chkTrayIcon->setChecked(theApp.m_bTrayIcon != 0);
    ShowStore();

    m_linkVersion->SetURL(kWebSiteURL);
    m_linkContact->SetURL(kContactURL);
    return 1;
}

BOOL CPageMisc::OnSetActive()
{
    m_chkAutostart->setChecked(Autostart::IsOn());
    return CPropertyPage::OnSetActive();
}

void CPageMisc::OnAutostart()
{
    QString why;
    if (!Autostart::SetOn(m_chkAutostart->isChecked(), &why)) {
        AfxMessageBox(QStringLiteral("Error: Unable to change the start at login\n") + why);
        m_chkAutostart->setChecked(Autostart::IsOn());
    }
}

void CPageMisc::ShowStore()
{
    QAbstractButton* radio = m_radioIniFile;
    if (!theApp.m_bIniFile)
        radio = qobject_cast<QAbstractButton*>(GetDlgItem(res::misc::IDC_REGISTRY));
    if (radio)
        radio->setChecked(true);
}

void CPageMisc::OnTopMost()
{
    if (m_chkTopMost->isChecked() && theApp.m_bTopMost == 0) {
        theApp.m_bTopMost = 1;
        theApp.SettingsChanged(ClockEffect::TopMost);
    } else if (!m_chkTopMost->isChecked() && theApp.m_bTopMost == 1) {
        theApp.m_bTopMost = 0;
        theApp.SettingsChanged(ClockEffect::TopMost);
        // The clock may now cover the dialog: bring the dialog back in front.
        window()->raise();
        window()->activateWindow();
    }
}

void CPageMisc::OnTrayIcon()
{
    if (m_chkTrayIcon->isChecked() && theApp.m_bTrayIcon == 0) {
        theApp.m_bTrayIcon = 1;
        theApp.SettingsChanged(ClockEffect::TrayIcon);
    } else if (!m_chkTrayIcon->isChecked() && theApp.m_bTrayIcon == 1) {
        theApp.m_bTrayIcon = 0;
        theApp.SettingsChanged(ClockEffect::TrayIcon);
    }
}

void CPageMisc::OnIniFile()
{
    if (theApp.m_bIniFile)
        return;
    // The registry, still in force, records the switch; marked again after
    // the save, so that the next save fills the .ini file with everything.
    theApp.m_bIniFile = 1;
    theApp.SettingsChanged(ClockEffect::None);
    theApp.SaveSettings();
    theApp.m_bModified = 1;
    QString why;
    if (!theApp.UseIniFile(&why)) {
        AfxMessageBox(QStringLiteral("Error: Unable to setup .INI file\n") + why);
        // UseIniFile went back to the registry and cleared m_bIniFile.
        ShowStore();
    }
}

void CPageMisc::OnRegistry()
{
    if (theApp.m_bIniFile != 1)
        return;
    // The .ini file, still in force, records the switch; the next save fills
    // the registry with everything.
    theApp.m_bIniFile = 0;
    theApp.SettingsChanged(ClockEffect::None);
    theApp.SaveSettings();
    theApp.m_bModified = 1;
    theApp.UseRegistry();
}
