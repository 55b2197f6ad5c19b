#pragma once
// What the platform's xcb code shares (X11.cpp, ServerPixmap.cpp): Qt's
// connection, replies that free themselves, atoms asked of the server once,
// and requests whose failures are logged instead of lost among Qt's events.
// Not for use outside the platform library.

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

namespace platform::x11 {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
// A reply (or an error) of libxcb, freed with its owner.
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;
template <typename T> Reply<T> Own(T* reply) { return Reply<T>(reply); }

// Qt's connection to the X server; null when the program does not run on X11.
xcb_connection_t* Connection();

// The screen number of the display name, as xcb_connect reads it (":0.1" is 1).
int ScreenNumber();
xcb_screen_t* DefaultScreen(xcb_connection_t* c);
xcb_window_t Root(xcb_connection_t* c);

// The extension's data when the server has it, else null.
const xcb_query_extension_reply_t* Extension(xcb_connection_t* c, xcb_extension_t* id);

// The atom of a name; the server is asked once per name and connection.
xcb_atom_t Atom(xcb_connection_t* c, const char* name);

// Takes a request sent _checked; a failure is logged once its answer is in
// (one warning per request name, with the X error code). Never waits.
void Check(xcb_connection_t* c, xcb_void_cookie_t cookie, const char* request);
// The same, waiting for the answer: true when the request succeeded.
bool CheckNow(xcb_connection_t* c, xcb_void_cookie_t cookie, const char* request);
// Sends everything asked so far, and logs the failures of checked requests
// that the server has answered by now (a reply is asked for once many are
// waiting, so a failure may be told some frames later).
void Flush(xcb_connection_t* c);
// Returns once the server has handled every request sent before, with the
// failures among them logged.
void RoundTrip(xcb_connection_t* c);

} // namespace platform::x11
