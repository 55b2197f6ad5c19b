#pragma once
// The clock window's surface on a Wayland desktop: a layer surface of the
// program's own connection, which is itself what shows on the screen (the
// X11 window stays unmapped). The face is drawn and converted as for the
// image surface, each buffer filled straight from the frame, and only the
// area a new frame changed is converted and sent. The compositor always
// composes: every pixel is blended.

#include <QRect>

#include "platform/WaylandLayerSurface.h"
#include "window/ClockSurface.h"
#include "window/LayeredSurface.h"

namespace platform::wayland {
class Connection;
} // namespace platform::wayland

class WaylandSurface final : public ClockSurface {
public:
    // The connection must outlive the surface. Nothing shows before Map().
    explicit WaylandSurface(platform::wayland::Connection& connection);

    // The clock's place and size in the desktop's logical coordinates and its
    // stacking; a mapped surface follows at once.
    void SetGeometry(const QRect& logical);
    void SetTopMost(bool topMost);
    // Device pixels per logical pixel on the output the clock is on.
    qreal Scale() const { return m_layer.Scale(); }

    // On the screen (once the compositor has configured it), or off it.
    bool Map() { return m_layer.Show(); }
    void Unmap() { m_layer.Hide(); }
    // For its signals: closed() and repaintNeeded().
    platform::wayland::LayerSurface& Layer() { return m_layer; }

    bool SetSize(const QSize& devicePixels, qreal ratio) override { return m_frame.SetSize(devicePixels, ratio); }
    QSize Size() const override { return m_frame.Size(); }
    qreal DevicePixelRatio() const override { return m_frame.DevicePixelRatio(); }

    // Blended whatever the window thinks of compositing.
    bool SetAttributes(COLORREF crKey, int nAlpha, bool bBlend) override;

    QRegion Draw(CClockFace& face, const FaceSettings& settings, std::time_t time) override;
    // Both send the area to the compositor; nothing while the frame is not
    // the size of the buffers (a scale that changed: a whole frame follows).
    void Show(const QRegion& devicePixels) override;
    void Expose(const QRegion& devicePixels) override { Show(devicePixels); }

    const QRegion& OpaqueRegion() const override { return m_frame.OpaqueRegion(); }
    bool UsesBackingStore() const override { return false; }

private:
    LayeredSurface m_frame;
    platform::wayland::LayerSurface m_layer;
};
