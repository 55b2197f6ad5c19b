// Rasterizing polygons: their edges scanned row by row into spans of the
// pixels whose centres lie inside.

#include <algorithm>
#include <cmath>

#include "platform/RegionInternal.h"

namespace platform::detail {

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

namespace {

enum Side { kLeft, kRight };
using Flip = std::pair<int, Side>; // the row where an edge beside the clip begins or ends

// The clip's columns [left, end), as crossings are compared with them.
struct Columns {
    double left;
    double end;
};

// Kept from one shape to the next: a frame rasterizes dozens of small shapes.
struct Scratch {
    std::vector<Flip> flips;
    std::vector<const Edge*> active;
    std::vector<double> xs;
    std::vector<Span> row;
    std::vector<Span> clipped;
};

Scratch& ThreadScratch()
{
    thread_local Scratch scratch;
    return scratch;
}

// The edge's x at height y.
inline double XAt(const Edge& e, double y) { return e.xTop + (y - e.yTop) * e.slope; }

// The first pixel whose centre lies at or right of x: a centre on a left
// edge is in, on a right edge out.
inline double PixelBound(double x) { return std::ceil(x - 0.5); }

// The pixels [first, second) between crossings x0 <= x1 within the columns;
// none unless first < second.
inline std::pair<double, double> Between(double x0, double x1, const Columns& columns)
{
    return {std::max(PixelBound(x0), columns.left), std::min(PixelBound(x1), columns.end)};
}

// Edge setup, first: edges wholly above or below the clip play no part. An
// edge wholly left or right of it only flips, row by row, whether the clip's
// first or last pixel is inside: it is kept as a flip of that side for its
// rows, so that each row sorts only the edges it can see.
void SetAsideEdgesBeside(std::vector<Edge>& edges, const QRect& clip, const Columns& columns, std::vector<Flip>& flips)
{
    flips.clear();
    edges.erase(std::remove_if(edges.begin(), edges.end(),
                               [&](const Edge& e) {
                                   if (e.endRow <= clip.top() || e.firstRow > clip.bottom())
                                       return true;
                                   const double xEnd = XAt(e, e.endRow);
                                   const double xFirst = XAt(e, e.firstRow);
                                   const double lo = std::min(xFirst, xEnd), hi = std::max(xFirst, xEnd);
                                   // Whether its pixel bound lies at or beyond a side.
                                   Side side;
                                   if (hi <= columns.left + 0.5)
                                       side = kLeft;
                                   else if (lo >= columns.end + 0.5)
                                       side = kRight;
                                   else
                                       return false;
                                   flips.emplace_back(e.firstRow, side);
                                   flips.emplace_back(e.endRow, side);
                                   return true;
                               }),
                edges.end());
    std::sort(flips.begin(), flips.end());
}

// Edge setup, then: the edges in the order they begin, and the rows
// [first, end) that they and the flips reach within the clip.
std::pair<int, int> SortAndMeasure(std::vector<Edge>& edges, const std::vector<Flip>& flips, const QRect& clip)
{
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.firstRow < b.firstRow; });
    int first = clip.top();
    int end = clip.top();
    if (!edges.empty())
        first = std::max(edges.front().firstRow, clip.top());
    for (const Edge& e : edges)
        end = std::max(end, e.endRow);
    for (const Flip& flip : flips)
        first = std::min(std::max(flip.first, clip.top()), first), end = std::max(end, flip.first);
    end = std::min<long long>(end, (long long)clip.bottom() + 1);
    return {first, end};
}

// The edges and the flipped sides reaching a row, for rows taken top to bottom.
class Sweep {
public:
    Sweep(const std::vector<Edge>& edges, const std::vector<Flip>& flips, std::vector<const Edge*>& active)
        : m_edges(edges)
        , m_flips(flips)
        , m_active(active)
    {
        m_active.clear();
    }

    // Takes in what begins at or above row y and lets go of the edges that end there.
    void Enter(int y)
    {
        while (m_nextFlip < m_flips.size() && m_flips[m_nextFlip].first <= y)
            m_outside[m_flips[m_nextFlip++].second] ^= true;
        while (m_next < m_edges.size() && m_edges[m_next].firstRow <= y)
            m_active.push_back(&m_edges[m_next++]);
        m_active.erase(std::remove_if(m_active.begin(), m_active.end(), [y](const Edge* e) { return e->endRow <= y; }),
                       m_active.end());
    }
    // Whether the row meets nothing.
    bool Idle() const { return m_active.empty() && !m_outside[kLeft] && !m_outside[kRight]; }
    // Whether nothing begins below it either.
    bool Done() const { return m_next == m_edges.size() && m_nextFlip == m_flips.size(); }
    // The row where the next edge or flip begins, or end when none does.
    long long NextBegins(long long end) const
    {
        long long row = m_next < m_edges.size() ? m_edges[m_next].firstRow : end;
        if (m_nextFlip < m_flips.size())
            row = std::min<long long>(row, m_flips[m_nextFlip].first);
        return row;
    }
    // Whether the row meets two edges and no flipped side.
    bool Two() const { return m_active.size() == 2 && !m_outside[kLeft] && !m_outside[kRight]; }
    const std::vector<const Edge*>& Active() const { return m_active; }
    bool Outside(Side side) const { return m_outside[side]; }

private:
    const std::vector<Edge>& m_edges;
    const std::vector<Flip>& m_flips;
    std::vector<const Edge*>& m_active;
    std::size_t m_next = 0;
    std::size_t m_nextFlip = 0;
    bool m_outside[2] = {false, false};
};

// The bands of a region, for rows taken top to bottom.
class BandWalk {
public:
    explicit BandWalk(const QRegion* rgn) : m_next(rgn ? rgn->begin() : nullptr), m_end(rgn ? rgn->end() : nullptr) {}
    // Goes on to the first band that holds row y or lies below it; false when none is left.
    bool Reach(int y)
    {
        while (m_next != m_end && m_next->bottom() < y)
            ++m_next;
        return m_next != m_end;
    }
    int Top() const { return m_next->top(); }
    // The band's rectangles [First(), Last(y)) once it holds row y.
    const QRect* First() const { return m_next; }
    const QRect* Last(int y) const
    {
        const QRect* r = m_next;
        while (r != m_end && r->top() <= y)
            ++r;
        return r;
    }

private:
    const QRect* m_next;
    const QRect* m_end;
};

// Crossings of a row: where its centre line yc meets the active edges, in
// order, with one just beyond each flipped side of the clip.
void CollectCrossings(const Sweep& sweep, double yc, const Columns& columns, std::vector<double>& xs)
{
    xs.clear();
    if (sweep.Outside(kLeft))
        xs.push_back(columns.left - 1.0);
    for (const Edge* e : sweep.Active()) {
        // Insertion sort: a row crosses only a few edges.
        const double x = XAt(*e, yc);
        auto at = xs.end();
        while (at != xs.begin() && *(at - 1) > x)
            --at;
        xs.insert(at, x);
    }
    if (sweep.Outside(kRight))
        xs.push_back(columns.end + 1.0);
}

// Spans of a row by the even-odd rule: the pixels between the first and the
// second crossing, the third and the fourth, and so on.
void BuildSpans(const std::vector<double>& xs, const Columns& columns, std::vector<Span>& row)
{
    row.clear();
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
        const auto [a, b] = Between(xs[i], xs[i + 1], columns);
        if (a < b)
            AppendSpan(row, int(a), int(b));
    }
}

// The parts of the row's spans within a band's rectangles [w, wEnd).
void ClipToBand(const std::vector<Span>& row, const QRect* w, const QRect* wEnd, std::vector<Span>& out)
{
    out.clear();
    for (auto span = row.begin(); span != row.end() && w != wEnd;) {
        const int lo = std::max(span->first, w->left());
        const int hi = int(std::min<long long>(span->second, w->right() + 1LL));
        if (lo < hi)
            AppendSpan(out, lo, hi);
        if (span->second <= w->right() + 1LL)
            ++span;
        else
            ++w;
    }
}

} // namespace

QRegion Rasterize(std::vector<Edge>& edges, const QRect& clip, const QRegion* within)
{
    BandBuilder bands;
    if (edges.empty() || clip.isEmpty())
        return bands.Finish();
    const Columns columns{double(clip.left()), double(clip.right()) + 1.0};
    Scratch& s = ThreadScratch();
    SetAsideEdgesBeside(edges, clip, columns, s.flips);
    if (edges.empty() && s.flips.empty())
        return bands.Finish();
    const auto [first, end] = SortAndMeasure(edges, s.flips, clip);

    Sweep sweep(edges, s.flips, s.active);
    BandWalk withinBands(within);
    for (int y = first; y < end; ++y) {
        if (within) {
            // Rows between the bands of `within` are skipped.
            if (!withinBands.Reach(y))
                break;
            if (withinBands.Top() > y) {
                y = withinBands.Top() - 1;
                continue;
            }
        }
        sweep.Enter(y);
        if (sweep.Idle()) {
            // On to the row where the next edge or flip begins.
            if (sweep.Done())
                break;
            y = int(std::max<long long>(y, sweep.NextBegins(end) - 1));
            continue;
        }
        const double yc = y + 0.5;
        if (sweep.Two() && !within) {
            // A row through a convex shape, as most rows of a hand or a mark:
            // one span, without sorting.
            double x0 = XAt(*sweep.Active()[0], yc);
            double x1 = XAt(*sweep.Active()[1], yc);
            if (x1 < x0)
                std::swap(x0, x1);
            const auto [a, b] = Between(x0, x1, columns);
            if (a < b) {
                const Span span{int(a), int(b)};
                bands.AddRows(y, y + 1, &span, 1);
            }
            continue;
        }
        CollectCrossings(sweep, yc, columns, s.xs);
        BuildSpans(s.xs, columns, s.row);
        if (within) {
            ClipToBand(s.row, withinBands.First(), withinBands.Last(y), s.clipped);
            s.row.swap(s.clipped);
        }
        if (!s.row.empty())
            bands.AddRow(y, s.row);
    }
    return bands.Finish();
}

} // namespace platform::detail
