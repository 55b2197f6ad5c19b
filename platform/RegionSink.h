#pragma once
// A target for filled regions that is not an image: the renderer paints only
// regions of one colour, so a painter begun on a RegionSinkDevice hands each of
// them on whole (FillRgn, FillRect), for a drawing surface elsewhere (the X
// server) to fill. The painter itself draws nothing there.

#include <memory>

#include <QPaintDevice>
#include <QRegion>
#include <QSize>

#include "platform/WinTypes.h"

class QPainter;

namespace platform {

class RegionSink {
public:
    virtual ~RegionSink() = default;
    // Every pixel of the region (device pixels) in the colour.
    virtual void FillRegion(const QRegion& rgn, COLORREF color) = 0;

    // The sink a painter paints into, or nullptr when its device is any other.
    static RegionSink* Of(QPainter& dc);
};

// A paint device of a given size whose fills go to a sink. A painter on it
// reports the size and an untransformed device, as on an image.
class RegionSinkDevice : public QPaintDevice {
public:
    explicit RegionSinkDevice(RegionSink& sink);
    ~RegionSinkDevice() override;

    void SetSize(const QSize& size) { m_size = size; }
    RegionSink& Sink() const { return m_sink; }

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    RegionSink& m_sink;
    QSize m_size;
    std::unique_ptr<QPaintEngine> m_pEngine;
};

} // namespace platform
