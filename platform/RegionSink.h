#pragma once
// Where the renderer's pixels go. It paints only whole regions of one colour,
// so a target needs no more than its size and a fill: an image in memory
// (ImageSink), a drawing surface elsewhere (the X server), or whatever a
// window system draws with.

#include <QRegion>
#include <QSize>

#include "platform/WinTypes.h"

class QImage;

namespace platform {

class RegionSink {
public:
    virtual ~RegionSink() = default;
    // The target's pixels: from (0, 0) to this size, one per device pixel.
    virtual QSize Size() const = 0;
    // Every pixel of the region in the colour; pixels outside the target are
    // left alone.
    virtual void FillRegion(const QRegion& rgn, COLORREF color) = 0;
};

// Fills written straight into an image's pixels (32 bits a pixel; an image of
// any other format is painted through a QPainter).
class ImageSink final : public RegionSink {
public:
    explicit ImageSink(QImage& image) : m_image(image) {}

    QSize Size() const override;
    void FillRegion(const QRegion& rgn, COLORREF color) override;

private:
    QImage& m_image;
};

} // namespace platform
