#include "platform/XcbConnection.h"

#include <cstring>

#include <QByteArray>
#include <QGuiApplication>
#include <QHash>

namespace platform::x11 {
namespace {

// What is kept of one connection: Qt makes one per application object.
struct State {
    xcb_connection_t* connection = nullptr;
    QHash<QByteArray, xcb_atom_t> atoms;
};

State g_state;

// Another application object may get a new connection at the same address.
void Forget() { g_state = State(); }

State& StateOf(xcb_connection_t* c)
{
    if (g_state.connection != c) {
        if (!g_state.connection)
            qAddPostRoutine(Forget);
        g_state = State();
        g_state.connection = c;
    }
    return g_state;
}

} // namespace

xcb_connection_t* Connection()
{
    if (!qGuiApp)
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

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

const xcb_query_extension_reply_t* Extension(xcb_connection_t* c, xcb_extension_t* id)
{
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, id);
    return ext && ext->present ? ext : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    State& state = StateOf(c);
    const auto known = state.atoms.constFind(name);
    if (known != state.atoms.cend())
        return *known;
    auto reply = Own(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    if (!reply)
        return XCB_ATOM_NONE;
    state.atoms.insert(name, reply->atom);
    return reply->atom;
}

void RoundTrip(xcb_connection_t* c)
{
    // Any request with a reply would do; this one costs the server nothing.
    Own(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace platform::x11
