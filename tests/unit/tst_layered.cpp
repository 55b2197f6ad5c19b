// What the desktop receives from the clock window: the clear colour
// transparent, every other pixel at the window's opacity, nothing outside the
// window's circle, from an image or as pixel values drawn on the X server; and
// the rectangles a changed area is sent in.

#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

#include "clock/ClockFace.h"
#include "platform/Region.h"
#include "window/DevicePixels.h"
#include "window/LayeredSurface.h"
#include "window/ServerSurface.h"

namespace {

constexpr COLORREF kClear = 0x00FFFF; // yellow

// Runs of the clear colour and of repeated colours, as a face has them, one
// step from the key, and an odd width, so that rows end between blocks of pixels.
void DrawFace(QImage& face)
{
    QRandomGenerator random(42);
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const quint32 pick = random.bounded(10u);
            face.setPixel(x, y,
                          pick < 3             ? ToQRgb(kClear)
                          : pick < 6           ? 0xFF000000u | random.bounded(0x1000000u)
                          : pick < 7 || x == 0 ? ToQRgb(kClear - 1)
                                               : face.pixel(x - 1, y));
        }
}

} // namespace

class TestLayered : public QObject {
    Q_OBJECT
private slots:
    // Painted piece by piece through a painter (0), straight into the shown
    // image (1), and without a compositor (2). The render tool's conversion is
    // checked where the tool is run.
    void shownPixels()
    {
        for (int opacity : {0, 1, 128, 255, 0x1C0, -1})
            for (int way : {0, 1, 2}) {
                LayeredSurface surface;
                surface.SetAttributes(kClear, opacity, way != 2);
                surface.SetSize(QSize(61, 47), 1.0);
                QImage& face = surface.Frame();
                face.fill(Qt::black);
                surface.Commit(face.rect()); // a first frame, all opaque
                DrawFace(face);
                surface.Commit(QRect(0, 0, 61, 47));
                QImage shown(61, 47, QImage::Format_ARGB32_Premultiplied);
                shown.fill(Qt::green);
                const QRegion halves = QRegion(0, 0, 61, 20) + QRegion(0, 20, 61, 27);
                if (way == 0) {
                    QPainter painter(&shown);
                    painter.setCompositionMode(QPainter::CompositionMode_Source);
                    surface.Paint(painter, halves);
                }
                if (way != 0)
                    surface.PaintInto(shown, halves);
                const QRegion circle = platform::CreateEllipticRgn(0, 0, face.width(), face.height());
                QRegion opaque;
                for (int y = 0; y < face.height(); ++y)
                    for (int x = 0; x < face.width(); ++x) {
                        const QRgb p = face.pixel(x, y);
                        const bool seen = circle.contains(QPoint(x, y)) && (p | 0xFF000000u) != ToQRgb(kClear);
                        const int alpha = way == 2 ? 255 : opacity & 0xFF;
                        const QRgb expected = qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), alpha));
                        QCOMPARE(shown.pixel(x, y), seen ? expected : 0u);
                        opaque += seen && way == 2 ? QRect(x, y, 1, 1) : QRect();
                    }
                QVERIFY(surface.OpaqueRegion().xored(opaque).isEmpty());
            }
    }

    // One pixel value per colour, in the window's own layout.
    void serverPixelOfEachColour()
    {
        const platform::x11::PixelFormat argb, rgb{24}, bgr{24, 0xFF, 0xFF00, 0xFF0000};
        const COLORREF colour = RGB(0x12, 0x34, 0x56);
        const struct {
            COLORREF color;
            int alpha;
            bool blend;
            platform::x11::PixelFormat format;
            quint32 pixel;
        } rows[] = {
            {kClear, 255, true, argb, 0},
            {kClear, 255, false, rgb, 0},
            {colour, 255, true, argb, 0xFF123456u},
            {colour, 0x100, true, argb, 0},
            {colour, 128, true, argb, qPremultiply(qRgba(0x12, 0x34, 0x56, 128))},
            {colour, 128, false, argb, 0xFF123456u}, // no compositor: opaque
            {colour, 128, true, rgb, 0x123456u},     // no alpha channel: not premultiplied
            {colour, 255, true, bgr, 0x563412u},
        };
        for (const auto& row : rows)
            QCOMPARE(ServerSurface::Pixel(row.color, kClear, row.alpha, row.blend, row.format), row.pixel);
    }

    // Without a compositor the pixels painted in the key last are cut out of
    // the shape: tracked while painting, frame after frame, they are those a
    // scan of the same frames finds.
    void serverClearPixelsAreTheScannedOnes()
    {
        FaceSettings settings;
        settings.m_bShowSeconds = 1;
        const std::time_t noon = 1733486400; // 2024-12-06 12:00:00 UTC
        for (COLORREF key : {settings.m_crDialBackground, settings.m_crHourFill, COLORREF(kClear)})
            for (int size : {61, 320}) {
                LayeredSurface scanned;
                ServerSurface tracked(0);
                scanned.SetAttributes(key, 255, false);
                tracked.SetAttributes(key, 255, false);
                scanned.SetSize(QSize(size, size), 1.0);
                tracked.SetSize(QSize(size, size), 1.0);
                CClockFace imageFace(0, 0, size, size), serverFace(0, 0, size, size);
                for (int t : {0, 1, 2, 59, 60, 3600}) {
                    const QRegion changed = scanned.Draw(imageFace, settings, noon + t);
                    QCOMPARE(tracked.Draw(serverFace, settings, noon + t), changed);
                    QVERIFY(tracked.OpaqueRegion().xored(scanned.OpaqueRegion()).isEmpty());
                }
            }
    }

    // A changed area in device pixels is repainted as the window's pixels that
    // cover it, and a paint asks for the device pixels that cover its own.
    void devicePixelsCoverBothWays()
    {
        const struct {
            qreal ratio;
            QRect area;
            QRect device;  // ToDevice(area)
            QRect logical; // ToLogical(area)
        } rows[] = {
            {1.0, QRect(3, 4, 5, 6), QRect(3, 4, 5, 6), QRect(3, 4, 5, 6)},
            {2.0, QRect(3, 0, 2, 1), QRect(6, 0, 4, 2), QRect(1, 0, 2, 1)},
            {1.5, QRect(1, 1, 1, 1), QRect(1, 1, 2, 2), QRect(0, 0, 2, 2)},
            {1.25, QRect(5, 9, 4, 3), QRect(6, 11, 6, 4), QRect(4, 7, 4, 3)},
        };
        for (const auto& row : rows) {
            QCOMPARE(pixels::ToDevice(row.area, row.ratio), QRegion(row.device));
            QCOMPARE(pixels::ToLogical(row.area, row.ratio), QRegion(row.logical));
            QVERIFY(pixels::ToDevice(pixels::ToLogical(row.area, row.ratio), row.ratio).contains(row.area));
        }
    }

    // A diagonal stroke, a disc and a stray pixel: covered, in one rectangle per
    // band of rows, and one more for the pixel far off.
    void coarseAreaCoversInFewRectangles()
    {
        const QRegion area = platform::CreatePolygonRgn({{3, -20}, {9, -20}, {200, 180}, {194, 180}})
                             + platform::CreateEllipticRgn(90, 60, 130, 100) + QRegion(300, 7, 1, 1);
        const QRegion coarse = platform::BandCover().Add(area).Region();
        QVERIFY(area.subtracted(coarse).isEmpty());
        QVERIFY(coarse.rectCount() <= 200 / 16 + 3);
    }
};

QTEST_MAIN(TestLayered)
#include "tst_layered.moc"
