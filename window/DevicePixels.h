#pragma once
// A window's own (logical) pixels and its device pixels at a device pixel
// ratio: the area of whole pixels on one side that covers an area on the other.

#include <QRegion>

namespace pixels {

QRegion ToLogical(const QRegion& devicePixels, qreal ratio);
QRegion ToDevice(const QRegion& logical, qreal ratio);

} // namespace pixels
