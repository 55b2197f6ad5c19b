#include "platform/WaylandPlacement.h"

#include <algorithm>

namespace platform::wayland {

Layer LayerFor(bool topMost) { return topMost ? Layer::Top : Layer::Bottom; }

Placement Place(const std::vector<OutputGeometry>& outputs, const QPoint& topLeft, const QSize& size)
{
    if (outputs.empty())
        return {};
    for (std::size_t i = 0; i < outputs.size(); ++i)
        if (outputs[i].logical.contains(topLeft))
            return {int(i), topLeft - outputs[i].logical.topLeft(), outputs[i].scale};
    const QRect& first = outputs.front().logical;
    const QPoint offset = topLeft - first.topLeft();
    const int x = std::clamp(offset.x(), 0, std::max(0, first.width() - size.width()));
    const int y = std::clamp(offset.y(), 0, std::max(0, first.height() - size.height()));
    return {0, QPoint(x, y), outputs.front().scale};
}

Change ChangeFor(const SurfaceState& live, const SurfaceState& wanted)
{
    if (live == wanted)
        return Change::None;
    if (live.output != wanted.output || live.layer != wanted.layer)
        return Change::Recreate;
    return Change::Update;
}

} // namespace platform::wayland
