#include "window/WaylandSurface.h"

#include "platform/WaylandPlacement.h"

WaylandSurface::WaylandSurface(platform::wayland::Connection& connection) : m_layer(connection) {}

void WaylandSurface::SetGeometry(const QRect& logical)
{
    m_layer.SetSize(logical.size());
    m_layer.SetPosition(logical.topLeft());
}

void WaylandSurface::SetTopMost(bool topMost) { m_layer.SetLayer(platform::wayland::LayerFor(topMost)); }

bool WaylandSurface::SetAttributes(COLORREF crKey, int nAlpha, bool)
{
    return m_frame.SetAttributes(crKey, nAlpha, true);
}

QRegion WaylandSurface::Draw(CClockFace& face, const FaceSettings& settings, std::time_t time)
{
    return m_frame.Draw(face, settings, time);
}

void WaylandSurface::Show(const QRegion& devicePixels)
{
    if (m_frame.Size() != m_layer.BufferSize() || devicePixels.isEmpty())
        return;
    m_layer.Paint([this](QImage& buffer, const QRegion& area) { m_frame.PaintInto(buffer, area); }, devicePixels);
}
