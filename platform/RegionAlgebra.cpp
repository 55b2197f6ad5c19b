// Region algebra on the banded rectangle lists QRegion keeps: combining two
// regions, and the frame of one, a stretch of alike rows at a time.

#include "platform/Region.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/RegionInternal.h"

namespace platform {

using namespace detail;

namespace {

// Walks the bands of a region with rows that only ever grow.
class BandCursor {
public:
    explicit BandCursor(const std::vector<Band>& bands) : m_bands(bands) {}
    // The band holding row y, or null.
    const Band* At(long long y)
    {
        while (m_next < m_bands.size() && m_bands[m_next].bottom <= y)
            ++m_next;
        return m_next < m_bands.size() && m_bands[m_next].top <= y ? &m_bands[m_next] : nullptr;
    }
    // After At(y): the first row below y for which At gives another answer,
    // or a row far beyond any region.
    long long Next(long long y) const
    {
        if (m_next == m_bands.size())
            return std::numeric_limits<long long>::max() / 2;
        return m_bands[m_next].top <= y ? m_bands[m_next].bottom : m_bands[m_next].top;
    }

private:
    const std::vector<Band>& m_bands;
    std::size_t m_next = 0;
};

// out = a ∩ (b shifted right by d); b comes as a band's rectangles.
void IntersectShifted(const std::vector<Span>& a, const QRect* b, const QRect* bEnd, long long d,
                      std::vector<Span>& out)
{
    out.clear();
    auto ia = a.begin();
    while (ia != a.end() && b != bEnd) {
        const long long bl = b->left() + d;
        const long long br = (long long)b->right() + 1 + d;
        const long long lo = std::max<long long>(ia->first, bl);
        const long long hi = std::min<long long>(ia->second, br);
        if (lo < hi)
            out.emplace_back(int(lo), int(hi));
        if (ia->second < br)
            ++ia;
        else
            ++b;
    }
}

// out = band's spans minus b.
void SubtractSpans(const QRect* a, const QRect* aEnd, const std::vector<Span>& b, std::vector<Span>& out)
{
    out.clear();
    auto ib = b.begin();
    for (; a != aEnd; ++a) {
        int lo = a->left();
        const int hi = a->right() + 1;
        while (ib != b.end() && ib->second <= lo)
            ++ib;
        for (auto it = ib; it != b.end() && it->first < hi; ++it) {
            if (it->first > lo)
                AppendSpan(out, lo, it->first);
            lo = std::max(lo, it->second);
        }
        if (lo < hi)
            AppendSpan(out, lo, hi);
    }
}

} // namespace

void CombineRgn(QRegion& dst, const QRegion& a, const QRegion& b, CombineMode mode)
{
    const auto combine = [mode](const QRegion& x, const QRegion& y) {
        switch (mode) {
        case CombineMode::Or:
            return x.united(y);
        case CombineMode::Xor:
            return x.xored(y);
        case CombineMode::Diff:
            return x.subtracted(y);
        case CombineMode::And:
            break;
        }
        return x.intersected(y);
    };
    if (mode == CombineMode::And || a.isEmpty() || b.isEmpty()) {
        dst = combine(a, b);
        return;
    }
    // Outside b's rows the result is a's rows as they are: only the bands of
    // a that reach b's rows are combined, as a hub with a long hand.
    const QRect rows = b.boundingRect();
    const QRect* begin = a.begin();
    const QRect* end = a.end();
    // A band's rectangles share their rows, and bands come top to bottom.
    const QRect* from = std::partition_point(begin, end, [&](const QRect& r) { return r.bottom() < rows.top(); });
    const QRect* to = std::partition_point(from, end, [&](const QRect& r) { return r.top() <= rows.bottom(); });
    if (from == begin && to == end) {
        dst = combine(a, b);
        return;
    }
    QRegion middle;
    if (from != to)
        middle.setRects(from, int(to - from));
    const QRegion combined = combine(middle, b);
    std::vector<QRect> rects;
    rects.reserve(std::size_t(end - begin) + std::size_t(combined.rectCount()));
    rects.insert(rects.end(), begin, from);
    rects.insert(rects.end(), combined.begin(), combined.end());
    rects.insert(rects.end(), to, end);
    QRegion result;
    if (!rects.empty())
        result.setRects(rects.data(), int(rects.size()));
    dst = result;
}

namespace {
// The region's frame or, with `wantInner`, the rest of it.
QRegion FrameOrInner(const QRegion& rgn, int w, int h, bool wantInner)
{
    if (rgn.isEmpty())
        return QRegion();
    // A shift by -w keeps the same pair of shifts as by w.
    const auto magnitude = [](int v) {
        return v == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(v);
    };
    w = magnitude(w);
    h = magnitude(h);
    if (w == 0 && h == 0)
        return wantInner ? rgn : QRegion();
    const QRect box = rgn.boundingRect();
    // Shifted by its own width or height or more, nothing of the region stays inside.
    if (w >= box.width() || h >= box.height())
        return wantInner ? QRegion() : rgn;

    // Row by row: inner = R(y) ∩ (R(y) ± w) ∩ R(y - h) ∩ R(y + h), frame = R(y) \ inner.
    // The rows between two consecutive band edges of R, R shifted up and R
    // shifted down all give the same spans, so each such stretch is done once.
    const std::vector<Band> bands = Bands(rgn);
    BandBuilder out;
    BandCursor hereCursor(bands), aboveCursor(bands), belowCursor(bands);
    std::vector<Span> tmp, inner, frame;
    const long long end = bands.back().bottom;
    for (long long y = bands.front().top, next = y; y < end; y = next) {
        const Band* here = hereCursor.At(y);
        next = hereCursor.Next(y);
        const Band* above = nullptr;
        const Band* below = nullptr;
        if (h > 0) {
            above = aboveCursor.At(y - h);
            below = belowCursor.At(y + h);
            next = std::min({next, aboveCursor.Next(y - h) + h, belowCursor.Next(y + h) - h});
        }
        if (!here)
            continue;
        const auto single = [](const Band* band) { return band && band->last - band->first == 1; };
        if (single(here) && (h == 0 || (single(above) && single(below)))) {
            // One span in each row looked at, as along most of a hand or a
            // mark: the inner part is one span too.
            const long long left = here->first->left(), right = here->first->right() + 1LL;
            long long innerLeft = left + w, innerRight = right - w;
            if (h > 0) {
                innerLeft = std::max<long long>({innerLeft, above->first->left(), below->first->left()});
                innerRight = std::min({innerRight, above->first->right() + 1LL, below->first->right() + 1LL});
            }
            Span spans[2];
            std::size_t n = 0;
            if (wantInner) {
                if (innerLeft < innerRight)
                    spans[n++] = {int(innerLeft), int(innerRight)};
            } else if (innerLeft >= innerRight) {
                spans[n++] = {int(left), int(right)};
            } else {
                if (left < innerLeft)
                    spans[n++] = {int(left), int(innerLeft)};
                if (innerRight < right)
                    spans[n++] = {int(innerRight), int(right)};
            }
            out.AddRows(int(y), int(next), spans, n);
            continue;
        }
        inner.clear();
        for (const QRect* r = here->first; r != here->last; ++r)
            inner.emplace_back(r->left(), r->right() + 1);
        if (w > 0) {
            IntersectShifted(inner, here->first, here->last, w, tmp);
            IntersectShifted(tmp, here->first, here->last, -(long long)w, inner);
        }
        if (h > 0) {
            if (above && below) {
                IntersectShifted(inner, above->first, above->last, 0, tmp);
                IntersectShifted(tmp, below->first, below->last, 0, inner);
            } else {
                inner.clear();
            }
        }
        if (wantInner) {
            out.AddRows(int(y), int(next), inner);
            continue;
        }
        SubtractSpans(here->first, here->last, inner, frame);
        out.AddRows(int(y), int(next), frame);
    }
    return out.Finish();
}
} // namespace

QRegion FrameRegion(const QRegion& rgn, int w, int h) { return FrameOrInner(rgn, w, h, false); }

QRegion InnerRegion(const QRegion& rgn, int w, int h) { return FrameOrInner(rgn, w, h, true); }
} // namespace platform
