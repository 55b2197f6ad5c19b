#pragma once
// The few X11 window-system details Qt has no API for: is a compositing
// manager running, keeping a window above the others, a window's shape,
// notice of a selection changing hands, and waiting until the server has
// handled what was sent. With ServerPixmap (drawing on the
// server) and the helper both use (XcbConnection.h), the only place that talks
// to libxcb.
// Everything here does nothing (or answers "no") when the program does not
// run on X11, so callers need no platform checks of their own.

#include <vector>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QObject>
#include <QRegion>
#include <QTimer>

namespace platform::x11 {

// True when the program talks to an X server (Qt's xcb platform).
bool IsAvailable();

// True when the X server that DISPLAY names accepts a connection. Asked
// before the application object exists: Qt aborts the process when its xcb
// platform cannot connect.
bool CanConnect();

// The name of a per-screen manager selection for the default screen, such as
// "_NET_WM_CM_S0" for prefix "_NET_WM_CM_S".
QByteArray ScreenSelection(const char* prefix);

// True when some client owns the selection (a compositing manager owns
// "_NET_WM_CM_S<n>", a tray host "_NET_SYSTEM_TRAY_S<n>").
bool SelectionOwned(const QByteArray& selection);

// True when the window manager is the compositing manager as well: it then
// draws windows it does not manage wherever it likes (kwin above all others).
bool ManagerComposites();

// Returns once the X server has handled every request sent before: a window
// hidden before this call is unmapped when it returns.
void Sync();

// Sets the bounding shape of a window to these rectangles in device pixels.
// QWidget::setMask takes logical rectangles and scales each by the device
// pixel ratio, which turns a circle into steps of several pixels; this cuts
// the window exactly. An empty region removes the shape (all of the window).
// Without the SHAPE extension on the server, does nothing (and says so once).
void SetShape(unsigned long window, const QRegion& devicePixels);

// Asks window managers to keep an unmapped window below all others (or above
// them), on every desktop, off taskbars and pagers. A manager drops these
// states when the window is withdrawn: they are set before each map.
void SetBackgroundStates(unsigned long window, bool above);

// Reports each change of owner of one selection on the default screen.
// The X server sends the notices (XFixes); nothing is polled.
class SelectionWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit SelectionWatch(const QByteArray& selection, QObject* parent = nullptr);
    ~SelectionWatch() override;

    bool Owned() const { return m_bOwned; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void ownerChanged(bool owned);
    // Another client took the selection, even straight from the last owner
    // (a manager replacing itself).
    void newOwner();

private:
    unsigned m_atom = 0;
    unsigned long m_owner = 0;
    int m_nFirstEvent = -1;
    bool m_bOwned = false;
};

// A child of the root as the stacking rule sees it.
struct Sibling {
    unsigned long window = 0;
    // A window manager's frame of a mapped client (without a manager: a
    // mapped window that is not override-redirect).
    bool managed = false;
    bool own = false;     // holds a window of this program
    bool desktop = false; // holds the desktop itself, under every other window
    // A mapped window of another program that no manager handles: a locker,
    // a menu.
    bool unmanaged = false;
};

// Where a window goes among its siblings (bottom first), always next to a
// managed window, so that windows no manager handles (lockers, menus,
// tooltips) stay where they are. Top-most: directly above the highest
// managed window of other programs, so this program's own dialogs stay above
// it, but never past an unmanaged window above it (a window mapped over a
// locker does not take the clock along). Otherwise: directly beneath the
// lowest managed window above the desktop. A null sibling: it stays where it
// is.
struct Restacking {
    unsigned long sibling = 0;
    bool above = false;
};
Restacking ChooseRestacking(const std::vector<Sibling>& siblings, unsigned long window, bool topMost);

// Stacks a window as ChooseRestacking says,
// whenever a child of the root is mapped or moved in the stack. Managed
// windows are those of the manager's _NET_CLIENT_LIST_STACKING (by their
// frames); without a manager, those that are not override-redirect. A
// window a manager frames is left where the manager stacks it, and its frame
// lets clicks through as the window does. It hears of changes through the
// root's substructure events, selected while any keeper lives; the events it
// selected are deselected with the last one.
class AboveKeeper : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit AboveKeeper(unsigned long window, QObject* parent = nullptr);
    ~AboveKeeper() override;

    void SetEnabled(bool enabled);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // The window manager put a border or a title around the window.
    void decorated();
    // It keeps putting the window back where it was: no longer restacked.
    void overruled();

private:
    void Restack();

    unsigned long m_window;
    bool m_bEnabled = false;
    bool m_bFiltering = false;
    QTimer m_check;
    // Restacks since the last window was mapped: a manager that puts the
    // window back each time is not fought without end.
    int m_nRestacks = 0;
};

} // namespace platform::x11
