#include "platform/X11.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <optional>
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

namespace {

xcb_window_t SelectionOwner(const QByteArray& selection)
{
    xcb_connection_t* c = Connection();
    if (!c)
        return XCB_WINDOW_NONE;
    auto reply =
        Own(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, Atom(c, selection.constData())), nullptr));
    return reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
}

} // namespace

bool SelectionOwned(const QByteArray& selection) { return SelectionOwner(selection) != XCB_WINDOW_NONE; }

bool ManagerComposites()
{
    xcb_connection_t* c = Connection();
    const xcb_window_t compositor = SelectionOwner(ScreenSelection("_NET_WM_CM_S"));
    if (!c || compositor == XCB_WINDOW_NONE)
        return false;
    auto check = Own(xcb_get_property_reply(
        c, xcb_get_property(c, 0, Root(c), Atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) < 4)
        return false;
    const xcb_window_t manager = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    // Windows of one client share the bits above the server's id mask.
    const uint32_t client = ~xcb_get_setup(c)->resource_id_mask;
    return (manager & client) == (compositor & client);
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

void SetBackgroundStates(unsigned long window, bool above)
{
    xcb_connection_t* c = Connection();
    if (!c || !window)
        return;
    const auto w = xcb_window_t(window);
    const xcb_atom_t states[] = {Atom(c, above ? "_NET_WM_STATE_ABOVE" : "_NET_WM_STATE_BELOW"),
                                 Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), Atom(c, "_NET_WM_STATE_SKIP_PAGER"),
                                 Atom(c, "_NET_WM_STATE_STICKY")};
    Check(c,
          xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, w, Atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                                      uint32_t(std::size(states)), states),
          "ChangeProperty");
    const uint32_t allDesktops = 0xFFFFFFFF;
    Check(c,
          xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, w, Atom(c, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                                      &allDesktops),
          "ChangeProperty");
    Flush(c);
}

SelectionWatch::SelectionWatch(const QByteArray& selection, QObject* parent) : QObject(parent)
{
    xcb_connection_t* c = Connection();
    if (!c)
        return;
    m_atom = Atom(c, selection.constData());
    m_owner = SelectionOwner(selection);
    m_bOwned = m_owner != XCB_WINDOW_NONE;
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
    const bool another = owned && notify->owner != std::exchange(m_owner, notify->owner);
    if (owned != m_bOwned) {
        m_bOwned = owned;
        emit ownerChanged(owned);
    }
    if (another)
        emit newOwner();
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

// The windows of a property of type WINDOW (or ATOM); none without it.
std::vector<uint32_t> ListProperty(xcb_connection_t* c, xcb_get_property_cookie_t cookie)
{
    xcb_generic_error_t* error = nullptr;
    auto reply = Own(xcb_get_property_reply(c, cookie, &error));
    std::free(error); // a window that went meanwhile has no list
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

xcb_get_property_cookie_t AskList(xcb_connection_t* c, xcb_window_t window, const char* property, xcb_atom_t type)
{
    return xcb_get_property(c, 0, window, Atom(c, property), type, 0, 4096);
}

// The manager's clients, bottom first, when a window manager runs: its check
// window names itself too. A list left behind by a manager that ended is
// not taken.
std::optional<std::vector<uint32_t>> ManagedClients(xcb_connection_t* c)
{
    const xcb_window_t root = Root(c);
    const auto stacking = AskList(c, root, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
    // xfwm4 without its compositor sets only the other list; the order is the
    // root's anyway.
    const auto clients = AskList(c, root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW);
    const auto check = ListProperty(c, AskList(c, root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW));
    if (check.empty()
        || ListProperty(c, AskList(c, check.front(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW)) != check) {
        xcb_discard_reply(c, stacking.sequence);
        xcb_discard_reply(c, clients.sequence);
        return std::nullopt;
    }
    auto list = ListProperty(c, stacking);
    auto other = ListProperty(c, clients);
    return list.empty() ? other : list;
}

// Each window's ancestor among the root's children (its frame), found a
// level at a time for all of them at once; none for a window that went.
std::vector<xcb_window_t> Frames(xcb_connection_t* c, std::vector<xcb_window_t> windows,
                                 const std::vector<xcb_window_t>& rootChildren)
{
    constexpr int kDeepest = 8; // frames nest windows a few levels deep at most
    std::vector<bool> found(windows.size());
    for (int level = 0; level < kDeepest; ++level) {
        std::vector<std::pair<std::size_t, xcb_query_tree_cookie_t>> asked;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (found[i] || windows[i] == XCB_WINDOW_NONE)
                continue;
            if (std::find(rootChildren.begin(), rootChildren.end(), windows[i]) != rootChildren.end())
                found[i] = true;
            else
                asked.emplace_back(i, xcb_query_tree(c, windows[i]));
        }
        if (asked.empty())
            break;
        for (const auto& [i, cookie] : asked) {
            xcb_generic_error_t* error = nullptr;
            auto tree = Own(xcb_query_tree_reply(c, cookie, &error));
            std::free(error);
            windows[i] = tree ? tree->parent : xcb_window_t(XCB_WINDOW_NONE);
        }
    }
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (!found[i])
            windows[i] = XCB_WINDOW_NONE;
    return windows;
}

// Made on this connection: its id has the connection's resource base.
bool MadeHere(xcb_connection_t* c, xcb_window_t window)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    return (window & ~setup->resource_id_mask) == setup->resource_id_base;
}

// The root's children, bottom first, as the stacking rule sees them. The
// desktop is told only when asked: only the rule for not top-most needs it.
std::vector<Sibling> Siblings(xcb_connection_t* c, bool desktops)
{
    auto tree = Own(xcb_query_tree_reply(c, xcb_query_tree(c, Root(c)), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* first = xcb_query_tree_children(tree.get());
    const std::vector<xcb_window_t> children(first, first + xcb_query_tree_children_length(tree.get()));
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    attributes.reserve(children.size());
    for (const xcb_window_t w : children)
        attributes.push_back(xcb_get_window_attributes(c, w));
    const auto clientList = ManagedClients(c);
    // Without a manager, each window not override-redirect stands for itself.
    const std::vector<xcb_window_t> clients = clientList ? *clientList : children;
    const std::vector<xcb_window_t> frames = clientList ? Frames(c, clients, children) : children;
    std::vector<xcb_get_property_cookie_t> types;
    if (desktops)
        for (const xcb_window_t w : clients)
            types.push_back(AskList(c, w, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM));

    std::vector<Sibling> siblings(children.size());
    std::vector<bool> shown(children.size()); // mapped, and drawn
    for (std::size_t i = 0; i < children.size(); ++i) {
        siblings[i].window = children[i];
        xcb_generic_error_t* error = nullptr;
        auto a = Own(xcb_get_window_attributes_reply(c, attributes[i], &error));
        std::free(error);
        siblings[i].managed = a && a->map_state == XCB_MAP_STATE_VIEWABLE && (clientList || !a->override_redirect);
        shown[i] = a && a->map_state == XCB_MAP_STATE_VIEWABLE && a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
    }
    const xcb_atom_t desktop = desktops ? Atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP") : xcb_atom_t(XCB_ATOM_NONE);
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const auto holder = std::find(children.begin(), children.end(), frames[i]);
        const bool isDesktop = desktops && [&] {
            const auto list = ListProperty(c, types[i]);
            return std::find(list.begin(), list.end(), desktop) != list.end();
        }();
        if (holder == children.end())
            continue;
        Sibling& s = siblings[std::size_t(holder - children.begin())];
        s.own = s.own || MadeHere(c, clients[i]);
        s.desktop = s.desktop || isDesktop;
    }
    // In the manager's list, but not framed by it: not managed after all.
    if (clientList)
        for (Sibling& s : siblings)
            s.managed = s.managed && std::find(frames.begin(), frames.end(), s.window) != frames.end();
    for (std::size_t i = 0; i < siblings.size(); ++i)
        siblings[i].unmanaged = shown[i] && !siblings[i].managed && !MadeHere(c, siblings[i].window);
    return siblings;
}

// A manager's frame takes the clicks its client lets through: each window
// that holds this one lets them through as well.
void PassClicksThroughFrame(xcb_connection_t* c, xcb_window_t window)
{
    if (!Extension(c, &xcb_shape_id))
        return;
    constexpr int kDeepest = 8;
    for (int level = 0; level < kDeepest; ++level) {
        xcb_generic_error_t* error = nullptr;
        auto tree = Own(xcb_query_tree_reply(c, xcb_query_tree(c, window), &error));
        std::free(error); // the frame went meanwhile
        if (!tree || tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            break;
        window = tree->parent;
        Check(c,
              xcb_shape_rectangles_checked(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, window,
                                           0, 0, 0, nullptr),
              "ShapeRectangles");
    }
    Flush(c);
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
    m_nRestacks = 0;
    Restack();
}

bool AboveKeeper::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7F) {
    case XCB_PROPERTY_NOTIFY: {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        xcb_connection_t* c = Connection();
        if (c && notify->window == m_window && notify->atom == Atom(c, "_NET_FRAME_EXTENTS")) {
            const auto extents = ListProperty(c, AskList(c, notify->window, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL));
            if (std::any_of(extents.begin(), extents.end(), [](uint32_t e) { return e != 0; }))
                emit decorated();
        }
        break;
    }
    case XCB_MAP_NOTIFY:
        m_nRestacks = 0;
        [[fallthrough]];
    case XCB_UNMAP_NOTIFY: // a locker or a menu gone frees the way up
    case XCB_REPARENT_NOTIFY:
        if (reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window == m_window)
            if (xcb_connection_t* c = Connection())
                PassClicksThroughFrame(c, xcb_window_t(m_window));
        [[fallthrough]];
    case XCB_CONFIGURE_NOTIFY:
        // One look after each burst of events is enough.
        if (!m_check.isActive())
            m_check.start(0);
        break;
    default:
        break;
    }
    return false;
}

void AboveKeeper::Restack()
{
    xcb_connection_t* c = Connection();
    if (!c || !m_window)
        return;
    // A window a manager handles is stacked by the manager alone.
    auto self = Own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(m_window)), nullptr));
    if (self && !self->override_redirect && ManagedClients(c))
        return;
    std::vector<Sibling> siblings = Siblings(c, !m_bEnabled);
    // Without a manager the window itself may look managed: it is what moves.
    for (Sibling& s : siblings)
        s.managed = s.managed && s.window != m_window;
    const Restacking to = ChooseRestacking(siblings, m_window, m_bEnabled);
    if (!to.sibling)
        return;
    constexpr int kMostRestacks = 100;
    if (++m_nRestacks == kMostRestacks)
        emit overruled();
    if (m_nRestacks >= kMostRestacks)
        return;
    const uint32_t values[2] = {uint32_t(to.sibling), to.above ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW};
    Check(c,
          xcb_configure_window_checked(c, xcb_window_t(m_window),
                                       XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values),
          "ConfigureWindow");
    Flush(c);
}

Restacking ChooseRestacking(const std::vector<Sibling>& siblings, unsigned long window, bool topMost)
{
    const auto self =
        std::find_if(siblings.begin(), siblings.end(), [&](const Sibling& s) { return s.window == window; });
    if (self == siblings.end())
        return {};
    const auto begin = siblings.begin();
    const auto end = siblings.end();
    if (topMost) {
        const auto foreign = [](const Sibling& s) { return s.managed && !s.own; };
        const auto below = std::find_if(std::next(self), end, [](const Sibling& s) { return s.unmanaged; });
        const auto highest =
            std::find_if(std::make_reverse_iterator(below), std::make_reverse_iterator(begin), foreign);
        if (highest.base() == begin) {
            // Only its own windows: under the lowest of them.
            const auto own = std::find_if(begin, self, [](const Sibling& s) { return s.managed && s.own; });
            return own == self ? Restacking{} : Restacking{own->window, false};
        }
        const auto top = std::prev(highest.base());
        // Right when nothing of others is above it, and nothing of its own
        // between that and it.
        const bool right = top < self && std::none_of(std::next(top), self, [](const Sibling& s) { return s.managed; });
        return right ? Restacking{} : Restacking{top->window, true};
    }
    const auto desktop = [](const Sibling& s) { return s.managed && s.desktop; };
    const auto lowest = std::find_if(begin, end, [](const Sibling& s) { return s.managed && !s.desktop; });
    if (lowest < self)
        return {lowest->window, false};
    // Above the desktop, which would hide it.
    if (std::none_of(std::next(self), lowest, desktop))
        return {};
    if (lowest != end)
        return {lowest->window, false};
    return {std::find_if(std::make_reverse_iterator(end), std::make_reverse_iterator(begin), desktop)->window, true};
}

} // namespace platform::x11
