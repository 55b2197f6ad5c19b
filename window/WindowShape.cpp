#include "window/WindowShape.h"

#include <utility>

#include <QWidget>

#include "platform/X11.h"

namespace {

// Qt reads an empty mask as "no mask, all of the window": a pixel outside
// the window stands for "none of it".
const QRegion& Nothing()
{
    static const QRegion nothing(-1, -1, 1, 1);
    return nothing;
}

} // namespace

WindowShape::WindowShape(QWidget* window) : m_pWindow(window) {}

void WindowShape::SetWindowRgn(const QRegion& rgn, const QRegion& devicePixels)
{
    m_rgnWindow = rgn;
    m_rgnWindowDevice = devicePixels;
    ++m_nWindowRgnSets;
    Apply();
}

void WindowShape::SetVisiblePixels(std::optional<QRegion> pixels)
{
    m_rgnVisible = std::move(pixels);
    Apply();
}

void WindowShape::Reapply()
{
    m_bStale = true;
    Apply();
}

void WindowShape::Apply()
{
    // Qt scales a mask's logical rectangles by the device pixel ratio, in
    // steps as large as the ratio: above 1 the shape is set in device pixels.
    const qreal ratio = m_pWindow->devicePixelRatioF();
    const bool native = ratio != 1.0 && platform::x11::IsAvailable();
    const QRegion& window = native ? m_rgnWindowDevice : m_rgnWindow;
    QRegion shape = window;
    if (m_rgnVisible) {
        const QRect all = native ? QRect(QPoint(), m_pWindow->size() * ratio) : m_pWindow->rect();
        shape = (window.isEmpty() ? QRegion(all) : window).intersected(*m_rgnVisible);
        if (shape.isEmpty())
            shape = Nothing();
    }
    // Unchanged pixels cost no request to the X server.
    const bool stale = std::exchange(m_bStale, false);
    if (!stale && native == m_bNative && m_rgnApplied.xored(shape).isEmpty())
        return;
    m_rgnApplied = shape;
    m_bNative = native;
    if (!native) {
        // Qt skips a mask equal to the one it has, which a new window lacks.
        if (stale)
            m_pWindow->clearMask();
        m_pWindow->setMask(shape);
        return;
    }
    if (!m_pWindow->mask().isEmpty())
        m_pWindow->clearMask();
    platform::x11::SetShape(m_pWindow->winId(), shape);
}
