#include "window/LayeredSurface.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QBackingStore>
#include <QPainter>
#include <QWidget>

#include "clock/ClockFace.h"
#include "clock/LayeredImage.h"
#include "platform/Region.h"
#include "platform/RegionSink.h"
#include "window/DevicePixels.h"

namespace {

// Rows converted at a time when painting without direct access to the window's image.
constexpr int kStripRows = 64;

// The columns [first, second) of row y inside both the circle inscribed in
// the image and [left, right).
std::pair<int, int> InsideSpan(const QSize& size, int y, int left, int right)
{
    const auto span = platform::EllipseRowSpan(0, 0, size.width(), size.height(), y);
    const int first = std::clamp(span.first, left, right);
    return {first, std::clamp(span.second, first, right)};
}

} // namespace

bool LayeredSurface::SetAttributes(COLORREF crKey, int nAlpha, bool bBlend)
{
    if (!m_layering.Set(crKey, nAlpha, bBlend))
        return false;
    m_rgnOpaque = m_layering.bBlend || m_bFresh ? QRegion() : ScanOpaque(m_imgFrame.rect());
    return true;
}

bool LayeredSurface::SetSize(const QSize& devicePixels, qreal ratio)
{
    m_dRatio = ratio;
    if (m_imgFrame.size() != devicePixels) {
        m_imgFrame = QImage(devicePixels, QImage::Format_RGB32);
        m_bFresh = true;
        m_rgnOpaque = QRegion();
    }
    return true;
}

QRegion LayeredSurface::Draw(CClockFace& face, const FaceSettings& settings, std::time_t time)
{
    if (m_imgFrame.isNull())
        return {};
    const bool whole = m_bFresh;
    platform::ImageSink sink(m_imgFrame);
    const QRegion changed = face.DrawChanged(sink, settings, time, whole);
    if (whole || !changed.isEmpty())
        Commit(changed);
    return changed;
}

void LayeredSurface::Show(const QRegion& devicePixels)
{
    if (m_pWindow)
        m_pWindow->repaint(pixels::ToLogical(devicePixels, m_dRatio));
}

void LayeredSurface::Expose(const QRegion& devicePixels)
{
    if (!m_pWindow)
        return;
    // Converted straight into the image the window system shows, when it
    // is one the conversion can write; through a painter otherwise.
    QBackingStore* store = m_pWindow->backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    if (device && device->devType() == QInternal::Image) {
        auto* shown = static_cast<QImage*>(device);
        if (shown->format() == QImage::Format_ARGB32_Premultiplied && shown->width() >= m_imgFrame.width()
            && shown->height() >= m_imgFrame.height()) {
            PaintInto(*shown, devicePixels);
            return;
        }
    }
    QPainter painter(m_pWindow);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    Paint(painter, devicePixels);
}

void LayeredSurface::Commit(const QRegion& changed)
{
    const bool fresh = m_bFresh;
    m_bFresh = false;
    if (m_layering.bBlend)
        return;
    // Scanning the changed area's box is simpler than its rectangles and as right.
    const QRect box = fresh ? m_imgFrame.rect() : changed.boundingRect();
    m_rgnOpaque = fresh ? ScanOpaque(box) : m_rgnOpaque.subtracted(box).united(ScanOpaque(box));
}

QRegion LayeredSurface::ScanOpaque(const QRect& area) const
{
    // Runs of visible pixels row by row; identical neighbouring rows share
    // one band, the form QRegion keeps its rectangles in.
    const QRect rect = area.intersected(m_imgFrame.rect());
    const QRgb key = ToQRgb(m_layering.crKey);
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> runs;
    std::vector<std::pair<int, int>> previous;
    std::size_t bandStart = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(m_imgFrame.constScanLine(y));
        const auto inside = InsideSpan(m_imgFrame.size(), y, rect.left(), rect.right() + 1);
        runs.clear();
        for (int x = inside.first; x < inside.second;) {
            if ((row[x] | 0xFF000000u) == key) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < inside.second && (row[x] | 0xFF000000u) != key)
                ++x;
            runs.emplace_back(start, x);
        }
        if (!runs.empty() && runs == previous) {
            for (std::size_t i = bandStart; i < rects.size(); ++i)
                rects[i].setBottom(y);
            continue;
        }
        bandStart = rects.size();
        for (const auto& run : runs)
            rects.emplace_back(run.first, y, run.second - run.first, 1);
        previous = runs;
    }
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    return region;
}

void LayeredSurface::Convert(const QRect& rect, uchar* to, qsizetype stride) const
{
    const QRgb key = ToQRgb(m_layering.crKey) | 0xFF000000u;
    const unsigned alpha = m_layering.bBlend ? unsigned(m_layering.nAlpha) : 255u;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(m_imgFrame.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(to + y * stride);
        const auto inside = InsideSpan(m_imgFrame.size(), y, rect.left(), rect.right() + 1);
        std::fill(dst + rect.left(), dst + inside.first, 0u);
        LayeredPixels(src + inside.first, dst + inside.first, inside.second - inside.first, key, alpha);
        std::fill(dst + inside.second, dst + rect.right() + 1, 0u);
    }
}

QImage LayeredSurface::Layered(const QRect& area) const
{
    const QRect rect = area.intersected(m_imgFrame.rect());
    QImage out(rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (!rect.isEmpty())
        Convert(rect, out.bits() - rect.top() * out.bytesPerLine() - rect.left() * 4, out.bytesPerLine());
    return out;
}

void LayeredSurface::PaintInto(QImage& shown, const QRegion& devicePixels) const
{
    // Written in place: going through bits() could detach a shared image.
    uchar* bits = const_cast<uchar*>(shown.constBits());
    for (const QRect& rect : devicePixels.intersected(m_imgFrame.rect()))
        Convert(rect, bits, shown.bytesPerLine());
}

void LayeredSurface::Paint(QPainter& painter, const QRegion& devicePixels) const
{
    // In strips, so that a full paint needs no second window-sized image.
    for (const QRect& rect : devicePixels.intersected(m_imgFrame.rect())) {
        for (int top = rect.top(); top <= rect.bottom(); top += kStripRows) {
            const QRect strip(rect.left(), top, rect.width(), std::min(kStripRows, rect.bottom() + 1 - top));
            QImage layered = Layered(strip);
            // Drawn at the painter's own ratio: a copy, never a scaling.
            layered.setDevicePixelRatio(m_dRatio);
            painter.drawImage(QPointF(strip.topLeft()) / m_dRatio, layered);
        }
    }
}
