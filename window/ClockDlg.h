#pragma once
// The clock itself: a frameless, click-through window cut to a circle, in which
// the clear colour is a hole and everything else is blended with the desktop.

#include <ctime>
#include <memory>

#include <QImage>
#include <QRegion>
#include <QWidget>

#include "app/ClockWindow.h"
#include "platform/WinTypes.h"
#include "window/WindowShape.h"

class CClockFace;
class ClockSurface;
class CConfigDlg;
class ModalSweep;
class QEventLoop;
class SecondTicker;
class TimeChangeWatcher;
class TimeZoneWatcher;
class TrayIcon;

namespace platform::wayland {
class Connection;
} // namespace platform::wayland
class WaylandSurface;

namespace platform::x11 {
class AboveKeeper;
class SelectionWatch;
} // namespace platform::x11

class CClockDlg : public QWidget, public IClockWindow {
    Q_OBJECT
public:
    // The identifier of the window's one timer.
    static constexpr unsigned kTimerId = 1;

    // When the configuration dialog opens by itself at start: never, only
    // when no tray can show the icon (or the icon is off), or in any case.
    enum class ConfigAtStart { Never, WithoutTray, Always };

    explicit CClockDlg(QWidget* parent = nullptr);
    ~CClockDlg() override;

    // Shows the clock on a layer surface of the Wayland compositor that
    // WAYLAND_DISPLAY names instead of the X11 window, which then is never
    // mapped; before OnInitDialog. False, and nothing changes, when the
    // compositor offers no layer shell (or the program has no Wayland layer).
    bool UseWayland();
    bool OnWayland() const { return m_pWayland != nullptr; }

    // Creates and shows the window as start-up does (icon, title, layering,
    // shape, position, timer, tray icon or the configuration dialog).
    void OnInitDialog();
    // Runs the window until it is asked to quit, then destroys it.
    int DoModal();

    // The single repaint entry: renders the whole face off screen for the
    // current time and shows it at once.
    void DrawClock();

    // Colour key and alpha (low 8 bits) applied to the window; the pages call
    // it as they change m_crClear or m_nOpacity.
    void SetLayeredWindowAttributes(COLORREF crKey, int nAlpha);
    // The layering of the settings (m_crClear, m_nOpacity) and the compositor.
    void ApplyLayering();

    // Window placement for the pages: move, resize (false on failure) and the
    // top-most state, changed without hiding the window.
    bool MoveClock(int x, int y);
    bool ResizeClock(int size);
    void SetTopMost(bool topMost);

    bool AddTrayIcon();
    bool RemoveTrayIcon();
    void ShowConfig();
    // The window's message entry for the notification icon's callback: while
    // m_bTrayIcon is set, WM_TRAYNOTIFY goes to OnTrayNotify; anything else
    // gets the default answer 0.
    long WindowProc(unsigned message, unsigned long wParam, long lParam);
    // wParam: icon identifier, lParam: the mouse message (low 16 bits).
    long OnTrayNotify(unsigned long wParam, long lParam);

    // Ends the window's run (the quit message of the original): from the
    // configuration dialog's close button and from a second start. It ends
    // it from any state: modal dialogs and popups open over the clock close.
    void PostQuitMessage();
    // Takes the window off the screen before it returns (the X server has
    // unmapped it): a second start ends only after this, so the clock of the
    // start after it never shows beside this one.
    void HideNow();

    // Stops the timer, removes the icon, deletes the dialog and the renderer.
    bool DestroyWindow();

    void UpdateShape();
    void OnTimer();
    void OnTimeChange();
    // The local zone changed: the same second may show another hour, or
    // with a zone a half hour off, another minute.
    void OnZoneChange();
    // WM_SIZE: the renderer is dropped and the shape fitted to m_nSize.
    void OnSize();

    // A compositing manager started (true) or stopped: blend the clear colour
    // away, or cut it out of the window's shape.
    void OnCompositorChanged(bool running);

    // The window's timer: SetTimer returns the identifier, 0 on failure.
    unsigned SetTimer(unsigned id);
    bool KillTimer(unsigned id);

    // The window region (empty: none) and what the window system shows.
    const QRegion& WindowRgn() const { return m_shape.WindowRgn(); }
    int WindowRgnSets() const { return m_shape.WindowRgnSets(); }
    bool TrayIconShown() const;

    // What the window draws on and shows from: the X server's where it can
    // have a pixmap, else an image. A new one takes the layering of the
    // settings; the window falls back to an image when a size is refused.
    void UseSurface(std::unique_ptr<ClockSurface> surface);
    const ClockSurface& Surface() const { return *m_pSurface; }

    std::unique_ptr<CConfigDlg> m_pConfigDlg;
    ConfigAtStart m_eConfigAtStart = ConfigAtStart::WithoutTray;
    unsigned m_nTimerId = 0;
    std::unique_ptr<CClockFace> m_pFace;
    std::time_t m_timeLast = 0;
    int m_nNamedMinute = -1; // hour * 60 + minute the accessible name reads; -1 none yet

protected:
    // None while the surface draws on the window system's side: Qt then keeps
    // no image of the window.
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Draws the face for the current time into the surface's frame, at the
    // window's size; returns the area that differs from the frame before.
    QRegion RenderFrame();
    // The window's size in device pixels, the size of every frame.
    QSize DeviceSize() const;
    // Moves the drawing to the X server when it can have a pixmap for the window.
    void UseServerSurface();
    // The window's geometry for a stored place and size, which themselves
    // stay as they are: bounded to what the screens and X11 can take.
    QRect WindowGeometry(int left, int top, int size) const;
    void PlaceWindow(const QRect& geometry);
    // After a change of screen or of device pixel ratio: the shape and the
    // face made anew for it.
    void FollowRatio();
    void FitShapeToPixels();
    // Device pixels per window pixel: the output's scale on Wayland.
    qreal Ratio() const;
    // Shows the face in the X11 window: at start, or when the Wayland
    // connection is lost.
    void ShowOnX11();
    // (Re)makes the native window for the stacking, with its shape, surface
    // and keeper, and maps it with the last frame.
    void MakeX11Window(bool topMost);
    // The dialog in the layer of a clock the manager keeps above, if it is.
    void KeepConfigAbove();
    // A whole frame for the layer surface, at its current scale.
    void RepaintWayland();
    void OnWaylandLost();

    bool m_bConfigCreated = false;
    // A compositing manager blends the window; off X11 the window system
    // always composes.
    bool m_bComposited = true;
    bool m_bQuit = false;
    // Shown on X11 at the place of the settings, which it keeps on every screen.
    bool m_bFollowScreens = false;
    bool m_bPlacing = false;
    bool m_bTopMostX11 = true;        // the kind of X11 window there is
    bool m_bManagerDecorates = false; // the window manager ignores "no decoration"
    bool m_bManagerRestacks = false;  // it moves an unmanaged window where it likes
    bool m_bManagedAbove = false;     // the manager keeps the clock above
    bool m_bManagedX11 = false;       // a window manager handles the window
    QEventLoop* m_pLoop = nullptr;
    std::unique_ptr<ModalSweep> m_pSweep;
    // Outlives the surface on it.
    std::unique_ptr<platform::wayland::Connection> m_pWaylandConn;
    // Never null.
    std::unique_ptr<ClockSurface> m_pSurface;
    // The surface, when it is the layer surface.
    WaylandSurface* m_pWayland = nullptr;
    WindowShape m_shape;
    std::unique_ptr<SecondTicker> m_pTicker;
    std::unique_ptr<TimeChangeWatcher> m_pTimeWatch;
    std::unique_ptr<TimeZoneWatcher> m_pZoneWatch;
    std::unique_ptr<TrayIcon> m_pTray;
    std::unique_ptr<platform::x11::SelectionWatch> m_pCompositorWatch;
    std::unique_ptr<platform::x11::AboveKeeper> m_pAbove;
};
