#include "platform/RegionSink.h"

#include <climits>

#include <QPaintEngine>
#include <QPainter>

namespace platform {
namespace {

// Lets a painter begin and keep its state; everything it would draw itself is dropped.
class NullPaintEngine : public QPaintEngine {
public:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    Type type() const override { return User; }
};

} // namespace

RegionSink* RegionSink::Of(QPainter& dc)
{
    auto* device = dynamic_cast<RegionSinkDevice*>(dc.device());
    return device ? &device->Sink() : nullptr;
}

RegionSinkDevice::RegionSinkDevice(RegionSink& sink) : m_sink(sink), m_pEngine(std::make_unique<NullPaintEngine>()) {}

RegionSinkDevice::~RegionSinkDevice() = default;

QPaintEngine* RegionSinkDevice::paintEngine() const { return m_pEngine.get(); }

int RegionSinkDevice::metric(PaintDeviceMetric metric) const
{
    // One device pixel per pixel at the usual 96 dpi, 32 bits deep.
    constexpr int kDpi = 96;
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return m_size.width() * 254 / (kDpi * 10);
    case PdmHeightMM:
        return m_size.height() * 254 / (kDpi * 10);
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return kDpi;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        return QPaintDevice::metric(metric);
    }
}

} // namespace platform
