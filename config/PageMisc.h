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

    CHyperLink* m_linkContact = nullptr;  // 1056 contact line, a mailto: link
    CHyperLink* m_linkVersion = nullptr;  // 1055 version line, the web page
    QRadioButton* m_radioIniFile = nullptr;  // 1008 "INI File" (1009, "Windows Registry", has no member)
    QCheckBox* m_chkTrayIcon = nullptr;  // 1007 tray icon
    QCheckBox* m_chkTopMost = nullptr;  // 1006 stay on top

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
