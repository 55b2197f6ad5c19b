// What the desktop receives from the clock window: the clear colour
// transparent, every other pixel at the window's opacity, nothing outside the
// window's circle; and the rectangles a changed area is sent in.

#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

#include "clock/LayeredImage.h"
#include "platform/Region.h"
#include "window/LayeredSurface.h"

namespace {

constexpr COLORREF kClear = 0x00FFFF;  // yellow

// Runs of the clear colour and of repeated colours, as a face has them, one
// step from the key, and an odd width, so that rows end between blocks of pixels.
void DrawFace(QImage& face)
{
    QRandomGenerator random(42);
    QRgb colour = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const quint32 pick = random.bounded(10u);
            colour = pick < 3 ? ToQRgb(kClear) : pick < 6 ? 0xFF000000u | random.bounded(0x1000000u)
                : pick < 7 ? ToQRgb(kClear - 1) : colour;
            face.setPixel(x, y, colour);
        }
}

} // namespace

class TestLayered : public QObject {
    Q_OBJECT
private slots:
    void shownPixels_data()
    {
        QTest::addColumn<int>("opacity");
        QTest::addColumn<bool>("blend");
        QTest::addColumn<int>("way");  // 0 through a painter, 1 straight into the shown image, 2 the render tool's
        for (int opacity : {0, 1, 128, 255, 0x1C0, -1})
            for (int way : {0, 1, 2})
                QTest::addRow("opacity %d way %d", opacity, way) << opacity << true << way;
        QTest::newRow("no compositor: opaque") << 128 << false << 1;
    }
    void shownPixels()
    {
        QFETCH(int, opacity);
        QFETCH(bool, blend);
        QFETCH(int, way);
        LayeredSurface surface;
        surface.SetAttributes(kClear, opacity, blend);
        QImage& face = surface.Frame(QSize(61, 47));
        DrawFace(face);
        surface.Commit(face.rect());
        // Painted piece by piece, replacing what was there.
        QImage shown(61, 47, QImage::Format_ARGB32_Premultiplied);
        shown.fill(Qt::green);
        const QRegion halves = QRegion(0, 0, 61, 20) + QRegion(0, 20, 61, 27);
        if (way == 1) {
            surface.PaintInto(shown, halves);
        } else if (way == 0) {
            QPainter painter(&shown);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            surface.Paint(painter, halves);
        } else {
            shown = ToLayered(face, kClear, opacity);
        }
        const QRegion circle = platform::CreateEllipticRgn(0, 0, face.width(), face.height());
        const int alpha = blend ? opacity & 0xFF : 255;
        QRegion opaque;
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x) {
                const QRgb p = face.pixel(x, y);
                const bool seen = circle.contains(QPoint(x, y)) && (p | 0xFF000000u) != ToQRgb(kClear);
                QCOMPARE(shown.pixel(x, y), seen ? qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), alpha)) : 0u);
                opaque += seen && !blend ? QRect(x, y, 1, 1) : QRect();
            }
        QVERIFY(surface.OpaqueRegion().xored(blend ? QRegion() : opaque).isEmpty());
    }

    // A diagonal stroke, a disc and a stray pixel: covered, in one rectangle per band of rows.
    void coarseAreaCoversInFewRectangles()
    {
        const QRegion area = platform::CreatePolygonRgn({{3, -20}, {9, -20}, {200, 180}, {194, 180}})
            + platform::CreateEllipticRgn(90, 60, 130, 100) + QRegion(300, 7, 1, 1);
        const QRegion coarse = LayeredSurface::Coarse(area);
        QVERIFY(area.subtracted(coarse).isEmpty());
        QVERIFY(coarse.rectCount() <= 200 / 16 + 2);
        QCOMPARE(coarse.boundingRect(), area.boundingRect());
    }
};

QTEST_MAIN(TestLayered)
#include "tst_layered.moc"
