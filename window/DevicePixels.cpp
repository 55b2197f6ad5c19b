#include "window/DevicePixels.h"

#include <cmath>

namespace pixels {
namespace {

// The smallest rectangle of whole pixels covering rect scaled by factor.
QRect ScaledOut(const QRect& rect, qreal factor)
{
    const int left = int(std::floor(rect.left() * factor));
    const int top = int(std::floor(rect.top() * factor));
    const int right = int(std::ceil((rect.right() + 1) * factor));
    const int bottom = int(std::ceil((rect.bottom() + 1) * factor));
    return QRect(left, top, right - left, bottom - top);
}

QRegion ScaledOut(const QRegion& region, qreal factor)
{
    if (factor == 1.0)
        return region;
    QRegion scaled;
    for (const QRect& rect : region)
        scaled += ScaledOut(rect, factor);
    return scaled;
}

} // namespace

QRegion ToLogical(const QRegion& devicePixels, qreal ratio) { return ScaledOut(devicePixels, 1.0 / ratio); }

QRegion ToDevice(const QRegion& logical, qreal ratio) { return ScaledOut(logical, ratio); }

} // namespace pixels
