#pragma once
// The program's own connection to the Wayland compositor, beside whatever
// platform Qt uses (the clock's dialogs stay on X11 through XWayland): the
// globals a layer surface needs, the outputs with their place in the
// desktop's logical layout and their scale, and the events read in Qt's
// event loop. Everything is on the thread that made the connection.

#include <cstdint>
#include <memory>
#include <vector>

#include <QObject>
#include <QString>

#include "platform/WaylandPlacement.h"

class QSocketNotifier;
struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_shm;
struct wp_fractional_scale_manager_v1;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;

namespace platform::wayland {

struct Output;

// True when the compositor WAYLAND_DISPLAY names offers the layer shell.
// Asks it on a connection of its own, closed before it returns, so that it
// can be asked before the application object (and Qt's platform) exists.
bool LayerShellOffered();

class Connection : public QObject {
    Q_OBJECT
public:
    // Connects to the compositor WAYLAND_DISPLAY names and learns its globals
    // and outputs before it returns. Not Connected() without one.
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Connected() const { return m_display != nullptr && !m_bLost; }
    // The compositor offers what a layer surface needs: the layer shell, a
    // compositor and shared memory.
    bool Available() const;

    wl_display* Display() const { return m_display; }
    wl_compositor* Compositor() const { return m_compositor; }
    std::uint32_t CompositorVersion() const { return m_nCompositorVersion; }
    wl_shm* Shm() const { return m_shm; }
    zwlr_layer_shell_v1* LayerShell() const { return m_layerShell; }
    std::uint32_t LayerShellVersion() const { return m_nLayerShellVersion; }
    // Scales between whole numbers: the compositor's preferred scale for
    // each surface, and the viewport that shows a buffer at the surface's
    // logical size. Null unless the compositor offers both.
    wp_fractional_scale_manager_v1* FractionalScale() const { return m_viewporter ? m_fractionalScale : nullptr; }
    wp_viewporter* Viewporter() const { return m_fractionalScale ? m_viewporter : nullptr; }

    // The outputs that have told all about themselves, in the order the
    // compositor announced them; ids are registry names.
    std::vector<OutputGeometry> Outputs() const;
    wl_output* OutputHandle(std::uint32_t id) const;

    // Sends the requests made so far. Also done each time the event loop is
    // about to wait; a full socket is written once it takes more.
    void Flush();
    // Waits until the compositor has handled every request sent so far and
    // its answers are dispatched; false once the connection is lost.
    bool Roundtrip();

signals:
    // An output came, went, moved or changed its scale.
    void outputsChanged();
    // The compositor ended the connection or the program broke the protocol:
    // nothing shows through it any more.
    void lost();

private:
    friend struct Output;
    friend struct RegistryEvents;

    void OnGlobal(std::uint32_t name, const char* interface, std::uint32_t version);
    void OnGlobalRemove(std::uint32_t name);
    void AddOutput(std::uint32_t name, std::uint32_t version);
    void WatchXdg(Output& output);
    void OnReadable();
    void CheckError();

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    std::uint32_t m_nCompositorVersion = 0;
    wl_shm* m_shm = nullptr;
    zwlr_layer_shell_v1* m_layerShell = nullptr;
    std::uint32_t m_nLayerShellVersion = 0;
    zxdg_output_manager_v1* m_xdgOutputs = nullptr;
    wp_fractional_scale_manager_v1* m_fractionalScale = nullptr;
    wp_viewporter* m_viewporter = nullptr;
    bool m_bLost = false;
    std::vector<std::unique_ptr<Output>> m_outputs;
    QSocketNotifier* m_pRead = nullptr;
    QSocketNotifier* m_pWrite = nullptr;
};

} // namespace platform::wayland
