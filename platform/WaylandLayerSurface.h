#pragma once
// A surface on a layer of the Wayland desktop, for the clock face: anchored to
// an output's top-left corner at the clock's place, never taking the keyboard,
// reserving no space, with an empty input region so that every click goes to
// what lies beneath. Its pixels come from shared-memory buffers, two as a
// rule (a third while the compositor holds both), at the output's scale (a
// fractional one through a viewport, where the compositor offers that); a
// frame sends only the area that changed.
//
// The compositor fixes a surface's output when it is made, and some fix its
// layer too: a change of either makes a new surface, shown before the old one
// goes, so that the clock does not blink.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRegion>
#include <QSize>

#include "platform/WaylandPlacement.h"

namespace platform::wayland {

class Connection;
class ShmBuffer;

class LayerSurface : public QObject {
    Q_OBJECT
public:
    // Draws `area` (device pixels) of the latest frame into `buffer`, in
    // place. It may be asked for more than the frame's damage: a buffer that
    // missed earlier frames, or a new one, needs them too.
    using Filler = std::function<void(QImage& buffer, const QRegion& area)>;

    // The connection must outlive the surface. Nothing shows before Show().
    explicit LayerSurface(Connection& connection, QObject* parent = nullptr);
    ~LayerSurface() override;
    LayerSurface(const LayerSurface&) = delete;
    LayerSurface& operator=(const LayerSurface&) = delete;

    // Where the surface goes: its layer, the clock's top-left corner in the
    // desktop's logical coordinates (the output is the one that holds it) and
    // its logical size. A shown surface follows at once.
    void SetLayer(Layer layer);
    void SetPosition(const QPoint& topLeft);
    void SetSize(const QSize& size);
    Layer GetLayer() const { return m_layer; }

    // Makes the surface; false when the compositor has no layer shell or the
    // size is empty (a surface resized to nothing is hidden). It shows once
    // the compositor has configured it and a frame is painted.
    bool Show();
    // Removes the surface; the latest frame is kept for the next Show().
    void Hide();
    bool Shown() const { return m_role != nullptr; }
    // The current surface shows a frame.
    bool Mapped() const;
    // What the compositor was last told of the current surface.
    SurfaceState Live() const;

    // Device pixels per logical pixel: the output's scale, or the one the
    // compositor prefers for the surface where it tells (1.25, 1.5, ...);
    // and the buffers' size in device pixels.
    qreal Scale() const { return m_nScale120 / 120.0; }
    QSize BufferSize() const { return m_size * Scale(); }

    // Has `fill` bring a free buffer up to the new frame, which differs from
    // the one before inside `damage` (device pixels), and shows it. False
    // when nothing was painted: no size, no memory, or every buffer still held
    // by the compositor, in which case repaintNeeded() follows and the next
    // paint includes this damage.
    bool Paint(const Filler& fill, const QRegion& damage);

signals:
    // The compositor closed the surface (its output went away, or it chose
    // to): Show() makes a new one. Best handled from the event loop.
    void closed();
    // A frame is needed that the surface cannot make from the latest one: the
    // scale changed, or a paint found no free buffer.
    void repaintNeeded();

private:
    struct Role;

    // The state wanted, and the scale in 120ths (as the compositor counts it).
    SurfaceState Wanted(int* scale120) const;
    void Reconcile();
    std::unique_ptr<Role> MakeRole(const SurfaceState& state);
    void OnConfigure(Role* role, std::uint32_t serial);
    void OnClosed(Role* role);
    void OnPreferredScale(Role* role, int scale120);
    void OnReleased();
    // Shows the latest frame on a surface that has none yet.
    void Present();
    ShmBuffer* FreeBuffer();
    void DropBuffers();
    void Commit(ShmBuffer& buffer, const QRegion& damage);

    Connection& m_conn;
    Layer m_layer = Layer::Bottom;
    QPoint m_position;
    QSize m_size;
    int m_nScale120 = 120;
    int m_nPreferred120 = 0; // the compositor's word for the current output; 0 none
    std::unique_ptr<Role> m_role;
    std::unique_ptr<Role> m_retiring; // shown until the new surface shows a frame
    std::vector<std::unique_ptr<ShmBuffer>> m_buffers;
    ShmBuffer* m_pFront = nullptr; // holds the latest frame
    QRegion m_rgnUnsent;           // changed since the last commit
    QRegion m_rgnMissed;           // damage of paints that found no buffer
    bool m_bWaitingForBuffer = false;
};

} // namespace platform::wayland
