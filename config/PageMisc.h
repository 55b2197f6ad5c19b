#pragma once
// The Misc. tab: the version and contact links, stay on top, the tray icon
// and the choice of settings store. Each option acts at once.

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

    CHyperLink* m_linkContact = nullptr;    // contact line, a mailto: link
    CHyperLink* m_linkVersion = nullptr;    // version line, the web page
    QRadioButton* m_radioIniFile = nullptr; // "INI File" ("Per-User Settings" has no member)
    QCheckBox* m_chkTrayIcon = nullptr;     // tray icon
    QCheckBox* m_chkTopMost = nullptr;      // stay on top

protected:
    void DoDataExchange() override;

    void OnTopMost();
    void OnTrayIcon();
    void OnIniFile();
    void OnRegistry();

private:
    // Checks the radio button of the store m_bIniFile names.
    void ShowStore();
};
