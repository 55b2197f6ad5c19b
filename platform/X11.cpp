#include "platform/X11.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include <QCoreApplication>

#include <xcb/shape.h>
#include <xcb/xfixes.h>

#include "platform/XcbConnection.h"

namespace platform::x11 {

bool IsAvailable() { return Connection() != nullptr; }

bool CanConnect()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool connected = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return connected;
}

QByteArray ScreenSelection(const char* prefix) { return QByteArray(prefix) + QByteArray::number(ScreenNumber()); }

bool SelectionOwned(const QByteArray& selection)
{
    xcb_connection_t* c = Connection();
    if (!c)
        return false;
    auto reply =
        Own(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, Atom(c, selection.constData())), nullptr));
    return reply && reply->owner != XCB_WINDOW_NONE;
}

void Sync()
{
    if (xcb_connection_t* c = Connection())
        RoundTrip(c);
}

void SetShape(unsigned long window, const QRegion& devicePixels)
{
    xcb_connection_t* c = Connection();
    if (!c || !window)
        return;
    if (!Extension(c, &xcb_shape_id)) {
        static bool s_told = false;
        if (!std::exchange(s_told, true))
            qWarning("The X server has no SHAPE extension: windows keep their whole rectangle");
        return;
    }
    const auto w = xcb_window_t(window);
    if (devicePixels.isEmpty()) {
        Check(c, xcb_shape_mask_checked(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, w, 0, 0, XCB_PIXMAP_NONE),
              "ShapeMask");
    } else {
        std::vector<xcb_rectangle_t> rects;
        rects.reserve(std::size_t(devicePixels.rectCount()));
        for (const QRect& r : devicePixels)
            rects.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
        // QRegion keeps its rectangles in y-x bands, which lets the server
        // skip sorting them.
        Check(c,
              xcb_shape_rectangles_checked(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED, w,
                                           0, 0, uint32_t(rects.size()), rects.data()),
              "ShapeRectangles");
    }
    Flush(c);
}

SelectionWatch::SelectionWatch(const QByteArray& selection, QObject* parent) : QObject(parent)
{
    xcb_connection_t* c = Connection();
    if (!c)
        return;
    m_atom = Atom(c, selection.constData());
    m_bOwned = SelectionOwned(selection);
    const xcb_query_extension_reply_t* ext = Extension(c, &xcb_xfixes_id);
    if (!ext)
        return;
    auto version = Own(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    if (!version)
        return;
    m_nFirstEvent = ext->first_event;
    Check(c,
          xcb_xfixes_select_selection_input_checked(c, Root(c), m_atom,
                                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                                        | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                                        | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE),
          "XFixesSelectSelectionInput");
    Flush(c);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

SelectionWatch::~SelectionWatch()
{
    if (m_nFirstEvent >= 0 && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool SelectionWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (m_nFirstEvent < 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != m_nFirstEvent + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection != m_atom)
        return false;
    const bool owned = notify->owner != XCB_WINDOW_NONE;
    if (owned != m_bOwned) {
        m_bOwned = owned;
        emit ownerChanged(owned);
    }
    return false; // Qt tracks some selections itself
}

namespace {

// The root's events the keepers need. The first keeper selects those not
// selected already, the last deselects them again.
constexpr uint32_t kKeeperRootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
int g_nRootKeepers = 0;
uint32_t g_nRootEventsAdded = 0;

// This client's event mask on the root, as it is now; false without an answer.
bool RootEventMask(xcb_connection_t* c, uint32_t* mask)
{
    auto attributes = Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, Root(c)), nullptr));
    if (attributes)
        *mask = attributes->your_event_mask;
    return bool(attributes);
}

void SetRootEventMask(xcb_connection_t* c, uint32_t mask)
{
    Check(c, xcb_change_window_attributes_checked(c, Root(c), XCB_CW_EVENT_MASK, &mask), "ChangeWindowAttributes");
    Flush(c);
}

// The first of the windows that a window manager handles (viewable, not
// override-redirect), or none. Every window is asked about before the first
// answer is read: one round trip, not one per window.
xcb_window_t FirstManaged(xcb_connection_t* c, const std::vector<xcb_window_t>& windows)
{
    std::vector<xcb_get_window_attributes_cookie_t> asked;
    asked.reserve(windows.size());
    for (const xcb_window_t w : windows)
        asked.push_back(xcb_get_window_attributes(c, w));
    xcb_window_t found = XCB_WINDOW_NONE;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        if (found != XCB_WINDOW_NONE) {
            xcb_discard_reply(c, asked[i].sequence);
            continue;
        }
        auto a = Own(xcb_get_window_attributes_reply(c, asked[i], nullptr));
        if (a && a->map_state == XCB_MAP_STATE_VIEWABLE && !a->override_redirect)
            found = windows[i];
    }
    return found;
}

} // namespace

AboveKeeper::AboveKeeper(unsigned long window, QObject* parent) : QObject(parent), m_window(window)
{
    m_check.setSingleShot(true);
    connect(&m_check, &QTimer::timeout, this, &AboveKeeper::Restack);
    xcb_connection_t* c = Connection();
    if (!c || !window)
        return;
    // Added to whatever Qt listens to on the root, never in place of it.
    uint32_t mask = 0;
    if (g_nRootKeepers == 0 && RootEventMask(c, &mask)) {
        g_nRootEventsAdded = kKeeperRootEvents & ~mask;
        if (g_nRootEventsAdded)
            SetRootEventMask(c, mask | g_nRootEventsAdded);
    }
    ++g_nRootKeepers;
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_bFiltering = true;
}

AboveKeeper::~AboveKeeper()
{
    if (!m_bFiltering)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (--g_nRootKeepers > 0)
        return;
    // Only what the keepers added goes: what was selected before them, or
    // by anyone else since, stays.
    const uint32_t added = std::exchange(g_nRootEventsAdded, 0);
    xcb_connection_t* c = Connection();
    uint32_t mask = 0;
    if (added && c && RootEventMask(c, &mask))
        SetRootEventMask(c, mask & ~added);
}

void AboveKeeper::SetEnabled(bool enabled)
{
    m_bEnabled = enabled;
    if (enabled)
        Restack();
}

bool AboveKeeper::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    xcb_window_t window = XCB_WINDOW_NONE;
    switch (event->response_type & 0x7F) {
    case XCB_CONFIGURE_NOTIFY:
        window = reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window;
        break;
    case XCB_MAP_NOTIFY:
        window = reinterpret_cast<const xcb_map_notify_event_t*>(event)->window;
        break;
    default:
        return false;
    }
    // One look after each burst of events is enough.
    if (window != m_window && !m_touched.contains(window))
        m_touched.append(window);
    if (!m_check.isActive())
        m_check.start(0);
    return false;
}

void AboveKeeper::Restack()
{
    const QList<unsigned long> touched = std::exchange(m_touched, {});
    xcb_connection_t* c = Connection();
    if (!c || !m_window)
        return;
    auto tree = Own(xcb_query_tree_reply(c, xcb_query_tree(c, Root(c)), nullptr));
    if (!tree)
        return;
    // Children come bottom first. Windows no manager handles (menus,
    // tooltips, another clock) are left alone.
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const xcb_window_t* end = children + xcb_query_tree_children_length(tree.get());
    const xcb_window_t* own = std::find(children, end, xcb_window_t(m_window));
    uint32_t values[2] = {XCB_WINDOW_NONE, XCB_STACK_MODE_ABOVE};
    if (m_bEnabled) {
        // Above every managed window.
        if (own == end || FirstManaged(c, std::vector<xcb_window_t>(own + 1, end)) == XCB_WINDOW_NONE)
            return;
        Check(c, xcb_configure_window_checked(c, xcb_window_t(m_window), XCB_CONFIG_WINDOW_STACK_MODE, &values[1]),
              "ConfigureWindow");
    } else {
        // Stacked as if managed: a managed window that was just mapped or
        // raised (the manager put it below the clock, not knowing it) goes
        // over the clock.
        std::vector<xcb_window_t> below;
        std::copy_if(children, own, std::back_inserter(below), [&](xcb_window_t w) { return touched.contains(w); });
        const xcb_window_t lowest = FirstManaged(c, below);
        if (lowest == XCB_WINDOW_NONE)
            return;
        values[0] = lowest;
        values[1] = XCB_STACK_MODE_BELOW;
        Check(c,
              xcb_configure_window_checked(c, xcb_window_t(m_window),
                                           XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values),
              "ConfigureWindow");
    }
    Flush(c);
}

} // namespace platform::x11
