#pragma once
// The Misc. tab: the version and contact links, stay on top, the tray icon
// the choice of settings store and starting at login. Each option acts at once.

#include "config/PropertyPage.h"

class CHyperLink;
class QCheckBox;
class QRadioButton;

class CPageMisc : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageMisc(QWidget* parent = nullptr);

    static const QString kWebSiteURL;
    static const QString kContactURL;

    // Sets the controls from the settings, once; afterwards only clicks
    // change them.
    BOOL OnInitDialog() override;
    // Shows the autostart entry as it is now: it may change outside the dialog.
    BOOL OnSetActive() override;

    CHyperLink* m_linkContact = nullptr;    // contact line, a mailto: link
    CHyperLink* m_linkVersion = nullptr;    // version line, the web page
    QRadioButton* m_radioIniFile = nullptr; // "INI File" ("Per-User Settings" has no member)
    QCheckBox* m_chkTrayIcon = nullptr;     // tray icon
    QCheckBox* m_chkTopMost = nullptr;      // stay on top
    QCheckBox* m_chkAutostart = nullptr;    // start at login

protected:
    void DoDataExchange() override;

    void OnTopMost();
    void OnTrayIcon();
    void OnAutostart();
    void OnIniFile();
    void OnRegistry();

private:
    // Checks the radio button of the store m_bIniFile names.
    void ShowStore();
};
