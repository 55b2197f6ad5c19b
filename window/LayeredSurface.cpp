#include "window/LayeredSurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include <QPainter>

#include "platform/Region.h"

namespace {

constexpr std::uint64_t kSeed = 0x243F6A8885A308D3ull;
constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
// Runs of changed tiles this close together are sent as one rectangle.
constexpr int kMergeGap = 2;
// Rows converted at a time when painting.
constexpr int kStripRows = 64;

// One step of a tile's hash. For a fixed word it is a bijection of the hash
// so far, and for a fixed hash a bijection of the word (xor, then a
// multiplication by an odd number), so a tile that differs from its last
// frame in a single word always hashes differently.
inline std::uint64_t Step(std::uint64_t hash, std::uint64_t word)
{
    return (hash ^ word) * kMultiplier;
}

inline QRgb Premultiply(QRgb opaque, unsigned alpha)
{
    return qPremultiply((opaque & 0x00FFFFFFu) | (alpha << 24));
}

// The columns [first, second) of row y inside both the circle inscribed in
// the image and [left, right).
std::pair<int, int> InsideSpan(const QSize& size, int y, int left, int right)
{
    const auto span = platform::EllipseRowSpan(0, 0, size.width(), size.height(), y);
    const int first = std::clamp(span.first, left, right);
    return { first, std::clamp(span.second, first, right) };
}

// The smallest rectangle of whole pixels covering rect scaled by factor.
QRect ScaledOut(const QRect& rect, qreal factor)
{
    const int left = int(std::floor(rect.left() * factor));
    const int top = int(std::floor(rect.top() * factor));
    const int right = int(std::ceil((rect.right() + 1) * factor));
    const int bottom = int(std::ceil((rect.bottom() + 1) * factor));
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

bool LayeredSurface::SetAttributes(COLORREF crKey, int nAlpha, bool bBlend)
{
    crKey &= 0x00FFFFFFu;
    nAlpha &= 0xFF;
    if (crKey == m_crKey && nAlpha == m_nAlpha && bBlend == m_bBlend)
        return false;
    m_crKey = crKey;
    m_nAlpha = nAlpha;
    m_bBlend = bBlend;
    m_rgnOpaque = m_bBlend || m_bFresh ? QRegion() : ScanOpaque(m_imgFrame.rect());
    return true;
}

QImage& LayeredSurface::Frame(const QSize& size)
{
    if (m_imgFrame.size() != size) {
        m_imgFrame = QImage(size, QImage::Format_RGB32);
        m_bFresh = true;
        m_rgnOpaque = QRegion();
    }
    return m_imgFrame;
}

QRegion LayeredSurface::Commit()
{
    const int width = m_imgFrame.width();
    const int height = m_imgFrame.height();
    const int columns = (width + kTile - 1) / kTile;
    const int rows = (height + kTile - 1) / kTile;
    const bool fresh = m_bFresh || m_tileHashes.size() != std::size_t(columns) * std::size_t(rows);
    m_tileHashes.resize(std::size_t(columns) * std::size_t(rows));

    QRegion changed = fresh ? QRegion(m_imgFrame.rect()) : QRegion();
    // Two chains per tile, over alternate pixel pairs, so that the processor
    // runs them side by side; they are joined once per band.
    std::vector<std::uint64_t> even(static_cast<std::size_t>(columns));
    std::vector<std::uint64_t> odd(static_cast<std::size_t>(columns));
    for (int ty = 0; ty < rows; ++ty) {
        std::fill(even.begin(), even.end(), kSeed);
        std::fill(odd.begin(), odd.end(), ~kSeed);
        const int top = ty * kTile;
        const int bottom = std::min(top + kTile, height);
        // Only the tiles the circle reaches can show a change.
        int inside0 = width;
        int inside1 = 0;
        for (int y = top; y < bottom; ++y) {
            const auto span = InsideSpan(m_imgFrame.size(), y, 0, width);
            if (span.first < span.second) {
                inside0 = std::min(inside0, span.first);
                inside1 = std::max(inside1, span.second);
            }
        }
        const int first = inside0 / kTile;
        const int last = inside1 <= inside0 ? -1 : (inside1 - 1) / kTile;
        for (int y = top; y < bottom; ++y) {
            const uchar* line = m_imgFrame.constScanLine(y);
            for (int tx = first; tx <= last; ++tx) {
                const int end = std::min((tx + 1) * kTile, width);
                std::uint64_t a = even[std::size_t(tx)];
                std::uint64_t b = odd[std::size_t(tx)];
                int x = tx * kTile;
                for (; x + 4 <= end; x += 4) {
                    std::uint64_t pairs[2];
                    std::memcpy(pairs, line + 4 * x, sizeof pairs);
                    a = Step(a, pairs[0]);
                    b = Step(b, pairs[1]);
                }
                for (; x < end; ++x) {
                    std::uint32_t single;
                    std::memcpy(&single, line + 4 * x, sizeof single);
                    a = Step(a, single);
                }
                even[std::size_t(tx)] = a;
                odd[std::size_t(tx)] = b;
            }
        }

        int runFirst = -1;
        int runLast = -1;
        const auto flush = [&] {
            if (runFirst >= 0 && !fresh)
                changed += QRect(runFirst * kTile, top,
                    std::min((runLast + 1) * kTile, width) - runFirst * kTile, bottom - top);
        };
        for (int tx = first; tx <= last; ++tx) {
            const std::uint64_t hash = Step(even[std::size_t(tx)], odd[std::size_t(tx)]);
            std::uint64_t& stored = m_tileHashes[std::size_t(ty) * std::size_t(columns) + std::size_t(tx)];
            const bool differs = stored != hash;
            stored = hash;
            if (!differs)
                continue;
            if (runFirst >= 0 && tx - runLast <= kMergeGap) {
                runLast = tx;
            } else {
                flush();
                runFirst = runLast = tx;
            }
        }
        flush();
    }
    m_bFresh = false;

    if (!m_bBlend && !changed.isEmpty()) {
        QRegion scanned;
        for (const QRect& rect : changed)
            scanned += ScanOpaque(rect);
        m_rgnOpaque = fresh ? scanned : m_rgnOpaque.subtracted(changed).united(scanned);
    }
    return changed;
}

QRegion LayeredSurface::ScanOpaque(const QRect& area) const
{
    // Runs of visible pixels row by row; identical neighbouring rows share
    // one band, the form QRegion keeps its rectangles in.
    const QRect rect = area.intersected(m_imgFrame.rect());
    const QRgb key = ToQRgb(m_crKey);
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> runs;
    std::vector<std::pair<int, int>> previous;
    std::size_t bandStart = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(m_imgFrame.constScanLine(y));
        const auto inside = InsideSpan(m_imgFrame.size(), y, rect.left(), rect.right() + 1);
        runs.clear();
        for (int x = inside.first; x < inside.second;) {
            if ((row[x] | 0xFF000000u) == key) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < inside.second && (row[x] | 0xFF000000u) != key)
                ++x;
            runs.emplace_back(start, x);
        }
        if (!runs.empty() && runs == previous) {
            for (std::size_t i = bandStart; i < rects.size(); ++i)
                rects[i].setBottom(y);
            continue;
        }
        bandStart = rects.size();
        for (const auto& run : runs)
            rects.emplace_back(run.first, y, run.second - run.first, 1);
        previous = runs;
    }
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    return region;
}

QImage LayeredSurface::Layered(const QRect& area) const
{
    const QRect rect = area.intersected(m_imgFrame.rect());
    QImage out(rect.size(), QImage::Format_ARGB32_Premultiplied);
    const QRgb key = ToQRgb(m_crKey);
    const unsigned alpha = m_bBlend ? unsigned(m_nAlpha) : 255u;
    // Faces have few colours: remember the last conversion.
    QRgb lastIn = key;
    QRgb lastOut = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(m_imgFrame.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y - rect.top())) - rect.left();
        const auto inside = InsideSpan(m_imgFrame.size(), y, rect.left(), rect.right() + 1);
        std::fill(dst + rect.left(), dst + inside.first, 0u);
        for (int x = inside.first; x < inside.second; ++x) {
            const QRgb p = src[x] | 0xFF000000u;
            if (p != lastIn) {
                lastIn = p;
                lastOut = p == key ? 0u : Premultiply(p, alpha);
            }
            dst[x] = lastOut;
        }
        std::fill(dst + inside.second, dst + rect.right() + 1, 0u);
    }
    return out;
}

QRegion LayeredSurface::ToLogical(const QRegion& devicePixels) const
{
    if (m_dRatio == 1.0)
        return devicePixels;
    QRegion logical;
    for (const QRect& rect : devicePixels)
        logical += ScaledOut(rect, 1.0 / m_dRatio);
    return logical;
}

void LayeredSurface::Paint(QPainter& painter, const QRegion& region) const
{
    QRegion device = region;
    if (m_dRatio != 1.0) {
        device = QRegion();
        for (const QRect& rect : region)
            device += ScaledOut(rect, m_dRatio);
    }
    // In strips, so that a full paint needs no second window-sized image.
    for (const QRect& rect : device.intersected(m_imgFrame.rect())) {
        for (int top = rect.top(); top <= rect.bottom(); top += kStripRows) {
            const QRect strip(rect.left(), top, rect.width(), std::min(kStripRows, rect.bottom() + 1 - top));
            QImage layered = Layered(strip);
            // Drawn at the painter's own ratio: a copy, never a scaling.
            layered.setDevicePixelRatio(m_dRatio);
            painter.drawImage(QPointF(strip.topLeft()) / m_dRatio, layered);
        }
    }
}
