#pragma once
// What the region files of platform/ share: rows of spans and the banded
// rectangle list QRegion keeps, and the edges polygons are rasterized from.
// Only for platform/; everyone else goes through Region.h.

#include <algorithm>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRegion>

namespace platform::detail {

using Span = std::pair<int, int>; // [first, second)

// The row and band helpers are each file's own, as they were when the region
// code was one file: then the compiler inlines their vectors' growth into the
// loops that build bands and keeps those loops' values in registers, which it
// does not for instantiations shared between files (a tick drew some 4% slower).
namespace {

// Turns rows of spans, given top to bottom, into the banded rectangle list
// that QRegion keeps: rows with identical spans merge into one band.
class BandBuilder {
public:
    // The rectangle list is kept from one region to the next: a frame builds
    // dozens of regions, and growing a fresh list for each costs more than
    // building it.
    BandBuilder() { m_rects.swap(Spare()); }
    ~BandBuilder()
    {
        m_rects.clear();
        if (m_rects.capacity() > Spare().capacity())
            m_rects.swap(Spare());
    }
    BandBuilder(const BandBuilder&) = delete;
    BandBuilder& operator=(const BandBuilder&) = delete;

    // Rows [top, bottom) all have these spans; spans may be left empty.
    void AddRows(int top, int bottom, std::vector<Span>& spans)
    {
        if (spans.empty() || top >= bottom)
            return;
        if (!m_band.empty() && top == m_bottom && spans == m_band) {
            m_bottom = bottom;
            return;
        }
        Flush();
        m_band.swap(spans);
        m_top = top;
        m_bottom = bottom;
    }
    void AddRow(int y, std::vector<Span>& spans) { AddRows(y, y + 1, spans); }
    // The same for a few spans in an array.
    void AddRows(int top, int bottom, const Span* spans, std::size_t n)
    {
        if (n == 0 || top >= bottom)
            return;
        if (top == m_bottom && std::equal(spans, spans + n, m_band.begin(), m_band.end())) {
            m_bottom = bottom;
            return;
        }
        Flush();
        m_band.assign(spans, spans + n);
        m_top = top;
        m_bottom = bottom;
    }

    QRegion Finish()
    {
        Flush();
        QRegion rgn;
        if (!m_rects.empty())
            rgn.setRects(m_rects.data(), int(m_rects.size()));
        return rgn;
    }

private:
    static std::vector<QRect>& Spare()
    {
        thread_local std::vector<QRect> spare;
        return spare;
    }

    void Flush()
    {
        for (const Span& s : m_band)
            m_rects.emplace_back(QPoint(s.first, m_top), QPoint(s.second - 1, m_bottom - 1));
        m_band.clear();
    }

    std::vector<QRect> m_rects;
    std::vector<Span> m_band;
    int m_top = 0;
    int m_bottom = 0;
};

// Appends [a, b) to a row kept sorted by the caller, joining abutting spans as
// QRegion requires.
inline void AppendSpan(std::vector<Span>& row, int a, int b)
{
    if (a >= b)
        return;
    if (!row.empty() && row.back().second >= a) {
        row.back().second = std::max(row.back().second, b);
        return;
    }
    row.emplace_back(a, b);
}

inline int ClampToInt(double v)
{
    if (!(v > double(std::numeric_limits<int>::min()))) // also NaN
        return std::numeric_limits<int>::min();
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return int(v);
}

// A region's rows as QRegion keeps them: bands of rows sharing one list of spans.
struct Band {
    int top;    // first row
    int bottom; // one past the last row
    const QRect* first;
    const QRect* last; // one past
};

inline std::vector<Band> Bands(const QRect* first, const QRect* last)
{
    std::vector<Band> bands;
    for (const QRect* r = first; r != last; ++r) {
        if (bands.empty() || bands.back().top != r->top())
            bands.push_back({r->top(), r->top() + r->height(), r, r + 1});
        else
            bands.back().last = r + 1;
    }
    return bands;
}
inline std::vector<Band> Bands(const QRegion& rgn) { return Bands(rgn.begin(), rgn.end()); }

} // namespace

struct Edge {
    double xTop; // x at the upper end
    double yTop;
    double slope; // dx/dy
    int firstRow; // rows whose pixel centres the edge crosses
    int endRow;
};

// The edge from a to b, unless it is level, not finite or crosses no pixel centre.
void AddEdge(std::vector<Edge>& edges, QPointF a, QPointF b);

// Scan conversion by the even-odd rule with pixel centres as samples: a pixel
// is in when its centre lies inside; on an edge it follows the top-left rule.
// Only pixels in the clip, and in `within` when given, are built. The edges
// are reordered and thinned out.
QRegion Rasterize(std::vector<Edge>& edges, const QRect& clip, const QRegion* within = nullptr);

} // namespace platform::detail
