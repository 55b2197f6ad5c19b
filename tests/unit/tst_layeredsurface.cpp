// The clock window's surface: which area a new frame changes, what the
// window shows of it, and the pixels that stay visible without a compositor.

#include <QPainter>
#include <QtTest>

#include "clock/LayeredImage.h"
#include "platform/Region.h"
#include "window/LayeredSurface.h"

namespace {

constexpr COLORREF kClear = RGB(255, 255, 255);
constexpr int kTile = LayeredSurface::kTile;

// A face of the clear colour with a few marks, drawn into the surface.
void DrawFrame(LayeredSurface& surface, const QSize& size, const QList<QRect>& marks, QRgb ink = 0xFF0000FFu)
{
    QImage& frame = surface.Frame(size);
    frame.fill(ToQRgb(kClear));
    for (const QRect& r : marks)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                frame.setPixel(x, y, ink);
}

QRegion TilesOf(const QRegion& pixels)
{
    QRegion tiles;
    for (const QRect& r : pixels)
        for (int ty = r.top() / kTile; ty <= r.bottom() / kTile; ++ty)
            for (int tx = r.left() / kTile; tx <= r.right() / kTile; ++tx)
                tiles += QRect(tx * kTile, ty * kTile, kTile, kTile);
    return tiles;
}

// Non-clear pixels inside the circle, found one pixel at a time.
QRegion VisiblePixels(const QImage& frame)
{
    const QRegion circle = platform::CreateEllipticRgn(0, 0, frame.width(), frame.height());
    QRegion visible;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if ((frame.pixel(x, y) | 0xFF000000u) != ToQRgb(kClear) && circle.contains(QPoint(x, y)))
                visible += QRect(x, y, 1, 1);
    return visible;
}

} // namespace

class TestLayeredSurface : public QObject {
    Q_OBJECT
private slots:

    void changedAreaCoversEveryChangedPixelAndLittleElse_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QRect>>("before");
        QTest::addColumn<QList<QRect>>("after");

        const QSize size(200, 200);
        QTest::newRow("nothing changes") << size << QList<QRect>{ QRect(90, 40, 3, 60) }
                                         << QList<QRect>{ QRect(90, 40, 3, 60) };
        QTest::newRow("one pixel appears") << size << QList<QRect>{} << QList<QRect>{ QRect(100, 37, 1, 1) };
        QTest::newRow("a hand moves") << size << QList<QRect>{ QRect(99, 10, 2, 90) }
                                      << QList<QRect>{ QRect(100, 100, 80, 2) };
        QTest::newRow("two far marks") << size << QList<QRect>{}
                                       << QList<QRect>{ QRect(20, 100, 2, 2), QRect(180, 100, 2, 2) };
        // 203 is not a multiple of the tile: the last column and row are narrow.
        QTest::newRow("partial edge tiles") << QSize(203, 203) << QList<QRect>{}
                                            << QList<QRect>{ QRect(202, 101, 1, 1), QRect(101, 202, 1, 1) };
    }

    void changedAreaCoversEveryChangedPixelAndLittleElse()
    {
        QFETCH(QSize, size);
        QFETCH(QList<QRect>, before);
        QFETCH(QList<QRect>, after);

        LayeredSurface surface;
        surface.SetAttributes(kClear, 128, true);
        DrawFrame(surface, size, before);
        surface.Commit();
        const QImage old = surface.Current().copy();
        DrawFrame(surface, size, after);
        const QRegion changed = surface.Commit();

        QRegion differing;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                if (old.pixel(x, y) != surface.Current().pixel(x, y))
                    differing += QRect(x, y, 1, 1);

        QVERIFY(differing.subtracted(changed).isEmpty());
        // Whole tiles, with short gaps between changed tiles of a row bridged.
        const QRegion allowed = TilesOf(differing);
        QRegion bridged = allowed;
        for (const QRect& r : allowed)
            bridged += r.adjusted(-2 * kTile, 0, 2 * kTile, 0);
        QVERIFY(changed.subtracted(bridged).isEmpty());
        if (differing.rectCount() <= 1)
            QCOMPARE(changed, allowed.intersected(QRect(QPoint(0, 0), size)));
    }

    // The first frame and a new size change everything; a thin line moving
    // within one tile swaps values between pixels, which must still be seen.
    void wholeFramesAndPixelsTradingPlaces()
    {
        LayeredSurface surface;
        const auto commit = [&](QSize size, const QList<QRect>& marks) {
            DrawFrame(surface, size, marks);
            return surface.Commit();
        };
        QCOMPARE(commit(QSize(50, 40), {}), QRegion(0, 0, 50, 40));
        QVERIFY(commit(QSize(50, 40), {}).isEmpty());
        QCOMPARE(commit(QSize(64, 64), {QRect(16, 20, 1, 1)}), QRegion(0, 0, 64, 64));
        QCOMPARE(commit(QSize(64, 64), {QRect(18, 20, 1, 1)}), QRegion(16, 16, 16, 16));
        QCOMPARE(commit(QSize(64, 64), {QRect(18, 21, 1, 1)}), QRegion(16, 16, 16, 16));
    }

    void shownPixelsAreTheLayeredFace_data()
    {
        QTest::addColumn<int>("alpha");
        QTest::addColumn<bool>("blend");
        QTest::addColumn<int>("expectedAlpha");

        QTest::newRow("blended at 128") << 128 << true << 128;
        QTest::newRow("only the low 8 bits") << 0x1C0 << true << 0xC0;
        QTest::newRow("no compositor: opaque") << 128 << false << 255;
    }

    void shownPixelsAreTheLayeredFace()
    {
        QFETCH(int, alpha);
        QFETCH(bool, blend);
        QFETCH(int, expectedAlpha);

        LayeredSurface surface;
        surface.SetAttributes(kClear, alpha, blend);
        QImage& frame = surface.Frame(QSize(90, 90));
        frame.fill(ToQRgb(kClear));
        QPainter(&frame).fillRect(10, 30, 70, 20, QColor(200, 40, 10));
        frame.setPixel(45, 45, ToQRgb(RGB(254, 255, 255)));  // one step from the key
        surface.Commit();

        // What the window shows is exactly the layered face, piece by piece.
        QImage shown(frame.size(), QImage::Format_ARGB32_Premultiplied);
        shown.fill(Qt::green);
        {
            QPainter painter(&shown);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            surface.Paint(painter, QRegion(0, 0, 90, 45) + QRegion(0, 45, 90, 45));
        }
        QCOMPARE(shown, ToLayered(frame, kClear, expectedAlpha));
        QCOMPARE(qAlpha(shown.pixel(45, 45)), expectedAlpha);
        QCOMPARE(qAlpha(shown.pixel(45, 20)), 0);
    }

    void visiblePixelsFollowTheFrames()
    {
        LayeredSurface surface;
        surface.SetAttributes(kClear, 200, false);
        const QSize size(120, 120);
        const QList<QList<QRect>> frames{
            { QRect(59, 5, 3, 56), QRect(0, 0, 120, 3) },  // the top band is mostly outside the circle
            { QRect(59, 59, 50, 3), QRect(0, 0, 120, 3) },
            { QRect(59, 59, 50, 3), QRect(10, 100, 30, 10) },
            {},
        };
        for (const QList<QRect>& marks : frames) {
            DrawFrame(surface, size, marks);
            surface.Commit();
            QCOMPARE(surface.OpaqueRegion().xored(VisiblePixels(surface.Current())), QRegion());
        }

        // A new clear colour changes which pixels are holes: now the ink is.
        DrawFrame(surface, size, { QRect(20, 50, 80, 20) });
        surface.Commit();
        surface.SetAttributes(RGB(0, 0, 255), 200, false);
        const QRegion circle = platform::CreateEllipticRgn(0, 0, 120, 120);
        QCOMPARE(surface.OpaqueRegion().xored(circle.subtracted(QRegion(20, 50, 80, 20))), QRegion());
    }
};

QTEST_MAIN(TestLayeredSurface)
#include "tst_layeredsurface.moc"
