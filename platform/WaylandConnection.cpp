#include "platform/WaylandConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <QtGlobal>

#include "platform/WaylandProtocols.h"

namespace platform::wayland {

// The newest versions this code knows; a compositor may offer newer ones.
constexpr std::uint32_t kCompositorVersion = 4; // damage in buffer pixels
constexpr std::uint32_t kOutputVersion = 4;
constexpr std::uint32_t kLayerShellVersion = 4;
constexpr std::uint32_t kXdgOutputVersion = 3;

// One wl_output with what it said about itself. Without xdg-output its
// logical rectangle comes from its position, its current mode, its transform
// and its scale.
struct Output {
    Connection* owner = nullptr;
    std::uint32_t name = 0;
    std::uint32_t version = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* xdg = nullptr;
    QPoint position;
    QSize mode;
    std::int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
    int scale = 1;
    QPoint logicalPosition;
    QSize logicalSize;
    bool done = false;

    ~Output()
    {
        if (xdg)
            zxdg_output_v1_destroy(xdg);
        if (output && version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
            wl_output_release(output);
        else if (output)
            wl_output_destroy(output);
    }

    QRect Logical() const
    {
        if (xdg && logicalSize.isValid() && !logicalSize.isEmpty())
            return QRect(logicalPosition, logicalSize);
        const bool turned = transform & 1; // 90 and 270 degrees, flipped or not
        const QSize size = turned ? mode.transposed() : mode;
        return QRect(position, size / std::max(scale, 1));
    }

    void Done()
    {
        done = true;
        emit owner->outputsChanged();
    }

    static const wl_output_listener kListener;
    static const zxdg_output_v1_listener kXdgListener;
};

const wl_output_listener Output::kListener = {
    [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t, const char*,
       const char*, std::int32_t transform) {
        auto* o = static_cast<Output*>(data);
        o->position = QPoint(x, y);
        o->transform = transform;
    },
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT)
            static_cast<Output*>(data)->mode = QSize(width, height);
    },
    [](void* data, wl_output*) { static_cast<Output*>(data)->Done(); },
    [](void* data, wl_output*, std::int32_t factor) { static_cast<Output*>(data)->scale = std::max(factor, 1); },
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener Output::kXdgListener = {
    [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
        static_cast<Output*>(data)->logicalPosition = QPoint(x, y);
    },
    [](void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
        static_cast<Output*>(data)->logicalSize = QSize(width, height);
    },
    // From version 3 the wl_output's done ends each change instead.
    [](void* data, zxdg_output_v1* xdg) {
        if (zxdg_output_v1_get_version(xdg) < 3)
            static_cast<Output*>(data)->Done();
    },
    [](void*, zxdg_output_v1*, const char*) {},
    [](void*, zxdg_output_v1*, const char*) {},
};

struct RegistryEvents {
    static const wl_registry_listener kListener;
};

const wl_registry_listener RegistryEvents::kListener = {
    [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
        static_cast<Connection*>(data)->OnGlobal(name, interface, version);
    },
    [](void* data, wl_registry*, std::uint32_t name) { static_cast<Connection*>(data)->OnGlobalRemove(name); },
};

bool LayerShellOffered()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    bool offered = false;
    static const wl_registry_listener kListener = {
        [](void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
            if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0)
                *static_cast<bool*>(data) = true;
        },
        [](void*, wl_registry*, std::uint32_t) {},
    };
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kListener, &offered);
    if (wl_display_roundtrip(display) < 0)
        offered = false;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered;
}

Connection::Connection(QObject* parent) : QObject(parent)
{
    m_display = wl_display_connect(nullptr);
    if (!m_display)
        return;
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &RegistryEvents::kListener, this);
    // The globals, then what the outputs say about themselves.
    if (!Roundtrip() || !Roundtrip())
        return;

    const int fd = wl_display_get_fd(m_display);
    m_pRead = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_pRead, &QSocketNotifier::activated, this, &Connection::OnReadable);
    m_pWrite = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    m_pWrite->setEnabled(false);
    connect(m_pWrite, &QSocketNotifier::activated, this, &Connection::Flush);
    // Requests go out in one batch when the loop has nothing else to do, and
    // events another call read into the queue are not left waiting there.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (Connected())
                wl_display_dispatch_pending(m_display);
            Flush();
        });
}

Connection::~Connection()
{
    if (!m_display)
        return;
    m_outputs.clear();
    if (m_xdgOutputs)
        zxdg_output_manager_v1_destroy(m_xdgOutputs);
    if (m_fractionalScale)
        wp_fractional_scale_manager_v1_destroy(m_fractionalScale);
    if (m_viewporter)
        wp_viewporter_destroy(m_viewporter);
    if (m_layerShell && m_nLayerShellVersion >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
        zwlr_layer_shell_v1_destroy(m_layerShell);
    else if (m_layerShell)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_layerShell));
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

bool Connection::Available() const { return Connected() && m_compositor && m_shm && m_layerShell; }

std::vector<OutputGeometry> Connection::Outputs() const
{
    std::vector<OutputGeometry> outputs;
    for (const auto& o : m_outputs)
        if (o->done)
            outputs.push_back({o->name, o->Logical(), o->scale});
    return outputs;
}

wl_output* Connection::OutputHandle(std::uint32_t id) const
{
    for (const auto& o : m_outputs)
        if (o->name == id)
            return o->output;
    return nullptr;
}

void Connection::Flush()
{
    if (!Connected())
        return;
    if (wl_display_flush(m_display) >= 0) {
        m_pWrite->setEnabled(false);
    } else if (errno == EAGAIN) {
        m_pWrite->setEnabled(true);
    } else {
        CheckError();
    }
}

bool Connection::Roundtrip()
{
    if (!Connected())
        return false;
    if (wl_display_roundtrip(m_display) < 0)
        CheckError();
    return Connected();
}

void Connection::OnGlobal(std::uint32_t name, const char* interface, std::uint32_t version)
{
    const auto bind = [&](const wl_interface* iface, std::uint32_t newest) {
        return wl_registry_bind(m_registry, name, iface, std::min(version, newest));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !m_compositor) {
        m_compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, kCompositorVersion));
        m_nCompositorVersion = std::min(version, kCompositorVersion);
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !m_shm) {
        m_shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && !m_layerShell) {
        m_layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, kLayerShellVersion));
        m_nLayerShellVersion = std::min(version, kLayerShellVersion);
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && !m_xdgOutputs) {
        m_xdgOutputs = static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, kXdgOutputVersion));
        for (auto& o : m_outputs)
            WatchXdg(*o);
    } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0 && !m_fractionalScale) {
        m_fractionalScale =
            static_cast<wp_fractional_scale_manager_v1*>(bind(&wp_fractional_scale_manager_v1_interface, 1));
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0 && !m_viewporter) {
        m_viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        AddOutput(name, version);
    }
}

void Connection::AddOutput(std::uint32_t name, std::uint32_t version)
{
    auto o = std::make_unique<Output>();
    o->owner = this;
    o->name = name;
    o->version = std::min(version, kOutputVersion);
    o->output = static_cast<wl_output*>(wl_registry_bind(m_registry, name, &wl_output_interface, o->version));
    wl_output_add_listener(o->output, &Output::kListener, o.get());
    // Before version 2 nothing ends an output's description: what came by
    // the next roundtrip is all there is.
    o->done = o->version < WL_OUTPUT_DONE_SINCE_VERSION;
    WatchXdg(*o);
    m_outputs.push_back(std::move(o));
}

void Connection::WatchXdg(Output& output)
{
    if (!m_xdgOutputs || output.xdg)
        return;
    output.xdg = zxdg_output_manager_v1_get_xdg_output(m_xdgOutputs, output.output);
    zxdg_output_v1_add_listener(output.xdg, &Output::kXdgListener, &output);
}

void Connection::OnGlobalRemove(std::uint32_t name)
{
    const auto it = std::find_if(m_outputs.begin(), m_outputs.end(), [&](const auto& o) { return o->name == name; });
    if (it == m_outputs.end())
        return;
    m_outputs.erase(it);
    emit outputsChanged();
}

void Connection::OnReadable()
{
    if (!Connected())
        return;
    while (wl_display_prepare_read(m_display) != 0)
        wl_display_dispatch_pending(m_display);
    if (wl_display_read_events(m_display) < 0) {
        CheckError();
        return;
    }
    wl_display_dispatch_pending(m_display);
    CheckError();
}

void Connection::CheckError()
{
    if (m_bLost || !m_display)
        return;
    const int error = wl_display_get_error(m_display);
    if (error == 0)
        return;
    m_bLost = true;
    if (m_pRead)
        m_pRead->setEnabled(false);
    if (m_pWrite)
        m_pWrite->setEnabled(false);
    const wl_interface* iface = nullptr;
    std::uint32_t id = 0;
    const std::uint32_t code = wl_display_get_protocol_error(m_display, &iface, &id);
    if (error == EPROTO)
        qWarning("Wayland: protocol error %u on %s@%u", code, iface ? iface->name : "?", id);
    else
        qWarning("Wayland: connection lost: %s", std::strerror(error));
    emit lost();
}

} // namespace platform::wayland
