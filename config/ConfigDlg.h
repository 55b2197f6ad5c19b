#pragma once
// The one configuration window: a tab strip of eight pages and two buttons,
// "Dismiss" (save and hide) and "Close Vitrodial" (save and end the program).

#include <climits>

#include <QDialog>
#include <QHash>

#include "config/PageColor.h"
#include "config/PageDate.h"
#include "config/PageDial.h"
#include "config/PageGeom.h"
#include "config/PageHour.h"
#include "config/PageMin.h"
#include "config/PageMisc.h"
#include "config/PageSecs.h"
#include "config/PropertySheet.h"
#include "platform/WinTypes.h"

class CConfigDlg : public QDialog {
    Q_OBJECT
public:
    explicit CConfigDlg(QWidget* parent = nullptr);
    ~CConfigDlg() override;

    // Builds the window from its template with the clock window as owner;
    // false when it could not be made.
    bool Create(QWidget* owner);

    void OnOK();         // "Dismiss"
    void OnCloseClock(); // "Close Vitrodial"

    // A control of the dialog's own template (1, 1000, 1001).
    QWidget* GetDlgItem(int nId) const { return m_items.value(nId); }
    CPropertySheet& GetSheet() { return m_sheet; }

    // A point on the screen the dialog opens on (the tray icon's); on none,
    // the primary screen.
    void SetHomeScreen(const QPoint& point) { m_ptHome = point; }

    // The gap kept free between the dialog and the bottom edge of the screen.
    static constexpr int kBottomGap = 30;
    // The sheet stands this far left of and above the placeholder's corner.
    static constexpr int kSheetOffset = 7;

protected:
    BOOL OnInitDialog();
    // Escape and the window manager's close act as "Dismiss": there is no
    // close box, and closing must not lose the dialog.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void PlaceOnScreen();

    // Destroyed in reverse: the pages leave the sheet before it goes.
    CPropertySheet m_sheet;
    CPageGeom m_pageGeom;
    CPageColor m_pageColor;
    CPageDial m_pageDial;
    CPageSecs m_pageSecs;
    CPageMin m_pageMin;
    CPageHour m_pageHour;
    CPageDate m_pageDate;
    CPageMisc m_pageMisc;

    QHash<int, QWidget*> m_items;
    QPoint m_ptHome{INT_MIN, INT_MIN};
    bool m_bCreated = false;
    // Until the window manager has framed the window its frame size is not
    // known; the placement is redone once when it is.
    bool m_bPlacePending = false;
};
