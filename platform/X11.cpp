#include "platform/X11.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/shape.h>
#include <xcb/xfixes.h>

namespace platform::x11 {
namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> MakeReply(T* reply)
{
    return Reply<T>(reply, &std::free);
}

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
    auto reply = MakeReply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<xcb_atom_t> AtomList(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property)
{
    auto reply = MakeReply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32)
        return {};
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    return std::vector<xcb_atom_t>(atoms, atoms + xcb_get_property_value_length(reply.get()) / 4);
}

void SetAtomList(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
    const std::vector<xcb_atom_t>& atoms)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
        uint32_t(atoms.size()), atoms.data());
}

void Include(std::vector<xcb_atom_t>& atoms, xcb_atom_t atom, bool include)
{
    auto it = std::find(atoms.begin(), atoms.end(), atom);
    if (include && it == atoms.end())
        atoms.push_back(atom);
    else if (!include && it != atoms.end())
        atoms.erase(it);
}

xcb_window_t WindowProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property)
{
    auto reply = MakeReply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32
        || xcb_get_property_value_length(reply.get()) < 4)
        return XCB_WINDOW_NONE;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

// An EWMH window manager names a check window on the root that names itself.
bool WindowManagerRunning(xcb_connection_t* c)
{
    const xcb_atom_t check = Atom(c, "_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t window = WindowProperty(c, Root(c), check);
    return window != XCB_WINDOW_NONE && WindowProperty(c, window, check) == window;
}

} // namespace

bool IsAvailable() { return Connection() != nullptr; }

QByteArray ScreenSelection(const char* prefix)
{
    return QByteArray(prefix) + QByteArray::number(ScreenNumber());
}

bool SelectionOwned(const QByteArray& selection)
{
    xcb_connection_t* c = Connection();
    if (!c)
        return false;
    auto reply = MakeReply(xcb_get_selection_owner_reply(
        c, xcb_get_selection_owner(c, Atom(c, selection.constData())), nullptr));
    return reply && reply->owner != XCB_WINDOW_NONE;
}

void SetSkipTaskbar(unsigned long window)
{
    xcb_connection_t* c = Connection();
    if (!c || !window)
        return;
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    std::vector<xcb_atom_t> atoms = AtomList(c, xcb_window_t(window), state);
    Include(atoms, Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), true);
    Include(atoms, Atom(c, "_NET_WM_STATE_SKIP_PAGER"), true);
    SetAtomList(c, xcb_window_t(window), state, atoms);
    xcb_flush(c);
}

void SetAbove(unsigned long window, bool above)
{
    xcb_connection_t* c = Connection();
    if (!c || !window)
        return;
    const auto w = xcb_window_t(window);
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    const xcb_atom_t stateAbove = Atom(c, "_NET_WM_STATE_ABOVE");
    // Qt marks its stay-on-top windows with this older state as well.
    const xcb_atom_t stateOnTop = Atom(c, "_NET_WM_STATE_STAYS_ON_TOP");
    if (WindowManagerRunning(c)) {
        // The manager owns the state of a mapped window: ask it.
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = state;
        event.data.data32[0] = above ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
        event.data.data32[1] = stateAbove;
        event.data.data32[2] = above ? xcb_atom_t(XCB_ATOM_NONE) : stateOnTop;
        event.data.data32[3] = 1;  // from a normal application
        xcb_send_event(c, 0, Root(c),
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char*>(&event));
    } else {
        std::vector<xcb_atom_t> atoms = AtomList(c, w, state);
        Include(atoms, stateAbove, above);
        if (!above)
            Include(atoms, stateOnTop, false);
        SetAtomList(c, w, state, atoms);
        if (above) {
            const uint32_t mode = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(c, w, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
        }
    }
    xcb_flush(c);
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
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED, w, 0,
            0, uint32_t(rects.size()), rects.data());
    }
    xcb_flush(c);
}

SelectionWatch::SelectionWatch(const QByteArray& selection, QObject* parent)
    : QObject(parent)
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
    return false;  // Qt tracks some selections itself
}

} // namespace platform::x11
