#include "config/ConfigDlg.h"

#include <QAbstractButton>
#include <QCloseEvent>

#include "app/ClockApp.h"
#include "app/ClockWindow.h"
#include "config/DialogBuilder.h"
#include "res/Templates.h"

CConfigDlg::CConfigDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {}

CConfigDlg::~CConfigDlg() = default;

bool CConfigDlg::Create(QWidget* owner)
{
    const res::DialogTemplate* t = res::FindDialogTemplate(res::IDD_CONFIG);
    if (m_bCreated || !t)
        return false;
    m_bCreated = true;
    if (owner)
        setParent(owner, windowFlags());
    setWindowTitle(QString::fromUtf8(t->caption));

    const CDialogBuilder builder(font());
    setFixedSize(builder.MapDialogSize(t->cx, t->cy));
    m_items = builder.Build(this, *t);
    if (auto* dismiss = qobject_cast<QAbstractButton*>(GetDlgItem(res::IDOK)))
        connect(dismiss, &QAbstractButton::clicked, this, &CConfigDlg::OnOK);
    if (auto* close = qobject_cast<QAbstractButton*>(GetDlgItem(res::IDC_CLOSE_CLOCK)))
        connect(close, &QAbstractButton::clicked, this, &CConfigDlg::OnCloseClock);

    OnInitDialog();
    return true;
}

BOOL CConfigDlg::OnInitDialog()
{
    for (CPropertyPage* page : std::initializer_list<CPropertyPage*>{
             &m_pageGeom, &m_pageColor, &m_pageDial, &m_pageSecs, &m_pageMin, &m_pageHour, &m_pageDate, &m_pageMisc})
        m_sheet.AddPage(page);

    // The tab strip and the pages' controls join the dialog's Tab order by
    // themselves.
    if (m_sheet.Create(this)) {
        // Over the placeholder, which it hides, but beneath the buttons, which
        // its margin may touch.
        m_sheet.lower();
        if (QWidget* placeholder = GetDlgItem(res::IDC_SHEET_FRAME)) {
            placeholder->lower();
            m_sheet.move(placeholder->pos() - QPoint(kSheetOffset, kSheetOffset));
        }
    }

    PlaceOnScreen();
    m_bPlacePending = true;
    show();
    raise();
    activateWindow();
    return 1;
}

void CConfigDlg::PlaceOnScreen()
{
    const ScreenLayout screens = theApp.Screens();
    QRect screen = screens.Primary().geometry;
    for (const ScreenInfo& s : screens.screens)
        if (s.geometry.contains(m_ptHome))
            screen = s.geometry;
    const QSize frame = frameGeometry().size();
    move(screen.right() + 1 - frame.width(), screen.bottom() + 1 - frame.height() - kBottomGap);
}

bool CConfigDlg::event(QEvent* e)
{
    const bool result = QDialog::event(e);
    switch (e->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::WindowActivate:
        if (m_bPlacePending && isVisible() && frameGeometry().size() != size()) {
            m_bPlacePending = false;
            PlaceOnScreen();
        }
        break;
    default:
        break;
    }
    return result;
}

void CConfigDlg::OnOK()
{
    theApp.SaveSettings();
    hide();
}

void CConfigDlg::OnCloseClock()
{
    theApp.SaveSettings();
    if (theApp.m_pMainWnd)
        theApp.m_pMainWnd->PostQuitMessage();
    // Only the window goes: the clock window owns this object and deletes it
    // when it shuts down.
    m_bPlacePending = false;
    hide();
    destroy();
}

void CConfigDlg::reject() { OnOK(); }

void CConfigDlg::closeEvent(QCloseEvent* event)
{
    OnOK();
    // Already hidden; ignoring keeps a closed dialog from counting as the
    // application's last window closing.
    event->ignore();
}
