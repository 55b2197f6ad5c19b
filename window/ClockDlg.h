#pragma once
// The clock itself: a frameless, click-through window cut to a circle, in which
// the clear colour is a hole and everything else is blended with the desktop.

#include <ctime>
#include <memory>

#include <QImage>
#include <QRegion>
#include <QWidget>

#include "platform/WinTypes.h"

class CClockFace;
class CConfigDlg;
class QSystemTrayIcon;
class QTimer;

class CClockDlg : public QWidget {
    Q_OBJECT
public:
    explicit CClockDlg(QWidget* parent = nullptr);
    ~CClockDlg() override;

    // Creates and shows the window as start-up does (icon, title, layering,
    // shape, position, timer, tray icon or the configuration dialog).
    void OnInitDialog();
    // Runs the window until it is asked to quit, then destroys it.
    int DoModal();

    // The single repaint entry: renders the whole face off screen for the
    // current time and shows it at once.
    void DrawClock();

    // Colour key m_crClear and alpha = low 8 bits of m_nOpacity, applied to the
    // window; the pages call it after changing either.
    void SetLayeredWindowAttributes(COLORREF crKey, int nAlpha);
    void ApplyLayering();

    // Window placement for the pages: move, resize (false on failure) and the
    // top-most state, changed without hiding the window.
    bool MoveClock(int x, int y);
    bool ResizeClock(int size);
    void SetTopMost(bool topMost);

    bool AddTrayIcon();
    bool RemoveTrayIcon();
    void ShowConfig();
    // wParam: icon identifier, lParam: the mouse message (low 16 bits).
    long OnTrayNotify(unsigned long wParam, long lParam);

    // Ends the window's run (the quit message of the original): from the
    // configuration dialog's close button and from a second start.
    void PostQuitMessage();

    // Stops the timer, removes the icon, deletes the dialog and the renderer.
    bool DestroyWindow();

    void UpdateShape();
    void OnTimer();
    void OnTimeChange();

    CConfigDlg* m_pConfigDlg = nullptr;
    unsigned m_nTimerId = 0;
    CClockFace* m_pFace = nullptr;
    std::time_t m_timeLast = 0;
};
