// Rasterizing polygons: their edges scanned row by row into spans of the
// pixels whose centres lie inside.

#include <algorithm>
#include <cmath>

#include "platform/RegionInternal.h"

namespace platform::detail {

QRegion Rasterize(std::vector<Edge>& edges, const QRect& clip, const QRegion* within)
{
    BandBuilder bands;
    if (edges.empty() || clip.isEmpty())
        return bands.Finish();

    const double clipLeft = clip.left();
    const double clipEnd = double(clip.right()) + 1.0;
    // An edge wholly left or right of the clip only flips, row by row, whether
    // the clip's first or last pixel is inside: it is kept as a flip of that
    // side for its rows, so that each row sorts only the edges it can see.
    // Edges wholly above or below the clip play no part.
    thread_local std::vector<std::pair<int, int>> flips; // (row, side): side 0 left, 1 right
    flips.clear();
    edges.erase(std::remove_if(edges.begin(), edges.end(),
                               [&](const Edge& e) {
                                   if (e.endRow <= clip.top() || e.firstRow > clip.bottom())
                                       return true;
                                   const double xEnd = e.xTop + (e.endRow - e.yTop) * e.slope;
                                   const double xFirst = e.xTop + (e.firstRow - e.yTop) * e.slope;
                                   const double lo = std::min(xFirst, xEnd), hi = std::max(xFirst, xEnd);
                                   // Whether its pixel bound, ceil(x - 0.5), lies at or beyond a side.
                                   const int side = hi <= clipLeft + 0.5 ? 0 : lo >= clipEnd + 0.5 ? 1 : -1;
                                   if (side < 0)
                                       return false;
                                   flips.emplace_back(e.firstRow, side);
                                   flips.emplace_back(e.endRow, side);
                                   return true;
                               }),
                edges.end());
    if (edges.empty() && flips.empty())
        return bands.Finish();
    std::sort(flips.begin(), flips.end());

    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.firstRow < b.firstRow; });
    int first = clip.top();
    int end = clip.top();
    if (!edges.empty())
        first = std::max(edges.front().firstRow, clip.top());
    for (const Edge& e : edges)
        end = std::max(end, e.endRow);
    for (const auto& flip : flips)
        first = std::min(std::max(flip.first, clip.top()), first), end = std::max(end, flip.first);
    end = std::min<long long>(end, (long long)clip.bottom() + 1);

    // Kept from one shape to the next: a frame rasterizes dozens of small shapes.
    thread_local std::vector<const Edge*> active;
    thread_local std::vector<double> xs;
    thread_local std::vector<Span> row;
    thread_local std::vector<Span> clipped;
    active.clear();
    std::size_t next = 0;
    std::size_t nextFlip = 0;
    bool outside[2] = {false, false};
    const QRect* withinNext = within ? within->begin() : nullptr;
    const QRect* withinEnd = within ? within->end() : nullptr;
    const QRect* withinRow = nullptr;
    for (int y = first; y < end; ++y) {
        if (within) {
            // The rectangles of the band holding row y; rows between bands are skipped.
            while (withinNext != withinEnd && withinNext->bottom() < y)
                ++withinNext;
            if (withinNext == withinEnd)
                break;
            if (withinNext->top() > y) {
                y = withinNext->top() - 1;
                continue;
            }
            for (withinRow = withinNext; withinRow != withinEnd && withinRow->top() <= y;)
                ++withinRow;
        }
        while (nextFlip < flips.size() && flips[nextFlip].first <= y)
            outside[flips[nextFlip++].second] ^= true;
        while (next < edges.size() && edges[next].firstRow <= y)
            active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [y](const Edge* e) { return e->endRow <= y; }),
                     active.end());
        if (active.empty() && !outside[0] && !outside[1]) {
            if (next == edges.size() && nextFlip == flips.size())
                break;
            long long skip = next < edges.size() ? edges[next].firstRow : end;
            if (nextFlip < flips.size())
                skip = std::min<long long>(skip, flips[nextFlip].first);
            y = int(std::max<long long>(y, skip - 1));
            continue;
        }
        const double yc = y + 0.5;
        if (active.size() == 2 && !outside[0] && !outside[1] && !within) {
            // A row through a convex shape, as most rows of a hand or a mark.
            double x0 = active[0]->xTop + (yc - active[0]->yTop) * active[0]->slope;
            double x1 = active[1]->xTop + (yc - active[1]->yTop) * active[1]->slope;
            if (x1 < x0)
                std::swap(x0, x1);
            const double a = std::max(std::ceil(x0 - 0.5), clipLeft);
            const double b = std::min(std::ceil(x1 - 0.5), clipEnd);
            if (a < b) {
                const Span span{int(a), int(b)};
                bands.AddRows(y, y + 1, &span, 1);
            }
            continue;
        }
        xs.clear();
        if (outside[0])
            xs.push_back(clipLeft - 1.0);
        for (const Edge* e : active) {
            // Insertion sort: a row crosses only a few edges.
            const double x = e->xTop + (yc - e->yTop) * e->slope;
            auto at = xs.end();
            while (at != xs.begin() && *(at - 1) > x)
                --at;
            xs.insert(at, x);
        }
        if (outside[1])
            xs.push_back(clipEnd + 1.0);
        row.clear();
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
            const double a = std::max(std::ceil(xs[i] - 0.5), clipLeft);
            const double b = std::min(std::ceil(xs[i + 1] - 0.5), clipEnd);
            if (a < b)
                AppendSpan(row, int(a), int(b));
        }
        if (within) {
            clipped.clear();
            const QRect* w = withinNext;
            for (auto span = row.begin(); span != row.end() && w != withinRow;) {
                const int lo = std::max(span->first, w->left());
                const int hi = int(std::min<long long>(span->second, w->right() + 1LL));
                if (lo < hi)
                    AppendSpan(clipped, lo, hi);
                if (span->second <= w->right() + 1LL)
                    ++span;
                else
                    ++w;
            }
            row.swap(clipped);
        }
        if (!row.empty())
            bands.AddRow(y, row);
    }
    return bands.Finish();
}

void AddEdge(std::vector<Edge>& edges, QPointF a, QPointF b)
{
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y())
        || a.y() == b.y())
        return;
    if (a.y() > b.y())
        std::swap(a, b);
    Edge e;
    e.xTop = a.x();
    e.yTop = a.y();
    e.slope = (b.x() - a.x()) / (b.y() - a.y());
    // Rows y with a.y <= y + 0.5 < b.y.
    e.firstRow = ClampToInt(std::ceil(a.y() - 0.5));
    e.endRow = ClampToInt(std::ceil(b.y() - 0.5));
    if (e.firstRow < e.endRow)
        edges.push_back(e);
}

} // namespace platform::detail
