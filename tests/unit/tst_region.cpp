// Regions as whole pixels: the frame and the even-odd rule.

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
    void frameFollowsItsDefinition()
    {
        // A star, a ring, and bars one pixel apart: a shift may jump across the gap.
        for (const QRegion& rgn :
             {CreatePolygonRgn(kStar), CreateEllipticRgn(0, 0, 30, 24).xored(CreateEllipticRgn(8, 6, 22, 18)),
              CreateRectRgn(0, 0, 6, 10).united(CreateRectRgn(7, 0, 13, 10))})
            for (const QSize& s : {QSize(1, 1), QSize(3, 1), QSize(0, 2), QSize(0, 0), QSize(40, 40)})
                QVERIFY(Same(FrameRegion(rgn, s.width(), s.height()), FrameByDefinition(rgn, s.width(), s.height())));
    }

    void evenOddPolygonsOfPixelCentres()
    {
        QVERIFY(Same(CreatePolygonRgn({{0, 0}, {4, 0}, {4, 4}, {0, 4}}), QRegion(0, 0, 4, 4)));
        const QRegion star = CreatePolygonRgn(kStar);
        QVERIFY(!star.contains(QPoint(20, 20))); // inside twice: out
        QVERIFY(star.contains(QPoint(20, 4)));
    }
};

QTEST_MAIN(TestRegion)
#include "tst_region.moc"
