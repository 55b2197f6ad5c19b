// Band covers: a few rectangles, each within one band of rows, around regions
// or around where two regions differ.

#include "platform/Region.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "platform/RegionInternal.h"

namespace platform {

using namespace detail;

long long BandCover::Floor(long long y) const
{
    const long long rows = m_nRows;
    return (y >= 0 ? y / rows : -((rows - 1 - y) / rows)) * rows;
}

void BandCover::AddRect(long long left, long long top, long long right, long long bottom)
{
    const QRect& all = NoClip();
    left = std::max<long long>(left, all.left());
    top = std::max<long long>(top, all.top());
    right = std::min<long long>(right, all.right());
    bottom = std::min<long long>(bottom, all.bottom());
    if (left > right)
        return;
    for (long long band = Floor(top); band <= bottom; band += m_nRows) {
        const Piece piece{band, int(std::max(band, top)), int(std::min(band + m_nRows - 1, bottom)), int(left),
                          int(right)};
        // Rectangles come mostly row after row: one near a piece just added
        // to its band joins it, as Region would join them anyway.
        const auto near = std::find_if(
            m_pieces.rbegin(), m_pieces.rbegin() + std::min<std::ptrdiff_t>(4, m_pieces.size()), [&](const Piece& p) {
                return p.band == band && (long long)piece.left - p.right - 1 <= m_nGap
                       && (long long)p.left - piece.right - 1 <= m_nGap;
            });
        if (near == m_pieces.rbegin() + std::min<std::ptrdiff_t>(4, m_pieces.size())) {
            m_pieces.push_back(piece);
            continue;
        }
        near->top = std::min(near->top, piece.top), near->bottom = std::max(near->bottom, piece.bottom);
        near->left = std::min(near->left, piece.left), near->right = std::max(near->right, piece.right);
    }
}

BandCover& BandCover::Add(const QRegion& rgn, int margin)
{
    const long long m = std::max(margin, 0);
    for (const QRect& r : rgn)
        AddRect(r.left() - m, r.top() - m, r.right() + m, r.bottom() + m);
    return *this;
}

BandCover& BandCover::AddDifference(const QRegion& a, const QRegion& b, int margin)
{
    const long long m = std::max(margin, 0);
    // Whole bands alike at the top and at the bottom differ nowhere: a hand
    // that moved a little differs in a few rows.
    const std::size_t countA = std::size_t(a.end() - a.begin()), countB = std::size_t(b.end() - b.begin());
    const QRect* rectsA = a.begin();
    const QRect* rectsB = b.begin();
    std::size_t head = 0, tail = 0;
    while (head < countA && head < countB && rectsA[head] == rectsB[head])
        ++head;
    // Back to the start of the band the alike ones end in.
    for (const int top = head ? rectsA[head - 1].top() : 0; head > 0 && rectsA[head - 1].top() == top;)
        --head;
    while (tail < countA - head && tail < countB - head && rectsA[countA - 1 - tail] == rectsB[countB - 1 - tail])
        ++tail;
    for (const int top = tail ? rectsA[countA - tail].top() : 0; tail > 0 && rectsA[countA - tail].top() == top;)
        --tail;
    const std::vector<Band> bandsA = Bands(rectsA + head, rectsA + countA - tail);
    const std::vector<Band> bandsB = Bands(rectsB + head, rectsB + countB - tail);
    // The k-th bound of a band's spans: lefts and one past rights, in turn.
    const auto bound = [](const Band* band, std::size_t k) {
        const QRect& r = band->first[k / 2];
        return k % 2 ? r.right() + 1LL : (long long)r.left();
    };
    const auto bounds = [](const Band* band) { return band ? std::size_t(band->last - band->first) * 2 : 0; };
    // Stretches of rows in which neither region changes its spans.
    std::size_t ia = 0, ib = 0;
    long long y = std::numeric_limits<long long>::min();
    for (;;) {
        while (ia < bandsA.size() && bandsA[ia].bottom <= y)
            ++ia;
        while (ib < bandsB.size() && bandsB[ib].bottom <= y)
            ++ib;
        if (ia == bandsA.size() && ib == bandsB.size())
            break;
        const Band* bandA = ia < bandsA.size() && bandsA[ia].top <= y ? &bandsA[ia] : nullptr;
        const Band* bandB = ib < bandsB.size() && bandsB[ib].top <= y ? &bandsB[ib] : nullptr;
        long long next = std::numeric_limits<long long>::max();
        if (ia < bandsA.size())
            next = std::min<long long>(next, bandA ? bandA->bottom : bandsA[ia].top);
        if (ib < bandsB.size())
            next = std::min<long long>(next, bandB ? bandB->bottom : bandsB[ib].top);
        if (bandA || bandB) {
            // The first and the last bound where the two differ enclose every
            // pixel that only one of them holds.
            const std::size_t nA = bounds(bandA), nB = bounds(bandB);
            std::size_t lo = 0;
            while (lo < nA && lo < nB && bound(bandA, lo) == bound(bandB, lo))
                ++lo;
            if (lo < nA || lo < nB) {
                std::size_t hiA = nA, hiB = nB;
                while (hiA > lo && hiB > lo && bound(bandA, hiA - 1) == bound(bandB, hiB - 1))
                    --hiA, --hiB;
                long long first = std::numeric_limits<long long>::max();
                long long last = std::numeric_limits<long long>::min();
                if (lo < nA)
                    first = bound(bandA, lo);
                if (lo < nB)
                    first = std::min(first, bound(bandB, lo));
                if (hiA > lo)
                    last = bound(bandA, hiA - 1);
                if (hiB > lo)
                    last = std::max(last, bound(bandB, hiB - 1));
                AddRect(first - m, y - m, last - 1 + m, next - 1 + m);
            }
        }
        y = next;
    }
    return *this;
}

QRegion BandCover::Region() const
{
    std::vector<Piece> pieces = m_pieces;
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& p, const Piece& q) { return p.band != q.band ? p.band < q.band : p.left < q.left; });
    std::vector<QRect> rects;
    for (std::size_t i = 0; i < pieces.size();) {
        // A band's rectangles share its rows, as QRegion keeps them.
        std::size_t end = i;
        int top = pieces[i].top, bottom = pieces[i].bottom;
        for (; end < pieces.size() && pieces[end].band == pieces[i].band; ++end)
            top = std::min(top, pieces[end].top), bottom = std::max(bottom, pieces[end].bottom);
        const std::size_t first = rects.size();
        for (; i < end; ++i) {
            const Piece& p = pieces[i];
            if (rects.size() > first && (long long)p.left - rects.back().right() - 1 <= m_nGap)
                rects.back().setRight(std::max(rects.back().right(), p.right));
            else
                rects.emplace_back(QPoint(p.left, top), QPoint(p.right, bottom));
        }
    }
    QRegion rgn;
    if (!rects.empty())
        rgn.setRects(rects.data(), int(rects.size()));
    return rgn;
}
} // namespace platform
