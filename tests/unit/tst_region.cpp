// Regions as whole pixels: the frame, the even-odd rule, ellipses, clipping
// and filling.

#include <QImage>
#include <QPainter>
#include <QTest>

#include "platform/Region.h"

using namespace platform;

namespace {

// Qt does not always merge the bands of regions it builds piece by piece, so
// regions are compared by what they cover.
bool Same(const QRegion& a, const QRegion& b) { return a.xored(b).isEmpty(); }

// A pixel of the region whose four shifted copies are not all inside it.
QRegion FrameByDefinition(const QRegion& rgn, int w, int h)
{
    QRegion frame;
    const auto in = [&](int x, int y) { return rgn.contains(QPoint(x, y)); };
    const QRect box = rgn.boundingRect();
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (in(x, y) && !(in(x + w, y) && in(x - w, y) && in(x, y + h) && in(x, y - h)))
                frame += QRect(x, y, 1, 1);
    return frame;
}

const std::vector<QPoint> kStar = {{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};

} // namespace

class TestRegion : public QObject {
    Q_OBJECT
private slots:
    void frameFollowsItsDefinition_data()
    {
        QTest::addColumn<QRegion>("rgn");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        const QList<QPair<const char*, QRegion>> shapes = {
            {"star", CreatePolygonRgn(kStar)},
            {"ring", CreateEllipticRgn(0, 0, 30, 24).xored(CreateEllipticRgn(8, 6, 22, 18))},
            // Bars one pixel apart: a shift may jump across the gap.
            {"gap", CreateRectRgn(0, 0, 6, 10).united(CreateRectRgn(7, 0, 13, 10))},
            {"corner to corner", CreateRectRgn(0, 0, 5, 5).united(CreateRectRgn(5, 5, 9, 12))},
        };
        for (const auto& shape : shapes)
            for (const QPair<int, int>& wh : {qMakePair(1, 1), qMakePair(2, 2), qMakePair(3, 1), qMakePair(0, 2),
                     qMakePair(4, 0), qMakePair(40, 40)})
                QTest::addRow("%s %dx%d", shape.first, wh.first, wh.second) << shape.second << wh.first << wh.second;
    }
    void frameFollowsItsDefinition()
    {
        QFETCH(QRegion, rgn);
        QFETCH(int, w);
        QFETCH(int, h);
        QVERIFY(Same(FrameRegion(rgn, w, h), FrameByDefinition(rgn, w, h)));
        QVERIFY(Same(FrameRegion(rgn, -w, -h), FrameRegion(rgn, w, h)));
        QVERIFY(FrameRegion(rgn, 0, 0).isEmpty());
    }

    void evenOddPolygonsOfPixelCentres()
    {
        QVERIFY(Same(CreatePolygonRgn({{0, 0}, {4, 0}, {4, 4}, {0, 4}}), QRegion(0, 0, 4, 4)));
        const QRegion star = CreatePolygonRgn(kStar);
        QVERIFY(!star.contains(QPoint(20, 20)));  // inside twice: out
        QVERIFY(star.contains(QPoint(20, 4)));
        // One outline round a square, then round a square inside it.
        const QRegion frame = CreatePolygonRgn(
            {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {3, 3}, {7, 3}, {7, 7}, {3, 7}, {3, 3}, {0, 0}});
        QVERIFY(Same(frame, QRegion(0, 0, 10, 10).subtracted(QRegion(3, 3, 4, 4))));
        QCOMPARE(CreateRectRgn(1, 2, 4, 6).boundingRect(), QRect(1, 2, 3, 4));
        QVERIFY(CreateRectRgn(4, 2, 4, 6).isEmpty());
    }

    void ellipseFillsItsBoxSymmetrically()
    {
        for (const QRect& box : {QRect(QPoint(0, 0), QPoint(10, 10)), QRect(QPoint(3, 4), QPoint(20, 11)),
                 QRect(QPoint(7, 7), QPoint(8, 8)), QRect(QPoint(-300, 50), QPoint(724, 1074))}) {
            const int l = box.left(), t = box.top(), r = box.right(), b = box.bottom();
            const QRegion e = CreateEllipticRgn(l, t, r, b);
            QCOMPARE(e.boundingRect(), QRect(QPoint(l, t), QPoint(r - 1, b - 1)));
            for (int y = t; y < b; ++y) {
                const auto span = EllipseRowSpan(l, t, r, b, y);
                QCOMPARE(span, EllipseRowSpan(l, t, r, b, t + b - 1 - y));
                QCOMPARE(span.first - l, r - span.second);
                QVERIFY(e.contains(QPoint(span.first, y)) && !e.contains(QPoint(span.first - 1, y)));
                QVERIFY(e.contains(QPoint(span.second - 1, y)) && !e.contains(QPoint(span.second, y)));
            }
        }
        QVERIFY(CreateEllipticRgn(5, 5, 5, 9).isEmpty());
    }

    void clippingBuildsOnlyThePartInside()
    {
        const QRect clip(5, 4, 12, 9);
        QVERIFY(Same(CreatePolygonRgn(kStar, clip), CreatePolygonRgn(kStar).intersected(clip)));
        QVERIFY(Same(CreateEllipticRgn(0, 0, 30, 24, clip), CreateEllipticRgn(0, 0, 30, 24).intersected(clip)));
        const QRect screen(0, 0, 64, 64);
        QVERIFY(Same(CreateEllipticRgn(-2000000000, -2000000000, 2000000000, 2000000000, screen), screen));
    }

    void fillPaintsExactlyTheRegion()
    {
        const QRegion ring = CreateEllipticRgn(3, 2, 33, 26).xored(CreateEllipticRgn(11, 8, 25, 20));
        QImage direct(40, 30, QImage::Format_RGB32);
        direct.fill(Qt::black);
        QImage viaPainter = direct;
        {
            QPainter dc(&direct);
            FillRgn(dc, ring, 0x0000FF);
        }
        {
            QPainter dc(&viaPainter);
            dc.setClipRect(viaPainter.rect());  // a clipped painter does the filling itself
            FillRgn(dc, ring, 0x0000FF);
        }
        QCOMPARE(direct, viaPainter);
        for (int y = 0; y < direct.height(); ++y)
            for (int x = 0; x < direct.width(); ++x)
                QCOMPARE(direct.pixel(x, y), ring.contains(QPoint(x, y)) ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
    }
};

QTEST_MAIN(TestRegion)
#include "tst_region.moc"
