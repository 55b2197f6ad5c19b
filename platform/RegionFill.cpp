// Filling regions and rectangles: through a region sink, straight into the
// pixels of an image when that gives what the painter would, or through the
// painter.

#include "platform/Region.h"

#include <algorithm>

#include <QImage>
#include <QPainter>

#include "platform/Pixels.h"
#include "platform/RegionSink.h"

namespace platform {
namespace {

// The image a painter draws straight into, when writing its pixels directly
// gives exactly what the painter would: no transform, no clip, 32-bit pixels.
QImage* DirectTarget(QPainter& dc)
{
    QPaintDevice* device = dc.device();
    if (!device || device->devType() != QInternal::Image || dc.hasClipping() || !dc.deviceTransform().isIdentity())
        return nullptr;
    const QPainter::CompositionMode mode = dc.compositionMode();
    if (mode != QPainter::CompositionMode_SourceOver && mode != QPainter::CompositionMode_Source)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    switch (image->format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return image;
    default:
        return nullptr;
    }
}

void FillRects(QPainter& dc, const QRect* begin, const QRect* end, COLORREF color)
{
    QImage* image = DirectTarget(dc);
    if (!image) {
        const QColor c = ToQColor(color);
        for (const QRect* r = begin; r != end; ++r)
            dc.fillRect(*r, c);
        return;
    }
    // The painter writes into this same buffer; going through bits() could
    // detach a shared image away from it.
    uchar* bits = const_cast<uchar*>(image->constBits());
    const qsizetype stride = image->bytesPerLine();
    const int width = image->width();
    const int height = image->height();
    const QRgb pixel = ToQRgb(color);
    for (const QRect* r = begin; r != end; ++r) {
        const int left = std::max(r->left(), 0);
        const int right = int(std::min<long long>(r->right() + 1LL, width));
        const int top = std::max(r->top(), 0);
        const int bottom = int(std::min<long long>(r->bottom() + 1LL, height));
        if (left >= right || top >= bottom)
            continue;
        if (left == 0 && right == width && stride == qsizetype(width) * 4) {
            // Whole rows, one after the other: one run.
            FillPixels(reinterpret_cast<QRgb*>(bits + top * stride), std::ptrdiff_t(width) * (bottom - top), pixel);
            continue;
        }
        for (int y = top; y < bottom; ++y)
            FillPixels(reinterpret_cast<QRgb*>(bits + y * stride) + left, right - left, pixel);
    }
}

} // namespace

void FillRgn(QPainter& dc, const QRegion& rgn, COLORREF color)
{
    if (RegionSink* sink = RegionSink::Of(dc))
        return sink->FillRegion(dc.deviceTransform().map(rgn), color);
    FillRects(dc, rgn.begin(), rgn.end(), color);
}

void FillRect(QPainter& dc, const RECT& rc, COLORREF color)
{
    if (RegionSink* sink = RegionSink::Of(dc))
        return sink->FillRegion(dc.deviceTransform().map(CreateRectRgn(rc.left, rc.top, rc.right, rc.bottom)), color);
    // Within the clip's range, so that the rectangle's width cannot overflow.
    const QRect& all = NoClip();
    const QRect rect(
        QPoint(std::clamp(rc.left, all.left(), all.right() + 1), std::clamp(rc.top, all.top(), all.bottom() + 1)),
        QPoint(std::clamp(rc.right, all.left(), all.right() + 1) - 1,
               std::clamp(rc.bottom, all.top(), all.bottom() + 1) - 1));
    if (!rect.isEmpty())
        FillRects(dc, &rect, &rect + 1, color);
}

void FrameRgn(QPainter& dc, const QRegion& rgn, COLORREF color, int w, int h)
{
    FillRgn(dc, FrameRegion(rgn, w, h), color);
}
} // namespace platform
