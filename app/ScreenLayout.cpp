#include "app/ScreenLayout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

QRect ScreenInfo::Device() const
{
    return QRect(geometry.topLeft(), QSize(qRound(geometry.width() * ratio), qRound(geometry.height() * ratio)));
}

ScreenLayout ScreenLayout::Single(const QSize& size)
{
    const QRect all(QPoint(), size);
    return ScreenLayout{{ScreenInfo{all, all, 1}}, 0};
}

namespace layout {
namespace {

// Stored values may be anything an int holds; positions this far out are
// off every screen however they are mapped.
constexpr double kFar = 1 << 30;

int Shorter(const QRect& r) { return std::min(r.width(), r.height()); }

Range Widened(Range range, int value)
{
    range.min = std::min(range.min, value);
    range.max = std::max(range.max, value);
    return range;
}

// Stored to device along one axis, for a stored place p whose other
// coordinate is `across`; see the header.
double MapAlong(const ScreenLayout& layout, bool horizontal, double p, double across)
{
    struct Span {
        double logical, device, logicalEnd, deviceEnd, ratio;
    };
    const auto crossDistance = [&](const ScreenInfo& s) {
        const QRect& g = s.geometry;
        const double from = horizontal ? g.top() : g.left();
        const double to = from + (horizontal ? g.height() : g.width());
        return across < from ? from - across : across >= to ? across - to + 1 : 0.0;
    };
    double nearest = std::numeric_limits<double>::max();
    for (const ScreenInfo& s : layout.screens)
        nearest = std::min(nearest, crossDistance(s));
    std::vector<Span> spans;
    for (const ScreenInfo& s : layout.screens) {
        if (crossDistance(s) != nearest)
            continue;
        const QRect g = s.geometry;
        const QRect d = s.Device();
        const double origin = horizontal ? g.left() : g.top();
        spans.push_back({origin, origin, origin + (horizontal ? g.width() : g.height()),
                         origin + (horizontal ? d.width() : d.height()), s.ratio});
    }
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.logical < b.logical; });
    // Knots where both coordinates never go back: overlapping spans give way
    // to the earlier one.
    std::vector<std::pair<double, double>> knots;
    for (const Span& s : spans)
        for (const auto& [l, d] : {std::pair(s.logical, s.device), std::pair(s.logicalEnd, s.deviceEnd)}) {
            if (knots.empty())
                knots.emplace_back(l, d);
            else
                knots.emplace_back(std::max(l, knots.back().first), std::max(d, knots.back().second));
        }
    if (p < knots.front().first)
        return knots.front().second + (p - knots.front().first) * spans.front().ratio;
    if (p >= knots.back().first)
        return knots.back().second + (p - knots.back().first) * spans.back().ratio;
    for (std::size_t k = 1; k < knots.size(); ++k)
        if (p < knots[k].first) {
            const auto& [l0, d0] = knots[k - 1];
            const auto& [l1, d1] = knots[k];
            return d0 + (p - l0) * (d1 - d0) / (l1 - l0);
        }
    return knots.back().second;
}

qint64 Overlap(const QRect& a, const QRect& b)
{
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

qint64 DistanceSquared(const QRect& a, const QRect& b)
{
    const qint64 dx = std::max({qint64(0), qint64(b.left()) - a.right(), qint64(a.left()) - b.right()});
    const qint64 dy = std::max({qint64(0), qint64(b.top()) - a.bottom(), qint64(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

GeometryRanges Ranges(const ScreenLayout& layout, int left, int top, int size)
{
    QRect all;
    int largest = 0;
    for (const ScreenInfo& s : layout.screens) {
        all |= s.geometry;
        largest = std::max(largest, Shorter(s.geometry));
    }
    const int w = all.width();
    const int h = all.height();
    GeometryRanges ranges;
    ranges.x = Widened({all.left() - w, all.left() + w, w / 5, w / 5}, left);
    ranges.y = Widened({all.top() - h, all.top() + h, h / 5, h / 5}, top);
    ranges.size = Widened({1, largest, largest / 5, largest / 10}, size);
    return ranges;
}

int DefaultSize(const ScreenLayout& layout)
{
    const QRect area = layout.Primary().available;
    return area.width() >= area.height() ? area.height() : area.width();
}

int DefaultLeft(const ScreenLayout& layout, int size)
{
    // In 64 bits: any stored size, however large or negative, fits.
    const QRect area = layout.Primary().available;
    const qint64 offset = (qint64(area.width()) - size) / 2;
    return int(std::clamp(area.left() + std::max(offset, qint64(0)), qint64(INT_MIN), qint64(INT_MAX)));
}

int DefaultTop(const ScreenLayout& layout) { return layout.Primary().available.top(); }

Placement Place(const ScreenLayout& layout, int left, int top, int size, int maxDeviceSide, int coordRange)
{
    const auto& screens = layout.screens;
    const double x = std::clamp(MapAlong(layout, true, left, top), -kFar, kFar);
    const double y = std::clamp(MapAlong(layout, false, top, left), -kFar, kFar);
    const int wanted = std::clamp(size, 1, maxDeviceSide);
    const auto deviceRect = [&](int screen, int side) {
        const int deviceSide = qRound(side * screens[std::size_t(screen)].ratio);
        return QRect(int(std::lround(x)), int(std::lround(y)), deviceSide, deviceSide);
    };

    // The window belongs to the screen that holds its centre (as Qt decides),
    // else to the nearest.
    Placement place;
    place.screen = -1;
    for (int i = 0; i < int(screens.size()) && place.screen < 0; ++i)
        if (screens[std::size_t(i)].Device().contains(deviceRect(i, wanted).center()))
            place.screen = i;
    if (place.screen < 0) {
        qint64 best = std::numeric_limits<qint64>::max();
        for (int i = 0; i < int(screens.size()); ++i) {
            const qint64 d = DistanceSquared(deviceRect(i, wanted), screens[std::size_t(i)].Device());
            if (d < best)
                best = d, place.screen = i;
        }
    }
    QRect device = deviceRect(place.screen, wanted);

    bool seen = false;
    bool fits = false;
    for (const ScreenInfo& s : screens) {
        seen = seen || device.intersects(s.Device());
        fits = fits || wanted <= Shorter(s.geometry);
    }
    int side = wanted;
    if (!seen || !fits) {
        // Whole on the screen it covers most, else on the nearest, as close
        // as it comes to where it would be.
        qint64 most = 0;
        qint64 nearest = std::numeric_limits<qint64>::max();
        for (int i = 0; i < int(screens.size()); ++i) {
            const QRect d = screens[std::size_t(i)].Device();
            const qint64 overlap = Overlap(device, d);
            const qint64 distance = DistanceSquared(device, d);
            if (overlap > most || (most == 0 && distance < nearest))
                place.screen = i, most = overlap, nearest = distance;
        }
        const ScreenInfo& screen = screens[std::size_t(place.screen)];
        side = std::min(side, Shorter(screen.geometry));
        const QRect area = screen.Device();
        const int deviceSide = qRound(side * screen.ratio);
        device = QRect(std::clamp(device.left(), area.left(), area.right() + 1 - deviceSide),
                       std::clamp(device.top(), area.top(), area.bottom() + 1 - deviceSide), deviceSide, deviceSide);
        place.rescued = true;
    }

    const ScreenInfo& screen = screens[std::size_t(place.screen)];
    // At most the largest face in device pixels, within X11's coordinates.
    side = std::min(side, std::max(1, int(maxDeviceSide / screen.ratio)));
    const int deviceSide = qRound(side * screen.ratio);
    device = QRect(std::clamp(device.left(), -coordRange, coordRange - deviceSide),
                   std::clamp(device.top(), -coordRange, coordRange - deviceSide), deviceSide, deviceSide);
    place.device = device;
    // The logical place Qt maps back onto these device pixels on this screen.
    const QPoint origin = screen.geometry.topLeft();
    const QPoint offset = device.topLeft() - origin;
    place.window =
        QRect(origin + QPoint(qRound(offset.x() / screen.ratio), qRound(offset.y() / screen.ratio)), QSize(side, side));
    return place;
}

} // namespace layout
