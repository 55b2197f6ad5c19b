#pragma once
// The Misc. tab: the version and contact links, stay on top, the tray icon
// and the choice of settings store.

#include "config/PropertyPage.h"

class CHyperLink;
class QCheckBox;
class QRadioButton;

class CPageMisc : public CPropertyPage {
    Q_OBJECT
public:
    explicit CPageMisc(QWidget* parent = nullptr);

    CHyperLink* m_linkContact = nullptr;  // 1056 contact line, a mailto: link
    CHyperLink* m_linkVersion = nullptr;  // 1055 version line, the web page
    QRadioButton* m_radioIniFile = nullptr;  // 1008 "INI File" (1009, "Windows Registry", has no member)
    QCheckBox* m_chkTrayIcon = nullptr;  // 1007 tray icon
    QCheckBox* m_chkTopMost = nullptr;  // 1006 stay on top

protected:
    void DoDataExchange() override;
};
