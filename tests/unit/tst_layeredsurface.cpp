// The clock window's surface: which area a new frame changes, and what the
// window shows of it.

#include <QPainter>
#include <QtTest>

#include "clock/LayeredImage.h"
#include "window/LayeredSurface.h"

namespace {

constexpr COLORREF kClear = RGB(255, 255, 255);

// A face of the clear colour with a few marks, drawn into the surface.
QImage& DrawFrame(LayeredSurface& surface, const QSize& size, const QList<QRect>& marks)
{
    QImage& frame = surface.Frame(size);
    frame.fill(ToQRgb(kClear));
    for (const QRect& r : marks)
        QPainter(&frame).fillRect(r, Qt::blue);
    return frame;
}

} // namespace

class TestLayeredSurface : public QObject {
    Q_OBJECT
private slots:
    // The first frame and a new size change everything; a pixel moving within
    // one tile swaps values between pixels, which must still be seen.
    void changedArea()
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
        QCOMPARE(commit(QSize(64, 64), {QRect(18, 21, 1, 1), QRect(60, 2, 1, 1)}), QRegion(48, 0, 16, 16));
    }

    void shownPixelsAreTheLayeredFace_data()
    {
        QTest::addColumn<int>("alpha");
        QTest::addColumn<bool>("blend");
        QTest::addColumn<int>("expectedAlpha");
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
        DrawFrame(surface, QSize(90, 90), {QRect(10, 30, 70, 20)}).setPixel(45, 45, ToQRgb(RGB(254, 255, 255)));  // one step from the key
        surface.Commit();
        // Painted piece by piece, the window shows exactly the layered face.
        QImage shown(90, 90, QImage::Format_ARGB32_Premultiplied);
        shown.fill(Qt::green);
        {
            QPainter painter(&shown);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            surface.Paint(painter, QRegion(0, 0, 90, 45) + QRegion(0, 45, 90, 45));
        }
        QCOMPARE(shown, ToLayered(surface.Current(), kClear, expectedAlpha));
        QCOMPARE(qAlpha(shown.pixel(45, 45)), expectedAlpha);
    }
};

QTEST_MAIN(TestLayeredSurface)
#include "tst_layeredsurface.moc"
