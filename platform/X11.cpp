#include "platform/X11.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace platform::x11 {
namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> Reply<T> MakeReply(T* reply) { return Reply<T>(reply, &std::free); }

xcb_connection_t* Connection()
{
    if (!qGuiApp)
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The screen number of the display name, as xcb_connect reads it (":0.1" is 1).
int ScreenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon < 0 ? 0 : colon);
    return dot < 0 ? 0 : display.mid(dot + 1).toInt();
}

xcb_screen_t* DefaultScreen(xcb_connection_t* c)
{
    int wanted = ScreenNumber();
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    xcb_screen_t* first = it.rem ? it.data : nullptr;
    for (; it.rem; --wanted, xcb_screen_next(&it))
        if (wanted == 0)
            return it.data;
    return first;
}

xcb_window_t Root(xcb_connection_t* c)
{
    xcb_screen_t* screen = DefaultScreen(c);
    return screen ? screen->root : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    auto reply = MakeReply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

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
    auto reply = MakeReply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, Atom(c, selection.constData())), nullptr));
    return reply && reply->owner != XCB_WINDOW_NONE;
}

void Sync()
{
    // Any request with a reply would do; this one costs the server nothing.
    if (xcb_connection_t* c = Connection())
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

void SetShape(unsigned long window, const QRegion& devicePixels)
{
    xcb_connection_t* c = Connection();
    if (!c || !window)
        return;
    const auto w = xcb_window_t(window);
    if (devicePixels.isEmpty()) {
        xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, w, 0, 0, XCB_PIXMAP_NONE);
    } else {
        std::vector<xcb_rectangle_t> rects;
        rects.reserve(std::size_t(devicePixels.rectCount()));
        for (const QRect& r : devicePixels)
            rects.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
        // QRegion keeps its rectangles in y-x bands, which lets the server
        // skip sorting them.
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED, w, 0, 0,
                             uint32_t(rects.size()), rects.data());
    }
    xcb_flush(c);
}

SelectionWatch::SelectionWatch(const QByteArray& selection, QObject* parent) : QObject(parent)
{
    xcb_connection_t* c = Connection();
    if (!c)
        return;
    m_atom = Atom(c, selection.constData());
    m_bOwned = SelectionOwned(selection);
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!ext || !ext->present)
        return;
    auto version = MakeReply(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    if (!version)
        return;
    m_nFirstEvent = ext->first_event;
    xcb_xfixes_select_selection_input(c, Root(c), m_atom,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
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

AboveKeeper::AboveKeeper(unsigned long window, QObject* parent) : QObject(parent), m_window(window)
{
    m_check.setSingleShot(true);
    connect(&m_check, &QTimer::timeout, this, &AboveKeeper::Restack);
    xcb_connection_t* c = Connection();
    if (!c || !window)
        return;
    // Added to whatever Qt listens to on the root, never in place of it.
    auto attributes = MakeReply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, Root(c)), nullptr));
    const uint32_t mask = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, Root(c), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_bFiltering = true;
}

AboveKeeper::~AboveKeeper()
{
    if (m_bFiltering && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
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
    auto tree = MakeReply(xcb_query_tree_reply(c, xcb_query_tree(c, Root(c)), nullptr));
    if (!tree)
        return;
    // Children come bottom first. Windows no manager handles (menus,
    // tooltips, another clock) are left alone.
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    const int own = int(std::find(children, children + count, xcb_window_t(m_window)) - children);
    auto managed = [c](xcb_window_t w) {
        auto a = MakeReply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
        return a && a->map_state == XCB_MAP_STATE_VIEWABLE && !a->override_redirect;
    };
    uint32_t values[2] = {XCB_WINDOW_NONE, XCB_STACK_MODE_ABOVE};
    if (m_bEnabled) {
        // Above every managed window.
        if (std::none_of(children + std::min(own + 1, count), children + count, managed))
            return;
        xcb_configure_window(c, xcb_window_t(m_window), XCB_CONFIG_WINDOW_STACK_MODE, &values[1]);
    } else {
        // Stacked as if managed: a managed window that was just mapped or
        // raised (the manager put it below the clock, not knowing it) goes
        // over the clock.
        const auto lowest =
            std::find_if(children, children + own, [&](xcb_window_t w) { return touched.contains(w) && managed(w); });
        if (lowest == children + own)
            return;
        values[0] = *lowest;
        values[1] = XCB_STACK_MODE_BELOW;
        xcb_configure_window(c, xcb_window_t(m_window), XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                             values);
    }
    xcb_flush(c);
}

} // namespace platform::x11
