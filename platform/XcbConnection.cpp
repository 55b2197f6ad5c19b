#include "platform/XcbConnection.h"

#include <cstring>
#include <deque>

#include <QByteArray>
#include <QGuiApplication>
#include <QHash>
#include <QSet>

#include <xcb/xcbext.h>

namespace platform::x11 {
namespace {

struct PendingCheck {
    unsigned sequence;
    const char* request;
};

// What is kept of one connection: Qt makes one per application object.
struct State {
    xcb_connection_t* connection = nullptr;
    QHash<QByteArray, xcb_atom_t> atoms;
    std::deque<PendingCheck> pending; // oldest first
    // A request with a reply went out after the last pending check.
    bool fenced = false;
};

State g_state;

// Checked requests awaiting their answer before a reply is asked for.
constexpr std::size_t kChecksPerFence = 256;

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

void Report(const char* request, const xcb_generic_error_t& error)
{
    // A failing request usually fails again on every frame or event.
    static QSet<QByteArray> s_reported;
    if (s_reported.contains(request))
        return;
    s_reported.insert(request);
    qWarning("X11 request %s failed with error %d (resource 0x%x); later failures of it are not reported", request,
             int(error.error_code), unsigned(error.resource_id));
}

void Collect(xcb_connection_t* c, State& state)
{
    while (!state.pending.empty()) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        // The server answers in order: when one is not in, nor are the later ones.
        if (!xcb_poll_for_reply(c, state.pending.front().sequence, &reply, &error))
            return;
        std::free(reply);
        const Reply<xcb_generic_error_t> owned(error);
        if (owned)
            Report(state.pending.front().request, *owned);
        state.pending.pop_front();
    }
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

void Check(xcb_connection_t* c, xcb_void_cookie_t cookie, const char* request)
{
    State& state = StateOf(c);
    state.pending.push_back({cookie.sequence, request});
    state.fenced = false;
}

bool CheckNow(xcb_connection_t* c, xcb_void_cookie_t cookie, const char* request)
{
    const Reply<xcb_generic_error_t> error(xcb_request_check(c, cookie));
    if (error)
        Report(request, *error);
    // Every request before this one is answered too.
    Collect(c, StateOf(c));
    return !error;
}

void Flush(xcb_connection_t* c)
{
    State& state = StateOf(c);
    Collect(c, state);
    if (state.pending.size() >= kChecksPerFence && !state.fenced) {
        // A request that succeeds sends nothing back; the reply to a later
        // one tells that it is done. Nobody waits for that reply, but it
        // wakes the toolkit's reader thread: one for many frames, not one
        // each (a failure is told that much later).
        xcb_discard_reply(c, xcb_get_input_focus(c).sequence);
        state.fenced = true;
    }
    xcb_flush(c);
}

void RoundTrip(xcb_connection_t* c)
{
    // Any request with a reply would do; this one costs the server nothing.
    Own(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    Collect(c, StateOf(c));
}

} // namespace platform::x11
