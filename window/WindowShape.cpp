#include "window/WindowShape.h"

#include <QWidget>

namespace {

// Qt reads an empty mask as "no mask, all of the window": a pixel outside
// the window stands for "none of it".
const QRegion& Nothing()
{
    static const QRegion nothing(-1, -1, 1, 1);
    return nothing;
}

} // namespace

WindowShape::WindowShape(QWidget* window)
    : m_pWindow(window)
{
}

void WindowShape::SetWindowRgn(const QRegion& rgn)
{
    m_rgnWindow = rgn;
    ++m_nWindowRgnSets;
    Apply();
}

void WindowShape::SetVisiblePixels(std::optional<QRegion> pixels)
{
    m_rgnVisible = std::move(pixels);
    Apply();
}

void WindowShape::Apply()
{
    QRegion shape = m_rgnWindow;
    if (m_rgnVisible) {
        shape = (m_rgnWindow.isEmpty() ? QRegion(m_pWindow->rect()) : m_rgnWindow).intersected(*m_rgnVisible);
        if (shape.isEmpty())
            shape = Nothing();
    }
    // Unchanged pixels cost no request to the X server.
    if (!m_rgnApplied.xored(shape).isEmpty()) {
        m_rgnApplied = shape;
        m_pWindow->setMask(shape);
    }
}
