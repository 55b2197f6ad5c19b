#include "platform/RegionSink.h"

#include <algorithm>

#include <QImage>
#include <QPainter>

#include "platform/Pixels.h"

namespace platform {

QSize ImageSink::Size() const { return m_image.size(); }

void ImageSink::FillRegion(const QRegion& rgn, COLORREF color)
{
    switch (m_image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    default: {
        QPainter dc(&m_image);
        dc.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : rgn)
            dc.fillRect(r, ToQColor(color));
        return;
    }
    }
    if (rgn.isEmpty())
        return;
    uchar* bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    const int width = m_image.width();
    const int height = m_image.height();
    const QRgb pixel = ToQRgb(color);
    for (const QRect& r : rgn) {
        const int left = std::max(r.left(), 0);
        const int right = int(std::min<long long>(r.right() + 1LL, width));
        const int top = std::max(r.top(), 0);
        const int bottom = int(std::min<long long>(r.bottom() + 1LL, height));
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

} // namespace platform
