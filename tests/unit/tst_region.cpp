// Regions as whole pixels: the even-odd rule, combining and frames, each
// checked pixel by pixel against what it is defined to be. (Band covers only
// decide how much a partial redraw paints; the clock face's partial-against-
// whole test checks that they cover enough.)

#include <cmath>
#include <functional>

#include <QRandomGenerator>
#include <QTest>

#include "platform/Region.h"

using namespace platform;

Q_DECLARE_METATYPE(CombineMode)

namespace {

// Every region the random cases make lies within this grid.
const QRect kGrid(-20, -20, 80, 80);

// Qt does not always merge the bands of regions it builds piece by piece, so
// regions are compared by what they cover.
bool Same(const QRegion& a, const QRegion& b) { return a.xored(b).isEmpty(); }

// The pixels of the grid for which in(x, y) holds.
QRegion Where(const std::function<bool(int, int)>& in)
{
    std::vector<QRect> rects;
    for (int y = kGrid.top(); y <= kGrid.bottom(); ++y)
        for (int x = kGrid.left(); x <= kGrid.right(); ++x)
            if (in(x, y)) {
                if (!rects.empty() && rects.back().top() == y && rects.back().right() == x - 1)
                    rects.back().setRight(x);
                else
                    rects.emplace_back(x, y, 1, 1);
            }
    QRegion rgn;
    if (!rects.empty())
        rgn.setRects(rects.data(), int(rects.size()));
    return rgn;
}

// A pixel of the region whose four shifted copies are not all inside it.
QRegion FrameByDefinition(const QRegion& rgn, int w, int h)
{
    const auto in = [&](int x, int y) { return rgn.contains(QPoint(x, y)); };
    return Where(
        [&](int x, int y) { return in(x, y) && !(in(x + w, y) && in(x - w, y) && in(x, y + h) && in(x, y - h)); });
}

// Whether the centre of pixel (x, y) lies inside the polygons by the even-odd
// rule. An edge counts when the row's centre line meets it (its top end in,
// its bottom end out) at a crossing whose pixel bound, ceil(crossing - 0.5),
// is at or left of x: so a centre on a left edge is in, on a right edge out.
bool InsideByDefinition(const std::vector<std::vector<QPointF>>& polygons, int x, int y)
{
    const double yc = y + 0.5;
    bool in = false;
    for (const std::vector<QPointF>& polygon : polygons)
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            QPointF a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            if (a.y() > b.y())
                std::swap(a, b);
            if (!(a.y() <= yc && yc < b.y()))
                continue;
            const double crossing = a.x() + (yc - a.y()) * ((b.x() - a.x()) / (b.y() - a.y()));
            if (std::ceil(crossing - 0.5) <= x)
                in = !in;
        }
    return in;
}

// Up to `count` polygons of 2 to 7 vertices in quarter pixels (or whole ones),
// from a dot to most of the grid, some edges upright or level as on hands and marks.
std::vector<std::vector<QPointF>> RandomPolygons(QRandomGenerator& random, int count, bool whole)
{
    std::vector<std::vector<QPointF>> shape(std::size_t(random.bounded(1, count + 1)));
    for (std::vector<QPointF>& polygon : shape) {
        const QPointF origin(random.bounded(-12, 40), random.bounded(-12, 40));
        const int reach = 4 * random.bounded(1, 24);
        for (int n = random.bounded(2, 8); n > 0; --n) {
            QPointF p = origin + QPointF(random.bounded(reach + 1), random.bounded(reach + 1)) / 4.0;
            if (whole)
                p = p.toPoint();
            if (const int pick = random.bounded(4); pick < 2 && !polygon.empty())
                (pick ? p.rx() : p.ry()) = pick ? polygon.back().x() : polygon.back().y();
            polygon.push_back(p);
        }
    }
    return shape;
}

// Corners near two vertices of the shape, so that edges run along and just
// beside the clip, where the rasterizer keeps them as flips of that side.
QRect ClipNear(QRandomGenerator& random, const std::vector<std::vector<QPointF>>& shape)
{
    const std::vector<QPointF>& polygon = shape[std::size_t(random.bounded(int(shape.size())))];
    const auto near = [&] {
        const QPointF p = polygon[std::size_t(random.bounded(int(polygon.size())))];
        return QPoint(int(std::floor(p.x())) + random.bounded(-1, 2), int(std::floor(p.y())) + random.bounded(-1, 2));
    };
    const QPoint a = near();
    return QRect(a, near()).normalized();
}

// A few rectangles within the area xored together: holes, abutting and
// overlapping rectangles, bands of many spans.
QRegion RandomRegion(QRandomGenerator& random, int count, const QRect& area)
{
    QRegion rgn;
    for (int i = 0; i < count; ++i) {
        const int x = area.left() + random.bounded(area.width()), y = area.top() + random.bounded(area.height());
        rgn ^= QRect(x, y, random.bounded(1, 10), random.bounded(1, 10)) & area;
    }
    return rgn;
}

// Rows 1 to 12 high somewhere in the grid's middle, to combine with.
QRect RandomStrip(QRandomGenerator& random) { return QRect(-12, random.bounded(-12, 40), 60, random.bounded(1, 13)); }

const std::vector<QPoint> kStar = {{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};

} // namespace

class TestRegion : public QObject {
    Q_OBJECT
private slots:
    void frameAndInnerFollowTheirDefinition()
    {
        // A star, a ring, and bars one pixel apart: a shift may jump across the gap.
        std::vector<QRegion> shapes = {CreatePolygonRgn(kStar),
                                       CreateEllipticRgn(0, 0, 30, 24).xored(CreateEllipticRgn(8, 6, 22, 18)),
                                       CreateRectRgn(0, 0, 6, 10).united(CreateRectRgn(7, 0, 13, 10))};
        QRandomGenerator random(7);
        for (int i = 0; i < 60; ++i)
            shapes.push_back(RandomRegion(random, random.bounded(1, 8), QRect(-12, -12, 50, 50)));
        // The inner part is the rest of the region.
        for (const QRegion& rgn : shapes)
            for (const QSize& s : {QSize(1, 1), QSize(3, 1), QSize(0, 2), QSize(0, 0), QSize(-2, 1), QSize(40, 40)}) {
                const QRegion frame = FrameByDefinition(rgn, s.width(), s.height());
                QVERIFY(Same(FrameRegion(rgn, s.width(), s.height()), frame));
                QVERIFY(Same(InnerRegion(rgn, s.width(), s.height()), rgn.subtracted(frame)));
            }
    }

    // Regions wholly inside the ellipse, crossing its edge and outside it.
    void outsideAnEllipse()
    {
        QRandomGenerator random(5);
        for (int i = 0; i < 200; ++i) {
            const QRegion rgn = RandomRegion(random, random.bounded(1, 6), QRect(-4, -4, 44, 38));
            QVERIFY2(Same(OutsideEllipse(rgn, 36, 30), rgn.subtracted(CreateEllipticRgn(0, 0, 36, 30))),
                     qPrintable(QStringLiteral("case %1").arg(i)));
        }
    }

    void evenOddPolygonsOfPixelCentres()
    {
        QVERIFY(Same(CreatePolygonRgn({{0, 0}, {4, 0}, {4, 4}, {0, 4}}), QRegion(0, 0, 4, 4)));
        const QRegion star = CreatePolygonRgn(kStar);
        QVERIFY(!star.contains(QPoint(20, 20))); // inside twice: out
        QVERIFY(star.contains(QPoint(20, 4)));
    }

    // Random polygons against the pixel centre rule, alone, clipped, and
    // within a region as a text's letters are built.
    void polygonsRasterizeByPixelCentres_data()
    {
        QTest::addColumn<bool>("whole");   // integer vertices through CreatePolygonRgn
        QTest::addColumn<int>("polygons"); // at most, each of 2 to 7 vertices
        QTest::addColumn<bool>("clipped"); // to a random rectangle
        QTest::addColumn<bool>("within");  // and to a random region
        QTest::newRow("integer vertices") << true << 1 << false << false;
        QTest::newRow("integer vertices, clipped") << true << 1 << true << false;
        QTest::newRow("quarter pixels, several polygons") << false << 3 << false << false;
        QTest::newRow("quarter pixels, clipped") << false << 3 << true << false;
        QTest::newRow("quarter pixels, within a region") << false << 3 << false << true;
        QTest::newRow("quarter pixels, clipped within a region") << false << 3 << true << true;
    }
    void polygonsRasterizeByPixelCentres()
    {
        QFETCH(bool, whole);
        QFETCH(int, polygons);
        QFETCH(bool, clipped);
        QFETCH(bool, within);
        QRandomGenerator random(42);
        for (int i = 0; i < 150; ++i) {
            const std::vector<std::vector<QPointF>> shape = RandomPolygons(random, polygons, whole);
            const QRect clip = clipped ? ClipNear(random, shape) : NoClip();
            const QRegion region = RandomRegion(random, random.bounded(6), QRect(-12, -12, 60, 60));
            const QRegion* inside = within ? &region : nullptr;
            std::vector<QPoint> points;
            for (const QPointF& p : shape.front())
                points.push_back(p.toPoint());
            const QRegion got = whole ? CreatePolygonRgn(points, clip) : CreatePolyPolygonRgn(shape, clip, inside);
            const QRegion want = Where([&](int x, int y) {
                return clip.contains(x, y) && (!inside || inside->contains(QPoint(x, y)))
                       && InsideByDefinition(shape, x, y);
            });
            QVERIFY2(Same(got, want), qPrintable(QStringLiteral("case %1").arg(i)));
        }
    }

    // Outside b's rows a's bands are copied as they are: b comes in strips
    // of a few rows, above, below or across a's.
    void combineModesAreSetOperations_data()
    {
        QTest::addColumn<CombineMode>("mode");
        QTest::addColumn<int>("op"); // 1 for a, 2 for b: the pixels in the result
        QTest::newRow("or") << CombineMode::Or << 0b1110;
        QTest::newRow("xor") << CombineMode::Xor << 0b0110;
        QTest::newRow("diff") << CombineMode::Diff << 0b0010;
        QTest::newRow("and") << CombineMode::And << 0b1000;
    }
    void combineModesAreSetOperations()
    {
        QFETCH(CombineMode, mode);
        QFETCH(int, op);
        QRandomGenerator random(3);
        for (int i = 0; i < 200; ++i) {
            const QRegion a = RandomRegion(random, random.bounded(8), QRect(-12, -12, 60, 60));
            const QRegion b = RandomRegion(random, random.bounded(4), RandomStrip(random));
            QRegion dst = CreateRectRgn(0, 0, 5, 5);
            CombineRgn(dst, a, b, mode);
            const QRegion want = Where([&](int x, int y) {
                const int pixel = (a.contains(QPoint(x, y)) ? 1 : 0) | (b.contains(QPoint(x, y)) ? 2 : 0);
                return (op >> pixel) & 1;
            });
            QVERIFY2(Same(dst, want), qPrintable(QStringLiteral("case %1").arg(i)));
        }
    }
};

QTEST_MAIN(TestRegion)
#include "tst_region.moc"
