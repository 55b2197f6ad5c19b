#include "platform/WaylandLayerSurface.h"

#include <algorithm>
#include <cstring>

#include "platform/WaylandConnection.h"
#include "platform/WaylandProtocols.h"
#include "platform/WaylandShm.h"

namespace platform::wayland {
namespace {

// Two buffers take turns; a third is made only while the compositor holds both.
constexpr std::size_t kMaxBuffers = 3;

void CopyArea(const QImage& from, QImage& to, const QRegion& area)
{
    for (const QRect& r : area) {
        const qsizetype offset = qsizetype(r.left()) * 4;
        const std::size_t bytes = std::size_t(r.width()) * 4;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(to.scanLine(y) + offset, from.constScanLine(y) + offset, bytes);
    }
}

} // namespace

// One wl_surface with the layer role. Its state is what was sent.
struct LayerSurface::Role {
    LayerSurface* owner = nullptr;
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    wp_fractional_scale_v1* fractional = nullptr;
    wp_viewport* viewport = nullptr;
    SurfaceState state;
    int scale = 0;     // the buffer scale sent with the last buffer
    QSize destination; // the viewport's size sent with the last buffer
    bool configured = false;
    bool mapped = false;

    ~Role()
    {
        if (viewport)
            wp_viewport_destroy(viewport);
        if (fractional)
            wp_fractional_scale_v1_destroy(fractional);
        if (layer)
            zwlr_layer_surface_v1_destroy(layer);
        if (surface)
            wl_surface_destroy(surface);
    }

    static const zwlr_layer_surface_v1_listener kListener;
    static const wp_fractional_scale_v1_listener kScaleListener;
};

const wp_fractional_scale_v1_listener LayerSurface::Role::kScaleListener = {
    [](void* data, wp_fractional_scale_v1*, std::uint32_t scale120) {
        auto* role = static_cast<Role*>(data);
        role->owner->OnPreferredScale(role, int(scale120));
    },
};

const zwlr_layer_surface_v1_listener LayerSurface::Role::kListener = {
    [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t, std::uint32_t) {
        // The size is the one asked for, or one the clock cannot take: the
        // face keeps its own.
        auto* role = static_cast<Role*>(data);
        role->owner->OnConfigure(role, serial);
    },
    [](void* data, zwlr_layer_surface_v1*) {
        auto* role = static_cast<Role*>(data);
        role->owner->OnClosed(role);
    },
};

LayerSurface::LayerSurface(Connection& connection, QObject* parent) : QObject(parent), m_conn(connection)
{
    connect(&m_conn, &Connection::outputsChanged, this, &LayerSurface::Reconcile);
}

LayerSurface::~LayerSurface()
{
    m_retiring.reset();
    m_role.reset();
    m_buffers.clear();
    m_conn.Flush();
}

void LayerSurface::SetLayer(Layer layer)
{
    m_layer = layer;
    Reconcile();
}

void LayerSurface::SetPosition(const QPoint& topLeft)
{
    m_position = topLeft;
    Reconcile();
}

void LayerSurface::SetSize(const QSize& size)
{
    if (size == m_size)
        return;
    m_size = size;
    DropBuffers();
    Reconcile();
}

bool LayerSurface::Show()
{
    // A size of 0 would ask the compositor to choose one between anchors
    // the surface does not have.
    if (!m_conn.Available() || m_size.isEmpty())
        return false;
    if (!m_role) {
        int scale120 = 120;
        m_role = MakeRole(Wanted(&scale120));
        if (scale120 != m_nScale120) {
            m_nScale120 = scale120;
            DropBuffers();
        }
    }
    return true;
}

void LayerSurface::Hide()
{
    m_retiring.reset();
    m_role.reset();
    m_conn.Flush();
}

bool LayerSurface::Mapped() const { return m_role && m_role->mapped; }

SurfaceState LayerSurface::Live() const { return m_role ? m_role->state : SurfaceState{}; }

SurfaceState LayerSurface::Wanted(int* scale120) const
{
    const std::vector<OutputGeometry> outputs = m_conn.Outputs();
    const Placement place = Place(outputs, m_position, m_size);
    SurfaceState state;
    state.layer = m_layer;
    state.size = m_size;
    if (place.output >= 0) {
        state.output = outputs[std::size_t(place.output)].id;
        state.margins = place.margins;
    } else {
        // No output has described itself yet: the compositor chooses one.
        state.margins = QPoint(std::max(m_position.x(), 0), std::max(m_position.y(), 0));
    }
    *scale120 = m_nPreferred120 > 0 ? m_nPreferred120 : place.scale * 120;
    return state;
}

void LayerSurface::Reconcile()
{
    int scale120 = 120;
    // Another output's scale is not known before the compositor tells.
    if (m_role && Wanted(&scale120).output != m_role->state.output)
        m_nPreferred120 = 0;
    const SurfaceState wanted = Wanted(&scale120);
    const bool rescaled = scale120 != m_nScale120;
    if (rescaled) {
        m_nScale120 = scale120;
        DropBuffers();
    }
    if (m_role && wanted.size.isEmpty()) {
        Hide();
    } else if (m_role) {
        Role& live = *m_role;
        switch (ChangeFor(live.state, wanted)) {
        case Change::None:
            break;
        case Change::Update:
            if (wanted.margins != live.state.margins)
                zwlr_layer_surface_v1_set_margin(live.layer, wanted.margins.y(), 0, 0, wanted.margins.x());
            if (wanted.size != live.state.size)
                zwlr_layer_surface_v1_set_size(live.layer, std::uint32_t(wanted.size.width()),
                                               std::uint32_t(wanted.size.height()));
            live.state = wanted;
            wl_surface_commit(live.surface);
            m_conn.Flush();
            break;
        case Change::Recreate:
            // The old surface stays until the new one shows a frame; one that
            // shows nothing yet is no use to keep.
            if (live.mapped)
                m_retiring = std::move(m_role);
            m_role = MakeRole(wanted);
            break;
        }
    }
    if (rescaled)
        emit repaintNeeded();
}

std::unique_ptr<LayerSurface::Role> LayerSurface::MakeRole(const SurfaceState& state)
{
    auto role = std::make_unique<Role>();
    role->owner = this;
    role->state = state;
    role->surface = wl_compositor_create_surface(m_conn.Compositor());
    role->layer = zwlr_layer_shell_v1_get_layer_surface(
        m_conn.LayerShell(), role->surface, m_conn.OutputHandle(state.output), std::uint32_t(state.layer), "vitrodial");
    zwlr_layer_surface_v1_add_listener(role->layer, &Role::kListener, role.get());
    if (m_conn.FractionalScale()) {
        role->fractional = wp_fractional_scale_manager_v1_get_fractional_scale(m_conn.FractionalScale(), role->surface);
        wp_fractional_scale_v1_add_listener(role->fractional, &Role::kScaleListener, role.get());
        role->viewport = wp_viewporter_get_viewport(m_conn.Viewporter(), role->surface);
    }
    zwlr_layer_surface_v1_set_size(role->layer, std::uint32_t(state.size.width()), std::uint32_t(state.size.height()));
    zwlr_layer_surface_v1_set_anchor(role->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    // -1: placed by its margins alone, whatever panels reserve.
    zwlr_layer_surface_v1_set_exclusive_zone(role->layer, -1);
    zwlr_layer_surface_v1_set_margin(role->layer, state.margins.y(), 0, 0, state.margins.x());
    zwlr_layer_surface_v1_set_keyboard_interactivity(role->layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    // An empty region: the pointer finds nothing here and goes to what lies beneath.
    wl_region* nothing = wl_compositor_create_region(m_conn.Compositor());
    wl_surface_set_input_region(role->surface, nothing);
    wl_region_destroy(nothing);
    // The first commit carries no buffer; the compositor answers with a configure.
    wl_surface_commit(role->surface);
    m_conn.Flush();
    return role;
}

void LayerSurface::OnConfigure(Role* role, std::uint32_t serial)
{
    zwlr_layer_surface_v1_ack_configure(role->layer, serial);
    const bool first = !role->configured;
    role->configured = true;
    if (role == m_role.get() && first)
        Present();
}

void LayerSurface::OnClosed(Role* role)
{
    if (role == m_retiring.get()) {
        m_retiring.reset();
        return;
    }
    if (role != m_role.get())
        return;
    m_role.reset();
    m_retiring.reset();
    m_conn.Flush();
    emit closed();
}

void LayerSurface::OnPreferredScale(Role* role, int scale120)
{
    if (role != m_role.get() || scale120 <= 0 || scale120 == m_nPreferred120)
        return;
    m_nPreferred120 = scale120;
    Reconcile();
}

void LayerSurface::OnReleased()
{
    if (!m_bWaitingForBuffer)
        return;
    m_bWaitingForBuffer = false;
    if (m_role && m_role->configured && !m_role->mapped)
        Present();
    if (!m_rgnMissed.isEmpty())
        emit repaintNeeded();
}

void LayerSurface::Present()
{
    if (!m_role || !m_role->configured)
        return;
    if (!m_pFront) {
        emit repaintNeeded();
        return;
    }
    ShmBuffer* buffer = m_pFront->Busy() ? FreeBuffer() : m_pFront;
    if (!buffer) {
        m_bWaitingForBuffer = true;
        return;
    }
    if (buffer != m_pFront) {
        // The front buffer still shows on the old surface: a buffer shown on
        // two surfaces has no defined release.
        CopyArea(m_pFront->Image(), buffer->Image(), buffer->stale);
        buffer->stale = QRegion();
        m_pFront = buffer;
    }
    Commit(*buffer, QRect(QPoint(), BufferSize()));
}

ShmBuffer* LayerSurface::FreeBuffer()
{
    // Buffers of another size are gone from use; the busy ones go once the
    // compositor has let them go.
    const QSize size = BufferSize();
    m_buffers.erase(std::remove_if(m_buffers.begin(), m_buffers.end(),
                                   [&](const auto& b) { return b->Size() != size && !b->Busy(); }),
                    m_buffers.end());
    if (m_pFront && !m_pFront->Busy())
        return m_pFront;
    for (const auto& b : m_buffers)
        if (!b->Busy() && b->Size() == size)
            return b.get();
    if (m_buffers.size() >= kMaxBuffers || size.isEmpty())
        return nullptr;
    auto buffer = std::make_unique<ShmBuffer>(m_conn.Shm(), size, [this] { OnReleased(); });
    if (!buffer->Valid())
        return nullptr;
    m_buffers.push_back(std::move(buffer));
    return m_buffers.back().get();
}

void LayerSurface::DropBuffers()
{
    // Nothing in them fits the new size: the next frame is drawn whole.
    m_pFront = nullptr;
    m_rgnMissed = QRegion();
    const QSize size = BufferSize();
    m_buffers.erase(std::remove_if(m_buffers.begin(), m_buffers.end(),
                                   [&](const auto& b) { return b->Size() != size && !b->Busy(); }),
                    m_buffers.end());
}

bool LayerSurface::Paint(const Filler& fill, const QRegion& damage)
{
    const QRect whole(QPoint(), BufferSize());
    ShmBuffer* buffer = whole.isEmpty() ? nullptr : FreeBuffer();
    if (!buffer) {
        m_rgnMissed += damage;
        m_bWaitingForBuffer = !whole.isEmpty();
        return false;
    }
    const QRegion changed = (damage + m_rgnMissed) & whole;
    m_rgnMissed = QRegion();
    QRegion area = changed;
    // What the buffer missed of earlier frames comes from the latest one, or
    // is drawn when there is none.
    const QRegion behind = buffer->stale - changed;
    if (m_pFront && m_pFront != buffer)
        CopyArea(m_pFront->Image(), buffer->Image(), behind);
    else
        area += behind;
    fill(buffer->Image(), area);
    for (const auto& b : m_buffers)
        if (b.get() != buffer)
            b->stale += changed;
    buffer->stale = QRegion();
    m_pFront = buffer;
    m_rgnUnsent += area;
    if (m_role && m_role->configured)
        Commit(*buffer, m_role->mapped ? m_rgnUnsent : QRegion(whole));
    return true;
}

void LayerSurface::Commit(ShmBuffer& buffer, const QRegion& damage)
{
    Role& role = *m_role;
    if (role.viewport) {
        // The buffer keeps a scale of 1 and the viewport shows it at the
        // surface's logical size, whatever the scale.
        if (role.destination != m_size) {
            wp_viewport_set_destination(role.viewport, m_size.width(), m_size.height());
            role.destination = m_size;
        }
    } else if (role.scale != m_nScale120 / 120
               && m_conn.CompositorVersion() >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION) {
        role.scale = m_nScale120 / 120;
        wl_surface_set_buffer_scale(role.surface, role.scale);
    }
    wl_surface_attach(role.surface, buffer.Handle(), 0, 0);
    if (m_conn.CompositorVersion() >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
        for (const QRect& r : damage)
            wl_surface_damage_buffer(role.surface, r.x(), r.y(), r.width(), r.height());
    } else {
        wl_surface_damage(role.surface, 0, 0, INT32_MAX, INT32_MAX);
    }
    wl_surface_commit(role.surface);
    buffer.SetBusy();
    role.mapped = true;
    m_rgnUnsent = QRegion();
    // The new surface shows: the one it replaces can go in the same batch.
    m_retiring.reset();
    m_conn.Flush();
}

} // namespace platform::wayland
