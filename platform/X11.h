#pragma once
// The few X11 window-system details Qt has no API for: is a compositing
// manager running, the taskbar and always-on-top states of a window, and
// notice of a selection changing hands. The only place that talks to libxcb.
// Everything here does nothing (or answers "no") when the program does not
// run on X11, so callers need no platform checks of their own.

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QObject>
#include <QRegion>

namespace platform::x11 {

// True when the program talks to an X server (Qt's xcb platform).
bool IsAvailable();

// The name of a per-screen manager selection for the default screen, such as
// "_NET_WM_CM_S0" for prefix "_NET_WM_CM_S".
QByteArray ScreenSelection(const char* prefix);

// True when some client owns the selection (a compositing manager owns
// "_NET_WM_CM_S<n>", a tray host "_NET_SYSTEM_TRAY_S<n>").
bool SelectionOwned(const QByteArray& selection);

// Adds the skip-taskbar and skip-pager states to a window that is not mapped
// yet; Qt keeps states it finds there when it maps the window.
void SetSkipTaskbar(unsigned long window);

// Changes the always-on-top state of a mapped window without unmapping it:
// asks the window manager, or, when none runs, records the state on the
// window itself and raises it.
void SetAbove(unsigned long window, bool above);

// Sets the bounding shape of a window to these rectangles in device pixels.
// QWidget::setMask takes logical rectangles and scales each by the device
// pixel ratio, which turns a circle into steps of several pixels; this cuts
// the window exactly. An empty region removes the shape (all of the window).
void SetShape(unsigned long window, const QRegion& devicePixels);

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

private:
    unsigned m_atom = 0;
    int m_nFirstEvent = -1;
    bool m_bOwned = false;
};

} // namespace platform::x11
