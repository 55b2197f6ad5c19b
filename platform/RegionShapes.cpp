// The shapes regions are made of: polygons, ellipses and rectangles.

#include "platform/Region.h"

#include <algorithm>
#include <cmath>

#include "platform/RegionInternal.h"

namespace platform {

using namespace detail;

const QRect& NoClip()
{
    static const QRect clip(QPoint(-0x3FFFFFFF, -0x3FFFFFFF), QPoint(0x3FFFFFFF, 0x3FFFFFFF));
    return clip;
}

QRegion CreatePolygonRgn(const std::vector<QPoint>& points, const QRect& clip)
{
    std::vector<Edge> edges;
    edges.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        AddEdge(edges, points[i], points[(i + 1) % points.size()]);
    return Rasterize(edges, clip);
}

QRegion CreatePolyPolygonRgn(const std::vector<std::vector<QPointF>>& polygons, const QRect& clip,
                             const QRegion* within)
{
    std::vector<Edge> edges;
    for (const std::vector<QPointF>& polygon : polygons)
        for (std::size_t i = 0; i < polygon.size(); ++i)
            AddEdge(edges, polygon[i], polygon[(i + 1) % polygon.size()]);
    return Rasterize(edges, clip, within);
}

std::pair<int, int> EllipseRowSpan(int left, int top, int right, int bottom, int y)
{
    // In doubled coordinates, so that centres and semi-axes of odd boxes stay whole.
    const double cx2 = double(left) + double(right);
    const double cy2 = double(top) + double(bottom);
    const double rx2 = double(right) - double(left);
    const double ry2 = double(bottom) - double(top);
    if (rx2 <= 0 || ry2 <= 0)
        return {0, 0};
    const double dy = (2.0 * y + 1.0 - cy2) / ry2;
    const double q = 1.0 - dy * dy;
    if (q <= 0)
        return {0, 0};
    // Pixel centres 2x + 1 strictly within half of the doubled width.
    const double half = rx2 * std::sqrt(q);
    const double a = std::floor((cx2 - half - 1.0) / 2.0) + 1.0;
    const double b = std::ceil((cx2 + half - 1.0) / 2.0);
    return {ClampToInt(std::max(a, double(left))), ClampToInt(std::min(b, double(right)))};
}

QRegion CreateEllipticRgn(int left, int top, int right, int bottom, const QRect& clip)
{
    BandBuilder bands;
    const long long first = std::max<long long>(top, clip.top());
    const long long end = std::min<long long>(bottom, (long long)clip.bottom() + 1);
    std::vector<Span> row;
    for (long long y = first; y < end; ++y) {
        const Span s = EllipseRowSpan(left, top, right, bottom, int(y));
        const int a = std::max(s.first, clip.left());
        const int b = int(std::min<long long>(s.second, (long long)clip.right() + 1));
        row.clear();
        AppendSpan(row, a, b);
        if (!row.empty())
            bands.AddRow(int(y), row);
    }
    return bands.Finish();
}

QRegion OutsideEllipse(const QRegion& rgn, int width, int height)
{
    const auto inside = [&](int x, int y) {
        const auto span = EllipseRowSpan(0, 0, width, height, y);
        return x >= span.first && x < span.second;
    };
    // The ellipse is convex: a rectangle whose corners lie in it lies in it
    // whole, as a moving hand's bands mostly do.
    if (std::all_of(rgn.begin(), rgn.end(), [&](const QRect& r) {
            return inside(r.left(), r.top()) && inside(r.right(), r.top()) && inside(r.left(), r.bottom())
                   && inside(r.right(), r.bottom());
        }))
        return {};
    return rgn.subtracted(CreateEllipticRgn(0, 0, width, height, rgn.boundingRect()));
}

QRegion CreateRectRgn(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return QRegion();
    return QRegion(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

} // namespace platform
